#include <QtTest>

#include "ui/ProgressPanel.h"

class ProgressPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void SplitPosition() {
    // 50 pixels wide at L: 33 percent fills up to L + 16 (50 * 33 div 100)
    QCOMPARE(TProgressPanel::SplitX(QRect(7, 0, 50, 10), 33), 7 + 16);
    QCOMPARE(TProgressPanel::SplitX(QRect(7, 0, 50, 10), 0), 7);
    QCOMPARE(TProgressPanel::SplitX(QRect(7, 0, 50, 10), 100), 57);
  }

  void BarShowsThePercentage() {
    TProgressPanel panel;
    panel.resize(100, 12);
    panel.SetProStatus(40);  // before the first paint: nothing drawn, remembered
    QVERIFY(panel.ProRect().isEmpty());
    QImage image = panel.grab().toImage();
    QCOMPARE(QColor(image.pixel(10, 5)), TProgressPanel::KNavy);
    QVERIFY(QColor(image.pixel(60, 5)) != TProgressPanel::KNavy);

    panel.SetProStatus(70);
    image = panel.grab().toImage();
    QCOMPARE(QColor(image.pixel(65, 5)), TProgressPanel::KNavy);
    panel.SetProStatus(0);  // falling: the whole bar empties
    image = panel.grab().toImage();
    QVERIFY(QColor(image.pixel(1, 5)) != TProgressPanel::KNavy);
    panel.SetProStatus(100);
    image = panel.grab().toImage();
    QCOMPARE(QColor(image.pixel(99, 5)), TProgressPanel::KNavy);
  }
};

QTEST_MAIN(ProgressPanelTest)
#include "ProgressPanelTest.moc"
