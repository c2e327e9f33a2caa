#pragma once
// The window's part of the program's start: German texts for Qt's own dialogs and buttons, the
// platform pieces the window uses (message boxes, dialogs, the per-user settings store, the desktop
// shell, the screen) and the main window, which opens Album (when not empty) once it shows.

#include <memory>
#include <string>

class QCoreApplication;
class QTranslator;

// Loads Qt's German translations (Debian's qt6-translations-l10n) into App. Returns the translator,
// which must live as long as the texts are used; nullptr when none is installed.
std::unique_ptr<QTranslator> InstallGermanQtTexts(QCoreApplication& App);

// Runs the main window until it closes, in the QApplication that exists; returns the event loop's exit
// status.
int RunMainWindow(const std::string& Album);
