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
