#include "ui/ExportRunner.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "export/ExportJob.h"
#include "export/PictureLoad.h"
#include "platform/FileVerdicts.h"
#include "platform/ProgressSink.h"

namespace {

// Hands the export's reports to the dialog on the user-interface thread. Posted calls carry the dialog
// as their context, so none is delivered after the dialog is gone.
class TDialogListener final : public TExportListener {
 public:
  explicit TDialogListener(TExportProgressDialog& Dialog) : FDialog(Dialog) {}
  void PhotoStarting(size_t Index, size_t Count) override {
    TExportProgressDialog* dialog = &FDialog;
    QMetaObject::invokeMethod(
        dialog, [dialog, Index, Count] { dialog->ShowPhoto(Index, Count); }, Qt::QueuedConnection);
  }
  void PageFinished(int32_t Page) override {
    TExportProgressDialog* dialog = &FDialog;
    QMetaObject::invokeMethod(
        dialog, [dialog, Page] { dialog->ShowPageFinished(Page); }, Qt::QueuedConnection);
  }

 private:
  TExportProgressDialog& FDialog;
};

}  // namespace

TExportProgressDialog::TExportProgressDialog(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("ExportProgressDialog"));
  setWindowTitle(QStringLiteral("PDF-Datei erzeugen"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("PDF-Datei wird erzeugt ..."), this));
  FState = new QLabel(this);
  FState->setObjectName(QStringLiteral("ExportState"));
  layout->addWidget(FState);
  FBar = new QProgressBar(this);
  FBar->setRange(0, 1);
  FBar->setValue(0);
  FBar->setMinimumWidth(320);
  layout->addWidget(FBar);
  FCancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
  FCancelButton->setObjectName(QStringLiteral("ExportCancel"));
  layout->addWidget(FCancelButton, 0, Qt::AlignRight);
  connect(FCancelButton, &QPushButton::clicked, this, &TExportProgressDialog::reject);
  ShowState();
}

void TExportProgressDialog::ShowPhoto(size_t Index, size_t Count) {
  FPhoto = Index + 1;
  FPhotos = Count;
  ShowState();
}

void TExportProgressDialog::ShowPageFinished(int32_t Page) {
  FPage = Page + 1;
  ShowState();
}

void TExportProgressDialog::ShowState() {
  if (FCancel) return;
  if (FPhotos == 0) {
    FState->setText(QStringLiteral("Seite %1").arg(FPage));
    return;
  }
  FState->setText(QStringLiteral("Foto %1 von %2, Seite %3").arg(FPhoto).arg(FPhotos).arg(FPage));
  FBar->setRange(0, static_cast<int>(std::min<size_t>(FPhotos, INT_MAX)));
  FBar->setValue(static_cast<int>(std::min<size_t>(FPhoto - 1, INT_MAX)));
}

void TExportProgressDialog::reject() {
  if (FCancel.exchange(true)) return;
  FState->setText(QStringLiteral("Wird abgebrochen ..."));
  FCancelButton->setEnabled(false);
}

TExportResult RunExport(QWidget* Parent, std::vector<TExportPhoto> Photos, const TLayoutSettings& Settings,
                        const std::string& FileName, TProgressSink& PictureProgress) {
  TExportProgressDialog dialog(Parent);
  TDialogListener listener(dialog);
  TExportOptions options;
  options.Listener = &listener;
  options.PictureProgress = &PictureProgress;
  options.Cancel = &dialog.CancelFlag();
  TFileVerdicts cleanJpegs(TFileVerdicts::UserCacheFile(KCleanJpegsCacheName));
  options.CleanJpegs = &cleanJpegs;
  TExportJob job(std::move(Photos), Settings, FileName, options, [&dialog] {
    QMetaObject::invokeMethod(
        &dialog, [&dialog] { dialog.done(QDialog::Accepted); }, Qt::QueuedConnection);
  });

  dialog.exec();
  // The dialog ends only when the export has; should its loop have been left otherwise (the program is
  // quitting), the export is cancelled and the loop kept turning, since a message the job waits for
  // needs this thread.
  if (!job.Finished()) {
    dialog.reject();
    while (!job.Finished()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return job.Result();
}
