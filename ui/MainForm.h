#pragma once
// TMainForm: the main window. It owns the album (photo list and current photo) and asks before it
// closes, since the program keeps no record of unsaved changes.

#include <QMainWindow>

#include "album/AlbumModel.h"
#include "album/LayoutSettings.h"
#include "platform/ProgressSink.h"

class QLabel;
class TProgressPanel;

class TMainForm : public QMainWindow, public TProgressSink {
  Q_OBJECT

 public:
  explicit TMainForm(QWidget* Parent = nullptr);
  ~TMainForm() override;

  TAlbumModel& Album() { return FAlbum; }
  TLayoutSettings& Settings() { return FSettings; }

  // Loads the album file FileName (photo list, fonts, settings); on failure shows the file reader's
  // German message with the error icon. Repaints nothing: its callers do.
  void OpenFileNow(const std::string& FileName);

  // Progress of picture loading and exports, shown at once in the status bar's second panel.
  void Progress(int Percent) override { SetProStatus(Percent); }
  void SetProStatus(int Percent);
  TProgressPanel* ProgressPanel() const { return FProgressPanel; }
  // The status bar's first panel (250 pixels): the position of the current photo.
  QLabel* StatusText() const { return FStatusText; }

 protected:
  void closeEvent(QCloseEvent* Event) override;

 private:
  // Asks "Programm beenden"; true when the window may close.
  bool FormCloseQuery();

  TAlbumModel FAlbum;
  TLayoutSettings FSettings = FirstStartSettings();
  QLabel* FStatusText = nullptr;
  TProgressPanel* FProgressPanel = nullptr;
};
