// The automatic layout's rules, checked as invariants over seeded random photo sets: every row of the
// table is one album, and every page of it must keep every rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "layout/AutoLayout.h"
#include "layout/PageArrangement.h"
#include "support/PhotoShapeSets.h"

using qtest::TShapeMix;
using qtest::TShapeSetRecipe;

namespace {

struct TAlbumCase {
  const char* Name;
  TShapeSetRecipe Set;
  int32_t PhotosPerPage;
  double Budget;
  TLayoutRect First, Later;
  int32_t SX, SY;
  std::vector<size_t> Breaks;
  bool SizeRules;  // the third rule and the panorama's width can be kept with these shapes
};

// A4 with 15 mm margins, in points; page 1 less a heading of 48 points.
constexpr TLayoutRect KA4{42, 42, 553, 799};
constexpr TLayoutRect KA4Heading{42, 90, 553, 799};

const std::vector<TAlbumCase>& Cases() {
  static const std::vector<TAlbumCase> cases{
      {"camera mix, 4 a page", {TShapeMix::Camera, 400, 1}, 4, 0.10, KA4, KA4, 11, 11, {}, true},
      {"camera mix, no crop", {TShapeMix::Camera, 300, 2}, 4, 0.0, KA4, KA4, 11, 11, {}, true},
      {"camera mix with texts and heading", {TShapeMix::Camera, 200, 3, 40}, 3, 0.10, KA4Heading, KA4, 11, 14, {}, true},
      {"one a page", {TShapeMix::Camera, 40, 4}, 1, 0.10, KA4, KA4, 11, 11, {}, true},
      {"twelve a page, half budget", {TShapeMix::Any, 150, 5}, 12, 0.5, KA4, KA4, 6, 6, {}, false},
      {"landscape page, spacing 0", {TShapeMix::Camera, 120, 6}, 6, 0.2, {0, 0, 841, 595}, {0, 0, 841, 595}, 0, 0, {}, true},
      // 500 portraits on landscape pages: nothing fills them well, every page must still be sound.
      {"500 portraits", {TShapeMix::Portrait, 500, 7}, 4, 0.10, {30, 30, 811, 565}, {30, 30, 811, 565}, 9, 9, {}, true},
      {"panoramas up to 20:1", {TShapeMix::Wide, 90, 8}, 3, 0.10, KA4, KA4, 11, 11, {}, false},
      {"forced breaks", {TShapeMix::Camera, 60, 9}, 4, 0.10, KA4, KA4, 11, 11, {1, 2, 7, 30, 31, 59}, true},
      {"big, full page and never cut", {TShapeMix::Camera, 120, 10, 20, 5, 17, 3}, 4, 0.10, KA4, KA4, 11, 11, {}, false},
      {"one photo", {TShapeMix::Camera, 1, 11}, 4, 0.10, KA4, KA4, 11, 11, {}, true},
  };
  return cases;
}

TAutoLayoutOptions OptionsOf(const TAlbumCase& C) {
  TAutoLayoutOptions options;
  options.FirstArea = C.First;
  options.LaterArea = C.Later;
  options.SpacingX = C.SX;
  options.SpacingY = C.SY;
  options.PhotosPerPage = C.PhotosPerPage;
  options.CropBudget = C.Budget;
  options.BreaksBefore = C.Breaks;
  return options;
}

bool Inside(const TLayoutRect& Inner, const TLayoutRect& Outer) {
  return Inner.X1 >= Outer.X1 && Inner.Y1 >= Outer.Y1 && Inner.X2 <= Outer.X2 && Inner.Y2 <= Outer.Y2;
}
bool Overlaps(int32_t A1, int32_t A2, int32_t B1, int32_t B2) { return A1 < B2 && B1 < A2; }

// Every slot edge inside the arrangement faces another slot exactly the spacing away.
void ExpectExactSpacing(const TArrangedPage& Page, int32_t SX, int32_t SY, const std::string& Where) {
  TLayoutRect all = Page.Photos.front().Slot;
  for (const TPlacedPhoto& p : Page.Photos) {
    all.X1 = std::min(all.X1, p.Slot.X1), all.Y1 = std::min(all.Y1, p.Slot.Y1);
    all.X2 = std::max(all.X2, p.Slot.X2), all.Y2 = std::max(all.Y2, p.Slot.Y2);
  }
  for (const TPlacedPhoto& a : Page.Photos) {
    const bool right = std::any_of(Page.Photos.begin(), Page.Photos.end(), [&](const TPlacedPhoto& b) {
      return b.Slot.X1 == a.Slot.X2 + SX && Overlaps(a.Slot.Y1, a.Slot.Y2, b.Slot.Y1, b.Slot.Y2);
    });
    const bool below = std::any_of(Page.Photos.begin(), Page.Photos.end(), [&](const TPlacedPhoto& b) {
      return b.Slot.Y1 == a.Slot.Y2 + SY && Overlaps(a.Slot.X1, a.Slot.X2, b.Slot.X1, b.Slot.X2);
    });
    EXPECT_TRUE(a.Slot.X2 == all.X2 || right) << Where << ": nothing right of photo " << a.Photo;
    EXPECT_TRUE(a.Slot.Y2 == all.Y2 || below) << Where << ": nothing below photo " << a.Photo;
  }
}

void ExpectPageRules(const TAlbumCase& C, const std::vector<TPhotoShape>& Shapes, const TArrangedPage& Page,
                     size_t PageIndex) {
  const std::string where = std::string(C.Name) + ", page " + std::to_string(PageIndex + 1);
  const TLayoutRect area = PageIndex == 0 ? C.First : C.Later;
  ASSERT_FALSE(Page.Photos.empty()) << where;
  int64_t smallest = INT64_MAX, largest = 0;
  for (size_t i = 0; i < Page.Photos.size(); ++i) {
    const TPlacedPhoto& p = Page.Photos[i];
    const TPhotoShape& shape = Shapes[p.Photo];
    EXPECT_TRUE(Inside(p.Slot, area)) << where;
    // No two slots closer than the spacing: apart by SX side by side or by SY one above the other.
    for (size_t j = i + 1; j < Page.Photos.size(); ++j) {
      const TLayoutRect& a = p.Slot;
      const TLayoutRect& b = Page.Photos[j].Slot;
      const bool apartX = a.X2 + C.SX <= b.X1 || b.X2 + C.SX <= a.X1;
      const bool apartY = a.Y2 + C.SY <= b.Y1 || b.Y2 + C.SY <= a.Y1;
      EXPECT_TRUE(apartX || apartY) << where << ": photos " << p.Photo << " and " << Page.Photos[j].Photo;
    }
    ASSERT_TRUE(p.Drawn) << where << ": photo " << p.Photo;
    // The picture lies in its slot above the text's room, the text starts below the picture.
    EXPECT_TRUE(Inside(p.Picture, {p.Slot.X1, p.Slot.Y1, p.Slot.X2, p.Slot.Y2 - shape.TextHeight})) << where;
    EXPECT_EQ(p.TextTop, p.Picture.Y2) << where;
    // Within the budget, never cut when it may not be, and not distorted: the window has the
    // picture's proportions up to the rounding of the picture to whole points.
    EXPECT_LE(p.Crop, (shape.MayCrop ? C.Budget : 0.0) + 1e-9) << where;
    EXPECT_NEAR(p.Crop, 1 - p.Window.Area(), 1e-12);
    EXPECT_GE(p.Window.X1, 0.0);
    EXPECT_GE(p.Window.Y1, 0.0);
    EXPECT_LE(p.Window.X2, 1.0 + 1e-12);
    EXPECT_LE(p.Window.Y2, 1.0 + 1e-12);
    const double shown = shape.Aspect * (p.Window.X2 - p.Window.X1) / (p.Window.Y2 - p.Window.Y1);
    EXPECT_LE(std::min(std::abs(p.Picture.Width() - p.Picture.Height() * shown),
                       std::abs(p.Picture.Height() - p.Picture.Width() / shown)),
              1.0 + 1e-9)
        << where << ": photo " << p.Photo;
    const int64_t pictureArea = int64_t{p.Picture.Width()} * p.Picture.Height();
    smallest = std::min(smallest, pictureArea);
    largest = std::max(largest, pictureArea);
    if (C.SizeRules && shape.Aspect >= KPanoramaAspect) {
      EXPECT_EQ(p.Slot.X1, area.X1) << where << ": panorama " << p.Photo;
      EXPECT_EQ(p.Slot.X2, area.X2) << where << ": panorama " << p.Photo;
    }
  }
  // The smallest picture's sides at least a third of the largest's: a ninth of its area.
  if (C.SizeRules) { EXPECT_GE(9 * smallest, largest) << where; }
  ExpectExactSpacing(Page, C.SX, C.SY, where);
}

TEST(AutoLayout, EveryPageKeepsTheRules) {
  ASSERT_EQ(Cases().size(), 11u);
  for (const TAlbumCase& c : Cases()) {
    const std::vector<TPhotoShape> shapes = qtest::ShapeSet(c.Set);
    const TAutoLayoutOptions options = OptionsOf(c);
    const std::vector<TArrangedPage> pages = LayOutAlbum(shapes, options);
    ASSERT_FALSE(pages.empty()) << c.Name;

    // The photos in their order, each once, page after page.
    std::vector<size_t> order;
    std::set<size_t> pageStarts;
    for (const TArrangedPage& page : pages) {
      if (!page.Photos.empty()) pageStarts.insert(page.Photos.front().Photo);
      for (const TPlacedPhoto& p : page.Photos) order.push_back(p.Photo);
    }
    std::vector<size_t> expected(shapes.size());
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = i;
    EXPECT_EQ(order, expected) << c.Name;

    // Forced breaks and full pages begin pages; pages take about the number asked, the last one
    // before a break fewer.
    for (size_t b : c.Breaks) EXPECT_TRUE(pageStarts.count(b)) << c.Name << ": break before " << b;
    for (size_t p = 0; p < pages.size(); ++p) {
      const size_t count = pages[p].Photos.size();
      const size_t first = pages[p].Photos.front().Photo, next = first + count;
      const bool beforeBreak = next == shapes.size() || std::count(c.Breaks.begin(), c.Breaks.end(), next) > 0 ||
                               shapes[next].FullPage || shapes[next - 1].FullPage;
      if (shapes[first].FullPage) { EXPECT_EQ(count, 1u) << c.Name; }
      EXPECT_LE(count, static_cast<size_t>(c.PhotosPerPage) + 1) << c.Name;
      if (!beforeBreak) { EXPECT_GE(count + 1, static_cast<size_t>(c.PhotosPerPage)) << c.Name; }
      ExpectPageRules(c, shapes, pages[p], p);
    }

    // The same album gives the same pages.
    const std::vector<TArrangedPage> again = LayOutAlbum(shapes, options);
    ASSERT_EQ(again.size(), pages.size()) << c.Name;
    for (size_t p = 0; p < pages.size(); ++p)
      for (size_t i = 0; i < pages[p].Photos.size(); ++i) {
        EXPECT_EQ(again[p].Photos[i].Slot, pages[p].Photos[i].Slot) << c.Name;
        EXPECT_EQ(again[p].Photos[i].Picture, pages[p].Photos[i].Picture) << c.Name;
      }
  }
}

// The quality the layout exists for, on the camera mix of the benchmark: pages filled, little cut.
TEST(AutoLayout, FillsPagesOfTheCameraMix) {
  struct TRow {
    double Budget, MeanCoverage, PageCoverage, MeanCrop;
  };
  const TRow rows[] = {{0.10, 0.90, 0.85, 0.03}, {0.0, 0.85, 0.0, 0.0}};
  for (const TRow& row : rows) {
    TAutoLayoutOptions options;
    options.FirstArea = options.LaterArea = KA4;
    options.SpacingX = options.SpacingY = 11;
    options.CropBudget = row.Budget;
    const std::vector<TPhotoShape> shapes = qtest::ShapeSet({TShapeMix::Camera, 1000, 28});
    const std::vector<TArrangedPage> pages = LayOutAlbum(shapes, options);
    ASSERT_GT(pages.size(), 100u);
    double coverage = 0, crop = 0;
    size_t wellFilled = 0;
    for (size_t p = 0; p < pages.size(); ++p) {
      coverage += pages[p].Coverage;
      if (p + 1 < pages.size() && pages[p].Coverage >= row.PageCoverage) ++wellFilled;
      for (const TPlacedPhoto& photo : pages[p].Photos) crop += photo.Crop;
    }
    EXPECT_GE(coverage / pages.size(), row.MeanCoverage) << row.Budget;
    EXPECT_GE(10 * wellFilled, 9 * (pages.size() - 1)) << row.Budget;
    EXPECT_LE(crop / shapes.size(), row.MeanCrop + 1e-12) << row.Budget;
  }
}

// The user's choices for a page: its photo count and which of its best arrangements it shows.
TEST(AutoLayout, KeepsTheChoicesForAPage) {
  const std::vector<TPhotoShape> shapes = qtest::ShapeSet({TShapeMix::Camera, 20, 12});
  TAutoLayoutOptions options;
  options.FirstArea = options.LaterArea = KA4;
  options.SpacingX = options.SpacingY = 11;
  const std::vector<TArrangedPage> plain = LayOutAlbum(shapes, options);
  ASSERT_GE(plain.size(), 3u);
  const size_t second = plain[1].Photos.front().Photo;

  struct TRow {
    const char* Name;
    TPageChoice Choice;
    size_t ExpectedCount;  // photos on the second page; 0: as without the choice
    bool OtherArrangement;
  };
  const TRow rows[] = {
      {"two photos", {second, 0, 2}, 2, false},
      {"five photos", {second, 0, 5}, 5, false},
      {"next arrangement", {second, 1, 0}, 0, true},
  };
  for (const TRow& row : rows) {
    options.Choices = {row.Choice};
    const std::vector<TArrangedPage> pages = LayOutAlbum(shapes, options);
    ASSERT_GE(pages.size(), 2u) << row.Name;
    EXPECT_EQ(pages[1].Photos.front().Photo, second) << row.Name;
    EXPECT_EQ(pages[1].Photos.size(), row.ExpectedCount ? row.ExpectedCount : plain[1].Photos.size()) << row.Name;
    bool same = pages[1].Photos.size() == plain[1].Photos.size();
    for (size_t i = 0; same && i < pages[1].Photos.size(); ++i) same = pages[1].Photos[i].Slot == plain[1].Photos[i].Slot;
    EXPECT_EQ(!same, row.OtherArrangement || row.ExpectedCount != plain[1].Photos.size()) << row.Name;
    EXPECT_EQ(pages[1].Variant, row.Choice.Variant) << row.Name;
  }
  // Choosing past the last of the best arrangements comes round to the first again.
  const TArrangedPage first = ArrangePage(shapes.data(), second, 4, {KA4, 11, 11, 0.1}, 0);
  const TArrangedPage round = ArrangePage(shapes.data(), second, 4, {KA4, 11, 11, 0.1}, first.Variants);
  ASSERT_GT(first.Variants, 1u);
  EXPECT_EQ(round.Photos.front().Slot, first.Photos.front().Slot);
}

}  // namespace
