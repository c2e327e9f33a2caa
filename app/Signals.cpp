#include "app/Signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>

#include "platform/SystemError.h"

namespace {

constexpr int KSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr size_t KSignalCount = std::size(KSignals);

// Only lock-free atomics may be touched from a signal handler.
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

std::atomic<bool> GInterrupted{false};
std::atomic<int> GSignal{0};
std::atomic<int> GPipeRead{-1};
std::atomic<int> GPipeWrite{-1};

// What was there before each handler, restored by the catcher's destructor.
struct sigaction GPrevious[KSignalCount];
bool GInstalled[KSignalCount];

void OnInterrupt(int Signal) {
  const int savedErrno = errno;
  int none = 0;
  GSignal.compare_exchange_strong(none, Signal);
  GInterrupted.store(true);
  const int fd = GPipeWrite.load();
  if (fd >= 0) {
    const char byte = 1;
    // A full pipe already says "interrupted"; the write end is non-blocking, so this never waits.
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
  }
  errno = savedErrno;
}

}  // namespace

TInterruptCatcher::TInterruptCatcher() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) ThrowSystemError("Signalweiterleitung anlegen", "pipe");
  GPipeRead.store(fds[0]);
  GPipeWrite.store(fds[1]);

  sigset_t ours;
  sigemptyset(&ours);
  for (size_t i = 0; i < KSignalCount; ++i) {
    sigaddset(&ours, KSignals[i]);
    sigaction(KSignals[i], nullptr, &GPrevious[i]);
    GInstalled[i] = GPrevious[i].sa_handler != SIG_IGN;
  }
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  action.sa_mask = ours;  // one handler at a time
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (size_t i = 0; i < KSignalCount; ++i)
    if (GInstalled[i]) sigaction(KSignals[i], &action, nullptr);
  pthread_sigmask(SIG_UNBLOCK, &ours, nullptr);
}

TInterruptCatcher::~TInterruptCatcher() {
  for (size_t i = 0; i < KSignalCount; ++i)
    if (GInstalled[i]) sigaction(KSignals[i], &GPrevious[i], nullptr);
  ::close(GPipeWrite.exchange(-1));
  ::close(GPipeRead.exchange(-1));
}

const std::atomic<bool>& InterruptFlag() { return GInterrupted; }

int InterruptSignal() { return GSignal.load(); }

int InterruptExitStatus() {
  const int signal = InterruptSignal();
  return signal ? 128 + signal : 0;
}

int InterruptPipe() { return GPipeRead.load(); }
