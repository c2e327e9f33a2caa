#include "ui/PagePreview.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "album/AlbumModel.h"
#include "export/ColorResolve.h"
#include "export/PagePreview.h"
#include "export/PageRaster.h"
#include "imaging/pictaro/PhotoTurn.h"
#include "imaging/screen/PreviewPictures.h"
#include "imaging/screen/ThumbnailCell.h"
#include "platform/FreeTypeFonts.h"

namespace {

// Room around the page inside the view, in pixels.
constexpr int KMargin = 8;

}  // namespace

// The drawing surface: the page centred on a neutral background.
class TPageView final : public QWidget {
 public:
  TPageView(TPagePreview& Pane, QWidget* Parent) : QWidget(Parent), FPane(Pane) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(120, 120);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    FPane.PaintPage(painter);
  }
  void mousePressEvent(QMouseEvent*) override { FPane.setFocus(); }
  // Also when the line below the page comes or goes.
  void resizeEvent(QResizeEvent*) override { FPane.SettingsChanged(); }

 private:
  TPagePreview& FPane;
};

TPagePreview::TPagePreview(const TAlbumModel& Album, std::function<TLayoutSettings()> Settings,
                           const TThumbnailCache* Thumbnails, QWidget* Parent)
    : QWidget(Parent), FAlbum(Album), FSettings(std::move(Settings)) {
  setFocusPolicy(Qt::ClickFocus);
  FView = new TPageView(*this, this);
  PrevPageBtn = new QToolButton(this);
  PrevPageBtn->setArrowType(Qt::LeftArrow);
  PrevPageBtn->setToolTip(QStringLiteral("Vorige Seite (Bild auf)"));
  NextPageBtn = new QToolButton(this);
  NextPageBtn->setArrowType(Qt::RightArrow);
  NextPageBtn->setToolTip(QStringLiteral("Nächste Seite (Bild ab)"));
  PageLabel = new QLabel(this);
  PageLabel->setAlignment(Qt::AlignCenter);
  PageLabel->setMinimumWidth(PageLabel->fontMetrics().horizontalAdvance(QStringLiteral("Seite 000 von 000")));

  auto* bar = new QHBoxLayout;
  bar->addStretch();
  bar->addWidget(PrevPageBtn);
  bar->addWidget(PageLabel);
  bar->addWidget(NextPageBtn);
  bar->addStretch();
  UnreadableLabel = new QLabel(this);
  UnreadableLabel->setAlignment(Qt::AlignCenter);
  UnreadableLabel->setWordWrap(true);
  UnreadableLabel->hide();
  auto* all = new QVBoxLayout(this);
  all->setContentsMargins(0, 0, 0, 0);
  all->addWidget(FView, 1);
  all->addLayout(bar);
  all->addWidget(UnreadableLabel);

  connect(PrevPageBtn, &QToolButton::clicked, this, &TPagePreview::PreviousPage);
  connect(NextPageBtn, &QToolButton::clicked, this, &TPagePreview::NextPage);
  for (const auto& [key, turn] : {std::pair{Qt::Key_PageUp, &TPagePreview::PreviousPage},
                                  std::pair{Qt::Key_PageDown, &TPagePreview::NextPage}}) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, turn);
  }

  FPictures = std::make_unique<TPreviewPictures>(
      [this] { QMetaObject::invokeMethod(this, &TPagePreview::TakePictures, Qt::QueuedConnection); }, Thumbnails);
}

TPagePreview::~TPagePreview() {
  FPictures.reset();  // no worker may call back into a pane that is going
}

bool TPagePreview::MakingPictures() const { return !FPictures->Idle(); }

void TPagePreview::SettingsChanged() {
  FDirty = true;
  Schedule();
}

void TPagePreview::AlbumChanged() {
  std::vector<std::string> files;
  for (uint32_t i = 0; i < FAlbum.Pics.Count; ++i)
    files.emplace_back(EntryFileName(FAlbum.Pics[static_cast<int32_t>(i)]));
  FPictures->Keep(files);
  SettingsChanged();
}

void TPagePreview::ShowCurrentPhoto() {
  FToCurrent = true;
  SettingsChanged();
}

void TPagePreview::NextPage() {
  if (FPage >= FPageCount) return;
  ++FPage;
  SettingsChanged();
}

void TPagePreview::PreviousPage() {
  if (FPage <= 1) return;
  --FPage;
  SettingsChanged();
}

void TPagePreview::TakePictures() {
  if (FPictures->TakeResults()) SettingsChanged();
}

void TPagePreview::showEvent(QShowEvent* Event) {
  QWidget::showEvent(Event);
  if (FDirty) Schedule();
}

void TPagePreview::Schedule() {
  if (FScheduled || !isVisible()) return;
  FScheduled = true;
  QMetaObject::invokeMethod(this, &TPagePreview::Redraw, Qt::QueuedConnection);
}

void TPagePreview::Redraw() {
  FScheduled = false;
  if (!isVisible()) return;
  FDirty = false;
  FPictures->SetMatte(PictureMatte(FSettings()));

  // What is known of each photo: the pane's own picture, else the grid's thumbnail, which also stands
  // in for the photo's proportions until its size is known.
  std::vector<TPreviewPhoto> photos;
  std::vector<std::string> files;
  photos.reserve(FAlbum.Pics.Count);
  for (uint32_t i = 0; i < FAlbum.Pics.Count; ++i) {
    const TPicEntry& entry = FAlbum.Pics[static_cast<int32_t>(i)];
    files.emplace_back(EntryFileName(entry));
    TPreviewPhoto photo;
    photo.FileName = files.back();
    photo.Text = std::string(EntryText(entry));
    photo.Turn = entry.Turn;
    photo.Placement = entry.Placement;
    photo.FocusX = EntryFocusX(entry);
    photo.FocusY = EntryFocusY(entry);
    if (const TPreviewPictures::TEntry* known = FPictures->Find(files.back())) {
      photo.State = known->State;
      photo.Width = known->Width;
      photo.Height = known->Height;
      photo.Picture = known->Picture;
    }
    if (!photo.Picture.Bits && photo.State != TPictureState::Unreadable && entry.Thumbnail.Bits) {
      // The grid's thumbnail shows the photo turned; the pane's pictures and sizes are the file's.
      photo.Picture = entry.Thumbnail;
      photo.PictureTurned = true;
      if (photo.State == TPictureState::Waiting) {
        const bool swap = TurnSwapsSides(entry.Turn);
        photo.State = TPictureState::Ready;
        photo.Width = swap ? DibHeight(entry.Thumbnail) : DibWidth(entry.Thumbnail);
        photo.Height = swap ? DibWidth(entry.Thumbnail) : DibHeight(entry.Thumbnail);
      }
    }
    photos.push_back(std::move(photo));
  }

  const std::shared_ptr<TFontMetrics> metrics = SharedFontMetrics();
  const TPreviewLayout layout(photos, FSettings(), metrics);
  FPageCount = layout.PageCount();
  if (FToCurrent && FAlbum.HasCurrent()) FPage = layout.PageOfPhoto(static_cast<size_t>(FAlbum.CurPic - 1));
  FToCurrent = false;
  FPage = std::clamp(FPage, 1, FPageCount);

  // The page as large as the view allows, in its proportion.
  const double boxWidth = double(MediaBoxSide(layout.PageWidth())), boxHeight = double(MediaBoxSide(layout.PageHeight()));
  const double room = std::max(1, FView->width() - 2 * KMargin), roomHeight = std::max(1, FView->height() - 2 * KMargin);
  const double scale = std::min(room / boxWidth, roomHeight / boxHeight);
  const int width = std::clamp(static_cast<int>(boxWidth * scale), 1, static_cast<int>(room));
  const int height = std::clamp(static_cast<int>(boxHeight * scale), 1, static_cast<int>(roomHeight));
  TPageRaster raster(layout.PageWidth(), layout.PageHeight(), width, height, metrics);
  raster.WaitingColor = WaitingPictureColor;
  layout.DrawPage(FPage, raster, photos);
  FImage = QImage(raster.Pixels(), width, height, width * 3, QImage::Format_RGB888).copy();

  // This page's pictures at the size it shows them; of every other photo only whether it can be read
  // and its size.
  std::vector<std::string> shown, others;
  std::set<size_t> onPage;
  for (size_t photo : layout.PhotosOnPage(FPage)) onPage.insert(photo), shown.push_back(files[photo]);
  for (size_t i = 0; i < files.size(); ++i)
    if (!onPage.count(i)) others.push_back(files[i]);
  FPictures->Want(shown, std::max(layout.LargestPicture(FPage, scale), 1), others);

  PageLabel->setText(QStringLiteral("Seite %1 von %2").arg(FPage).arg(FPageCount));
  const auto unreadable = std::count_if(photos.begin(), photos.end(), [](const TPreviewPhoto& Photo) {
    return Photo.State == TPictureState::Unreadable;
  });
  UnreadableLabel->setText(
      unreadable == 1 ? QStringLiteral("1 Foto kann nicht gelesen werden und fehlt in der PDF-Datei.")
                      : QStringLiteral("%1 Fotos können nicht gelesen werden und fehlen in der PDF-Datei.")
                            .arg(unreadable));
  UnreadableLabel->setVisible(unreadable > 0);
  PrevPageBtn->setEnabled(FPage > 1);
  NextPageBtn->setEnabled(FPage < FPageCount);
  FView->update();
  emit Redrawn();
}

void TPagePreview::PaintPage(QPainter& Painter) {
  Painter.fillRect(FView->rect(), palette().color(QPalette::Mid));
  if (FImage.isNull()) return;
  const QPoint at((FView->width() - FImage.width()) / 2, (FView->height() - FImage.height()) / 2);
  // A thin shadow sets the paper off the background.
  Painter.fillRect(QRect(at + QPoint(2, 2), FImage.size()), palette().color(QPalette::Dark));
  Painter.drawImage(at, FImage);
}
