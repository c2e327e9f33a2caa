// The picture viewer through Qt Test: opening (and failing to open) a photo, the zoom field's
// keystrokes and limits, zoom kept between openings, dragging with any button, the shell's "open".
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include "imaging/Pictaro.h"
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
    int shown = 0;
    viewer.ShowModal = [&](TViewPicForm& Form) {
      ++shown;
      Form.show();
      if (!QTest::qWaitForWindowExposed(&Form)) return 0;
      // Zoom 100: pixel for pixel.
      if (shown == 1) {
        [&] {
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
          QCOMPARE(Form.ZoomEd->WholeValue(), 9000);
          QCOMPARE(Form.PaintBox1->size(), QSize(3600, 2700));
          Form.ZoomEd->SetValue(250);
        }();
      } else {
        // Reopened for another photo: the zoom stays.
        [&] { QCOMPARE(Form.PaintBox1->size(), QSize(25, 250)); }();
      }
      Form.hide();
      return int(QDialog::Accepted);
    };
    QVERIFY(viewer.ShowPicture(WritePicture(dir, "a.bmp", 40, 30), nullptr));
    QCOMPARE(viewer.Picture.Bits, nullptr);  // freed when the viewer closed
    QCOMPARE(shell.Opened, std::vector<std::string>{dir / "a.bmp"});
    QVERIFY(viewer.ShowPicture(WritePicture(dir, "b.bmp", 10, 100), nullptr));
    QCOMPARE(shown, 2);

    // A file that cannot be read never reaches the viewer.
    QVERIFY(!viewer.ShowPicture(dir / "missing.jpg", nullptr));
    QCOMPARE(shown, 2);
    QCOMPARE(box.Shown.size(), size_t(1));
    QCOMPARE(box.Shown[0].Text, std::string("Konnte die Bilddatei nicht öffnen!"));
    QCOMPARE(box.Shown[0].Title, std::string("Fehler"));
    QVERIFY(box.Shown[0].Icon == TMsgIcon::Error);
  }

  // A Display P3 photo shows its sRGB colour, not its P3 numbers.
  void ShowsTaggedPhotosInTheirColours() {
    qtest::TScratchDir dir;
    TRecordingShell shell;
    TMemorySettingsStore settings;
    TViewPicForm viewer(shell, settings);
    const auto p3 = qtest::InProfile(qtest::SolidPixels(40, 30, 0x28B43C), qtest::TTestProfile::DisplayP3);
    QVERIFY(std::abs(static_cast<uint8_t>(p3.Rgb[0]) - 0x28) > 20);  // P3 numbers, far from sRGB's
    const std::string file = dir / "p3.png", icc = qtest::TestProfile(qtest::TTestProfile::DisplayP3);
    qtest::WriteFile(file, qtest::TaggedPicture(qtest::TTestFormat::Png, p3, icc));
    QColor shown;
    viewer.ShowModal = [&](TViewPicForm& Form) {
      Form.show();
      if (QTest::qWaitForWindowExposed(&Form)) shown = Form.PaintBox1->grab().toImage().pixelColor(20, 15);
      return 0;
    };
    QVERIFY(viewer.ShowPicture(file, nullptr));
    QVERIFY(std::abs(shown.red() - 0x28) <= 2 && std::abs(shown.green() - 0xB4) <= 2 &&
            std::abs(shown.blue() - 0x3C) <= 2);
  }

  void DraggingWithAnyButtonMovesThePictureWithOneDrawingPerMove() {
    qtest::TScratchDir dir;
    TRecordingShell shell;
    TMemorySettingsStore settings;
    TViewPicForm viewer(shell, settings);
    viewer.ShowModal = [&](TViewPicForm& Form) {
      Form.resize(300, 250);
      Form.show();
      if (!QTest::qWaitForWindowExposed(&Form)) return 0;
      Form.ZoomEd->SetValue(2000);  // 800 x 600: larger than the window
      QApplication::processEvents();
      [&] {
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
      }();
      Form.hide();
      return int(QDialog::Accepted);
    };
    QVERIFY(viewer.ShowPicture(WritePicture(dir, "a.bmp", 40, 30), nullptr));
  }
};

QTEST_MAIN(ViewPicFormTest)
#include "ViewPicFormTest.moc"
