#include "platform/FreeTypeFonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/FontMatch.h"
#include "platform/TextEncoding.h"
#include "platform/TextShaper.h"

namespace {

struct TLibraryDeleter {
  void operator()(FT_Library Library) const { FT_Done_FreeType(Library); }
};
struct TFaceDeleter {
  void operator()(FT_Face Face) const { FT_Done_Face(Face); }
};
struct TConfigDeleter {
  void operator()(FcConfig* Config) const { FcConfigDestroy(Config); }
};
using TLibraryPtr = std::unique_ptr<FT_LibraryRec_, TLibraryDeleter>;
using TFacePtr = std::unique_ptr<FT_FaceRec_, TFaceDeleter>;
using TConfigPtr = std::unique_ptr<FcConfig, TConfigDeleter>;

// 26.6 fixed point to whole pixels.
int32_t Floor26(FT_Pos V) { return static_cast<int32_t>((V & ~FT_Pos(63)) / 64); }
int32_t Ceil26(FT_Pos V) { return Floor26(V + 63); }
int32_t Round26(FT_Pos V) { return Floor26(V + 32); }

constexpr int32_t MaxPixelSize = 0xFFFF;  // FreeType's limit for a requested size

// One em height of one face: the active size's vertical metrics and the advances measured so far.
struct TSized {
  int32_t Pixels = 0;
  FT_Pos Ascender = 0, Descender = 0;  // 26.6, from the size metrics
  std::array<int32_t, 256> Advances;   // whole pixels; -1 until measured
};

struct TFace {
  std::string Name;
  TFontStyles Style = 0;
  TFacePtr Face;                     // nullptr when no face could be opened
  std::array<FT_UInt, 256> Glyph{};  // glyph index of each Windows-1252 code
  std::vector<TSized> Sizes;         // few: one per em height the writer asked for
  int32_t ActivePixels = 0;          // the size FreeType currently has set on Face
};

}  // namespace

struct TFreeTypeFonts::TImpl {
  TLibraryPtr Library;
  TConfigPtr Config;
  std::vector<std::unique_ptr<TFace>> Faces;
  TFace* Current = nullptr;
  TSized* Size = nullptr;
  std::unique_ptr<TTextShaper> Shaper;  // made at the first text that needs it

  TFace* FindOrOpen(std::string_view Name, TFontStyles Style);
  void OpenFace(TFace& Entry);
  TSized* SizeOf(TFace& Entry, int32_t Pixels);
  bool Activate();
  int32_t Advance(unsigned char Code);
};

TFace* TFreeTypeFonts::TImpl::FindOrOpen(std::string_view Name, TFontStyles Style) {
  Style &= fsBold | fsItalic;
  for (auto& face : Faces)
    if (face->Style == Style && face->Name == Name) return face.get();
  auto entry = std::make_unique<TFace>();
  entry->Name.assign(Name);
  entry->Style = Style;
  OpenFace(*entry);
  Faces.push_back(std::move(entry));
  return Faces.back().get();
}

void TFreeTypeFonts::TImpl::OpenFace(TFace& Entry) {
  const TFontFile file = MatchFontFile(Config.get(), Entry.Name, Entry.Style);
  if (file.Path.empty()) return;

  FT_Face face = nullptr;
  if (FT_New_Face(Library.get(), file.Path.c_str(), file.Index, &face) != 0) return;
  Entry.Face.reset(face);

  // Codes are looked up through Unicode; a symbol font without a Unicode map keeps its glyphs at
  // 0xF000 + code in the Microsoft symbol map.
  bool symbol = FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0 &&
                FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL) == 0;
  for (int code = 0; code < 256; ++code) {
    FT_ULong ch = symbol ? 0xF000 + code : Cp1252ToUnicode(static_cast<unsigned char>(code));
    Entry.Glyph[code] = FT_Get_Char_Index(face, ch);
    if (symbol && Entry.Glyph[code] == 0) Entry.Glyph[code] = FT_Get_Char_Index(face, code);
  }
}

TSized* TFreeTypeFonts::TImpl::SizeOf(TFace& Entry, int32_t Pixels) {
  for (auto& sized : Entry.Sizes)
    if (sized.Pixels == Pixels) return &sized;
  TSized sized;
  sized.Pixels = Pixels;
  sized.Advances.fill(-1);
  Entry.Sizes.push_back(sized);
  return &Entry.Sizes.back();
}

// Sets the selected size on the selected face, when another size was set on it meanwhile. Returns
// false when there is nothing to measure with.
bool TFreeTypeFonts::TImpl::Activate() {
  if (!Current || !Current->Face || !Size) return false;
  FT_Face face = Current->Face.get();
  if (Current->ActivePixels == Size->Pixels) return true;
  if (FT_IS_SCALABLE(face)) {
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(Size->Pixels)) != 0) return false;
  } else {
    // A bitmap face has fixed strikes: take the one nearest to the asked em height.
    if (face->num_fixed_sizes <= 0) return false;
    int best = 0;
    for (int i = 1; i < face->num_fixed_sizes; ++i)
      if (std::abs(face->available_sizes[i].height - Size->Pixels) <
          std::abs(face->available_sizes[best].height - Size->Pixels))
        best = i;
    if (FT_Select_Size(face, best) != 0) return false;
  }
  Current->ActivePixels = Size->Pixels;
  Size->Ascender = face->size->metrics.ascender;
  Size->Descender = face->size->metrics.descender;
  return true;
}

int32_t TFreeTypeFonts::TImpl::Advance(unsigned char Code) {
  int32_t& cached = Size->Advances[Code];
  if (cached >= 0) return cached;
  FT_Face face = Current->Face.get();
  cached = 0;
  if (FT_Load_Glyph(face, Current->Glyph[Code], FT_LOAD_DEFAULT) == 0)
    cached = std::max(0, Round26(face->glyph->advance.x));
  return cached;
}

TFreeTypeFonts::TFreeTypeFonts() : FImpl(std::make_unique<TImpl>()) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) throw std::runtime_error("Die Schriftbibliothek startet nicht.");
  FImpl->Library.reset(library);
  FImpl->Config.reset(FcInitLoadConfigAndFonts());
  if (!FImpl->Config) throw std::runtime_error("Die Schriftenliste des Systems ist nicht lesbar.");
}

TFreeTypeFonts::~TFreeTypeFonts() {
  // Faces belong to the library: close them first; the shaper uses the font configuration.
  if (FImpl) {
    FImpl->Shaper.reset();
    FImpl->Faces.clear();
  }
}

TTextShaper* TFreeTypeFonts::Shaper() {
  if (!FImpl->Shaper) FImpl->Shaper = std::make_unique<TTextShaper>(FImpl->Config.get());
  return FImpl->Shaper.get();
}

void TFreeTypeFonts::SelectFont(std::string_view Name, TFontStyles Style, int32_t PixelSize) {
  int64_t pixels = PixelSize < 0 ? -static_cast<int64_t>(PixelSize) : PixelSize;
  pixels = std::clamp<int64_t>(pixels, 1, MaxPixelSize);
  TImpl& m = *FImpl;
  TFontStyles faceStyle = Style & (fsBold | fsItalic);
  if (!m.Current || m.Current->Style != faceStyle || m.Current->Name != Name)
    m.Current = m.FindOrOpen(Name, faceStyle);
  m.Size = m.SizeOf(*m.Current, static_cast<int32_t>(pixels));
}

int32_t TFreeTypeFonts::LineHeight() {
  if (!FImpl->Activate()) return 0;
  return Ceil26(FImpl->Size->Ascender) - Floor26(FImpl->Size->Descender);
}

TTextExtent TFreeTypeFonts::TextExtent(std::string_view Cp1252Text) {
  if (!FImpl->Activate()) return {0, 0};
  int64_t width = 0;
  for (char c : Cp1252Text) width += FImpl->Advance(static_cast<unsigned char>(c));
  return {static_cast<int32_t>(std::min<int64_t>(width, INT32_MAX)), LineHeight()};
}

bool TFreeTypeFonts::OutlineMetrics(TOutlineMetrics& Out) {
  TImpl& m = *FImpl;
  if (!m.Activate() || !FT_IS_SCALABLE(m.Current->Face.get())) return false;
  FT_Face face = m.Current->Face.get();
  FT_Fixed xScale = face->size->metrics.x_scale, yScale = face->size->metrics.y_scale;
  // The box is widened to whole pixels so that it still encloses every glyph.
  Out.BoxLeft = Floor26(FT_MulFix(face->bbox.xMin, xScale));
  Out.BoxBottom = Floor26(FT_MulFix(face->bbox.yMin, yScale));
  Out.BoxRight = Ceil26(FT_MulFix(face->bbox.xMax, xScale));
  Out.BoxTop = Ceil26(FT_MulFix(face->bbox.yMax, yScale));

  FT_Short ascent = face->ascender, descent = face->descender;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF) {
    ascent = os2->sTypoAscender;
    descent = os2->sTypoDescender;
  }
  Out.Ascent = Round26(FT_MulFix(ascent, yScale));
  Out.Descent = Round26(FT_MulFix(descent, yScale));

  Out.ItalicAngle = 0;
  if (auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST))) {
    FT_Fixed angle = post->italicAngle;  // 16.16 degrees
    Out.ItalicAngle = static_cast<int32_t>((angle + (angle < 0 ? -0x8000 : 0x8000)) / 0x10000);
  }

  // The codes from 32 on that the face covers; a face covering none still declares 32 to 255.
  Out.FirstChar = 32;
  Out.LastChar = 255;
  int first = -1, last = -1;
  for (int code = 32; code < 256; ++code)
    if (m.Current->Glyph[code] != 0) {
      if (first < 0) first = code;
      last = code;
    }
  if (first >= 0) {
    Out.FirstChar = first;
    Out.LastChar = last;
  }
  return true;
}

TPlainMetrics TFreeTypeFonts::PlainMetrics() {
  TPlainMetrics plain{0, 0, 0, 0, 32, 255};
  TImpl& m = *FImpl;
  if (!m.Activate()) return plain;
  FT_Face face = m.Current->Face.get();
  plain.Ascent = Ceil26(m.Size->Ascender);
  plain.Descent = -Floor26(m.Size->Descender);
  plain.Height = plain.Ascent + plain.Descent;
  plain.MaxCharWidth = Ceil26(face->size->metrics.max_advance);
  return plain;
}

std::shared_ptr<TFontMetrics> SharedFontMetrics() {
  static std::shared_ptr<TFontMetrics> shared = std::make_shared<TFreeTypeFonts>();
  return shared;
}
