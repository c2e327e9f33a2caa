#include "ui/MainForm.h"

#include <QCloseEvent>
#include <QLabel>
#include <QStatusBar>

#include "album/AlbumFile.h"
#include "platform/Messages.h"
#include "ui/ProgressPanel.h"

TMainForm::TMainForm(QWidget* Parent) : QMainWindow(Parent) {
  setWindowTitle(QStringLiteral("PDF-Quirvel"));
  resize(800, 600);

  FStatusText = new QLabel(this);
  FStatusText->setFixedWidth(250);
  FProgressPanel = new TProgressPanel(this);
  statusBar()->addWidget(FStatusText);
  statusBar()->addWidget(FProgressPanel, 1);
}

void TMainForm::SetProStatus(int Percent) { FProgressPanel->SetProStatus(Percent); }

TMainForm::~TMainForm() = default;

void TMainForm::OpenFileNow(const std::string& FileName) {
  const TAlbumFileResult loaded = OpenAlbumFile(FileName, FAlbum, FSettings);
  if (!loaded.Ok) ShowError(loaded.Message);
}

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
