// The desktop shell starts xdg-open with the file name as its one argument, learns how it ended without
// waiting for it, and collects its exit status, so no zombie child is left behind. A stand-in xdg-open
// on PATH records what it was given and ends as each row says.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Shell.h"
#include "support/TestSupport.h"

namespace {

// True when the process has no child left, ended or running (waitid without reaping anything).
bool NoChildren() {
  siginfo_t info{};
  return waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) < 0 && errno == ECHILD;
}

TEST(XdgShell, TellsHowTheOpenerEndedAndLeavesNoZombie) {
  struct {
    const char* Exit;  // the stand-in's last line; nullptr: there is no xdg-open at all
    TOpenOutcome Outcome;
  } rows[] = {
      {"exit 0", TOpenOutcome::Opened},
      {"exit 3", TOpenOutcome::NoProgram},  // xdg-open: no method available for the file
      {"exit 4", TOpenOutcome::Failed},     // xdg-open: the action failed
      {"kill -9 $$", TOpenOutcome::Failed},
      {nullptr, TOpenOutcome::NoProgram},
  };
  const std::string name = "/tmp/Urlaub 2023; $(rm -rf x) \"ü\".pdf";
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Exit ? row.Exit : "no xdg-open");
    qtest::TScratchDir dir;
    const std::string marker = dir / "opened.txt";
    if (row.Exit) {
      // Its parent is recorded too: xdg-open is started by this process itself, not by a forked copy.
      const std::string script = dir / "xdg-open";
      qtest::WriteFile(script, "#!/bin/sh\necho $PPID > '" + marker + ".parent'\nprintf '%s' \"$1\" > '" +
                                   marker + "'\n" + row.Exit + "\n");
      chmod(script.c_str(), 0755);
    }
    const qtest::TEnvOverride path("PATH", dir.Path().string() + (row.Exit ? ":/usr/bin:/bin" : ""));

    TOpening opening = TXdgShell().OpenWatched(name);
    if (row.Exit) {
      ASSERT_GE(opening.Fd(), 0);
      pollfd ended{opening.Fd(), POLLIN, 0};
      ASSERT_EQ(poll(&ended, 1, 60'000), 1) << "the opener never ended";
      EXPECT_EQ(qtest::ReadFile(marker), name);
      EXPECT_EQ(std::stoi(qtest::ReadFile(marker + ".parent")), getpid());
    } else {
      EXPECT_EQ(opening.Fd(), -1);  // known at once
    }
    EXPECT_EQ(opening.Outcome(), row.Outcome);
    EXPECT_EQ(opening.Outcome(), row.Outcome);  // asked again: the same, nothing reaped twice
    EXPECT_EQ(opening.Fd(), -1);
    EXPECT_TRUE(NoChildren());
  }
}

}  // namespace
