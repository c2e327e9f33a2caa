#pragma once
// TTextShaper: lays out one line of UTF-8 text in any script the way the PDF writer draws it.
//
// The line is split into directional runs (the Unicode bidirectional algorithm, ICU), each run into
// pieces of one script and one face, and each piece is shaped with HarfBuzz, so that combining marks,
// ligatures, joining scripts and right-to-left text come out as the font means them. The face is the
// one fontconfig gives for the name and style; a character that face lacks is taken from the first
// face in fontconfig's fallback order that has it, and a character no installed face has stays in the
// chosen face, which draws its missing-glyph box.
//
// Results are in visual order, left to right, with positions in shape units (1/65536 em, FontFace.h).
// Each glyph names the bytes of the line it stands for, so that a reader can give the text back.
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

struct TShapedGlyph {
  uint32_t Glyph = 0;
  int32_t Advance = 0;  // shape units
  int32_t OffsetX = 0, OffsetY = 0;
  // The bytes of the line this glyph shows: its cluster for the first glyph of a cluster met from the
  // left, empty (TextStart == TextEnd) for the cluster's other glyphs.
  uint32_t TextStart = 0, TextEnd = 0;
};

struct TShapedRun {
  TFontFace* Face = nullptr;
  std::vector<TShapedGlyph> Glyphs;  // visual order
};

struct TShapedLine {
  std::vector<TShapedRun> Runs;  // visual order
  int64_t Advance = 0;           // the line's width, shape units
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
  TFontFace* FaceFor(TPrimary& Primary, char32_t Char);
  TFontFace* OpenFace(const std::string& Path, int32_t Index);
  void ShapeItem(const TItem& Item, std::string_view Text);

  FcConfig* FConfig;
  FT_Library FLibrary = nullptr;
  std::map<std::pair<std::string, int32_t>, std::unique_ptr<TFontFace>> FFaces;  // nullptr: unusable
  std::map<std::pair<std::string, TFontStyles>, std::unique_ptr<TPrimary>> FPrimaries;
  hb_buffer_t* FBuffer = nullptr;
  TShapedLine FLine;
};
