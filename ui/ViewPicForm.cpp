#include "ui/ViewPicForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "imaging/LoadPicture.h"
#include "imaging/PaintDib.h"
#include "imaging/Pictaro.h"
#include "platform/Messages.h"
#include "platform/Shell.h"
#include "ui/PrintForm.h"
#include "ui/QtDevice.h"
#include "ui/SpinEdit.h"

namespace {

// The drawing surface: hand cursor; its painting and mouse belong to the viewer.
class TViewSurface final : public QWidget {
 public:
  TViewSurface(TViewPicForm& Form, QWidget* Parent) : QWidget(Parent), FForm(Form) {
    setCursor(Qt::OpenHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent* Event) override {
    QPainter painter(this);
    FForm.PaintPicture(painter, Event->rect());
  }
  void mousePressEvent(QMouseEvent* Event) override { FForm.PaintBox1MouseDown(Event->position().toPoint()); }
  void mouseMoveEvent(QMouseEvent* Event) override { FForm.PaintBox1MouseMove(Event->position().toPoint()); }
  void mouseReleaseEvent(QMouseEvent*) override { FForm.PaintBox1MouseUp(); }

 private:
  TViewPicForm& FForm;
};

}  // namespace

TViewPicForm::TViewPicForm(TShell& Shell, TSettingsStore& Settings, QWidget* Parent)
    : QDialog(Parent), FShell(Shell), FSettings(Settings) {
  setWindowTitle(QStringLiteral("Bild betrachten..."));
  resize(532, 420);

  ReadyBtn = new QPushButton(QStringLiteral("Zurück..."), this);
  PrintBrn = new QPushButton(QStringLiteral("&Drucken"), this);
  OpenBtn = new QPushButton(QStringLiteral("Öffnen..."), this);
  ZoomEd = new TSpinEdit(5, 9000, 10, 100, this);
  auto* zoomLabel = new QLabel(QStringLiteral("Zoom:"), this);
  zoomLabel->setBuddy(ZoomEd);

  ScrollBox1 = new QScrollArea(this);
  ScrollBox1->setBackgroundRole(QPalette::Dark);
  PaintBox1 = new TViewSurface(*this, ScrollBox1);
  PaintBox1->resize(0, 0);
  ScrollBox1->setWidget(PaintBox1);
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setSizeGripEnabled(true);

  auto* bar = new QHBoxLayout;
  bar->addWidget(ReadyBtn);
  bar->addWidget(PrintBrn);
  bar->addWidget(OpenBtn);
  bar->addSpacing(16);
  bar->addWidget(zoomLabel);
  bar->addWidget(ZoomEd);
  bar->addStretch();
  auto* all = new QVBoxLayout(this);
  all->setContentsMargins(4, 4, 4, 0);
  all->addLayout(bar);
  all->addWidget(ScrollBox1, 1);
  all->addWidget(StatusBar1);

  ShowModal = [](TViewPicForm& Form) { return Form.exec(); };
  ShowPrintForm = [](TPrintForm& Form) { return Form.exec(); };

  connect(ReadyBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(PrintBrn, &QPushButton::clicked, this, &TViewPicForm::PrintBrnClick);
  connect(OpenBtn, &QPushButton::clicked, this, &TViewPicForm::OpenBtnClick);
  connect(ZoomEd, &TSpinEdit::Changed, this, &TViewPicForm::ZoomEdChange);
}

TViewPicForm::~TViewPicForm() = default;

QPrinter& TViewPicForm::Printer() {
  if (FPrinter) return *FPrinter;
  if (!FOwnPrinter) FOwnPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *FOwnPrinter;
}

bool TViewPicForm::ShowPicture(const std::string& Name, TProgressSink* Owner, int Turn) {
  TDib picture;
  LoadPicture(Name.c_str(), 0, Owner, &picture, Turn);
  Picture = picture;
  FileName = Name;
  if (!Picture.Bits) {
    MessageBox().Show("Konnte die Bilddatei nicht öffnen!", "Fehler", TMsgIcon::Error, TMsgButtons::Ok);
    return false;
  }
  PaintBox1Paint();
  ShowModal(*this);
  deldib(Picture);
  Picture.Bits = nullptr;
  return true;
}

QSize TViewPicForm::ZoomedSize() const {
  // A zoom of 0 or less shows nothing until the field corrects it.
  const double zoom = std::max(ZoomEd->Typed(), 0.0);
  const auto zoomed = [zoom](int Side) {
    return static_cast<int>(std::min(std::trunc(Side * zoom / 100), double{QWIDGETSIZE_MAX}));
  };
  return {zoomed(DibWidth(Picture)), zoomed(DibHeight(Picture))};
}

void TViewPicForm::ZoomEdChange() { PaintBox1Paint(); }

void TViewPicForm::PaintBox1Paint() {
  if (FHoldPainting) return;
  const QSize size = Picture.Bits ? ZoomedSize() : QSize(0, 0);
  if (PaintBox1->size() != size)
    PaintBox1->resize(size);  // the resize brings a new painting
  else
    PaintBox1->update();
}

void TViewPicForm::PaintPicture(QPainter& Painter, const QRect& Clip) {
  if (!Picture.Bits || PaintBox1->size() != ZoomedSize()) return;
  TQtPainterDevice device(Painter, DtRasDisplay, Clip);
  PaintDib(device, 0, 0, PaintBox1->width(), PaintBox1->height(), Picture, 0, 0, DibWidth(Picture),
           DibHeight(Picture), true, RopSrcCopy, false, nullptr);
}

void TViewPicForm::PaintBox1MouseDown(QPoint Position) {
  FDragging = true;
  FPress = Position;
  FScrollH = ScrollBox1->horizontalScrollBar()->value();
  FScrollV = ScrollBox1->verticalScrollBar()->value();
}

void TViewPicForm::PaintBox1MouseMove(QPoint Position) {
  if (!FDragging) return;
  // Both positions first, then one painting: one drawing per mouse move.
  FHoldPainting = true;
  ScrollBox1->horizontalScrollBar()->setValue(FPress.x() - Position.x() + FScrollH);
  ScrollBox1->verticalScrollBar()->setValue(FPress.y() - Position.y() + FScrollV);
  FHoldPainting = false;
  PaintBox1Paint();
}

void TViewPicForm::PaintBox1MouseUp() { FDragging = false; }

void TViewPicForm::OpenBtnClick() { FShell.OpenFile(FileName); }

void TViewPicForm::PrintBrnClick() {
  QPrinter& printer = Printer();
  TPrintForm form(Picture, printer, FSettings, this);
  if (ShowPrintForm(form) == QDialog::Accepted && form.PrinterReady())
    PrintPicture(printer, Picture, form.Choice());
}
