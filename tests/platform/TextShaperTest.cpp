// A letter keeps its marks: the shaper gives a grapheme cluster one face, composed where it can be.

#include <gtest/gtest.h>

#include "platform/FreeTypeFonts.h"
#include "platform/TextShaper.h"
#include "support/TestSupport.h"

TEST(TextShaper, ClustersKeepTheirMarksInOneFace) {
  std::string file;
  QTEST_REQUIRE(qtest::Run("fc-match -f '%{file}' 'Noto Sans Symbols'", &file) == 0 &&
                    file.find("NotoSansSymbols-Regular") != std::string::npos,
                "Noto Sans Symbols");
  TFreeTypeFonts fonts;
  ASSERT_NE(fonts.Shaper(), nullptr);
  // Noto Sans Symbols has "e" and "q" but neither the marks (two bytes each) nor "é": the cluster
  // from byte 3 goes whole to another face, as "é" where that is one.
  for (const auto& [text, end, count] :
       {std::tuple{"Cafe\xCC\x81", 6u, 1}, {"Cafq\xCC\xA3\xCC\x87", 8u, 3}}) {
    const TShapedLine& line = fonts.Shaper()->Shape("Noto Sans Symbols", 0, text);
    ASSERT_FALSE(line.Runs.empty());
    int glyphs = 0;
    for (const TShapedRun& run : line.Runs)
      for (const TShapedGlyph& glyph : run.Glyphs)
        if (glyph.ClusterStart == 3) {
          ++glyphs;
          EXPECT_EQ(glyph.ClusterEnd, end) << text;
          EXPECT_NE(run.Face, line.Runs.front().Face) << text;  // not the face "C" came from
        }
    EXPECT_EQ(glyphs, count) << text;
  }
}

// What no face can draw: control characters are drawn as spaces, a character no installed face has
// (U+0378 is none at all, U+E123 a private one) as the replacement character, each keeping its own
// bytes so that a reader gives them back, and listed as missing. The glyphs to expect are those of
// the space and of U+FFFD shaped as themselves.
TEST(TextShaper, WhatNoFaceHasIsDrawnVisibly) {
  TFreeTypeFonts fonts;
  TTextShaper* shaper = fonts.Shaper();
  ASSERT_NE(shaper, nullptr);
  const auto middle = [&](const std::string& Text) {
    const TShapedLine& line = shaper->Shape("DejaVu Sans", 0, Text);
    std::vector<std::pair<TFontFace*, TShapedGlyph>> glyphs;
    for (const TShapedRun& run : line.Runs)
      for (const TShapedGlyph& glyph : run.Glyphs) glyphs.push_back({run.Face, glyph});
    EXPECT_EQ(glyphs.size(), 3u) << Text;
    return glyphs.size() == 3 ? glyphs[1] : std::pair<TFontFace*, TShapedGlyph>{};
  };
  const auto space = middle("a b"), replacement = middle("a\uFFFDb");
  ASSERT_NE(replacement.first, nullptr);
  const struct {
    const char* Text;
    uint32_t End;  // the middle glyph's bytes: from 1 to End
    bool Replaced;
    std::u32string Missing;
  } rows[] = {
      {"a\tb", 2, false, U""},
      {"a\nb", 2, false, U""},
      {"a\r\nb", 3, false, U""},  // one cluster, one space
      {"a\u0378b", 3, true, U"\u0378"},
      {"a\uE123b", 4, true, U"\uE123"},
  };
  for (const auto& row : rows) {
    const auto [face, glyph] = middle(row.Text);
    const auto& expected = row.Replaced ? replacement : space;
    EXPECT_EQ(face, expected.first) << row.Text;
    EXPECT_EQ(glyph.Glyph, expected.second.Glyph) << row.Text;
    EXPECT_NE(glyph.Glyph, 0u) << row.Text;  // never the missing-glyph box
    EXPECT_EQ(glyph.TextStart, 1u) << row.Text;
    EXPECT_EQ(glyph.TextEnd, row.End) << row.Text;
    EXPECT_TRUE(shaper->Shape("DejaVu Sans", 0, row.Text).Missing == row.Missing) << row.Text;
  }
}
