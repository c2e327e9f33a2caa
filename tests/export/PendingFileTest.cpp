// Temporary PDF names: an export removes what runs killed outright left in its folder, and nothing else.

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>

#include <filesystem>
#include <regex>

#include "export/PendingFile.h"
#include "platform/UnixFile.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

TEST(PendingFile, StaleFilesOfOursAreRemovedAndNothingElse) {
  qtest::TScratchDir dir;
  const pid_t child = fork();  // once waited for, its PID is one no process has
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  const std::string gone = ".quirvel-" + std::to_string(child),
                    alive = ".quirvel-" + std::to_string(getpid());
  TPendingFile pending(dir / "new.pdf");  // being written: named after its target and us, and locked
  ASSERT_TRUE(pending.Created());
  EXPECT_TRUE(
      std::regex_match(pending.TempName(), std::regex(".*/new\\.pdf" + alive + "-[A-Za-z0-9]{6}\\.part")));
  const struct {
    std::string Name;
    char Kind;  // f file, l symbolic link, d folder, k a file someone holds the lock of
    bool Removed;
  } rows[] = {
      {"a.pdf" + gone + "-Ab3dE9.part", 'f', true},  {"b.pdf" + alive + "-Ab3dE9.part", 'f', false},
      {"c.pdf" + gone + "-Ab3dE9.part", 'k', false}, {"d.pdf" + gone + "-Ab3dE9.part", 'l', false},
      {"e.pdf" + gone + "-Ab3dE9.part", 'd', false}, {"f.pdf.1a2b3c4d.part", 'f', false},
      {"g.pdf" + gone + "-Ab3dE.part", 'f', false},  {"h.pdf" + gone + "-Ab3dE9.pdf", 'f', false},
  };
  std::vector<std::unique_ptr<TFd>> locks;
  for (const auto& row : rows) {
    const fs::path path = dir.Path() / row.Name;
    if (row.Kind == 'l') fs::create_symlink(dir.Path() / "new.pdf", path);
    if (row.Kind == 'd') fs::create_directory(path);
    if (row.Kind == 'f' || row.Kind == 'k') qtest::WriteFile(path, "x");
    if (row.Kind != 'k') continue;
    locks.push_back(std::make_unique<TFd>(open(path.c_str(), O_RDONLY | O_CLOEXEC)));
    ASSERT_EQ(flock(locks.back()->Get(), LOCK_EX | LOCK_NB), 0);
  }
  EXPECT_EQ(RemoveStalePendingFiles(dir.Path().string()), 1u);
  for (const auto& row : rows)
    EXPECT_EQ(fs::exists(fs::symlink_status(dir.Path() / row.Name)), !row.Removed) << row.Name;
  EXPECT_TRUE(fs::exists(pending.TempName()));
}
