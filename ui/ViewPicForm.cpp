#include "ui/ViewPicForm.h"

#include <QCheckBox>
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

#include "imaging/color/ColorReading.h"
#include "imaging/screen/FirstPicture.h"
#include "imaging/pictaro/LoadPicture.h"
#include "imaging/screen/PaintDib.h"
#include "imaging/pictaro/PhotoTurn.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/screen/ThumbnailMaker.h"
#include "platform/Messages.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "ui/OpenFailureReport.h"
#include "ui/PrintForm.h"
#include "ui/QtDevice.h"
#include "ui/SpinEdit.h"

namespace {

constexpr const char* KViewerSection = "TViewPicForm";
constexpr const char* KFitName = "Einpassen";

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
  // No button is the default: Enter belongs to the zoom field and must not close the viewer.
  for (QPushButton* button : {ReadyBtn, PrintBrn, OpenBtn}) button->setAutoDefault(false);
  auto* zoomLabel = new QLabel(QStringLiteral("Zoom:"), this);
  zoomLabel->setBuddy(ZoomEd);
  FitCheck = new QCheckBox(QStringLiteral("Einpassen"), this);
  FitCheck->setToolTip(QStringLiteral("Passt das Bild in das Fenster ein"));
  std::string fit;
  FitCheck->setChecked(FSettings.Read(KViewerSection, KFitName, fit) && fit == "1");
  ZoomEd->setEnabled(!FitCheck->isChecked());

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
  bar->addWidget(FitCheck);
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
  connect(FitCheck, &QCheckBox::toggled, this, &TViewPicForm::FitCheckClick);
  if (FitCheck->isChecked()) ScrollBox1->setAlignment(Qt::AlignCenter);
  ScrollBox1->viewport()->installEventFilter(this);
}

TViewPicForm::~TViewPicForm() {
  FDecoder.reset();  // no worker may call back into a viewer that is going
  DropFirst();
}

QPrinter& TViewPicForm::Printer() {
  if (FPrinter) return *FPrinter;
  if (!FOwnPrinter) FOwnPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *FOwnPrinter;
}

bool TViewPicForm::ShowPicture(const std::string& Name, TProgressSink* Owner, int Turn) {
  FileName = Name;
  FTurn = NormalTurn(Turn);
  Picture = TDib{};
  Profile = nullptr;
  DropFirst();
  int fullWidth = 0, fullHeight = 0;
  TPictureColor firstColour = ReadingColor();
  // The first picture shows the file as it is: the photo's turn comes on top.
  if (ReadFirstPicture(Name, FThumbnails, &FFirst, &fullWidth, &fullHeight, &firstColour) && fullWidth > 0 &&
      TurnDib(FFirst, FTurn)) {
    FFirstProfile = firstColour.Profile;
    FFullSize = TurnSwapsSides(FTurn) ? QSize(fullHeight, fullWidth) : QSize(fullWidth, fullHeight);
    if (!FDecoder)
      FDecoder = std::make_unique<TThumbnailMaker>(
          [this] { QMetaObject::invokeMethod(this, &TViewPicForm::TakeDecoded, Qt::QueuedConnection); }, 1,
          [](const std::string& Key) {
            TDib picture;
            TPictureColor colour = ReadingColor();
            LoadPicture(Key.c_str() + 1, 0, nullptr, &picture, Key[0] - '0', &colour);
            return TMadeThumbnail{picture.Bits ? TThumbnailKind::Temporary : TThumbnailKind::Unreadable,
                                  picture, colour.Profile};
          });
    // A decoding of this file with this turn still running from an earlier opening is not started
    // again: its result serves.
    FDecoder->Request({DecodeKey()});
  } else {
    DropFirst();
    TPictureColor colour = ReadingColor();
    LoadPicture(Name.c_str(), 0, Owner, &Picture, FTurn, &colour);
    Profile = colour.Profile;
    if (!Picture.Bits) {
      MessageBox().Show("Konnte die Bilddatei nicht öffnen!", "Fehler", TMsgIcon::Error, TMsgButtons::Ok);
      return false;
    }
  }
  PrintBrn->setEnabled(Picture.Bits != nullptr);
  PaintBox1Paint();
  ShowModal(*this);
  DropFirst();
  deldib(Picture);
  Picture.Bits = nullptr;
  Profile = nullptr;
  PrintBrn->setEnabled(true);
  return true;
}

void TViewPicForm::TakeDecoded() {
  for (TThumbnailResult& r : FDecoder->TakeResults()) {
    // Only the photo whose first picture shows wants it; the viewer may have moved on or closed.
    if (!FFirst.Bits || r.FileName != DecodeKey()) {
      deldib(r.Made.Picture);
      continue;
    }
    DropFirst();
    if (!r.Made.Picture.Bits) {
      PaintBox1Paint();
      MessageBox().Show("Konnte die Bilddatei nicht öffnen!", "Fehler", TMsgIcon::Error, TMsgButtons::Ok);
      reject();
      continue;
    }
    Picture = r.Made.Picture;
    Profile = r.Made.Profile;
    PrintBrn->setEnabled(true);
    PaintBox1Paint();
    emit PictureDecoded();
  }
}

std::string TViewPicForm::DecodeKey() const { return static_cast<char>('0' + FTurn) + FileName; }

void TViewPicForm::DropFirst() {
  deldib(FFirst);
  FFirst = TDib{};
  FFirstProfile = nullptr;
}

QSize TViewPicForm::PictureSize() const {
  if (Picture.Bits) return {DibWidth(Picture), DibHeight(Picture)};
  return FFirst.Bits ? FFullSize : QSize(0, 0);
}

QSize TViewPicForm::ZoomedSize() const {
  if (FitCheck->isChecked()) {
    const QSize room = ScrollBox1->maximumViewportSize(), picture = PictureSize();
    const double w = picture.width(), h = picture.height();
    if (w <= 0 || h <= 0) return {0, 0};
    const double scale = std::min(room.width() / w, room.height() / h);
    return {static_cast<int>(w * scale), static_cast<int>(h * scale)};
  }
  // A zoom of 0 or less shows nothing until the field corrects it.
  const double zoom = std::max(ZoomEd->Typed(), 0.0);
  const auto zoomed = [zoom](int Side) {
    return static_cast<int>(std::min(std::trunc(Side * zoom / 100), double{QWIDGETSIZE_MAX}));
  };
  const QSize size = PictureSize();
  return {zoomed(size.width()), zoomed(size.height())};
}

void TViewPicForm::ZoomEdChange() { PaintBox1Paint(); }

void TViewPicForm::FitCheckClick() {
  FSettings.Write(KViewerSection, KFitName, FitCheck->isChecked() ? "1" : "0");
  ZoomEd->setEnabled(!FitCheck->isChecked());
  // A fitted picture stands in the middle of the window; a zoomed one at its top left, as always.
  ScrollBox1->setAlignment(FitCheck->isChecked() ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
  PaintBox1Paint();
}

bool TViewPicForm::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == ScrollBox1->viewport() && Event->type() == QEvent::Resize && FitCheck->isChecked())
    PaintBox1Paint();
  return QDialog::eventFilter(Watched, Event);
}

void TViewPicForm::PaintBox1Paint() {
  if (FHoldPainting) return;
  const QSize picture = PictureSize();
  if (FitCheck->isChecked() && picture.width() > 0) {
    // The field shows the fitted percentage; showing it is no change of the zoom.
    const QSignalBlocker quiet(ZoomEd);
    ZoomEd->SetValue(std::trunc(100.0 * ZoomedSize().width() / picture.width()));
  }
  const QSize size = picture.isEmpty() ? QSize(0, 0) : ZoomedSize();
  if (PaintBox1->size() != size)
    PaintBox1->resize(size);  // the resize brings a new painting
  else
    PaintBox1->update();
}

void TViewPicForm::PaintPicture(QPainter& Painter, const QRect& Clip) {
  const TDib& shown = Picture.Bits ? Picture : FFirst;
  if (!shown.Bits || PaintBox1->size() != ZoomedSize()) return;
  TQtPainterDevice device(Painter, DtRasDisplay, Clip);
  PaintDib(device, 0, 0, PaintBox1->width(), PaintBox1->height(), shown, 0, 0, DibWidth(shown),
           DibHeight(shown), true, RopSrcCopy, false, nullptr, Picture.Bits ? Profile.get() : FFirstProfile.get());
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

void TViewPicForm::OpenBtnClick() {
  ReportOpenFailure(this, FShell.OpenWatched(FileName), FileName, TOpenedKind::Photo);
}

void TViewPicForm::PrintBrnClick() {
  QPrinter& printer = Printer();
  TPrintForm form(Picture, printer, FSettings, this);
  form.Profile = Profile;
  if (ShowPrintForm(form) == QDialog::Accepted && form.PrinterReady())
    PrintPicture(printer, Picture, form.Choice(), Profile.get());
}
