#include "ui/MainForm.h"

#include <QCloseEvent>

#include "platform/Messages.h"

TMainForm::TMainForm(QWidget* Parent) : QMainWindow(Parent) {
  setWindowTitle(QStringLiteral("PDF-Quirvel"));
  resize(800, 600);
}

TMainForm::~TMainForm() = default;

bool TMainForm::FormCloseQuery() {
  return MessageBox().Show("Hiermit beenden Sie das Programm! Alle nicht gespeicherten Daten gehen verloren!",
                           "Programm beenden", TMsgIcon::Information, TMsgButtons::OkCancel);
}

void TMainForm::closeEvent(QCloseEvent* Event) {
  if (FormCloseQuery())
    Event->accept();
  else
    Event->ignore();
}
