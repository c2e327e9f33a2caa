#include "ui/PrintCheckList.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QVBoxLayout>

#include "album/AlbumModel.h"
#include "platform/FreeTypeFonts.h"

TPrintCheckList::TPrintCheckList(QWidget* Parent) : QWidget(Parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* caption = new QLabel(QStringLiteral("Druckprüfung"), this);
  QFont bold = caption->font();
  bold.setBold(true);
  caption->setFont(bold);
  Findings = new QListWidget(this);
  Findings->setObjectName(QStringLiteral("PrintCheckFindings"));
  Findings->setWordWrap(true);
  Findings->setSelectionMode(QAbstractItemView::NoSelection);
  // The list takes the height the page has left and asks for none, so the window keeps its size.
  Findings->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
  SummaryLabel = new QLabel(this);
  SummaryLabel->setWordWrap(true);
  layout->addWidget(caption);
  layout->addWidget(Findings, 1);
  layout->addWidget(SummaryLabel);
}

TPrintCheckList::~TPrintCheckList() {
  FCancel = true;
  if (FThread.joinable()) FThread.join();
}

void TPrintCheckList::Attach(const TAlbumModel& Album, std::function<TLayoutSettings()> Settings) {
  FAlbum = &Album;
  FSettings = std::move(Settings);
  SettingsChanged();
}

void TPrintCheckList::SettingsChanged() {
  if (!FAlbum) return;
  if (FRunning) {
    // The running check is out of date: it stops, and Finished starts the next.
    FWanted = true;
    FCancel = true;
    return;
  }
  Start();
}

void TPrintCheckList::Start() {
  FWanted = false;
  FCancel = false;
  FRunning = true;
  if (FShown.Photos.empty() && FShown.Findings.empty()) SummaryLabel->setText(QStringLiteral("Die Druckprüfung läuft …"));
  // What the thread checks is copied here, on the window's thread: the album may change meanwhile.
  std::vector<TExportPhoto> photos = ExportPhotos(*FAlbum);
  const TLayoutSettings settings = FSettings();
  if (FThread.joinable()) FThread.join();
  FThread = std::thread([this, photos = std::move(photos), settings] {
    if (!FMetrics) FMetrics = std::make_shared<TFreeTypeFonts>();
    TPrintCheckOptions options;
    options.Metrics = FMetrics;
    options.Cancel = &FCancel;
    TPrintCheck check = CheckPrint(photos, settings, options);
    // Queued to the list: dropped unread if the list is gone by then (its destructor waited for us).
    QMetaObject::invokeMethod(this, [this, check = std::move(check)]() mutable { Finished(std::move(check)); },
                              Qt::QueuedConnection);
  });
}

void TPrintCheckList::Finished(TPrintCheck Check) {
  if (FThread.joinable()) FThread.join();
  FRunning = false;
  if (FWanted) {
    Start();
    return;
  }
  if (Check.Complete) Show(std::move(Check));
}

void TPrintCheckList::Show(TPrintCheck Check) {
  FShown = std::move(Check);
  Findings->clear();
  const QIcon error = style()->standardIcon(QStyle::SP_MessageBoxCritical);
  const QIcon note = style()->standardIcon(QStyle::SP_MessageBoxInformation);
  for (const TPrintFinding& finding : FShown.Findings)
    new QListWidgetItem(finding.Serious ? error : note, QString::fromStdString(finding.Text), Findings);
  SummaryLabel->setText(QString::fromStdString(FShown.Summary()));
  emit Updated();
}
