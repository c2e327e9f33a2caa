#include <gtest/gtest.h>

#include "platform/TextEncoding.h"

namespace {

TEST(TextEncoding, Cp1252RoundTripsEveryByte) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  std::string back;
  EXPECT_TRUE(Utf8ToCp1252(utf8, back));
  EXPECT_EQ(back, all);
}

TEST(TextEncoding, KnownCharacters) {
  EXPECT_EQ(Utf8ToCp1252("\xC3\xA4"), "\xE4");      // a-umlaut
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC"), "\x80");  // euro sign
  EXPECT_EQ(Cp1252ToUtf8("\x9F"), "\xC5\xB8");      // Y with diaeresis
  std::string out;
  EXPECT_FALSE(
      Utf8ToCp1252("a\xE6\x97\xA5"
                   "b",
                   out));  // CJK has no byte
  EXPECT_EQ(out, "a?b");
}

TEST(TextEncoding, MalformedUtf8) {
  EXPECT_FALSE(IsValidUtf8("\xE4"));              // a lone Latin-1 byte
  EXPECT_FALSE(IsValidUtf8("\xC0\x80"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
  EXPECT_EQ(Utf8ToCp1252("x\xE4y"), "x?y");
}

}  // namespace
