// The print window through Qt Test: preview paper, the width/height couplings, the stored values, the
// printer setup, no printer at all, and printing into a PDF file through QPrinter, checked with
// pdfinfo, pdfimages and pdftoppm.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "imaging/pictaro/Pictaro.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "support/TestSupport.h"
#include "support/WhenShown.h"
#include "ui/PrintForm.h"
#include "ui/SpinEdit.h"
#include "ui/ViewPicForm.h"

namespace {

// A W x H picture in one colour (0x00BBGGRR).
struct TPicture {
  TDib Dib{};
  TPicture(int W, int H, uint32_t Color) {
    newdib(&Dib, W, H, 24, nullptr, 0);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) setpixel(Dib, x, y, Color);
  }
  ~TPicture() { deldib(Dib); }
};

struct TPdfPrinter {
  QPrinter Printer{QPrinter::HighResolution};
  explicit TPdfPrinter(const std::string& File) {
    Printer.setOutputFormat(QPrinter::PdfFormat);
    Printer.setOutputFileName(QString::fromStdString(File));
  }
};

struct TNoShell final : TShell {
  void OpenFile(const std::string&) override {}
};

// The bounding box of the pixels of Image that are not white.
QRect InkBox(const QImage& Image) {
  QRect box;
  for (int y = 0; y < Image.height(); ++y)
    for (int x = 0; x < Image.width(); ++x)
      if (QColor(Image.pixel(x, y)).lightness() < 200) box |= QRect(x, y, 1, 1);
  return box;
}

}  // namespace

class PrintFormTest : public QObject {
  Q_OBJECT

 private slots:
  void PreviewPaperFollowsThePageShape() {
    qtest::TScratchDir dir;
    TPdfPrinter pdf(dir / "x.pdf");
    TMemorySettingsStore settings;
    const TPicture picture(40, 40, 0x000000);
    TPrintForm form(picture.Dib, pdf.Printer, settings);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.windowTitle(), QStringLiteral("Bild drucken..."));
    QCOMPARE(form.size(), QSize(427, 328));
    QVERIFY(form.NoPrinterLabel->isHidden());
    // Portrait: the paper fills the preview's height; its width is 190 * PW div PH.
    QImage preview = form.PrintPaintBox->grab().toImage();
    const int w = 190 * pdf.Printer.width() / pdf.Printer.height(), left = (190 - w) / 2;
    QCOMPARE(preview.pixelColor(left, 0), QColor(Qt::white));
    QVERIFY(preview.pixelColor(left - 1, 95) != QColor(Qt::white));
    // The black picture fills the paper's width, centred.
    QCOMPARE(preview.pixelColor(95, 95), QColor(Qt::black));
    QCOMPARE(preview.pixelColor(left, 95), QColor(Qt::black));
    // The real setup dialog: its button chooses the printer; it prints nothing.
    QString button;
    const qtest::TWhenShown<QPrintDialog> setup([&](QPrintDialog& Dialog, QEvent& Event) {
      if (Event.type() != QEvent::Show) return false;
      button = Dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->text();
      QMetaObject::invokeMethod(&Dialog, &QDialog::reject, Qt::QueuedConnection);
      return true;
    });
    form.PrintSetupBtn->click();
    QVERIFY(setup.Done());
    QCOMPARE(button, QStringLiteral("&Übernehmen"));
    QVERIFY(std::filesystem::is_empty(dir.Path()));
    // The setup dialog turns the page: landscape paper fills the width.
    form.PrinterSetupDialog1 = [](QPrinter& Printer) {
      Printer.setPageOrientation(QPageLayout::Landscape);
      return true;
    };
    form.PrintSetupBtn->click();
    preview = form.PrintPaintBox->grab().toImage();
    QCOMPARE(preview.pixelColor(0, 95), QColor(Qt::white));
    QVERIFY(preview.pixelColor(95, 5) != QColor(Qt::white));
  }

  void CouplingsKeepTheAspectRatioWithinTheLimits() {
    // A printable area of 5 x 8 inches at 100 dots per inch: PW = 500, PH = 800, so a height is
    // width * IH / IW * 5 / 8 and a width height * IW / IH * 8 / 5, each cut to a whole number.
    qtest::TScratchDir dir;
    TPdfPrinter pdf(dir / "x.pdf");
    pdf.Printer.setResolution(100);
    QVERIFY(pdf.Printer.setPageLayout(
        QPageLayout(QPageSize(QSizeF(5, 8), QPageSize::Inch), QPageLayout::Portrait, QMarginsF())));
    QCOMPARE(QSize(pdf.Printer.width(), pdf.Printer.height()), QSize(500, 800));
    TMemorySettingsStore settings;
    const TPicture wide(400, 200, 0);
    TPrintForm form(wide.Dib, pdf.Printer, settings);
    form.show();
    // Shown: the height follows the width's 50 %: 50 / 2 * 5 / 8 = 15.6.
    QCOMPARE(form.HochEdit->WholeValue(), 15);
    // Each keystroke in the width sets the height at once: 8 gives 2.5, 80 gives 25.
    form.BreitEdit->lineEdit()->selectAll();
    QTest::keyClicks(form.BreitEdit->lineEdit(), "8");
    QCOMPARE(form.HochEdit->WholeValue(), 2);
    QTest::keyClicks(form.BreitEdit->lineEdit(), "0");
    QCOMPARE(form.HochEdit->WholeValue(), 25);
    // The height drives the width the same way: 100 would need 320 % of the width, so the width is held
    // at 100 and the height derived back from it: 100 / 2 * 5 / 8 = 31.25.
    form.HochEdit->SetValue(100);
    QCOMPARE(form.BreitEdit->WholeValue(), 100);
    QCOMPARE(form.HochEdit->WholeValue(), 31);
    // Without the aspect ratio the two are independent.
    form.SverhCheck->click();
    form.BreitEdit->SetValue(30);
    form.HochEdit->SetValue(90);
    QCOMPARE(form.BreitEdit->WholeValue(), 30);

    // A picture far wider than the page drives the height below 1 (20 / 50 * 5 / 8 = 0.25): held at 1,
    // and the width derived from it: 1 * 50 * 8 / 5 = 80.
    const TPicture strip(50, 1, 0);
    TPrintForm narrow(strip.Dib, pdf.Printer, settings);
    narrow.show();
    narrow.BreitEdit->SetValue(20);
    QCOMPARE(narrow.HochEdit->WholeValue(), 1);
    QCOMPARE(narrow.BreitEdit->WholeValue(), 80);
  }

  void ValuesAreStoredWhicheverButtonCloses() {
    qtest::TScratchDir dir;
    TPdfPrinter pdf(dir / "x.pdf");
    TMemorySettingsStore settings;
    settings.Write("TPrintForm", "BreitEdit_Value", "30");
    settings.Write("TPrintForm", "HochEdit_Value", "70");
    settings.Write("TPrintForm", "UseFullCheck_Checked", "0");
    settings.Write("TPrintForm", "SverhCheck_Checked", "0");
    settings.Write("TPrintForm", "ShowCmd", "3");  // maximised
    const TPicture picture(40, 40, 0);
    {
      TPrintForm form(picture.Dib, pdf.Printer, settings);
      form.show();
      QVERIFY(form.windowState() & Qt::WindowMaximized);
      QCOMPARE(form.BreitEdit->WholeValue(), 30);
      QCOMPARE(form.HochEdit->WholeValue(), 70);
      QVERIFY(form.UserdefCheck->isChecked());
      QVERIFY(!form.SverhCheck->isChecked());
      form.HochEdit->SetValue(64);
      form.CancelBitBtn2->click();
    }
    std::string value;
    QVERIFY(settings.Read("TPrintForm", "HochEdit_Value", value));
    QCOMPARE(value, std::string("64"));
    QVERIFY(settings.Read("TPrintForm", "ShowCmd", value));
    QCOMPARE(value, std::string("3"));
    // A store that cannot be written says so.
    qtest::TRecordingMessageBox box;
    settings.FlushFailure = "Fehler: Die Einstellungen konnten nicht gespeichert werden.";
    TPrintForm form(picture.Dib, pdf.Printer, settings);
    form.show();
    form.OkBitBtn1->click();
    QCOMPARE(box.Shown.size(), size_t(1));
    QCOMPARE(box.Shown[0].Text, settings.FlushFailure);
  }

  void PrintsThePictureWhereTheWindowSaysIntoAPdf() {
    // A missing reader fails the test, as everywhere else; only a run by hand may skip it.
    if (!qtest::HaveProgram("pdftoppm") || !qtest::HaveProgram("pdfimages")) {
      if (qtest::MissingAllowed()) QSKIP("poppler-utils missing");
      QFAIL("pdftoppm and pdfimages (poppler-utils) are not installed; scripts/install-deps.sh --test installs them");
    }
    qtest::TScratchDir dir;
    TNoShell shell;
    TMemorySettingsStore settings;
    TViewPicForm viewer(shell, settings);
    const TPicture picture(300, 200, 0x0000FF);  // red, wider than the page's shape
    viewer.Picture = picture.Dib;
    struct {
      const char* File;
      bool Centred;
    } runs[] = {{"centred.pdf", true}, {"corner.pdf", false}};
    for (const auto& run : runs) {
      TPdfPrinter pdf(dir / run.File);
      viewer.SetPrinter(&pdf.Printer);
      viewer.ShowPrintForm = [&](TPrintForm& Form) {
        Form.ZentrCheck->setChecked(run.Centred);
        return int(QDialog::Accepted);
      };
      viewer.PrintBrnClick();
      std::string out;
      QCOMPARE(qtest::Run("pdfinfo " + qtest::Quote(dir / run.File), &out), 0);
      QVERIFY(out.find("Title:           Quirvel Bild") != std::string::npos);
      QVERIFY(out.find("Pages:           1") != std::string::npos);
      QCOMPARE(qtest::Run("pdfimages -list " + qtest::Quote(dir / run.File), &out), 0);
      QVERIFY2(out.find(" 300   200 ") != std::string::npos, out.c_str());

      // Rendered at 30 dpi: the whole printable width, centred vertically or at the top of the area.
      QCOMPARE(qtest::Run("pdftoppm -r 30 -png -singlefile " + qtest::Quote(dir / run.File) + " " +
                          qtest::Quote(dir / "page")),
               0);
      const QImage page(QString::fromStdString(dir / "page.png"));
      const QRectF area = pdf.Printer.pageLayout().paintRect(QPageLayout::Inch);
      const QRectF full = pdf.Printer.pageLayout().fullRect(QPageLayout::Inch);
      const double height = area.width() * 200 / 300;
      const double top = area.top() + (run.Centred ? (area.height() - height) / 2 : 0);
      const QRect ink = InkBox(page);
      QVERIFY2(std::abs(ink.left() - area.left() * 30) <= 1.5, qPrintable(QString::number(ink.left())));
      QVERIFY(std::abs(ink.right() + 1 - area.right() * 30) <= 1.5);
      QVERIFY2(std::abs(ink.top() - top * 30) <= 1.5, qPrintable(QString::number(ink.top())));
      QVERIFY(std::abs(ink.bottom() + 1 - (top + height) * 30) <= 1.5);
      QVERIFY(page.height() >= full.height() * 30 - 1);
    }
    viewer.Picture.Bits = nullptr;
  }

  void WithoutAPrinterNothingIsPrinted() {
    qtest::TScratchDir dir;
    TNoShell shell;
    TMemorySettingsStore settings;
    TViewPicForm viewer(shell, settings);
    QPrinter none;
    none.setOutputFormat(QPrinter::PdfFormat);  // what QPrinter is when no printer is installed: no file
    viewer.SetPrinter(&none);
    const TPicture picture(30, 20, 0);
    viewer.Picture = picture.Dib;
    bool said = false;
    viewer.ShowPrintForm = [&](TPrintForm& Form) {
      Form.show();
      said = Form.NoPrinterLabel->isVisible() && !Form.OkBitBtn1->isEnabled() &&
             Form.NoPrinterLabel->text().startsWith(QStringLiteral("Es ist kein Drucker eingerichtet."));
      return int(QDialog::Accepted);
    };
    viewer.PrintBrnClick();
    QVERIFY(said);
    QVERIFY(std::filesystem::is_empty(dir.Path()));
    viewer.Picture.Bits = nullptr;
  }
};

QTEST_MAIN(PrintFormTest)
#include "PrintFormTest.moc"
