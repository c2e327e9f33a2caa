// The program's start before any command or window: version, help, refused options, a missing
// display, and the clean-up after runs that were killed.

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/UnixFile.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using TResult = qtest::TProgramResult;

class ProgramStart : public ::testing::Test {
 protected:
  TResult Quirvel(const std::string& Args, const std::string& Env = {}) {
    return qtest::RunWithoutDisplay(QUIRVEL_EXE, Dir.Path(), Args, Env);
  }
  qtest::TScratchDir Dir;
};

TEST_F(ProgramStart, VersionHelpAndRefusedOptionsOpenNoWindow) {
  for (const char* args : {"--version", "-V", "album.qvl --version"}) {
    const TResult r = Quirvel(args);
    EXPECT_EQ(r.Status, 0) << args;
    EXPECT_EQ(r.Out, "quirvel " QUIRVEL_VERSION "\n") << args;
  }
  for (const char* args : {"--help", "-h"}) {
    const TResult r = Quirvel(args);
    EXPECT_EQ(r.Status, 0) << args;
    EXPECT_NE(r.Out.find("quirvel export"), std::string::npos) << args;
  }
  // Without a display a window would abort: anything it is not meant for must stop before it.
  struct {
    const char* Args;
    const char* Option;
  } const refused[] = {{"--bogus", "--bogus"}, {"album.qvl -x", "-x"}, {"--version=2", "--version=2"}};
  for (const auto& row : refused) {
    const TResult r = Quirvel(row.Args);
    EXPECT_EQ(r.Status, 2) << row.Args;
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, std::string("Fehler: Unbekannte Option „") + row.Option +
                         "“.\nAufruf: quirvel [ALBUM.qvl] oder quirvel BEFEHL [ARGUMENTE]\n"
                         "Eine Übersicht zeigt „quirvel --help“.\n");
  }
}

TEST_F(ProgramStart, WithoutADisplayTheWindowSuggestsTheCommandLine) {
  const char* const message = "Fehler: Das Programmfenster kann nicht geöffnet werden";
  qtest::WriteFile(Dir.Path() / "album.qvl", "");  // a name that is no file would be a mistyped command
  // "--" lets an album's name start with "-"; it is meant for the window, which cannot open here.
  for (const char* args : {"", "album.qvl", "-- -album.qvl"}) {
    const TResult r = Quirvel(args);
    EXPECT_EQ(r.Status, 1) << args;
    EXPECT_EQ(r.Err.rfind(message, 0), 0u) << args << r.Err;
    EXPECT_NE(r.Err.find("quirvel export AUSGABE.pdf ALBUM.qvl"), std::string::npos);
  }
  // A display that is named but cannot be reached: Qt's platform plugin fails inside QApplication.
  const TResult r = Quirvel("album.qvl", "QT_QPA_PLATFORM=xcb DISPLAY=:4711");
  EXPECT_EQ(r.Status, 1) << r.Err;  // not killed by abort()
  EXPECT_NE(r.Err.find(message), std::string::npos) << r.Err;
}

TEST_F(ProgramStart, RemovesTheTempFoldersOfDeadRunsOnly) {
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  ASSERT_GT(dead, 0);
  waitpid(dead, nullptr, 0);
  const std::string deadPid = std::to_string(dead);
  const fs::path tmp = Dir.Path() / "tmp";
  const auto make = [&](const std::string& Name) {
    fs::create_directories(tmp / Name / "sub");
    qtest::WriteFile(tmp / Name / "sub" / "spool.bmp", "pixels");
    return tmp / Name;
  };
  const fs::path stale = make("quirvel-" + deadPid + "-a1B2c3");
  const fs::path live = make("quirvel-" + std::to_string(getpid()) + "-a1B2c3");
  // A run in another PID namespace: its PID looks dead from here, but it holds its folder's lock.
  const fs::path locked = make("quirvel-" + deadPid + "-LOCKED");
  const TFd lock(::open(locked.c_str(), O_RDONLY | O_DIRECTORY));
  ASSERT_EQ(flock(lock.Get(), LOCK_EX), 0);
  const fs::path otherForm = make("quirvel-" + deadPid + "-toolong");
  // A link under our name leads elsewhere: neither it nor what it points to may go.
  const fs::path target = make("elsewhere");
  fs::create_directory_symlink(target, tmp / ("quirvel-" + deadPid + "-link00"));
  fs::path foreign;
  if (geteuid() == 0) {  // only root can give a folder to another user
    foreign = make("quirvel-" + deadPid + "-nobody");
    ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
  }

  const TResult r = Quirvel("--version", "TMPDIR=" + qtest::Quote(tmp.string()));
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_FALSE(fs::exists(stale));
  for (const fs::path& kept : {live, locked, otherForm, target / "sub" / "spool.bmp"})
    EXPECT_TRUE(fs::exists(kept)) << kept;
  EXPECT_TRUE(fs::is_symlink(tmp / ("quirvel-" + deadPid + "-link00")));
  if (!foreign.empty()) {
    EXPECT_TRUE(fs::exists(foreign));
  }
}

}  // namespace
