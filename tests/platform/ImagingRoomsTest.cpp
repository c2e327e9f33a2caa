// imaging/ is four rooms whose includes run downwards only: the screen's pictures may use colour and
// the picture library, colour and the JBIG2 encoder the picture library alone, the picture library
// none of them. Below all of them lies platform/; nothing in imaging/ reaches up into album/, pdf/,
// export/ or the window. And no two of imaging's units (a header with the .cpp of the same name) lean
// on each other, however far round.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Every file's quoted includes, by the file's path from the source folder ("imaging/screen/Thumbnail.cpp").
using TIncludes = std::map<std::string, std::vector<std::string>>;

// The rooms each room may include besides itself; listed from the bottom up.
const std::map<std::string, std::set<std::string>>& Below() {
  static const std::map<std::string, std::set<std::string>> below = {
      {"imaging/pictaro", {"platform"}},
      {"imaging/color", {"imaging/pictaro", "platform"}},
      {"imaging/jbig2", {"imaging/pictaro", "platform"}},
      {"imaging/screen", {"imaging/color", "imaging/pictaro", "platform"}},
  };
  return below;
}

std::string Room(const std::string& File) {
  for (const auto& [room, below] : Below())
    if (File.rfind(room + "/", 0) == 0) return room;
  const size_t slash = File.find('/');
  return slash == std::string::npos ? std::string() : File.substr(0, slash);
}

// "file: include" for every include that leaves its room for one it may not use.
std::vector<std::string> UpwardIncludes(const TIncludes& Files) {
  std::vector<std::string> found;
  for (const auto& [file, includes] : Files) {
    const std::string room = Room(file);
    const auto rule = Below().find(room);
    if (rule == Below().end()) {
      found.push_back(file + ": in no room of imaging/");
      continue;
    }
    for (const std::string& include : includes) {
      const std::string target = Room(include);
      if (target != room && !rule->second.count(target)) found.push_back(file + ": " + include);
    }
  }
  return found;
}

// A unit is a header and the .cpp of the same name: "imaging/pictaro/Pictaro".
std::string Unit(const std::string& File) { return fs::path(File).replace_extension().string(); }

// One circle among the units ("a -> b -> a"), or "" when there is none.
std::string Circle(const TIncludes& Files) {
  std::map<std::string, std::set<std::string>> uses;
  for (const auto& [file, includes] : Files)
    for (const std::string& include : includes)
      if (Unit(include) != Unit(file) && include.rfind("imaging/", 0) == 0)
        uses[Unit(file)].insert(Unit(include));
  enum class TMark { New, Open, Done };
  std::map<std::string, TMark> mark;
  std::vector<std::string> path;
  std::string circle;
  std::function<bool(const std::string&)> visit = [&](const std::string& Unit) {
    mark[Unit] = TMark::Open;
    path.push_back(Unit);
    for (const std::string& next : uses[Unit]) {
      if (mark[next] == TMark::Open) {
        for (auto at = std::find(path.begin(), path.end(), next); at != path.end(); ++at)
          circle += *at + " -> ";
        circle += next;
        return true;
      }
      if (mark[next] == TMark::New && visit(next)) return true;
    }
    path.pop_back();
    mark[Unit] = TMark::Done;
    return false;
  };
  std::vector<std::string> units;
  for (const auto& [unit, used] : uses) units.push_back(unit);
  for (const std::string& unit : units)
    if (mark[unit] == TMark::New && visit(unit)) return circle;
  return {};
}

// The quoted includes of every .h and .cpp under imaging/ in the source tree.
TIncludes ImagingIncludes() {
  const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
  TIncludes files;
  const fs::path root(QUIRVEL_SOURCE_DIR);
  for (const auto& entry : fs::recursive_directory_iterator(root / "imaging")) {
    const auto ext = entry.path().extension();
    if (ext != ".h" && ext != ".cpp") continue;
    std::vector<std::string>& includes = files[fs::relative(entry.path(), root).generic_string()];
    std::ifstream in(entry.path());
    std::string line;
    std::smatch m;
    while (std::getline(in, line))
      if (std::regex_search(line, m, include)) includes.push_back(m[1]);
  }
  return files;
}

TEST(Architecture, ImagingIncludesRunDownwardsWithoutCircles) {
  struct TRow {
    const char* Name;
    TIncludes Files;
    std::vector<std::string> Upward;  // as UpwardIncludes reports them
    std::string Circle;
  };
  const std::vector<TRow> rows = {
      {"downwards only",
       {{"imaging/screen/A.cpp", {"imaging/screen/A.h", "imaging/color/B.h", "platform/Device.h"}},
        {"imaging/color/B.cpp", {"imaging/color/B.h", "imaging/pictaro/C.h"}},
        {"imaging/jbig2/D.cpp", {"imaging/pictaro/C.h"}}},
       {},
       ""},
      // The picture library asking colour for a profile, colour asking the screen.
      {"upwards",
       {{"imaging/pictaro/C.cpp", {"imaging/color/B.h"}}, {"imaging/color/B.h", {"imaging/screen/A.h"}}},
       {"imaging/color/B.h: imaging/screen/A.h", "imaging/pictaro/C.cpp: imaging/color/B.h"},
       ""},
      // Side by side is no more allowed than upwards.
      {"sideways",
       {{"imaging/jbig2/D.cpp", {"imaging/color/B.h"}}},
       {"imaging/jbig2/D.cpp: imaging/color/B.h"},
       ""},
      {"out of imaging",
       {{"imaging/screen/A.cpp", {"export/PagePreview.h"}}},
       {"imaging/screen/A.cpp: export/PagePreview.h"},
       ""},
      {"a file in no room", {{"imaging/Loose.h", {}}}, {"imaging/Loose.h: in no room of imaging/"}, ""},
      // Inside one room: each .cpp includes the other's header.
      {"a circle of two",
       {{"imaging/pictaro/P.cpp", {"imaging/pictaro/P.h", "imaging/pictaro/T.h"}},
        {"imaging/pictaro/T.cpp", {"imaging/pictaro/T.h", "imaging/pictaro/P.h"}}},
       {},
       "imaging/pictaro/P -> imaging/pictaro/T -> imaging/pictaro/P"},
      {"a circle of three",
       {{"imaging/color/X.h", {"imaging/color/Y.h"}},
        {"imaging/color/Y.cpp", {"imaging/color/Z.h"}},
        {"imaging/color/Z.h", {"imaging/color/X.h"}}},
       {},
       "imaging/color/X -> imaging/color/Y -> imaging/color/Z -> imaging/color/X"},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(UpwardIncludes(row.Files), row.Upward);
    EXPECT_EQ(Circle(row.Files), row.Circle);
  }

  const TIncludes tree = ImagingIncludes();
  std::map<std::string, int> perRoom;
  for (const auto& [file, includes] : tree) ++perRoom[Room(file)];
  ASSERT_EQ(perRoom.size(), Below().size()) << "imaging/ holds files outside its four rooms";
  for (const auto& [room, files] : perRoom) EXPECT_GT(files, 1) << room;
  EXPECT_EQ(UpwardIncludes(tree), std::vector<std::string>{});
  EXPECT_EQ(Circle(tree), "");
}

}  // namespace
