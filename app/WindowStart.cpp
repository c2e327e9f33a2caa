#include "app/WindowStart.h"

#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string_view>

#include "app/CommandLine.h"
#include "app/Signals.h"

#ifndef QUIRVEL_APP_ID
#error "the build defines QUIRVEL_APP_ID, the name of the .desktop file"
#endif

namespace {

const char* const KNoWindow =
    "Fehler: Das Programmfenster kann nicht geöffnet werden, weil keine grafische Anzeige erreichbar ist.\n"
    "Ohne Fenster schreibt „quirvel export AUSGABE.pdf ALBUM.qvl“ ein Album als PDF-Datei;\n"
    "alle Befehle zeigt „quirvel --help“.\n";

bool HasEnv(const char* Name) {
  const char* value = std::getenv(Name);
  return value && *value;
}

bool HasWayland() { return HasEnv("WAYLAND_DISPLAY") || HasEnv("WAYLAND_SOCKET"); }

// Whether the platform plugin Name ("xcb", "wayland-egl", "offscreen", ...) finds its display.
bool PlatformUsable(std::string_view Name) {
  Name = Name.substr(0, Name.find(':'));  // "name:option=value"
  if (Name == "xcb") return HasEnv("DISPLAY");
  if (Name.substr(0, 7) == "wayland") return HasWayland();
  return !Name.empty();  // the others need no display server, or none we could check
}

bool DisplayAvailable() {
  const char* platforms = std::getenv("QT_QPA_PLATFORM");
  if (!platforms || !*platforms) return HasEnv("DISPLAY") || HasWayland();
  // A list "wayland;xcb" is tried in order: one usable entry is enough.
  for (std::string_view rest = platforms; !rest.empty();) {
    const size_t end = rest.find(';');
    if (PlatformUsable(rest.substr(0, end))) return true;
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return false;
}

QtMessageHandler GQtHandler = nullptr;

// Qt ends with a fatal message (and abort) when its platform plugin cannot start; that only happens
// while the QApplication is being made.
void OnQtMessage(QtMsgType Type, const QMessageLogContext& Context, const QString& Text) {
  if (Type == QtFatalMsg && QCoreApplication::startingUp()) {
    std::fputs(KNoWindow, stderr);
    std::fflush(stderr);
    std::_Exit(1);  // inside Qt's constructor: nothing of ours to clean up yet, and Qt's state is broken
  }
  GQtHandler(Type, Context, Text);
}

}  // namespace

bool WindowCanStart(std::ostream& Err) {
  if (!DisplayAvailable()) {
    Err << KNoWindow;
    return false;
  }
  GQtHandler = qInstallMessageHandler(OnQtMessage);
  return true;
}

void SetProgramIdentity() {
  QCoreApplication::setApplicationVersion(QString::fromLatin1(ProgramVersion()));
  QGuiApplication::setDesktopFileName(QStringLiteral(QUIRVEL_APP_ID));
  QIcon icon;
  for (const char* size : {"48", "128", "256"}) icon.addFile(QStringLiteral(":/icons/%1.png").arg(size));
  QApplication::setWindowIcon(icon);
}

void QuitOnInterrupt() {
  const int pipe = InterruptPipe();
  if (pipe < 0) return;
  QCoreApplication* app = QCoreApplication::instance();
  auto* notifier = new QSocketNotifier(pipe, QSocketNotifier::Read, app);
  QObject::connect(notifier, &QSocketNotifier::activated, app, [pipe, app] {
    char drain[64];
    while (::read(pipe, drain, sizeof drain) > 0) {
    }
    const int status = InterruptExitStatus();
    // exit() ends the loops that run now (a dialog's and the main one); the queued call ends the main
    // loop in case it has not started yet, when the signal came during a dialog before it.
    QCoreApplication::exit(status);
    QMetaObject::invokeMethod(
        app, [status] { QCoreApplication::exit(status); }, Qt::QueuedConnection);
  });
}
