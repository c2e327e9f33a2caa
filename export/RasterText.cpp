// The page raster's text: each line decided, shaped and advanced as the PDF writer writes it
// (TextPlacement.h), each glyph's outline filled by FreeType's anti-aliasing rasteriser straight into
// the raster's pixels, cut to the raster and the open clip.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>

#include "export/PageRaster.h"
#include "pdf/PDFWriterCanvas.h"
#include "platform/FontFace.h"
#include "platform/FontMetrics.h"
#include "platform/TextEncoding.h"
#include "platform/TextShaper.h"

namespace {

struct TSpanTarget {
  uint8_t* Pixels;
  int32_t Width, Height;
  uint32_t Color;
  double ClipX0, ClipY0, ClipX1, ClipY1;  // the open clip in pixels
};

// FreeType counts rows from the bottom; the raster from the top.
void PaintSpans(int Y, int Count, const FT_Span* Spans, void* User) {
  const auto& t = *static_cast<const TSpanTarget*>(User);
  const int64_t row = int64_t(t.Height) - 1 - Y;
  if (row < 0 || row >= t.Height) return;
  const double rowCover =
      std::max(0.0, std::min(double(row) + 1, t.ClipY1) - std::max(double(row), t.ClipY0));
  uint8_t* line = t.Pixels + size_t(row) * size_t(t.Width) * 3;
  for (int i = 0; i < Count; ++i)
    for (int64_t x = Spans[i].x; x < int64_t(Spans[i].x) + Spans[i].len && x < t.Width; ++x) {
      if (x < 0) continue;
      const double cover = std::max(0.0, std::min(double(x) + 1, t.ClipX1) - std::max(double(x), t.ClipX0));
      const double alpha = rowCover * cover * Spans[i].coverage / 255.0;
      if (alpha <= 0) continue;
      uint8_t* p = line + 3 * x;
      for (int c = 0; c < 3; ++c) {
        const double target = (t.Color >> (8 * c)) & 0xFF;
        p[c] = static_cast<uint8_t>(std::lround(p[c] + (target - p[c]) * alpha));
      }
    }
}

}  // namespace

const TDeclaredWidths& TPageRaster::WidthsOf(const TPDFFont& Font) {
  const auto key = std::make_pair(Font.Name, static_cast<TFontStyles>(Font.Style & (fsBold | fsItalic)));
  auto found = FWidths.find(key);
  if (found == FWidths.end()) found = FWidths.emplace(key, DeclaredWidths(*FMetrics, Font.Name, Font.Style)).first;
  return found->second;
}

int32_t TPageRaster::TextWidth(std::string_view Text) {
  return FMetrics ? PdfTextWidth(*FMetrics, Font, Text, EmbedsFont(Font)) : 0;
}

int32_t TPageRaster::TextLineHeight() {
  if (!FMetrics) return 0;
  FMetrics->SelectFont(Font.Name, Font.Style, Font.Size);
  return FMetrics->LineHeight();
}

void TPageRaster::TextOut(int32_t X, int32_t Y, std::string_view Text) {
  if (!FMetrics) return;
  TFontMetrics& metrics = *FMetrics;
  TTextShaper* shaper = metrics.Shaper();
  if (!shaper) return;
  metrics.SelectFont(Font.Name, Font.Style, Font.Size);
  // The baseline in units from the top of the page.
  const double baseline = double(PageHeight) - double(TextBaseline(PageHeight, Y, metrics.LineHeight()));
  const int64_t size = TextFontSize(Font.Size);

  if (WritesShapedText(metrics, Text, EmbedsFont(Font))) {
    const TShapedLine& line = shaper->Shape(Font.Name, Font.Style, Text);
    if (!line.Runs.empty()) {
      int64_t pen = 0;  // shape units
      for (const TShapedRun& run : line.Runs)
        for (const TShapedGlyph& glyph : run.Glyphs) {
          const double x = X + double(ShapedGlyphX(pen, glyph.OffsetX)) * double(size) / 1000;
          const double rise = double(ShapedGlyphRise(glyph.OffsetY, size)) / 1000;
          DrawGlyph(*run.Face, glyph.Glyph, x, baseline - rise, double(size));
          pen += glyph.Advance;
        }
      return;
    }
  }
  // The writer's Tj in Windows-1252: each code advanced by its declared width.
  const TDeclaredWidths& widths = WidthsOf(Font);
  TFontFace* face = shaper->PrimaryFace(Font.Name, Font.Style);
  if (!face) return;
  int64_t pen = 0;  // 1/1000 em
  for (const char c : Utf8ToCp1252(Text)) {
    const auto code = static_cast<unsigned char>(c);
    if (const uint32_t glyph = face->GlyphOf(Cp1252ToUnicode(code)))
      DrawGlyph(*face, glyph, X + double(pen) * double(size) / 1000, baseline, double(size));
    pen += widths.Widths[code];
  }
}

void TPageRaster::DrawGlyph(TFontFace& Face, uint32_t Glyph, double X, double Baseline, double Size) {
  FT_Face face = Face.FreeTypeFace();
  if (!face || face->units_per_EM == 0) return;
  const double scaleX = Size * FScaleX / face->units_per_EM, scaleY = Size * FScaleY / face->units_per_EM;
  if (Size * std::max(FScaleX, FScaleY) > KMaxGlyphPixels) return;
  if (FT_Load_Glyph(face, Glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP) != 0 ||
      face->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
    return;
  FT_Outline& outline = face->glyph->outline;
  // Font units to 26.6 pixels, y upwards from the raster's bottom edge.
  const double originX = X * FScaleX, originY = FHeight - (Baseline - FTop) * FScaleY;
  for (int i = 0; i < outline.n_points; ++i) {
    FT_Vector& p = outline.points[i];
    p.x = static_cast<FT_Pos>(std::lround((p.x * scaleX + originX) * 64));
    p.y = static_cast<FT_Pos>(std::lround((p.y * scaleY + originY) * 64));
  }
  const TArea clip = Visible({0, 0, double(FWidth), double(FHeight)});
  if (!(clip.X1 > clip.X0 && clip.Y1 > clip.Y0)) return;
  FT_BBox box;
  FT_Outline_Get_CBox(&outline, &box);
  const auto pixel = [](FT_Pos V) { return double(V) / 64; };
  if (pixel(box.xMax) <= clip.X0 || pixel(box.xMin) >= clip.X1 || FHeight - pixel(box.yMin) <= clip.Y0 ||
      FHeight - pixel(box.yMax) >= clip.Y1)
    return;

  TSpanTarget target{FPixels.data(), FWidth, FHeight, Font.Color, clip.X0, clip.Y0, clip.X1, clip.Y1};
  FT_Raster_Params params{};
  params.source = &outline;
  params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
  params.gray_spans = PaintSpans;
  params.user = &target;
  params.clip_box.xMin = static_cast<FT_Pos>(std::floor(clip.X0));
  params.clip_box.xMax = static_cast<FT_Pos>(std::ceil(clip.X1));
  params.clip_box.yMin = static_cast<FT_Pos>(std::floor(FHeight - clip.Y1));
  params.clip_box.yMax = static_cast<FT_Pos>(std::ceil(FHeight - clip.Y0));
  FT_Outline_Render(face->glyph->library, &outline, &params);
}
