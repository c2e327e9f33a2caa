#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Shell.h"

extern char** environ;

void TXdgShell::OpenFile(const std::string& FileName) {
  // Double fork through a short-lived child so that xdg-open is reparented and never becomes a zombie
  // of ours; its arguments go straight to exec, never through a shell.
  pid_t child = fork();
  if (child < 0) return;
  if (child == 0) {
    setsid();
    pid_t pid;
    char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(FileName.c_str()), nullptr};
    posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ);
    _exit(0);
  }
  int status;
  waitpid(child, &status, 0);
}
