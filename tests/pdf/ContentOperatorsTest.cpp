#include <gtest/gtest.h>
#include <png.h>

#include "PdfTestSupport.h"

using namespace pdftest;

namespace {

// Writes one document through Draw and returns page Page's operators.
template <class TDraw>
std::string Operators(TDraw Draw, int Page = 1, std::string* File = nullptr) {
  static qtest::TScratchDir dir;
  static int serial = 0;
  std::string file = dir / ("ops" + std::to_string(serial++) + ".pdf");
  {
    TPDFCanvas pdf(FixedMetrics());
    EXPECT_TRUE(pdf.BeginDoc(file));
    Draw(pdf);
    pdf.EndDoc();
  }
  ExpectQpdfClean(file);
  if (File) *File = file;
  return PageOperators(qtest::ReadFile(file), Page);
}

void RedBrush(TPDFCanvas& Pdf) {
  Pdf.Pen = {psSolid, 1, 0x000000};
  Pdf.Brush = {bsSolid, 0x0000FF};
}

}  // namespace

TEST(PdfOperators, RectangleWritesDashWidthColoursAndFillStroke) {
  std::string file;
  std::string ops = Operators(
      [](TPDFCanvas& pdf) {
        RedBrush(pdf);
        pdf.Rectangle(10, 10, 110, 60);
      },
      1, &file);
  EXPECT_EQ(ops, "[ ] 0 d\n1 w\n0 0 0 RG\n1 0 0 rg\n10 781 99 49 re\nB\n");

  // The reader paints exactly that box red: inside red, the row and column just past it white.
  QTEST_REQUIRE_PROGRAM("pdftoppm");
  qtest::TScratchDir dir;
  ASSERT_EQ(
      qtest::Run("pdftoppm -r 72 -png -singlefile " + qtest::Quote(file) + " " + qtest::Quote(dir / "page")),
      0);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, (dir / "page.png").c_str()));
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  auto at = [&](unsigned x, unsigned y) {
    const unsigned char* p = &rgb[(y * image.width + x) * 3];
    return (p[0] << 16) | (p[1] << 8) | p[2];
  };
  EXPECT_EQ(at(60, 35), 0xFF0000);
  EXPECT_EQ(at(20, 20), 0xFF0000);
  EXPECT_EQ(at(5, 5), 0xFFFFFF);
  EXPECT_EQ(at(60, 80), 0xFFFFFF);
  EXPECT_EQ(at(150, 35), 0xFFFFFF);
}

TEST(PdfOperators, WholePageRectangleCoversTheMediaBox) {
  EXPECT_NE(Operators([](TPDFCanvas& pdf) { pdf.Rectangle(0, 0, 595, 841); }).find("0 0 594 840 re\nB\n"),
            std::string::npos);
}

TEST(PdfOperators, ClearStylesChooseOutlineFillOrNothing) {
  // Clear brush: four separate strokes through the outermost pixels.
  EXPECT_EQ(Operators([](TPDFCanvas& pdf) {
              pdf.Brush.Style = bsClear;
              pdf.Rectangle(10, 10, 110, 60);
            }),
            "[ ] 0 d\n1 w\n0 0 0 RG\n"
            "10 830 m\n109 830 l\nS\n109 830 m\n109 781 l\nS\n"
            "109 781 m\n10 781 l\nS\n10 781 m\n10 830 l\nS\n");
  // Clear pen: filled only.
  EXPECT_EQ(Operators([](TPDFCanvas& pdf) {
              RedBrush(pdf);
              pdf.Pen.Style = psClear;
              pdf.Rectangle(10, 10, 110, 60);
            }),
            "1 0 0 rg\n10 781 99 49 re\nf\n");
  // Both clear: nothing at all.
  EXPECT_EQ(Operators([](TPDFCanvas& pdf) {
              pdf.Pen.Style = psClear;
              pdf.Brush.Style = bsClear;
              pdf.Rectangle(10, 10, 110, 60);
              pdf.LineTo(50, 50);
            }),
            "");
}

TEST(PdfOperators, PenAndBrushAreWrittenOnlyWhenTheyChangeOrTheStateIsLost) {
  std::string ops = Operators([](TPDFCanvas& pdf) {
    RedBrush(pdf);
    pdf.Rectangle(0, 0, 10, 10);
    pdf.Rectangle(20, 0, 30, 10);  // nothing new
    pdf.Pen.Width = 0;
    pdf.Rectangle(40, 0, 50, 10);  // pen again, with "0 w"
    pdf.BeginClip(0, 0, 100, 100);
    pdf.Rectangle(60, 0, 70, 10);  // still valid inside the clip
    pdf.EndClip();
    pdf.Rectangle(80, 0, 90, 10);  // after the restore: both again
    pdf.NewPage();
  });
  EXPECT_EQ(ops,
            "[ ] 0 d\n1 w\n0 0 0 RG\n1 0 0 rg\n0 831 9 9 re\nB\n"
            "20 831 9 9 re\nB\n"
            "[ ] 0 d\n0 w\n0 0 0 RG\n40 831 9 9 re\nB\n"
            "q\n0 741 100 100 re\nW\nn\n60 831 9 9 re\nB\nQ\n"
            "[ ] 0 d\n0 w\n0 0 0 RG\n1 0 0 rg\n80 831 9 9 re\nB\n");
  std::string page2 = Operators(
      [](TPDFCanvas& pdf) {
        RedBrush(pdf);
        pdf.Rectangle(0, 0, 10, 10);
        pdf.NewPage();
        pdf.Rectangle(0, 0, 10, 10);
      },
      2);
  EXPECT_EQ(page2, "[ ] 0 d\n1 w\n0 0 0 RG\n1 0 0 rg\n0 831 9 9 re\nB\n");
}

TEST(PdfOperators, DashStylesAndColourComponents) {
  std::string ops = Operators([](TPDFCanvas& pdf) {
    const TPenStyle styles[] = {psDash, psDot, psDashDot, psDashDotDot, psInsideFrame};
    int y = 0;
    for (TPenStyle style : styles) {
      pdf.Pen = {style, 2, 0x80FF33};  // red 0x33, green 0xFF, blue 0x80
      pdf.MoveTo(0, y);
      pdf.LineTo(10, y++);
    }
  });
  EXPECT_EQ(ops,
            "[3] 0 d\n2 w\n0.2 1 0.501960784313725 RG\n0 840 m\n10 840 l\nS\n"
            "[1] 0 d\n2 w\n0.2 1 0.501960784313725 RG\n0 839 m\n10 839 l\nS\n"
            "[3 1 1 1] 0 d\n2 w\n0.2 1 0.501960784313725 RG\n0 838 m\n10 838 l\nS\n"
            "[3 1 1 1 1 1] 0 d\n2 w\n0.2 1 0.501960784313725 RG\n0 837 m\n10 837 l\nS\n"
            "[ ] 0 d\n2 w\n0.2 1 0.501960784313725 RG\n0 836 m\n10 836 l\nS\n");
}

TEST(PdfOperators, ReversedAndDegenerateRectanglesAndClips) {
  EXPECT_EQ(Operators([](TPDFCanvas& pdf) {
              pdf.Pen.Style = psClear;
              pdf.FillRect(10, 10, 5, 60);    // width -5 becomes -4
              pdf.FillRect(10, 60, 20, 10);   // height -50 becomes -49
              pdf.FillRect(10, 10, 10, 60);   // nothing
              pdf.Rectangle(10, 10, 20, 10);  // nothing
            }),
            "1 1 1 rg\n10 781 -4 49 re\nf\n10 831 9 -49 re\nf\n");
  // Clip sizes are not shrunk; a degenerate clip writes nothing and neither does its EndClip, and an
  // EndClip without a BeginClip restores nothing the page did not save.
  EXPECT_EQ(Operators([](TPDFCanvas& pdf) {
              pdf.BeginClip(10, 10, 110, 60);
              pdf.BeginClip(0, 0, 0, 50);
              pdf.EndClip();
              pdf.EndClip();
              pdf.EndClip();
              pdf.SetLineCap(2);
            }),
            "q\n10 781 100 50 re\nW\nn\nQ\n2 J\n");
  // A clip still open when the page ends is closed there.
  EXPECT_EQ(Operators([](TPDFCanvas& pdf) { pdf.BeginClip(0, 0, 5, 5); }), "q\n0 836 5 5 re\nW\nn\nQ\n");
}

TEST(PdfOperators, ExtremeCoordinatesDoNotOverflow) {
  std::string ops = Operators([](TPDFCanvas& pdf) {
    pdf.Pen.Style = psClear;
    pdf.FillRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
  });
  EXPECT_EQ(ops, "1 1 1 rg\n-2147483648 -2147482806 4294967294 4294967294 re\nf\n");
}

TEST(PdfOperators, NothingHappensWithoutAnOpenDocument) {
  TPDFCanvas pdf(FixedMetrics());
  pdf.MoveTo(1, 1);
  pdf.LineTo(5, 5);
  pdf.Rectangle(0, 0, 5, 5);
  pdf.FillRect(0, 0, 5, 5);
  pdf.BeginClip(0, 0, 5, 5);
  pdf.EndClip();
  pdf.SetLineCap(2);
  pdf.TextOut(0, 0, "x");
  EXPECT_FALSE(pdf.Active());
}
