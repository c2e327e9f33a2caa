// The desktop shell starts xdg-open with the file name as its one argument and collects its exit status,
// so no zombie child is left behind. A stand-in xdg-open on PATH records what it was given.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/Shell.h"
#include "support/TestSupport.h"

namespace {

using namespace std::chrono_literals;

// True once the process has no child left, ended or running (waitid without reaping anything).
bool NoChildrenWithin(std::chrono::milliseconds Limit) {
  const auto end = std::chrono::steady_clock::now() + Limit;
  do {
    siginfo_t info{};
    if (waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) < 0 && errno == ECHILD) return true;
    std::this_thread::sleep_for(20ms);
  } while (std::chrono::steady_clock::now() < end);
  return false;
}

class TPathOverride {
 public:
  explicit TPathOverride(const std::string& Path) : FOld(std::getenv("PATH") ? std::getenv("PATH") : "") {
    setenv("PATH", Path.c_str(), 1);
  }
  ~TPathOverride() { setenv("PATH", FOld.c_str(), 1); }

 private:
  std::string FOld;
};

TEST(XdgShell, HandsTheNameOverAsOneArgumentAndLeavesNoZombie) {
  qtest::TScratchDir dir;
  const std::string marker = dir / "opened.txt";
  const std::string script = dir / "xdg-open";
  // Its parent is recorded too: xdg-open is started by this process itself, not by a forked copy.
  qtest::WriteFile(script, "#!/bin/sh\necho $PPID > '" + marker + ".parent'\nprintf '%s' \"$1\" > '" +
                               marker + ".part' && mv '" + marker + ".part' '" + marker + "'\n");
  chmod(script.c_str(), 0755);
  TPathOverride path(dir.Path().string() + ":/usr/bin:/bin");

  const std::string name = "/tmp/Urlaub 2023; $(rm -rf x) \"ü\".pdf";
  TXdgShell().OpenFile(name);
  const auto end = std::chrono::steady_clock::now() + 10s;
  while (!std::filesystem::exists(marker) && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(20ms);
  ASSERT_TRUE(std::filesystem::exists(marker));
  EXPECT_EQ(qtest::ReadFile(marker), name);
  EXPECT_EQ(std::stoi(qtest::ReadFile(marker + ".parent")), getpid());
  EXPECT_TRUE(NoChildrenWithin(10s));
}

TEST(XdgShell, MissingProgramIsNoFailure) {
  qtest::TScratchDir dir;
  TPathOverride path(dir.Path().string());
  TXdgShell().OpenFile("/tmp/nothing.pdf");
  EXPECT_TRUE(NoChildrenWithin(1s));
}

}  // namespace
