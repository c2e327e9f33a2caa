#include "ui/PrintForm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <string>

#include "imaging/screen/PaintDib.h"
#include "platform/Messages.h"
#include "platform/SettingsStore.h"
#include "platform/WindowPlacement.h"
#include "ui/QtDevice.h"
#include "ui/SpinEdit.h"

namespace {

constexpr char Section[] = "TPrintForm";

// The preview surface: its painting is the print window's.
class TPreviewBox final : public QWidget {
 public:
  TPreviewBox(TPrintForm& Form, QWidget* Parent) : QWidget(Parent), FForm(Form) { setFixedSize(190, 190); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    FForm.PaintPreview(painter);
  }

 private:
  TPrintForm& FForm;
};

// A whole number x held within a field's limits, as the field would hold it.
int Truncated(double X) { return static_cast<int>(std::clamp(std::trunc(X), -1e9, 1e9)); }

}  // namespace

TPrintForm::TPrintForm(const TDib& Picture, QPrinter& Printer, TSettingsStore& Settings, QWidget* Parent)
    : QDialog(Parent), Picture(Picture), FPrinter(Printer), FSettings(Settings) {
  setWindowTitle(QStringLiteral("Bild drucken..."));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(427, 328);

  RxLabel1 = new QLabel(QStringLiteral("Vorschau:"), this);
  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setLineWidth(1);
  PrintPaintBox = new TPreviewBox(*this, panel);
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->setContentsMargins(1, 1, 1, 1);
  panelLayout->addWidget(PrintPaintBox);

  GroupBox1 = new QGroupBox(QStringLiteral("Druckgröße"), this);
  UseFullCheck = new QRadioButton(QStringLiteral("Seite voll nutzen"), GroupBox1);
  UserdefCheck = new QRadioButton(QStringLiteral("Benutzerdefiniert"), GroupBox1);
  UseFullCheck->setChecked(true);
  BreitEdit = new TSpinEdit(1, 100, 1, 50, GroupBox1);
  HochEdit = new TSpinEdit(1, 100, 1, 50, GroupBox1);
  auto* size = new QGridLayout(GroupBox1);
  size->addWidget(UseFullCheck, 0, 0, 1, 2);
  size->addWidget(UserdefCheck, 1, 0, 1, 2);
  size->addWidget(new QLabel(QStringLiteral("Breite in %:"), GroupBox1), 2, 0);
  size->addWidget(BreitEdit, 2, 1);
  size->addWidget(new QLabel(QStringLiteral("Höhe in %:"), GroupBox1), 3, 0);
  size->addWidget(HochEdit, 3, 1);

  GroupBox2 = new QGroupBox(QStringLiteral("Druckoptionen"), this);
  SverhCheck = new QCheckBox(QStringLiteral("Seitenverhältnis beibehalten"), GroupBox2);
  ZentrCheck = new QCheckBox(QStringLiteral("Zentrierte Ausgabe"), GroupBox2);
  SverhCheck->setChecked(true);
  ZentrCheck->setChecked(true);
  auto* options = new QVBoxLayout(GroupBox2);
  options->addWidget(SverhCheck);
  options->addWidget(ZentrCheck);

  NoPrinterLabel = new QLabel(
      QStringLiteral("Es ist kein Drucker eingerichtet. Wählen Sie unter \"Drucker einrichten...\" einen "
                     "Drucker oder eine PDF-Datei."),
      this);
  NoPrinterLabel->setWordWrap(true);
  NoPrinterLabel->setStyleSheet(QStringLiteral("color: #a00000"));

  OkBitBtn1 = new QPushButton(QStringLiteral("&OK"), this);
  PrintSetupBtn = new QPushButton(QStringLiteral("Drucker &einrichten..."), this);
  CancelBitBtn2 = new QPushButton(QStringLiteral("A&bbrechen"), this);
  OkBitBtn1->setDefault(true);

  auto* left = new QVBoxLayout;
  left->addWidget(RxLabel1);
  left->addWidget(panel);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(GroupBox1);
  right->addWidget(GroupBox2);
  right->addStretch();
  auto* top = new QHBoxLayout;
  top->addLayout(left);
  top->addLayout(right, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(OkBitBtn1);
  buttons->addStretch();
  buttons->addWidget(PrintSetupBtn);
  buttons->addStretch();
  buttons->addWidget(CancelBitBtn2);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top);
  all->addWidget(NoPrinterLabel);
  all->addLayout(buttons);

  PrinterSetupDialog1 = [this](QPrinter& Printer) {
    QPrintDialog dialog(&Printer, this);
    dialog.setWindowTitle(QStringLiteral("Drucker einrichten"));
    // The dialog only chooses the printer (one page is printed, after this window's OK): no page range,
    // and its button says what it does instead of "Drucken".
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
      if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) {
        ok->setText(QStringLiteral("&Übernehmen"));
        ok->setIcon(QIcon());  // not the printer's
      }
    return dialog.exec() == QDialog::Accepted;
  };

  connect(OkBitBtn1, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBitBtn2, &QPushButton::clicked, this, &QDialog::reject);
  connect(PrintSetupBtn, &QPushButton::clicked, this, &TPrintForm::PrintSetupBtnClick);
  connect(UseFullCheck, &QRadioButton::clicked, this, &TPrintForm::PrintPaintBoxPaint);
  connect(SverhCheck, &QCheckBox::clicked, this, &TPrintForm::PrintPaintBoxPaint);
  connect(ZentrCheck, &QCheckBox::clicked, this, &TPrintForm::PrintPaintBoxPaint);
  connect(UserdefCheck, &QRadioButton::clicked, this, &TPrintForm::UserdefCheckClick);
  connect(BreitEdit, &TSpinEdit::Changed, this, &TPrintForm::BreitEditChange);
  connect(HochEdit, &TSpinEdit::Changed, this, &TPrintForm::HochEditChange);
  ShowPrinterState();
}

TPrintChoice TPrintForm::Choice() const {
  return {UseFullCheck->isChecked(), SverhCheck->isChecked(), ZentrCheck->isChecked(),
          BreitEdit->WholeValue(), HochEdit->WholeValue()};
}

bool TPrintForm::PrinterReady() const {
  if (FPrinter.outputFormat() == QPrinter::PdfFormat) return !FPrinter.outputFileName().isEmpty();
  return !FPrinter.printerName().isEmpty() && !QPrinterInfo::availablePrinters().isEmpty();
}

void TPrintForm::ShowPrinterState() {
  const bool ready = PrinterReady();
  NoPrinterLabel->setVisible(!ready);
  OkBitBtn1->setEnabled(ready);
}

void TPrintForm::showEvent(QShowEvent* Event) {
  ReadSettings();
  QDialog::showEvent(Event);
  FormShow();
}

void TPrintForm::FormShow() { BreitEditChange(); }

void TPrintForm::done(int Result) {
  WriteSettings();
  QDialog::done(Result);
}

void TPrintForm::ReadSettings() {
  // Values are put back with the couplings held, so that each keeps what was stored.
  const bool coupling = Coupling;
  Coupling = true;
  std::string value;
  for (auto [name, field] : {std::pair{"BreitEdit_Value", BreitEdit}, std::pair{"HochEdit_Value", HochEdit}})
    if (FSettings.Read(Section, name, value)) {
      bool ok = false;
      const int n = QString::fromStdString(value).toInt(&ok);
      if (ok) field->SetValue(n);
    }
  // A stored "1" or "0" checks one of two buttons; for a check box the second is none.
  const auto flag = [&](const char* Name, QAbstractButton* On, QAbstractButton* Off) {
    if (!FSettings.Read(Section, Name, value) || (value != "0" && value != "1")) return;
    if (value == "1") On->setChecked(true);
    if (value == "0") Off ? Off->setChecked(true) : On->setChecked(false);
  };
  flag("UseFullCheck_Checked", UseFullCheck, UserdefCheck);
  flag("SverhCheck_Checked", SverhCheck, nullptr);
  flag("ZentrCheck_Checked", ZentrCheck, nullptr);
  Coupling = coupling;
  // The window's state, not its position. A window that opened minimised would hide the only way back
  // to the viewer, so that state comes back as a normal window.
  if (FSettings.Read(Section, "ShowCmd", value) && value == std::to_string(KShowMaximized))
    setWindowState(windowState() | Qt::WindowMaximized);
}

void TPrintForm::WriteSettings() {
  FSettings.Write(Section, "BreitEdit_Value", std::to_string(BreitEdit->WholeValue()));
  FSettings.Write(Section, "HochEdit_Value", std::to_string(HochEdit->WholeValue()));
  FSettings.Write(Section, "UseFullCheck_Checked", UseFullCheck->isChecked() ? "1" : "0");
  FSettings.Write(Section, "SverhCheck_Checked", SverhCheck->isChecked() ? "1" : "0");
  FSettings.Write(Section, "ZentrCheck_Checked", ZentrCheck->isChecked() ? "1" : "0");
  const int32_t state = isMaximized() ? KShowMaximized : isMinimized() ? KShowMinimized : KShowNormal;
  FSettings.Write(Section, "ShowCmd", std::to_string(state));
  std::string message;
  if (!FSettings.Flush(message)) ShowError(message);
}

void TPrintForm::PaintPreview(QPainter& Painter) {
  const int sw = PrintPaintBox->width(), sh = PrintPaintBox->height();
  Painter.fillRect(0, 0, sw, sh, palette().color(QPalette::Button));
  const TPrintRect paper = PreviewPaper(sw, sh, FPrinter.width(), FPrinter.height());
  Painter.fillRect(paper.X, paper.Y, paper.Width, paper.Height, Qt::white);
  const int iw = DibWidth(Picture), ih = DibHeight(Picture);
  const TPrintRect place = PicturePlace(paper.Width, paper.Height, iw, ih, Choice());
  TQtPainterDevice device(Painter);
  PaintDib(device, paper.X + place.X, paper.Y + place.Y, place.Width, place.Height, Picture, 0, 0, iw, ih,
           true, RopSrcCopy, true, nullptr, Profile.get());
}

void TPrintForm::PrintPaintBoxPaint() {
  PrintPaintBox->update();
  BreitEditChange();
}

void TPrintForm::UserdefCheckClick() {
  if (!UserdefCheck->isChecked()) return;
  BreitEditChange();
  PrintPaintBox->update();
}

void TPrintForm::BreitEditChange() { Couple(true); }

void TPrintForm::HochEditChange() { Couple(false); }

void TPrintForm::Couple(bool FromWidth) {
  if (Coupling) return;
  Coupling = true;
  if (SverhCheck->isChecked()) {
    const int iw = DibWidth(Picture), ih = DibHeight(Picture), pw = FPrinter.width(), ph = FPrinter.height();
    TSpinEdit* from = FromWidth ? BreitEdit : HochEdit;
    TSpinEdit* to = FromWidth ? HochEdit : BreitEdit;
    const auto derive = [&](bool Width, int Value) {
      return Width ? CoupledHoch(Value, iw, ih, pw, ph) : CoupledBreit(Value, iw, ih, pw, ph);
    };
    // The percentage typed so far: the other follows each keystroke.
    const double x = derive(FromWidth, static_cast<int>(from->Typed()));
    to->SetValue(Truncated(x));
    // Out of the field's limits: the other percentage follows the corrected one, once.
    if (x > 100 || x < 1) from->SetValue(Truncated(derive(!FromWidth, to->WholeValue())));
  }
  PrintPaintBox->update();
  Coupling = false;
}

void TPrintForm::PrintSetupBtnClick() {
  PrinterSetupDialog1(FPrinter);
  ShowPrinterState();
  PrintPaintBoxPaint();
}

bool PrintPicture(QPrinter& Printer, const TDib& Picture, const TPrintChoice& Choice, const TColorProfile* Profile) {
  Printer.setDocName(QStringLiteral("Quirvel Bild"));
  QPainter painter;
  if (!painter.begin(&Printer)) {
    ShowError("Fehler: Der Druckauftrag konnte nicht gestartet werden.");
    return false;
  }
  const int iw = DibWidth(Picture), ih = DibHeight(Picture);
  const TPrintRect place = PicturePlace(Printer.width(), Printer.height(), iw, ih, Choice);
  TQtPainterDevice device(painter, DtRasPrinter);
  PaintDib(device, place.X, place.Y, place.Width, place.Height, Picture, 0, 0, iw, ih, false, RopSrcCopy,
           true, nullptr, Profile);
  return painter.end();
}
