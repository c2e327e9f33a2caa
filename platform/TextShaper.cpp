#include "platform/TextShaper.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb.h>
#include <unicode/ubidi.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <stdexcept>

#include "platform/FontMatch.h"
#include "platform/TextEncoding.h"

namespace {

// Characters that are never drawn on their own: joiners, variation selectors, marks of direction.
// They stay in the face of the text around them, which shapes them away.
bool IsDefaultIgnorable(char32_t C) {
  return (C >= 0x200B && C <= 0x200F) || (C >= 0x202A && C <= 0x202E) || (C >= 0x2060 && C <= 0x206F) ||
         (C >= 0xFE00 && C <= 0xFE0F) || C == 0xFEFF || C == 0x034F || (C >= 0xE0000 && C <= 0xE0FFF);
}

bool IsWeakScript(hb_script_t Script) {
  return Script == HB_SCRIPT_COMMON || Script == HB_SCRIPT_INHERITED || Script == HB_SCRIPT_UNKNOWN;
}

bool IsRightToLeft(char32_t C) {
  if (C < 0x0590) return false;  // nothing before Hebrew is written right to left
  const UCharDirection d = u_charDirection(static_cast<UChar32>(C));
  return d == U_RIGHT_TO_LEFT || d == U_RIGHT_TO_LEFT_ARABIC || d == U_RIGHT_TO_LEFT_EMBEDDING ||
         d == U_RIGHT_TO_LEFT_OVERRIDE || d == U_RIGHT_TO_LEFT_ISOLATE;
}

struct TBidiDeleter {
  void operator()(UBiDi* Bidi) const { ubidi_close(Bidi); }
};

// A visual run of code points [Start, End) of one direction.
struct TDirRun {
  size_t Start, End;
  bool Rtl;
};

// The line's directional runs in visual order. Text without right-to-left characters is one run.
std::vector<TDirRun> VisualRuns(const std::vector<char32_t>& Chars) {
  if (std::none_of(Chars.begin(), Chars.end(), IsRightToLeft)) return {{0, Chars.size(), false}};
  std::vector<UChar> utf16;
  std::vector<size_t> charOf;  // the code point index of each UTF-16 unit
  for (size_t i = 0; i < Chars.size(); ++i) {
    UChar32 c = static_cast<UChar32>(Chars[i]);
    if (c > 0xFFFF) {
      utf16.push_back(static_cast<UChar>(0xD7C0 + (c >> 10)));
      utf16.push_back(static_cast<UChar>(0xDC00 + (c & 0x3FF)));
      charOf.push_back(i);
    } else {
      utf16.push_back(static_cast<UChar>(c));
    }
    charOf.push_back(i);
  }
  charOf.push_back(Chars.size());
  UErrorCode error = U_ZERO_ERROR;
  std::unique_ptr<UBiDi, TBidiDeleter> bidi(ubidi_open());
  if (bidi)
    ubidi_setPara(bidi.get(), utf16.data(), static_cast<int32_t>(utf16.size()), UBIDI_DEFAULT_LTR, nullptr,
                  &error);
  const int32_t count = bidi && U_SUCCESS(error) ? ubidi_countRuns(bidi.get(), &error) : 0;
  if (!bidi || U_FAILURE(error) || count <= 0) return {{0, Chars.size(), false}};
  std::vector<TDirRun> runs;
  for (int32_t i = 0; i < count; ++i) {
    int32_t start = 0, length = 0;
    const UBiDiDirection dir = ubidi_getVisualRun(bidi.get(), i, &start, &length);
    runs.push_back(
        {charOf[static_cast<size_t>(start)], charOf[static_cast<size_t>(start + length)], dir == UBIDI_RTL});
  }
  return runs;
}

}  // namespace

struct TTextShaper::TPrimary {
  std::string Name;
  TFontStyles Style = 0;
  TFontFace* Face = nullptr;
  FcFontSet* Sorted = nullptr;  // fontconfig's fallback order, made at the first missing character
  bool SortedDone = false;
  std::unordered_map<char32_t, TFontFace*> Fallbacks;  // nullptr: no face has the character
  ~TPrimary() {
    if (Sorted) FcFontSetDestroy(Sorted);
  }
};

// A piece of one visual run: one face, one script, bytes [Start, End) of the line.
struct TTextShaper::TItem {
  TFontFace* Face;
  hb_script_t Script;
  bool Rtl;
  uint32_t Start, End;
};

TTextShaper::TTextShaper(FcConfig* Config) : FConfig(Config) {
  if (FT_Init_FreeType(&FLibrary) != 0) throw std::runtime_error("Die Schriftbibliothek startet nicht.");
  FBuffer = hb_buffer_create();
}

TTextShaper::~TTextShaper() {
  FLine.Runs.clear();
  FPrimaries.clear();
  FFaces.clear();  // faces belong to the library: closed first
  FT_Done_FreeType(FLibrary);
  hb_buffer_destroy(FBuffer);
}

TFontFace* TTextShaper::OpenFace(const std::string& Path, int32_t Index) {
  auto [it, added] = FFaces.try_emplace({Path, Index});
  if (added) it->second = TFontFace::Open(FLibrary, Path, Index);
  return it->second.get();
}

TTextShaper::TPrimary& TTextShaper::PrimaryFor(std::string_view Name, TFontStyles Style) {
  Style &= fsBold | fsItalic;
  auto [it, added] = FPrimaries.try_emplace({std::string(Name), Style});
  if (!added) return *it->second;
  it->second = std::make_unique<TPrimary>();
  TPrimary& primary = *it->second;
  primary.Name.assign(Name);
  primary.Style = Style;
  const TFontFile file = MatchFontFile(FConfig, Name, Style);
  if (!file.Path.empty()) primary.Face = OpenFace(file.Path, file.Index);
  // A face that cannot be embedded (a bitmap font, say) gives way to the first fallback that can.
  if (!primary.Face) primary.Face = FaceFor(primary, U'A');
  return primary;
}

TFontFace* TTextShaper::PrimaryFace(std::string_view Name, TFontStyles Style) {
  return PrimaryFor(Name, Style).Face;
}

TFontFace* TTextShaper::FaceFor(TPrimary& Primary, char32_t Char) {
  auto known = Primary.Fallbacks.find(Char);
  if (known != Primary.Fallbacks.end()) return known->second;
  if (!Primary.SortedDone) {
    Primary.SortedDone = true;
    if (FcPattern* pattern = FontPattern(FConfig, Primary.Name, Primary.Style)) {
      FcResult result = FcResultNoMatch;
      Primary.Sorted = FcFontSort(FConfig, pattern, FcTrue, nullptr, &result);
      FcPatternDestroy(pattern);
    }
  }
  TFontFace* found = nullptr;
  for (int i = 0; Primary.Sorted && i < Primary.Sorted->nfont && !found; ++i) {
    FcPattern* font = Primary.Sorted->fonts[i];
    FcBool flag = FcFalse;
    // Bitmap and colour faces draw nothing in most readers once embedded.
    if (FcPatternGetBool(font, FC_OUTLINE, 0, &flag) == FcResultMatch && !flag) continue;
    if (FcPatternGetBool(font, FC_COLOR, 0, &flag) == FcResultMatch && flag) continue;
    FcCharSet* chars = nullptr;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &chars) != FcResultMatch || !FcCharSetHasChar(chars, Char))
      continue;
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file) continue;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    TFontFace* face = OpenFace(reinterpret_cast<const char*>(file), index);
    if (face && face->HasChar(Char)) found = face;
  }
  Primary.Fallbacks.emplace(Char, found);
  return found;
}

const TShapedLine& TTextShaper::Shape(std::string_view Name, TFontStyles Style, std::string_view Text) {
  FLine.Runs.clear();
  FLine.Advance = 0;
  TPrimary& primary = PrimaryFor(Name, Style);
  if (!primary.Face || Text.empty()) return FLine;

  std::vector<char32_t> chars;
  std::vector<uint32_t> offsets;  // byte offset of each character, and the text's length last
  chars.reserve(Text.size());
  for (size_t pos = 0; pos < Text.size();) {
    char32_t c = 0;
    size_t length = DecodeUtf8(Text, pos, c);
    if (length == 0) c = 0xFFFD, length = 1;
    chars.push_back(c);
    offsets.push_back(static_cast<uint32_t>(pos));
    pos += length;
  }
  offsets.push_back(static_cast<uint32_t>(Text.size()));

  hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
  std::vector<TItem> items;
  for (const TDirRun& run : VisualRuns(chars)) {
    items.clear();
    for (size_t i = run.Start; i < run.End; ++i) {
      const char32_t c = chars[i];
      const hb_script_t script = hb_unicode_script(unicode, c);
      TItem* current = items.empty() ? nullptr : &items.back();
      // Spaces, punctuation, digits and marks stay in the face of the text before them when it has them.
      TFontFace* face = nullptr;
      if (current && IsWeakScript(script) && (IsDefaultIgnorable(c) || current->Face->HasChar(c)))
        face = current->Face;
      else if (primary.Face->HasChar(c) || IsDefaultIgnorable(c))
        face = primary.Face;
      else if (!(face = FaceFor(primary, c)))
        face = primary.Face;  // no face has it: the chosen face's missing-glyph box
      const bool sameScript =
          !current || IsWeakScript(script) || IsWeakScript(current->Script) || script == current->Script;
      if (current && current->Face == face && sameScript) {
        current->End = offsets[i + 1];
        if (IsWeakScript(current->Script)) current->Script = script;
      } else {
        items.push_back({face, script, run.Rtl, offsets[i], offsets[i + 1]});
      }
    }
    if (run.Rtl) std::reverse(items.begin(), items.end());
    for (const TItem& item : items) ShapeItem(item, Text);
  }
  return FLine;
}

void TTextShaper::ShapeItem(const TItem& Item, std::string_view Text) {
  hb_buffer_clear_contents(FBuffer);
  // The whole line goes in as context, so that letters join across the item's ends.
  hb_buffer_add_utf8(FBuffer, Text.data(), static_cast<int>(Text.size()), Item.Start,
                     static_cast<int>(Item.End - Item.Start));
  hb_buffer_set_direction(FBuffer, Item.Rtl ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
  hb_buffer_set_script(FBuffer, Item.Script);
  hb_shape(Item.Face->HbFont(), FBuffer, nullptr, 0);

  unsigned count = 0;
  const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(FBuffer, &count);
  const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(FBuffer, nullptr);
  // Each cluster's text reaches to the next cluster in logical order.
  std::vector<uint32_t> starts;
  for (unsigned i = 0; i < count; ++i) starts.push_back(infos[i].cluster);
  std::sort(starts.begin(), starts.end());
  starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
  std::vector<bool> given(starts.size(), false);

  TShapedRun& run = FLine.Runs.emplace_back();
  run.Face = Item.Face;
  run.Glyphs.reserve(count);
  for (unsigned i = 0; i < count; ++i) {
    TShapedGlyph glyph;
    glyph.Glyph = infos[i].codepoint;
    glyph.Advance = positions[i].x_advance;
    glyph.OffsetX = positions[i].x_offset;
    glyph.OffsetY = positions[i].y_offset;
    const size_t k = static_cast<size_t>(std::lower_bound(starts.begin(), starts.end(), infos[i].cluster) -
                                         starts.begin());
    if (!given[k]) {
      given[k] = true;
      glyph.TextStart = starts[k];
      glyph.TextEnd = k + 1 < starts.size() ? starts[k + 1] : Item.End;
    }
    FLine.Advance += glyph.Advance;
    run.Glyphs.push_back(glyph);
  }
}
