// SIGINT, SIGTERM and SIGHUP stop the running program cleanly: the real program is started, signalled
// at a known point, and what it leaves behind is checked.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "imaging/pictaro/Pictaro.h"
#include "support/TestSupport.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// The program under test, started with its standard error on a pipe, its own private temporary
// directory, no display unless one is named, and the three signals at their default.
class TChild {
 public:
  TChild(const fs::path& Dir, const fs::path& TmpDir, const std::vector<std::string>& Args,
         const std::vector<std::string>& Env = {}) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe");
    FErr = fds[0];
    std::vector<std::string> env = {"TMPDIR=" + TmpDir.string()};
    for (char** e = environ; *e; ++e) {
      const std::string var = *e;
      if (var.rfind("DISPLAY=", 0) && var.rfind("WAYLAND_DISPLAY=", 0) && var.rfind("QT_QPA_PLATFORM=", 0) &&
          var.rfind("TMPDIR=", 0))
        env.push_back(var);
    }
    env.insert(env.end(), Env.begin(), Env.end());
    std::vector<std::string> argv = {QUIRVEL_EXE};
    argv.insert(argv.end(), Args.begin(), Args.end());

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, Dir.c_str());
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t ours, none;
    sigemptyset(&ours);
    sigemptyset(&none);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&ours, s);
    posix_spawnattr_setsigdefault(&attr, &ours);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    const int failed =
        posix_spawn(&FPid, argv[0].c_str(), &actions, &attr, Pointers(argv).data(), Pointers(env).data());
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (failed) throw std::runtime_error("posix_spawn");
  }
  ~TChild() {
    if (FPid > 0) kill(FPid, SIGKILL), waitpid(FPid, nullptr, 0);
    close(FErr);
  }

  // Reads standard error until Text has appeared; false when it ends or 60 s pass first.
  bool WaitFor(const std::string& Text) {
    while (FErrText.find(Text) == std::string::npos)
      if (!ReadSome()) return false;
    return true;
  }
  void Signal(int Signal) { kill(FPid, Signal); }
  // The exit status after the program ended by itself; -1 when a signal killed it.
  int Wait() {
    while (ReadSome()) {
    }
    int status = 0;
    if (waitpid(FPid, &status, 0) != FPid) return -1;
    FPid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  const std::string& Err() const { return FErrText; }

 private:
  static std::vector<char*> Pointers(std::vector<std::string>& Strings) {
    std::vector<char*> pointers;
    for (std::string& s : Strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
  }
  bool ReadSome() {
    pollfd p{FErr, POLLIN, 0};
    if (poll(&p, 1, 60000) <= 0) return false;
    char buffer[4096];
    const ssize_t n = read(FErr, buffer, sizeof buffer);
    if (n <= 0) return false;
    FErrText.append(buffer, static_cast<size_t>(n));
    return true;
  }

  pid_t FPid = -1;
  int FErr = -1;
  std::string FErrText;
};

class Interrupt : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory(Tmp); }
  // What a run may leave behind: the folder holds only what the test put there, the temporary
  // directory none of our private folders (Qt may keep its runtime folder there).
  void ExpectNothingLeft(const std::string& Context) {
    for (const auto& entry : fs::directory_iterator(Dir.Path()))
      EXPECT_TRUE(entry.path() == Tmp || entry.path().extension() == ".jpg")
          << Context << ": " << entry.path();
    for (const auto& entry : fs::directory_iterator(Tmp))
      EXPECT_NE(entry.path().filename().string().rfind("quirvel-", 0), 0u) << Context << ": " << entry.path();
  }
  qtest::TScratchDir Dir;
  const fs::path Tmp = Dir.Path() / "tmp";
};

TEST_F(Interrupt, ExportStopsCleanlyWithTheSignalsExitStatus) {
  // Forty pages of a 6-megapixel photo: the signal comes after page 1, long before the end.
  TDib dib{};
  newdib(&dib, 3000, 2000, 24, nullptr, 0);
  ASSERT_NE(dib.Bits, nullptr);
  ASSERT_EQ(SaveDib(dib, (Dir / "photo.jpg").c_str(), 7, 0), 1);
  deldib(dib);
  std::vector<std::string> args = {"export", "--columns", "1", "--rows", "1", "out.pdf"};
  args.insert(args.end(), 40, "photo.jpg");

  for (const auto& [signal, status] : {std::pair{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}}) {
    const std::string context = strsignal(signal);
    TChild child(Dir.Path(), Tmp, args);
    ASSERT_TRUE(child.WaitFor("Seite 1 fertig\n")) << context << child.Err();
    child.Signal(signal);
    EXPECT_EQ(child.Wait(), status) << context << child.Err();
    EXPECT_NE(child.Err().find("Der Export wurde abgebrochen."), std::string::npos) << context << child.Err();
    ExpectNothingLeft(context);
  }
}

TEST_F(Interrupt, WindowEndsWithoutAsking) {
  // The album cannot be opened, so a message box waits for an answer; the signal comes once Qt's
  // painting log says the box is shown.
  TChild child(Dir.Path(), Tmp, {"missing.qvl"},
               {"QT_QPA_PLATFORM=offscreen", "QT_LOGGING_RULES=qt.widgets.painting=true"});
  ASSERT_TRUE(child.WaitFor(" of QMessageBox(")) << child.Err();
  child.Signal(SIGTERM);
  EXPECT_EQ(child.Wait(), 143) << child.Err();
  ExpectNothingLeft("window");
}

}  // namespace
