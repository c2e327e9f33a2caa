#pragma once
// TPhotoArranging: what the main window does to arrange an album, wired to the photo page's controls:
// deleting, moving, dragging, turning and sorting the selected photos, adding photos (through the add
// dialog or dropped from a file manager), texts from the template, typing a photo's text, changing a
// setting the album keeps, and undoing and redoing all of these.
//
// Every such change goes through one undo history (TUndoHistory) as one step; the window title shows
// "*" while the album differs from its file. New and Open start a fresh history (Fresh); saving marks
// the album as its file (Saved). Long work (dates of thousands of photos, dropped folders) runs in the
// background behind a dialog with "Abbrechen" (RunJob); a cancelled job leaves the album unchanged.
//
// Keys: Strg+Z undoes, Strg+Umschalt+Z and Strg+Y redo, anywhere in the window (in the photo text
// and every other text or number field too, none of which has an undo of its own); Strg+L and Strg+R turn on the
// page "Fotos".
//
// User-interface thread only. The window owns it; it works on the window's album, grid and controls.

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "album/LayoutSettings.h"
#include "album/UndoHistory.h"
#include "ui/BackgroundJob.h"

namespace Ui {
class TMainForm;
}
class TDialogs;
class TMainForm;

class TPhotoArranging final : public QObject {
  Q_OBJECT

 public:
  TPhotoArranging(TMainForm& Form, Ui::TMainForm& Controls, TDialogs& Dialogs);

  TUndoHistory& History() { return FHistory; }

  // Appends photos (the add dialog's files), with the texts new photos get.
  void AddPhotos(const std::vector<std::string>& Paths);
  // "Foto löschen", Esc and Entf: the selected photos, or the current one.
  void DeleteSelected();
  // "Nach vorne" / "Nach hinten": the selection as one block, one place.
  void MoveForward();
  void MoveBack();
  // The selection dragged to the gap before photo Gap.
  void MoveSelectionTo(int Gap);
  // Files and folders dropped at Gap.
  void DropFiles(const QStringList& Paths, int Gap);
  // "Links drehen" (3) / "Rechts drehen" (1).
  void TurnSelected(int Turns);
  void SortBtnClick();
  void RegenTextsBtnClick();
  void UndoBtnClick();
  void RedoBtnClick();
  // The text box's text for the current photo (its lines joined by CR LF), typed by the user.
  void TextTyped(std::string_view PhotoText);
  // A settings control changed: a step when what the album keeps differs.
  void SettingsEdited(const QString& Control);
  // The window put settings into its controls itself (a new or opened album, the per-user settings,
  // an undo): they are the album's settings now, not a change.
  void SettingsShown();

  // A new or opened album: a fresh history, unchanged.
  void Fresh();
  // The album was saved.
  void Saved();

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  // Makes Change through the history with the window's settings and shows the result. False when it
  // failed for lack of memory (Message is then shown).
  bool Do(std::unique_ptr<TAlbumChange> Change, const char* Message);
  // Runs one step of the history (Do, Undo, Redo) on the album and the window's settings, as Do.
  bool Step(const std::function<bool(TAlbumModel&, TLayoutSettings&)>& Run, const char* Message);
  void Reorder(std::vector<uint32_t> Order);
  // Runs Make, which makes texts from Template, in the background when they need the date taken.
  // False when it was cancelled.
  bool MakeTexts(const QString& Title, const std::string& Template, const TJobWork& Make);
  // Inserts Records at Gap and selects them.
  void Insert(uint32_t Gap, TPhotoRecords Records);
  // Shows the album after a change: grid, text box, current cell in view, buttons, title.
  void ShowChange();
  void ShowState();

  TMainForm& FForm;
  Ui::TMainForm& FUi;
  TDialogs& FDialogs;
  TUndoHistory FHistory;
  TLayoutSettings FShownSettings;  // the settings the history knows the album to have
  QString FTitle;                  // the window's title while the album is as its file
};
