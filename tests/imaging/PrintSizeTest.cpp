// Pictures for print-size PDFs: scaling down by area averaging to an exact size, and reading a JPEG's
// markers without decoding it.

#include <gtest/gtest.h>

#include <functional>

#include "imaging/pictaro/JpegHeader.h"
#include "imaging/pictaro/Pictaro.h"
#include "support/TestSupport.h"

namespace {

// A picture of W x H in Bits bits whose pixel (x, top) is Value(x, top): 0x00BBGGRR for 24 bits, an
// index into Colors (0x00BBGGRR each) otherwise.
TDib Picture(int W, int H, int Bits, const std::vector<uint32_t>& Colors,
             const std::function<uint32_t(int, int)>& Value) {
  TDib dib;
  newdib(&dib, W, H, Bits, nullptr, 0);
  EXPECT_NE(dib.Bits, nullptr);
  if (!dib.Bits) return dib;
  for (size_t i = 0; i < Colors.size(); ++i) {
    // The colour table lies after the header; the record mirrors it.
    auto* quad = reinterpret_cast<uint8_t*>(dib.Header) + dib.Header->biSize + 4 * i;
    quad[0] = dib.Colors[i].Blue = static_cast<uint8_t>(Colors[i] >> 16);
    quad[1] = dib.Colors[i].Green = static_cast<uint8_t>(Colors[i] >> 8);
    quad[2] = dib.Colors[i].Red = static_cast<uint8_t>(Colors[i]);
  }
  for (int top = 0; top < H; ++top)
    for (int x = 0; x < W; ++x) setpixel(dib, x, H - 1 - top, Value(x, top));
  return dib;
}

// Scales Source to W x H and returns the red channel of every pixel, rows from the top.
std::vector<int> ScaledReds(const TDib& Source, int W, int H) {
  TDib out;
  ScaleDib(&out, Source, W, H);
  std::vector<int> reds;
  if (!out.Bits) return reds;
  EXPECT_EQ(DibBitCount(out), 24);
  for (int top = 0; top < H; ++top)
    for (int x = 0; x < W; ++x) reds.push_back(static_cast<int>(getpixel(out, x, H - 1 - top) & 0xFF));
  deldib(out);
  return reds;
}

}  // namespace

// Every target pixel is the mean of the source area it covers; source pixels on its edge count by
// the part inside.
TEST(ScaleDib, AveragesTheAreaEachTargetPixelCovers) {
  const auto row = [](std::vector<uint32_t> Reds) {
    return Picture(static_cast<int>(Reds.size()), 1, 24, {}, [Reds](int x, int) { return Reds[x]; });
  };
  struct {
    std::vector<uint32_t> Source;
    int Width;
    std::vector<int> Expected;
  } rows[] = {
      {{0, 90, 180}, 2, {30, 150}},            // halves of the middle pixel: (0 + 45) / 1.5, (45 + 180) / 1.5
      {{0, 50, 100, 150, 200}, 2, {40, 160}},  // 2.5 source pixels each
      {{10, 20, 30, 40}, 2, {15, 35}},         // whole pixels: plain means
      {{255, 255, 255, 255, 255, 255, 255}, 3, {255, 255, 255}},  // weights add up to exactly one
      {{1, 2, 3}, 3, {1, 2, 3}},                                  // the same size copies
  };
  for (const auto& r : rows) {
    const TDib source = row(r.Source);
    EXPECT_EQ(ScaledReds(source, r.Width, 1), r.Expected) << r.Source.size() << " -> " << r.Width;
    deldib(source);
  }

  // Each side on its own: columns stay, rows pair up. A 4-bit palette picture averages its colours.
  const TDib palette =
      Picture(2, 4, 4, {0x000000, 0x0000C8}, [](int x, int top) { return (x + top / 2) & 1; });
  EXPECT_EQ(ScaledReds(palette, 2, 2), (std::vector<int>{0, 200, 200, 0}));
  EXPECT_EQ(ScaledReds(palette, 1, 1), (std::vector<int>{100}));
  deldib(palette);
  // A 1-bit picture too; and a uniform grey survives any factor unchanged.
  const TDib bits = Picture(9, 7, 1, {0x000000, 0xFFFFFF}, [](int, int) { return 1u; });
  EXPECT_EQ(ScaledReds(bits, 4, 3), std::vector<int>(12, 255));
  deldib(bits);
  const TDib grey = Picture(1001, 3, 24, {}, [](int, int) { return 0x7F7F7Fu; });
  EXPECT_EQ(ScaledReds(grey, 333, 2), std::vector<int>(666, 0x7F));

  // Never larger than the source, never empty.
  for (const auto& [w, h] : {std::pair{1002, 3}, std::pair{1001, 4}, std::pair{0, 1}, std::pair{5, -1}}) {
    TDib out;
    ScaleDib(&out, grey, w, h);
    EXPECT_EQ(out.Bits, nullptr) << w << " x " << h;
  }
  deldib(grey);
}

// The marker walk finds the frame, the colour markers and the end of the data, stepping over the
// coded data of every scan (restart markers included) without decoding it.
TEST(JpegHeader, FollowsTheMarkersToTheEndOfTheData) {
  QTEST_REQUIRE_PROGRAM("cjpeg");
  QTEST_REQUIRE_PROGRAM("convert");
  qtest::TScratchDir dir;
  ASSERT_EQ(qtest::Run("convert -size 40x24 plasma:fractal " + qtest::Quote(dir / "p.ppm")), 0);
  struct {
    const char* Name;
    const char* Options;
    int Process, Components, Adobe;
    bool Jfif;
  } rows[] = {
      {"base.jpg", "", 0, 3, -1, true},
      {"restart.jpg", "-restart 1B", 0, 3, -1, true},  // a restart marker after every block
      {"progressive.jpg", "-progressive", 2, 3, -1, true},
      {"arithmetic.jpg", "-arithmetic", 9, 3, -1, true},
      {"grey.jpg", "-grayscale", 0, 1, -1, true},
      {"rgb.jpg", "-rgb", 0, 3, 0, false},  // RGB samples, marked by the Adobe marker's transform 0
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.Name);
    const std::string file = dir / r.Name;
    ASSERT_EQ(qtest::Run(std::string("cjpeg ") + r.Options + " -outfile " + qtest::Quote(file) + " " +
                         qtest::Quote(dir / "p.ppm")),
              0);
    const std::string bytes = qtest::ReadFile(file);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    TJpegHeader h;
    ASSERT_TRUE(ReadJpegHeader(data, bytes.size(), h));
    EXPECT_EQ(h.Width, 40);
    EXPECT_EQ(h.Height, 24);
    EXPECT_EQ(h.Precision, 8);
    EXPECT_EQ(h.Process, r.Process);
    EXPECT_EQ(h.Components, r.Components);
    EXPECT_EQ(h.AdobeTransform, r.Adobe);
    EXPECT_EQ(h.Jfif, r.Jfif);
    EXPECT_EQ(h.Length, bytes.size());
    // Bytes after the end-of-image marker are no part of the picture; a file cut short has no end.
    const std::string longer = bytes + "\xFF\xD8\xFF\xE0 trailing";
    ASSERT_TRUE(ReadJpegHeader(reinterpret_cast<const uint8_t*>(longer.data()), longer.size(), h));
    EXPECT_EQ(h.Length, bytes.size());
    for (size_t cut : {size_t{1}, size_t{2}, bytes.size() / 2}) {
      ASSERT_TRUE(ReadJpegHeader(data, bytes.size() - cut, h)) << cut;
      EXPECT_EQ(h.Length, 0u) << cut;
    }
  }
  // Nothing before the frame header, or no JPEG at all, gives no header.
  TJpegHeader h;
  const std::string base = qtest::ReadFile(dir / "base.jpg");
  EXPECT_FALSE(ReadJpegHeader(reinterpret_cast<const uint8_t*>(base.data()), 20, h));
  const uint8_t notJpeg[] = {0x89, 'P', 'N', 'G', 0, 0};
  EXPECT_FALSE(ReadJpegHeader(notJpeg, sizeof notJpeg, h));
}
