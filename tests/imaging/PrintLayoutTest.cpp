// Where a printed picture goes: the whole page with and without the aspect ratio, percentages rounded
// halves to even, centred or in the corner, and the preview's paper.
#include <gtest/gtest.h>

#include "imaging/screen/PrintLayout.h"

TEST(PrintLayout, PicturePlaceOnThePage) {
  struct {
    int PW, PH, IW, IH;
    TPrintChoice Choice;
    TPrintRect Place;
  } rows[] = {
      // Whole page, aspect kept: touches both sides (wide picture) or top and bottom (tall one).
      {1000, 1400, 300, 200, {true, true, true}, {0, 367, 1000, 666}},
      {1000, 1400, 200, 600, {true, true, true}, {267, 0, 466, 1400}},
      {1000, 1400, 300, 200, {true, false, true}, {0, 0, 1000, 1400}},  // stretched over the page
      // Not centred: the top-left corner of the printable area.
      {1000, 1400, 300, 200, {true, true, false}, {0, 0, 1000, 666}},
      // Percentages of the page, rounded to nearest with halves to even: 25 * 50 % = 12.5 -> 12.
      {25, 27, 1, 1, {false, true, false, 50, 50}, {0, 0, 12, 14}},
      {1000, 1400, 3, 2, {false, true, true, 30, 10}, {350, 630, 300, 140}},
      // Nothing to place.
      {1000, 1400, 0, 200, {}, {0, 0, 0, 0}},
  };
  for (const auto& r : rows) {
    const TPrintRect p = PicturePlace(r.PW, r.PH, r.IW, r.IH, r.Choice);
    EXPECT_EQ(p.X, r.Place.X) << r.IW << "x" << r.IH;
    EXPECT_EQ(p.Y, r.Place.Y) << r.IW << "x" << r.IH;
    EXPECT_EQ(p.Width, r.Place.Width) << r.IW << "x" << r.IH;
    EXPECT_EQ(p.Height, r.Place.Height) << r.IW << "x" << r.IH;
  }
}

TEST(PrintLayout, PreviewPaperAndCouplings) {
  // Landscape fills the preview's width, portrait its height.
  const TPrintRect landscape = PreviewPaper(190, 190, 1400, 1000);
  EXPECT_EQ(landscape.X, 0);
  EXPECT_EQ(landscape.Width, 190);
  EXPECT_EQ(landscape.Height, 135);
  EXPECT_EQ(landscape.Y, 27);
  const TPrintRect portrait = PreviewPaper(190, 190, 1000, 1400);
  EXPECT_EQ(portrait.Y, 0);
  EXPECT_EQ(portrait.Height, 190);
  EXPECT_EQ(portrait.Width, 135);

  // 50 % of the width of a 3:2 picture on a 1000 x 1400 page: (200 * 50) / 300 * 1000 / 1400.
  EXPECT_NEAR(CoupledHoch(50, 300, 200, 1000, 1400), 23.8095, 1e-4);
  EXPECT_NEAR(CoupledBreit(23, 300, 200, 1000, 1400), 48.3, 1e-9);
  EXPECT_EQ(CoupledHoch(50, 0, 200, 1000, 1400), 0);
}
