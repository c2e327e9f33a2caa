// The core (album/, pdf/, export/, imaging/, platform/, layout/) must build without Qt: no file there may
// include a Qt header.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

namespace fs = std::filesystem;

TEST(Architecture, CoreIncludesNoQtHeader) {
  const std::regex qtInclude(R"(^\s*#\s*include\s*[<"](Q[A-Za-z]+|Qt[A-Za-z]*/)[^>"]*[>"])");
  int files = 0;
  for (const char* area : {"album", "pdf", "export", "imaging", "platform", "layout"}) {
    const fs::path dir = fs::path(QUIRVEL_SOURCE_DIR) / area;
    if (!fs::exists(dir)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      const auto ext = entry.path().extension();
      if (ext != ".h" && ext != ".cpp") continue;
      ++files;
      std::ifstream in(entry.path());
      std::string line;
      int number = 0;
      while (std::getline(in, line)) {
        ++number;
        EXPECT_FALSE(std::regex_search(line, qtInclude)) << entry.path() << ":" << number << ": " << line;
      }
    }
  }
  EXPECT_GT(files, 10);
}
