// The objects of the embedded fonts, written when the document ends. Each embedded font is a Type0
// font dictionary in the document's font list (Identity-H, so that the two-byte codes of the content
// streams are CIDs) whose parts follow the list in this order:
//   CIDFont dictionary (CIDFontType2 for TrueType outlines, CIDFontType0 for CFF) with the widths,
//   font descriptor with the face's metrics,
//   ToUnicode map from each CID to the text it stands for,
//   the subset's font program (FontFile2, or FontFile3 of subtype CIDFontType0C),
//   for TrueType the CIDToGIDMap from the writer's CIDs to the subset's glyphs,
//   for PDF/A-1b the CIDSet of the CIDs the subset holds.
// Streams are compressed like the page contents. A face the subsetter cannot cut is described without
// a font program, and the reader substitutes a font.

#include <algorithm>

#include "pdf/EmbeddedFont.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/PdfFormat.h"
#include "platform/TextEncoding.h"

namespace {

enum : int32_t { KCidFontPart, KDescriptorPart, KToUnicodePart, KProgramPart, KCidToGidPart };

// A subset's CIDSet: one bit per CID from 0, the first CID in the highest bit of the first byte, set
// for .notdef and every CID the document uses.
std::string CidSet(const std::vector<const TUsedGlyph*>& Glyphs) {
  std::string bits((Glyphs.empty() ? 0 : Glyphs.back()->Cid) / 8 + 1, '\0');
  bits[0] = static_cast<char>(0x80);
  for (const TUsedGlyph* used : Glyphs)
    bits[used->Cid / 8] = static_cast<char>(bits[used->Cid / 8] | (0x80 >> (used->Cid % 8)));
  return bits;
}

// The six capital letters a subset's name begins with, made from the face and the glyphs it keeps,
// so that different subsets of one face have different names and the same document the same ones.
std::string SubsetTag(const TEmbeddedFont& Font) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  const auto mix = [&hash](uint64_t V) {
    for (int i = 0; i < 8; ++i, V >>= 8) hash = (hash ^ (V & 0xFF)) * 1099511628211ull;
  };
  for (char c : Font.Face->Path()) mix(static_cast<unsigned char>(c));
  mix(static_cast<uint64_t>(Font.Face->Index()));
  for (const TUsedGlyph& used : Font.Used) mix((uint64_t{used.Cid} << 32) | used.Glyph);
  std::string tag;
  for (int i = 0; i < 6; ++i, hash /= 26) tag += static_cast<char>('A' + hash % 26);
  return tag;
}

void AppendRef(std::string& Out, int64_t Object) {
  AppendInt(Out, Object);
  Out += " 0 R";
}

// The used glyphs in CID order, each CID once.
std::vector<const TUsedGlyph*> ByCid(const TEmbeddedFont& Font) {
  std::vector<const TUsedGlyph*> glyphs;
  for (const TUsedGlyph& used : Font.Used) glyphs.push_back(&used);
  std::stable_sort(glyphs.begin(), glyphs.end(),
                   [](const TUsedGlyph* A, const TUsedGlyph* B) { return A->Cid < B->Cid; });
  glyphs.erase(std::unique(glyphs.begin(), glyphs.end(),
                           [](const TUsedGlyph* A, const TUsedGlyph* B) { return A->Cid == B->Cid; }),
               glyphs.end());
  return glyphs;
}

std::string ToUnicodeMap(const TEmbeddedFont& Font) {
  std::vector<const TUsedGlyph*> mapped;
  for (const TUsedGlyph* used : ByCid(Font))
    if (!used->Text.empty()) mapped.push_back(used);
  std::string map =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
  // A map's blocks hold at most 100 entries each.
  for (size_t start = 0; start < mapped.size(); start += 100) {
    const size_t end = std::min(mapped.size(), start + 100);
    AppendInt(map, static_cast<int64_t>(end - start));
    map += " beginbfchar\n";
    for (size_t i = start; i < end; ++i) {
      map += '<';
      AppendHex4(map, mapped[i]->Cid);
      map += "> <";
      AppendUtf16Hex(map, mapped[i]->Text);
      map += ">\n";
    }
    map += "endbfchar\n";
  }
  map += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
  return map;
}

}  // namespace

void TPDFCanvas::PrepareEmbeddedFonts(int32_t FirstPartObj) {
  int64_t next = FirstPartObj;
  for (auto& font : FEmbedded) {
    std::vector<uint32_t> glyphs;
    for (const TUsedGlyph& used : font->Used) glyphs.push_back(used.Glyph);
    font->Subsetted = font->Face->Subset(glyphs, font->Subset);
    if (font->Subsetted)
      for (size_t i = 0; i < font->Used.size(); ++i) font->Used[i].NewGlyph = font->Subset.NewGlyphs[i];
    font->BaseFont = SubsetTag(*font) + "+" + ::BaseFontName(font->Face->Describe().PostScriptName, 0);
    if (PdfA != TPdfA::None && !font->Subsetted)
      throw TPdfArchiveError(
          "Fehler: Die Schrift „" + font->Face->DisplayName() +
          "“ ließ sich nicht einbetten, wie PDF/A es verlangt. Wählen Sie eine andere Schrift "
          "oder schalten Sie PDF/A aus.");
    font->FirstPartObj = static_cast<int32_t>(next);
    next += KToUnicodePart + 1 + (font->Subsetted ? 1 : 0) + (font->Face->IsCff() ? 0 : 1) +
            (PdfA == TPdfA::A1b ? 1 : 0);
  }
}

void TPDFCanvas::WriteType0Dictionary(const TEmbeddedFont& Font) {
  BeginDictObject();
  WriteLine("/Type /Font");
  WriteLine("/Subtype /Type0");
  FLine.assign("/BaseFont /");
  FLine += Font.BaseFont;
  WriteLine();
  WriteLine("/Encoding /Identity-H");
  FLine.assign("/DescendantFonts [");
  AppendRef(FLine, Font.FirstPartObj + KCidFontPart);
  FLine += ']';
  WriteLine();
  FLine.assign("/ToUnicode ");
  AppendRef(FLine, Font.FirstPartObj + KToUnicodePart);
  WriteLine();
  EndDictObject();
}

void TPDFCanvas::WriteEmbeddedFontParts() {
  std::string dictionary;
  const auto writeStream = [&](std::string_view Head, std::string_view Data, bool Length1) {
    FCompressor->Compress(Data.data(), Data.size(), FCompressed);
    dictionary.assign("<< ");
    dictionary += Head;
    dictionary += "/Length ";
    AppendInt(dictionary, static_cast<int64_t>(FCompressed.size()));
    if (Length1) {
      dictionary += " /Length1 ";
      AppendInt(dictionary, static_cast<int64_t>(Data.size()));
    }
    dictionary += " /Filter /FlateDecode >>";
    WriteImageStream(dictionary, {reinterpret_cast<const char*>(FCompressed.data()), FCompressed.size()});
  };

  for (const auto& font : FEmbedded) {
    const bool cff = font->Face->IsCff();
    const std::vector<const TUsedGlyph*> glyphs = ByCid(*font);

    BeginDictObject();
    WriteLine("/Type /Font");
    WriteLine(cff ? "/Subtype /CIDFontType0" : "/Subtype /CIDFontType2");
    FLine.assign("/BaseFont /");
    FLine += font->BaseFont;
    WriteLine();
    WriteLine("/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>");
    FLine.assign("/FontDescriptor ");
    AppendRef(FLine, font->FirstPartObj + KDescriptorPart);
    WriteLine();
    // The widths in groups of consecutive CIDs: "/W [1 [556 278] 9 [500]]".
    FLine.assign("/W [");
    for (size_t i = 0; i < glyphs.size(); ++i) {
      if (i == 0 || glyphs[i]->Cid != glyphs[i - 1]->Cid + 1) {
        if (i > 0) FLine += "] ";
        AppendInt(FLine, glyphs[i]->Cid);
        FLine += " [";
      } else {
        FLine += ' ';
      }
      AppendInt(FLine, glyphs[i]->Width);
    }
    FLine += glyphs.empty() ? "]" : "]]";
    WriteLine();
    if (!cff) {
      FLine.assign("/CIDToGIDMap ");
      AppendRef(FLine, font->FirstPartObj + KCidToGidPart - (font->Subsetted ? 0 : 1));
      WriteLine();
    }
    EndDictObject();

    const TFaceDescription d = font->Face->Describe();
    BeginDictObject();
    WriteLine("/Type /FontDescriptor");
    FLine.assign("/FontName /");
    FLine += font->BaseFont;
    WriteLine();
    // Symbolic always: the glyphs lie outside the standard Latin set.
    int32_t flags = 4;
    if (d.FixedPitch) flags |= 1;
    if (d.Serif) flags |= 2;
    if (d.Italic) flags |= 64;
    if (d.Bold) flags |= 262144;
    FLine.assign("/Flags ");
    AppendInt(FLine, flags);
    WriteLine();
    FLine.assign("/FontBBox [");
    for (int32_t v : {d.BoxLeft, d.BoxBottom, d.BoxRight, d.BoxTop}) {
      AppendInt(FLine, v);
      FLine += ' ';
    }
    FLine.back() = ']';
    WriteLine();
    const std::pair<const char*, int32_t> values[] = {{"/ItalicAngle ", d.ItalicAngle},
                                                      {"/Ascent ", d.Ascent},
                                                      {"/Descent ", d.Descent},
                                                      {"/CapHeight ", d.CapHeight},
                                                      {"/StemV ", d.StemV}};
    for (const auto& [key, value] : values) {
      FLine.assign(key);
      AppendInt(FLine, value);
      WriteLine();
    }
    if (font->Subsetted) {
      FLine.assign(cff ? "/FontFile3 " : "/FontFile2 ");
      AppendRef(FLine, font->FirstPartObj + KProgramPart);
      WriteLine();
    }
    // PDF/A-1b names the CIDs of every subset; it follows the font's other parts.
    const int64_t cidSetObj = font->FirstPartObj + KCidToGidPart + (cff ? 0 : 1);
    if (PdfA == TPdfA::A1b) {
      FLine.assign("/CIDSet ");
      AppendRef(FLine, cidSetObj);
      WriteLine();
    }
    EndDictObject();

    writeStream("", ToUnicodeMap(*font), false);
    if (font->Subsetted) writeStream(cff ? "/Subtype /CIDFontType0C " : "", font->Subset.Program, !cff);
    if (!cff) {
      // Two bytes per CID from 0, the subset's glyph for each; CIDs never used lead to glyph 0.
      std::string map(2 * (glyphs.empty() ? 1 : glyphs.back()->Cid + 1), '\0');
      for (const TUsedGlyph* used : glyphs) {
        const uint32_t glyph = font->Subsetted ? used->NewGlyph : used->Glyph;
        map[2 * used->Cid] = static_cast<char>(glyph >> 8);
        map[2 * used->Cid + 1] = static_cast<char>(glyph & 0xFF);
      }
      writeStream("", map, false);
    }
    if (PdfA == TPdfA::A1b) writeStream("", CidSet(glyphs), false);
  }
}
