#include <QtTest>

#include "support/TestSupport.h"
#include "ui/MainForm.h"

class MainFormTest : public QObject {
  Q_OBJECT

 private slots:
  void TitleIsPdfQuirvel() {
    TMainForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("PDF-Quirvel"));
  }

  void ClosingAsksAndCancelKeepsTheWindow() {
    qtest::TRecordingMessageBox box;
    box.Answers = {false, true};
    TMainForm form;
    form.show();
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
    QCOMPARE(box.Shown.size(), size_t(1));
    QCOMPARE(box.Shown[0].Text,
             std::string("Hiermit beenden Sie das Programm! Alle nicht gespeicherten Daten gehen verloren!"));
    QCOMPARE(box.Shown[0].Title, std::string("Programm beenden"));
    QVERIFY(box.Shown[0].Icon == TMsgIcon::Information);
    QVERIFY(box.Shown[0].Buttons == TMsgButtons::OkCancel);
    QVERIFY(form.close());
    QVERIFY(!form.isVisible());
  }
};

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
