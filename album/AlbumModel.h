#pragma once
// TAlbumModel: the album the main window holds: the photo list Pics, its current record CurEntry, the
// current photo number CurPic (counted from 1, valid only while 1 <= CurPic <= Pics.Count) and the
// search results HitList. The layout settings live beside it (TLayoutSettings).
//
// Beside the photos it keeps what its album file held that this version does not use itself, so that
// saving the album writes it back as it was (StoredEntries), and what the file held that could not be
// loaded (Damage), so that nothing overwrites it without saying so.

#include <cstdint>
#include <string>
#include <vector>

#include "album/DynaArray.h"
#include "album/PicEntry.h"

// An entry of the album file's sixth group (AlbumExtensions.h) as the file held it, in file order. An
// entry of a tag this version does not know keeps its bytes in Data, to be written back unchanged; an
// entry it knows (Known) only marks its place, since its content lives in the album and its settings.
struct TStoredEntry {
  uint32_t Tag = 0;
  bool Known = false;
  std::string Data;

  bool operator==(const TStoredEntry&) const = default;
};

class TAlbumModel {
 public:
  TAlbumModel() = default;
  ~TAlbumModel() { FreeAllPics(); }
  TAlbumModel(const TAlbumModel&) = delete;
  TAlbumModel& operator=(const TAlbumModel&) = delete;

  // Releases every entry (file name, text, thumbnail through deldib), empties Pics, sets CurPic = 1,
  // and forgets StoredEntries and Damage: what follows is another album.
  void FreeAllPics();

  // True while CurPic designates a photo.
  bool HasCurrent() const { return CurPic >= 1 && static_cast<uint32_t>(CurPic) <= Pics.Count; }

  TPicEntry* CurEntry = nullptr;  // declared before Pics: Pics mirrors into it
  TDynaArrayOf<TPicEntry> Pics{&CurEntry};
  int32_t CurPic = 1;
  // Where a range selected with Shift starts, counted from 1 like CurPic (PhotoSelection.h).
  int32_t Anchor = 1;
  std::vector<std::string> HitList;
  // The sixth group's entries as the album's file held them (empty for an album not read from a file).
  std::vector<TStoredEntry> StoredEntries;
  // German: what the album's file held that did not load (the load's warning); saving the album loses
  // it. Empty for an intact album.
  std::string Damage;
};

// The status bar's line about the current photo: "Thumbnail: 3 von 12" with photo 3 of 12 current,
// "Bild: keins   " (three blanks at the end) when no photo is.
std::string CurrentPhotoStatus(const TAlbumModel& Album);
