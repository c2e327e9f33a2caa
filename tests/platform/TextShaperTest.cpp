// A letter keeps its marks: the shaper gives the whole grapheme cluster one face, and composes it
// where that face has the composed character.

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
  // Noto Sans Symbols has "C", "a", "f", "e" and "q" but none of the marks, nor "é". Bytes 3 to 6 are
  // "e" or "q" with U+0301, U+0323 and U+0307 after them, two bytes each.
  const struct {
    const char* Text;
    size_t End;
    int Glyphs;  // the cluster's glyphs: one where it is composed
  } rows[] = {{"Cafe\xCC\x81", 6, 1}, {"Cafq\xCC\xA3\xCC\x87", 8, 3}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Text);
    const TShapedLine& line = fonts.Shaper()->Shape("Noto Sans Symbols", 0, row.Text);
    ASSERT_FALSE(line.Runs.empty());
    const TFontFace* primary = line.Runs.front().Face;
    int glyphs = 0;
    for (const TShapedRun& run : line.Runs)
      for (const TShapedGlyph& glyph : run.Glyphs) {
        if (glyph.ClusterStart != 3) continue;
        ++glyphs;
        EXPECT_EQ(glyph.ClusterEnd, row.End);
        EXPECT_NE(run.Face, primary);  // a face that has the marks
      }
    EXPECT_EQ(glyphs, row.Glyphs);
  }
}
