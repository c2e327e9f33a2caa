#include <QApplication>
#include <iostream>

#include "app/CommandLine.h"
#include "app/Signals.h"
#include "app/WindowStart.h"
#include "platform/Messages.h"
#include "platform/TempFolder.h"
#include "ui/MainForm.h"
#include "ui/QtDevice.h"
#include "ui/QtMessageBox.h"

int main(int argc, char* argv[]) {
  RemoveStaleTempFolders();
  const TInterruptCatcher interrupts;
  // A subcommand runs without a window, so it needs no display and creates no QApplication.
  const TCommandArgs args(argv + 1, argv + argc);
  if (ProgramCommandLine().Handles(args)) return ProgramCommandLine().Run(args, std::cout, std::cerr);
  if (!WindowCanStart(std::cerr)) return 1;

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quirvel"));
  QApplication::setApplicationDisplayName(QStringLiteral("PDF-Quirvel"));
  SetProgramIdentity();
  QuitOnInterrupt();

  TQtDesktopDevice desktop;
  SetDesktopDevice(&desktop);
  TMainForm form;
  TQtMessageBox messages(&form);
  SetMessageBox(&messages);
  form.show();
  // An album named as the first argument is opened once the window shows.
  if (const std::string album = WindowAlbum(args); !album.empty()) form.OpenFileNow(album);
  const int result = app.exec();
  SetMessageBox(nullptr);
  SetDesktopDevice(nullptr);
  return result;
}
