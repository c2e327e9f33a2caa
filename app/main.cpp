#include <QApplication>
#include <iostream>

#include "app/CommandLine.h"
#include "platform/Messages.h"
#include "ui/MainForm.h"
#include "ui/QtDevice.h"
#include "ui/QtMessageBox.h"

int main(int argc, char* argv[]) {
  // A subcommand runs without a window, so it needs no display and creates no QApplication.
  const TCommandArgs args(argv + 1, argv + argc);
  if (ProgramCommandLine().Handles(args)) return ProgramCommandLine().Run(args, std::cout, std::cerr);

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quirvel"));
  QApplication::setApplicationDisplayName(QStringLiteral("PDF-Quirvel"));

  TQtDesktopDevice desktop;
  SetDesktopDevice(&desktop);
  TMainForm form;
  TQtMessageBox messages(&form);
  SetMessageBox(&messages);
  form.show();
  // An album named as the first argument is opened once the window shows; further arguments are
  // ignored.
  if (!args.empty()) form.OpenFileNow(args.front());
  const int result = app.exec();
  SetMessageBox(nullptr);
  SetDesktopDevice(nullptr);
  return result;
}
