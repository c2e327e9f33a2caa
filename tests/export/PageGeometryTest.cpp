#include <gtest/gtest.h>

#include "export/PageGeometry.h"
#include "export/TextLines.h"

namespace {

TEST(PageGeometry, MillimetresToPoints) {
  struct {
    double mm;
    int32_t points;
  } rows[] = {
      {210, 595},     {297, 841}, {15, 42},
      {5, 14},        {0, 0},     {25.39995, 72},  // the divisor itself is exactly one inch
      {25.4, 72},                                  // 72.0001...: still 72
      {1, 2},                                      // 2.83...
      {10000, 28346},
  };
  for (const auto& r : rows) EXPECT_EQ(MmToPoints(r.mm), r.points) << r.mm;
}

// Bleeds are rounded up to whole points, never below what was asked: mm / 25.4 x 72 by hand.
TEST(PageGeometry, MillimetresToPointsRoundedUp) {
  const struct {
    double Mm;
    int32_t Points;
  } rows[] = {
      {0, 0},
      {0.3, 1},     // 0.85
      {0.5, 2},     // 1.42
      {3, 9},       // 8.50, which whole points cut to 8 (2.82 mm)
      {3.175, 9},   // exactly 9: not a point more
      {10, 29},     // 28.35
      {-1, 0},      // nothing below 0
  };
  for (const auto& row : rows) EXPECT_EQ(MmToPointsUp(row.Mm), row.Points) << row.Mm;
}

TEST(PageGeometry, WorkedExampleGrid) {
  TPageGrid g;
  g.W = MmToPoints(210);
  g.H = MmToPoints(297);
  g.MX = g.MY = MmToPoints(15);
  g.SX = g.SY = MmToPoints(5);
  g.NX = 2;
  g.NY = 3;
  g.HH = 3 * 16;
  g.Compute();
  EXPECT_EQ(g.CW, 248);
  EXPECT_EQ(g.CH, 227);
  EXPECT_EQ(g.CellX(0), 42);
  EXPECT_EQ(g.CellX(1), 304);
  EXPECT_EQ(g.CellY(0), 90);
  EXPECT_EQ(g.CellY(1), 331);
  EXPECT_EQ(g.CellY(2), 572);
  g.SetHeadingHeight(0);  // heading on the first page only: taller cells, rows move up
  EXPECT_EQ(g.CH, (841 - 84 - 28) / 3);
  EXPECT_EQ(g.CellY(0), 42);
}

TEST(PageGeometry, Fitting) {
  // Landscape 4000 x 3000 into a 248 wide cell with a 207 high picture area.
  TFittedPicture f = FitPicture(42, 90, 248, 207, 4000, 3000, false);
  EXPECT_EQ(f.D, 248);
  EXPECT_EQ(f.h, 186);  // 3000 * 248 / 4000
  EXPECT_EQ(f.X, 42);
  EXPECT_EQ(f.Y, 90 + 10);  // half of 207 - 186 = 10 (10.5 truncated)
  // Portrait: too tall, so the height is the area's and the width follows.
  f = FitPicture(42, 90, 248, 207, 3000, 4000, false);
  EXPECT_EQ(f.h, 207);
  EXPECT_EQ(f.D, 155);  // 3000 * 207 / 4000 = 155.25
  EXPECT_EQ(f.X, 42 + 46);
  // Maximal enlargement: landscape is stretched to the area height and reaches past the cell.
  f = FitPicture(42, 90, 248, 207, 4000, 3000, true);
  EXPECT_EQ(f.h, 207);
  EXPECT_EQ(f.D, 276);
  EXPECT_EQ(f.X, 42 - 14);
  // Texts taller than the cell: a negative area gives a negative size, which the caller skips.
  f = FitPicture(0, 0, 100, -20, 400, 300, false);
  EXPECT_LT(f.h, 0);
  // Large pictures and cells do not overflow.
  f = FitPicture(0, 0, 28000, 28000, 6000, 4000, false);
  EXPECT_EQ(f.D, 28000);
  EXPECT_EQ(f.h, 18666);
}

TEST(PageGeometry, FramePenWidth) {
  EXPECT_EQ(FramePenWidth(10), 3);
  EXPECT_EQ(FramePenWidth(1), 0);
  EXPECT_EQ(FramePenWidth(2), 1);
  EXPECT_EQ(FramePenWidth(100), 33);
}

TEST(PageGeometry, NumberedFileNames) {
  EXPECT_EQ(NumberedFileName("/home/u/Bilder/urlaub.pdf", 1), "/home/u/Bilder/urlaub0001.pdf");
  EXPECT_EQ(NumberedFileName("/home/u/Bilder/urlaub.pdf", 12), "/home/u/Bilder/urlaub0012.pdf");
  EXPECT_EQ(NumberedFileName("/home/u/Bilder/urlaub.pdf", 12345), "/home/u/Bilder/urlaub12345.pdf");
  EXPECT_EQ(NumberedFileName("/home/u/Bil.der/urlaub", 2), "/home/u/Bil.der/urlaub0002");  // folder dot
  EXPECT_EQ(NumberedFileName("album.x.pdf", 3), "album.x0003.pdf");
  EXPECT_EQ(NumberedFileName("C:\\Bilder\\urlaub.pdf", 1), "C:\\Bilder\\urlaub0001.pdf");
}

int32_t CharsWide(std::string_view s) {
  // Every character (UTF-8 lead byte) is 6 units wide.
  int32_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n * 6;
}

TEST(TextLines, BreaksAndWraps) {
  using V = std::vector<std::string>;
  EXPECT_EQ(BreakTextLines("", 60, CharsWide), V{});
  EXPECT_EQ(BreakTextLines("eins\r\nzwei", 60, CharsWide), (V{"eins", "zwei"}));
  EXPECT_EQ(BreakTextLines("eins\rzwei\ndrei", 60, CharsWide), (V{"eins", "zwei", "drei"}));
  EXPECT_EQ(BreakTextLines("eins\r\n", 60, CharsWide), V{"eins"});  // empty last line not counted
  EXPECT_EQ(BreakTextLines("eins\r\n\r\nzwei", 60, CharsWide), (V{"eins", "", "zwei"}));
  // 10 characters per line.
  EXPECT_EQ(BreakTextLines("Ein Haus am See im Sommer", 60, CharsWide),
            (V{"Ein Haus", "am See im", "Sommer"}));
  EXPECT_EQ(BreakTextLines("Donaudampfschifffahrt", 60, CharsWide), (V{"Donaudampf", "schifffahr", "t"}));
  EXPECT_EQ(BreakTextLines("\xC3\xA4\xC3\xA4\xC3\xA4", 12, CharsWide), (V{"\xC3\xA4\xC3\xA4", "\xC3\xA4"}));
  EXPECT_EQ(BreakTextLines("abc", 1, CharsWide), (V{"a", "b", "c"}));  // at least one character a line
}

// Texts outside Windows-1252 wrap where the Unicode rules allow: at blanks, between Chinese or
// Japanese characters (never before "。" or "、"), and a word too wide between whole letters, so a
// letter keeps its combining marks.
TEST(TextLines, AnyScriptWrapsByUnicodeRules) {
  using V = std::vector<std::string>;
  EXPECT_EQ(BreakTextLines("Łódź jest w Polsce", 60, CharsWide), (V{"Łódź jest", "w Polsce"}));
  EXPECT_EQ(BreakTextLines("東京は日本の首都です。", 24, CharsWide), (V{"東京は日", "本の首都", "です。"}));
  EXPECT_EQ(BreakTextLines("Ελλάδα\nΑθήνα", 60, CharsWide), (V{"Ελλάδα", "Αθήνα"}));
  // "Việt" written with combining marks: "e" + U+0323 + U+0302 is one letter of three characters.
  EXPECT_EQ(BreakTextLines("Vie\xCC\xA3\xCC\x82tnam", 24, CharsWide), (V{"Vi", "e\xCC\xA3\xCC\x82t", "nam"}));
}

}  // namespace
