#pragma once
// Pictures for the image tests: palette and 24-bit pictures filled by a function of the pixel's
// place, a holder that frees them, the files left in the private temporary folder, and reading back
// what pdftoppm renders.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "imaging/pictaro/Pictaro.h"
#include "platform/TempFolder.h"
#include "support/TestSupport.h"

namespace imgtest {

// Frees a test picture when the test ends.
struct TOwned {
  TDib Dib{};
  TOwned() = default;
  explicit TOwned(const TDib& D) : Dib(D) {}
  ~TOwned() { deldib(Dib); }
  TOwned(const TOwned&) = delete;
  TOwned& operator=(const TOwned&) = delete;
};

// A picture of Bits (1, 4, 8) with the colour table Colors (0xRRGGBB), pixel (x, top) holding the
// index Index(x, top); top counts rows from the top. A 24-bit picture when Colors is empty, Index then
// giving 0xRRGGBB.
inline TDib MakePicture(int W, int H, int Bits, const std::vector<uint32_t>& Colors,
                        const std::function<uint32_t(int, int)>& Index) {
  struct {
    TBitmapInfoHeader Header;
    uint8_t Quads[256][4];
  } source{{sizeof(TBitmapInfoHeader), W, H, 1, static_cast<uint16_t>(Bits), 0, 0, 0, 0,
            static_cast<uint32_t>(Colors.size()), 0},
           {}};
  for (size_t i = 0; i < Colors.size() && i < 256; ++i)
    for (int c = 0; c < 3; ++c) source.Quads[i][c] = static_cast<uint8_t>(Colors[i] >> (8 * c));
  TDib dib{};
  newdib(&dib, W, H, Bits, Colors.empty() ? nullptr : &source.Header, static_cast<int>(Colors.size()));
  EXPECT_NE(dib.Bits, nullptr);
  if (!dib.Bits) return dib;
  for (int top = 0; top < H; ++top)
    for (int x = 0; x < W; ++x) {
      uint32_t v = Index(x, top);
      if (Bits == 24) v = ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);  // to 0x00BBGGRR
      setpixel(dib, x, H - 1 - top, v);
    }
  return dib;
}

inline TDib MakeSolid24(int W, int H, uint32_t Rgb) {
  return MakePicture(W, H, 24, {}, [Rgb](int, int) { return Rgb; });
}

// Names in the private temporary folder that begin with one of the writer's prefixes.
inline std::vector<std::string> WriterTempFiles() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(TempFolder())) {
    std::string name = entry.path().filename().string();
    if (name.rfind("temppdfimg", 0) == 0 || name.rfind("tempim", 0) == 0) names.push_back(name);
  }
  return names;
}

// A page rendered by pdftoppm at one pixel per page unit, as 0xRRGGBB per pixel.
struct TRaster {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Rgb;
  // Outside the raster (or of a page that could not be rendered): a value that is no colour.
  uint32_t At(int X, int Y) const {
    if (X < 0 || Y < 0 || X >= Width || Y >= Height) return 0xFF000000u;
    const uint8_t* p = Rgb.data() + 3 * (static_cast<size_t>(Y) * Width + X);
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
  }
};

inline TRaster Render(const std::string& Pdf, const qtest::TScratchDir& Dir, int Page = 1) {
  TRaster r;
  if (!qtest::NeedProgram("pdftoppm")) return r;
  std::string out = Dir / "render";
  const std::string n = std::to_string(Page);
  int rc = qtest::Run("pdftoppm -r 72 -f " + n + " -l " + n + " -singlefile " + qtest::Quote(Pdf) + " " +
                      qtest::Quote(out) + " 2>&1");
  EXPECT_EQ(rc, 0);
  if (rc != 0) return r;
  std::string ppm = qtest::ReadFile(out + ".ppm");
  // "P6\n<w> <h>\n255\n" then the samples.
  size_t at = 0;
  auto next = [&]() {
    while (at < ppm.size() && isspace(static_cast<unsigned char>(ppm[at]))) ++at;
    size_t start = at;
    while (at < ppm.size() && !isspace(static_cast<unsigned char>(ppm[at]))) ++at;
    return ppm.substr(start, at - start);
  };
  EXPECT_EQ(next(), "P6");
  r.Width = std::stoi(next());
  r.Height = std::stoi(next());
  next();
  ++at;
  r.Rgb.assign(ppm.begin() + static_cast<long>(at), ppm.end());
  EXPECT_EQ(r.Rgb.size(), size_t(3) * r.Width * r.Height);
  return r;
}

// The largest channel difference between the picture Dib (1, 4, 8 or 24 bits) and Rgb, three bytes a
// pixel with rows from the top, of the same size.
inline int MaxDifference(const TDib& Dib, const std::string& Rgb) {
  const int w = DibWidth(Dib), h = DibHeight(Dib);
  int worst = 0;
  for (int top = 0; top < h; ++top)
    for (int x = 0; x < w; ++x) {
      const uint32_t v = getpixel(Dib, x, h - 1 - top);
      int rgb[3];
      if (DibBitCount(Dib) >= 24) {
        rgb[0] = v & 0xFF, rgb[1] = (v >> 8) & 0xFF, rgb[2] = (v >> 16) & 0xFF;
      } else {
        const TDibColor& c = Dib.Colors[v & 0xFF];
        rgb[0] = c.Red, rgb[1] = c.Green, rgb[2] = c.Blue;
      }
      for (int k = 0; k < 3; ++k)
        worst = std::max(worst, std::abs(rgb[k] - uint8_t(Rgb[3 * (size_t(top) * w + x) + k])));
    }
  return worst;
}

// Each channel of A within Tolerance of the same channel of B.
inline bool Near(uint32_t A, uint32_t B, int Tolerance) {
  for (int s = 0; s < 24; s += 8) {
    int d = int((A >> s) & 0xFF) - int((B >> s) & 0xFF);
    if (d < -Tolerance || d > Tolerance) return false;
  }
  return true;
}

}  // namespace imgtest
