#include <QApplication>

#include "platform/Messages.h"
#include "ui/MainForm.h"
#include "ui/QtMessageBox.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quirvel"));
  QApplication::setApplicationDisplayName(QStringLiteral("PDF-Quirvel"));

  TMainForm form;
  TQtMessageBox messages(&form);
  SetMessageBox(&messages);
  form.show();
  const int result = app.exec();
  SetMessageBox(nullptr);
  return result;
}
