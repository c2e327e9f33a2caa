// Pages worked out by hand, the number of slicing trees, and input no layout should choke on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "layout/AutoLayout.h"
#include "layout/PageArrangement.h"
#include "layout/SlicingTrees.h"

namespace {

TPhotoShape Shape(double Aspect, int32_t Text = 0) {
  TPhotoShape s;
  s.Aspect = Aspect;
  s.TextHeight = Text;
  return s;
}

// Trees of n ordered leaves, each inner node cutting the other way than its parent: the large
// Schröder numbers 1, 2, 6, 22, 90. Above five leaves, the two-level trees of 2 to 6 near-equal groups:
// for six, per direction 1 (3+3) + 1 (2+2+2) + 6 (four groups, two of two) + 5 (five groups, one of
// two) + 1 (six leaves) = 14; for twelve 1 (6+6) + 1 (4+4+4) + 1 (3 x 4) + 10 (five groups, two of
// three) + 1 (6 x 2) = 14.
TEST(SlicingTrees, CountsOfTrees) {
  const std::pair<size_t, size_t> rows[] = {{0, 0}, {1, 1}, {2, 2}, {3, 6}, {4, 22}, {5, 90}, {6, 28}, {12, 28}, {14, 0}};
  for (const auto& [leaves, trees] : rows) {
    EXPECT_EQ(SlicingTrees(leaves).size(), trees) << leaves;
    for (const TSlicingTree& tree : SlicingTrees(leaves)) {
      size_t leafCount = 0;
      for (const TTreeNode& node : tree.Nodes) leafCount += node.Cut == TCut::Leaf;
      EXPECT_EQ(leafCount, leaves);
    }
  }
}

struct TPageCase {
  const char* Name;
  std::vector<TPhotoShape> Shapes;
  TArrangeParams Params;
  std::vector<TLayoutRect> Slots, Pictures;
  double Crop;  // of the first photo
};

// Each worked by hand. A 300 x 300 area unless said otherwise.
TEST(PageArrangement, HandWorkedPages) {
  const std::vector<TPageCase> cases{
      // 3:2 whole: as wide as the area, 200 high, centred: (300 - 200) / 2 = 50 above.
      {"one landscape, no crop", {Shape(1.5)}, {{0, 0, 300, 300}, 0, 0, 0.0}, {{0, 50, 300, 250}}, {{0, 50, 300, 250}}, 0},
      // With 10 % it may be 3:2 x 0.9 = 1.35:1 at most narrower: 300 / 1.35 = 222.2 -> 222 high, 39 above;
      // 300 / 222 = 1.3514, so 1 - 1.3514 / 1.5 = 9.9 % is cut.
      {"one landscape, 10 %", {Shape(1.5)}, {{0, 0, 300, 300}, 0, 0, 0.1}, {{0, 39, 300, 261}}, {{0, 39, 300, 261}},
       1 - (300.0 / 222) / 1.5},
      // Two squares side by side with 10 points between them fill 210 x 100 exactly.
      {"two squares in a row", {Shape(1), Shape(1)}, {{5, 7, 215, 107}, 10, 10, 0.0},
       {{5, 7, 105, 107}, {115, 7, 215, 107}}, {{5, 7, 105, 107}, {115, 7, 215, 107}}, 0},
      // ... and one above the other in 100 x 210.
      {"two squares in a column", {Shape(1), Shape(1)}, {{0, 0, 100, 210}, 10, 10, 0.0},
       {{0, 0, 100, 100}, {0, 110, 100, 210}}, {{0, 0, 100, 100}, {0, 110, 100, 210}}, 0},
      // A square with 20 points of text in 100 x 120: the slot is the area, the picture its top 100.
      {"text below", {Shape(1, 20)}, {{0, 0, 100, 120}, 0, 0, 0.0}, {{0, 0, 100, 120}}, {{0, 0, 100, 100}}, 0},
      // A 3:1 panorama across the width (100 high), two squares of 150 below: 250 high, 25 above.
      {"panorama on top", {Shape(3), Shape(1), Shape(1)}, {{0, 0, 300, 300}, 0, 0, 0.0},
       {{0, 25, 300, 125}, {0, 125, 150, 275}, {150, 125, 300, 275}},
       {{0, 25, 300, 125}, {0, 125, 150, 275}, {150, 125, 300, 275}}, 0},
  };
  ASSERT_EQ(cases.size(), 6u);
  for (const TPageCase& c : cases) {
    const TArrangedPage page = ArrangePage(c.Shapes.data(), 0, c.Shapes.size(), c.Params);
    ASSERT_EQ(page.Photos.size(), c.Slots.size()) << c.Name;
    for (size_t i = 0; i < c.Slots.size(); ++i) {
      EXPECT_EQ(page.Photos[i].Photo, i) << c.Name;
      EXPECT_EQ(page.Photos[i].Slot, c.Slots[i]) << c.Name << " " << i;
      EXPECT_EQ(page.Photos[i].Picture, c.Pictures[i]) << c.Name << " " << i;
    }
    EXPECT_NEAR(page.Photos[0].Crop, c.Crop, 1e-9) << c.Name;
  }
}

// The point that stays in view: a 2:1 photo shown as a square keeps half its width, as near the
// point as it can lie.
TEST(PageArrangement, WindowFollowsTheFocus) {
  struct TRow {
    double FocusX, X1;
  };
  const TRow rows[] = {{0.5, 0.25}, {0.0, 0.0}, {0.3, 0.05}, {0.9, 0.5}, {std::nan(""), 0.25}};
  for (const TRow& row : rows) {
    TPhotoShape shape = Shape(2);
    shape.FocusX = row.FocusX;
    const TArrangedPage page = ArrangePage(&shape, 0, 1, {{0, 0, 100, 100}, 0, 0, 0.5});
    ASSERT_EQ(page.Photos.size(), 1u);
    EXPECT_EQ(page.Photos[0].Picture, (TLayoutRect{0, 0, 100, 100}));
    EXPECT_NEAR(page.Photos[0].Window.X1, row.X1, 1e-12) << row.FocusX;
    EXPECT_NEAR(page.Photos[0].Window.X2, row.X1 + 0.5, 1e-12) << row.FocusX;
  }
}

// Shapes and areas no page can be made well of still give pages, never a hang or a division by zero.
TEST(PageArrangement, AwkwardInputGivesAPage) {
  struct TRow {
    const char* Name;
    std::vector<TPhotoShape> Shapes;
    TLayoutRect Area;
    bool Drawn;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const std::vector<TRow> rows{
      {"a panorama of 20:1", {Shape(20)}, {0, 0, 511, 757}, true},
      {"no shape at all", {Shape(0), Shape(nan), Shape(-3), Shape(inf)}, {0, 0, 511, 757}, true},
      {"text taller than the page", {Shape(1.5, 900)}, {0, 0, 511, 757}, false},
      {"an empty area", {Shape(1.5), Shape(1)}, {10, 10, 10, 10}, false},
      {"an area turned inside out", {Shape(1.5)}, {100, 100, 10, 10}, false},
  };
  for (const TRow& row : rows) {
    TAutoLayoutOptions options;
    options.FirstArea = options.LaterArea = row.Area;
    options.SpacingX = options.SpacingY = 11;
    const std::vector<TArrangedPage> pages = LayOutAlbum(row.Shapes, options);
    size_t photos = 0;
    for (const TArrangedPage& page : pages)
      for (const TPlacedPhoto& p : page.Photos) {
        ++photos;
        EXPECT_EQ(p.Drawn, row.Drawn) << row.Name;
        if (p.Drawn) { EXPECT_GT(int64_t{p.Picture.Width()} * p.Picture.Height(), 0) << row.Name; }
      }
    EXPECT_EQ(photos, row.Shapes.size()) << row.Name;
  }
  // An album without photos has one empty page.
  const std::vector<TArrangedPage> none = LayOutAlbum({}, TAutoLayoutOptions{});
  ASSERT_EQ(none.size(), 1u);
  EXPECT_TRUE(none[0].Photos.empty());
}

}  // namespace
