#include "ui/BackgroundJob.h"

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// How long a job may run before its dialog shows: a short one passes without flickering a window.
constexpr std::chrono::milliseconds KQuietTime{300};

class TJobDialog final : public QDialog {
 public:
  TJobDialog(QWidget* Parent, const QString& Title, const QString& Text) : QDialog(Parent) {
    setObjectName(QStringLiteral("JobDialog"));
    setWindowTitle(Title);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(Text, this));
    FState = new QLabel(this);
    layout->addWidget(FState);
    FBar = new QProgressBar(this);
    FBar->setRange(0, 0);
    FBar->setMinimumWidth(320);
    layout->addWidget(FBar);
    FCancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    FCancelButton->setObjectName(QStringLiteral("JobCancel"));
    layout->addWidget(FCancelButton, 0, Qt::AlignRight);
    connect(FCancelButton, &QPushButton::clicked, this, &TJobDialog::reject);
  }

  void Show(size_t Done, size_t Total) {
    if (FCancel) return;
    FState->setText(QStringLiteral("%1 von %2").arg(Done).arg(Total));
    FBar->setRange(0, static_cast<int>(std::min<size_t>(Total, INT_MAX)));
    FBar->setValue(static_cast<int>(std::min<size_t>(Done, INT_MAX)));
  }

  // Asks the work to stop; the dialog closes when it has.
  void reject() override {
    if (FCancel.exchange(true)) return;
    FState->setText(QStringLiteral("Wird abgebrochen ..."));
    FCancelButton->setEnabled(false);
  }

  std::atomic<bool> FCancel{false};

 private:
  QLabel* FState;
  QProgressBar* FBar;
  QPushButton* FCancelButton;
};

}  // namespace

bool RunJob(QWidget* Parent, const QString& Title, const QString& Text, const TJobWork& Work) {
  TJobDialog dialog(Parent, Title, Text);
  std::mutex lock;
  std::condition_variable ended;
  bool finished = false;
  const TJobProgress progress = [&dialog](size_t Done, size_t Total) {
    TJobDialog* target = &dialog;
    QMetaObject::invokeMethod(
        target, [target, Done, Total] { target->Show(Done, Total); }, Qt::QueuedConnection);
  };
  std::thread worker([&] {
    try {
      Work(dialog.FCancel, progress);
    } catch (...) {
      // The work reports its own failures; one that throws counts as cancelled, so nothing is applied.
      dialog.FCancel = true;
    }
    {
      const std::lock_guard guard(lock);
      finished = true;
    }
    ended.notify_all();
    QMetaObject::invokeMethod(
        &dialog, [&dialog] { dialog.done(QDialog::Accepted); }, Qt::QueuedConnection);
  });
  bool done = false;
  {
    std::unique_lock wait(lock);
    done = ended.wait_for(wait, KQuietTime, [&] { return finished; });
  }
  if (!done) dialog.exec();
  // Should the dialog's loop have been left otherwise (the program is quitting), the work is cancelled
  // and this thread waits for it.
  {
    std::unique_lock wait(lock);
    if (!finished) {
      dialog.reject();
      ended.wait(wait, [&] { return finished; });
    }
  }
  worker.join();
  return !dialog.FCancel;
}
