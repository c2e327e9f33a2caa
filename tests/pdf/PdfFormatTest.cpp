#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "pdf/PdfFormat.h"
#include "support/TestSupport.h"

// The width scale: whole products come out one below, everything else truncates towards zero.
TEST(PdfFormat, WidthScaleTable) {
  struct {
    int64_t v, t;
  } rows[] = {
      {0, 0},      {1, 83},                                              // 83.33 truncated
      {2, 166},    {3, 249},                                             // 250 would be whole: one below
      {6, 499},    {7, 583},   {12, 999},                                // a full em is 999, not 1000
      {-2, -166},                                                        // truncation towards zero, not down
      {-3, -249},                                                        // one towards zero from -250
      {-12, -999}, {24, 1999}, {1000000, 83333333}, {999999, 83333249},  // multiple of 3: 83333250 - 1
  };
  for (auto row : rows) EXPECT_EQ(WidthScale(row.v), row.t) << row.v;
}

TEST(PdfFormat, ColourComponentsAreShortestAndLocaleFree) {
  // A decimal comma in the user's locale must not reach the file.
  const char* old = std::setlocale(LC_ALL, nullptr);
  std::string saved = old ? old : "C";
  QTEST_REQUIRE(std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr, "the locale de_DE.UTF-8");
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_EQ(FormatColorComponent(0), "0");
  EXPECT_EQ(FormatColorComponent(51), "0.2");
  EXPECT_EQ(FormatColorComponent(128), "0.501960784313725");
  EXPECT_EQ(FormatColorComponent(255), "1");
  EXPECT_EQ(FormatColorComponent(1), "0.00392156862745098");  // small values stay without exponent
  for (int v = 0; v < 256; ++v) {
    std::string text(FormatColorComponent(static_cast<uint8_t>(v)));
    EXPECT_EQ(text.find_first_of("e,"), std::string::npos) << text;
    if (text.find('.') != std::string::npos) {
      EXPECT_NE(text.back(), '0') << text;
    }
    size_t firstDigit = text.find_first_of("123456789");
    if (firstDigit != std::string::npos) {
      std::string significant = text.substr(firstDigit);
      std::erase(significant, '.');
      EXPECT_LE(significant.size(), 15u) << text;
    }
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_NEAR(std::strtod(text.c_str(), nullptr), v / 255.0, 1e-15) << v;
    std::setlocale(LC_ALL, "de_DE.UTF-8");
  }
  std::string colour;
  AppendColor(colour, 0xFF0000FF);  // top byte ignored
  EXPECT_EQ(colour, "1 0 0");
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(PdfFormat, ThousandthsAndHex) {
  std::string s;
  for (int64_t v : {0LL, 1500LL, -250LL, 2000LL, 1LL, -1001LL, 123456LL}) {
    AppendThousandths(s, v);
    s += ' ';
  }
  EXPECT_EQ(s, "0 1.5 -0.25 2 0.001 -1.001 123.456 ");
  s.clear();
  AppendHex4(s, 0x1A);
  AppendHex4(s, 0xFFFF);
  AppendHex4(s, 0x12345);  // only the low 16 bits
  EXPECT_EQ(s, "001AFFFF2345");
}

TEST(PdfFormat, ZeroPadAndIntegers) {
  EXPECT_EQ(ZeroPad("9", 10), "0000000009");
  EXPECT_EQ(ZeroPad("65535", 5), "65535");
  EXPECT_EQ(ZeroPad("123456", 5), "123456");  // longer stays as it is
  EXPECT_EQ(ZeroPad("", 3), "000");
  std::string s;
  AppendInt(s, -2147483648LL);
  AppendInt(s, 0);
  EXPECT_EQ(s, "-21474836480");
}

TEST(PdfFormat, EscapeTextTable) {
  EXPECT_EQ(EscapeText("a(b)c\\d"), "a\\(b\\)c\\\\d");
  EXPECT_EQ(EscapeText("\b\t\n\f\r"), "\\b\\t\\n\\f\\r");
  EXPECT_EQ(EscapeText(std::string("\x01\x1b\x0b\x1f", 4)), "\\001\\033\\013\\037");
  EXPECT_EQ(EscapeText(std::string(1, '\0')), "\\000");
  EXPECT_EQ(EscapeText("\xE4\x80\xFF "), "\xE4\x80\xFF ");  // 32 to 255 unchanged
}

TEST(PdfFormat, BaseFontNames) {
  EXPECT_EQ(BaseFontName("Microsoft Sans Serif", fsBold), "Microsoft#20Sans#20Serif,Bold");
  EXPECT_EQ(BaseFontName("Arial", fsItalic), "Arial,Italic");
  EXPECT_EQ(BaseFontName("Arial", fsBold | fsItalic | fsUnderline), "Arial,BoldItalic");
  EXPECT_EQ(BaseFontName("Arial", fsUnderline | fsStrikeOut), "Arial");
  EXPECT_EQ(BaseFontName("a%()<>[]{}/#z", 0), "a#25#28#29#3C#3E#5B#5D#7B#7D#2F#23z");
  EXPECT_EQ(BaseFontName(std::string("x\0y\x7f", 4), 0), "xy#7F");   // byte 0 dropped
  EXPECT_EQ(BaseFontName("Grüne Schrift", 0), "Gr#FCne#20Schrift");  // Windows-1252 bytes
}
