#pragma once
// Stopping on request: SIGINT (Ctrl-C), SIGTERM (kill, shutdown, logout) and SIGHUP (the terminal or
// the session went away) cancel the running work instead of killing the process, so that the program
// leaves by its normal way out: a half-written PDF beside its target and the private temporary folder
// are removed by their owners' destructors.
//
// The handler only records the signal: it stores its number and sets an atomic flag, and writes one
// byte into a pipe (all async-signal-safe). Everything else happens on the program's own threads: the
// command line hands the flag to the export as its cancel flag, and the window watches the pipe's read
// end from its event loop. Nothing is cleaned up inside the handler.
//
// The exit status after an interrupt is 128 + the signal's number, as a shell reports a process killed
// by it: 130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP.
//
// Each handler is installed with SA_RESETHAND: a second signal of the same kind ends the program at once
// (for a user who does not want to wait for the clean-up); the next start then removes what was left.
// A signal that was ignored when the program started (nohup, a background job) stays ignored.

#include <atomic>

class TInterruptCatcher {
 public:
  // Installs the handlers and unblocks the three signals (a blocked mask is inherited from the parent
  // and would keep them pending for ever). Throws TSystemError when the pipe cannot be made. Only one
  // catcher may live at a time.
  TInterruptCatcher();
  // Restores the previous handlers and closes the pipe. A signal recorded before stays recorded.
  ~TInterruptCatcher();
  TInterruptCatcher(const TInterruptCatcher&) = delete;
  TInterruptCatcher& operator=(const TInterruptCatcher&) = delete;
};

// Set once one of the signals arrived; never cleared. Suitable as TExportOptions::Cancel.
const std::atomic<bool>& InterruptFlag();

// The first signal that arrived, 0 when none did.
int InterruptSignal();

// 128 + InterruptSignal(); 0 when no signal arrived.
int InterruptExitStatus();

// The read end of the pipe the handler writes to (non-blocking, close-on-exec): readable once a signal
// arrived. -1 while no catcher lives.
int InterruptPipe();
