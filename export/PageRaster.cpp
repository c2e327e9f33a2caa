// The page raster's shapes and pictures; its text is in RasterText.cpp.
//
// Every shape is first turned into the area the writer's PDF path covers, in page units measured from
// the top left (v downwards: a PDF y becomes PageHeight - y), then into pixels of the box a reader
// shows, which starts FTop below the page's top (DrawingSurface.h). A PDF point (x, y) of the writer's
// Y coordinate lies at v = Y + 1 (PDFWriterCanvas.h).

#include "export/PageRaster.h"

#include <algorithm>
#include <cmath>

#include "imaging/pictaro/Pictaro.h"
#include "pdf/PictureEncoding.h"
#include "pdf/PictureSpool.h"

namespace {

// A rectangle's extent moved one unit towards zero, as the writer's path spans it.
int64_t Inner(int64_t D) { return D > 0 ? D - 1 : D < 0 ? D + 1 : 0; }

uint8_t Channel(uint32_t Color, int Shift) { return static_cast<uint8_t>((Color >> Shift) & 0xFF); }

// How much of the pixel span [P, P + 1) lies within [From, To).
double Overlap(int64_t P, double From, double To) {
  return std::max(0.0, std::min(double(P) + 1, To) - std::max(double(P), From));
}

}  // namespace

TPageRaster::TPageRaster(int32_t PageWidthUnits, int32_t PageHeightUnits, int32_t Width, int32_t Height,
                         std::shared_ptr<TFontMetrics> Metrics)
    : FWidth(std::max(Width, 1)), FHeight(std::max(Height, 1)), FMetrics(std::move(Metrics)) {
  PageWidth = std::max(PageWidthUnits, 1);
  PageHeight = std::max(PageHeightUnits, 1);
  FScaleX = double(FWidth) / double(MediaBoxSide(PageWidth));
  FScaleY = double(FHeight) / double(MediaBoxSide(PageHeight));
  FTop = double(PageHeight) - double(MediaBoxSide(PageHeight));
  FPixels.assign(size_t(FWidth) * size_t(FHeight) * 3, 0xFF);
}

TPageRaster::TArea TPageRaster::ToPixels(double X0, double V0, double X1, double V1) const {
  return {std::min(X0, X1) * FScaleX, (std::min(V0, V1) - FTop) * FScaleY, std::max(X0, X1) * FScaleX,
          (std::max(V0, V1) - FTop) * FScaleY};
}

TPageRaster::TArea TPageRaster::Visible(TArea Area) const {
  const TArea limit = FClips.empty() ? TArea{0, 0, double(FWidth), double(FHeight)} : FClips.back();
  return {std::max(Area.X0, limit.X0), std::max(Area.Y0, limit.Y0), std::min(Area.X1, limit.X1),
          std::min(Area.Y1, limit.Y1)};
}

void TPageRaster::Blend(uint8_t* Pixel, uint32_t Color, double Alpha) {
  for (int c = 0; c < 3; ++c) {
    const double target = Channel(Color, 8 * c);
    Pixel[c] = static_cast<uint8_t>(std::lround(Pixel[c] + (target - Pixel[c]) * Alpha));
  }
}

void TPageRaster::Fill(TArea Area, uint32_t Color) {
  const TArea a = Visible(Area);
  if (!(a.X1 > a.X0 && a.Y1 > a.Y0)) return;
  const int64_t left = static_cast<int64_t>(std::floor(a.X0)), right = static_cast<int64_t>(std::ceil(a.X1));
  const int64_t top = static_cast<int64_t>(std::floor(a.Y0)), bottom = static_cast<int64_t>(std::ceil(a.Y1));
  for (int64_t y = top; y < bottom; ++y) {
    const double rowCover = Overlap(y, a.Y0, a.Y1);
    uint8_t* row = FPixels.data() + size_t(y) * size_t(FWidth) * 3;
    for (int64_t x = left; x < right; ++x) {
      const double cover = rowCover * Overlap(x, a.X0, a.X1);
      if (cover > 0) Blend(row + 3 * x, Color, cover);
    }
  }
}

double TPageRaster::HalfPen(bool Vertical) const {
  const double pixels = Pen.Width * (Vertical ? FScaleX : FScaleY);
  return std::max(pixels, 1.0) / 2;
}

void TPageRaster::StrokeLine(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  TArea line = ToPixels(X1, double(Y1) + 1, X2, double(Y2) + 1);
  // Across the line the pen's width; along it the cap: a projecting square (and a round cap, drawn as
  // one) reaches half the width past each end, a butt cap not at all.
  const bool vertical = X1 == X2;
  const double across = HalfPen(vertical), along = FLineCap == 0 ? 0 : HalfPen(!vertical);
  if (vertical) {
    line.X0 -= across, line.X1 += across, line.Y0 -= along, line.Y1 += along;
  } else {
    line.Y0 -= across, line.Y1 += across, line.X0 -= along, line.X1 += along;
  }
  Fill(line, Pen.Color);
}

void TPageRaster::Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  if (X1 == X2 || Y1 == Y2) return;
  const bool fill = Brush.Style != bsClear, stroke = Pen.Style != psClear;
  if (fill || !stroke) {
    // The path the writer fills and strokes: x from X1 over Inner(X2 - X1), v from Y2 back over
    // Inner(Y2 - Y1).
    const TArea path = ToPixels(X1, Y2, double(X1) + Inner(int64_t(X2) - X1), double(Y2) - Inner(int64_t(Y2) - Y1));
    if (fill) Fill(path, Brush.Color);
    if (!fill || !stroke) return;
    // The outline around the path, in four bands that do not overlap.
    const double h = HalfPen(false), w = HalfPen(true);
    Fill({path.X0 - w, path.Y0 - h, path.X1 + w, path.Y0 + h}, Pen.Color);
    Fill({path.X0 - w, path.Y1 - h, path.X1 + w, path.Y1 + h}, Pen.Color);
    Fill({path.X0 - w, path.Y0 + h, path.X0 + w, path.Y1 - h}, Pen.Color);
    Fill({path.X1 - w, path.Y0 + h, path.X1 + w, path.Y1 - h}, Pen.Color);
    return;
  }
  // An outline only: four strokes along the shape's outermost pixels, as the writer draws them.
  const int32_t right = X2 > INT32_MIN ? X2 - 1 : X2;
  const int32_t bottom = Y2 > INT32_MIN ? Y2 - 1 : Y2;
  StrokeLine(X1, Y1, right, Y1);
  StrokeLine(right, Y1, right, bottom);
  StrokeLine(right, bottom, X1, bottom);
  StrokeLine(X1, bottom, X1, Y1);
}

void TPageRaster::BeginClip(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  // A degenerate clip cuts nothing: the writer writes none.
  if (X1 == X2 || Y1 == Y2) {
    FClips.push_back(Visible({0, 0, double(FWidth), double(FHeight)}));
    return;
  }
  FClips.push_back(Visible(ToPixels(X1, Y1, X2, Y2)));
}

void TPageRaster::EndClip() {
  if (!FClips.empty()) FClips.pop_back();
}

TPlacedImage TPageRaster::PlacePicture(int32_t X, int32_t Y, int32_t Width, int32_t Height,
                                       const TPictureSource& Source) {
  if (Width == 0 || Height == 0) return {};
  // The box the writer maps the picture to, one unit less than the rectangle each way, widened to
  // whole pixels as readers draw pictures: from the pixel its top-left corner lies in through the one
  // its bottom-right corner lies in.
  const TArea exact = ToPixels(X, Y, double(X) + Inner(Width), double(Y) + Inner(Height));
  const TArea box{std::floor(exact.X0), std::floor(exact.Y0), std::floor(exact.X1) + 1, std::floor(exact.Y1) + 1};
  if (!Source.Dib.Bits) {
    if (!Source.Loaded()) Fill(box, WaitingColor);
    return {};
  }
  if (PlacedKind(Source.Dib) == TPictureKind::None) return {};
  const TArea visible = Visible(box);
  if (!(visible.X1 > visible.X0 && visible.Y1 > visible.Y0)) return {};

  // The pixels the picture keeps: no more than the box shows, nor than the resolution limit allows.
  const double boxWidth = box.X1 - box.X0, boxHeight = box.Y1 - box.Y0;
  const auto keep = [](int32_t Have, double Shown, int32_t Limit) {
    int64_t n = static_cast<int64_t>(Shown);
    if (Limit > 0) n = std::min<int64_t>(n, Limit);
    return static_cast<int32_t>(std::clamp<int64_t>(n, 1, Have));
  };
  const int32_t tw = keep(DibWidth(Source.Dib), boxWidth, PixelsForPoints(Width, ImageDpi));
  const int32_t th = keep(DibHeight(Source.Dib), boxHeight, PixelsForPoints(Height, ImageDpi));
  TDibHolder scaled;
  ScaleDib(scaled.Receive(), Source.Dib, tw, th);
  const TDib& picture = scaled.Get();
  if (!picture.Bits) return {};

  // Enlarged four times or more, pixels show as blocks; less, they are interpolated (bilinear): what
  // readers do. Each pixel is sampled at its centre.
  const bool blocks = boxWidth / tw >= 4 || boxHeight / th >= 4;
  const auto sample = [blocks](double At, double Span, int32_t Size, int32_t& First, double& Weight) {
    const double p = blocks ? std::floor(At / Span * Size) : At / Span * Size - 0.5;
    const double q = std::clamp(p, 0.0, double(Size - 1));
    First = std::min(static_cast<int32_t>(q), Size - 1);
    Weight = q - First;
  };
  const int64_t left = static_cast<int64_t>(std::floor(visible.X0));
  const int64_t right = static_cast<int64_t>(std::ceil(visible.X1));
  const int64_t top = static_cast<int64_t>(std::floor(visible.Y0));
  const int64_t bottom = static_cast<int64_t>(std::ceil(visible.Y1));
  for (int64_t y = top; y < bottom; ++y) {
    const double rowCover = Overlap(y, visible.Y0, visible.Y1);
    int32_t r0;
    double fy;
    sample(double(y) + 0.5 - box.Y0, boxHeight, th, r0, fy);
    const int32_t r1 = std::min(r0 + 1, th - 1);
    // Stored rows run from the bottom.
    const uint8_t* upper = picture.Bits + int64_t(th - 1 - r0) * picture.RowBytes;
    const uint8_t* lower = picture.Bits + int64_t(th - 1 - r1) * picture.RowBytes;
    uint8_t* row = FPixels.data() + size_t(y) * size_t(FWidth) * 3;
    for (int64_t x = left; x < right; ++x) {
      const double cover = rowCover * Overlap(x, visible.X0, visible.X1);
      if (cover <= 0) continue;
      int32_t c0;
      double fx;
      sample(double(x) + 0.5 - box.X0, boxWidth, tw, c0, fx);
      const int32_t c1 = std::min(c0 + 1, tw - 1);
      uint32_t color = 0;
      for (int c = 0; c < 3; ++c) {
        // Blue, green, red in the picture; red in the lowest byte of a colour.
        const double high = upper[3 * c0 + 2 - c] * (1 - fx) + upper[3 * c1 + 2 - c] * fx;
        const double low = lower[3 * c0 + 2 - c] * (1 - fx) + lower[3 * c1 + 2 - c] * fx;
        color |= uint32_t(std::lround(high * (1 - fy) + low * fy)) << (8 * c);
      }
      Blend(row + 3 * x, color, cover);
    }
  }
  return {};
}
