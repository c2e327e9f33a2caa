#include "export/PageGeometry.h"

#include <algorithm>
#include <cmath>

int32_t MmToPoints(double Mm) {
  const long double points = static_cast<long double>(Mm) / 25.39995L * 72.0L;
  return static_cast<int32_t>(std::trunc(points));
}

double MmToExactPoints(double Mm) { return Mm / 25.4 * 72.0; }

int32_t MmToPointsUp(double Mm) {
  const double points = MmToExactPoints(Mm);
  if (!(points > 0)) return 0;
  return static_cast<int32_t>(std::min(std::ceil(points - 1e-6), 2147483647.0));
}

int32_t TPageGrid::PrintSide(double Trim) const {
  const double side = std::ceil(Trim - 1e-6) + 2.0 * B + 1.0;
  return static_cast<int32_t>(std::min(side, 2147483647.0));
}

void TPageGrid::Compute() {
  const int32_t contentWidth = W - 2 * MX;
  CW = (contentWidth - (NX - 1) * SX) / NX;
  CH = (H - 2 * MY - HH - (NY - 1) * SY) / NY;
}

void TPageGrid::SetHeadingHeight(int32_t HeadingHeight) {
  HH = HeadingHeight;
  CH = (H - 2 * MY - HH - (NY - 1) * SY) / NY;
}

TFittedPicture FitPicture(int32_t CellX, int32_t CellY, int32_t CW, int32_t E, int32_t IW, int32_t IH,
                          bool ZoomIn) {
  // Products in 64 bits: a 24-megapixel photo times a large cell overflows 32.
  TFittedPicture f;
  if (IW <= 0 || IH <= 0) return f;
  f.D = CW;
  f.h = static_cast<int32_t>(int64_t{IH} * CW / IW);
  if (ZoomIn ? f.h < E : f.h > E) {
    f.h = E;
    f.D = static_cast<int32_t>(int64_t{IW} * E / IH);
  }
  f.X = CellX + Half(CW - f.D);
  f.Y = CellY + Half(E - f.h);
  return f;
}

TPlacedSize PlacedPictureSize(int32_t CW, int32_t E, int32_t IW, int32_t IH, bool ZoomIn) {
  const TFittedPicture f = FitPicture(0, 0, CW, E, IW, IH, ZoomIn);
  // No picture area at all means nothing to show the picture in, also when enlarging would give it
  // a positive size.
  if (E <= 0 || f.D <= 0 || f.h <= 0) return {};
  return {true, ZoomIn ? f.D + 1 : f.D, ZoomIn ? f.h + 1 : f.h};
}

TBleedSides TouchedTrimSides(const TPageGrid& Grid, TRect Visible) {
  TBleedSides sides;
  if (Grid.B <= 0 || Visible.X2 <= Visible.X1 || Visible.Y2 <= Visible.Y1) return sides;
  if (Grid.MX == 0) {
    sides.Left = Visible.X1 <= Grid.CellX(0);
    sides.Right = Visible.X2 >= Grid.CellX(Grid.NX - 1) + Grid.CW;
  }
  if (Grid.MY == 0) {
    // With a heading the first row starts below it, not at the trim edge.
    sides.Top = Grid.HH == 0 && Visible.Y1 <= Grid.CellY(0);
    sides.Bottom = Visible.Y2 >= Grid.CellY(Grid.NY - 1) + Grid.CH;
  }
  return sides;
}

TRect GrowIntoBleed(const TPageGrid& Grid, TRect Visible, TBleedSides Sides) {
  if (Sides.Left) Visible.X1 = -1;
  if (Sides.Top) Visible.Y1 = -1;
  if (Sides.Right) Visible.X2 = Grid.PageW() + 1;
  if (Sides.Bottom) Visible.Y2 = Grid.PageH() + 1;
  return Visible;
}

namespace {

// One axis of CoverBleed: the scale the picture's span P1..P2 needs to cover C1..C2 when it grows
// away from its far edge (Low: the low side touches), its near edge, or its centre.
double AxisScale(double P1, double P2, double C1, double C2, bool Low, bool High) {
  const double size = P2 - P1;
  if (size <= 0) return 1;
  if (Low && !High) return (P2 - C1) / size;
  if (High && !Low) return (C2 - P1) / size;
  const double centre = (P1 + P2) / 2;
  return 2 * std::max(centre - C1, C2 - centre) / size;
}

// The span P1..P2 scaled by Scale the same way, rounded outwards.
void ScaleAxis(int32_t& P1, int32_t& P2, double Scale, bool Low, bool High) {
  const double size = double(P2 - P1) * Scale;
  double a, b;
  if (Low && !High) {
    a = P2 - size, b = P2;
  } else if (High && !Low) {
    a = P1, b = P1 + size;
  } else {
    const double centre = (double(P1) + P2) / 2;
    a = centre - size / 2, b = centre + size / 2;
  }
  // A whole-numbered end stays whole: the scale's own rounding must not push it out by a unit.
  constexpr double slack = 1e-6;
  P1 = static_cast<int32_t>(std::floor(a + slack));
  P2 = static_cast<int32_t>(std::ceil(b - slack));
}

}  // namespace

TRect CoverBleed(TRect Picture, TRect Cover, TBleedSides Sides) {
  const double scale =
      std::max({1.0, AxisScale(Picture.X1, Picture.X2, Cover.X1, Cover.X2, Sides.Left, Sides.Right),
                AxisScale(Picture.Y1, Picture.Y2, Cover.Y1, Cover.Y2, Sides.Top, Sides.Bottom)});
  if (scale <= 1) return Picture;
  ScaleAxis(Picture.X1, Picture.X2, scale, Sides.Left, Sides.Right);
  ScaleAxis(Picture.Y1, Picture.Y2, scale, Sides.Top, Sides.Bottom);
  return Picture;
}

int32_t FramePenWidth(int32_t FrameWidth) { return static_cast<int32_t>(std::nearbyint(FrameWidth / 3.0)); }

std::string InsertBeforeExtension(const std::string& Name, std::string_view Insert) {
  const size_t slash = Name.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = Name.rfind('.');
  if (dot == std::string::npos || dot < nameStart) dot = Name.size();
  return Name.substr(0, dot) + std::string(Insert) + Name.substr(dot);
}

std::string NumberedFileName(const std::string& ChosenName, int32_t Page) {
  std::string number = std::to_string(Page);
  if (number.size() < 4) number.insert(0, 4 - number.size(), '0');
  return InsertBeforeExtension(ChosenName, number);
}
