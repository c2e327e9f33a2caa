#include "album/AlbumChanges.h"

#include "album/SectionMarks.h"
#include "imaging/pictaro/PhotoTurn.h"
#include "imaging/pictaro/Pictaro.h"

namespace {

// The current photo's index, or -1 when no photo is current.
int64_t CurrentIndex(const TAlbumModel& Album) { return Album.HasCurrent() ? Album.CurPic - 1 : -1; }

// Puts Held's entries in at Places; Held is empty afterwards. On failure nothing changed.
bool InsertAt(TAlbumModel& Album, const std::vector<uint32_t>& Places, TPhotoRecords& Held) {
  const std::vector<TPicEntry> old = PhotoList(Album);
  const int64_t current = CurrentIndex(Album);
  std::vector<TPicEntry> list;
  list.reserve(old.size() + Places.size());
  size_t fromOld = 0, fromHeld = 0;
  int64_t newCurrent = -1;
  while (list.size() < old.size() + Places.size()) {
    if (fromHeld < Places.size() && Places[fromHeld] == list.size()) {
      list.push_back(Held[fromHeld++]);
    } else {
      if (static_cast<int64_t>(fromOld) == current) newCurrent = static_cast<int64_t>(list.size());
      list.push_back(old[fromOld++]);
    }
  }
  if (!RewritePhotoList(Album, list)) return false;
  Held.TakeAll();  // the album owns them now
  if (newCurrent >= 0) Album.CurPic = static_cast<int32_t>(newCurrent + 1);
  return true;
}

// Takes the entries at Places out of the album into Held, in order.
bool RemoveAt(TAlbumModel& Album, const std::vector<uint32_t>& Places, TPhotoRecords& Held) {
  const std::vector<TPicEntry> old = PhotoList(Album);
  const int64_t current = CurrentIndex(Album);
  std::vector<TPicEntry> list;
  list.reserve(old.size() - std::min(old.size(), Places.size()));
  TPhotoRecords taken;
  size_t next = 0;
  int64_t newCurrent = -1;
  for (size_t i = 0; i < old.size(); ++i) {
    // The current photo, or the first one kept after it when it goes itself.
    if (static_cast<int64_t>(i) == current) newCurrent = static_cast<int64_t>(list.size());
    if (next < Places.size() && Places[next] == i) {
      taken.Add(old[i]);
      ++next;
    } else {
      list.push_back(old[i]);
    }
  }
  if (!RewritePhotoList(Album, list)) {
    taken.TakeAll();  // still the album's
    return false;
  }
  Held = std::move(taken);
  if (newCurrent >= 0) Album.CurPic = static_cast<int32_t>(newCurrent + 1);
  return true;
}

// New order: the photo at place Order[i] goes to place i.
bool Reorder(TAlbumModel& Album, const std::vector<uint32_t>& Order) {
  const std::vector<TPicEntry> old = PhotoList(Album);
  if (Order.size() != old.size()) return true;  // not this album's order: nothing to do
  const int64_t current = CurrentIndex(Album);
  std::vector<TPicEntry> list(old.size());
  int64_t newCurrent = -1;
  for (size_t i = 0; i < Order.size(); ++i) {
    list[i] = old[Order[i]];
    if (static_cast<int64_t>(Order[i]) == current) newCurrent = static_cast<int64_t>(i);
  }
  RewritePhotoList(Album, list);  // the same count: never grows
  if (newCurrent >= 0) Album.CurPic = static_cast<int32_t>(newCurrent + 1);
  return true;
}

TPhotoText TextOf(const TPicEntry& Entry) {
  return Entry.Text ? TPhotoText(std::string(Entry.Text)) : std::nullopt;
}

bool SetText(TPicEntry& Entry, const TPhotoText& Text) {
  if (!Text) {
    ClearEntryText(Entry);
    return true;
  }
  return SetEntryText(Entry, *Text);
}

// Sets Texts at Places; on failure puts Previous back where it was set already.
bool SetTexts(TAlbumModel& Album, const std::vector<uint32_t>& Places, const std::vector<TPhotoText>& Texts,
              const std::vector<TPhotoText>& Previous) {
  for (size_t i = 0; i < Places.size(); ++i) {
    if (SetText(Album.Pics[static_cast<int32_t>(Places[i])], Texts[i])) continue;
    // Putting back texts frees as much as it takes, almost always; should even that fail, the
    // photo keeps the new text rather than losing both.
    for (size_t k = 0; k < i; ++k) SetText(Album.Pics[static_cast<int32_t>(Places[k])], Previous[k]);
    return false;
  }
  return true;
}

void AddTurns(TAlbumModel& Album, const std::vector<uint32_t>& Places, int Turns) {
  for (uint32_t place : Places) {
    TPicEntry& entry = Album.Pics[static_cast<int32_t>(place)];
    entry.Turn = static_cast<uint8_t>(NormalTurn(entry.Turn + Turns));
    // The thumbnail shows the photo as turned; one that cannot be turned is made again.
    if (entry.Thumbnail.Bits && !TurnDib(entry.Thumbnail, Turns)) {
      deldib(entry.Thumbnail);
      entry.Thumbnail = TDib{};
    }
  }
}

}  // namespace

bool TInsertPhotos::Redo(TAlbumModel& Album, TLayoutSettings&) { return InsertAt(Album, FPlaces, FHeld); }
bool TInsertPhotos::Undo(TAlbumModel& Album, TLayoutSettings&) { return RemoveAt(Album, FPlaces, FHeld); }
bool TRemovePhotos::Redo(TAlbumModel& Album, TLayoutSettings& Settings) {
  std::vector<TSectionMark>& marks = Settings.Book.Marks;
  if (marks.empty()) return RemoveAt(Album, FPlaces, FHeld);
  // A section mark on a removed photo moves to the next one that stays.
  const std::vector<int32_t> places = MarkPlaces(Album, marks);
  if (!RemoveAt(Album, FPlaces, FHeld)) return false;
  FMarksBefore = marks;
  marks = MarksAfterRemoval(Album, *FMarksBefore, places, FPlaces);
  return true;
}

bool TRemovePhotos::Undo(TAlbumModel& Album, TLayoutSettings& Settings) {
  if (!InsertAt(Album, FPlaces, FHeld)) return false;
  if (FMarksBefore) Settings.Book.Marks = std::move(*FMarksBefore);
  FMarksBefore.reset();
  return true;
}

bool TReorderPhotos::Redo(TAlbumModel& Album, TLayoutSettings&) { return Reorder(Album, FOrder); }

bool TReorderPhotos::Undo(TAlbumModel& Album, TLayoutSettings&) {
  std::vector<uint32_t> inverse(FOrder.size());
  for (uint32_t i = 0; i < FOrder.size(); ++i) inverse[FOrder[i]] = i;
  return Reorder(Album, inverse);
}

bool TSetTexts::Redo(TAlbumModel& Album, TLayoutSettings&) {
  FBefore.clear();
  for (uint32_t place : FPlaces) FBefore.push_back(TextOf(Album.Pics[static_cast<int32_t>(place)]));
  return SetTexts(Album, FPlaces, FAfter, FBefore);
}

bool TSetTexts::Undo(TAlbumModel& Album, TLayoutSettings&) {
  return SetTexts(Album, FPlaces, FBefore, FAfter);
}

bool TSetTexts::Absorb(TAlbumChange& Next) {
  auto* next = dynamic_cast<TSetTexts*>(&Next);
  if (!next || !FTyping || !next->FTyping || FPlaces != next->FPlaces || FPlaces.size() != 1) return false;
  FAfter = std::move(next->FAfter);
  return true;
}

bool TTurnPhotos::Redo(TAlbumModel& Album, TLayoutSettings&) {
  AddTurns(Album, FPlaces, FTurns);
  return true;
}

bool TTurnPhotos::Undo(TAlbumModel& Album, TLayoutSettings&) {
  AddTurns(Album, FPlaces, -FTurns);
  return true;
}

TPhotoPlacement PlacementOf(const TPicEntry& Entry) { return {Entry.Placement, Entry.FocusX, Entry.FocusY}; }

namespace {
void SetPlacements(TAlbumModel& Album, const std::vector<uint32_t>& Places, const std::vector<TPhotoPlacement>& To) {
  for (size_t i = 0; i < Places.size() && i < To.size(); ++i) {
    TPicEntry& entry = Album.Pics[static_cast<int32_t>(Places[i])];
    entry.Placement = To[i].Placement;
    entry.FocusX = To[i].FocusX;
    entry.FocusY = To[i].FocusY;
  }
}
}  // namespace

bool TPlacePhotos::Redo(TAlbumModel& Album, TLayoutSettings&) {
  FBefore.clear();
  for (uint32_t place : FPlaces) FBefore.push_back(PlacementOf(Album.Pics[static_cast<int32_t>(place)]));
  SetPlacements(Album, FPlaces, FAfter);
  return true;
}

bool TPlacePhotos::Undo(TAlbumModel& Album, TLayoutSettings&) {
  SetPlacements(Album, FPlaces, FBefore);
  return true;
}

bool TChangeSettings::Redo(TAlbumModel&, TLayoutSettings& Settings) {
  AssignAlbumSettings(Settings, FAfter);
  return true;
}

bool TChangeSettings::Undo(TAlbumModel&, TLayoutSettings& Settings) {
  AssignAlbumSettings(Settings, FBefore);
  return true;
}

bool TChangeSettings::Absorb(TAlbumChange& Next) {
  auto* next = dynamic_cast<TChangeSettings*>(&Next);
  if (!next || FControl.empty() || next->FControl != FControl) return false;
  FAfter = std::move(next->FAfter);
  return true;
}
