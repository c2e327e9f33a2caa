// First pictures: a JPEG's EXIF picture turned by the photo's orientation tag and checked against its
// proportions, damaged EXIF blocks, a HEIF file's embedded thumbnail, both in the photo's colours, and
// other programs' entries in the shared thumbnail folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "PictureOracle.h"
#include "imaging/screen/FirstPicture.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/screen/Thumbnail.h"
#include "imaging/screen/ThumbnailCache.h"
#include "support/TaggedPictures.h"
#include "support/TestSupport.h"

namespace {

// The corner colours of a picture, top left, top right, bottom left, bottom right: R red, L lime,
// B blue, W white, ? anything else.
std::string Corners(const TDib& Dib) {
  const int w = DibWidth(Dib), h = DibHeight(Dib);
  std::string corners;
  for (const auto& [x, y] : {std::pair{2, 2}, {w - 3, 2}, {2, h - 3}, {w - 3, h - 3}}) {
    const qtest::TRgb c = qtest::DibRgb(Dib, x, y);
    const bool r = c.Red > 200, g = c.Green > 200, b = c.Blue > 200;
    corners += r && g && b ? 'W' : r && !g && !b ? 'R' : g && !r && !b ? 'L' : b && !r && !g ? 'B' : '?';
  }
  return corners;
}

void Convert(const std::string& Arguments, const std::string& Out) {
  ASSERT_EQ(qtest::Run("convert " + Arguments + " -sampling-factor 1x1 -quality 100 " + qtest::Quote(Out)), 0)
      << Arguments;
}

// A little-endian EXIF block whose second IFD names Length bytes at Offset (from the TIFF header) as
// its picture, followed by Picture; the second IFD starts at Ifd1.
std::string ExifSegment(const std::string& Picture, uint32_t Offset, uint32_t Length, uint32_t Ifd1 = 14) {
  const auto u16 = [](unsigned V) { return std::string{char(V & 0xFF), char(V >> 8)}; };
  const auto u32 = [&](uint32_t V) { return u16(V & 0xFFFF) + u16(V >> 16); };
  const std::string tiff = "II*" + std::string(1, '\0') + u32(8) + u16(0) + u32(Ifd1) +     // IFD0: empty
                           u16(2) + u16(0x0201) + u16(4) + u32(1) + u32(Offset) +           // IFD1 at 14
                           u16(0x0202) + u16(4) + u32(1) + u32(Length) + u32(0) + Picture;  // picture at 44
  const size_t length = 2 + 6 + tiff.size();
  return "\xFF\xE1" + std::string{char(length >> 8), char(length & 0xFF)} + std::string("Exif\0\0", 6) + tiff;
}

}  // namespace

TEST(FirstPicture, ExifPictureTurnsWithThePhotoAndMustHaveItsProportions) {
  QTEST_REQUIRE_PROGRAM("convert");
  QTEST_REQUIRE_PROGRAM("exiftool");
  // Stored quadrants: red top left, lime top right, blue bottom left, white bottom right.
  const std::string quadrants =
      "-size 30x20 xc:white -fill red -draw 'rectangle 0,0 14,9' -fill lime -draw 'rectangle 15,0 29,9' "
      "-fill blue -draw 'rectangle 0,10 14,19'";
  const std::string bars = " -background black -gravity center -extent 160x120";
  struct {
    int Orientation;
    std::string Picture;
    int Width, Height;  // upright; 0: not used
    const char* Corners;
  } rows[] = {
      // The turn itself is the photo decoder's, which the decoding tests hold against djpeg for all
      // eight tags; here the tag must reach it.
      {1, quadrants, 30, 20, "RLBW"},
      {2, quadrants, 30, 20, "LRWB"},  // mirrored left to right
      {6, quadrants, 20, 30, "BRWL"},  // a quarter turn clockwise
      // The photo is 600 x 400 (1.5): 153 x 100 is 1.53, exactly 2 % wider; 160 x 104 is 1.538, 2.6 %.
      {1, "-size 153x100 xc:red", 153, 100, "RRRR"},
      {1, "-size 160x104 xc:red", 0, 0, ""},
      // 160 x 106 padded to 160 x 120 with 7 black rows above and below: cropped to the picture.
      {1, "-size 160x106 xc:red" + bars, 160, 106, "RRRR"},
      {6, "-size 160x106 xc:red" + bars, 106, 160, "RRRR"},
      // Bars of 2 rows leave 160 x 116 (1.38, 8 % off): not the photo's picture.
      {1, "-size 160x116 xc:red" + bars, 0, 0, ""},
  };
  qtest::TScratchDir dir;
  const std::string photo = dir / "photo.jpg", small = dir / "small.jpg";
  for (const auto& r : rows) {
    SCOPED_TRACE(std::to_string(r.Orientation) + " " + r.Picture);
    Convert("-size 600x400 xc:gray50", photo);
    Convert(r.Picture, small);
    ASSERT_TRUE(qtest::AddExifThumbnail(photo, small, r.Orientation));
    TDib picture;
    int w = 0, h = 0;
    ASSERT_EQ(ReadFirstPicture(photo, nullptr, &picture, &w, &h), r.Width > 0);
    if (r.Width == 0) {
      EXPECT_EQ(picture.Bits, nullptr);
      continue;
    }
    EXPECT_EQ(w, r.Orientation >= 5 ? 400 : 600);
    EXPECT_EQ(DibWidth(picture), r.Width);
    EXPECT_EQ(DibHeight(picture), r.Height);
    EXPECT_EQ(Corners(picture), r.Corners);
    deldib(picture);
  }
}

TEST(FirstPicture, DamagedExifBlocksGiveNoFirstPictureAndThePhotoStillReads) {
  QTEST_REQUIRE_PROGRAM("convert");
  qtest::TScratchDir dir;
  const std::string photo = dir / "photo.jpg", small = dir / "small.jpg";
  Convert("-size 300x200 xc:gray50", photo);
  Convert("-size 150x100 xc:blue", small);
  const std::string base = qtest::ReadFile(photo), jpeg = qtest::ReadFile(small);
  const auto n = static_cast<uint32_t>(jpeg.size());
  struct {
    const char* Name;
    std::string Segment;
    bool Used;
  } rows[] = {
      {"intact", ExifSegment(jpeg, 44, n), true},
      {"offset past the end", ExifSegment(jpeg, 45, n), false},
      {"length past the end", ExifSegment(jpeg, 44, n + 1), false},
      {"second IFD past the end", ExifSegment(jpeg, 44, n, 0xFFFFFF00), false},
      {"cut short", ExifSegment(jpeg.substr(0, n / 2), 44, n / 2), false},
      {"no JPEG", ExifSegment("GIF89a" + std::string(n - 6, '\0'), 44, n), false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.Name);
    qtest::WriteFile(photo, base.substr(0, 2) + r.Segment + base.substr(2));
    TDib picture;
    int w = 0, h = 0;
    EXPECT_EQ(ReadFirstPicture(photo, nullptr, &picture, &w, &h), r.Used);
    EXPECT_EQ(picture.Bits != nullptr, r.Used);
    deldib(picture);
    const TMadeThumbnail made = MakeThumbnail(photo.c_str());
    EXPECT_EQ(made.Kind, TThumbnailKind::Cached);
    deldib(made.Picture);
  }
}

TEST(FirstPicture, OtherProgramsEntriesServeWhileTheyNameTheFilesState) {
  QTEST_REQUIRE_PROGRAM("convert");
  qtest::TScratchDir dir;
  const std::string photo = dir / "photo.jpg";  // its frame header gives the photo's size
  Convert("-size 300x200 xc:gray50", photo);
  const TThumbnailCache cache(dir / "normal");
  TFileStamp stamp;
  ASSERT_TRUE(FileStampOf(photo, stamp));
  const struct {
    const char* Folder;
    int64_t Modified;
    const char* Size;
    bool Used;
  } rows[] = {
      {"normal", stamp.Modified, "128x85", true},
      {"large", stamp.Modified, "256x171", true},
      {"normal", stamp.Modified + 1, "128x85", false},  // the photo changed since
      {"normal", stamp.Modified, "128x128", false},     // not the photo's proportions
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(r.Folder) + " " + r.Size);
    for (const char* folder : {"normal", "large"}) std::filesystem::remove_all(dir / folder);
    std::filesystem::create_directories(dir / r.Folder);
    // Another program's RGBA entry of half transparent green: over white (127, 255, 127).
    const std::string entry = dir / (r.Folder + cache.EntryName(photo).substr(cache.Folder().size()));
    ASSERT_EQ(qtest::Run("convert -size " + std::string(r.Size) + " xc:'rgba(0,255,0,0.5)' -set Thumb::URI " +
                         qtest::Quote(FileUri(photo)) + " -set Thumb::MTime " + std::to_string(r.Modified) +
                         " PNG32:" + qtest::Quote(entry)),
              0);
    const TMadeThumbnail first = MakeFirstThumbnail(photo.c_str(), &cache);
    EXPECT_EQ(first.Kind, r.Used ? TThumbnailKind::First : TThumbnailKind::Unreadable);
    if (r.Used) {
      EXPECT_NEAR(qtest::DibRgb(first.Picture, 40, 26).Red, 127, 2);
    }
    deldib(first.Picture);
  }
}

// A Display P3 photo's first picture shows the sRGB colour its numbers mean: a HEIC's embedded
// thumbnail, and a tagged JPEG's EXIF picture, which holds the photo's P3 numbers untagged.
TEST(FirstPicture, HeifThumbnailAndTaggedExifPictureShowTheirSrgbColours) {
  constexpr uint32_t red = 0xDC2828;
  const std::string p3 = qtest::TestProfile(qtest::TTestProfile::DisplayP3);
  const qtest::TTestPixels photo = qtest::InProfile(qtest::SolidPixels(60, 40, red), qtest::TTestProfile::DisplayP3);
  const qtest::TTestPixels small = qtest::InProfile(qtest::SolidPixels(30, 20, red), qtest::TTestProfile::DisplayP3);
  ASSERT_GT(std::abs(static_cast<uint8_t>(photo.Rgb[0]) - 0xDC), 15);  // P3 numbers: far from sRGB's
  qtest::TScratchDir dir;
  qtest::WriteFile(dir / "photo.heic", qtest::HeifPicture(photo, {.ThumbnailSide = 30, .Icc = p3}));
  qtest::WriteFile(dir / "photo.jpg", qtest::TaggedPicture(qtest::TTestFormat::Jpeg, photo, p3));
  qtest::WriteFile(dir / "small.jpg", qtest::TaggedPicture(qtest::TTestFormat::Jpeg, small, ""));
  ASSERT_TRUE(qtest::AddExifThumbnail(dir / "photo.jpg", dir / "small.jpg"));
  for (const char* name : {"photo.heic", "photo.jpg"}) {
    SCOPED_TRACE(name);
    TDib picture;
    int w = 0, h = 0;
    ASSERT_TRUE(ReadFirstPicture(dir / name, nullptr, &picture, &w, &h));
    EXPECT_EQ(DibWidth(picture), 30);  // the small picture, not the photo
    EXPECT_EQ(w, 60);
    EXPECT_EQ(h, 40);
    deldib(picture);
    const TMadeThumbnail first = MakeFirstThumbnail((dir / name).c_str());
    ASSERT_EQ(first.Kind, TThumbnailKind::First);
    const qtest::TRgb c = qtest::DibRgb(first.Picture, 40, 26);
    EXPECT_NEAR(c.Red, 0xDC, 6);
    EXPECT_NEAR(c.Green, 0x28, 6);
    EXPECT_NEAR(c.Blue, 0x28, 6);
    deldib(first.Picture);
  }
}
