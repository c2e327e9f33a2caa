#include "ui/PhotoArranging.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

#include "album/NewPhotos.h"
#include "album/PhotoSelection.h"
#include "album/PhotoSort.h"
#include "album/TextTemplate.h"
#include "platform/Dialogs.h"
#include "platform/Messages.h"
#include "ui/BackgroundJob.h"
#include "ui/ColorSwatch.h"
#include "ui/MainForm.h"
#include "ui/SpinEdit.h"
#include "ui/ThumbnailGrid.h"
#include "ui_MainForm.h"

namespace {

const char* const KNoMemoryForPhotos = "Fehler: Nicht genug Arbeitsspeicher für die Fotos.";
const char* const KNoMemoryForText = "Fehler: Nicht genug Arbeitsspeicher für den Text.";

bool IsUndoKey(const QKeyEvent& Key) { return Key.matches(QKeySequence::Undo); }

bool IsRedoKey(const QKeyEvent& Key) {
  return Key.matches(QKeySequence::Redo) || Key.keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y) ||
         Key.keyCombination() == QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z);
}

std::vector<std::string> FileNames(const TAlbumModel& Album, const std::vector<uint32_t>& Places) {
  std::vector<std::string> files;
  files.reserve(Places.size());
  for (uint32_t place : Places) files.emplace_back(EntryFileName(Album.Pics[static_cast<int32_t>(place)]));
  return files;
}

}  // namespace

TPhotoArranging::TPhotoArranging(TMainForm& Form, Ui::TMainForm& Controls, TDialogs& Dialogs)
    : QObject(&Form), FForm(Form), FUi(Controls), FDialogs(Dialogs) {
  TThumbnailGrid* grid = Form.Grid();
  connect(FUi.TurnLeftBtn, &QPushButton::clicked, this, [this] { TurnSelected(3); });
  connect(FUi.TurnRightBtn, &QPushButton::clicked, this, [this] { TurnSelected(1); });
  // On the page "Fotos", wherever the focus is on it; turned at once, not after a button's animation.
  for (const std::pair<Qt::Key, int>& key : {std::pair{Qt::Key_L, 3}, std::pair{Qt::Key_R, 1}}) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | key.first), FUi.FotosPage);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    const int turns = key.second;
    connect(shortcut, &QShortcut::activated, this, [this, turns] { TurnSelected(turns); });
  }
  connect(FUi.SortBtn, &QPushButton::clicked, this, &TPhotoArranging::SortBtnClick);
  connect(FUi.RegenTextsBtn, &QPushButton::clicked, this, &TPhotoArranging::RegenTextsBtnClick);
  connect(FUi.UndoBtn, &QPushButton::clicked, this, &TPhotoArranging::UndoBtnClick);
  connect(FUi.RedoBtn, &QPushButton::clicked, this, &TPhotoArranging::RedoBtnClick);
  for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Z)})
    connect(new QShortcut(keys, &Form), &QShortcut::activated, this, &TPhotoArranging::UndoBtnClick);
  for (const QKeySequence& keys :
       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)})
    connect(new QShortcut(keys, &Form), &QShortcut::activated, this, &TPhotoArranging::RedoBtnClick);
  // The photo text has no undo of its own: its keys undo the album's steps, typing included.
  FUi.Memo1->setUndoRedoEnabled(false);
  FUi.Memo1->installEventFilter(this);

  connect(grid, &TThumbnailGrid::DeleteRequested, this, &TPhotoArranging::DeleteSelected);
  connect(grid, &TThumbnailGrid::SelectionDropped, this, &TPhotoArranging::MoveSelectionTo);
  connect(grid, &TThumbnailGrid::FilesDropped, this, &TPhotoArranging::DropFiles);
  // Another photo in the text box ends a run of typing.
  connect(grid, &TThumbnailGrid::CurrentTextChanged, this, [this] { FHistory.EndRun(); });

  // Every settings control: a change of what the album keeps becomes a step. The font and colour
  // buttons are connected after the window's own handlers, so they see the chosen font or colour.
  for (QCheckBox* box : Form.findChildren<QCheckBox*>())
    connect(box, &QCheckBox::toggled, this, [this, box] { SettingsEdited(box->objectName()); });
  for (TSpinEdit* edit : Form.findChildren<TSpinEdit*>())
    connect(edit, &TSpinEdit::Changed, this, [this, edit] { SettingsEdited(edit->objectName()); });
  for (QComboBox* box : Form.findChildren<QComboBox*>())
    connect(box, &QComboBox::currentIndexChanged, this, [this, box] { SettingsEdited(box->objectName()); });
  for (QLineEdit* edit : Form.findChildren<QLineEdit*>())
    if (!qobject_cast<QAbstractSpinBox*>(edit->parent()))
      connect(edit, &QLineEdit::textEdited, this, [this, edit] { SettingsEdited(edit->objectName()); });
  for (QPushButton* button : {FUi.FontBtn, FUi.SetFont2Btn})
    connect(button, &QPushButton::clicked, this, [this, button] { SettingsEdited(button->objectName()); });
  for (TColorSwatch* swatch : {FUi.Shape1, FUi.Shape2})
    connect(swatch, &TColorSwatch::MouseDown, this, [this, swatch] { SettingsEdited(swatch->objectName()); });

  FTitle = Form.windowTitle();
  SettingsShown();
  ShowState();
}

// ---- Changes ----------------------------------------------------------------------------------------

bool TPhotoArranging::Do(std::unique_ptr<TAlbumChange> Change, const char* Message) {
  return Step([&](TAlbumModel& Album,
                  TLayoutSettings& Settings) { return FHistory.Do(std::move(Change), Album, Settings); },
              Message);
}

bool TPhotoArranging::Step(const std::function<bool(TAlbumModel&, TLayoutSettings&)>& Run,
                           const char* Message) {
  TLayoutSettings settings = FForm.Settings();
  const bool done = Run(FForm.Album(), settings);
  if (!done && Message) ShowError(Message);
  // An undone or redone settings step changed them: the controls show them again.
  if (!(settings == FForm.Settings())) FForm.SetSettings(settings);
  ShowChange();
  return done;
}

void TPhotoArranging::Reorder(std::vector<uint32_t> Order) {
  if (Order.empty()) return;  // nothing moves
  Do(std::make_unique<TReorderPhotos>(std::move(Order)), KNoMemoryForPhotos);
}

void TPhotoArranging::Insert(uint32_t Gap, TPhotoRecords Records) {
  if (Records.Empty()) return;
  const size_t count = Records.Size();
  TAlbumModel& album = FForm.Album();
  SelectNone(album);
  for (size_t i = 0; i < count; ++i) Records[i].Selected = true;  // the new photos, to be seen at once
  Do(std::make_unique<TInsertPhotos>(PlacesAt(Gap, count), std::move(Records)), KNoMemoryForPhotos);
}

bool TPhotoArranging::MakeTexts(const QString& Title, const std::string& Template, const TJobWork& Make) {
  // Texts with the date taken read every file: in the background, behind "Abbrechen".
  if (TemplateNeedsDate(Template))
    return RunJob(&FForm, Title, QStringLiteral("Die Aufnahmedaten werden gelesen ..."), Make);
  const std::atomic<bool> never{false};
  Make(never, {});
  return true;
}

void TPhotoArranging::AddPhotos(const std::vector<std::string>& Paths) {
  const TLayoutSettings settings = FForm.Settings();
  TPhotoRecords records;
  bool made = true;
  const auto make = [&](const std::atomic<bool>& Cancel, const TJobProgress& Progress) {
    made = MakePhotoRecords(Paths, settings, records, &Cancel, Progress);
  };
  if (!MakeTexts(QStringLiteral("Fotos hinzufügen"), settings.TextTemplate, make)) return;
  if (!made) {
    ShowError(KNoMemoryForPhotos);
    return;
  }
  TAlbumModel& album = FForm.Album();
  // Added behind the photos there are; the current photo stays, as the add dialog always left it.
  Do(std::make_unique<TInsertPhotos>(PlacesAt(album.Pics.Count, records.Size()), std::move(records)),
     KNoMemoryForPhotos);
}

void TPhotoArranging::DropFiles(const QStringList& Paths, int Gap) {
  std::vector<std::string> paths;
  for (const QString& path : Paths) paths.push_back(path.toStdString());
  const TLayoutSettings settings = FForm.Settings();
  TDroppedFiles dropped;
  TPhotoRecords records;
  bool made = true;
  const bool ran =
      RunJob(&FForm, QStringLiteral("Fotos hinzufügen"), QStringLiteral("Die Dateien werden geprüft ..."),
             [&](const std::atomic<bool>& Cancel, const TJobProgress& Progress) {
               dropped = CollectDroppedFiles(paths, &Cancel, Progress);
               if (!dropped.Cancelled)
                 made = MakePhotoRecords(dropped.Pictures, settings, records, &Cancel, Progress);
             });
  if (!ran || dropped.Cancelled) return;
  if (!made) {
    ShowError(KNoMemoryForPhotos);
    return;
  }
  const uint32_t count = FForm.Album().Pics.Count;
  Insert(std::min<uint32_t>(static_cast<uint32_t>(std::max(Gap, 0)), count), std::move(records));
  const std::string refused = RefusedFilesMessage(dropped.Refused);
  if (!refused.empty()) MessageBox().Show(refused, "Fotos hinzufügen", TMsgIcon::Warning, TMsgButtons::Ok);
}

void TPhotoArranging::DeleteSelected() {
  const std::vector<uint32_t> places = PhotosToWorkOn(FForm.Album());
  if (places.empty()) return;
  Do(std::make_unique<TRemovePhotos>(places), KNoMemoryForPhotos);
}

void TPhotoArranging::MoveForward() {
  const TAlbumModel& album = FForm.Album();
  Reorder(BlockForwardOrder(album.Pics.Count, PhotosToWorkOn(album)));
}

void TPhotoArranging::MoveBack() {
  const TAlbumModel& album = FForm.Album();
  Reorder(BlockBackOrder(album.Pics.Count, PhotosToWorkOn(album)));
}

void TPhotoArranging::MoveSelectionTo(int Gap) {
  const TAlbumModel& album = FForm.Album();
  Reorder(BlockMoveOrder(album.Pics.Count, PhotosToWorkOn(album), static_cast<uint32_t>(std::max(Gap, 0))));
}

void TPhotoArranging::TurnSelected(int Turns) {
  std::vector<uint32_t> places = PhotosToWorkOn(FForm.Album());
  if (places.empty()) return;
  Do(std::make_unique<TTurnPhotos>(std::move(places), Turns), KNoMemoryForPhotos);
}

void TPhotoArranging::SortBtnClick() {
  TAlbumModel& album = FForm.Album();
  TSortChoice choice;
  if (!FDialogs.ChooseSort(choice)) return;
  // Several photos selected: only they are sorted, among the places they hold; else all photos.
  std::vector<uint32_t> places = SelectedPlaces(album);
  if (places.size() < 2) {
    places.resize(album.Pics.Count);
    for (uint32_t i = 0; i < album.Pics.Count; ++i) places[i] = i;
  }
  const std::vector<std::string> files = FileNames(album, places);
  std::vector<TSortKeyValue> keys;
  if (choice.Key == TSortKey::FileName) {
    SortKeysOf(files, choice.Key, keys);
  } else if (!RunJob(&FForm, QStringLiteral("Fotos sortieren"),
                     QStringLiteral("Die Daten der Fotos werden gelesen ..."),
                     [&](const std::atomic<bool>& Cancel, const TJobProgress& Progress) {
                       SortKeysOf(files, choice.Key, keys, &Cancel, Progress);
                     })) {
    return;
  }
  std::vector<uint32_t> order(album.Pics.Count);
  for (uint32_t i = 0; i < album.Pics.Count; ++i) order[i] = i;
  const std::vector<uint32_t> sorted = SortedOrder(keys, choice.Descending);
  bool moves = false;
  for (size_t i = 0; i < places.size(); ++i) {
    order[places[i]] = places[sorted[i]];
    moves = moves || sorted[i] != i;
  }
  if (moves) Reorder(std::move(order));
  if (UnknownKeys(keys))
    MessageBox().Show(MissingFilesMessage(MissingFiles(files, keys)), "Fotos sortieren", TMsgIcon::Warning,
                      TMsgButtons::Ok);
}

void TPhotoArranging::RegenTextsBtnClick() {
  const TAlbumModel& album = FForm.Album();
  std::vector<uint32_t> places = PhotosToWorkOn(album);
  if (places.empty()) return;
  const TLayoutSettings settings = FForm.Settings();
  const std::vector<std::string> files = FileNames(album, places);
  std::vector<std::string> old;
  for (uint32_t place : places) old.emplace_back(EntryText(album.Pics[static_cast<int32_t>(place)]));
  std::vector<TPhotoText> texts;
  bool typed = false;
  const auto make = [&](const std::atomic<bool>& Cancel, const TJobProgress& Progress) {
    for (size_t i = 0; i < files.size() && !Cancel; ++i) {
      texts.push_back(NewPhotoText(settings, files[i]));
      typed = typed || !IsMadeText(old[i], settings.TextTemplate, files[i]);
      if (Progress) Progress(i + 1, files.size());
    }
  };
  if (!MakeTexts(QStringLiteral("Texte neu erzeugen"), settings.TextTemplate, make)) return;
  if (typed &&
      !MessageBox().Show("Einige der ausgewählten Fotos haben Texte, die von Hand geschrieben wurden. "
                         "Sollen auch diese Texte ersetzt werden?",
                         "Texte neu erzeugen", TMsgIcon::Question, TMsgButtons::OkCancel))
    return;
  Do(std::make_unique<TSetTexts>(std::move(places), std::move(texts)), KNoMemoryForText);
}

void TPhotoArranging::TextTyped(std::string_view PhotoText) {
  const TAlbumModel& album = FForm.Album();
  if (!album.HasCurrent()) return;
  TLayoutSettings settings = FForm.Settings();
  std::vector<uint32_t> place{static_cast<uint32_t>(album.CurPic - 1)};
  // Typing changes neither the grid nor the text box: only the history and the title follow.
  if (!FHistory.Do(std::make_unique<TSetTexts>(std::move(place),
                                               std::vector<TPhotoText>{std::string(PhotoText)}, true),
                   FForm.Album(), settings))
    ShowError(KNoMemoryForText);
  ShowState();
}

void TPhotoArranging::SettingsEdited(const QString& Control) {
  if (FForm.FShowingSettings) return;
  const TLayoutSettings now = FForm.Settings();
  if (SameAlbumSettings(FShownSettings, now)) return;
  TLayoutSettings settings = now;
  FHistory.Do(std::make_unique<TChangeSettings>(FShownSettings, now, Control.toStdString()), FForm.Album(),
              settings);
  FShownSettings = now;
  ShowState();
}

void TPhotoArranging::SettingsShown() { FShownSettings = FForm.Settings(); }

void TPhotoArranging::UndoBtnClick() {
  if (!FHistory.CanUndo()) return;
  Step([this](TAlbumModel& Album, TLayoutSettings& Settings) { return FHistory.Undo(Album, Settings); },
       KNoMemoryForPhotos);
}

void TPhotoArranging::RedoBtnClick() {
  if (!FHistory.CanRedo()) return;
  Step([this](TAlbumModel& Album, TLayoutSettings& Settings) { return FHistory.Redo(Album, Settings); },
       KNoMemoryForPhotos);
}

void TPhotoArranging::Fresh() {
  FHistory.Clear();
  SettingsShown();
  ShowState();
}

void TPhotoArranging::Saved() {
  FHistory.MarkSaved();
  ShowState();
}

// ---- Showing --------------------------------------------------------------------------------------

void TPhotoArranging::ShowChange() {
  TThumbnailGrid* grid = FForm.Grid();
  grid->ScrollImageInView();
  FForm.RepaintGrid();
  FForm.ShowCurrentText();
  ShowState();
}

void TPhotoArranging::ShowState() {
  FUi.UndoBtn->setEnabled(FHistory.CanUndo());
  FUi.RedoBtn->setEnabled(FHistory.CanRedo());
  // Texts come from the template when there is one; the two check boxes then have no say.
  const bool boxes = FUi.TextTemplateEd->text().isEmpty();
  FUi.FilenamesCheck->setEnabled(boxes);
  FUi.PathCheck->setEnabled(boxes);
  // The title says "*" while the album differs from its file.
  FForm.setWindowTitle(FHistory.Modified() ? FTitle + QStringLiteral("*") : FTitle);
}

bool TPhotoArranging::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == FUi.Memo1 &&
      (Event->type() == QEvent::ShortcutOverride || Event->type() == QEvent::KeyPress)) {
    const auto* key = static_cast<QKeyEvent*>(Event);
    if (IsUndoKey(*key) || IsRedoKey(*key)) {
      // Not taken by the text box: the window's shortcuts get them.
      if (Event->type() == QEvent::ShortcutOverride) Event->ignore();
      return Event->type() == QEvent::ShortcutOverride;
    }
  }
  return QObject::eventFilter(Watched, Event);
}
