// The photo page's grid inside the real window: keys and clicks move the current photo and the window
// follows (text box, status line, file-name label), Esc deletes from the grid but not from the text box,
// the search jumps back and scrolls the photo into view, a double click opens the one viewer, and the
// wheel scrolls the grid on the page "Fotos" only.

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

#include "MainFormFixture.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/screen/ThumbnailCache.h"
#include "ui/PrintForm.h"
#include "ui/SpinEdit.h"
#include "ui/ViewPicForm.h"

namespace {

std::vector<std::string> Names(int Count) {
  std::vector<std::string> names;
  for (int i = 1; i <= Count; ++i) names.push_back("/fotos/p" + std::to_string(i) + ".jpg");
  return names;
}

QWheelEvent WheelDown(QWidget* Over) {
  const QPointF at(5, 5);
  return QWheelEvent(at, Over->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
}

}  // namespace

class MainFormGridTest : public QObject {
  Q_OBJECT

 private slots:
  void KeysMoveTheCurrentPhotoAndTheWindowFollows() {
    TMainFormFixture f;
    f.AddPhotos(Names(10));
    f.GridColumns(4);
    f.SelectPhoto(9);
    TThumbnailGrid* grid = f.Form.Grid();
    QVERIFY(grid->KeyEdit->hasFocus());
    auto* memo = f.Control<QPlainTextEdit>("Memo1");
    // From photo 9 of 10 in four columns: no photo below, photo 5 above, 10 to the right and no further;
    // from photo 1 nothing to the left or above.
    struct {
      int From, Key, To;
    } rows[] = {{9, Qt::Key_Down, 9},    {9, Qt::Key_Up, 5},   {5, Qt::Key_Down, 9}, {9, Qt::Key_Right, 10},
                {10, Qt::Key_Right, 10}, {1, Qt::Key_Left, 1}, {1, Qt::Key_Up, 1},   {4, Qt::Key_Right, 5}};
    for (const auto& r : rows) {
      f.SelectPhoto(r.From);
      memo->setPlainText(QStringLiteral("bearbeitet %1").arg(r.From));  // the user's edit of photo From
      QTest::keyClick(grid->KeyEdit, static_cast<Qt::Key>(r.Key));
      QCOMPARE(f.Form.Album().CurPic, r.To);
      // A move shows the new photo's text; no move leaves the box (and the edit) alone.
      const QString shown = r.From == r.To ? QStringLiteral("bearbeitet %1").arg(r.From)
                                           : QString::fromStdString(f.PhotoText(r.To));
      QCOMPARE(memo->toPlainText(), shown);
      QCOMPARE(f.Form.StatusText()->text(), QStringLiteral("Thumbnail: %1 von 10").arg(r.To));
      QCOMPARE(f.Control<QLabel>("Label1")->text(), QStringLiteral("/fotos/p%1.jpg").arg(r.To));
    }
    QCOMPARE(f.PhotoText(9), std::string("bearbeitet 9"));
  }

  void EscapeDeletesFromTheGridNotFromTheTextBox() {
    TMainFormFixture f;
    f.Form.show();
    QVERIFY(QTest::qWaitForWindowActive(&f.Form));
    f.AddPhotos({"/a.jpg", "/b.jpg", "/c.jpg"});
    f.SelectPhoto(1);
    auto* memo = f.Control<QPlainTextEdit>("Memo1");
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_Escape);
    QCOMPARE(f.Form.Album().Pics.Count, 3u);
    QLineEdit* keys = f.Form.Grid()->KeyEdit;
    f.SelectPhoto(1);  // a click into the grid gives it the keys
    QVERIFY(keys->hasFocus());
    QTest::keyClick(keys, Qt::Key_Escape, Qt::ShiftModifier);
    QCOMPARE(f.Form.Album().Pics.Count, 3u);
    QTest::keyClick(keys, Qt::Key_Escape);
    QCOMPARE(f.Form.Album().Pics.Count, 2u);
    QCOMPARE(f.PhotoName(1), std::string("/b.jpg"));
    QCOMPARE(memo->toPlainText(), QStringLiteral("b.jpg"));
    QCOMPARE(f.Form.StatusText()->text(), QStringLiteral("Thumbnail: 1 von 2"));
    f.Control<QTabWidget>("PageControl2")->setCurrentIndex(1);
    QTest::keyClick(f.Control<QLineEdit>("SearchEdit"), Qt::Key_Escape);
    QCOMPARE(f.Form.Album().Pics.Count, 2u);
  }

  void SearchJumpScrollsThePhotoIntoView() {
    TMainFormFixture f;
    f.AddPhotos(Names(40));
    f.GridColumns(4);
    QScrollBar* bar = f.Form.Grid()->ScrollBox1->verticalScrollBar();
    const int visible = f.Form.Grid()->ScrollBox1->viewport()->height();
    QVERIFY(visible < 10 * 110);
    f.Control<QLineEdit>("SearchEdit")->setText("P37");
    f.Click("SearchBtn");
    auto* hits = f.Control<QTreeWidget>("ListView2");
    QCOMPARE(hits->topLevelItemCount(), 1);
    f.Control<QTabWidget>("PageControl2")->setCurrentIndex(1);
    QVERIFY(QTest::qWaitForWindowExposed(&f.Form));
    QApplication::processEvents();
    // The first click of a double click selects the row, the second opens it.
    QTest::mouseClick(hits->viewport(), Qt::LeftButton, {},
                      hits->visualItemRect(hits->topLevelItem(0)).center());
    QTest::mouseDClick(hits->viewport(), Qt::LeftButton, {},
                       hits->visualItemRect(hits->topLevelItem(0)).center());
    QCOMPARE(f.Control<QTabWidget>("PageControl2")->currentIndex(), 0);
    QCOMPARE(f.Form.Album().CurPic, 37);
    QCOMPARE(f.Control<QPlainTextEdit>("Memo1")->toPlainText(), QStringLiteral("p37.jpg"));
    // Photo 37 is in row 9, below the area: its frame's bottom meets the area's bottom edge.
    QCOMPARE(bar->value(), 9 * 110 + 108 - visible);
  }

  void DoubleClickAndEnterOpenTheOneViewer() {
    qtest::TScratchDir dir;
    const std::string photo = dir / "foto.bmp";
    TDib dib{};
    newdib(&dib, 40, 30, 24, nullptr, 0);
    QVERIFY(SaveDib(dib, photo.c_str(), 3, 0));
    deldib(dib);

    TMainFormFixture f;
    f.AddPhotos({photo, dir / "fehlt.jpg"});
    TViewPicForm* viewer = f.Form.Viewer();
    std::vector<std::string> opened;
    viewer->ShowModal = [&](TViewPicForm& Form) {
      opened.push_back(Form.FileName);
      if (opened.size() == 1) {
        Form.ZoomEd->SetValue(250);
        // The print window keeps its values in the window's own per-user store.
        Form.ShowPrintForm = [](TPrintForm& Print) {
          Print.show();
          Print.CancelBitBtn2->click();
          return Print.result();
        };
        Form.PrintBrn->click();
      }
      return int(QDialog::Accepted);
    };
    f.SelectPhoto(1);
    QTest::mouseDClick(f.Form.Grid()->PaintBox1, Qt::LeftButton, {}, QPoint(45, 55));
    QCOMPARE(opened, std::vector<std::string>{photo});
    QCOMPARE((f.Store.Values[{"TPrintForm", "BreitEdit_Value"}]), std::string("50"));
    QVERIFY(f.Box.Shown.empty());
    // Enter in the grid opens it too, the same viewer with the zoom the user left.
    QTest::keyClick(f.Form.Grid()->KeyEdit, Qt::Key_Return);
    QCOMPARE(opened.size(), size_t(2));
    QCOMPARE(viewer->ZoomEd->WholeValue(), 250);
    QCOMPARE(viewer->Picture.Bits, nullptr);  // freed when the viewer closed

    // A file that cannot be read: the message, and no viewer.
    f.SelectPhoto(2);
    QTest::keyClick(f.Form.Grid()->KeyEdit, Qt::Key_Return);
    QCOMPARE(opened.size(), size_t(2));
    QCOMPARE(f.Box.Shown.back().Text, std::string("Konnte die Bilddatei nicht öffnen!"));
    QCOMPARE(f.Box.Shown.back().Title, std::string("Fehler"));
    QVERIFY(f.Box.Shown.back().Icon == TMsgIcon::Error);
  }

  void WheelScrollsTheGridOnThePhotoPageOnly() {
    TMainFormFixture f;
    f.AddPhotos(Names(40));
    f.GridColumns(4);
    QScrollBar* bar = f.Form.Grid()->ScrollBox1->verticalScrollBar();
    // A wheel that no control takes (over a label, a button) reaches the window, which scrolls the
    // grid on the page "Fotos" and nowhere else.
    QWheelEvent onPhotos = WheelDown(&f.Form);
    QApplication::sendEvent(&f.Form, &onPhotos);
    QCOMPARE(bar->value(), 20);
    f.Control<QTabWidget>("PageControl2")->setCurrentIndex(1);
    QWheelEvent onSearch = WheelDown(&f.Form);
    QApplication::sendEvent(&f.Form, &onSearch);
    QCOMPARE(bar->value(), 20);
  }

  void ThumbnailsGoIntoTheSharedFolderTheWindowIsGiven() {
    qtest::TScratchDir dir;
    const std::string photo = dir / "photo.jpg";
    QCOMPARE(qtest::Run("convert -size 300x200 xc:orange " + qtest::Quote(photo)), 0);
    const TThumbnailCache cache(dir / "thumbnails/normal");
    qtest::TRecordingMessageBox box;
    qtest::TScriptedDialogs dialogs;
    TMemorySettingsStore store;
    TRecordingShell shell;
    TMainForm form(dialogs, store, shell, &cache);
    dialogs.FileAnswers.push_back(std::vector<std::string>{photo});
    form.findChild<QAbstractButton*>(QStringLiteral("NewFotoBtn"))->click();
    form.show();
    form.Grid()->PaintBox1Paint();
    QTRY_VERIFY(form.Album().Pics[0].Thumbnail.Bits != nullptr);
    QCOMPARE(DibWidth(form.Album().Pics[0].Thumbnail), 80);
    QVERIFY(std::filesystem::exists(cache.EntryName(photo)));
  }
};

QTEST_MAIN(MainFormGridTest)
#include "MainFormGridTest.moc"
