#pragma once
// The real main window with scripted dialogs, an in-memory settings store, a shell that only records
// and a message box that records and answers (OK unless told otherwise).

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"
#include "ui/MainForm.h"
#include "ui/ThumbnailGrid.h"

class TRecordingShell final : public TShell {
 public:
  void OpenFile(const std::string& FileName) override { Opened.push_back(FileName); }
  TOpening OpenWatched(const std::string& FileName) override {
    OpenFile(FileName);
    return Watch ? Watch(FileName) : TOpening(TOpenOutcome::Opened);
  }
  std::vector<std::string> Opened;
  // How a watched opening goes after it was recorded; none: opened at once.
  std::function<TOpening(const std::string&)> Watch;
};

struct TMainFormFixture {
  qtest::TRecordingMessageBox Box;  // first in, last out: the window may ask until it is gone
  qtest::TScriptedDialogs Dialogs;
  TMemorySettingsStore Store;
  TRecordingShell Shell;
  TMainForm Form{Dialogs, Store, Shell};

  template <typename T>
  T* Control(const char* Name) {
    T* control = Form.findChild<T*>(QString::fromLatin1(Name));
    if (!control) qFatal("no control %s", Name);
    return control;
  }
  void Click(const char* Button) { Control<QAbstractButton>(Button)->click(); }
  // Adds Paths through "Fotos hinzufügen..." with the add dialog answering them.
  void AddPhotos(const std::vector<std::string>& Paths) {
    Dialogs.FileAnswers.push_back(Paths);
    Click("NewFotoBtn");
  }
  // Clicks photo Number's cell in the grid, as the user makes it current; shows the window first.
  void SelectPhoto(int Number) {
    if (!Form.isVisible()) Form.show();
    TThumbnailGrid* grid = Form.Grid();
    grid->PaintBox1Paint();
    const int i = Number - 1, columns = grid->Columns();
    QTest::mouseClick(grid->PaintBox1, Qt::LeftButton, {},
                      QPoint(i % columns * 90 + 45, i / columns * 110 + 55));
  }
  // Sizes the window so that the grid has Columns columns.
  void GridColumns(int Columns) {
    if (!Form.isVisible()) Form.show();
    TThumbnailGrid* grid = Form.Grid();
    for (int tries = 0; tries < 3 && grid->Columns() != Columns; ++tries) {
      Form.resize(Form.width() + Columns * 90 + 45 - grid->PaintBox1->width(), Form.height());
      QApplication::processEvents();
      grid->PaintBox1Paint();
    }
    QCOMPARE(grid->Columns(), Columns);
  }
  std::string PhotoText(int Number) { return std::string(EntryText(Form.Album().Pics[Number - 1])); }
  std::string PhotoName(int Number) { return std::string(EntryFileName(Form.Album().Pics[Number - 1])); }
};
