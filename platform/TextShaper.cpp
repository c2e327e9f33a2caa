#include "platform/TextShaper.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb.h>
#include <unicode/ubidi.h>
#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>

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

// Code points as UTF-16 for ICU, with the code point index of each unit and the count of code
// points last.
struct TUtf16 {
  std::vector<UChar> Units;
  std::vector<size_t> CharOf;
};

TUtf16 ToUtf16(std::u32string_view Chars) {
  TUtf16 out;
  for (size_t i = 0; i < Chars.size(); ++i) {
    UChar32 c = static_cast<UChar32>(Chars[i]);
    if (c > 0xFFFF) {
      out.Units.push_back(static_cast<UChar>(0xD7C0 + (c >> 10)));
      out.Units.push_back(static_cast<UChar>(0xDC00 + (c & 0x3FF)));
      out.CharOf.push_back(i);
    } else {
      out.Units.push_back(static_cast<UChar>(c));
    }
    out.CharOf.push_back(i);
  }
  out.CharOf.push_back(Chars.size());
  return out;
}

// The line's directional runs in visual order. Text without right-to-left characters is one run.
std::vector<TDirRun> VisualRuns(const std::vector<char32_t>& Chars, const TUtf16& Utf16) {
  if (std::none_of(Chars.begin(), Chars.end(), IsRightToLeft)) return {{0, Chars.size(), false}};
  const std::vector<UChar>& utf16 = Utf16.Units;
  const std::vector<size_t>& charOf = Utf16.CharOf;
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

// The code point index at which each grapheme cluster of the line starts, and the count last.
std::vector<size_t> GraphemeStarts(UBreakIterator* Graphemes, const TUtf16& Utf16) {
  const size_t count = Utf16.CharOf.back();
  std::vector<size_t> starts;
  UErrorCode error = U_ZERO_ERROR;
  if (Graphemes && !Utf16.Units.empty())
    ubrk_setText(Graphemes, Utf16.Units.data(), static_cast<int32_t>(Utf16.Units.size()), &error);
  if (!Graphemes || Utf16.Units.empty() || U_FAILURE(error)) {
    for (size_t i = 0; i <= count; ++i) starts.push_back(i);
    return starts;
  }
  for (int32_t b = ubrk_first(Graphemes); b != UBRK_DONE; b = ubrk_next(Graphemes)) {
    const size_t c = Utf16.CharOf[static_cast<size_t>(b)];
    if (starts.empty() || c > starts.back()) starts.push_back(c);
  }
  if (starts.empty() || starts.front() != 0) starts.insert(starts.begin(), 0);
  if (starts.back() != count) starts.push_back(count);
  return starts;
}

// Chars composed (NFC) when that makes them fewer code points ("e" and U+0301 become "é"); empty
// otherwise, also where composing would only swap one character for another.
std::u32string Composed(std::u32string_view Chars) {
  if (Chars.size() < 2) return {};
  UErrorCode error = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&error);
  if (U_FAILURE(error)) return {};
  const TUtf16 in = ToUtf16(Chars);
  std::vector<UChar> out(in.Units.size() + 8);
  const int32_t length = unorm2_normalize(nfc, in.Units.data(), static_cast<int32_t>(in.Units.size()),
                                          out.data(), static_cast<int32_t>(out.size()), &error);
  if (U_FAILURE(error)) return {};
  std::u32string composed;
  for (int32_t i = 0; i < length; ++i) {
    char32_t c = out[static_cast<size_t>(i)];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length)
      c = 0x10000 + ((c - 0xD800) << 10) + (out[static_cast<size_t>(++i)] - 0xDC00);
    composed += c;
  }
  return composed.size() < Chars.size() ? composed : std::u32string();
}

// C0 and C1 control characters and DEL: no face has a glyph for them.
bool IsControl(char32_t C) { return C < 0x20 || (C >= 0x7F && C <= 0x9F); }

// True when Face draws every character of Chars that is drawn at all.
bool Covers(const TFontFace* Face, std::u32string_view Chars) {
  if (!Face) return false;
  for (char32_t c : Chars)
    if (!IsDefaultIgnorable(c) && !Face->HasChar(c)) return false;
  return true;
}

}  // namespace

struct TTextShaper::TPrimary {
  std::string Name;
  TFontStyles Style = 0;
  TFontFace* Face = nullptr;
  FcFontSet* Sorted = nullptr;  // fontconfig's fallback order, made at the first missing character
  bool SortedDone = false;
  std::unordered_map<std::u32string, TFontFace*> Fallbacks;  // nullptr: no face has them all
  ~TPrimary() {
    if (Sorted) FcFontSetDestroy(Sorted);
  }
};

// A piece of one visual run: one face, one script, bytes [Start, End) of the shaping text.
struct TTextShaper::TItem {
  TFontFace* Face;
  hb_script_t Script;
  bool Rtl;
  uint32_t Start, End;
};

TTextShaper::TTextShaper(FcConfig* Config) : FConfig(Config) {
  if (FT_Init_FreeType(&FLibrary) != 0) throw std::runtime_error("Die Schriftbibliothek startet nicht.");
  FBuffer = hb_buffer_create();
  UErrorCode error = U_ZERO_ERROR;
  FGraphemes = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &error);
  if (U_FAILURE(error)) FGraphemes = nullptr;
}

TTextShaper::~TTextShaper() {
  FLine.Runs.clear();
  FPrimaries.clear();
  FFaces.clear();  // faces belong to the library: closed first
  FT_Done_FreeType(FLibrary);
  hb_buffer_destroy(FBuffer);
  if (FGraphemes) ubrk_close(FGraphemes);
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
  if (!primary.Face) primary.Face = FaceFor(primary, U"A");
  return primary;
}

TFontFace* TTextShaper::PrimaryFace(std::string_view Name, TFontStyles Style) {
  return PrimaryFor(Name, Style).Face;
}

TFontFace* TTextShaper::FaceFor(TPrimary& Primary, std::u32string_view Chars) {
  const std::u32string key(Chars);
  auto known = Primary.Fallbacks.find(key);
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
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &chars) != FcResultMatch ||
        !std::all_of(Chars.begin(), Chars.end(),
                     [chars](char32_t C) { return IsDefaultIgnorable(C) || FcCharSetHasChar(chars, C); }))
      continue;
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file) continue;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    TFontFace* face = OpenFace(reinterpret_cast<const char*>(file), index);
    if (Covers(face, Chars)) found = face;
  }
  Primary.Fallbacks.emplace(key, found);
  return found;
}

const TShapedLine& TTextShaper::Shape(std::string_view Name, TFontStyles Style, std::string_view Text) {
  FLine.Runs.clear();
  FLine.Missing.clear();
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

  const TUtf16 utf16 = ToUtf16(std::u32string_view(chars.data(), chars.size()));
  const std::vector<TDirRun> runs = VisualRuns(chars, utf16);
  std::vector<size_t> runOf(chars.size());
  for (size_t r = 0; r < runs.size(); ++r)
    for (size_t i = runs[r].Start; i < runs[r].End; ++i) runOf[i] = r;

  // Each grapheme cluster, in logical order, gets its face and its bytes in the shaping text: its own
  // characters, or composed. Spaces, punctuation, digits and marks on their own stay in the face of
  // the cluster before them in the same run when it has them.
  struct TCluster {
    size_t Run;
    TFontFace* Face;
    hb_script_t Script;
    uint32_t Start, End;  // in FShaping
  };
  std::vector<TCluster> clusters;
  FShaping.clear();
  FOrigin.clear();
  hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
  const std::vector<size_t> starts = GraphemeStarts(FGraphemes, utf16);
  for (size_t g = 0; g + 1 < starts.size(); ++g) {
    const size_t first = starts[g], end = starts[g + 1];
    const std::u32string_view original(chars.data() + first, end - first);
    const std::u32string composed = Composed(original);
    hb_script_t script = HB_SCRIPT_COMMON;
    for (char32_t c : original) {
      const hb_script_t own = hb_unicode_script(unicode, c);
      if (!IsWeakScript(own)) {
        script = own;
        break;
      }
    }
    const TCluster* before =
        clusters.empty() || clusters.back().Run != runOf[first] ? nullptr : &clusters.back();
    TFontFace* face = nullptr;
    bool compose = false;
    const auto take = [&](TFontFace* Candidate) {
      if (!composed.empty() && Covers(Candidate, composed))
        compose = true;
      else if (!Covers(Candidate, original))
        return false;
      face = Candidate;
      return true;
    };
    // Control characters draw nothing in any face: a cluster of them (CR LF is one) is shaped as a space.
    const bool control = std::all_of(original.begin(), original.end(), IsControl);
    char32_t substitute = 0;
    if (control) {
      substitute = U' ';
      face = before && Covers(before->Face, U" ") ? before->Face : primary.Face;
    } else if (!(before && IsWeakScript(script) && take(before->Face)) && !take(primary.Face) &&
               !(!composed.empty() && take(FaceFor(primary, composed))) && !take(FaceFor(primary, original))) {
      // No face has the whole cluster: the face of its first character. A first character no face
      // has at all is drawn as the replacement character from a face that has one (a question mark
      // when none has), never as a face's missing-glyph box; the cluster keeps its own bytes, so
      // that a reader gives its text back.
      const char32_t lead = original.front();
      face = primary.Face->HasChar(lead) ? primary.Face : FaceFor(primary, std::u32string_view(&lead, 1));
      if (!face) {
        for (char32_t c : original)
          if (!IsDefaultIgnorable(c) && !primary.Face->HasChar(c) && !FaceFor(primary, std::u32string_view(&c, 1)))
            FLine.Missing.push_back(c);
        substitute = U'\uFFFD';
        face = primary.Face->HasChar(substitute) ? primary.Face : FaceFor(primary, U"\uFFFD");
        if (!face) substitute = U'?', face = primary.Face;
      }
    }
    const uint32_t start = static_cast<uint32_t>(FShaping.size());
    if (substitute != 0) {
      AppendUtf8(FShaping, substitute);
      FOrigin.resize(FShaping.size(), offsets[first]);
    } else if (compose) {
      for (char32_t c : composed) AppendUtf8(FShaping, c);
      FOrigin.resize(FShaping.size(), offsets[first]);
    } else {
      for (size_t i = first; i < end; ++i) {
        AppendUtf8(FShaping, chars[i]);
        FOrigin.resize(FShaping.size(), offsets[i]);
      }
    }
    clusters.push_back({runOf[first], face, script, start, static_cast<uint32_t>(FShaping.size())});
  }
  FOrigin.push_back(static_cast<uint32_t>(Text.size()));

  std::vector<TItem> items;
  for (size_t r = 0; r < runs.size(); ++r) {
    items.clear();
    for (const TCluster& cluster : clusters) {
      if (cluster.Run != r) continue;
      TItem* current = items.empty() ? nullptr : &items.back();
      const bool sameScript = !current || IsWeakScript(cluster.Script) || IsWeakScript(current->Script) ||
                              cluster.Script == current->Script;
      if (current && current->Face == cluster.Face && sameScript) {
        current->End = cluster.End;
        if (IsWeakScript(current->Script)) current->Script = cluster.Script;
      } else {
        items.push_back({cluster.Face, cluster.Script, runs[r].Rtl, cluster.Start, cluster.End});
      }
    }
    if (runs[r].Rtl) std::reverse(items.begin(), items.end());
    for (const TItem& item : items) ShapeItem(item);
  }
  return FLine;
}

void TTextShaper::ShapeItem(const TItem& Item) {
  hb_buffer_clear_contents(FBuffer);
  // The whole line goes in as context, so that letters join across the item's ends.
  hb_buffer_add_utf8(FBuffer, FShaping.data(), static_cast<int>(FShaping.size()), Item.Start,
                     static_cast<int>(Item.End - Item.Start));
  hb_buffer_set_direction(FBuffer, Item.Rtl ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
  hb_buffer_set_script(FBuffer, Item.Script);
  hb_shape(Item.Face->HbFont(), FBuffer, nullptr, 0);

  unsigned count = 0;
  const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(FBuffer, &count);
  const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(FBuffer, nullptr);
  // Each cluster's text reaches to the next cluster in logical order; clusters are named by the line's
  // own bytes (a composed cluster by all of its characters).
  std::vector<uint32_t> starts;
  for (unsigned i = 0; i < count; ++i) starts.push_back(FOrigin[infos[i].cluster]);
  std::sort(starts.begin(), starts.end());
  starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
  std::vector<bool> given(starts.size(), false);

  TShapedRun& run = FLine.Runs.emplace_back();
  run.Face = Item.Face;
  run.Rtl = Item.Rtl;
  run.Glyphs.reserve(count);
  for (unsigned i = 0; i < count; ++i) {
    TShapedGlyph glyph;
    glyph.Glyph = infos[i].codepoint;
    glyph.Advance = positions[i].x_advance;
    glyph.OffsetX = positions[i].x_offset;
    glyph.OffsetY = positions[i].y_offset;
    const size_t k = static_cast<size_t>(
        std::lower_bound(starts.begin(), starts.end(), FOrigin[infos[i].cluster]) - starts.begin());
    glyph.ClusterStart = starts[k];
    glyph.ClusterEnd = k + 1 < starts.size() ? starts[k + 1] : FOrigin[Item.End];
    if (!given[k]) {
      given[k] = true;
      glyph.TextStart = glyph.ClusterStart;
      glyph.TextEnd = glyph.ClusterEnd;
    }
    FLine.Advance += glyph.Advance;
    run.Glyphs.push_back(glyph);
  }
}
