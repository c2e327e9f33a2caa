#pragma once
// TFontFace: one face of a font file, opened for shaping (HarfBuzz) and for embedding into a PDF:
// its metrics for a font descriptor, the CIDs of its glyphs, and subsets of it holding only the glyphs
// a document uses.
//
// Units: advances and positions from a face are in shape units, 1/65536 of an em, whatever the font's
// own units per em, so that runs in different faces add up; descriptor values are in 1/1000 em.
//
// A face is opened from the file once and kept by its owner (TTextShaper) for the owner's life. Open
// returns nullptr for a file that cannot be read or has no outlines to embed (bitmap-only faces, CFF2);
// nothing else fails except Subset, which returns false.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct hb_face_t hb_face_t;
typedef struct hb_font_t hb_font_t;
typedef struct FT_LibraryRec_* FT_Library;

constexpr int32_t KShapeUnitsPerEm = 65536;

// What a PDF font descriptor says about a face, in 1/1000 em.
struct TFaceDescription {
  std::string PostScriptName;  // from the name table, or made from the family name; never empty
  int32_t BoxLeft = 0, BoxBottom = 0, BoxRight = 0, BoxTop = 0;
  int32_t Ascent = 0, Descent = 0, CapHeight = 0;  // Descent below 0
  int32_t ItalicAngle = 0;                         // degrees, counter-clockwise (italics < 0)
  int32_t StemV = 0;
  bool FixedPitch = false, Serif = false, Italic = false, Bold = false;
};

// A subset: the font program a PDF embeds (a whole TrueType font, or the bare compact font data of a
// CFF font) and the subset's glyph index for each glyph asked for, in the order asked.
struct TFontSubset {
  std::string Program;
  std::vector<uint32_t> NewGlyphs;
};

class TFontFace {
 public:
  static std::unique_ptr<TFontFace> Open(FT_Library Library, const std::string& Path, int32_t Index);
  ~TFontFace();
  TFontFace(const TFontFace&) = delete;
  TFontFace& operator=(const TFontFace&) = delete;

  const std::string& Path() const { return FPath; }
  int32_t Index() const { return FIndex; }
  hb_font_t* HbFont() const { return FFont; }
  // True when the face maps the character to a glyph of its own.
  bool HasChar(char32_t Char) const { return GlyphOf(Char) != 0; }
  // The face's glyph for the character, through its character map (a symbol font's too); 0 for none.
  uint32_t GlyphOf(char32_t Char) const;
  // The face opened in FreeType, for drawing its glyphs' outlines; it belongs to this object and is for
  // the owner's thread only.
  struct FT_FaceRec_* FreeTypeFace() const { return FFtFace; }
  // The glyph's advance in shape units, as the PDF's widths declare it.
  int32_t Advance(uint32_t Glyph) const;
  // Outlines in compact font format (embedded as CIDFontType0) rather than TrueType (CIDFontType2).
  bool IsCff() const { return FCff; }
  // For a CFF face keyed by CID, the glyph's CID, which a subset keeps; for any other face the glyph
  // index itself (whose subset keeps the glyph indices).
  uint32_t CidOf(uint32_t Glyph) const;
  TFaceDescription Describe() const;
  // The face's family and style as a person names it ("DejaVu Sans Bold").
  std::string DisplayName() const;
  // True when the font's licence bits (the OS/2 table's fsType) forbid embedding it as we embed fonts:
  // restricted licence embedding, no subsetting, or bitmaps only.
  bool ForbidsEmbedding() const;
  // The subset holding .notdef and Glyphs (indices of this face). False when the subsetter fails.
  bool Subset(const std::vector<uint32_t>& Glyphs, TFontSubset& Out) const;

 private:
  TFontFace() = default;

  std::string FPath;
  int32_t FIndex = 0;
  hb_face_t* FFace = nullptr;
  hb_font_t* FFont = nullptr;
  struct FT_FaceRec_* FFtFace = nullptr;  // for the descriptor's tables and the CIDs
  bool FCff = false;
  bool FCidKeyed = false;
};
