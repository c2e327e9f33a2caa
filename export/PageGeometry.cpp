#include "export/PageGeometry.h"

#include <cmath>

int32_t MmToPoints(double Mm) {
  const long double points = static_cast<long double>(Mm) / 25.39995L * 72.0L;
  return static_cast<int32_t>(std::trunc(points));
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

int32_t FramePenWidth(int32_t FrameWidth) { return static_cast<int32_t>(std::nearbyint(FrameWidth / 3.0)); }

std::string InsertBeforeExtension(const std::string& Name, std::string_view Insert) {
  const size_t nameStart = Name.find_last_of("/\\") == std::string::npos ? 0 : Name.find_last_of("/\\") + 1;
  size_t dot = Name.rfind('.');
  if (dot == std::string::npos || dot < nameStart) dot = Name.size();
  return Name.substr(0, dot) + std::string(Insert) + Name.substr(dot);
}

std::string NumberedFileName(const std::string& ChosenName, int32_t Page) {
  std::string number = std::to_string(Page);
  if (number.size() < 4) number.insert(0, 4 - number.size(), '0');
  return InsertBeforeExtension(ChosenName, number);
}
