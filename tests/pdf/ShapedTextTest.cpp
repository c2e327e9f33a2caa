// Texts written through the shaper with the system's fonts: what the content stream and the font
// objects say, read back through qpdf's uncompressed form and poppler's text extraction.

#include <gtest/gtest.h>

#include <regex>

#include "pdf/PdfTestSupport.h"
#include "platform/FreeTypeFonts.h"

using namespace pdftest;

namespace {

struct TShapedPdf {
  std::string File, Ops, Qdf, Text;
};

template <class TDraw>
TShapedPdf WriteShaped(TDraw Draw) {
  static qtest::TScratchDir dir;
  static int serial = 0;
  TShapedPdf w;
  w.File = dir / ("shaped" + std::to_string(serial++) + ".pdf");
  {
    TPDFCanvas pdf(std::make_shared<TFreeTypeFonts>());
    EXPECT_TRUE(pdf.BeginDoc(w.File));
    pdf.Font.Name = "Arial";
    pdf.Font.Size = 20;
    Draw(pdf);
    pdf.EndDoc();
  }
  ExpectQpdfClean(w.File);
  w.Ops = PageOperators(qtest::ReadFile(w.File), 1);
  qtest::Run("qpdf --qdf --object-streams=disable " + qtest::Quote(w.File) + " -", &w.Qdf);
  qtest::Run("pdftotext -enc UTF-8 " + qtest::Quote(w.File) + " -", &w.Text);
  return w;
}

bool HaveLiberation() {
  std::string file;
  return qtest::Run("fc-match -f '%{file}' Arial", &file) == 0 &&
         file.find("LiberationSans-Regular") != std::string::npos && qtest::HaveProgram("qpdf") &&
         qtest::HaveProgram("pdftotext");
}

}  // namespace

// A font asked to be embedded is embedded for a text that fits Windows-1252 too; the width the writer
// reports for centring is the shaped one, kerning included, and the kerning reaches the page as a TJ
// adjustment. The same glyph standing for different characters gets a CID for each, so that even two
// characters no font has come back, both drawn as the replacement character of a face that has one.
TEST(ShapedText, EmbeddedLineKerningAndOneCidPerCharacter) {
  QTEST_REQUIRE(HaveLiberation(), "Liberation Sans in Arial's place, or poppler or qpdf,");
  int32_t plain = 0, kerned = 0;
  const TShapedPdf w = WriteShaped([&](TPDFCanvas& pdf) {
    plain = pdf.TextWidth("AV");  // not yet embedded: the hinted Windows-1252 width
    pdf.EmbedFont("Arial", 0);
    kerned = pdf.TextWidth("AV");
    pdf.TextOut(10, 20, "AV");
    pdf.TextOut(10, 60, "x\xEE\x84\xA3y\xEE\x84\xA4z");  // U+E123 and U+E124
  });
  EXPECT_LT(kerned, plain);
  // Baseline 841 - 20 - 24 - 1 for Liberation Sans at 20 pixels; A and V are CIDs 1 and 2.
  EXPECT_NE(w.Ops.find("BT\n0 0 0 rg\n10 796 Td\n/F1 20 Tf\n[<0001>"), std::string::npos) << w.Ops;
  EXPECT_TRUE(std::regex_search(w.Ops, std::regex("\\[<0001>[0-9]+<0002>\\] TJ"))) << w.Ops;
  // Liberation Sans has no U+FFFD: the two replacement glyphs come from a second font, as CIDs 1 and 2.
  EXPECT_NE(w.Ops.find("/F2 20 Tf\n[<0001>] TJ"), std::string::npos) << w.Ops;
  EXPECT_NE(w.Ops.find("/F2 20 Tf\n[<0002>] TJ"), std::string::npos) << w.Ops;
  EXPECT_NE(w.Qdf.find("/Subtype /CIDFontType2"), std::string::npos);
  EXPECT_NE(w.Qdf.find("<0001> <E123>"), std::string::npos) << w.Qdf;
  EXPECT_NE(w.Qdf.find("<0002> <E124>"), std::string::npos) << w.Qdf;
  EXPECT_NE(w.Text.find("AV"), std::string::npos) << w.Text;
  EXPECT_NE(w.Text.find("x\xEE\x84\xA3y\xEE\x84\xA4z"), std::string::npos) << w.Text;
  EXPECT_EQ(w.Qdf.find("WinAnsiEncoding"), std::string::npos);
}

// One document may hold a face both by name (texts that fit Windows-1252) and embedded (the others);
// a ligature's glyph gives back both letters, and a fallback face joins the line without a gap.
TEST(ShapedText, NamedAndEmbeddedSideBySideWithFallback) {
  QTEST_REQUIRE(HaveLiberation(), "Liberation Sans in Arial's place, or poppler or qpdf,");
  const TShapedPdf w = WriteShaped([](TPDFCanvas& pdf) {
    pdf.TextOut(10, 20, "Köln");
    pdf.TextOut(10, 60, "Łódź 東京 office");
  });
  EXPECT_NE(w.Ops.find("/F1 20 Tf\n10 796  Td (K\xF6ln) Tj"), std::string::npos) << w.Ops;
  EXPECT_NE(w.Ops.find("/F2 20 Tf\n"), std::string::npos) << w.Ops;
  EXPECT_NE(w.Ops.find("/F3 20 Tf\n"), std::string::npos) << w.Ops;  // the CJK fallback face
  EXPECT_NE(w.Qdf.find("/Encoding /WinAnsiEncoding"), std::string::npos);
  EXPECT_NE(w.Qdf.find("/Subtype /Type0"), std::string::npos);
  EXPECT_NE(w.Text.find("Köln"), std::string::npos) << w.Text;
  EXPECT_NE(w.Text.find("Łódź 東京 office"), std::string::npos) << w.Text;
}

// Every cluster gives its text back, whatever its glyphs: poppler's pdftotext reads each line exactly
// as written (marks after their letters too), right-to-left ones in their logical order.
TEST(ShapedText, EveryClusterGivesItsTextBack) {
  QTEST_REQUIRE(HaveLiberation(), "Liberation Sans in Arial's place, or poppler or qpdf,");
  const char* const texts[] = {
      "हिन्दी भाषा क्षत्रिय",
      "ভাষা বাংলা",
      "தமிழ் மொழி",
      "ภาษาไทย น้ำ",
      "ភាសាខ្មែរ",
      "မြန်မာဘာသာ",
      "བོད་སྐད་",
      "සිංහල භාෂාව",
      "ᄒᆞᆫ글 한국어",
      "Tiếng Việt ᾅ",
      "Cafe\xCC\x81 Noe\xCC\x88l",
      "שָׁלוֹם עולם",
      "العَرَبِيَّة لغة",
      "لا إله",
  };
  const TShapedPdf w = WriteShaped([&](TPDFCanvas& pdf) {
    for (size_t k = 0; k < std::size(texts); ++k) pdf.TextOut(10, 20 + 40 * int32_t(k), texts[k]);
  });
  // pdftotext marks right-to-left stretches with embedding characters (U+202A to U+202C).
  const std::string text = std::regex_replace(w.Text, std::regex("\xE2\x80[\xAA-\xAC]"), "");
  for (const char* expected : texts)
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos) << text;  // no U+FFFD
}
