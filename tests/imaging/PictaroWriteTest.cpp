// Writing pictures: BMP round trips at every depth we produce, and JPEG files that other readers
// accept as three-component, 8-bit baseline.
#include <gtest/gtest.h>

#include <cstring>

#include "PictureOracle.h"
#include "imaging/pictaro/Pictaro.h"
#include "support/TestSupport.h"

namespace {

// A picture of the given depth with a pattern in every pixel and a distinct colour table.
TDib Patterned(int Width, int Height, int Bits) {
  TDib dib;
  newdib(&dib, Width, Height, Bits, nullptr, 0);
  if (!dib.Bits) return dib;
  const int colours = Bits <= 8 ? 1 << Bits : 0;
  auto* table = reinterpret_cast<uint8_t*>(dib.Header) + dib.Header->biSize;
  for (int i = 0; i < colours; ++i) {
    table[4 * i] = static_cast<uint8_t>(i * 7), table[4 * i + 1] = static_cast<uint8_t>(255 - i);
    table[4 * i + 2] = static_cast<uint8_t>(i * 3);
    dib.Colors[i] = {table[4 * i + 2], table[4 * i + 1], table[4 * i], 0};
  }
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x)
      setpixel(dib, x, y, Bits == 24 ? (x * 40503u + y * 2654435761u) & 0xFFFFFF : (x * 3 + y * 5) % colours);
  return dib;
}

// The first start-of-frame segment: marker, precision, components. False when there is none.
bool FindFrame(const std::string& Jpeg, int& Marker, int& Precision, int& Components) {
  for (size_t p = 2; p + 10 < Jpeg.size();) {
    if (static_cast<uint8_t>(Jpeg[p]) != 0xFF) return false;
    const int m = static_cast<uint8_t>(Jpeg[p + 1]);
    const size_t length = (static_cast<uint8_t>(Jpeg[p + 2]) << 8) | static_cast<uint8_t>(Jpeg[p + 3]);
    if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
      Marker = m, Precision = static_cast<uint8_t>(Jpeg[p + 4]),
      Components = static_cast<uint8_t>(Jpeg[p + 9]);
      return true;
    }
    p += 2 + length;
  }
  return false;
}

}  // namespace

TEST(PictaroWrite, BmpRoundTripKeepsDepthColoursAndEveryPixel) {
  qtest::TScratchDir dir;
  // Widths that leave 1, 2 and 3 padding bytes per row at the various depths.
  for (int bits : {1, 4, 8, 24})
    for (int width : {1, 13, 31}) {
      SCOPED_TRACE(testing::Message() << bits << " bits, width " << width);
      TDib dib = Patterned(width, 7, bits);
      ASSERT_NE(dib.Bits, nullptr);
      const std::string file = dir / "rt.bmp";
      ASSERT_EQ(SaveDib(dib, file.c_str(), 3, 0), 1);
      TDib back;
      ASSERT_EQ(OpenDib(&back, file.c_str(), 3, nullptr), 1);
      EXPECT_EQ(DibBitCount(back), bits);
      EXPECT_EQ(DibWidth(back), width);
      EXPECT_EQ(DibHeight(back), 7);
      for (int y = 0; y < 7; ++y)
        for (int x = 0; x < width; ++x) ASSERT_EQ(getpixel(back, x, y), getpixel(dib, x, y)) << x << "," << y;
      if (bits <= 8) {
        EXPECT_EQ(std::memcmp(back.Colors, dib.Colors, 4 << bits), 0);
      }
      if (qtest::NeedProgram("identify")) {
        std::string size;
        qtest::Run("identify -format '%w %h' " + qtest::Quote(file), &size);
        EXPECT_EQ(size, std::to_string(width) + " 7");
      }
      deldib(dib);
      deldib(back);
    }
}

TEST(PictaroWrite, JpegIsThreeComponentBaselineThatDjpegReads) {
  qtest::TScratchDir dir;
  for (int bits : {24, 8, 1}) {
    SCOPED_TRACE(bits);
    TDib dib = Patterned(45, 33, bits);
    const std::string file = dir / "out.jpg";
    ASSERT_EQ(SaveDib(dib, file.c_str(), 7, 0), 1);
    const std::string bytes = qtest::ReadFile(file);
    int marker = 0, precision = 0, components = 0;
    ASSERT_TRUE(FindFrame(bytes, marker, precision, components));
    EXPECT_EQ(marker, 0xC0);  // baseline
    EXPECT_EQ(precision, 8);
    EXPECT_EQ(components, 3);
    if (qtest::NeedProgram("djpeg")) {
      EXPECT_EQ(qtest::Run("djpeg -ppm " + qtest::Quote(file) + " >/dev/null"), 0);
    }
    TDib back;
    ASSERT_EQ(OpenDib(&back, file.c_str(), 7, nullptr), 1);
    EXPECT_EQ(DibWidth(back), 45);
    EXPECT_EQ(DibHeight(back), 33);
    EXPECT_EQ(DibBitCount(back), 24);
    deldib(dib);
    deldib(back);
  }
}

TEST(PictaroWrite, RefusesWhatItCannotWrite) {
  qtest::TScratchDir dir;
  TDib dib = Patterned(4, 4, 24);
  EXPECT_EQ(SaveDib(dib, (dir / "x.png").c_str(), 5, 0), 0);  // no such writer
  EXPECT_EQ(SaveDib(dib, (dir.Path() / "missing" / "x.bmp").string().c_str(), 3, 0), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "x.png"));
  TDib none{};
  EXPECT_EQ(SaveDib(none, (dir / "none.bmp").c_str(), 3, 0), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "none.bmp"));
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_EQ(SaveDib(dib, "/dev/full", 3, 0), 0);  // a full disk is noticed
    EXPECT_EQ(SaveDib(dib, "/dev/full", 7, 0), 0);
  }
  deldib(dib);
}
