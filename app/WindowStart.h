#pragma once
// What main does around the window besides the window itself: refusing to start without a display,
// the program's identity on the desktop, and ending the event loop when a signal asks the program to
// stop (Signals.h).

#include <iosfwd>

// Whether the window can be shown. Decided before the QApplication exists, from the environment: a
// platform named in QT_QPA_PLATFORM that needs no display server (offscreen, ...), or the Wayland or
// X11 display that the platform needs. When there is none, writes a German message that suggests the
// command line to Err and returns false. When there is one, a platform that still fails to start while
// the QApplication is being made (a display that cannot be reached) ends the program with the same
// message and exit status 1 instead of Qt's abort.
bool WindowCanStart(std::ostream& Err);

// Version, icon and desktop file name of the running QApplication, so that the desktop matches its
// windows to the installed .desktop file.
void SetProgramIdentity();

// Ends every running event loop with the exit status of the signal (128 + its number) once SIGINT,
// SIGTERM or SIGHUP arrives, without asking: at logout nobody answers questions. Call once after the
// QApplication is made, while a TInterruptCatcher lives.
void QuitOnInterrupt();
