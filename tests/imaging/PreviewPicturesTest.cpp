// The preview's pictures made on worker threads: shown photos at the size asked for, the others only
// known (readable or not, their size), a file that is no picture known as unreadable.

#include <gtest/gtest.h>

#include <semaphore>

#include "imaging/pictaro/Pictaro.h"
#include "imaging/screen/PreviewPictures.h"
#include "support/TestSupport.h"

namespace {

TEST(PreviewPictures, ShownAtTheirSizeOthersOnlyKnownBrokenUnreadable) {
  qtest::TScratchDir dir;
  for (const char* name : {"a.bmp", "c.bmp"}) qtest::WritePicture(dir / name, 80, 60, 24, 3);
  qtest::WriteFile(dir / "broken.jpg", "no picture");

  std::counting_semaphore<> results(0);  // released by the workers each time results wait
  TPreviewPictures pictures([&] { results.release(); }, nullptr);
  pictures.Want({dir / "a.bmp", dir / "broken.jpg"}, 20, {dir / "c.bmp"});
  for (int known = 0; known < 3;) {
    results.acquire();
    pictures.TakeResults();
    known = 0;
    for (const char* name : {"a.bmp", "broken.jpg", "c.bmp"}) known += pictures.Find(dir / name) != nullptr;
  }
  const TPreviewPictures::TEntry& a = *pictures.Find(dir / "a.bmp");
  EXPECT_EQ(a.State, TPictureState::Ready);
  EXPECT_EQ(a.Width, 80);
  EXPECT_EQ(a.Height, 60);
  EXPECT_EQ(DibWidth(a.Picture), 20);  // 80 x 60 shrunk to 20 on its longer side
  EXPECT_EQ(DibHeight(a.Picture), 15);
  EXPECT_EQ(pictures.Find(dir / "broken.jpg")->State, TPictureState::Unreadable);
  const TPreviewPictures::TEntry& c = *pictures.Find(dir / "c.bmp");
  EXPECT_EQ(c.State, TPictureState::Ready);
  EXPECT_EQ(c.Width, 80);
  EXPECT_EQ(c.Picture.Bits, nullptr);  // not shown: only its size is kept
}

}  // namespace
