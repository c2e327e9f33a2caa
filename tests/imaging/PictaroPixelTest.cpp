// Making pictures and touching single pixels, colour counts, halftoning, the screen depth through
// the device layer, the memory device, and LoadPicture's choice of format by extension.
#include <gtest/gtest.h>

#include <cstring>

#include "PictureOracle.h"
#include "imaging/pictaro/LoadPicture.h"
#include "imaging/pictaro/Pictaro.h"
#include "platform/MemoryDevice.h"
#include "support/TestSupport.h"

TEST(PictaroPixels, GetAndSetAtEveryDepth) {
  TDib one;
  newdib(&one, 10, 3, 1, nullptr, 0);
  ASSERT_NE(one.Bits, nullptr);
  EXPECT_NE(one.Made, 0u);
  setpixel(one, 9, 2, 1);
  setpixel(one, 8, 2, 7);  // only the low bit counts
  EXPECT_EQ(getpixel(one, 9, 2), 1u);
  EXPECT_EQ(getpixel(one, 8, 2), 1u);
  EXPECT_EQ(getpixel(one, 7, 2), 0u);
  EXPECT_EQ(one.Bits[2 * one.RowBytes + 1], 0xC0);  // pixel 8 is the top bit of the second byte
  setpixel(one, 9, 2, 0);
  EXPECT_EQ(getpixel(one, 9, 2), 0u);

  TDib four;
  newdib(&four, 3, 1, 4, nullptr, 0);
  setpixel(four, 0, 0, 0xA);
  setpixel(four, 1, 0, 0x5);
  EXPECT_EQ(four.Bits[0], 0xA5);  // the even pixel in the high nibble

  TDib rgb;
  newdib(&rgb, 2, 2, 24, nullptr, 0);
  setpixel(rgb, 1, 1, 0x00332211);  // red 0x11, green 0x22, blue 0x33
  const uint8_t* p = rgb.Bits + rgb.RowBytes + 3;
  EXPECT_EQ(p[0], 0x33);  // stored blue, green, red
  EXPECT_EQ(p[2], 0x11);
  EXPECT_EQ(getpixel(rgb, 1, 1), 0x00332211u);

  // Outside the picture: nothing written, 0 read.
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}}) {
    setpixel(rgb, x, y, 0xFFFFFF);
    EXPECT_EQ(getpixel(rgb, x, y), 0u);
  }
  TDib none{};
  EXPECT_EQ(getpixel(none, 0, 0), 0u);
  setpixel(none, 0, 0, 1);
  deldib(none);  // no picture: nothing to free
  deldib(one), deldib(four), deldib(rgb);
}

TEST(PictaroPixels, NewDibLayoutAndColourCounts) {
  TDib src;
  newdib(&src, 5, 4, 8, nullptr, 0);
  auto* table = reinterpret_cast<uint8_t*>(src.Header) + src.Header->biSize;
  table[4 * 200] = 0x30, table[4 * 200 + 1] = 0x20, table[4 * 200 + 2] = 0x10;
  TDib copy;
  newdib(&copy, 7, 3, 8, src.Header, static_cast<int>(DibPaletteColors(src)));
  EXPECT_EQ(copy.Colors[200].Red, 0x10);  // the mirror reads red, green, blue
  EXPECT_EQ(copy.Colors[200].Blue, 0x30);
  EXPECT_EQ(copy.RowBytes, 8);
  EXPECT_EQ(DibColorCount(copy), 256u);
  EXPECT_EQ(DibPaletteColors(copy), 256u);
  for (int i = 0; i < copy.RowBytes * 3; ++i) ASSERT_EQ(copy.Bits[i], 0);
  // The bits follow the header and its table in the same block.
  EXPECT_EQ(copy.Bits, reinterpret_cast<uint8_t*>(copy.Header) + 40 + 1024);

  TDib rgb;
  newdib(&rgb, 5, 1, 24, nullptr, 0);
  EXPECT_EQ(rgb.RowBytes, 16);
  EXPECT_EQ(DibColorCount(rgb), 16777216u);
  EXPECT_EQ(DibPaletteColors(rgb), 0u);
  TDib none{};
  EXPECT_EQ(DibColorCount(none), 1u);  // bit count 0
  deldib(src), deldib(copy), deldib(rgb);
}

TEST(PictaroPixels, HalftoneGivesEightBitsWithCubeColours) {
  TDib rgb;
  newdib(&rgb, 64, 32, 24, nullptr, 0);
  // Left half pure red, right half mid grey.
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) setpixel(rgb, x, y, x < 32 ? 0x0000FF : 0x808080);
  TDib half;
  DIBHalftoneDIB(&half, rgb);
  ASSERT_NE(half.Bits, nullptr);
  EXPECT_EQ(DibBitCount(half), 8);
  EXPECT_EQ(DibWidth(half), 64);
  int64_t grey = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) {
      const qtest::TRgb c = qtest::DibRgb(half, x, y);
      if (x < 32) {
        ASSERT_EQ(c.Red, 255);  // a cube corner needs no dithering
        ASSERT_EQ(c.Green + c.Blue, 0);
      } else {
        ASSERT_EQ(c.Red, c.Green);
        grey += c.Red;
      }
    }
  EXPECT_NEAR(grey / (32.0 * 32), 128, 4);  // dithered grey averages to the grey it stands for
  TDib small;
  DIBHalftoneDIBXY(&small, rgb, 16, 5);
  EXPECT_EQ(DibWidth(small), 16);
  EXPECT_EQ(DibHeight(small), 5);
  EXPECT_EQ(qtest::DibRgb(small, 0, 0).Red, 255);
  TDib refused;
  DIBHalftoneDIBXY(&refused, rgb, 0, 5);
  EXPECT_EQ(refused.Bits, nullptr);
  deldib(rgb), deldib(half), deldib(small);
}

TEST(PictaroPixels, ScreenDepthComesFromTheDesktopDevice) {
  EXPECT_EQ(ScreenBitsPerPixel(), 24);
  TMemoryDevice palette(4, 4, 8);
  SetDesktopDevice(&palette);
  EXPECT_EQ(ScreenBitsPerPixel(), 8);
  SetDesktopDevice(nullptr);
  EXPECT_EQ(ScreenBitsPerPixel(), 24);
}

TEST(PictaroPixels, MemoryDeviceStretchesBottomUpRows) {
  TDib dib;
  newdib(&dib, 2, 2, 24, nullptr, 0);
  setpixel(dib, 0, 1, 0x0000FF);  // stored row 1 is the top row: top left red
  setpixel(dib, 1, 0, 0xFF0000);  // bottom right blue
  TMemoryDevice device(6, 6);
  EXPECT_EQ(device.StretchDIBits(1, 1, 4, 4, 0, 0, 2, 2, dib.Bits, dib.Header, RopSrcCopy), 2);
  EXPECT_EQ(device.Pixel(1, 1), 0xFF0000u);  // 0x00RRGGBB
  EXPECT_EQ(device.Pixel(2, 2), 0xFF0000u);
  EXPECT_EQ(device.Pixel(4, 4), 0x0000FFu);
  EXPECT_EQ(device.Pixel(0, 0), 0xFFFFFFu);  // outside the target: untouched
  device.RefuseStretchDIBits = true;
  EXPECT_EQ(device.StretchDIBits(0, 0, 1, 1, 0, 0, 1, 1, dib.Bits, dib.Header, RopSrcCopy), GdiError);
  // One stored row at a time, as the row helpers send it.
  device.Fill(0);
  EXPECT_EQ(device.SetDIBitsToDevice(0, 3, 2, 1, 0, 0, 0, 1, dib.Bits + dib.RowBytes, dib.Header), 1);
  EXPECT_EQ(device.Pixel(0, 3), 0xFF0000u);
  deldib(dib);
}

TEST(PictaroLoad, ExtensionRule) {
  struct {
    const char* Name;
    const char* Extension;
  } rows[] = {
      {"a.jpeg", ".JPEG"},
      {"a.JPEG", ".JPEG"},
      {"a.b.Jpeg", ".JPEG"},
      {"a.jpg", ".JPG"},
      {"a.jpeg.bmp", ".BMP"},             // only the last dot counts
      {"foto", ""},                       // no dot at all
      {"dir.jpeg/foto", ""},              // the dot belongs to the folder
      {"C:\\bilder.jpeg\\foto", ".JPEG\\FOTO"},  // a backslash is a letter of the name
      {"/tmp/.jpeg", ".JPEG"},            // a hidden file's name is all extension
      {"a.jp\xC3\xA9g", ".JP\xC3\xA9G"},  // only ASCII letters are upper-cased
  };
  for (const auto& row : rows) EXPECT_EQ(PictureExtension(row.Name), row.Extension) << row.Name;
}

TEST(PictaroLoad, JpegExtensionForcesTheJpegReader) {
  QTEST_REQUIRE_PROGRAM("convert");
  qtest::TScratchDir dir;
  const std::string jpeg = dir / "a.b.Jpeg";
  ASSERT_EQ(qtest::Run("convert -size 8x6 xc:red JPG:" + qtest::Quote(jpeg)), 0);
  TDib dib;
  // Format 3 asks for a bitmap, which this file is not, but the name says JPEG.
  LoadPicture(jpeg.c_str(), 3, nullptr, &dib);
  ASSERT_NE(dib.Bits, nullptr);
  EXPECT_EQ(DibWidth(dib), 8);
  deldib(dib);
  const std::string jpg = dir / "a.jpg";
  std::filesystem::copy_file(jpeg, jpg);
  LoadPicture(jpg.c_str(), 3, nullptr, &dib);
  EXPECT_EQ(dib.Bits, nullptr);  // ".jpg" keeps the caller's format
  LoadPicture(jpg.c_str(), -1, nullptr, &dib);
  EXPECT_NE(dib.Bits, nullptr);
  deldib(dib);
  // A bitmap named .jpeg is read as JPEG and so fails, whatever the caller asked.
  const std::string bmp = dir / "b.jpeg";
  ASSERT_EQ(qtest::Run("convert -size 8x6 xc:red BMP3:" + qtest::Quote(bmp)), 0);
  LoadPicture(bmp.c_str(), 3, nullptr, &dib);
  EXPECT_EQ(dib.Bits, nullptr);
}
