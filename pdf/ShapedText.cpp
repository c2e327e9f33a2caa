// Texts written through the shaper: one line as a sequence of glyph runs in embedded fonts, placed
// exactly where the shaper put each glyph. The widths the PDF declares are rounded to 1/1000 em; the
// difference between the pen a reader keeps and the shaper's pen is written as a TJ adjustment
// whenever it amounts to a thousandth, so no error gathers along the line. Marks raised or lowered by
// the font are written with a text rise.
//
// Readers give text back glyph by glyph, through the font's ToUnicode map. A cluster drawn with one
// glyph gives its whole text that way, a ligature or a letter with its marks included. A cluster of
// several glyphs (a consonant with a vowel sign drawn before it, a letter with a mark the font places
// apart) or one whose glyph already stands for another text in a CFF font (whose CIDs are the font's
// own) cannot: its glyphs are wrapped in a marked-content span whose ActualText is the cluster's text,
// which readers give back instead of the glyphs'.

#include <algorithm>

#include "pdf/EmbeddedFont.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/PdfFormat.h"
#include "pdf/TextPlacement.h"
#include "platform/TextEncoding.h"
#include "platform/TextShaper.h"

namespace {

// The characters of the UTF-8 Text in reverse order.
std::string Reversed(std::string_view Text) {
  std::vector<std::string_view> chars;
  for (size_t pos = 0; pos < Text.size();) {
    char32_t c = 0;
    const size_t length = std::max<size_t>(DecodeUtf8(Text, pos, c), 1);
    chars.push_back(Text.substr(pos, length));
    pos += length;
  }
  std::string out;
  for (auto it = chars.rbegin(); it != chars.rend(); ++it) out += *it;
  return out;
}

}  // namespace

int32_t PdfTextWidth(TFontMetrics& Metrics, const TPDFFont& Font, std::string_view Text, bool Embedded) {
  if (WritesShapedText(Metrics, Text, Embedded)) {
    const TShapedLine& line = Metrics.Shaper()->Shape(Font.Name, Font.Style, Text);
    if (!line.Runs.empty()) {
      const int64_t size = TextFontSize(Font.Size);
      return static_cast<int32_t>(
          std::min<int64_t>(RoundedMulDiv(line.Advance, size, KShapeUnitsPerEm), INT32_MAX));
    }
  }
  Metrics.SelectFont(Font.Name, Font.Style, Font.Size);
  return Metrics.TextExtent(Utf8ToCp1252(Text)).Width;
}

bool TPDFCanvas::WritesShaped(std::string_view Text) {
  // PDF/A embeds every font.
  return WritesShapedText(*FMeasure, Text, EmbedsFont(Font) || PdfA != TPdfA::None);
}

int32_t TPDFCanvas::EmbeddedFontNumber(TFontFace* Face) {
  for (uint32_t i = 0; i < FFonts->Count; ++i) {
    const TPdfFontEntry& entry = (*FFonts)[static_cast<int32_t>(i)];
    if (entry.Embedded >= 0 && FEmbedded[static_cast<size_t>(entry.Embedded)]->Face == Face)
      return static_cast<int32_t>(i) + 1;
  }
  CheckArchivalFace(*Face);
  auto font = std::make_unique<TEmbeddedFont>();
  font->Face = Face;
  FEmbedded.push_back(std::move(font));
  TPdfFontEntry* entry = FFonts->Append();
  if (!entry) {
    FEmbedded.pop_back();
    throw std::bad_alloc();
  }
  *entry = {nullptr, 0, static_cast<int32_t>(FEmbedded.size() - 1)};
  return static_cast<int32_t>(FFonts->Count);
}

uint32_t TPDFCanvas::CidFor(TEmbeddedFont& Font, uint32_t Glyph, std::string_view Text, int32_t& Width,
                            bool& Carries) {
  const bool ownCids = !Font.Face->IsCff();
  auto key = std::make_pair(Glyph, ownCids ? std::string(Text) : std::string());
  auto found = Font.Positions.find(key);
  if (found != Font.Positions.end()) {
    TUsedGlyph& used = Font.Used[found->second];
    if (used.Text.empty()) used.Text.assign(Text);
    Carries = used.Text == Text;
    Width = used.Width;
    return used.Cid;
  }
  Carries = false;
  TUsedGlyph used;
  used.Glyph = Glyph;
  used.Width = static_cast<int32_t>(RoundedMulDiv(Font.Face->Advance(Glyph), 1000, KShapeUnitsPerEm));
  used.Text.assign(Text);
  if (!ownCids) {
    used.Cid = Font.Face->CidOf(Glyph);
  } else if (Font.Used.size() < 0xFFFF) {
    used.Cid = static_cast<uint32_t>(Font.Used.size()) + 1;
  } else {
    // Every two-byte code is taken: the glyph goes on with a code it had for another text.
    for (const TUsedGlyph& other : Font.Used)
      if (other.Glyph == Glyph) {
        Width = other.Width;
        return other.Cid;
      }
    Width = Font.Used.front().Width;
    return Font.Used.front().Cid;
  }
  Width = used.Width;
  Carries = true;
  Font.Positions.emplace(std::move(key), Font.Used.size());
  Font.Used.push_back(std::move(used));
  return Font.Used.back().Cid;
}

bool TPDFCanvas::TextOutShaped(int64_t X, int64_t Baseline, std::string_view Text) {
  const TShapedLine& line = FMeasure->Shaper()->Shape(Font.Name, Font.Style, Text);
  if (line.Runs.empty()) return false;
  WriteLine("BT");
  ApplyTextColor();
  FLine.clear();
  AppendInt(FLine, X);
  FLine += ' ';
  AppendInt(FLine, Baseline);
  FLine += " Td";
  WriteLine();

  const int64_t size = TextFontSize(Font.Size);
  int64_t shaperPen = 0;  // shape units
  int64_t readerPen = 0;  // 1/1000 em, as a reader adds up the declared widths
  int32_t rise = 0;       // shape units
  // One glyph to draw: its CID and declared width, where it stands (1/1000 em from the line's start)
  // and how far it is raised (shape units).
  struct TDrawn {
    uint32_t Cid;
    int32_t Width;
    int64_t X;
    int32_t Rise;
  };
  std::vector<TDrawn> cluster;
  bool inHex = false;
  const auto closeHex = [&] {
    if (inHex) FLine += '>';
    inHex = false;
  };
  const auto endArray = [&] {
    closeHex();
    if (FLine.size() > 1) {
      FLine += "] TJ";
      WriteLine();
    }
    FLine.assign("[");
  };
  const auto draw = [&](const TDrawn& Glyph) {
    if (Glyph.Rise != rise) {
      endArray();
      rise = Glyph.Rise;
      FLine.clear();
      AppendThousandths(FLine, ShapedGlyphRise(rise, size));
      FLine += " Ts";
      WriteLine();
      FLine.assign("[");
    }
    if (Glyph.X != readerPen) {
      closeHex();
      AppendInt(FLine, readerPen - Glyph.X);  // a TJ number moves the pen left by its value
      readerPen = Glyph.X;
    }
    if (!inHex) FLine += '<';
    inHex = true;
    AppendHex4(FLine, Glyph.Cid);
    readerPen += Glyph.Width;
  };

  for (const TShapedRun& run : line.Runs) {
    if (run.Glyphs.empty()) continue;
    const int32_t number = EmbeddedFontNumber(run.Face);
    SelectPdfFont(number, Font.Size);
    TEmbeddedFont& font = *FEmbedded[static_cast<size_t>((*FFonts)[number - 1].Embedded)];
    FLine.assign("[");
    // Readers take the characters of a line in the order they stand on the page and turn each
    // right-to-left stretch round: a right-to-left cluster's characters go in reversed, so that they
    // come out in their own order.
    const auto textOf = [&](uint32_t Start, uint32_t End) {
      const std::string_view text = Text.substr(Start, End - Start);
      return run.Rtl ? Reversed(text) : std::string(text);
    };
    const std::vector<TShapedGlyph>& glyphs = run.Glyphs;
    for (size_t first = 0, end = 0; first < glyphs.size(); first = end) {
      const TShapedGlyph& lead = glyphs[first];
      for (end = first + 1; end < glyphs.size() && glyphs[end].ClusterStart == lead.ClusterStart &&
                            glyphs[end].ClusterEnd == lead.ClusterEnd;
           ++end) {
      }
      cluster.clear();
      bool carried = true;
      for (size_t g = first; g < end; ++g) {
        const TShapedGlyph& glyph = glyphs[g];
        int32_t width = 0;
        bool carries = false;
        const uint32_t cid =
            CidFor(font, glyph.Glyph, textOf(glyph.TextStart, glyph.TextEnd), width, carries);
        carried = carried && (g > first || carries);
        cluster.push_back({cid, width, ShapedGlyphX(shaperPen, glyph.OffsetX), glyph.OffsetY});
        shaperPen += glyph.Advance;
      }
      const std::string text = textOf(lead.ClusterStart, lead.ClusterEnd);
      if (cluster.size() == 1 && (carried || text.empty())) {
        draw(cluster.front());
        continue;
      }
      // A reader gives the span's text the box from where its first glyph starts to where its last
      // one ends: the glyphs go from left to right, and the last one's character spacing takes the
      // pen to the cluster's end, so that the box is the cluster's and no gap or overlap appears.
      endArray();
      FLine.assign("/Span <</ActualText <FEFF");
      AppendUtf16Hex(FLine, text);
      FLine += ">>> BDC";
      WriteLine();
      FLine.assign("[");
      std::stable_sort(cluster.begin(), cluster.end(),
                       [](const TDrawn& A, const TDrawn& B) { return A.X < B.X; });
      for (size_t k = 0; k + 1 < cluster.size(); ++k) draw(cluster[k]);
      const TDrawn& last = cluster.back();
      const int64_t spacing = ShapedGlyphX(shaperPen, 0) - (last.X + last.Width);
      if (spacing != 0) {
        endArray();
        FLine.clear();
        AppendThousandths(FLine, spacing * size);
        FLine += " Tc";
        WriteLine();
        FLine.assign("[");
      }
      draw(last);
      endArray();
      if (spacing != 0) {
        WriteLine("0 Tc");
        readerPen += spacing;
      }
      WriteLine("EMC");
    }
    endArray();
  }
  if (rise != 0) WriteLine("0 Ts");
  WriteLine("ET");
  return true;
}
