#pragma once
// TAlbumModel: the album the main window holds: the photo list Pics, its current record CurEntry, the
// current photo number CurPic (counted from 1, valid only while 1 <= CurPic <= Pics.Count) and the
// search results HitList. The layout settings live beside it (TLayoutSettings).

#include <cstdint>
#include <string>
#include <vector>

#include "album/DynaArray.h"
#include "album/PicEntry.h"

class TAlbumModel {
 public:
  TAlbumModel() = default;
  ~TAlbumModel() { FreeAllPics(); }
  TAlbumModel(const TAlbumModel&) = delete;
  TAlbumModel& operator=(const TAlbumModel&) = delete;

  // Releases every entry (file name, text, thumbnail through deldib), empties Pics, sets CurPic = 1.
  void FreeAllPics();

  // True while CurPic designates a photo.
  bool HasCurrent() const { return CurPic >= 1 && static_cast<uint32_t>(CurPic) <= Pics.Count; }

  TPicEntry* CurEntry = nullptr;  // declared before Pics: Pics mirrors into it
  TDynaArrayOf<TPicEntry> Pics{&CurEntry};
  int32_t CurPic = 1;
  // Where a range selected with Shift starts, counted from 1 like CurPic (PhotoSelection.h).
  int32_t Anchor = 1;
  std::vector<std::string> HitList;
};

// The status bar's line about the current photo: "Thumbnail: 3 von 12" with photo 3 of 12 current,
// "Bild: keins   " (three blanks at the end) when no photo is.
std::string CurrentPhotoStatus(const TAlbumModel& Album);
