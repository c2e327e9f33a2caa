#pragma once
// TMainForm: the main window. It owns the album (photo list and current photo) and asks before it
// closes, since the program keeps no record of unsaved changes.

#include <QMainWindow>

#include "album/AlbumModel.h"

class TMainForm : public QMainWindow {
  Q_OBJECT

public:
  explicit TMainForm(QWidget* Parent = nullptr);
  ~TMainForm() override;

  TAlbumModel& Album() { return FAlbum; }

protected:
  void closeEvent(QCloseEvent* Event) override;

private:
  // Asks "Programm beenden"; true when the window may close.
  bool FormCloseQuery();

  TAlbumModel FAlbum;
};
