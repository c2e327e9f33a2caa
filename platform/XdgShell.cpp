#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>

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

}  // namespace

void TXdgShell::OpenFile(const std::string& FileName) {
  // posix_spawnp starts the program without copying this process first (no fork), which is safe in a
  // process with threads; the file name goes to it as one argument, never through a shell.
  const TDetachedSpawn spawn;
  char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(FileName.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "xdg-open", nullptr, spawn.Attr(), argv, environ) != 0) return;
  // Someone must collect its exit status, or it stays behind as a zombie until we end. A small thread
  // waits for exactly this child, so other children of the process are never reaped by mistake.
  try {
    std::thread([pid] {
      int status = 0;
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to be had: collect it now if it has already ended, and otherwise leave it.
    int status = 0;
    waitpid(pid, &status, WNOHANG);
  }
}
