#include <QApplication>
#include <iostream>

#include "app/CommandLine.h"
#include "app/Signals.h"
#include "app/WindowStart.h"
#include "platform/TempFolder.h"
#include "ui/WindowApp.h"

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
  // An album named as the first argument is opened once the window shows.
  return RunMainWindow(WindowAlbum(args));
}
