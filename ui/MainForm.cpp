#include "ui/MainForm.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QThread>
#include <QWheelEvent>
#include <cmath>
#include <iterator>

#include "album/AlbumFile.h"
#include "album/PhotoEditing.h"
#include "album/PhotoSearch.h"
#include "album/StoredSettings.h"
#include "export/AlbumExport.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/screen/Thumbnail.h"
#include "platform/Dialogs.h"
#include "platform/Messages.h"
#include "platform/Shell.h"
#include "platform/WindowPlacement.h"
#include "ui/ExportRunner.h"
#include "ui/OpenFailureReport.h"
#include "ui/PagePreview.h"
#include "ui/PhotoArranging.h"
#include "ui/PrintCheckList.h"
#include "ui/ProgressPanel.h"
#include "ui/ThumbnailGrid.h"
#include "ui/ViewPicForm.h"
#include "ui_MainForm.h"

namespace {

const char* const KSettingsLost = "Alle nicht gespeicherten Einstellungen gehen verloren.";

QString Utf8(std::string_view Text) {
  return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size()));
}

// Which settings field each check box and number field of the form shows.
struct TCheckField {
  QCheckBox* Ui::TMainForm::*Box;
  bool TLayoutSettings::*Field;
};
const TCheckField KCheckFields[] = {
    {&Ui::TMainForm::ZoomInFotosCheck, &TLayoutSettings::ZoomInFotosCheck},
    {&Ui::TMainForm::CaptionCheck, &TLayoutSettings::CaptionCheck},
    {&Ui::TMainForm::CaptionOnAllPages, &TLayoutSettings::CaptionOnAllPages},
    {&Ui::TMainForm::TextCheck, &TLayoutSettings::TextCheck},
    {&Ui::TMainForm::PageNrCheck, &TLayoutSettings::PageNrCheck},
    {&Ui::TMainForm::RahmenCheck, &TLayoutSettings::RahmenCheck},
    {&Ui::TMainForm::ShowPDFCheck, &TLayoutSettings::ShowPDFCheck},
    {&Ui::TMainForm::SeparateCheck, &TLayoutSettings::SeparateCheck},
    {&Ui::TMainForm::EmbedFontsCheck, &TLayoutSettings::EmbedFonts},
    {&Ui::TMainForm::KeepJpegCheck, &TLayoutSettings::KeepJpeg},
    {&Ui::TMainForm::FilenamesCheck, &TLayoutSettings::FilenamesCheck},
    {&Ui::TMainForm::PathCheck, &TLayoutSettings::PathCheck},
};

template <typename T>
struct TNumberField {
  TSpinEdit* Ui::TMainForm::*Edit;
  T TLayoutSettings::*Field;
  TFieldLimits Limits;
};
const TNumberField<double> KDecimalFields[] = {
    {&Ui::TMainForm::RandXEd, &TLayoutSettings::RandXEd, KMarginLimits},
    {&Ui::TMainForm::RandYEd, &TLayoutSettings::RandYEd, KMarginLimits},
    {&Ui::TMainForm::SpaceHED, &TLayoutSettings::SpaceHED, KMarginLimits},
    {&Ui::TMainForm::SpaceVEd, &TLayoutSettings::SpaceVEd, KMarginLimits},
    {&Ui::TMainForm::PageWidthEd, &TLayoutSettings::PageWidthEd, KPageSizeLimits},
    {&Ui::TMainForm::PageHeightEd, &TLayoutSettings::PageHeightEd, KPageSizeLimits},
    {&Ui::TMainForm::BleedEd, &TLayoutSettings::Bleed, KBleedLimits},
};

const TNumberField<int32_t> KWholeFields[] = {
    {&Ui::TMainForm::CountXEd, &TLayoutSettings::CountXEd, KCountLimits},
    {&Ui::TMainForm::CountYEd, &TLayoutSettings::CountYEd, KCountLimits},
    {&Ui::TMainForm::XMalEd, &TLayoutSettings::XMalEd, KCountLimits},
    {&Ui::TMainForm::RahmenBreiteEd, &TLayoutSettings::RahmenBreiteEd, KFrameWidthLimits},
    {&Ui::TMainForm::PhotosPerPageEd, &TLayoutSettings::PhotosPerPage, KPhotosPerPageLimits},
    {&Ui::TMainForm::CropBudgetEd, &TLayoutSettings::CropBudget, KCropBudgetLimits},
};

// The wait cursor while the desktop is asked to open a file.
class TWaitCursor {
 public:
  TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace

TMainForm::TMainForm(TDialogs& Dialogs, TSettingsStore& Store, TShell& Shell,
                     const TThumbnailCache* Thumbnails, QWidget* Parent)
    : QMainWindow(Parent),
      FUi(std::make_unique<Ui::TMainForm>()),
      FDialogs(Dialogs),
      FStore(Store),
      FShell(Shell) {
  FUi->setupUi(this);
  Ui::TMainForm& ui = *FUi;

  for (const TNumberField<double>& f : KDecimalFields) (ui.*f.Edit)->SetField(f.Limits, true);
  for (const TNumberField<int32_t>& f : KWholeFields) (ui.*f.Edit)->SetField(f.Limits, false);
  for (const TPictureDpiChoice& choice : KPictureDpiChoices)
    ui.PictureDpiBox->addItem(Utf8(choice.Caption), choice.Dpi);
  for (const TPdfAChoice& choice : KPdfAChoices)
    ui.PdfABox->addItem(Utf8(choice.Caption), static_cast<int>(choice.Level));
  ui.BleedEd->SetStep(0.5);
  for (const TPageLayoutChoice& choice : KPageLayoutChoices)
    ui.PageLayoutBox->addItem(Utf8(choice.Caption), static_cast<int>(choice.Kind));
  ui.ListView2->setHeaderLabels({QStringLiteral("Dateiname"), QStringLiteral("Beschreibung")});
  ui.ListView2->setColumnWidth(0, 150);
  ui.ListView2->setColumnWidth(1, 300);
  ui.ListView2->installEventFilter(this);
  // The grid goes between the text box and the file-name label, and takes what height there is.
  FGrid = new TThumbnailGrid(
      FAlbum, ui.FotosPage,
      [Thumbnails](const std::string& FileName) { return MakeThumbnail(FileName.c_str(), Thumbnails); },
      [Thumbnails](const std::string& FileName) { return MakeFirstThumbnail(FileName.c_str(), Thumbnails); });
  ui.PhotoColumn->insertWidget(ui.PhotoColumn->indexOf(ui.Label1), FGrid, 1);
  FViewer = new TViewPicForm(FShell, FStore, this);
  FViewer->SetThumbnailCache(Thumbnails);
  FPreview = new TPagePreview(FAlbum, [this] { return Settings(); }, Thumbnails, this);
  FPreview->hide();
  // The preview's places: below the two columns of "Einstellungen", to the right of the controls of
  // "Mehr Einstellungen" and "PDF-Datei erzeugen". None moves a control.
  for (QWidget*& host : FPreviewHosts) {
    host = new QWidget(this);
    host->setLayout(new QVBoxLayout);
    host->layout()->setContentsMargins(0, 0, 0, 0);
  }
  {
    QBoxLayout& page = *ui.EinstellungenLayout;
    auto* columns = new QHBoxLayout;
    for (QLayout* column : {static_cast<QLayout*>(ui.EinstellungenLeft), static_cast<QLayout*>(ui.EinstellungenRight)}) {
      page.removeItem(column);
      column->setParent(nullptr);
      columns->addLayout(column);
    }
    // The columns' springs gave their free height away; the preview takes it now.
    for (QSpacerItem* spring : {ui.RaenderSpring, ui.EinstellungenSpring})
      spring->changeSize(0, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    page.setDirection(QBoxLayout::TopToBottom);
    page.addLayout(columns, 0);
    page.addWidget(FPreviewHosts[0], 1);
  }
  for (const auto& [grid, host] : {std::pair{ui.MehrLayout, FPreviewHosts[1]}, std::pair{ui.PdfLayout, FPreviewHosts[2]}}) {
    const int column = grid->columnCount();
    grid->addWidget(host, 0, column, grid->rowCount(), 1);
    grid->setColumnStretch(column, 1);
  }

  FStatusText = new QLabel(this);
  FStatusText->setFixedWidth(250);
  FProgressPanel = new TProgressPanel(this);
  ui.StatusBar1->addWidget(FStatusText);
  ui.StatusBar1->addWidget(FProgressPanel, 1);

  connect(ui.NewBtn, &QPushButton::clicked, this, &TMainForm::NewBtnClick);
  connect(ui.OpenBtn, &QPushButton::clicked, this, &TMainForm::OpenBtnClick);
  connect(ui.SaveAsBtn, &QPushButton::clicked, this, &TMainForm::SaveAsBtnClick);
  connect(ui.endebtn, &QPushButton::clicked, this, &TMainForm::EndeBtnClick);
  connect(ui.NewFotoBtn, &QPushButton::clicked, this, &TMainForm::NewFotoBtnClick);
  connect(ui.DelFotoBtn, &QPushButton::clicked, this, &TMainForm::DelFotoBtnClick);
  connect(ui.NachVornBtn, &QPushButton::clicked, this, &TMainForm::NachVornBtnClick);
  connect(ui.NachHintenBtn, &QPushButton::clicked, this, &TMainForm::NachHintenBtnClick);
  connect(ui.Memo1, &QPlainTextEdit::textChanged, this, &TMainForm::Memo1Change);
  connect(ui.SearchBtn, &QPushButton::clicked, this, &TMainForm::SearchBtnClick);
  connect(ui.SearchEdit, &QLineEdit::returnPressed, this, &TMainForm::SearchBtnClick);
  connect(ui.ListView2, &QTreeWidget::itemDoubleClicked, this, &TMainForm::ListView2DblClick);
  connect(ui.FontBtn, &QPushButton::clicked, this, &TMainForm::FontBtnClick);
  connect(ui.SetFont2Btn, &QPushButton::clicked, this, &TMainForm::SetFont2BtnClick);
  connect(ui.Shape1, &TColorSwatch::MouseDown, this, &TMainForm::Shape1MouseDown);
  connect(ui.Shape2, &TColorSwatch::MouseDown, this, &TMainForm::Shape2MouseDown);
  connect(ui.SavePDFBtn, &QPushButton::clicked, this, &TMainForm::SavePDFBtnClick);
  // Every control that changes the PDF redraws the preview and checks the album for print again, each
  // keystroke in a field included; a photo's text comes after Memo1Change has stored it.
  const auto changed = [this] { PdfSettingsChanged(); };
  for (const TCheckField& f : KCheckFields) connect(ui.*f.Box, &QCheckBox::toggled, this, changed);
  for (const TNumberField<double>& f : KDecimalFields) connect(ui.*f.Edit, &TSpinEdit::Changed, this, changed);
  for (const TNumberField<int32_t>& f : KWholeFields) connect(ui.*f.Edit, &TSpinEdit::Changed, this, changed);
  connect(ui.PictureDpiBox, &QComboBox::currentIndexChanged, this, changed);
  connect(ui.PdfABox, &QComboBox::currentIndexChanged, this, changed);
  connect(ui.PageLayoutBox, &QComboBox::currentIndexChanged, this, changed);
  connect(ui.CapED, &QLineEdit::textChanged, this, changed);
  connect(ui.Memo1, &QPlainTextEdit::textChanged, this, changed);
  connect(ui.PageControl2, &QTabWidget::currentChanged, this, &TMainForm::PlacePreview);
  connect(FGrid, &TThumbnailGrid::CurrentTextChanged, this,
          [this](const QString& Text) { SetMemoText(Text.toStdString()); });
  connect(FGrid, &TThumbnailGrid::StatusTextChanged, FStatusText, &QLabel::setText);
  connect(FGrid, &TThumbnailGrid::FileNameChanged, ui.Label1, &QLabel::setText);
  connect(FGrid, &TThumbnailGrid::OpenPicture, this, [this](const QString& FileName) {
    FViewer->ShowPicture(FileName.toStdString(), this,
                         FAlbum.HasCurrent() ? FAlbum.Pics[FAlbum.CurPic - 1].Turn : 0);
  });
  // Esc deletes the current photo, as "Foto löschen" is the window's cancel button (EscapeKeyDown).
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &TMainForm::EscapeKeyDown);
  // Ctrl+Tab and Ctrl+Shift+Tab turn the pages from anywhere in the window, not only from inside them.
  const auto turnPage = [this](int Step) {
    const int count = FUi->PageControl2->count();
    FUi->PageControl2->setCurrentIndex((FUi->PageControl2->currentIndex() + Step + count) % count);
  };
  for (const QKeySequence& keys :
       {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)})
    connect(new QShortcut(keys, this), &QShortcut::activated, this, [turnPage] { turnPage(1); });
  for (const QKeySequence& keys :
       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)})
    connect(new QShortcut(keys, this), &QShortcut::activated, this, [turnPage] { turnPage(-1); });
  FGrid->KeyEdit->setFocus();
  ExportRun = [this](std::vector<TExportPhoto> Photos, const TLayoutSettings& Settings,
                     const std::string& FileName) {
    return RunExport(this, std::move(Photos), Settings, FileName, *this);
  };

  SetSettings(FirstStartSettings());
  FArranging = new TPhotoArranging(*this, ui, Dialogs);
  RepaintGrid();
  ui.PrintCheckList->Attach(FAlbum, [this] { return Settings(); });
}

TMainForm::~TMainForm() {
  // A window that goes without having been closed (the session ends) still keeps its settings; one
  // that was never shown never read them, so it must not write its defaults over them.
  if (FShown && !FStorageWritten) WriteFormStorage();
  // The arranging works on the controls and filters the text box's keys: it goes before they do.
  delete FArranging;
  // The grid works on FAlbum and its workers call back into it: it goes before the album does.
  delete FGrid;
}

TLayoutSettings TMainForm::Settings() const {
  const Ui::TMainForm& ui = *FUi;
  TLayoutSettings settings = FHeld;
  for (const TCheckField& f : KCheckFields) settings.*f.Field = (ui.*f.Box)->isChecked();
  for (const TNumberField<double>& f : KDecimalFields) settings.*f.Field = (ui.*f.Edit)->Value();
  for (const TNumberField<int32_t>& f : KWholeFields)
    settings.*f.Field = static_cast<int32_t>((ui.*f.Edit)->Value());
  settings.PictureDpi = ui.PictureDpiBox->currentData().toInt();
  settings.PdfA = static_cast<TPdfA>(ui.PdfABox->currentData().toInt());
  settings.PageLayout = static_cast<TPageLayoutKind>(ui.PageLayoutBox->currentData().toInt());
  settings.CapED = ui.CapED->text().toStdString();
  settings.TextTemplate = ui.TextTemplateEd->text().toStdString();
  return settings;
}

void TMainForm::SetSettings(const TLayoutSettings& Settings) {
  Ui::TMainForm& ui = *FUi;
  FShowingSettings = true;
  FHeld = Settings;
  for (const TCheckField& f : KCheckFields) (ui.*f.Box)->setChecked(Settings.*f.Field);
  for (const TNumberField<double>& f : KDecimalFields) (ui.*f.Edit)->SetValue(Settings.*f.Field);
  for (const TNumberField<int32_t>& f : KWholeFields) (ui.*f.Edit)->SetValue(Settings.*f.Field);
  ShowPictureDpi(Settings.PictureDpi);
  ui.PdfABox->setCurrentIndex(std::max(0, ui.PdfABox->findData(static_cast<int>(Settings.PdfA))));
  ui.PageLayoutBox->setCurrentIndex(
      std::max(0, ui.PageLayoutBox->findData(static_cast<int>(Settings.PageLayout))));
  ui.CapED->setText(Utf8(Settings.CapED));
  ui.TextTemplateEd->setText(Utf8(Settings.TextTemplate));
  ShowFontsAndColors();
  FShowingSettings = false;
  if (FArranging) FArranging->SettingsShown();
}

void TMainForm::ShowPictureDpi(int32_t Dpi) {
  QComboBox& box = *FUi->PictureDpiBox;
  // A resolution set on the command line may be none of the offered ones: it gets an entry of its
  // own after them, so that reading the form back keeps it. The entry goes when another album comes.
  while (box.count() > static_cast<int>(std::size(KPictureDpiChoices))) box.removeItem(box.count() - 1);
  int index = box.findData(Dpi);
  if (index < 0) {
    box.addItem(QStringLiteral("%1 dpi").arg(Dpi), Dpi);
    index = box.count() - 1;
  }
  box.setCurrentIndex(index);
}

void TMainForm::PdfSettingsChanged() {
  FPreview->SettingsChanged();
  FUi->PrintCheckList->SettingsChanged();
}

void TMainForm::ShowFontsAndColors() {
  PdfSettingsChanged();
  FUi->Shape1->SetColor(FHeld.Shape1);
  FUi->Shape2->SetColor(FHeld.Shape2);
  FUi->FontLabel1->setText(Utf8(FontDescription(FHeld.HeadingFont)));
  FUi->FontLabel3->setText(Utf8(FontDescription(FHeld.TextFont)));
}

// ---- Start and exit -------------------------------------------------------------------------------

void TMainForm::showEvent(QShowEvent* Event) {
  QMainWindow::showEvent(Event);
  FormShow();
}

void TMainForm::FormShow() {
  if (FShown) return;
  FShown = true;
  ReadFormStorage();
  if (FCommandLineAlbum.empty()) return;
  OpenFileNow(FCommandLineAlbum);
  RepaintGrid();
  ShowCurrentText();
}

bool TMainForm::FormCloseQuery() {
  return MessageBox().Show("Hiermit beenden Sie das Programm! Alle nicht gespeicherten Daten gehen verloren!",
                           "Programm beenden", TMsgIcon::Information, TMsgButtons::OkCancel);
}

void TMainForm::closeEvent(QCloseEvent* Event) {
  if (!FormCloseQuery()) {
    Event->ignore();
    return;
  }
  WriteFormStorage();
  Event->accept();
}

void TMainForm::EndeBtnClick() { close(); }

void TMainForm::NewBtnClick() {
  if (!MessageBox().Show(KSettingsLost, "Datei|Neu", TMsgIcon::Question, TMsgButtons::OkCancel)) return;
  ClearMemo();
  FAlbum.FreeAllPics();
  TLayoutSettings settings = Settings();
  ResetForNewAlbum(settings);
  SetSettings(settings);
  FAlbum.CurPic = 1;
  FArranging->Fresh();
  RepaintGrid();
  ShowCurrentText();
}

void TMainForm::OpenBtnClick() {
  if (!MessageBox().Show(KSettingsLost, "Datei|Öffnen", TMsgIcon::Question, TMsgButtons::OkCancel)) return;
  RepaintGrid();
  ClearMemo();
  std::vector<std::string> files;
  if (FDialogs.ChooseFiles(AlbumOpenDialog(), files)) OpenFileNow(files.front());
  RepaintGrid();
  ShowCurrentText();
}

void TMainForm::OpenFileNow(const std::string& FileName) {
  TLayoutSettings settings = Settings();
  const TAlbumFileResult loaded = OpenAlbumFile(FileName, FAlbum, settings);
  if (!loaded.Ok) {
    ShowError(loaded.Message);
    return;
  }
  SetSettings(settings);
  FArranging->Fresh();
  if (!loaded.Warning.empty()) MessageBox().Show(loaded.Warning, "", TMsgIcon::Warning, TMsgButtons::Ok);
}

void TMainForm::SaveAsBtnClick() {
  // An album whose file was damaged loses what did not load: only when the user says so.
  if (const std::string damage = DamagedAlbumText(FAlbum); !damage.empty() &&
      !MessageBox().Show(damage + " Trotzdem speichern?", "Speichern unter", TMsgIcon::Warning,
                         TMsgButtons::OkCancel))
    return;
  std::vector<std::string> files;
  if (!FDialogs.ChooseFiles(AlbumSaveDialog(), files)) return;
  const TAlbumFileResult saved = SaveAlbumFile(files.front(), FAlbum, Settings());
  if (saved.Ok) {
    FAlbum.Damage.clear();  // the file written holds all the album has
    FArranging->Saved();
    return;
  }
  FDialogs.FileFailed(files.front());
  ShowError(saved.Message);
}

// ---- The photo page -------------------------------------------------------------------------------

void TMainForm::NewFotoBtnClick() {
  std::vector<std::string> files;
  if (!FDialogs.ChooseFiles(PhotoAddDialog(WithJpegExtension(GetDIBOpenFilter())), files)) return;
  FArranging->AddPhotos(files);
}

// The text box then follows the current number, so an edit never lands on a photo it does not show.
void TMainForm::DelFotoBtnClick() { FArranging->DeleteSelected(); }

void TMainForm::EscapeKeyDown() {
  if (FUi->PageControl2->currentWidget() != FUi->FotosPage) return;
  const QWidget* focus = focusWidget();
  if (focus && (focus == FUi->Memo1 || FUi->Memo1->isAncestorOf(focus))) return;
  DelFotoBtnClick();
}

// The moved photos stay in sight.
void TMainForm::NachVornBtnClick() { FArranging->MoveForward(); }

void TMainForm::NachHintenBtnClick() { FArranging->MoveBack(); }

void TMainForm::Memo1Change() {
  FArranging->TextTyped(PhotoTextOfBoxText(FUi->Memo1->toPlainText().toStdString()));
}

void TMainForm::ShowCurrentText() {
  // The grid marks photo CurPic as current, and the text box edits photo CurPic: it shows that photo's
  // text, so what the user types never silently replaces a text the box did not show.
  if (FAlbum.HasCurrent())
    FGrid->adibchanged();
  else
    ClearMemo();
}

void TMainForm::ClearMemo() {
  const QSignalBlocker quiet(FUi->Memo1);
  FUi->Memo1->clear();
}

void TMainForm::SetMemoText(std::string_view PhotoText) {
  // Showing a text is no edit: the photo keeps its text exactly, line breaks included.
  const QSignalBlocker quiet(FUi->Memo1);
  FUi->Memo1->setPlainText(Utf8(BoxTextOfPhotoText(PhotoText)));
}

void TMainForm::RepaintGrid() {
  FGrid->PaintBox1Paint();
  FPreview->AlbumChanged();
  FUi->PrintCheckList->SettingsChanged();
}

void TMainForm::PlacePreview() {
  const QWidget* pages[] = {FUi->EinstellungenPage, FUi->MehrPage, FUi->PdfPage};
  QWidget* host = nullptr;
  for (size_t i = 0; i < std::size(pages); ++i)
    if (FUi->PageControl2->currentWidget() == pages[i]) host = FPreviewHosts[i];
  if (!host) {
    FPreview->hide();
    FPreviewPlaced = false;
    return;
  }
  if (!FPreviewPlaced) FPreview->ShowCurrentPhoto();
  FPreviewPlaced = true;
  if (FPreview->parentWidget() != host) host->layout()->addWidget(FPreview);
  FPreview->show();
}

void TMainForm::ShowMovedPhoto() {
  FGrid->adibchanged();
  FGrid->ScrollImageInView();
  RepaintGrid();
}

void TMainForm::wheelEvent(QWheelEvent* Event) {
  // On the page "Fotos" the wheel scrolls the grid from anywhere in the window; elsewhere it does
  // nothing here. Controls that scroll themselves (the text box, the grid) take their wheel first.
  if (FUi->PageControl2->currentWidget() == FUi->FotosPage) FGrid->WheelTurned(Event->angleDelta().y());
  Event->accept();
}

// ---- Search ---------------------------------------------------------------------------------------

void TMainForm::SearchBtnClick() {
  const std::vector<TSearchHit> hits = SearchPhotos(FAlbum, FUi->SearchEdit->text().toStdString());
  FUi->ListView2->clear();
  for (const TSearchHit& hit : hits)
    new QTreeWidgetItem(FUi->ListView2, {Utf8(hit.FileNamePart), Utf8(BoxTextOfPhotoText(hit.Text))});
}

void TMainForm::ListView2DblClick() {
  const QList<QTreeWidgetItem*> selected = FUi->ListView2->selectedItems();
  if (selected.isEmpty()) return;
  if (!JumpToHit(FAlbum, FUi->ListView2->indexOfTopLevelItem(selected.front()))) return;
  FUi->PageControl2->setCurrentWidget(FUi->FotosPage);
  ShowMovedPhoto();
}

void TMainForm::ListView2KeyDown(int Key) {
  if (Key == Qt::Key_Return || Key == Qt::Key_Enter) ListView2DblClick();
}

bool TMainForm::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == FUi->ListView2 && Event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(Event)->key();
    ListView2KeyDown(key);
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
  }
  return QMainWindow::eventFilter(Watched, Event);
}

// ---- Fonts and colours ----------------------------------------------------------------------------

void TMainForm::FontBtnClick() {
  TFontChoice choice = FontChoiceOf(FHeld.HeadingFont);
  if (!FDialogs.ChooseFont(choice)) return;
  ApplyFontChoice(FHeld.HeadingFont, choice);
  ShowFontsAndColors();
}

void TMainForm::SetFont2BtnClick() {
  TFontChoice choice = FontChoiceOf(FHeld.TextFont);
  if (!FDialogs.ChooseFont(choice)) return;
  ApplyFontChoice(FHeld.TextFont, choice);
  ShowFontsAndColors();
}

void TMainForm::Shape1MouseDown() {
  if (FDialogs.ChooseColor(FHeld.Shape1)) ShowFontsAndColors();
}

void TMainForm::Shape2MouseDown() {
  if (FDialogs.ChooseColor(FHeld.Shape2)) ShowFontsAndColors();
}

// ---- Export ---------------------------------------------------------------------------------------

void TMainForm::SavePDFBtnClick() {
  std::vector<std::string> files;
  if (!FDialogs.ChooseFiles(PdfSaveDialog(), files)) return;
  const TLayoutSettings settings = Settings();
  const TExportResult result = ExportRun(ExportPhotos(FAlbum), settings, files.front());
  if (result.Status == TExportStatus::CannotCreate || result.Status == TExportStatus::WriteFailed)
    FDialogs.FileFailed(files.front());
  // Missing pictures are reported, and the PDF is shown all the same: it holds everything else.
  ShowExportFailure(result);
  if (result.Ok() && settings.ShowPDFCheck) OpenPDFFileInDefaultApplication(result.ViewFile);
}

void TMainForm::OpenPDFFileInDefaultApplication(const std::string& FileName) {
  TOpening opening = [&] {
    const TWaitCursor wait;
    return FShell.OpenWatched(FileName);
  }();
  ReportOpenFailure(this, std::move(opening), FileName);
}

// ---- Status bar -----------------------------------------------------------------------------------

void TMainForm::SetProStatus(int Percent) { FProgressPanel->SetProStatus(Percent); }

void TMainForm::Progress(int Percent) {
  if (thread() == QThread::currentThread())
    SetProStatus(Percent);
  else
    QMetaObject::invokeMethod(
        this, [this, Percent] { SetProStatus(Percent); }, Qt::QueuedConnection);
}

// ---- Per-user settings ----------------------------------------------------------------------------

void TMainForm::ReadFormStorage() {
  TLayoutSettings settings = Settings();
  ReadStoredSettings(FStore, settings);
  SetSettings(settings);
  TWindowPlacement placement;
  if (ReadWindowPlacement(FStore, KMainFormSection, placement)) ApplyPlacement(placement);
}

void TMainForm::WriteFormStorage() {
  FStorageWritten = true;
  WriteStoredSettings(FStore, Settings());
  WriteWindowPlacement(FStore, KMainFormSection, CurrentPlacement());
  std::string message;
  if (!FStore.Flush(message)) ShowError(message);
}

void TMainForm::ApplyPlacement(const TWindowPlacement& Placement) {
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect available = screen->availableGeometry();
  const TWindowRect area{available.left(), available.top(), available.left() + available.width(),
                         available.top() + available.height()};
  const TWindowRect r =
      PlaceOnScreen(Placement, static_cast<int32_t>(std::lround(screen->logicalDotsPerInch())), area);
  setGeometry(r.Left, r.Top, r.Width(), r.Height());
  if (Placement.ShowCmd == KShowMaximized) setWindowState(windowState() | Qt::WindowMaximized);
}

TWindowPlacement TMainForm::CurrentPlacement() const {
  TWindowPlacement placement;
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (screen) placement.PixelsPerInch = static_cast<int32_t>(std::lround(screen->logicalDotsPerInch()));
  placement.ShowCmd = isMaximized() ? KShowMaximized : KShowNormal;
  const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
  placement.NormPos = {normal.left(), normal.top(), normal.left() + normal.width(),
                       normal.top() + normal.height()};
  return placement;
}
