#pragma once
// Searching the photos' texts and file names, and jumping to a hit.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "album/AlbumModel.h"

// Text with the letters a to z made capitals; every other character (umlauts, ß) stays as it is.
std::string SearchCapitals(std::string_view Text);

struct TSearchHit {
  std::string FileNamePart;  // the file name without its folder, in its own letters
  std::string Text;          // the photo's whole text, line breaks included; empty when it has none
  int32_t Index;             // position in Pics, from 0
};

// Lists the photos, in album order, whose text or else whose file-name part (never the folder)
// contains SearchText, both compared in capitals. One hit per photo at most; an empty SearchText
// finds nothing. Replaces Album.HitList with the hits' positions as decimal text.
std::vector<TSearchHit> SearchPhotos(TAlbumModel& Album, std::string_view SearchText);

// Makes the photo of hit row Row current: CurPic = HitList[Row] + 1. False, and nothing changed, when
// Row is no row of HitList or its entry is not a number. The result may lie beyond the list when photos
// were deleted since the search; CurPic then names no photo, as HasCurrent() tells.
bool JumpToHit(TAlbumModel& Album, int32_t Row);
