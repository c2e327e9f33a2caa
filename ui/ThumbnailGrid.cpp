#include "ui/ThumbnailGrid.h"

#include <QApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cstring>
#include <set>
#include <string_view>

#include "album/AlbumModel.h"
#include "album/PhotoSelection.h"
#include "imaging/pictaro/PhotoTurn.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/screen/ThumbnailCell.h"
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
    FGrid.PaintBox1MouseDown(p.x(), p.y(), Event->modifiers(), Event->button());
  }
  void mouseMoveEvent(QMouseEvent* Event) override {
    const QPoint p = Event->position().toPoint();
    FGrid.PaintBox1MouseMove(p.x(), p.y(), Event->buttons());
  }
  void mouseReleaseEvent(QMouseEvent* Event) override {
    const QPoint p = Event->position().toPoint();
    FGrid.PaintBox1MouseUp(p.x(), p.y());
  }
  void mouseDoubleClickEvent(QMouseEvent*) override { FGrid.PaintBox1DblClick(); }

 private:
  TThumbnailGrid& FGrid;
};

// The file name without its folder.
QString BaseName(const char* FileName) {
  const char* name = FileName ? FileName : "";
  for (const char* p = name; *p; ++p)
    if (*p == '/') name = p + 1;
  return QString::fromUtf8(name);
}

// How close to the visible area's top or bottom edge, in pixels, a drag starts scrolling, how often it
// scrolls (milliseconds), and the most it scrolls in one step.
constexpr int KScrollEdge = 24;
constexpr int KScrollEvery = 40;
constexpr int KScrollMost = 20;

// The local files and folders named by dragged data (text/uri-list); empty when there are none.
QStringList LocalPaths(const QMimeData* Data) {
  QStringList paths;
  if (!Data || !Data->hasUrls()) return paths;
  for (const QUrl& url : Data->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  return paths;
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
  ScrollBox1->viewport()->setAcceptDrops(true);
  FAutoScroll = new QTimer(this);
  FAutoScroll->setInterval(KScrollEvery);
  connect(FAutoScroll, &QTimer::timeout, this, &TThumbnailGrid::AutoScrollStep);
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
  for (auto& [name, pictures] : FFirst)
    for (TDib& picture : pictures) deldib(picture);
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
      picture = FirstPicture(name, entry.Turn);
    }
    const uint32_t background =
        PaintThumbnailCell(device, x, y, picture, empty, i + 1 == FAlbum.CurPic, entry.Selected);
    const QRect caption(x + 3, y + 90, 84, 20);
    Painter.fillRect(caption, ColorFromRef(background));
    Painter.setPen(palette().color(QPalette::WindowText));
    Painter.save();
    Painter.setClipRect(caption);
    Painter.drawText(caption, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, BaseName(entry.FileName));
    Painter.restore();
  }
  if (FGap >= 0) PaintInsertionMark(Painter, columns, count);
  if (!missing.empty()) RequestMissing(missing);
}

void TThumbnailGrid::PaintInsertionMark(QPainter& Painter, int Columns, int Count) {
  // A bar in the gap before the photo at FGap; at the end of a full row it stands after the row's
  // last cell rather than before the next row's first.
  int column = FGap % Columns, row = FGap / Columns;
  if (FGap == Count && Count > 0 && column == 0) column = Columns, --row;
  // Four pixels wide across the gap between two cells; at the grid's left edge inside the first cell.
  const int left = std::max(column * CellWidth - 2, 0);
  Painter.fillRect(QRect(left, row * CellHeight, 4, CellHeight), ColorFromRef(InsertionMarkColor));
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
      FFirst[r.FileName][0] = picture;
      continue;
    }
    DropFirst(r.FileName);
    if (r.Made.Kind != TThumbnailKind::Cached) {
      // Drawn from here until the next refresh, when the file is tried again.
      if (auto old = FTemporary.find(r.FileName); old != FTemporary.end()) deldib(old->second);
      FTemporary[r.FileName] = picture;
      continue;
    }
    // Every entry of this file that still lacks its thumbnail gets a copy, turned as the photo is; the
    // thumbnail from the file is upright. Entries own theirs.
    for (uint32_t i = 0; i < FAlbum.Pics.Count; ++i) {
      TPicEntry& entry = FAlbum.Pics[static_cast<int32_t>(i)];
      if (entry.Thumbnail.Bits || EntryFileName(entry) != r.FileName) continue;
      // No memory: the cell waits and the photo is asked for again.
      entry.Thumbnail = TurnedCopy(picture, entry.Turn);
    }
    deldib(picture);
  }
  FRequested.clear();
  PaintBox1->update();
}

void TThumbnailGrid::DropFirst(const std::string& FileName) {
  if (const auto first = FFirst.find(FileName); first != FFirst.end()) {
    for (TDib& picture : first->second) deldib(picture);
    FFirst.erase(first);
  }
}

const TDib* TThumbnailGrid::FirstPicture(const std::string& FileName, int Turn) {
  const auto first = FFirst.find(FileName);
  if (first == FFirst.end()) return nullptr;
  // The first picture shows the file as it is; the photo's turn comes on top, as on its thumbnail.
  const int turn = NormalTurn(Turn);
  TDib& turned = first->second[static_cast<size_t>(turn)];
  if (!turned.Bits) turned = TurnedCopy(first->second[0], turn);
  return turned.Bits ? &turned : nullptr;
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
      for (TDib& picture : first->second) deldib(picture);
      first = FFirst.erase(first);
    }
  }
}

void TThumbnailGrid::ClearTemporary() {
  for (auto& [name, picture] : FTemporary) deldib(picture);
  FTemporary.clear();
  FRequested.clear();
}

void TThumbnailGrid::PaintBox1MouseDown(int X, int Y, Qt::KeyboardModifiers Modifiers,
                                        Qt::MouseButton Button) {
  KeyEdit->setFocus();
  FSelectOnRelease = false;
  FPressed = -1;
  const int n = CellAtPoint(X, Y, Columns(), static_cast<int>(FAlbum.Pics.Count));
  if (n < 0) return;
  if (Modifiers & Qt::ShiftModifier) {
    SelectRange(FAlbum, n, (Modifiers & Qt::ControlModifier) != 0);
  } else if (Modifiers & Qt::ControlModifier) {
    ToggleSelected(FAlbum, n);
  } else if (FAlbum.Pics[n].Selected && Button == Qt::LeftButton) {
    // The selection may be about to be dragged: it stays until the button comes up without a drag.
    FAlbum.CurPic = FAlbum.Anchor = n + 1;
    FSelectOnRelease = true;
  } else {
    SelectOnly(FAlbum, n);
  }
  if (Button == Qt::LeftButton && FAlbum.Pics[n].Selected) {
    FPressed = n;
    FPressPos = QPoint(X, Y);
  }
  ShowSelection();
}

void TThumbnailGrid::PaintBox1MouseMove(int X, int Y, Qt::MouseButtons Buttons) {
  if (FPressed < 0 || !(Buttons & Qt::LeftButton)) return;
  if (!FDragging) {
    if ((QPoint(X, Y) - FPressPos).manhattanLength() < QApplication::startDragDistance()) return;
    FDragging = true;
    FSelectOnRelease = false;
  }
  DragOver(PaintBox1->mapTo(ScrollBox1->viewport(), QPoint(X, Y)));
}

void TThumbnailGrid::PaintBox1MouseUp(int X, int Y) {
  (void)X, (void)Y;
  const int pressed = FPressed;
  FPressed = -1;
  if (FDragging) {
    const int gap = FGap;
    EndDrag();
    if (gap >= 0) emit SelectionDropped(gap);
    return;
  }
  if (FSelectOnRelease && pressed >= 0 && static_cast<uint32_t>(pressed) < FAlbum.Pics.Count) {
    FSelectOnRelease = false;
    SelectOnly(FAlbum, pressed);
    PaintBox1Paint();
  }
}

void TThumbnailGrid::ShowSelection() {
  adibchanged();
  ScrollImageInView();
  PaintBox1Paint();
}

void TThumbnailGrid::DragOver(const QPoint& Pos) {
  FDragPos = Pos;
  const int height = ScrollBox1->viewport()->height();
  // Nearer the edge, faster; nothing between the edge strips.
  if (Pos.y() < KScrollEdge)
    FScrollSpeed = -std::min(KScrollMost, 1 + (KScrollEdge - Pos.y()) / 2);
  else if (Pos.y() > height - KScrollEdge)
    FScrollSpeed = std::min(KScrollMost, 1 + (Pos.y() - (height - KScrollEdge)) / 2);
  else
    FScrollSpeed = 0;
  if (FScrollSpeed == 0)
    FAutoScroll->stop();
  else if (!FAutoScroll->isActive())
    FAutoScroll->start();
  const QPoint on = PaintBox1->mapFrom(ScrollBox1->viewport(), Pos);
  const int gap = GapAtPoint(on.x(), on.y(), Columns(), static_cast<int>(FAlbum.Pics.Count));
  if (gap != FGap) {
    FGap = gap;
    PaintBox1->update();
  }
}

void TThumbnailGrid::AutoScrollStep() {
  if (FScrollSpeed == 0) {
    FAutoScroll->stop();
    return;
  }
  Scroll(FScrollSpeed);
  DragOver(FDragPos);  // the pointer now stands over another place of the grid
}

void TThumbnailGrid::EndDrag() {
  FDragging = false;
  FScrollSpeed = 0;
  FAutoScroll->stop();
  FGap = -1;
  PaintBox1->update();
}

void TThumbnailGrid::KeyEditKeyDown(int Key, Qt::KeyboardModifiers Modifiers) {
  const int step = PaintBox1->width() / CellWidth;  // no minimum: one column cannot move up or down
  const int count = static_cast<int>(FAlbum.Pics.Count);
  if (Key == Qt::Key_A && (Modifiers & Qt::ControlModifier)) {
    SelectAll(FAlbum);
    PaintBox1Paint();
    return;
  }
  if (Key == Qt::Key_Delete) {
    emit DeleteRequested();
    return;
  }
  int target = FAlbum.CurPic;
  switch (Key) {
    case Qt::Key_Up: target -= step; break;
    case Qt::Key_Down: target += step; break;
    case Qt::Key_Left: --target; break;
    case Qt::Key_Right: ++target; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (FAlbum.HasCurrent()) PaintBox1DblClick();
      return;
    default: return;
  }
  // A move is allowed only onto a photo; Up and Down jump by a whole row.
  if (target != FAlbum.CurPic && target >= 1 && target <= count) {
    if (Modifiers & Qt::ShiftModifier)
      SelectRange(FAlbum, target - 1, false);
    else
      SelectOnly(FAlbum, target - 1);
    adibchanged();
  }
  ScrollImageInView();
  PaintBox1Paint();
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
    const auto* key = static_cast<QKeyEvent*>(Event);
    KeyEditKeyDown(key->key(), key->modifiers());
    return key->key() == Qt::Key_A && (key->modifiers() & Qt::ControlModifier);  // the edit sees the others
  }
  if (Watched == ScrollBox1->viewport() && ViewportDragEvent(Event)) return true;
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

bool TThumbnailGrid::ViewportDragEvent(QEvent* Event) {
  switch (Event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(Event);
      if (LocalPaths(drag->mimeData()).isEmpty()) {
        drag->ignore();
        return true;
      }
      drag->setDropAction(Qt::CopyAction);
      drag->accept();
      DragOver(drag->position().toPoint());
      return true;
    }
    case QEvent::DragLeave: EndDrag(); return true;
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(Event);
      const QStringList paths = LocalPaths(drop->mimeData());
      DragOver(drop->position().toPoint());
      const int gap = FGap;
      EndDrag();
      if (paths.isEmpty() || gap < 0) {
        drop->ignore();
        return true;
      }
      drop->setDropAction(Qt::CopyAction);
      drop->accept();
      emit FilesDropped(paths, gap);
      return true;
    }
    default: return false;
  }
}
