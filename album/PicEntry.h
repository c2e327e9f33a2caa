#pragma once
// TPicEntry: one photo of the album, a plain record stored in a TDynaArray.
//
// The entry owns its three fields: FileName and Text are zero-terminated UTF-8 texts in heap blocks of
// their own (Text may be nullptr: the photo never had a text), Thumbnail is a picture released with
// deldib. Only the functions below allocate or release them. Turn, Placement, the focus point and
// Selected are plain values that travel with the photo wherever it is moved, like its thumbnail.

#include <cstdint>
#include <string_view>

#include "imaging/pictaro/Dib.h"

struct TPicEntry {
  char* FileName;  // full path of the picture file, never changed after the entry is made
  char* Text;      // the photo's text (lines separated by CR LF or a lone CR), or nullptr
  TDib Thumbnail;  // cached thumbnail, turned by Turn; Bits == nullptr: not made yet
  uint8_t Turn;    // quarter turns clockwise on top of the file's orientation tag, 0..3 (PhotoTurn.h)
  bool Selected;   // part of the grid's selection (PhotoSelection.h); not stored in the album file
  uint8_t Placement;  // KPlaceFill | KPlaceBig | KPlaceFullPage; 0: fitted whole ("Einpassen"), one slot
  // With "Füllen", the point of the picture that stays in view, as its distance from the picture's
  // centre in KFocusSteps of its width and height (so that an all-zero entry has the centre).
  int16_t FocusX;
  int16_t FocusY;
};
static_assert(std::is_trivially_copyable_v<TPicEntry>, "entries are moved and swapped byte by byte");

// The bits of TPicEntry::Placement.
constexpr uint8_t KPlaceFill = 1;      // "Füllen": the picture covers its slot, cut around the focus point
constexpr uint8_t KPlaceBig = 2;       // "Groß": a bigger slot than its neighbours
constexpr uint8_t KPlaceFullPage = 4;  // "Ganze Seite": a page of its own
constexpr uint8_t KPlaceAll = KPlaceFill | KPlaceBig | KPlaceFullPage;
// The focus point's unit: 1 / KFocusSteps of the picture's width or height.
constexpr int32_t KFocusSteps = 10000;

// The focus point in fractions of the picture's width and height (0.5, 0.5 is the centre).
inline double EntryFocusX(const TPicEntry& Entry) { return 0.5 + double(Entry.FocusX) / KFocusSteps; }
inline double EntryFocusY(const TPicEntry& Entry) { return 0.5 + double(Entry.FocusY) / KFocusSteps; }
// Sets the focus point from fractions 0..1 (nearest step; values outside are brought to the edge).
void SetEntryFocus(TPicEntry& Entry, double X, double Y);

// Replaces the entry's file name or text with a copy of Value. Returns false (entry unchanged) when
// memory is short.
bool SetEntryFileName(TPicEntry& Entry, std::string_view Value);
bool SetEntryText(TPicEntry& Entry, std::string_view Value);
// Releases the text and sets it to nullptr.
void ClearEntryText(TPicEntry& Entry);
// Releases file name, text and thumbnail (the thumbnail through deldib, also when never made) and
// leaves the entry all zero.
void ReleaseEntry(TPicEntry& Entry);

// The entry's text as a view; empty for nullptr.
inline std::string_view EntryText(const TPicEntry& Entry) {
  return Entry.Text ? std::string_view(Entry.Text) : std::string_view();
}
inline std::string_view EntryFileName(const TPicEntry& Entry) {
  return Entry.FileName ? std::string_view(Entry.FileName) : std::string_view();
}
