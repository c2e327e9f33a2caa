// Colour profiles as the picture library reads them: found in every format that carries one, sRGB told
// by what it describes, damaged ones ignored; pictures with transparency on the caller's matte.
#include <gtest/gtest.h>

#include <cstring>
#include <semaphore>

#include "imaging/color/ColorConvert.h"
#include "imaging/screen/PaintDib.h"
#include "imaging/pictaro/PictaroDecode.h"
#include "imaging/screen/PreviewPictures.h"
#include "imaging/screen/Thumbnail.h"
#include "platform/MemoryDevice.h"
#include "support/TaggedPictures.h"
#include "support/TestSupport.h"
#include "PictureOracle.h"

namespace {

using qtest::TTestFormat;
using qtest::TTestProfile;

void PutBe32(std::string& S, size_t At, uint32_t V) {
  for (int i = 0; i < 4; ++i) S[At + i] = static_cast<char>(V >> (24 - 8 * i));
}

// A file's profile comes with its picture in every format, joined from several JPEG segments in their
// numbered order, sRGB told by its colorants and curves (a table curve in v2, a parametric one in v4),
// and along when the photo is turned. A damaged profile, or one that does not fit the picture, is
// ignored and the picture stays.
TEST(ColorProfile, EveryFormatHandsOutItsProfileAndDamagedOnesAreIgnored) {
  const std::string p3 = qtest::TestProfile(TTestProfile::DisplayP3);
  const std::string adobe = qtest::TestProfile(TTestProfile::AdobeRgb);
  ASSERT_EQ((p3.size() + 199) / 200, 3u);  // three segments of 200 bytes to shuffle
  const auto damaged = [&](auto Change) {
    std::string icc = p3;
    Change(icc);
    return icc;
  };
  const uint32_t firstTagOffset = 128 + 4 + 4;
  using enum TTestFormat;
  using enum TColorSpace;
  struct TRow {
    const char* Name;
    TTestFormat Format;
    std::string Icc;
    size_t Segment = 65519;    // JPEG: bytes per APP2 segment
    std::vector<int> Order{};  // JPEG: segments written in this order; empty: as they come
    int Turn = 0;              // the photo's quarter turns
    TColorSpace Space = Rgb;
    int Version = 0;  // 0: the profile is ignored
    bool Srgb = false;
  };
  const TRow rows[] = {
      {"jpeg p3", Jpeg, p3, 65519, {}, 0, Rgb, 4},
      {"jpeg adobe, 3 segments", Jpeg, adobe, 200, {}, 0, Rgb, 2},
      {"segments out of order", Jpeg, p3, 200, {3, 1, 2}, 0, Rgb, 4},
      {"grey jpeg", JpegGrey, qtest::TestProfile(TTestProfile::Grey), 65519, {}, 0, Grey, 2},
      {"png srgb v2", Png, qtest::TestProfile(TTestProfile::SrgbV2), 65519, {}, 0, Rgb, 2, true},
      {"png srgb v4", Png, qtest::TestProfile(TTestProfile::SrgbV4), 65519, {}, 0, Rgb, 4, true},
      {"tiff adobe", Tiff, adobe, 65519, {}, 0, Rgb, 2},
      {"webp p3", Webp, p3, 65519, {}, 0, Rgb, 4},
      {"heic p3", Heic, p3, 65519, {}, 0, Rgb, 4},
      {"avif adobe", Avif, adobe, 65519, {}, 0, Rgb, 2},
      {"jpeg p3 turned", Jpeg, p3, 65519, {}, 1, Rgb, 4},
      {"heic p3 turned", Heic, p3, 65519, {}, 3, Rgb, 4},
      {"cut short", Jpeg, p3.substr(0, p3.size() / 2)},
      {"tag count past the end", Jpeg, damaged([](std::string& s) { PutBe32(s, 128, 0x10000); })},
      {"4 GB size field", Tiff, damaged([](std::string& s) { PutBe32(s, 0, 0xFFFFFFFFu); })},
      {"tag offset past the end", Webp,
       damaged([&](std::string& s) { PutBe32(s, firstTagOffset, static_cast<uint32_t>(s.size()) + 100); })},
      {"rgb profile on a grey picture", JpegGrey, p3},  // it describes other numbers
      {"over 4 MB", Jpeg, damaged([](std::string& s) {
         s.resize((size_t{4} << 20) + 16);
         PutBe32(s, 0, static_cast<uint32_t>(s.size()));
       })},
      {"a segment missing", Jpeg, p3, 200, {1, 3}},
      {"a segment repeated", Jpeg, p3, 200, {1, 2, 2, 3}},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    const std::string file = qtest::TaggedPicture(row.Format, qtest::SolidPixels(16, 8, 0x8060A0), row.Icc,
                                                  row.Segment, row.Order);
    const qtest::TDecodedPicture d(file, 0xFFFFFF, 0, row.Turn);
    ASSERT_TRUE(d.Ok);
    EXPECT_EQ(DibWidth(d.Dib), row.Turn % 2 ? 8 : 16);
    ASSERT_EQ(d.Color.Profile != nullptr, row.Version != 0);
    if (d.Color.Profile) {
      EXPECT_EQ(d.Color.Profile->Bytes(), row.Icc);
      EXPECT_EQ(d.Color.Profile->Space(), row.Space);
      EXPECT_EQ(d.Color.Profile->Version(), row.Version);
      EXPECT_EQ(d.Color.Profile->IsSrgb(), row.Srgb);
    }
  }
}

// Transparent pixels take the matte the caller gives: the page's or the cell's colour, never black.
TEST(ColorProfile, TransparencyGoesOntoTheMatte) {
  struct TRow {
    const char* Name;
    std::string File;
    uint32_t Matte;    // 0x00BBGGRR
    qtest::TRgb Left;  // the transparent half
  };
  const qtest::TTestPixels red = qtest::SolidPixels(16, 4, 0xC01010);
  const TRow rows[] = {
      {"png on white", qtest::TaggedPicture(TTestFormat::PngAlpha, red, ""), 0xFFFFFF, {255, 255, 255}},
      {"png on blue", qtest::TaggedPicture(TTestFormat::PngAlpha, red, ""), 0xFF0000, {0, 0, 255}},
      {"heic on green", qtest::HeifPicture(red, {.Alpha = true}), 0x00FF00, {0, 255, 0}},
      {"avif on grey", qtest::HeifPicture(red, {.Avif = true, .Alpha = true}), 0x404040, {64, 64, 64}},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    const qtest::TDecodedPicture d(row.File, row.Matte);
    ASSERT_TRUE(d.Ok);
    const qtest::TRgb left = qtest::DibRgb(d.Dib, 1, 1), right = qtest::DibRgb(d.Dib, 14, 1);
    EXPECT_NEAR(left.Red, row.Left.Red, 3);
    EXPECT_NEAR(left.Green, row.Left.Green, 3);
    EXPECT_NEAR(left.Blue, row.Left.Blue, 3);
    EXPECT_NEAR(right.Red, 0xC0, 6);
    EXPECT_NEAR(right.Green, 0x10, 6);
  }
}

// What the screen shows of a Display P3 picture: its sRGB colours, through the thumbnail, the page
// preview's picture and PaintDib on a display and on a printer. The chart's P3 numbers differ from
// those by far.
TEST(ColorProfile, ScreensShowTheSrgbColours) {
  const std::vector<uint32_t> chart = {0xDC2828, 0x28B43C, 0xE6AA8C};
  const qtest::TTestPixels p3 = qtest::InProfile(qtest::PatchPixels(chart, 40), TTestProfile::DisplayP3);
  ASSERT_GT(std::abs(static_cast<uint8_t>(p3.Rgb[0]) - 0xDC), 15);  // red in P3 numbers: far from sRGB's
  qtest::TScratchDir dir;
  const std::string file = dir / "p3.png";
  qtest::WriteFile(file, qtest::TaggedPicture(TTestFormat::Png, p3, qtest::TestProfile(TTestProfile::DisplayP3)));

  const qtest::TDecodedPicture d(qtest::ReadFile(file));
  ASSERT_TRUE(d.Ok && d.Color.Profile);
  TMadeThumbnail thumbnail = MakeThumbnail(file.c_str());
  ASSERT_EQ(thumbnail.Kind, TThumbnailKind::Cached);
  std::counting_semaphore<> made(0);  // released by the preview's workers each time results wait
  TPreviewPictures preview([&] { made.release(); }, nullptr);
  preview.Want({file}, 120, {});
  while (!preview.Find(file)) {
    made.acquire();
    preview.TakeResults();
  }
  const TDib& previewed = preview.Find(file)->Picture;
  ASSERT_EQ(DibWidth(previewed), 120);
  TMemoryDevice display(120, 40), printer(120, 40, 24, DtRasPrinter);
  PaintDib(display, 0, 0, 120, 40, d.Dib, 0, 0, 120, 40, true, RopSrcCopy, false, nullptr, d.Color.Profile.get());
  PaintDib(printer, 0, 0, 120, 40, d.Dib, 0, 0, 120, 40, false, RopSrcCopy, false, nullptr, d.Color.Profile.get());
  ASSERT_EQ(DibWidth(thumbnail.Picture), 80);
  for (size_t i = 0; i < chart.size(); ++i) {
    SCOPED_TRACE(i);  // the patch
    const qtest::TRgb t = qtest::DibRgb(thumbnail.Picture, 80 * int(2 * i + 1) / 6, 13);
    const qtest::TRgb v = qtest::DibRgb(previewed, 40 * int(i) + 20, 20);
    const uint32_t shown[4] = {uint32_t(t.Red << 16 | t.Green << 8 | t.Blue), uint32_t(v.Red << 16 | v.Green << 8 | v.Blue),
                               display.Pixel(40 * int(i) + 20, 20), printer.Pixel(40 * int(i) + 20, 20)};
    for (uint32_t s : shown)
      for (int shift : {16, 8, 0}) EXPECT_NEAR(int(s >> shift & 0xFF), int(chart[i] >> shift & 0xFF), 2);
  }
  deldib(thumbnail.Picture);
}

}  // namespace
