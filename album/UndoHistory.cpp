#include "album/UndoHistory.h"

bool TUndoHistory::Do(std::unique_ptr<TAlbumChange> Change, TAlbumModel& Album, TLayoutSettings& Settings) {
  if (!Change || !Change->Redo(Album, Settings)) return false;
  if (FRunOpen && FDone == FSteps.size() && FDone > 0 && FSavedAt != static_cast<long>(FDone) &&
      FSteps.back()->Absorb(*Change))
    return true;
  FSteps.erase(FSteps.begin() + static_cast<long>(FDone), FSteps.end());
  if (FSavedAt > static_cast<long>(FDone)) FSavedAt = -1;  // the saved state was among the undone steps
  FSteps.push_back(std::move(Change));
  ++FDone;
  while (FSteps.size() > KUndoSteps) {
    FSteps.pop_front();
    --FDone;
    if (FSavedAt >= 0) --FSavedAt;
  }
  FRunOpen = true;
  return true;
}

bool TUndoHistory::Undo(TAlbumModel& Album, TLayoutSettings& Settings) {
  FRunOpen = false;
  if (!CanUndo() || !FSteps[FDone - 1]->Undo(Album, Settings)) return false;
  --FDone;
  return true;
}

bool TUndoHistory::Redo(TAlbumModel& Album, TLayoutSettings& Settings) {
  FRunOpen = false;
  if (!CanRedo() || !FSteps[FDone]->Redo(Album, Settings)) return false;
  ++FDone;
  return true;
}

void TUndoHistory::Clear() {
  FSteps.clear();
  FDone = 0;
  FSavedAt = 0;
  FRunOpen = false;
}

void TUndoHistory::MarkSaved() {
  FSavedAt = static_cast<long>(FDone);
  FRunOpen = false;
}
