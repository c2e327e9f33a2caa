#include "PictureOracle.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "imaging/pictaro/Pictaro.h"
#include "support/TestSupport.h"

namespace qtest {

TRgb DibRgb(const TDib& Dib, int X, int Y) {
  const int stored = DibHeight(Dib) - 1 - Y;
  const uint32_t v = getpixel(Dib, X, stored);
  if (DibBitCount(Dib) == 24) return {int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF)};
  const TDibColor& c = Dib.Colors[v & 0xFF];
  return {c.Red, c.Green, c.Blue};
}

bool ReferencePixels(const std::string& File, int& Width, int& Height, std::string& Rgb) {
  if (!NeedProgram("convert")) return false;
  std::string size;
  const std::string upright =
      Quote(File + "[0]") + " -auto-orient -background white -alpha remove -alpha off";
  if (Run("convert " + upright + " -format '%w %h' info:", &size) != 0) return false;
  std::istringstream in(size);
  if (!(in >> Width >> Height)) return false;
  Rgb.clear();
  if (Run("convert " + upright + " -depth 8 rgb:-", &Rgb) != 0) return false;
  return Rgb.size() == static_cast<size_t>(Width) * Height * 3;
}

int MaxDifference(const TDib& Dib, int Width, int Height, const std::string& Rgb, int Samples) {
  const int64_t total = int64_t{Width} * Height;
  const int64_t step = std::max<int64_t>(1, total / Samples);
  int worst = 0;
  // An odd stride over the pixels visits many different columns and rows.
  for (int64_t i = 0; i < total; i += step | 1) {
    const int x = static_cast<int>(i % Width), y = static_cast<int>(i / Width);
    const TRgb got = DibRgb(Dib, x, y);
    const auto* want = reinterpret_cast<const uint8_t*>(Rgb.data()) + 3 * i;
    worst = std::max(
        {worst, std::abs(got.Red - want[0]), std::abs(got.Green - want[1]), std::abs(got.Blue - want[2])});
  }
  return worst;
}

}  // namespace qtest
