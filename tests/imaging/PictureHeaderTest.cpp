// Picture headers read without decoding: every file of the photo corpus gives the upright size its
// manifest lists (measured by ImageMagick), and bad files come back as what they are.
#include <gtest/gtest.h>

#include <filesystem>

#include "imaging/pictaro/Pictaro.h"
#include "support/TaggedPictures.h"
#include "support/TestSupport.h"

namespace {

TEST(PictureHeader, CorpusSizesAsTheManifestSays) {
  QTEST_REQUIRE_PHOTOS();
  const auto manifest = qtest::PhotoManifest();
  ASSERT_GE(manifest.size(), 70u);
  for (const auto& row : manifest) {
    const std::string file = (qtest::PhotosDir() / row[0]).string();
    const TPictureHeader header = ReadDibHeader(file.c_str(), -1);
    ASSERT_EQ(header.Status, THeaderStatus::Ok) << file;
    EXPECT_EQ(header.Width, std::stoi(row[7])) << file;  // shown_w: turned by the orientation tag
    EXPECT_EQ(header.Height, std::stoi(row[8])) << file;
    EXPECT_EQ(header.OneBit, row[5] == "1") << file;
  }
}

std::string Jpeg(int W, int H) {
  TDib dib{};
  newdib(&dib, W, H, 24, nullptr, 0);
  qtest::TScratchDir dir;
  EXPECT_EQ(SaveDib(dib, (dir / "p.jpg").c_str(), 7, 0), 1);
  deldib(dib);
  return qtest::ReadFile(dir / "p.jpg");
}

TEST(PictureHeader, BadFiles) {
  qtest::TScratchDir dir;
  const std::string jpeg = Jpeg(30, 20);
  const size_t frame = jpeg.find("\xFF\xC0");
  ASSERT_NE(frame, std::string::npos);
  // A comment segment of 65533 bytes, twice, puts the frame beyond the first 64 KiB read.
  std::string comment = "\xFF\xFE\xFF\xFF" + std::string(65533, 'x');
  std::string twelveBit = jpeg;
  twelveBit[frame + 4] = 12;
  // A GIF whose screen and frame claim 30000 x 30000 pixels: 900 megapixels.
  const std::string hugeGif = std::string("GIF89a\x30\x75\x30\x75\0\0\0", 13) + "\x2C\0\0\0\0\x30\x75\x30\x75\0\x02\x02\x44\x01\0\x3B";
  std::filesystem::create_directory(dir.Path() / "folder.jpg");
  struct {
    const char* Name;
    std::string Bytes;
    THeaderStatus Status;
    int Width, Height;
  } rows[] = {
      {"plain.jpg", jpeg, THeaderStatus::Ok, 30, 20},
      // A HEIF picture turned a quarter by the file: its size as shown.
      {"turned.heic", qtest::HeifPicture(qtest::SolidPixels(64, 48, 0x808080), {.Orientation = 6}), THeaderStatus::Ok, 48, 64},
      {"late-frame.jpg", jpeg.substr(0, 2) + comment + comment + jpeg.substr(2), THeaderStatus::Ok, 30, 20},
      {"cut.jpg", jpeg.substr(0, frame), THeaderStatus::NotAPicture, 0, 0},
      {"twelve-bit.jpg", twelveBit, THeaderStatus::NotAPicture, 0, 0},
      {"empty.png", "", THeaderStatus::NotAPicture, 0, 0},
      {"text.png", "Dies ist kein Bild.", THeaderStatus::NotAPicture, 0, 0},
      {"zero-width.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\0\0\0\0\x10\x08\x02\0\0\0\0\0\0\0", 33),
       THeaderStatus::NotAPicture, 0, 0},
      {"huge.gif", hugeGif, THeaderStatus::NotAPicture, 0, 0},
      {"folder.jpg", "", THeaderStatus::CannotRead, 0, 0},
      {"missing.jpg", "", THeaderStatus::Missing, 0, 0},
  };
  for (const auto& row : rows) {
    const std::string file = dir / row.Name;
    if (!std::filesystem::exists(file) && std::string(row.Name) != "missing.jpg") qtest::WriteFile(file, row.Bytes);
    const TPictureHeader header = ReadDibHeader(file.c_str(), -1);
    EXPECT_EQ(header.Status, row.Status) << row.Name;
    EXPECT_EQ(header.Width, row.Width) << row.Name;
    EXPECT_EQ(header.Height, row.Height) << row.Name;
  }
}

}  // namespace
