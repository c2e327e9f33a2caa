// Turning photos on top of their orientation tag: the combined orientation, and the pictures the
// library decodes turned, against ImageMagick's "-auto-orient -rotate".
#include <gtest/gtest.h>

#include <filesystem>

#include "PictureOracle.h"
#include "imaging/pictaro/PhotoTurn.h"
#include "imaging/pictaro/Pictaro.h"
#include "support/TestSupport.h"

// Orientation 6 needs a quarter turn clockwise to be upright; one more makes half a turn (3). A mirrored
// orientation stays mirrored: 2 (mirrored left to right) turned a quarter is 7 (transversed).
TEST(PhotoTurn, TurnedOrientations) {
  struct {
    int Orientation, Turns, Expected;
  } rows[] = {
      {1, 0, 1}, {1, 1, 6}, {1, 2, 3}, {1, 3, 8}, {6, 1, 3}, {6, 3, 1}, {8, 1, 1},  {3, 2, 1},
      {2, 1, 7}, {2, 2, 4}, {2, 3, 5}, {5, 1, 2}, {7, 1, 4}, {4, 1, 5}, {1, -1, 8},  // a turn to the left
      {1, 5, 6},                                                                     // five quarters are one
      {0, 1, 6},  // no valid tag counts as 1
      {9, 2, 3},
  };
  for (const auto& r : rows)
    EXPECT_EQ(TurnedOrientation(r.Orientation, r.Turns), r.Expected) << r.Orientation << " + " << r.Turns;
}

// Every orientation with every turn, and a PNG (no tag) with every turn: the decoded picture is what
// ImageMagick shows after turning it upright and rotating it by the same quarters.
TEST(PhotoTurn, DecodedPicturesAreTurnedAsImageMagickTurnsThem) {
  QTEST_REQUIRE_PROGRAM("convert");
  QTEST_REQUIRE_PROGRAM("exiftool");
  qtest::TScratchDir dir;
  std::vector<std::string> files;
  for (int orientation = 1; orientation <= 8; ++orientation) {
    files.push_back(dir / ("o" + std::to_string(orientation) + ".jpg"));
    ASSERT_TRUE(qtest::WriteQuadrantJpeg(files.back(), orientation));
  }
  files.push_back(dir / "plain.png");
  ASSERT_EQ(qtest::Run("convert " + qtest::Quote(files.front()) + " " + qtest::Quote(files.back())), 0);
  ASSERT_EQ(files.size(), 9u);
  for (const std::string& file : files) {
    for (int turns = 0; turns < 4; ++turns) {
      SCOPED_TRACE(file + " turned " + std::to_string(turns));
      const std::string reference = dir / "reference.png";
      ASSERT_EQ(qtest::Run("convert " + qtest::Quote(file) + " -auto-orient -rotate " +
                           std::to_string(90 * turns) + " " + qtest::Quote(reference)),
                0);
      TDib dib;
      ASSERT_EQ(OpenDib(&dib, file.c_str(), -1, nullptr, turns), 1);
      int w = 0, h = 0;
      std::string rgb;
      ASSERT_TRUE(qtest::ReferencePixels(reference, w, h, rgb));
      EXPECT_EQ(DibWidth(dib), w);
      EXPECT_EQ(DibHeight(dib), h);
      EXPECT_LE(qtest::MaxDifference(dib, w, h, rgb), 8);
      deldib(dib);
    }
  }
}
