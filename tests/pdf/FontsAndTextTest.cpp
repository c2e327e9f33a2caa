#include <ft2build.h>
#include <gtest/gtest.h>
#include FT_FREETYPE_H

#include "PdfTestSupport.h"
#include "pdf/PdfFormat.h"
#include "platform/FreeTypeFonts.h"

using namespace pdftest;

namespace {

struct TWritten {
  std::string File, Pdf;
  std::string Page(int N) const { return PageOperators(Pdf, N); }
};

template <class TDraw>
TWritten Write(TDraw Draw, std::shared_ptr<TFontMetrics> Metrics = FixedMetrics()) {
  static qtest::TScratchDir dir;
  static int serial = 0;
  TWritten w;
  w.File = dir / ("text" + std::to_string(serial++) + ".pdf");
  {
    TPDFCanvas pdf(std::move(Metrics));
    EXPECT_TRUE(pdf.BeginDoc(w.File));
    Draw(pdf);
    pdf.EndDoc();
  }
  w.Pdf = qtest::ReadFile(w.File);
  ExpectQpdfClean(w.File);
  return w;
}

}  // namespace

// Fixed metrics: a 10-point line is 12 high, so the baseline of a cell at y = 20 is 841 - 20 - 12 - 1.
TEST(PdfText, FontOnceColourUntilAFillAndEscapes) {
  TWritten w = Write([](TPDFCanvas& pdf) {
    pdf.Font.Size = 10;
    pdf.TextOut(10, 20, "a(b)c\\d");
    pdf.TextOut(10, 40, "\t\xC3\xA4\x01\x1b\xE2\x82\xAC\xE4\xB8\xAD");  // tab, ä, 1, 27, €, a CJK sign
    pdf.Brush = {bsSolid, 0x0000FF};
    pdf.Pen.Style = psClear;
    pdf.FillRect(0, 0, 5, 5);
    pdf.TextOut(0, 0, "x");    // the fill changed the colour: written again
    pdf.TextOut(0, 0, "y");    // now nothing changed
    pdf.FillRect(0, 0, 5, 5);  // the text's black replaced the red: red again
  });
  EXPECT_EQ(w.Page(1),
            "BT\n0 0 0 rg\n/F1 10 Tf\n10 808  Td (a\\(b\\)c\\\\d) Tj\nET\n"
            "BT\n0 0 0 rg\n10 788  Td (\\t\xE4\\001\\033\x80?) Tj\nET\n"
            "1 0 0 rg\n0 836 4 4 re\nf\n"
            "BT\n0 0 0 rg\n0 828  Td (x) Tj\nET\n"
            "BT\n0 828  Td (y) Tj\nET\n"
            "1 0 0 rg\n0 836 4 4 re\nf\n");
}

TEST(PdfText, SizeColourNewPageAndClipWriteTheSelectionAgain) {
  TWritten w = Write([](TPDFCanvas& pdf) {
    pdf.Font.Size = 8;
    pdf.TextOut(0, 0, "a");
    pdf.Font.Size = 12;
    pdf.Font.Color = 0x00FF00;
    pdf.TextOut(0, 0, "b");
    pdf.BeginClip(0, 0, 10, 10);
    pdf.EndClip();
    pdf.TextOut(0, 0, "c");
    pdf.NewPage();
    pdf.TextOut(0, 0, "d");
  });
  EXPECT_EQ(w.Page(1),
            "BT\n0 0 0 rg\n/F1 8 Tf\n0 830  Td (a) Tj\nET\n"
            "BT\n0 1 0 rg\n/F1 12 Tf\n0 825  Td (b) Tj\nET\n"
            "q\n0 831 10 10 re\nW\nn\nQ\n"
            "BT\n0 1 0 rg\n/F1 12 Tf\n0 825  Td (c) Tj\nET\n");
  EXPECT_EQ(w.Page(2), "BT\n0 1 0 rg\n/F1 12 Tf\n0 825  Td (d) Tj\nET\n");
}

// A clear brush never writes its colour, so the stream still fills with the last solid one: text of
// the clear brush's colour must write its colour.
TEST(PdfText, TextAfterAClearBrushWritesItsColour) {
  TWritten w = Write([](TPDFCanvas& pdf) {
    pdf.Brush = {bsSolid, 0x0000FF};
    pdf.FillRect(0, 0, 5, 5);
    pdf.Brush = {bsClear, 0x000000};
    pdf.Rectangle(0, 0, 5, 5);
    pdf.TextOut(0, 0, "x");
    pdf.Brush = {bsSolid, 0x000000};
    pdf.FillRect(0, 0, 5, 5);  // the text left black as the fill: nothing to write
  });
  std::string ops = w.Page(1);
  EXPECT_NE(ops.find("BT\n0 0 0 rg\n/F1 8 Tf\n"), std::string::npos) << ops;
  EXPECT_EQ(ops.substr(ops.size() - 18), "ET\n0 836 4 4 re\nf\n") << ops;
}

TEST(PdfText, FontEntriesByNameAndFullStyle) {
  TWritten w = Write([](TPDFCanvas& pdf) {
    pdf.Font.Name = "Arial";
    EXPECT_EQ(pdf.FontNumber("Arial", 0), 1);
    EXPECT_EQ(pdf.FontNumber("Arial", fsBold), 2);
    EXPECT_EQ(pdf.FontNumber("Arial", fsUnderline), 3);
    EXPECT_EQ(pdf.FontNumber("arial", 0), 4);  // case counts
    EXPECT_EQ(pdf.FontNumber("Arial", fsBold), 2);
    pdf.Font.Name = "Nur gemessen";
    EXPECT_EQ(pdf.TextWidth("abc"), 12);  // measured, never drawn: no entry
  });
  EXPECT_EQ(w.Pdf.find("Nur"), std::string::npos);
  // Page 1 has objects 2 and 3; fonts follow as 4 to 7.
  EXPECT_NE(Object(w.Pdf, 4).find("/BaseFont /Arial\n"), std::string::npos);
  EXPECT_NE(Object(w.Pdf, 5).find("/BaseFont /Arial,Bold\n"), std::string::npos);
  EXPECT_NE(Object(w.Pdf, 6).find("/BaseFont /Arial\n"), std::string::npos);
  EXPECT_NE(Object(w.Pdf, 7).find("/BaseFont /arial\n"), std::string::npos);
  EXPECT_NE(w.Pdf.find("/Font << /F1 4 0 R/F2 5 0 R/F3 6 0 R/F4 7 0 R>> /ProcSet 1 0 R"), std::string::npos);
  TPDFCanvas idle(FixedMetrics());
  EXPECT_EQ(idle.FontNumber("Arial", 0), 0);
}

TEST(PdfText, FontDictionaryOutlineAndPlainForms) {
  TWritten w = Write([](TPDFCanvas& pdf) { pdf.TextOut(0, 0, "a"); });
  EXPECT_EQ(Object(w.Pdf, 4),
            "4 0 obj\n<<\n/Type /Font\n/Subtype /TrueType\n/Encoding /WinAnsiEncoding\n"
            "/BaseFont /Microsoft#20Sans#20Serif\n/FontDescriptor <</Type/FontDescriptor\n"
            "/FontBBox[-83 -249 999 916]\n/Flags 4/Ascent 749/Descent -249/ItalicAngle -12>>\n"
            "/FirstChar 32\n/LastChar 34\n/Widths [499 499 499 ]\n>>\nendobj\n");
  auto plain = FixedMetrics();
  plain->Outline = false;
  TWritten p = Write([](TPDFCanvas& pdf) { pdf.TextOut(0, 0, "a"); }, plain);
  EXPECT_NE(Object(p.Pdf, 4).find("/FontBBox[0 -249 749 999]\n/Flags 4/Ascent 999/Descent -249>>\n"
                                  "/FirstChar 32\n/LastChar 33\n/Widths [499 499 ]\n>>"),
            std::string::npos)
      << Object(p.Pdf, 4);
}

// The system's fonts: "Arial" is measured with what fontconfig substitutes and keeps its name.
TEST(PdfText, SystemFontsMeasureWithFreeType) {
  std::string faceFile;
  QTEST_REQUIRE(qtest::Run("fc-match -f '%{file}' Arial", &faceFile) == 0 &&
                    faceFile.find("LiberationSans-Regular") != std::string::npos,
                "Liberation Sans in Arial's place");
  // The hinted advance of "a" at a 12-pixel em, straight from FreeType.
  FT_Library lib;
  ASSERT_EQ(FT_Init_FreeType(&lib), 0);
  FT_Face face;
  ASSERT_EQ(FT_New_Face(lib, faceFile.c_str(), 0, &face), 0);
  FT_Set_Pixel_Sizes(face, 0, 12);
  FT_Load_Char(face, 'a', FT_LOAD_DEFAULT);
  const int a12 = static_cast<int>((face->glyph->advance.x + 32) >> 6);
  const int lineHeight12 =
      static_cast<int>(((face->size->metrics.ascender + 63) >> 6) - (face->size->metrics.descender >> 6));
  FT_Done_Face(face);
  FT_Done_FreeType(lib);

  int width = 0;
  TWritten w = Write(
      [&](TPDFCanvas& pdf) {
        pdf.Font.Name = "Arial";
        pdf.Font.Size = 12;
        width = pdf.TextWidth("aaa");
        pdf.TextOut(0, 100, "Arial");
        pdf.Font.Style = fsBold;
        pdf.TextOut(0, 200, "Arial fett");
        pdf.Font.Style = fsItalic;
        pdf.TextOut(0, 300, "Arial kursiv \xC3\xA4");
      },
      SharedFontMetrics());
  // Liberation Sans's "a" is 1139 units of a 2048 em: 6.67 pixels at 12, hinted to 7.
  ASSERT_EQ(a12, 7);
  EXPECT_EQ(width, 21);
  EXPECT_NE(w.Page(1).find("0 " + std::to_string(841 - 100 - lineHeight12 - 1) + "  Td (Arial)"),
            std::string::npos);
  std::string regular = Object(w.Pdf, 4), bold = Object(w.Pdf, 5), italic = Object(w.Pdf, 6);
  EXPECT_NE(regular.find("/FirstChar 32\n/LastChar 255\n"), std::string::npos) << regular;
  // Widths from 32: "a" (97) is the 66th entry.
  std::string widths = regular.substr(regular.find("/Widths [") + 9);
  std::vector<int64_t> values;
  for (size_t at = 0; at < widths.size() && widths[at] != ']'; at = widths.find(' ', at) + 1)
    values.push_back(std::stoll(widths.substr(at)));
  ASSERT_EQ(values.size(), 224u);
  EXPECT_EQ(values[97 - 32], 583);  // 7 pixels of a 12-pixel em: 583.3 thousandths, truncated
  EXPECT_NE(bold.find("/BaseFont /Arial,Bold\n"), std::string::npos);
  EXPECT_NE(bold, regular);
  EXPECT_NE(italic.find("/BaseFont /Arial,Italic\n"), std::string::npos);
  EXPECT_NE(italic.find("/ItalicAngle -12>>"), std::string::npos) << italic;
  EXPECT_NE(regular.find("/ItalicAngle 0>>"), std::string::npos) << regular;

  if (qtest::NeedProgram("pdffonts")) {
    std::string list;
    EXPECT_EQ(qtest::Run("pdffonts " + qtest::Quote(w.File) + " 2>&1", &list), 0) << list;
    for (const char* name : {"Arial ", "Arial,Bold ", "Arial,Italic "})
      EXPECT_NE(list.find(std::string(name)), std::string::npos) << list;
    for (size_t at = list.find("\nArial"); at != std::string::npos; at = list.find("\nArial", at + 1)) {
      std::string row = list.substr(at + 1, list.find('\n', at + 1) - at - 1);
      EXPECT_NE(row.find("TrueType"), std::string::npos) << row;
      EXPECT_NE(row.find("WinAnsi          no"), std::string::npos) << row;  // not embedded
    }
  }
  if (qtest::NeedProgram("pdftotext")) {
    std::string text;
    qtest::Run("pdftotext " + qtest::Quote(w.File) + " -", &text);
    EXPECT_NE(text.find("Arial kursiv \xC3\xA4"), std::string::npos) << text;
  }
}

TEST(PdfText, UnknownFontsAndOddSizesStillMeasure) {
  TFreeTypeFonts fonts;
  fonts.SelectFont("Keine solche Schrift 12345", fsBold, 12);
  EXPECT_GT(fonts.TextExtent("abc").Width, 0);  // the substitute's widths
  fonts.SelectFont("", 0, 0);
  EXPECT_GE(fonts.LineHeight(), 0);
  fonts.SelectFont("Arial", 0, -12);  // negative: the same em
  int32_t a = fonts.TextExtent("a").Width;
  fonts.SelectFont("Arial", 0, 12);
  EXPECT_EQ(fonts.TextExtent("a").Width, a);
  fonts.SelectFont("Arial", 0, INT32_MAX);  // clamped to what FreeType takes
  EXPECT_GT(fonts.TextExtent("ab").Width, 0);
  EXPECT_EQ(fonts.TextExtent("").Width, 0);
}
