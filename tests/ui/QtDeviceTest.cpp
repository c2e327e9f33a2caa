#include <QPainter>
#include <QtTest>

#include "imaging/pictaro/Pictaro.h"
#include "ui/QtDevice.h"

class QtDeviceTest : public QObject {
  Q_OBJECT

 private slots:
  void ScreenDepthComesFromTheDesktopDevice() {
    QCOMPARE(ScreenBitsPerPixel(), 24);  // no desktop device: the true-colour default
    TQtDesktopDevice desktop;
    SetDesktopDevice(&desktop);
    const int bits = ScreenBitsPerPixel();
    SetDesktopDevice(nullptr);
    QVERIFY2(bits == 24 || bits == 32, qPrintable(QString::number(bits)));
  }

  void StretchesA24BitPictureUpright() {
    // 2 x 2 picture: stored row 0 is the bottom row.
    TDib dib;
    newdib(&dib, 2, 2, 24, nullptr, 0);
    QVERIFY(dib.Bits);
    setpixel(dib, 0, 0, 0x0000FF);  // bottom left red
    setpixel(dib, 1, 1, 0xFF0000);  // top right blue
    QImage target(20, 20, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
      QPainter painter(&target);
      TQtPainterDevice device(painter);
      QCOMPARE(device.StretchDIBits(0, 0, 20, 20, 0, 0, 2, 2, dib.Bits, dib.Header, RopSrcCopy), 2);
    }
    deldib(dib);
    QCOMPARE(QColor(target.pixel(2, 17)), QColor(255, 0, 0));
    QCOMPARE(QColor(target.pixel(17, 2)), QColor(0, 0, 255));
    QCOMPARE(QColor(target.pixel(17, 17)), QColor(0, 0, 0));
  }

  void PaletteAndOneBitPictures() {
    TDib dib;
    newdib(&dib, 9, 1, 1, nullptr, 0);
    QVERIFY(dib.Bits);
    // Colour table: index 0 black, 1 white.
    auto* table = reinterpret_cast<uint8_t*>(dib.Header) + dib.Header->biSize;
    table[4] = table[5] = table[6] = 255;
    setpixel(dib, 8, 0, 1);  // the ninth pixel lies in the second byte
    const QImage image = DibToImage(dib.Header, dib.Bits, 0, 0, 9, 1);
    deldib(dib);
    QCOMPARE(image.width(), 9);
    QCOMPARE(QColor(image.pixel(8, 0)), QColor(255, 255, 255));
    QCOMPARE(QColor(image.pixel(7, 0)), QColor(0, 0, 0));
  }
};

QTEST_MAIN(QtDeviceTest)
#include "QtDeviceTest.moc"
