#pragma once
// TTextShaper: lays out one line of UTF-8 text in any script the way the PDF writer draws it.
//
// The line is split into directional runs (the Unicode bidirectional algorithm, ICU), each run into
// pieces of one script and one face, and each piece is shaped with HarfBuzz, so that combining marks,
// ligatures, joining scripts and right-to-left text come out as the font means them. Faces are chosen
// per grapheme cluster (a letter with its marks, ICU's character boundaries), so that a mark is never
// torn from its letter: the face is the one fontconfig gives for the name and style when it has every
// character of the cluster, else the first face in fontconfig's fallback order that has them all. A
// cluster that Unicode composes into fewer characters (NFC: "e" and U+0301 into "é") is shaped
// composed wherever the face has the composed characters. A cluster no installed face has whole
// goes to the face of its first character. A cluster whose first character no face has at all is
// drawn as one replacement character (U+FFFD) from a face that has it, or as a question mark, never as
// a missing-glyph box, and its characters are listed in Missing; a control character (tab, line
// feed, ...) is drawn as a space. Either keeps its own bytes, so a reader gives the text back.
//
// Results are in visual order, left to right, with positions in shape units (1/65536 em, FontFace.h).
// Each glyph names the bytes of the line it stands for, so that a reader can give the text back, and
// the cluster it belongs to: a cluster of several glyphs gives its text back only as a whole.
//
// Faces are opened once and kept for the shaper's life; a shaper is for one thread at a time. Shape
// never fails: malformed UTF-8 is shaped as U+FFFD, and when no face at all can be opened the line has
// no runs and no width.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/FontFace.h"
#include "platform/FontMetrics.h"

typedef struct _FcConfig FcConfig;
typedef struct _FcFontSet FcFontSet;
typedef struct hb_buffer_t hb_buffer_t;
typedef struct UBreakIterator UBreakIterator;

struct TShapedGlyph {
  uint32_t Glyph = 0;
  int32_t Advance = 0;  // shape units
  int32_t OffsetX = 0, OffsetY = 0;
  // The bytes of the line this glyph shows: its cluster for the first glyph of a cluster met from the
  // left, empty (TextStart == TextEnd) for the cluster's other glyphs.
  uint32_t TextStart = 0, TextEnd = 0;
  // The bytes of the line of the whole cluster, the same for each of its glyphs (which follow each
  // other in the run). A cluster reaches from its first character to the next cluster's in logical
  // order; its glyphs may stand in any order, a vowel sign drawn before its consonant, say.
  uint32_t ClusterStart = 0, ClusterEnd = 0;
};

struct TShapedRun {
  TFontFace* Face = nullptr;
  std::vector<TShapedGlyph> Glyphs;  // visual order
  bool Rtl = false;                  // a right-to-left run: its clusters stand right to left
};

struct TShapedLine {
  std::vector<TShapedRun> Runs;  // visual order
  int64_t Advance = 0;           // the line's width, shape units
  // The characters no installed face has, in logical order, each drawn as a substitute (below).
  std::u32string Missing;
};

class TTextShaper {
 public:
  // Config is fontconfig's configuration, which must outlive the shaper.
  explicit TTextShaper(FcConfig* Config);
  ~TTextShaper();
  TTextShaper(const TTextShaper&) = delete;
  TTextShaper& operator=(const TTextShaper&) = delete;

  // Shapes Text in the face for Name (UTF-8) and Style (fsBold and fsItalic choose the face). The
  // result stays valid until the next call.
  const TShapedLine& Shape(std::string_view Name, TFontStyles Style, std::string_view Text);
  // The face fontconfig gives for Name and Style, the one a text in that font starts in; nullptr when
  // no face can be opened. Kept for the shaper's life.
  TFontFace* PrimaryFace(std::string_view Name, TFontStyles Style);

 private:
  struct TPrimary;
  struct TItem;
  TPrimary& PrimaryFor(std::string_view Name, TFontStyles Style);
  // The first face in the fallback order that has every character of Chars; nullptr when none has.
  TFontFace* FaceFor(TPrimary& Primary, std::u32string_view Chars);
  TFontFace* OpenFace(const std::string& Path, int32_t Index);
  // Shapes bytes [Item.Start, Item.End) of the shaping text FShaping (the line with its composed
  // clusters), naming the line's own bytes through FOrigin.
  void ShapeItem(const TItem& Item);

  FcConfig* FConfig;
  FT_Library FLibrary = nullptr;
  std::map<std::pair<std::string, int32_t>, std::unique_ptr<TFontFace>> FFaces;  // nullptr: unusable
  std::map<std::pair<std::string, TFontStyles>, std::unique_ptr<TPrimary>> FPrimaries;
  hb_buffer_t* FBuffer = nullptr;
  UBreakIterator* FGraphemes = nullptr;  // nullptr: every character is a cluster of its own
  std::string FShaping;                  // the line as it is shaped, clusters composed
  std::vector<uint32_t> FOrigin;         // for each byte of FShaping, and its end, the line's byte
  TShapedLine FLine;
};
