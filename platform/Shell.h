#pragma once
// The desktop shell: asks the desktop to open a file with its default application (the action a
// double-click in the file manager performs).
//
// OpenFile starts the opener and forgets it. OpenWatched starts it as well and hands back a TOpening,
// through which a caller learns, without ever waiting, whether the desktop could open the file: its
// descriptor becomes readable when the opener has ended, and Outcome then tells how it ended. The window
// watches the descriptor with its event loop and tells the user when nothing could show the PDF.

#include <sys/types.h>

#include <string>

// What became of a request to open a file.
enum class TOpenOutcome {
  Running,    // the opener has not ended yet
  Opened,     // the opener ended with status 0
  NoProgram,  // there is no opener, or it knows no program for files of this type
  Failed,     // the opener ended with an error, or was killed
};

// A started opener, watched without waiting for it. Move-only; one thread at a time.
//
// Destroying a watch whose opener still runs leaves the opener running; its exit status is then
// collected by a small thread of its own, so no zombie child stays behind. Only the watched child is
// ever reaped, never another child of the process.
class TOpening {
 public:
  // An opening whose outcome is known at once: nothing to wait for, Fd() is -1.
  explicit TOpening(TOpenOutcome Outcome = TOpenOutcome::Opened) : FOutcome(Outcome) {}
  // Watches Pid, a child this process has started and nobody else reaps.
  static TOpening Watch(pid_t Pid);
  ~TOpening();
  TOpening(TOpening&& Other) noexcept;
  TOpening& operator=(TOpening&& Other) noexcept;
  TOpening(const TOpening&) = delete;
  TOpening& operator=(const TOpening&) = delete;

  // Readable (poll, a socket notifier) once the opener has ended; -1 when the outcome is known.
  int Fd() const { return FFd; }
  // Running while the opener runs; otherwise how it ended, its exit status collected the first time.
  TOpenOutcome Outcome();

 private:
  void Release();

  pid_t FPid = -1;
  int FFd = -1;
  TOpenOutcome FOutcome = TOpenOutcome::Opened;
};

// What was opened, for the message that names it.
enum class TOpenedKind { Pdf, Photo };
// The German message for a PDF or photo that the desktop could not show; empty for Running and Opened.
std::string OpenFailureMessage(const std::string& FileName, TOpenOutcome Outcome,
                               TOpenedKind Kind = TOpenedKind::Pdf);

class TShell {
 public:
  virtual ~TShell() = default;
  // Starts the default application for FileName and returns without waiting for it.
  virtual void OpenFile(const std::string& FileName) = 0;
  // The same, watched. A shell that cannot tell how its opener ended reports Opened.
  virtual TOpening OpenWatched(const std::string& FileName) {
    OpenFile(FileName);
    return TOpening(TOpenOutcome::Opened);
  }
};

// Opens files with xdg-open, detached from this process. Its exit status 3 (no method available for
// the file) counts as NoProgram, as does an xdg-open that cannot be started.
class TXdgShell final : public TShell {
 public:
  void OpenFile(const std::string& FileName) override;
  TOpening OpenWatched(const std::string& FileName) override;
};
