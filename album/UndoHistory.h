#pragma once
// TUndoHistory: the steps a user can undo and redo, newest last, and whether the album differs from
// its file.
//
// Every change of the album goes through Do, which makes it and keeps it as the newest step; steps
// undone before are dropped then, and beyond KUndoSteps the oldest goes. A change joins the newest
// step instead when that step takes it (TAlbumChange::Absorb: a run of typing in one photo's text,
// one control turned several times), unless EndRun was called in between or the album was saved
// right after that step.
//
// The album is unchanged (Modified false) when the steps done are exactly those done when it was last
// saved, opened or made new (MarkSaved, Clear); undoing back to that point makes it unchanged again.
// Once the steps that lead back to it are dropped, it stays changed until the next MarkSaved.
//
// The history owns the changes and, through them, the photos they hold. One thread: the window's, or
// a command's.

#include <cstddef>
#include <deque>
#include <memory>

#include "album/AlbumChanges.h"

class TUndoHistory {
 public:
  static constexpr size_t KUndoSteps = 100;

  // Makes Change on Album and Settings and keeps it. False when it failed for lack of memory: the
  // album is then as before and nothing is kept.
  bool Do(std::unique_ptr<TAlbumChange> Change, TAlbumModel& Album, TLayoutSettings& Settings);
  // Takes back the newest step done, or makes again the oldest step undone. False when there is none,
  // or memory ran out (then nothing changed).
  bool Undo(TAlbumModel& Album, TLayoutSettings& Settings);
  bool Redo(TAlbumModel& Album, TLayoutSettings& Settings);
  bool CanUndo() const { return FDone > 0; }
  bool CanRedo() const { return FDone < FSteps.size(); }
  size_t UndoSteps() const { return FDone; }

  // The next change starts a step of its own.
  void EndRun() { FRunOpen = false; }
  // A fresh history for a new or newly opened album, which counts as unchanged.
  void Clear();
  // The album was saved as it is now.
  void MarkSaved();
  bool Modified() const { return FSavedAt != static_cast<long>(FDone); }

 private:
  std::deque<std::unique_ptr<TAlbumChange>> FSteps;
  size_t FDone = 0;   // steps done: FSteps[0 .. FDone - 1]
  long FSavedAt = 0;  // FDone when the album was as its file; -1 when no step count leads back there
  bool FRunOpen = false;
};
