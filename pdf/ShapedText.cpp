// Texts written through the shaper: one line as a sequence of glyph runs in embedded fonts, placed
// exactly where the shaper put each glyph. The widths the PDF declares are rounded to 1/1000 em; the
// difference between the pen a reader keeps and the shaper's pen is written as a TJ adjustment
// whenever it amounts to a thousandth, so no error gathers along the line. Marks raised or lowered by
// the font are written with a text rise.

#include <algorithm>

#include "pdf/EmbeddedFont.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/PdfFormat.h"
#include "pdf/TextPlacement.h"
#include "platform/TextEncoding.h"
#include "platform/TextShaper.h"

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
  return WritesShapedText(*FMeasure, Text, EmbedsFont(Font));
}

int32_t TPDFCanvas::EmbeddedFontNumber(TFontFace* Face) {
  for (uint32_t i = 0; i < FFonts->Count; ++i) {
    const TPdfFontEntry& entry = (*FFonts)[static_cast<int32_t>(i)];
    if (entry.Embedded >= 0 && FEmbedded[static_cast<size_t>(entry.Embedded)]->Face == Face)
      return static_cast<int32_t>(i) + 1;
  }
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

uint32_t TPDFCanvas::CidFor(TEmbeddedFont& Font, uint32_t Glyph, std::string_view Text, int32_t& Width) {
  const bool ownCids = !Font.Face->IsCff();
  auto key = std::make_pair(Glyph, ownCids ? std::string(Text) : std::string());
  auto found = Font.Positions.find(key);
  if (found != Font.Positions.end()) {
    TUsedGlyph& used = Font.Used[found->second];
    if (used.Text.empty()) used.Text.assign(Text);
    Width = used.Width;
    return used.Cid;
  }
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
  for (const TShapedRun& run : line.Runs) {
    if (run.Glyphs.empty()) continue;
    const int32_t number = EmbeddedFontNumber(run.Face);
    SelectPdfFont(number, Font.Size);
    TEmbeddedFont& font = *FEmbedded[static_cast<size_t>((*FFonts)[number - 1].Embedded)];
    bool inHex = false;
    FLine.assign("[");
    const auto closeHex = [&] {
      if (inHex) FLine += '>';
      inHex = false;
    };
    for (const TShapedGlyph& glyph : run.Glyphs) {
      if (glyph.OffsetY != rise) {
        closeHex();
        if (FLine.size() > 1) {
          FLine += "] TJ";
          WriteLine();
        }
        rise = glyph.OffsetY;
        FLine.clear();
        AppendThousandths(FLine, ShapedGlyphRise(rise, size));
        FLine += " Ts";
        WriteLine();
        FLine.assign("[");
      }
      const int64_t wanted = ShapedGlyphX(shaperPen, glyph.OffsetX);
      if (wanted != readerPen) {
        closeHex();
        AppendInt(FLine, readerPen - wanted);  // a TJ number moves the pen left by its value
        readerPen = wanted;
      }
      int32_t width = 0;
      const uint32_t cid =
          CidFor(font, glyph.Glyph, Text.substr(glyph.TextStart, glyph.TextEnd - glyph.TextStart), width);
      if (!inHex) FLine += '<';
      inHex = true;
      AppendHex4(FLine, cid);
      readerPen += width;
      shaperPen += glyph.Advance;
    }
    closeHex();
    if (FLine.size() > 1) {
      FLine += "] TJ";
      WriteLine();
    }
  }
  if (rise != 0) WriteLine("0 Ts");
  WriteLine("ET");
  return true;
}
