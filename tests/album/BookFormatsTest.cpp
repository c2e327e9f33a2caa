// The photo-book formats: names and captions as typed, and the format of a page size.

#include <gtest/gtest.h>

#include "album/BookFormats.h"

TEST(BookFormats, NamesCaptionsAndSizes) {
  const struct {
    const char* Text;
    double Width, Height;  // 0: no format
  } rows[] = {
      {"a4-hoch", 210, 297}, {"A4 hoch", 210, 297}, {"A4", 210, 297},  // "A4" alone is upright
      {"a4-quer", 297, 210}, {"A4 Quer", 297, 210}, {"a5", 148, 210},
      {"21x21", 210, 210},   {"21 x 21 cm", 210, 210}, {"30 X 30", 300, 300},
      {"20x15", 200, 150},   {"28 x 21 cm", 280, 210},
      {"A3", 0, 0},          {"", 0, 0},             {"cm", 0, 0}, {"21x", 0, 0},
  };
  for (const auto& row : rows) {
    const TBookFormat* format = BookFormatNamed(row.Text);
    if (row.Width == 0) {
      EXPECT_EQ(format, nullptr) << row.Text;
      continue;
    }
    ASSERT_NE(format, nullptr) << row.Text;
    EXPECT_EQ(format->Width, row.Width) << row.Text;
    EXPECT_EQ(format->Height, row.Height) << row.Text;
    EXPECT_EQ(BookFormatOfSize(row.Width, row.Height), format) << row.Text;
  }
  EXPECT_EQ(BookFormatOfSize(210, 296), nullptr);  // a free size
}
