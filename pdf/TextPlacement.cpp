#include "pdf/TextPlacement.h"

#include <algorithm>

#include "pdf/PdfFormat.h"
#include "platform/FontFace.h"
#include "platform/TextEncoding.h"

int64_t RoundedMulDiv(int64_t V, int64_t Mul, int64_t Div) {
  const int64_t product = V * Mul;
  return product >= 0 ? (product + Div / 2) / Div : -((-product + Div / 2) / Div);
}

int64_t TextFontSize(int32_t Size) {
  return std::clamp<int64_t>(Size < 0 ? -int64_t{Size} : Size, 1, 0xFFFF);
}

int64_t TextBaseline(int32_t PageHeight, int32_t Y, int32_t LineHeight) {
  return int64_t(PageHeight) - Y - LineHeight - 1;
}

bool WritesShapedText(TFontMetrics& Metrics, std::string_view Text, bool Embedded) {
  return Metrics.Shaper() && (Embedded || !FitsCp1252(Text));
}

int64_t ShapedGlyphX(int64_t Pen, int32_t OffsetX) { return RoundedMulDiv(Pen + OffsetX, 1000, KShapeUnitsPerEm); }

int64_t ShapedGlyphRise(int32_t OffsetY, int64_t Size) {
  return RoundedMulDiv(OffsetY, Size * 1000, KShapeUnitsPerEm);
}

TDeclaredWidths DeclaredWidths(TFontMetrics& Metrics, std::string_view Name, TFontStyles Style) {
  Metrics.SelectFont(Name, Style, KDeclaredWidthsEm);
  TDeclaredWidths declared;
  TOutlineMetrics outline;
  if (Metrics.OutlineMetrics(outline)) {
    declared.First = outline.FirstChar;
    declared.Last = outline.LastChar;
  } else {
    const TPlainMetrics plain = Metrics.PlainMetrics();
    declared.First = plain.FirstChar;
    declared.Last = plain.LastChar;
  }
  declared.First = std::clamp(declared.First, 0, 255);
  declared.Last = std::clamp(declared.Last, declared.First, 255);
  for (int32_t code = declared.First; code <= declared.Last; ++code) {
    const char byte = static_cast<char>(code);
    declared.Widths[static_cast<size_t>(code)] =
        static_cast<int32_t>(WidthScale(Metrics.TextExtent(std::string_view(&byte, 1)).Width));
  }
  return declared;
}
