#pragma once
// The export from the window: ExportAlbum runs on the thread of a TExportJob (ExportJob.h) while a modal
// dialog shows how far it got ("PDF-Datei wird erzeugt ...", photo k of n, the page being filled) and
// offers "Abbrechen". The window stays painted and the status bar's bar moves with each picture; the
// user can do nothing else meanwhile. Cancelling (the button, Esc or closing the dialog) stops the
// export between two pictures; the export then leaves no file and no temporary file behind.
//
// Messages of the export (a page file that cannot be created) reach the user through the core's message
// box, which the window's box hands to the user-interface thread while the worker waits.

#include <QDialog>
#include <atomic>
#include <string>
#include <vector>

#include "export/AlbumExport.h"

class QLabel;
class QProgressBar;
class QPushButton;
class TProgressSink;

class TExportProgressDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit TExportProgressDialog(QWidget* Parent = nullptr);

  // Photo Index (from 0) of Count is being placed.
  void ShowPhoto(size_t Index, size_t Count);
  // Page Page is complete; the next one is being filled.
  void ShowPageFinished(int32_t Page);
  const std::atomic<bool>& CancelFlag() const { return FCancel; }

 public slots:
  // "Abbrechen", Esc and the close button: asks the export to stop; the dialog closes when it has.
  void reject() override;

 private:
  void ShowState();

  std::atomic<bool> FCancel{false};
  size_t FPhoto = 0, FPhotos = 0;
  int32_t FPage = 1;
  QLabel* FState;
  QProgressBar* FBar;
  QPushButton* FCancelButton;
};

// Runs the export of Photos with Settings to FileName as described above and returns its result once
// it has ended. PictureProgress receives the picture loader's percentages on the worker thread.
// User-interface thread only.
TExportResult RunExport(QWidget* Parent, std::vector<TExportPhoto> Photos, const TLayoutSettings& Settings,
                        const std::string& FileName, TProgressSink& PictureProgress);
