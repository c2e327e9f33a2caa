// The thumbnail grid through Qt Test on the offscreen platform: the navigation table and its edges,
// clicks on frames, scrolling the current cell into view, the status texts, and the cells' pixels as
// thumbnails arrive from the worker (made by a scripted Make, so no file is read).
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "album/AlbumModel.h"
#include "imaging/pictaro/Pictaro.h"
#include "ui/ThumbnailGrid.h"
#include "support/Waiting.h"

namespace {

// Makes an 80 x 60 thumbnail in one colour for every name, except "bad..." files, which cannot be read;
// counts the files it was asked for.
struct TFakeFiles {
  std::atomic<int> Made = 0;
  TThumbnailMaker::TMake Make() {
    return [this](const std::string& Name) {
      ++Made;
      if (Name.find("/bad") != std::string::npos) return TMadeThumbnail{TThumbnailKind::Unreadable, {}};
      // "big..." files find no memory for their thumbnail: the picture itself comes back, 160 x 120.
      const bool big = Name.find("/big") != std::string::npos;
      TDib dib;
      newdib(&dib, big ? 160 : 80, big ? 120 : 60, 24, nullptr, 0);
      for (int y = 0; y < DibHeight(dib); ++y)
        for (int x = 0; x < DibWidth(dib); ++x) setpixel(dib, x, y, 0x00FF00);  // green
      return TMadeThumbnail{big ? TThumbnailKind::Temporary : TThumbnailKind::Cached, dib};
    };
  }
};

void Fill(TAlbumModel& Album, int Count, const char* Prefix = "p") {
  for (int i = 1; i <= Count; ++i) {
    TPicEntry* e = Album.Pics.Append();
    SetEntryFileName(*e, "/fotos/" + std::string(Prefix) + std::to_string(i) + ".jpg");
    SetEntryText(*e, "Text " + std::to_string(i));
  }
}

// Resizes the grid so that its drawing surface is Width pixels wide and the visible area Height high.
void SizeGrid(TThumbnailGrid& Grid, int Width, int Height) {
  const QScrollArea* area = Grid.ScrollBox1;
  const int frame = 2 * area->frameWidth();
  Grid.resize(Width + area->verticalScrollBar()->sizeHint().width() + frame, Height + frame);
  Grid.show();
  Grid.PaintBox1Paint();
  QVERIFY(QTest::qWaitForWindowExposed(&Grid));
  QCOMPARE(Grid.PaintBox1->width(), Width);
  QCOMPARE(Grid.ScrollBox1->viewport()->height(), Height);
}

}  // namespace

class ThumbnailGridTest : public QObject {
  Q_OBJECT

 private slots:
  void KeysMoveThroughTheGrid() {
    TFakeFiles files;
    TAlbumModel album;
    Fill(album, 10);
    TThumbnailGrid grid(album, nullptr, files.Make());
    SizeGrid(grid, 4 * 90 + 20, 300);
    QCOMPARE(grid.Columns(), 4);
    QSignalSpy texts(&grid, &TThumbnailGrid::CurrentTextChanged);
    QSignalSpy opened(&grid, &TThumbnailGrid::OpenPicture);

    // From photo 9 in 4 columns: Down has no photo below, Up goes to 5, Right to 10 and no further.
    struct {
      int From, Key, To;
    } rows[] = {
        {9, Qt::Key_Down, 9}, {9, Qt::Key_Up, 5}, {9, Qt::Key_Right, 10}, {10, Qt::Key_Right, 10},
        {1, Qt::Key_Left, 1}, {1, Qt::Key_Up, 1}, {4, Qt::Key_Right, 5},  // wraps to the next grid row
        {5, Qt::Key_Left, 4}};
    for (const auto& r : rows) {
      album.CurPic = r.From;
      texts.clear();
      QTest::keyClick(grid.KeyEdit, static_cast<Qt::Key>(r.Key));
      QCOMPARE(album.CurPic, r.To);
      // Only a move shows the text; the grid is repainted either way.
      QCOMPARE(texts.size(), r.From == r.To ? 0 : 1);
      if (r.From != r.To) QCOMPARE(texts.last().at(0).toString(), QStringLiteral("Text %1").arg(r.To));
    }
    QCOMPARE(album.CurEntry, &album.Pics[album.CurPic - 1]);

    // Enter opens the current photo, as a double click does.
    QTest::keyClick(grid.KeyEdit, Qt::Key_Return);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0].at(0).toString(), QStringLiteral("/fotos/p4.jpg"));

    // One column: Up and Down cannot move, Left and Right still can.
    SizeGrid(grid, 80, 300);
    album.CurPic = 5;
    QTest::keyClick(grid.KeyEdit, Qt::Key_Up);
    QTest::keyClick(grid.KeyEdit, Qt::Key_Down);
    QCOMPARE(album.CurPic, 5);
    QTest::keyClick(grid.KeyEdit, Qt::Key_Right);
    QCOMPARE(album.CurPic, 6);
  }

  void MouseSelectsByTheFrameAndOpensTheCurrentPhoto() {
    TFakeFiles files;
    TAlbumModel album;
    Fill(album, 10);
    TThumbnailGrid grid(album, nullptr, files.Make());
    SizeGrid(grid, 4 * 90, 300);
    QSignalSpy opened(&grid, &TThumbnailGrid::OpenPicture);
    QSignalSpy status(&grid, &TThumbnailGrid::StatusTextChanged);
    QSignalSpy label(&grid, &TThumbnailGrid::FileNameChanged);
    struct {
      int X, Y, CurPic;
    } clicks[] = {{92, 2, 2},    {2, 2, 1},    {92, 2, 2}, {88, 108, 1}, {1, 2, 1},  // left of the frame
                  {2, 109, 1},                                                       // below it
                  {182, 112, 7}, {182, 222, 7}};                                     // beyond the last photo
    for (const auto& c : clicks) {
      QTest::mouseClick(grid.PaintBox1, Qt::RightButton, {}, QPoint(c.X, c.Y));
      QCOMPARE(album.CurPic, c.CurPic);
    }
    QVERIFY(grid.KeyEdit->hasFocus());
    QCOMPARE(status.last().at(0).toString(), QStringLiteral("Thumbnail: 7 von 10"));
    QCOMPARE(label.last().at(0).toString(), QStringLiteral("/fotos/p7.jpg"));
    // A double click on empty space selects nothing and opens the current photo.
    QTest::mouseDClick(grid.PaintBox1, Qt::LeftButton, {}, QPoint(300, 250));
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0].at(0).toString(), QStringLiteral("/fotos/p7.jpg"));

    // No current photo: nothing opens, no text is shown.
    album.FreeAllPics();
    grid.PaintBox1Paint();
    QCOMPARE(status.last().at(0).toString(), QStringLiteral("Bild: keins   "));
    QCOMPARE(label.last().at(0).toString(), QString());
    QCOMPARE(grid.PaintBox1->height(), 110);
    QSignalSpy texts(&grid, &TThumbnailGrid::CurrentTextChanged);
    QTest::keyClick(grid.KeyEdit, Qt::Key_Return);
    QTest::mouseDClick(grid.PaintBox1, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(opened.size(), 1);
    QCOMPARE(texts.size(), 0);
  }

  void TheCurrentCellScrollsIntoViewAndTheWheelScrolls() {
    TFakeFiles files;
    TAlbumModel album;
    Fill(album, 40);
    TThumbnailGrid grid(album, nullptr, files.Make());
    SizeGrid(grid, 4 * 90, 250);
    QScrollBar* bar = grid.ScrollBox1->verticalScrollBar();
    QCOMPARE(grid.PaintBox1->height(), 11 * 110);
    // Photo 13 is in row 3, below the area: its frame bottom meets the area's bottom edge.
    album.CurPic = 9;
    QTest::keyClick(grid.KeyEdit, Qt::Key_Down);
    QCOMPARE(album.CurPic, 13);
    QCOMPARE(bar->value(), 3 * 110 + 108 - 250);
    // Back up to photo 1: its frame top meets the top edge.
    for (int i = 0; i < 3; ++i) QTest::keyClick(grid.KeyEdit, Qt::Key_Up);
    QCOMPARE(bar->value(), 2);
    // The wheel: 20 pixels a notch.
    QWheelEvent down(QPointF(50, 50), grid.ScrollBox1->viewport()->mapToGlobal(QPointF(50, 50)), {},
                     {0, -240}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.ScrollBox1->viewport(), &down);
    QCOMPARE(bar->value(), 42);
    grid.FormMouseWheelUp();
    grid.FormMouseWheelUp();
    grid.FormMouseWheelUp();
    QCOMPARE(bar->value(), 0);  // the scroll bar keeps within its range
  }

  void CellsShowThumbnailsAsTheyArriveAndFilesAreReadOnce() {
    TFakeFiles files;
    TAlbumModel album;
    Fill(album, 2);
    Fill(album, 1, "bad");
    Fill(album, 1);  // a second entry of /fotos/p1.jpg
    Fill(album, 1, "big");
    Fill(album, 39, "q");
    TThumbnailGrid grid(album, nullptr, files.Make());
    album.CurPic = 2;
    SizeGrid(grid, 4 * 90, 220);
    QTRY_VERIFY(!grid.MakingThumbnails() && album.Pics[43].Thumbnail.Bits);
    QVERIFY(album.Pics[0].Thumbnail.Bits && album.Pics[3].Thumbnail.Bits);
    QVERIFY(album.Pics[0].Thumbnail.Bits != album.Pics[3].Thumbnail.Bits);  // each entry owns its own
    QCOMPARE(files.Made.load(), 43);  // every file once, also those never shown

    const QImage image = grid.PaintBox1->grab().toImage();
    // Photo 2, current: an 80 x 60 thumbnail at (5, 15) of its cell on blue.
    QCOMPARE(image.pixelColor(90 + 5, 15), QColor(0, 255, 0));
    QCOMPARE(image.pixelColor(90 + 84, 74), QColor(0, 255, 0));
    QCOMPARE(image.pixelColor(90 + 5, 14), QColor(0, 0, 255));
    QCOMPARE(image.pixelColor(90 + 5, 75), QColor(0, 0, 255));
    QCOMPARE(image.pixelColor(5, 14), QColor(192, 192, 192));  // photo 1: silver
    // The unreadable file: a black square in a normal cell.
    QCOMPARE(image.pixelColor(180 + 5, 5), QColor(0, 0, 0));
    QCOMPARE(image.pixelColor(180 + 84, 84), QColor(0, 0, 0));
    // No memory for a thumbnail: the picture is drawn into the cell, and not kept.
    QCOMPARE(image.pixelColor(5, 110 + 15), QColor(0, 255, 0));
    QCOMPARE(image.pixelColor(84, 110 + 74), QColor(0, 255, 0));
    QCOMPARE(album.Pics[4].Thumbnail.Bits, nullptr);

    // Scrolling through everything and back reads no file again; a refresh tries the broken one.
    for (int i = 0; i < 60; ++i) grid.FormMouseWheelDown();
    QApplication::processEvents();
    for (int i = 0; i < 60; ++i) grid.FormMouseWheelUp();
    grid.PaintBox1->repaint();
    QCOMPARE(files.Made.load(), 43);
    grid.PaintBox1Paint();
    QTRY_COMPARE(files.Made.load(), 45);  // and the one without memory
  }

  void FirstPicturesShowUntilTheThumbnailComes() {
    const auto filled = [](TThumbnailKind Kind, uint32_t Colour) {
      TDib dib;
      newdib(&dib, 80, 60, 24, nullptr, 0);
      for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x) setpixel(dib, x, y, Colour);
      return TMadeThumbnail{Kind, dib};
    };
    std::mutex lock;
    std::condition_variable changed;
    bool released = false;
    const auto release = [&] {
      const std::lock_guard guard(lock);
      released = true;
      changed.notify_all();
    };
    TAlbumModel album;
    Fill(album, 2);
    // A third photo of p1's file, turned a quarter clockwise: its first picture turns with it.
    TPicEntry* turned = album.Pics.Append();
    SetEntryFileName(*turned, "/fotos/p1.jpg");
    turned->Turn = 1;
    TThumbnailGrid grid(
        album, nullptr,
        [&](const std::string&) {
          std::unique_lock wait(lock);
          if (!qtest::WaitFor(changed, wait, [&] { return released; })) qWarning("the grid's maker was never released");
          return filled(TThumbnailKind::Cached, 0x00FF00);  // green
        },
        [&](const std::string& Name) {  // a red first picture for p1 only
          return Name.find("p1.") != std::string::npos ? filled(TThumbnailKind::First, 0x0000FF)
                                                       : TMadeThumbnail{TThumbnailKind::Unreadable, {}};
        });
    const std::unique_ptr<void, std::function<void(void*)>> releaseAtEnd(&grid, [&](void*) { release(); });
    SizeGrid(grid, 4 * 90, 220);
    QTRY_VERIFY(grid.ShowsPicture(0));
    QVERIFY(!grid.ShowsPicture(1));
    QCOMPARE(grid.PaintBox1->grab().toImage().pixelColor(5, 15), QColor(255, 0, 0));
    QCOMPARE(grid.PaintBox1->grab().toImage().pixelColor(90 + 5, 15), QColor(160, 160, 160));  // waiting
    // Turned, the 80 x 60 picture stands 60 x 80 in the middle of the box from (5, 5): x 15 to 75.
    QVERIFY(grid.ShowsPicture(2));
    QVERIFY(grid.PaintBox1->grab().toImage().pixelColor(180 + 7, 45) != QColor(255, 0, 0));
    QCOMPARE(grid.PaintBox1->grab().toImage().pixelColor(180 + 45, 80), QColor(255, 0, 0));
    release();
    QTRY_VERIFY(album.Pics[0].Thumbnail.Bits && album.Pics[1].Thumbnail.Bits && album.Pics[2].Thumbnail.Bits);
    QCOMPARE(grid.PaintBox1->grab().toImage().pixelColor(5, 15), QColor(0, 255, 0));
  }
};

QTEST_MAIN(ThumbnailGridTest)
#include "ThumbnailGridTest.moc"
