// HEIF and AVIF pictures through the picture library: the file's own turn applied once, deep pictures
// reduced to 8 bits, the embedded thumbnail for small pictures, colour from nclx; and odd files.
#include <gtest/gtest.h>

#include <cstring>

#include "PictureOracle.h"
#include "support/TaggedPictures.h"
#include "support/TestSupport.h"

namespace {

// 64 x 32: the top-left quarter red, the rest blue.
qtest::TTestPixels Quartered() {
  qtest::TTestPixels p = qtest::SolidPixels(64, 32, 0x2020D0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) p.Rgb.replace((size_t(y) * 64 + x) * 3, 3, "\xD0\x20\x20");
  return p;
}

bool IsRed(const qtest::TRgb& C) { return C.Red > 170 && C.Blue < 80; }
bool IsBlue(const qtest::TRgb& C) { return C.Blue > 170 && C.Red < 80; }

TEST(HeifRead, WhatTheFileSaysIsWhatComesOut) {
  struct TRow {
    const char* Name;
    qtest::THeifOptions Options;
    int MinLongSide;
    int Width, Height;          // of the picture handed out
    int FullWidth, FullHeight;  // of the whole picture
    bool Profile;               // a profile other than sRGB comes with it
    int Turn = 0;               // the photo's quarter turns, on top of the file's own
  };
  const TRow rows[] = {
      // Turned a quarter clockwise, in its boxes and in its EXIF data.
      {"turned", {.Orientation = 6}, 0, 32, 64, 32, 64, false},
      // The user's quarter turn comes on top of the file's, and its EXIF orientation is not applied again.
      {"turned by the user too", {.Orientation = 6}, 0, 64, 32, 64, 32, false, 1},
      {"mirrored avif", {.Avif = true, .Orientation = 2}, 0, 64, 32, 64, 32, false},
      {"10 bits", {.Bits = 10}, 0, 64, 32, 64, 32, false},
      // The thumbnail stands in when it covers what is asked, not otherwise.
      {"thumbnail taken", {.ThumbnailSide = 32}, 24, 32, 16, 64, 32, false},
      {"thumbnail too small", {.ThumbnailSide = 32}, 40, 64, 32, 64, 32, false},
      // Coded colours: Display P3 with the sRGB curve becomes a profile, sRGB itself needs none.
      {"nclx p3", {.Primaries = 12}, 0, 64, 32, 64, 32, true},
      {"nclx srgb", {.Primaries = 1}, 0, 64, 32, 64, 32, false},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    const qtest::TDecodedPicture r(qtest::HeifPicture(Quartered(), row.Options), 0xFFFFFF, row.MinLongSide, row.Turn);
    ASSERT_TRUE(r.Ok);
    EXPECT_EQ(r.Color.Profile && !r.Color.Profile->IsSrgb(), row.Profile);
    ASSERT_EQ(DibBitCount(r.Dib), 24);
    EXPECT_EQ(DibWidth(r.Dib), row.Width);
    EXPECT_EQ(DibHeight(r.Dib), row.Height);
    EXPECT_EQ(r.FullWidth, row.FullWidth);
    EXPECT_EQ(r.FullHeight, row.FullHeight);
    // Where the red quarter is, upright: top right once turned clockwise (once only), top right when
    // mirrored, else top left; each further quarter turn clockwise moves it one corner on (top right,
    // bottom right, ...). Sampled in the middle of the quarters, corners counted clockwise.
    const int w = DibWidth(r.Dib), h = DibHeight(r.Dib);
    const bool rightRed = row.Options.Orientation == 6 || row.Options.Orientation == 2;
    const int red = ((rightRed ? 1 : 0) + row.Turn) % 4;
    const qtest::TRgb corners[4] = {qtest::DibRgb(r.Dib, w / 4, h / 4), qtest::DibRgb(r.Dib, 3 * w / 4, h / 4),
                                    qtest::DibRgb(r.Dib, 3 * w / 4, 3 * h / 4), qtest::DibRgb(r.Dib, w / 4, 3 * h / 4)};
    for (int corner = 0; corner < 4; ++corner)
      EXPECT_TRUE(corner == red ? IsRed(corners[corner]) : IsBlue(corners[corner])) << corner;
  }
}

// Replaces the four bytes of the first box of type Type.
std::string Retyped(std::string File, const char* Type, const char* NewType) {
  const size_t at = File.find(Type);
  EXPECT_NE(at, std::string::npos) << Type;
  if (at != std::string::npos) File.replace(at, 4, NewType);
  return File;
}

TEST(HeifRead, OddFilesAreRefusedOrReadByTheirPrimaryImage) {
  const std::string file = qtest::HeifPicture(qtest::SolidPixels(64, 32, 0x808080), {});
  std::string huge = file;
  const size_t ispe = huge.find("ispe");
  ASSERT_NE(ispe, std::string::npos);
  for (size_t at : {ispe + 8, ispe + 12}) huge.replace(at, 4, std::string("\x00\x01\x86\xA0", 4));  // 100,000
  // A file that says it is an image sequence, with a movie box after its pictures.
  std::string sequence = Retyped(file, "heic", "msf1") + std::string("\x00\x00\x00\x08moov", 8);
  struct TRow {
    const char* Name;
    std::string Bytes;
    bool Ok;
  };
  const TRow rows[] = {
      {"cut short", file.substr(0, file.size() / 2), false},
      {"no primary image", Retyped(file, "pitm", "free"), false},
      {"100,000 x 100,000", huge, false},
      {"sequence", sequence, true},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    const qtest::TDecodedPicture r(row.Bytes);
    EXPECT_EQ(r.Ok, row.Ok);
    EXPECT_EQ(r.Dib.Bits != nullptr, row.Ok);
  }
}

}  // namespace
