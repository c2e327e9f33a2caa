#pragma once
// TPrintCheckList: the list "Druckprüfung" on the page "PDF-Datei erzeugen". It shows what the print
// check (export/PrintCheck.h) finds in the album with the settings as the window's controls hold them:
// one line per finding, those that fail the check marked as errors, and the summary below.
//
// Every change that alters the PDF calls SettingsChanged. The check runs on a thread of the list's
// own, never on the window's, and never holds up an export: a change while a check runs cancels that
// check and starts one more when it has stopped, so a burst of changes costs at most one check beyond
// the one running. Only a complete check of the latest settings is shown. The thread has font metrics
// of its own; the destructor cancels a running check and waits for it.

#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "album/LayoutSettings.h"
#include "export/PrintCheck.h"

class QLabel;
class QListWidget;
class TAlbumModel;
class TFontMetrics;

class TPrintCheckList : public QWidget {
  Q_OBJECT

 public:
  explicit TPrintCheckList(QWidget* Parent = nullptr);
  ~TPrintCheckList() override;

  // The album to check and the settings to check it with; Album outlives the list. Checks at once.
  void Attach(const TAlbumModel& Album, std::function<TLayoutSettings()> Settings);
  // The photos or a setting changed: check again.
  void SettingsChanged();

  // The check shown last (empty before the first one ended).
  const TPrintCheck& Shown() const { return FShown; }
  QListWidget* Findings;
  QLabel* SummaryLabel;

 signals:
  // A new check is shown.
  void Updated();

 private:
  void Start();
  void Finished(TPrintCheck Check);
  void Show(TPrintCheck Check);

  const TAlbumModel* FAlbum = nullptr;
  std::function<TLayoutSettings()> FSettings;
  std::shared_ptr<TFontMetrics> FMetrics;  // the check thread's
  std::thread FThread;
  std::atomic<bool> FCancel{false};
  bool FRunning = false;
  bool FWanted = false;  // a change came while a check ran
  TPrintCheck FShown;
};
