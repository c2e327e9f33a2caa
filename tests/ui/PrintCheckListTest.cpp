// The list "Druckprüfung" in the real window: it checks the album on a thread of its own and shows
// the findings once the check of the latest settings is complete.
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>

#include "MainFormFixture.h"
#include "imaging/pictaro/Pictaro.h"
#include "ui/PrintCheckList.h"
#include "ui/SpinEdit.h"

class PrintCheckListTest : public QObject {
  Q_OBJECT

 private slots:
  // A 100 x 75 photo in a cell of a 2 x 3 A4 page is far below 150 ppi; a 2000 x 1500 one is not. On
  // a page of 20 mm the small one is enough too.
  void NamesTheTooSmallPhotoAndFollowsTheSettings() {
    qtest::TScratchDir dir;
    for (const auto& [name, w, h] : {std::tuple{"big.jpg", 2000, 1500}, std::tuple{"small.jpg", 100, 75}}) {
      TDib dib{};
      newdib(&dib, w, h, 24, nullptr, 0);
      QVERIFY(SaveDib(dib, (dir / name).c_str(), 7, 0) == 1);
      deldib(dib);
    }
    TMainFormFixture f;
    auto* list = f.Control<TPrintCheckList>("PrintCheckList");
    QSignalSpy updated(list, &TPrintCheckList::Updated);
    f.AddPhotos({dir / "big.jpg", dir / "small.jpg"});
    // Every change before the check of the last settings ends is outdated; wait for the complete one.
    while (list->Shown().Photos.size() != 2) QVERIFY(updated.wait());
    QCOMPARE(list->Findings->count(), 1);
    QVERIFY(list->Findings->item(0)->text().startsWith(QStringLiteral("Foto 2 (small.jpg), Seite 1: ")));
    QVERIFY(list->SummaryLabel->text().startsWith(QStringLiteral("Druckprüfung nicht bestanden")));

    updated.clear();
    for (const char* side : {"PageWidthEd", "PageHeightEd"}) f.Control<TSpinEdit>(side)->SetValue(20);
    while (!list->Shown().Passed()) QVERIFY(updated.wait());
    QVERIFY(list->SummaryLabel->text().startsWith(QStringLiteral("Druckprüfung bestanden: 2 Fotos")));
  }
};

QTEST_MAIN(PrintCheckListTest)
#include "PrintCheckListTest.moc"
