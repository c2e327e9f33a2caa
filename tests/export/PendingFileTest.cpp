// Temporary PDF names: what an export removes of what runs killed outright left in its folder, and
// everything it leaves alone.

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

#include "export/PendingFile.h"
#include "platform/UnixFile.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

// A PID no process has: a child's that has ended and was waited for.
std::string GonePid() {
  const pid_t pid = fork();
  if (pid == 0) _exit(0);
  waitpid(pid, nullptr, 0);
  return std::to_string(pid);
}

TEST(PendingFile, StaleFilesOfOursAreRemovedAndNothingElse) {
  qtest::TScratchDir dir;
  const std::string gone = GonePid(), alive = std::to_string(getpid());
  const struct {
    std::string Name;
    char Kind;  // f file, l symbolic link, d folder, k file whose lock someone holds
    bool Removed;
  } rows[] = {
      {"album.pdf.quirvel-" + gone + "-Ab3dE9.part", 'f', true},
      {"seite0001.pdf.quirvel-" + gone + "-zzzzzz.part", 'f', true},
      {"album.pdf.quirvel-" + alive + "-Ab3dE9.part", 'f', false},  // its run is alive
      {"locked.pdf.quirvel-" + gone + "-Ab3dE9.part", 'k', false},  // another PID namespace's run
      {"link.pdf.quirvel-" + gone + "-Ab3dE9.part", 'l', false},
      {"folder.pdf.quirvel-" + gone + "-Ab3dE9.part", 'd', false},
      {"album.pdf.1a2b3c4d.part", 'f', false},                      // untagged
      {"album.pdf.quirvel-" + gone + "-Ab3dE.part", 'f', false},    // five random letters
      {"album.pdf.quirvel-" + gone + "-Ab3dE9.pdf", 'f', false},    // not a .part
      {"album.pdf.quirvel-" + gone + "x-Ab3dE9.part", 'f', false},  // no number
  };
  std::vector<std::unique_ptr<TFd>> locks;
  for (const auto& row : rows) {
    const fs::path path = dir.Path() / row.Name;
    if (row.Kind == 'l')
      fs::create_symlink(dir.Path() / "target", path);
    else if (row.Kind == 'd')
      fs::create_directory(path);
    else
      qtest::WriteFile(path, "x");
    if (row.Kind == 'k') {
      locks.push_back(std::make_unique<TFd>(open(path.c_str(), O_RDONLY | O_CLOEXEC)));
      ASSERT_EQ(flock(locks.back()->Get(), LOCK_EX | LOCK_NB), 0);
    }
  }
  qtest::WriteFile(dir.Path() / "target", "kept");
  EXPECT_EQ(RemoveStalePendingFiles(dir.Path().string()), 2u);
  for (const auto& row : rows)
    EXPECT_EQ(fs::exists(fs::symlink_status(dir.Path() / row.Name)), !row.Removed) << row.Name;
  EXPECT_EQ(qtest::ReadFile(dir.Path() / "target"), "kept");

  // A file being written is named after its target and this process, locked, and left alone.
  TPendingFile pending(dir / "new.pdf");
  ASSERT_TRUE(pending.Created());
  EXPECT_TRUE(std::regex_match(pending.TempName(),
                               std::regex(".*/new\\.pdf\\.quirvel-" + alive + "-[A-Za-z0-9]{6}\\.part")))
      << pending.TempName();
  const TFd other(open(pending.TempName().c_str(), O_RDONLY | O_CLOEXEC));
  EXPECT_NE(flock(other.Get(), LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(RemoveStalePendingFiles(dir.Path().string()), 0u);
  EXPECT_TRUE(fs::exists(pending.TempName()));
}

}  // namespace
