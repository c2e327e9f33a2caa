#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/Shell.h"

extern char** environ;

namespace {

// Spawn attributes for a program that must not depend on us: a session of its own (a Ctrl-C in our
// terminal or the end of our session does not reach it), no blocked signals, and the signals we may
// ignore or handle back at their defaults.
class TDetachedSpawn {
 public:
  TDetachedSpawn() {
    posix_spawnattr_init(&FAttr);
    sigset_t none, reset;
    sigemptyset(&none);
    sigemptyset(&reset);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD}) sigaddset(&reset, sig);
    posix_spawnattr_setsigmask(&FAttr, &none);
    posix_spawnattr_setsigdefault(&FAttr, &reset);
    posix_spawnattr_setflags(&FAttr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~TDetachedSpawn() { posix_spawnattr_destroy(&FAttr); }
  TDetachedSpawn(const TDetachedSpawn&) = delete;
  TDetachedSpawn& operator=(const TDetachedSpawn&) = delete;
  const posix_spawnattr_t* Attr() const { return &FAttr; }

 private:
  posix_spawnattr_t FAttr;
};

// Collects Pid's exit status whenever it ends, without anyone waiting for it. A small thread waits for
// exactly this child, so other children of the process are never reaped by mistake.
void ReapLater(pid_t Pid) {
  try {
    std::thread([Pid] {
      int status = 0;
      while (waitpid(Pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to be had: collect it now if it has already ended, and otherwise leave it.
    int status = 0;
    waitpid(Pid, &status, WNOHANG);
  }
}

// xdg-open's exit status 3: no method available for opening the file.
constexpr int KNoMethodStatus = 3;

}  // namespace

TOpening TOpening::Watch(pid_t Pid) {
  TOpening opening(TOpenOutcome::Running);
  opening.FPid = Pid;
  // The system call itself: glibc's own wrapper is missing from older C libraries and C++ headers.
  opening.FFd = static_cast<int>(syscall(SYS_pidfd_open, Pid, 0));
  if (opening.FFd < 0) {
    // A kernel without process descriptors: nothing to watch, so nothing is said about the outcome.
    opening.FPid = -1;
    opening.FOutcome = TOpenOutcome::Opened;
    ReapLater(Pid);
  }
  return opening;
}

TOpening::~TOpening() { Release(); }

TOpening::TOpening(TOpening&& Other) noexcept
    : FPid(std::exchange(Other.FPid, -1)), FFd(std::exchange(Other.FFd, -1)), FOutcome(Other.FOutcome) {}

TOpening& TOpening::operator=(TOpening&& Other) noexcept {
  if (this != &Other) {
    Release();
    FPid = std::exchange(Other.FPid, -1);
    FFd = std::exchange(Other.FFd, -1);
    FOutcome = Other.FOutcome;
  }
  return *this;
}

void TOpening::Release() {
  if (FFd >= 0) close(FFd);
  if (FPid >= 0) ReapLater(FPid);
  FFd = FPid = -1;
}

TOpenOutcome TOpening::Outcome() {
  if (FPid < 0) return FOutcome;
  int status = 0;
  pid_t ended = 0;
  while ((ended = waitpid(FPid, &status, WNOHANG)) < 0 && errno == EINTR) {
  }
  if (ended == 0) return TOpenOutcome::Running;
  if (ended < 0)
    FOutcome = TOpenOutcome::Opened;  // reaped elsewhere (SIGCHLD ignored): the status is gone
  else if (!WIFEXITED(status))
    FOutcome = TOpenOutcome::Failed;
  else if (WEXITSTATUS(status) == 0)
    FOutcome = TOpenOutcome::Opened;
  else
    FOutcome = WEXITSTATUS(status) == KNoMethodStatus ? TOpenOutcome::NoProgram : TOpenOutcome::Failed;
  close(FFd);
  FFd = FPid = -1;
  return FOutcome;
}

std::string OpenFailureMessage(const std::string& FileName, TOpenOutcome Outcome, TOpenedKind Kind) {
  const bool pdf = Kind == TOpenedKind::Pdf;
  const std::string start =
      (pdf ? "Die PDF-Datei „" : "Das Foto „") + FileName + "“ konnte nicht angezeigt werden: ";
  switch (Outcome) {
    case TOpenOutcome::NoProgram:
      return start + (pdf ? "Es ist kein Programm zum Anzeigen von PDF-Dateien eingerichtet."
                          : "Es ist kein Programm zum Anzeigen dieser Bilddatei eingerichtet.");
    case TOpenOutcome::Failed: return start + "Das Programm zum Anzeigen hat einen Fehler gemeldet.";
    case TOpenOutcome::Running:
    case TOpenOutcome::Opened: break;
  }
  return {};
}

void TXdgShell::OpenFile(const std::string& FileName) { OpenWatched(FileName); }

TOpening TXdgShell::OpenWatched(const std::string& FileName) {
  // posix_spawnp starts the program without copying this process first (no fork), which is safe in a
  // process with threads; the file name goes to it as one argument, never through a shell.
  const TDetachedSpawn spawn;
  char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(FileName.c_str()), nullptr};
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, "xdg-open", nullptr, spawn.Attr(), argv, environ);
  if (error != 0) return TOpening(error == ENOENT ? TOpenOutcome::NoProgram : TOpenOutcome::Failed);
  return TOpening::Watch(pid);
}
