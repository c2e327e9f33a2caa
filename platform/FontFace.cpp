#include "platform/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CID_H
#include FT_TRUETYPE_TABLES_H
#include <hb-subset.h>
#include <hb.h>

#include <cmath>

namespace {

template <class T, void (*Destroy)(T*)>
struct THbOwner {
  T* Ptr;
  explicit THbOwner(T* P) : Ptr(P) {}
  ~THbOwner() {
    if (Ptr) Destroy(Ptr);
  }
  THbOwner(const THbOwner&) = delete;
  THbOwner& operator=(const THbOwner&) = delete;
};
using TBlob = THbOwner<hb_blob_t, hb_blob_destroy>;
using TFace = THbOwner<hb_face_t, hb_face_destroy>;
using TInput = THbOwner<hb_subset_input_t, hb_subset_input_destroy>;
using TPlan = THbOwner<hb_subset_plan_t, hb_subset_plan_destroy>;

bool HasTable(hb_face_t* Face, const char* Tag) {
  TBlob table(hb_face_reference_table(Face, hb_tag_from_string(Tag, 4)));
  return hb_blob_get_length(table.Ptr) > 0;
}

// Tables a PDF reader never looks at in an embedded font: layout (the text is shaped already),
// vertical metrics, colour and bitmap glyphs, and device hinting data.
const char* const KDropTables[] = {"GSUB", "GPOS", "GDEF", "BASE", "JSTF", "MATH", "kern", "morx", "mort",
                                   "feat", "DSIG", "vhea", "vmtx", "VORG", "COLR", "CPAL", "SVG ", "CBDT",
                                   "CBLC", "sbix", "EBDT", "EBLC", "EBSC", "hdmx", "LTSH", "VDMX", "STAT"};

}  // namespace

std::unique_ptr<TFontFace> TFontFace::Open(FT_Library Library, const std::string& Path, int32_t Index) {
  TBlob blob(hb_blob_create_from_file_or_fail(Path.c_str()));
  if (!blob.Ptr) return nullptr;
  TFace face(hb_face_create(blob.Ptr, static_cast<unsigned>(Index)));
  if (hb_face_get_glyph_count(face.Ptr) == 0) return nullptr;
  const bool cff = HasTable(face.Ptr, "CFF ");
  if (!cff && !HasTable(face.Ptr, "glyf")) return nullptr;
  FT_Face ftFace = nullptr;
  if (FT_New_Face(Library, Path.c_str(), Index, &ftFace) != 0) return nullptr;

  std::unique_ptr<TFontFace> result(new TFontFace());
  result->FPath = Path;
  result->FIndex = Index;
  result->FFtFace = ftFace;
  result->FCff = cff;
  FT_Bool cidKeyed = 0;
  result->FCidKeyed = cff && FT_Get_CID_Is_Internally_CID_Keyed(ftFace, &cidKeyed) == 0 && cidKeyed;
  result->FFont = hb_font_create(face.Ptr);
  hb_font_set_scale(result->FFont, KShapeUnitsPerEm, KShapeUnitsPerEm);
  result->FFace = face.Ptr;
  face.Ptr = nullptr;
  return result;
}

TFontFace::~TFontFace() {
  hb_font_destroy(FFont);
  hb_face_destroy(FFace);
  if (FFtFace) FT_Done_Face(FFtFace);
}

uint32_t TFontFace::GlyphOf(char32_t Char) const {
  hb_codepoint_t glyph = 0;
  return hb_font_get_nominal_glyph(FFont, Char, &glyph) ? glyph : 0;
}

int32_t TFontFace::Advance(uint32_t Glyph) const { return hb_font_get_glyph_h_advance(FFont, Glyph); }

uint32_t TFontFace::CidOf(uint32_t Glyph) const {
  FT_UInt cid = Glyph;
  if (FCidKeyed && FT_Get_CID_From_Glyph_Index(FFtFace, Glyph, &cid) != 0) cid = Glyph;
  return cid;
}

TFaceDescription TFontFace::Describe() const {
  TFaceDescription d;
  const FT_Face face = FFtFace;
  const double scale = face->units_per_EM > 0 ? 1000.0 / face->units_per_EM : 1.0;
  const auto units = [scale](double V) { return static_cast<int32_t>(std::lround(V * scale)); };
  if (const char* name = FT_Get_Postscript_Name(face)) d.PostScriptName = name;
  if (d.PostScriptName.empty() && face->family_name)
    for (const char* c = face->family_name; *c; ++c)
      if (*c != ' ') d.PostScriptName += *c;
  if (d.PostScriptName.empty()) d.PostScriptName = "Font";

  d.BoxLeft = units(face->bbox.xMin);
  d.BoxBottom = units(face->bbox.yMin);
  d.BoxRight = units(face->bbox.xMax);
  d.BoxTop = units(face->bbox.yMax);
  d.Ascent = units(face->ascender);
  d.Descent = units(face->descender);
  d.CapHeight = d.Ascent;
  int weight = (face->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF) {
    d.Ascent = units(os2->sTypoAscender);
    d.Descent = units(os2->sTypoDescender);
    if (os2->version >= 2 && os2->sCapHeight > 0) d.CapHeight = units(os2->sCapHeight);
    if (os2->usWeightClass > 0) weight = os2->usWeightClass;
    const int familyClass = os2->sFamilyClass >> 8;
    d.Serif = (familyClass >= 1 && familyClass <= 5) || familyClass == 7;
  }
  if (auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST))) {
    d.ItalicAngle = static_cast<int32_t>(std::lround(post->italicAngle / 65536.0));
    d.FixedPitch = post->isFixedPitch != 0;
  }
  d.Italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) || d.ItalicAngle != 0;
  d.Bold = weight >= 600;
  // The usual estimate of the dominant vertical stem from the weight class.
  d.StemV = 50 + static_cast<int32_t>((weight / 65.0) * (weight / 65.0));
  return d;
}

bool TFontFace::Subset(const std::vector<uint32_t>& Glyphs, TFontSubset& Out) const {
  TInput input(hb_subset_input_create_or_fail());
  if (!input.Ptr) return false;
  hb_set_t* glyphs = hb_subset_input_glyph_set(input.Ptr);
  hb_set_add(glyphs, 0);
  for (uint32_t glyph : Glyphs) hb_set_add(glyphs, glyph);
  hb_set_t* drop = hb_subset_input_set(input.Ptr, HB_SUBSET_SETS_DROP_TABLE_TAG);
  for (const char* tag : KDropTables) hb_set_add(drop, hb_tag_from_string(tag, 4));
  // A CFF font not keyed by CID is addressed by glyph index, which its subset must then keep.
  unsigned flags = HB_SUBSET_FLAGS_NO_HINTING | HB_SUBSET_FLAGS_NOTDEF_OUTLINE;
  if (FCff && !FCidKeyed) flags |= HB_SUBSET_FLAGS_RETAIN_GIDS;
  hb_subset_input_set_flags(input.Ptr, flags);

  TPlan plan(hb_subset_plan_create_or_fail(FFace, input.Ptr));
  if (!plan.Ptr) return false;
  const hb_map_t* mapping = hb_subset_plan_old_to_new_glyph_mapping(plan.Ptr);
  Out.NewGlyphs.clear();
  for (uint32_t glyph : Glyphs) {
    const hb_codepoint_t to = hb_map_get(mapping, glyph);
    Out.NewGlyphs.push_back(to == HB_MAP_VALUE_INVALID ? 0 : to);
  }
  TFace subset(hb_subset_plan_execute_or_fail(plan.Ptr));
  if (!subset.Ptr) return false;
  TBlob program(FCff ? hb_face_reference_table(subset.Ptr, HB_TAG('C', 'F', 'F', ' '))
                     : hb_face_reference_blob(subset.Ptr));
  unsigned length = 0;
  const char* data = hb_blob_get_data(program.Ptr, &length);
  if (!data || length == 0) return false;
  Out.Program.assign(data, length);
  return true;
}

std::string TFontFace::DisplayName() const {
  std::string name = FFtFace->family_name ? FFtFace->family_name : Describe().PostScriptName;
  const std::string style = FFtFace->style_name ? FFtFace->style_name : "";
  if (!style.empty() && style != "Regular" && style != "Book") name += " " + style;
  return name;
}

bool TFontFace::ForbidsEmbedding() const {
  const FT_UShort flags = FT_Get_FSType_Flags(FFtFace);
  // The lowest four bits name one kind of permission; restricted alone (no laxer bit set beside it)
  // forbids embedding. A subset of outlines is what goes into a PDF, so "no subsetting" and "bitmaps
  // only" forbid it too.
  const bool restricted = (flags & 0x000F) == FT_FSTYPE_RESTRICTED_LICENSE_EMBEDDING;
  return restricted || (flags & (FT_FSTYPE_NO_SUBSETTING | FT_FSTYPE_BITMAP_EMBEDDING_ONLY)) != 0;
}
