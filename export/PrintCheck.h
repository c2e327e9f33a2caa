#pragma once
// The print check: what a print shop would find wrong with the album's PDF, found without writing it.
//
// The album is laid out exactly as the export lays it out (PageLayout.h: the same settings snapshot,
// fonts, measures, cells and bleed), with every photo known by its file's header and the readability
// verdict the export and the preview go by (PhotoReadability), which decodes a photo once and then
// remembers it while the file stays the same, so that checking an album again takes a fraction of a
// second. For each photo it finds:
// - its effective resolution where it is placed: the pixels the PDF keeps along the picture's shorter
//   side (all of them, or as many as the resolution limit leaves; a 1-bit picture keeps all) per inch
//   of the box a reader shows it in. Placed several times, the lowest counts. Below KTooLowPpi it is
//   "zu gering", below KLowPpi "knapp";
// - that its cell leaves it no picture area (NoRoomMessage), so that the export refuses to write it;
// - that it is missing or unreadable (its header, or its picture's coded data, cannot be read);
// - that its text sticks out of its cell: a line wider than the cell (lines are wrapped in the
//   user-interface font and printed in the text font), lines reaching below the cell, or past the
//   page's trim edge;
// - with bleed, that its picture lies within KNearTrimMm of a trim edge without touching it, so that
//   a cut off by a little would show a sliver of background or cut into the picture.
// Besides: a heading wider than the page; settings no PDF can be written with (PrintSettingsError);
// with PDF/A or embedded fonts, every face the texts would be written in whose licence forbids
// embedding it; every character of a text written in an embedded font that no installed font has,
// which the PDF shows as a substitute (TTextShaper).
//
// The check passes when no photo is "zu gering", missing, unreadable or without room and the settings
// can be written; the rest are notes. It runs on any thread with font metrics of its own, and stops early
// (with what it found so far, not Complete) when Cancel is set.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "album/LayoutSettings.h"
#include "export/AlbumExport.h"

class TFontMetrics;

constexpr double KTooLowPpi = 150;
constexpr double KLowPpi = 200;
constexpr double KNearTrimMm = 3;

enum class TPhotoState { Ok, Missing, Unreadable };
enum class TResolution { Good, Low, TooLow, None };  // None: not placed, or missing

struct TPhotoCheck {
  std::string FileName;
  TPhotoState State = TPhotoState::Ok;
  int32_t Width = 0, Height = 0;  // upright pixels as the header says, after the photo's turn
  double Ppi = 0;                 // the lowest effective resolution of its places; 0 when not placed
  int32_t Page = 0;               // the page of that place (from 1); 0 when not placed
  TResolution Rating = TResolution::None;
};

enum class TFindingKind {
  Settings, TooLow, Low, Missing, Unreadable, NoRoom, TextCut, HeadingCut, NearTrim, FontLicence, MissingGlyph
};

struct TPrintFinding {
  TFindingKind Kind;
  bool Serious = false;  // fails the check
  size_t Photo = 0;      // from 1; 0 when it concerns no photo
  int32_t Page = 0;      // from 1; 0 when it concerns no page
  std::string Text;      // German, one line: "Foto 3 (strand.jpg), Seite 1: 142 ppi, zu gering"
};

struct TPrintCheck {
  bool Complete = false;  // false when it was cancelled
  int32_t Pages = 0;
  std::vector<TPhotoCheck> Photos;    // in album order
  std::vector<TPrintFinding> Findings;  // serious ones first, then by photo
  bool Passed() const;
  // One German line: "Druckprüfung bestanden: 40 Fotos, 2 Hinweise." or "Druckprüfung nicht
  // bestanden: 2 Fotos mit zu geringer Auflösung, 1 Foto fehlt oder ist nicht lesbar; 1 Hinweis."
  std::string Summary() const;
};

struct TPrintCheckOptions {
  std::shared_ptr<TFontMetrics> Metrics;      // nullptr: system fonts of the check's own
  const std::atomic<bool>* Cancel = nullptr;  // looked at between photos
};

TPrintCheck CheckPrint(const std::vector<TExportPhoto>& Photos, const TLayoutSettings& Settings,
                       const TPrintCheckOptions& Options = {});
