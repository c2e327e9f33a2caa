#include "ui/ThumbnailGrid.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cstring>
#include <set>
#include <string_view>

#include "album/AlbumModel.h"
#include "imaging/Pictaro.h"
#include "imaging/ThumbnailCell.h"
#include "ui/QtDevice.h"

namespace {

// The drawing surface: its painting and mouse belong to the grid.
class TGridSurface final : public QWidget {
 public:
  TGridSurface(TThumbnailGrid& Grid, QWidget* Parent) : QWidget(Parent), FGrid(Grid) {
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent* Event) override {
    QPainter painter(this);
    FGrid.PaintCells(painter, Event->rect());
  }
  void mousePressEvent(QMouseEvent* Event) override {
    const QPoint p = Event->position().toPoint();
    FGrid.PaintBox1MouseDown(p.x(), p.y());
  }
  void mouseDoubleClickEvent(QMouseEvent*) override { FGrid.PaintBox1DblClick(); }

 private:
  TThumbnailGrid& FGrid;
};

// The file name without its folder.
QString BaseName(const char* FileName) {
  const char* name = FileName ? FileName : "";
  for (const char* p = name; *p; ++p)
    if (*p == '/' || *p == '\\') name = p + 1;
  return QString::fromUtf8(name);
}

// A copy of a thumbnail, for a second entry of the same file; Bits nullptr when memory is short.
TDib CopyDib(const TDib& Dib) {
  TDib copy;
  newdib(&copy, DibWidth(Dib), DibHeight(Dib), DibBitCount(Dib), Dib.Header,
         static_cast<int>(DibPaletteColors(Dib)));
  if (copy.Bits) std::memcpy(copy.Bits, Dib.Bits, static_cast<size_t>(copy.RowBytes) * DibHeight(Dib));
  return copy;
}

}  // namespace

TThumbnailGrid::TThumbnailGrid(TAlbumModel& Album, QWidget* Parent, TThumbnailMaker::TMake Make,
                               TThumbnailMaker::TMake First)
    : QWidget(Parent), FAlbum(Album) {
  // KeyEdit lies behind the scroll area: it only carries the keyboard focus and the grid's keys.
  KeyEdit = new QLineEdit(QStringLiteral("KeyEdit"), this);
  KeyEdit->setObjectName(QStringLiteral("KeyEdit"));
  KeyEdit->setReadOnly(true);
  KeyEdit->setGeometry(0, 0, 1, 1);
  KeyEdit->installEventFilter(this);

  ScrollBox1 = new QScrollArea(this);
  ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  ScrollBox1->setBackgroundRole(QPalette::Dark);
  ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  ScrollBox1->setFocusPolicy(Qt::NoFocus);
  PaintBox1 = new TGridSurface(*this, ScrollBox1);
  PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
  ScrollBox1->setWidget(PaintBox1);
  ScrollBox1->viewport()->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(ScrollBox1);
  KeyEdit->lower();

  FMaker = std::make_unique<TThumbnailMaker>(
      [this] { QMetaObject::invokeMethod(this, &TThumbnailGrid::TakeThumbnails, Qt::QueuedConnection); },
      TThumbnailMaker::DefaultWorkers(), std::move(Make), std::move(First));
}

TThumbnailGrid::~TThumbnailGrid() {
  FMaker.reset();  // no worker may call back into a grid that is going
  ClearTemporary();
  for (auto& [name, picture] : FFirst) deldib(picture);
}

int TThumbnailGrid::Columns() const { return GridColumns(PaintBox1->width()); }

bool TThumbnailGrid::MakingThumbnails() const { return !FMaker->Idle(); }

bool TThumbnailGrid::ShowsPicture(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(FAlbum.Pics.Count)) return false;
  const TPicEntry& entry = FAlbum.Pics[Index];
  if (entry.Thumbnail.Bits) return true;
  const auto first = FFirst.find(std::string(EntryFileName(entry)));
  return first != FFirst.end();
}

void TThumbnailGrid::SizeSurface() {
  const int width = ScrollBox1->viewport()->width();
  PaintBox1->resize(width, GridHeight(static_cast<int>(FAlbum.Pics.Count), GridColumns(width)));
}

void TThumbnailGrid::PaintBox1Paint() {
  ClearTemporary();
  PruneFirst();
  SizeSurface();
  PaintBox1->update();
  const QString status = QString::fromStdString(CurrentPhotoStatus(FAlbum));
  QString fileName;
  if (FAlbum.HasCurrent()) {
    const TPicEntry* entry = FAlbum.Pics.Seek(FAlbum.CurPic - 1);
    fileName =
        QString::fromUtf8(EntryFileName(*entry).data(), static_cast<qsizetype>(EntryFileName(*entry).size()));
  }
  if (status != FStatusText) emit StatusTextChanged(FStatusText = status);
  if (fileName != FFileName) emit FileNameChanged(FFileName = fileName);
}

void TThumbnailGrid::PaintCells(QPainter& Painter, const QRect& Clip) {
  Painter.fillRect(Clip, palette().color(QPalette::Dark));
  TQtPainterDevice device(Painter, DtRasDisplay, Clip);
  const int columns = Columns();
  const int count = static_cast<int>(FAlbum.Pics.Count);
  const int scroll = ScrollBox1->verticalScrollBar()->value(), client = ScrollBox1->viewport()->height();
  std::vector<std::string> missing;
  for (int i = 0; i < count; ++i) {
    const int x = i % columns * CellWidth, y = i / columns * CellHeight;
    if (!CellRowVisible(y, scroll, client)) {
      if (y > scroll + client) break;  // rows only go further down
      continue;
    }
    if (!Clip.intersects(QRect(x, y, CellWidth, CellHeight))) continue;
    const TPicEntry& entry = FAlbum.Pics[i];
    const std::string name(EntryFileName(entry));
    const TDib* picture = nullptr;
    uint32_t empty = WaitingPictureColor;
    if (entry.Thumbnail.Bits) {
      picture = &entry.Thumbnail;
    } else if (const auto failed = FTemporary.find(name); failed != FTemporary.end()) {
      picture = &failed->second;
      empty = UnreadablePictureColor;
    } else {
      missing.push_back(name);
      if (const auto first = FFirst.find(name); first != FFirst.end()) picture = &first->second;
    }
    const uint32_t background = PaintThumbnailCell(device, x, y, picture, empty, i + 1 == FAlbum.CurPic);
    const QRect caption(x + 3, y + 90, 84, 20);
    Painter.fillRect(caption, ColorFromRef(background));
    Painter.setPen(palette().color(QPalette::WindowText));
    Painter.save();
    Painter.setClipRect(caption);
    Painter.drawText(caption, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, BaseName(entry.FileName));
    Painter.restore();
  }
  if (!missing.empty()) RequestMissing(missing);
}

void TThumbnailGrid::RequestMissing(const std::vector<std::string>& Visible) {
  // The visible cells first, then the photos below them, then those above.
  std::vector<std::string> wanted = Visible;
  const int count = static_cast<int>(FAlbum.Pics.Count);
  const int columns = Columns();
  const int firstVisible = ScrollBox1->verticalScrollBar()->value() / CellHeight * columns;
  for (int pass = 0; pass < 2; ++pass)
    for (int i = pass == 0 ? firstVisible : 0; i < (pass == 0 ? count : std::min(firstVisible, count)); ++i) {
      const TPicEntry& entry = FAlbum.Pics[i];
      if (entry.Thumbnail.Bits) continue;
      std::string name(EntryFileName(entry));
      if (!FTemporary.count(name)) wanted.push_back(std::move(name));
    }
  if (wanted == FRequested) return;
  FRequested = wanted;
  FMaker->Request(wanted);
}

void TThumbnailGrid::TakeThumbnails() {
  std::vector<TThumbnailResult> results = FMaker->TakeResults();
  if (results.empty()) return;
  for (TThumbnailResult& r : results) {
    TDib picture = r.Made.Picture;
    if (r.Made.Kind == TThumbnailKind::First) {
      // Wanted only while an entry of the file still waits for its thumbnail.
      bool waiting = false;
      for (uint32_t i = 0; i < FAlbum.Pics.Count && !waiting; ++i) {
        const TPicEntry& entry = FAlbum.Pics[static_cast<int32_t>(i)];
        waiting = !entry.Thumbnail.Bits && EntryFileName(entry) == r.FileName;
      }
      if (!waiting || FTemporary.count(r.FileName)) {
        deldib(picture);
        continue;
      }
      DropFirst(r.FileName);
      FFirst[r.FileName] = picture;
      continue;
    }
    DropFirst(r.FileName);
    if (r.Made.Kind != TThumbnailKind::Cached) {
      // Drawn from here until the next refresh, when the file is tried again.
      if (auto old = FTemporary.find(r.FileName); old != FTemporary.end()) deldib(old->second);
      FTemporary[r.FileName] = picture;
      continue;
    }
    // Every entry of this file that still lacks its thumbnail gets it; entries own theirs.
    for (uint32_t i = 0; i < FAlbum.Pics.Count && picture.Bits; ++i) {
      TPicEntry& entry = FAlbum.Pics[static_cast<int32_t>(i)];
      if (entry.Thumbnail.Bits || EntryFileName(entry) != r.FileName) continue;
      entry.Thumbnail = picture;
      picture = CopyDib(picture);
    }
    deldib(picture);
  }
  FRequested.clear();
  PaintBox1->update();
}

void TThumbnailGrid::DropFirst(const std::string& FileName) {
  if (const auto first = FFirst.find(FileName); first != FFirst.end()) {
    deldib(first->second);
    FFirst.erase(first);
  }
}

void TThumbnailGrid::PruneFirst() {
  if (FFirst.empty()) return;
  std::set<std::string_view> waiting;
  for (uint32_t i = 0; i < FAlbum.Pics.Count; ++i) {
    const TPicEntry& entry = FAlbum.Pics[static_cast<int32_t>(i)];
    if (!entry.Thumbnail.Bits) waiting.insert(EntryFileName(entry));
  }
  for (auto first = FFirst.begin(); first != FFirst.end();) {
    if (waiting.count(first->first)) {
      ++first;
    } else {
      deldib(first->second);
      first = FFirst.erase(first);
    }
  }
}

void TThumbnailGrid::ClearTemporary() {
  for (auto& [name, picture] : FTemporary) deldib(picture);
  FTemporary.clear();
  FRequested.clear();
}

void TThumbnailGrid::PaintBox1MouseDown(int X, int Y) {
  KeyEdit->setFocus();
  const int n = CellAtPoint(X, Y, Columns(), static_cast<int>(FAlbum.Pics.Count));
  if (n < 0) return;
  FAlbum.CurPic = n + 1;
  adibchanged();
  ScrollImageInView();
  PaintBox1Paint();
}

void TThumbnailGrid::KeyEditKeyDown(int Key) {
  const int step = PaintBox1->width() / CellWidth;  // no minimum: one column cannot move up or down
  const int count = static_cast<int>(FAlbum.Pics.Count);
  int& cur = FAlbum.CurPic;
  bool refresh = true;
  switch (Key) {
    case Qt::Key_Up:
      if (cur - step >= 1) cur -= step, adibchanged();
      break;
    case Qt::Key_Down:
      if (cur + step <= count) cur += step, adibchanged();
      break;
    case Qt::Key_Left:
      if (cur >= 2) --cur, adibchanged();
      break;
    case Qt::Key_Right:
      if (cur + 1 <= count) ++cur, adibchanged();
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      refresh = false;
      if (FAlbum.HasCurrent()) PaintBox1DblClick();
      break;
    default: refresh = false; break;
  }
  if (refresh) {
    ScrollImageInView();
    PaintBox1Paint();
  }
}

void TThumbnailGrid::PaintBox1DblClick() {
  if (!FAlbum.HasCurrent()) return;
  const TPicEntry* entry = FAlbum.Pics.Seek(FAlbum.CurPic - 1);
  const std::string_view name = EntryFileName(*entry);
  emit OpenPicture(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}

void TThumbnailGrid::ScrollImageInView() {
  if (!FAlbum.HasCurrent()) return;
  SizeSurface();
  const int n = FAlbum.CurPic - 1, r = n / Columns();
  const int top = r * CellHeight + 2, bottom = r * CellHeight + 108;
  QScrollBar* bar = ScrollBox1->verticalScrollBar();
  const int p = bar->value(), client = ScrollBox1->viewport()->height();
  if (top < p)
    bar->setValue(top);
  else if (bottom > p + client)
    bar->setValue(bottom - client);
}

void TThumbnailGrid::adibchanged() {
  if (!FAlbum.HasCurrent()) return;
  const TPicEntry* entry = FAlbum.Pics.Seek(FAlbum.CurPic - 1);
  const std::string_view text = EntryText(*entry);
  emit CurrentTextChanged(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void TThumbnailGrid::Scroll(int Pixels) {
  QScrollBar* bar = ScrollBox1->verticalScrollBar();
  bar->setValue(bar->value() + Pixels);
}

void TThumbnailGrid::FormMouseWheelDown() { Scroll(20); }

void TThumbnailGrid::FormMouseWheelUp() { Scroll(-20); }

void TThumbnailGrid::WheelTurned(int AngleDelta) {
  FWheelRest += AngleDelta;
  for (; FWheelRest <= -120; FWheelRest += 120) FormMouseWheelDown();
  for (; FWheelRest >= 120; FWheelRest -= 120) FormMouseWheelUp();
}

bool TThumbnailGrid::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == KeyEdit && Event->type() == QEvent::KeyPress) {
    KeyEditKeyDown(static_cast<QKeyEvent*>(Event)->key());
    return false;  // the edit still sees the key
  }
  if (Watched == ScrollBox1->viewport()) {
    if (Event->type() == QEvent::Resize) {
      SizeSurface();
    } else if (Event->type() == QEvent::Wheel) {
      WheelTurned(static_cast<QWheelEvent*>(Event)->angleDelta().y());
      return true;
    }
  }
  return QWidget::eventFilter(Watched, Event);
}
