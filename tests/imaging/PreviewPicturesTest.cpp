// The preview's pictures made on worker threads: shown photos at the size asked for, the others only
// known (readable or not, their size), a file that is no picture known as unreadable.

#include <gtest/gtest.h>

#include <semaphore>

#include "PictureOracle.h"

#include "imaging/pictaro/Pictaro.h"
#include "imaging/screen/PreviewPictures.h"
#include "support/TestSupport.h"

namespace {

TEST(PreviewPictures, ShownAtTheirSizeOthersOnlyKnownBrokenUnreadable) {
  qtest::TScratchDir dir;
  for (const char* name : {"a.bmp", "c.bmp"}) qtest::WritePicture(dir / name, 80, 60, 24, 3);
  qtest::WriteFile(dir / "broken.jpg", "no picture");
  // Cut short after its first scans: a reduced decode still makes a picture, the export cannot read it.
  ASSERT_TRUE(qtest::WriteCutJpeg(dir / "cut.jpg", 400, 300, true, 0.7));

  std::counting_semaphore<> results(0);  // released by the workers each time results wait
  TPreviewPictures pictures([&] { results.release(); }, nullptr);
  pictures.Want({dir / "a.bmp", dir / "broken.jpg", dir / "cut.jpg"}, 20, {dir / "c.bmp"});
  for (int known = 0; known < 4;) {
    results.acquire();
    pictures.TakeResults();
    known = 0;
    for (const char* name : {"a.bmp", "broken.jpg", "c.bmp", "cut.jpg"}) known += pictures.Find(dir / name) != nullptr;
  }
  const TPreviewPictures::TEntry& a = *pictures.Find(dir / "a.bmp");
  EXPECT_EQ(a.State, TPictureState::Ready);
  EXPECT_EQ(a.Width, 80);
  EXPECT_EQ(a.Height, 60);
  EXPECT_EQ(DibWidth(a.Picture), 20);  // 80 x 60 shrunk to 20 on its longer side
  EXPECT_EQ(DibHeight(a.Picture), 15);
  EXPECT_EQ(pictures.Find(dir / "broken.jpg")->State, TPictureState::Unreadable);
  EXPECT_EQ(pictures.Find(dir / "cut.jpg")->State, TPictureState::Unreadable);
  const TPreviewPictures::TEntry& c = *pictures.Find(dir / "c.bmp");
  EXPECT_EQ(c.State, TPictureState::Ready);
  EXPECT_EQ(c.Width, 80);
  EXPECT_EQ(c.Picture.Bits, nullptr);  // not shown: only its size is kept
}

// A picture whose pixels are all transparent shows the matte it is made onto, as the PDF puts it onto
// the page's colour; a new matte has it made again.
TEST(PreviewPictures, TransparentPixelsShowTheMatte) {
  QTEST_REQUIRE_PROGRAM("convert");
  qtest::TScratchDir dir;
  const std::string clear = dir / "clear.png";
  ASSERT_EQ(qtest::Run("convert -size 40x30 xc:'rgba(255,0,0,0)' PNG32:" + qtest::Quote(clear)), 0);
  std::counting_semaphore<> results(0);
  TPreviewPictures pictures([&] { results.release(); }, nullptr);
  const struct {
    uint32_t Matte;  // 0x00BBGGRR
    int Red, Green, Blue;
  } rows[] = {{0x0000FF00, 0, 255, 0}, {0x00FF0000, 0, 0, 255}, {0x00FFFFFF, 255, 255, 255}};
  for (const auto& row : rows) {
    pictures.SetMatte(row.Matte);
    ASSERT_EQ(pictures.Find(clear), nullptr);  // forgotten with the old matte
    pictures.Want({clear}, 40, {});
    while (!pictures.Find(clear) || !pictures.Find(clear)->Picture.Bits) {
      results.acquire();
      pictures.TakeResults();
    }
    const qtest::TRgb pixel = qtest::DibRgb(pictures.Find(clear)->Picture, 20, 15);
    EXPECT_NEAR(pixel.Red, row.Red, 2) << std::hex << row.Matte;
    EXPECT_NEAR(pixel.Green, row.Green, 2) << std::hex << row.Matte;
    EXPECT_NEAR(pixel.Blue, row.Blue, 2) << std::hex << row.Matte;
  }
}

}  // namespace
