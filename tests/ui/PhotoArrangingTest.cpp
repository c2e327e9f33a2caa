// Arranging photos in the real window: dragging the selection within the grid, dropping files and
// folders from a file manager, and one row each for the other commands' wiring (sorting, turning,
// texts from the template, a run of typing, undo keys and the "*" in the title).
#include <QDialog>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QUrl>
#include <QtTest>
#include <filesystem>

#include "MainFormFixture.h"
#include "ui/BackgroundJob.h"

namespace {

// The album's file names without their folders, in order.
QString Order(TMainForm& Form) {
  QStringList names;
  for (uint32_t i = 0; i < Form.Album().Pics.Count; ++i)
    names << QString::fromStdString(std::filesystem::path(EntryFileName(Form.Album().Pics[i])).stem());
  return names.join(QLatin1Char(' '));
}

// The centre of photo Number's cell in the grid.
QPoint Cell(TThumbnailGrid& Grid, int Number) {
  const int i = Number - 1, columns = Grid.Columns();
  return QPoint(i % columns * 90 + 45, i / columns * 110 + 55);
}

}  // namespace

class PhotoArrangingTest : public QObject {
  Q_OBJECT

 private slots:
  // Photos 5 and 6 selected, dragged by 6 onto the left half of photo 1: the mark stands before photo
  // 1 while dragging, and both go to the front. Strg+Z takes it back, Strg+Y makes it again; the title
  // has its "*" exactly while the album differs from the file it was saved to.
  void DragWithinTheGrid() {
    TMainFormFixture f;
    f.Form.show();
    QVERIFY(QTest::qWaitForWindowActive(&f.Form));
    f.AddPhotos({"/f/a.jpg", "/f/b.jpg", "/f/c.jpg", "/f/d.jpg", "/f/e.jpg", "/f/f.jpg"});
    QCOMPARE(f.Form.windowTitle(), QStringLiteral("PDF-Quirvel*"));
    qtest::TScratchDir dir;
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{dir / "a.qvl"});
    f.Click("SaveAsBtn");
    QCOMPARE(f.Form.windowTitle(), QStringLiteral("PDF-Quirvel"));
    f.GridColumns(3);
    TThumbnailGrid* grid = f.Form.Grid();
    f.SelectPhoto(5);
    QTest::mouseClick(grid->PaintBox1, Qt::LeftButton, Qt::ShiftModifier, Cell(*grid, 6));
    QTest::mousePress(grid->PaintBox1, Qt::LeftButton, {}, Cell(*grid, 6));
    QTest::mouseMove(grid->PaintBox1, Cell(*grid, 1) + QPoint(-20, 0));
    QCOMPARE(grid->DropGap(), 0);
    QTest::mouseRelease(grid->PaintBox1, Qt::LeftButton, {}, Cell(*grid, 1) + QPoint(-20, 0));
    QCOMPARE(grid->DropGap(), -1);
    QCOMPARE(Order(f.Form), QStringLiteral("e f a b c d"));
    QCOMPARE(f.Form.Album().CurPic, 2);  // the photo dragged by stays current
    QCOMPARE(f.Form.windowTitle(), QStringLiteral("PDF-Quirvel*"));
    QTest::keyClick(grid->KeyEdit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Order(f.Form), QStringLiteral("a b c d e f"));
    QCOMPARE(f.Form.windowTitle(), QStringLiteral("PDF-Quirvel"));
    QTest::keyClick(grid->KeyEdit, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(Order(f.Form), QStringLiteral("e f a b c d"));
  }

  // A folder (its pictures in natural order, not its subfolders, not its text file), a picture and a
  // file that is gone, dropped before photo 2: added there, and one message names what was left out.
  void DropOfFiles() {
    TMainFormFixture f;
    f.AddPhotos({"/f/a.jpg", "/f/b.jpg"});
    f.GridColumns(3);
    qtest::TScratchDir dir;
    std::filesystem::create_directories(dir.Path() / "mappe" / "innen");
    for (const char* name : {"mappe/IMG_10.jpg", "mappe/IMG_9.jpg", "mappe/innen/x.jpg", "lose.jpg"})
      qtest::WriteFile(dir.Path() / name, "\xFF\xD8\xFF\xE0 a JPEG as far as its first bytes go");
    qtest::WriteFile(dir.Path() / "mappe" / "liesmich.txt", "Text");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir / "mappe")),
                  QUrl::fromLocalFile(QString::fromStdString(dir / "lose.jpg")),
                  QUrl::fromLocalFile(QString::fromStdString(dir / "weg.jpg"))});
    TThumbnailGrid* grid = f.Form.Grid();
    QWidget* viewport = grid->ScrollBox1->viewport();
    const QPoint at = grid->PaintBox1->mapTo(viewport, Cell(*grid, 2) - QPoint(20, 0));
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);
    QCOMPARE(Order(f.Form), QStringLiteral("a IMG_9 IMG_10 lose b"));
    QCOMPARE(f.Box.Shown.size(), size_t{1});
    QCOMPARE(QString::fromStdString(f.Box.Shown[0].Text),
             QStringLiteral("Diese 2 Dateien sind keine Bilder, die Quirvel lesen kann, und wurden nicht "
                            "hinzugefügt:\n\n%1\n%2")
                 .arg(QString::fromStdString(dir / "mappe/liesmich.txt"),
                      QString::fromStdString(dir / "weg.jpg")));
    f.Click("UndoBtn");
    QCOMPARE(Order(f.Form), QStringLiteral("a b"));
  }

  // Long work shows its dialog; "Abbrechen" stops it, and the caller learns it was cancelled.
  void LongWorkIsCancelledFromItsDialog() {
    std::atomic<bool> sawCancel{false};
    QTimer::singleShot(0, [] {
      // Runs once the dialog's own loop turns, that is once it shows.
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      QCOMPARE(dialog->objectName(), QStringLiteral("JobDialog"));
      dialog->findChild<QPushButton*>(QStringLiteral("JobCancel"))->click();
    });
    const bool ran = RunJob(nullptr, QStringLiteral("Test"), QStringLiteral("Wartet ..."),
                            [&](const std::atomic<bool>& Cancel, const TJobProgress& Progress) {
                              for (size_t done = 0; !Cancel; ++done) Progress(done, 0);
                              sawCancel = true;
                            });
    QVERIFY(!ran);
    QVERIFY(sawCancel);
  }

  // One row per command: each changes the album once and one undo takes it back.
  void CommandsAreOneStepEach() {
    TMainFormFixture f;
    f.Form.show();
    QVERIFY(QTest::qWaitForWindowActive(&f.Form));
    // The files are there: a sort puts missing ones last, whatever their names.
    qtest::TScratchDir dir;
    for (const char* name : {"IMG_10.jpg", "IMG_9.jpg", "Birne.jpg"}) qtest::WriteFile(dir / name, "x");
    f.AddPhotos({dir / "IMG_10.jpg", dir / "IMG_9.jpg", dir / "Birne.jpg"});
    f.GridColumns(3);
    auto* memo = f.Control<QPlainTextEdit>("Memo1");
    auto* templ = f.Control<QLineEdit>("TextTemplateEd");
    // A default text breaks before every 50th character of the path, which may fall into the name (and
    // becomes CR LF once the text box has edited it).
    const auto text = [&](int Number) {
      std::string out = f.PhotoText(Number);
      std::erase(out, '\r');
      std::erase(out, '\n');
      return out;
    };
    const auto texts = [&] {
      QStringList out;
      for (int i = 1; i <= 3; ++i) out << QString::fromStdString(text(i));
      return out.join(QLatin1Char('|'));
    };
    const auto turns = [&] {
      QString out;
      for (uint32_t i = 0; i < 3; ++i) out += QString::number(f.Form.Album().Pics[i].Turn);
      return out;
    };

    f.Dialogs.SortAnswers.push_back(TSortChoice{TSortKey::FileName, false});
    f.Click("SortBtn");
    QCOMPARE(Order(f.Form), QStringLiteral("Birne IMG_9 IMG_10"));
    f.Click("UndoBtn");
    QCOMPARE(Order(f.Form), QStringLiteral("IMG_10 IMG_9 Birne"));

    f.SelectPhoto(2);
    QLineEdit* keys = f.Form.Grid()->KeyEdit;
    QTest::keyClick(keys, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(keys, Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(keys, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(turns(), QStringLiteral("030"));
    f.Click("UndoBtn");
    QCOMPARE(turns(), QStringLiteral("000"));

    memo->setFocus();
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, QStringLiteral(" am Meer"));  // a run of typing: one step
    QCOMPARE(text(2), std::string("IMG_9.jpg am Meer"));
    QTest::keyClick(memo, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(text(2), std::string("IMG_9.jpg"));

    templ->setFocus();
    QTest::keyClicks(templ, QStringLiteral("{Name}!"));
    QCOMPARE(f.Form.Settings().TextTemplate, std::string("{Name}!"));
    memo->setPlainText(QStringLiteral("von Hand"));  // typed for photo 2
    f.SelectPhoto(1);
    QTest::keyClick(keys, Qt::Key_A, Qt::ControlModifier);
    f.Box.Answers = {false};  // asked before a typed text is replaced: Cancel
    f.Click("RegenTextsBtn");
    QCOMPARE(texts(), QStringLiteral("IMG_10.jpg|von Hand|Birne.jpg"));
    f.Click("RegenTextsBtn");  // OK
    QCOMPARE(texts(), QStringLiteral("IMG_10!|IMG_9!|Birne!"));
    QCOMPARE(f.Box.Shown.size(), size_t{2});
    f.Click("UndoBtn");
    QCOMPARE(texts(), QStringLiteral("IMG_10.jpg|von Hand|Birne.jpg"));
    f.Click("UndoBtn");
    f.Click("UndoBtn");  // the template typed
    QCOMPARE(f.Form.Settings().TextTemplate, std::string());
  }
};

QTEST_MAIN(PhotoArrangingTest)
#include "PhotoArrangingTest.moc"
