// The picture viewer through Qt Test: opening (and failing to open) a photo, the zoom field's
// keystrokes and limits, zoom kept between openings, dragging with any button, the shell's "open".
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include "imaging/pictaro/Pictaro.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "support/TaggedPictures.h"
#include "support/TestSupport.h"
#include "ui/SpinEdit.h"
#include "ui/ViewPicForm.h"

namespace {

struct TRecordingShell final : TShell {
  std::vector<std::string> Opened;
  void OpenFile(const std::string& FileName) override { Opened.push_back(FileName); }
};

// A W x H BMP whose pixel (x, y), y from the top, has red x and green y.
std::string WritePicture(const qtest::TScratchDir& Dir, const std::string& Name, int W, int H) {
  TDib dib;
  newdib(&dib, W, H, 24, nullptr, 0);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) setpixel(dib, x, H - 1 - y, uint32_t(x) | uint32_t(y) << 8);
  const std::string path = Dir / Name;
  SaveDib(dib, path.c_str(), 3, 0);
  deldib(dib);
  return path;
}

// Counts paint events of a widget.
struct TPaintCounter : QObject {
  int Paints = 0;
  bool eventFilter(QObject*, QEvent* Event) override {
    if (Event->type() == QEvent::Paint) ++Paints;
    return false;
  }
};

}  // namespace

class ViewPicFormTest : public QObject {
  Q_OBJECT

 private slots:
  void OpensShowsAndFreesThePicture() {
    qtest::TScratchDir dir;
    qtest::TRecordingMessageBox box;
    TRecordingShell shell;
    TMemorySettingsStore settings;
    TViewPicForm viewer(shell, settings);
    int shown = 0, checked = 0;  // checked: showings whose checks all ran
    viewer.ShowModal = [&](TViewPicForm& Form) {
      ++shown;
      Form.show();
      const bool exposed = QTest::qWaitForWindowExposed(&Form);
      // Zoom 100: pixel for pixel.
      if (shown == 1) {
        [&] {
          QVERIFY(exposed);
          QCOMPARE(Form.PaintBox1->size(), QSize(40, 30));
          const QImage image = Form.PaintBox1->grab().toImage();
          QCOMPARE(image.pixelColor(7, 3), QColor(7, 3, 0));
          QCOMPARE(image.pixelColor(39, 29), QColor(39, 29, 0));
          Form.OpenBtn->click();
          // Each keystroke redraws at the number typed so far, even outside the limits.
          Form.ZoomEd->lineEdit()->selectAll();
          QTest::keyClicks(Form.ZoomEd->lineEdit(), "3");
          QCOMPARE(Form.PaintBox1->size(), QSize(1, 0));
          QTest::keyClick(Form.ZoomEd->lineEdit(), Qt::Key_0);
          QCOMPARE(Form.PaintBox1->size(), QSize(12, 9));
          QTest::keyClick(Form.ZoomEd->lineEdit(), Qt::Key_0);
          QCOMPARE(Form.PaintBox1->size(), QSize(120, 90));
          // Zero or less shows nothing until the field is left; not a number counts as 5.
          Form.ZoomEd->lineEdit()->setText(QStringLiteral("-40"));
          QCOMPARE(Form.PaintBox1->size(), QSize(0, 0));
          Form.ZoomEd->lineEdit()->setText(QString());
          QCOMPARE(Form.PaintBox1->size(), QSize(2, 1));
          Form.ZoomEd->lineEdit()->setText(QStringLiteral("20000"));
          QCOMPARE(Form.PaintBox1->size(), QSize(8000, 6000));
          QTest::keyClick(Form.ZoomEd->lineEdit(), Qt::Key_Return);  // the field corrects it
          QVERIFY(Form.isVisible());                                 // and the viewer stays
          QCOMPARE(Form.ZoomEd->WholeValue(), 9000);
          QCOMPARE(Form.PaintBox1->size(), QSize(3600, 2700));
          Form.ZoomEd->SetValue(250);
          ++checked;
        }();
      } else {
        // Reopened for another photo: the zoom stays.
        [&] {
          QVERIFY(exposed);
          QCOMPARE(Form.PaintBox1->size(), QSize(25, 250));
          ++checked;
        }();
      }
      Form.hide();
      return int(QDialog::Accepted);
    };
    QVERIFY(viewer.ShowPicture(WritePicture(dir, "a.bmp", 40, 30), nullptr));
    QCOMPARE(viewer.Picture.Bits, nullptr);  // freed when the viewer closed
    QCOMPARE(shell.Opened, std::vector<std::string>{dir / "a.bmp"});
    QVERIFY(viewer.ShowPicture(WritePicture(dir, "b.bmp", 10, 100), nullptr));
    QCOMPARE(shown, 2);
    QCOMPARE(checked, 2);

    // A file that cannot be read never reaches the viewer.
    QVERIFY(!viewer.ShowPicture(dir / "missing.jpg", nullptr));
    QCOMPARE(shown, 2);
    QCOMPARE(box.Shown.size(), size_t(1));
    QCOMPARE(box.Shown[0].Text, std::string("Konnte die Bilddatei nicht öffnen!"));
    QCOMPARE(box.Shown[0].Title, std::string("Fehler"));
    QVERIFY(box.Shown[0].Icon == TMsgIcon::Error);
  }

  // A Display P3 photo shows its sRGB colour, not its P3 numbers: a HEIC's embedded thumbnail first,
  // then the photo decoded on the worker (HEVC coding costs a few levels).
  void ShowsTaggedPhotosInTheirColours() {
    qtest::TScratchDir dir;
    TRecordingShell shell;
    TMemorySettingsStore settings;
    TViewPicForm viewer(shell, settings);
    const auto p3 = qtest::InProfile(qtest::SolidPixels(64, 48, 0x28B43C), qtest::TTestProfile::DisplayP3);
    QVERIFY(std::abs(static_cast<uint8_t>(p3.Rgb[0]) - 0x28) > 20);  // P3 numbers, far from sRGB's
    const std::string icc = qtest::TestProfile(qtest::TTestProfile::DisplayP3);
    qtest::WriteFile(dir / "p3.heic", qtest::HeifPicture(p3, {.ThumbnailSide = 32, .Icc = icc}));
    std::vector<QColor> shown;
    viewer.ShowModal = [&](TViewPicForm& Form) {
      const auto grab = [&] { shown.push_back(Form.PaintBox1->grab().toImage().pixelColor(32, 24)); };
      grab();
      QSignalSpy decoded(&Form, &TViewPicForm::PictureDecoded);
      if (Form.ShowsFirstPicture() && decoded.wait()) grab();
      return 0;
    };
    QVERIFY(viewer.ShowPicture(dir / "p3.heic", nullptr));
    QCOMPARE(shown.size(), size_t{2});
    for (const QColor& c : shown)
      QVERIFY(std::abs(c.red() - 0x28) <= 6 && std::abs(c.green() - 0xB4) <= 6 &&
              std::abs(c.blue() - 0x3C) <= 6);
  }

  void DraggingWithAnyButtonMovesThePictureWithOneDrawingPerMove() {
    qtest::TScratchDir dir;
    TRecordingShell shell;
    TMemorySettingsStore settings;
    TViewPicForm viewer(shell, settings);
    bool checked = false;
    viewer.ShowModal = [&](TViewPicForm& Form) {
      Form.resize(300, 250);
      Form.show();
      const bool exposed = QTest::qWaitForWindowExposed(&Form);
      Form.ZoomEd->SetValue(2000);  // 800 x 600: larger than the window
      QApplication::processEvents();
      [&] {
        QVERIFY(exposed);
        QScrollBar* h = Form.ScrollBox1->horizontalScrollBar();
        QScrollBar* v = Form.ScrollBox1->verticalScrollBar();
        QVERIFY(h->maximum() > 100 && v->maximum() > 100);
        TPaintCounter counter;
        Form.PaintBox1->installEventFilter(&counter);
        QTest::mousePress(Form.PaintBox1, Qt::RightButton, {}, QPoint(150, 120));
        QMouseEvent move(QEvent::MouseMove, QPointF(130, 90), Form.PaintBox1->mapToGlobal(QPointF(130, 90)),
                         Qt::NoButton, Qt::RightButton, {});
        QApplication::sendEvent(Form.PaintBox1, &move);
        QApplication::processEvents();
        QCOMPARE(h->value(), 20);
        QCOMPARE(v->value(), 30);
        QCOMPARE(counter.Paints, 1);
        QTest::mouseRelease(Form.PaintBox1, Qt::RightButton, {}, QPoint(130, 90));
        QApplication::sendEvent(Form.PaintBox1, &move);  // released: no longer dragging
        QCOMPARE(h->value(), 20);
        Form.PaintBox1->removeEventFilter(&counter);
        checked = true;
      }();
      Form.hide();
      return int(QDialog::Accepted);
    };
    QVERIFY(viewer.ShowPicture(WritePicture(dir, "a.bmp", 40, 30), nullptr));
    QVERIFY(checked);
  }

  void AFirstPictureShowsAtOnceUntilThePhotoIsDecoded() {
    QVERIFY(qtest::NeedProgram("convert"));
    qtest::TScratchDir dir;
    const std::string photo = dir / "photo.jpg", small = dir / "small.jpg";
    // A red photo of 600 x 400 whose EXIF picture is green, its left third blue.
    QCOMPARE(qtest::Run("convert -size 600x400 xc:red " + qtest::Quote(photo)), 0);
    QCOMPARE(qtest::Run("convert -size 150x100 xc:lime -fill blue -draw 'rectangle 0,0 49,99' " + qtest::Quote(small)),
             0);
    QVERIFY(qtest::AddExifThumbnail(photo, small));
    TRecordingShell shell;
    TMemorySettingsStore settings;
    TViewPicForm viewer(shell, settings);
    bool checked = false;
    viewer.ShowModal = [&](TViewPicForm& Form) {
      QSignalSpy decoded(&Form, &TViewPicForm::PictureDecoded);
      const auto colour = [&] { return Form.PaintBox1->grab().toImage().pixelColor(300, 200); };
      [&] {
        QVERIFY(Form.ShowsFirstPicture());
        QCOMPARE(Form.PaintBox1->size(), QSize(600, 400));
        QVERIFY(colour().green() > 200 && colour().red() < 60);
        QVERIFY(!Form.PrintBrn->isEnabled());
        // "Einpassen" fits the photo's size, not the first picture's: 600 x 400 into 200 x 150.
        Form.ScrollBox1->setFrameShape(QFrame::NoFrame);
        Form.ScrollBox1->setFixedSize(200, 150);
        Form.FitCheck->click();
        QCOMPARE(Form.PaintBox1->size(), QSize(200, 133));
        QCOMPARE(Form.ZoomEd->WholeValue(), 33);
        Form.FitCheck->click();
        Form.ZoomEd->SetValue(100);
        QVERIFY(decoded.wait());
        QVERIFY(!Form.ShowsFirstPicture());
        QCOMPARE(DibWidth(Form.Picture), 600);
        QVERIFY(colour().red() > 200 && colour().green() < 60);
        QVERIFY(Form.PrintBrn->isEnabled());
        checked = true;
      }();
      return 0;
    };
    QVERIFY(viewer.ShowPicture(photo, nullptr));
    QVERIFY(checked);

    // Turned a quarter clockwise: the first picture stands 400 x 600 with its blue third on top, and
    // the photo comes decoded turned.
    checked = false;
    viewer.ShowModal = [&](TViewPicForm& Form) {
      QSignalSpy decoded(&Form, &TViewPicForm::PictureDecoded);
      const auto colour = [&](int X, int Y) { return Form.PaintBox1->grab().toImage().pixelColor(X, Y); };
      [&] {
        QVERIFY(Form.ShowsFirstPicture());
        QCOMPARE(Form.PaintBox1->size(), QSize(400, 600));
        QVERIFY(colour(200, 100).blue() > 200 && colour(200, 100).green() < 60);
        QVERIFY(colour(200, 400).green() > 200 && colour(200, 400).blue() < 60);
        QVERIFY(decoded.wait());
        QCOMPARE(QSize(DibWidth(Form.Picture), DibHeight(Form.Picture)), QSize(400, 600));
        checked = true;
      }();
      return 0;
    };
    QVERIFY(viewer.ShowPicture(photo, nullptr, 1));
    QVERIFY(checked);

    // The photo's coded data cut short: its first picture shows, then the viewer says so and closes.
    const std::string bytes = qtest::ReadFile(photo);
    qtest::WriteFile(photo, bytes.substr(0, bytes.size() - 200));
    qtest::TRecordingMessageBox box;
    viewer.ShowModal = [&](TViewPicForm& Form) {
      QSignalSpy closed(&Form, &QDialog::rejected);
      [&] {
        QVERIFY(Form.ShowsFirstPicture());
        QVERIFY(closed.wait());
        QVERIFY(!Form.ShowsFirstPicture());
      }();
      return 0;
    };
    QVERIFY(viewer.ShowPicture(photo, nullptr));
    QCOMPARE(box.Shown.size(), size_t(1));
    QCOMPARE(box.Shown[0].Text, std::string("Konnte die Bilddatei nicht öffnen!"));
  }

  void APhotoNothingCanShowIsReported() {
    // A desktop without a program for the photo: "Öffnen..." names the photo in an error message.
    struct TNoProgramShell final : TShell {
      void OpenFile(const std::string&) override {}
      TOpening OpenWatched(const std::string&) override { return TOpening(TOpenOutcome::NoProgram); }
    } shell;
    qtest::TScratchDir dir;
    qtest::TRecordingMessageBox box;
    TMemorySettingsStore settings;
    TViewPicForm viewer(shell, settings);
    const std::string photo = WritePicture(dir, "foto.bmp", 4, 3);
    viewer.ShowModal = [](TViewPicForm& Form) {
      Form.OpenBtn->click();
      return 0;
    };
    QVERIFY(viewer.ShowPicture(photo, nullptr));
    QCOMPARE(box.Shown.size(), size_t(1));
    QCOMPARE(box.Shown[0].Text, "Das Foto „" + photo +
                                    "“ konnte nicht angezeigt werden: Es ist kein Programm zum Anzeigen "
                                    "dieser Bilddatei eingerichtet.");
    QVERIFY(box.Shown[0].Icon == TMsgIcon::Error);
  }

  void FitIntoTheWindowIsKeptPerUser() {
    qtest::TScratchDir dir;
    TRecordingShell shell;
    TMemorySettingsStore settings;
    // Fitted into a visible area of 200 x 150: the largest size in proportion, and the zoom field's
    // percentage (whole, at least 5).
    struct TRow {
      int Width, Height;
      QSize Fitted;
      int Zoom;
    };
    const TRow rows[] = {
        {40, 30, {200, 150}, 500},   // enlarged, both sides fill
        {10, 100, {15, 150}, 150},   // the height limits
        {1000, 300, {200, 60}, 20},  // shrunk, the width limits
        {8000, 100, {200, 2}, 5},    // 2.5 % is below the field's lowest value
    };
    int checked = 0;
    for (const TRow& row : rows) {
      TViewPicForm viewer(shell, settings);
      viewer.ShowModal = [&](TViewPicForm& Form) {
        Form.ScrollBox1->setFrameShape(QFrame::NoFrame);
        Form.ScrollBox1->setFixedSize(200, 150);
        Form.show();
        if (!QTest::qWaitForWindowExposed(&Form)) return 0;
        if (&row == rows) Form.FitCheck->click();  // the first viewer turns it on; the others read it
        QApplication::processEvents();
        [&] {
          QVERIFY(Form.FitCheck->isChecked());
          QVERIFY(!Form.ZoomEd->isEnabled());
          QCOMPARE(Form.PaintBox1->size(), row.Fitted);
          QCOMPARE(Form.ZoomEd->WholeValue(), row.Zoom);
          ++checked;
        }();
        Form.hide();
        return int(QDialog::Accepted);
      };
      QVERIFY(viewer.ShowPicture(WritePicture(dir, "p.bmp", row.Width, row.Height), nullptr));
    }
    QCOMPARE(checked, 4);
    const std::pair<std::string, std::string> key{"TViewPicForm", "Einpassen"};
    QCOMPARE(settings.Values[key], std::string("1"));
  }
};

QTEST_MAIN(ViewPicFormTest)
#include "ViewPicFormTest.moc"
