// The page preview inside the real window: it shows on the settings pages, starts on the current
// photo's page, turns pages, redraws when a field is typed into, shows the photos once their
// pictures are made, says below the page that a photo cannot be read, and follows a photo turned.

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include "MainFormFixture.h"
#include "ui/PagePreview.h"
#include "ui/PhotoArranging.h"
#include "ui/SpinEdit.h"

namespace {

// Count pure-red photos (JPEG) in Dir.
std::vector<std::string> Photos(const qtest::TScratchDir& Dir, int Count) {
  QImage red(60, 40, QImage::Format_RGB888);
  red.fill(Qt::red);
  std::vector<std::string> names;
  for (int i = 1; i <= Count; ++i) {
    names.push_back(Dir / ("p" + std::to_string(i) + ".jpg"));
    red.save(QString::fromStdString(names.back()), "JPEG");
  }
  return names;
}

// Whether the page as drawn has red in it.
bool HasRed(const QImage& Page) {
  for (int y = 0; y < Page.height(); ++y)
    for (int x = 0; x < Page.width(); ++x)
      if (Page.pixelColor(x, y).red() > 200 && Page.pixelColor(x, y).green() < 60) return true;
  return false;
}

}  // namespace

class PagePreviewTest : public QObject {
  Q_OBJECT

 private slots:
  void FollowsTheSettingsAndTurnsPages() {
    qtest::TScratchDir dir;
    TMainFormFixture f;
    // Last, a fourteenth photo that is no picture: it moves no other photo.
    std::vector<std::string> photos = Photos(dir, 13);
    photos.push_back(dir / "broken.jpg");
    qtest::WriteFile(photos.back(), "no picture");
    f.AddPhotos(photos);
    f.Form.resize(900, 640);
    f.SelectPhoto(8);
    TPagePreview* preview = f.Form.Preview();
    QSignalSpy redrawn(preview, &TPagePreview::Redrawn);
    // The first-start grid of 2 x 3: 13 photos on three pages, photo 8 on page 2.
    f.Control<QTabWidget>("PageControl2")->setCurrentWidget(f.Control<QWidget>("EinstellungenPage"));
    QVERIFY(redrawn.wait());
    QVERIFY(preview->isVisible());
    QCOMPARE(preview->PageLabel->text(), QStringLiteral("Seite 2 von 3"));

    // Typing into a field redraws: three columns make pages of 3 x 3, 13 photos two pages.
    f.Control<QTabWidget>("PageControl2")->setCurrentWidget(f.Control<QWidget>("PdfPage"));
    QLineEdit* columns = f.Control<TSpinEdit>("CountXEd")->lineEdit();
    columns->selectAll();
    redrawn.clear();
    QTest::keyClicks(columns, "3");
    QVERIFY(redrawn.wait());
    QCOMPARE(preview->PageLabel->text(), QStringLiteral("Seite 2 von 2"));
    QVERIFY(!preview->NextPageBtn->isEnabled());

    // The button and Bild auf turn back; page 1 holds red photos once their pictures are made.
    preview->PrevPageBtn->click();
    QVERIFY(redrawn.wait());
    QCOMPARE(preview->Page(), 1);
    QVERIFY(!preview->PrevPageBtn->isEnabled());
    preview->setFocus();
    QTest::keyClick(preview, Qt::Key_PageDown);
    QVERIFY(redrawn.wait());
    QCOMPARE(preview->Page(), 2);
    QTest::keyClick(preview, Qt::Key_PageUp);
    QVERIFY(redrawn.wait());
    while (preview->MakingPictures() || !HasRed(preview->PageImage())) QVERIFY(redrawn.wait());
    while (preview->UnreadableLabel->isHidden()) QVERIFY(redrawn.wait());
    QCOMPARE(preview->UnreadableLabel->text(),
             QStringLiteral("1 Foto kann nicht gelesen werden und fehlt in der PDF-Datei."));

    // Photo 8, on this page, turned on the photo page: the page is drawn again, with it turned.
    const QImage before = preview->PageImage();
    f.Form.Arranging()->TurnSelected(1);
    while (preview->PageImage() == before) QVERIFY(redrawn.wait());
  }
};

QTEST_MAIN(PagePreviewTest)
#include "PagePreviewTest.moc"
