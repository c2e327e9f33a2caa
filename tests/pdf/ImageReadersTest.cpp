// Documents with pictures as the system's PDF readers see them: pdftoppm's pixels in the right place
// and colour, pdfimages' sizes and encodings, qpdf's structure check. Also the photo corpus.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "ImageTestSupport.h"
#include "PdfTestSupport.h"
#include "imaging/pictaro/LoadPicture.h"

using namespace pdftest;
using namespace imgtest;

namespace {

// pdfimages -list: one row per image of width, height, colour, encoding.
struct TListed {
  int Width, Height;
  std::string Color, Encoding;
};

std::vector<TListed> ListImages(const std::string& Pdf) {
  std::string out;
  EXPECT_EQ(qtest::Run("pdfimages -list " + qtest::Quote(Pdf) + " 2>&1", &out), 0) << out;
  std::vector<TListed> rows;
  std::istringstream lines(out);
  std::string line;
  for (int skip = 0; skip < 2 && std::getline(lines, line); ++skip) {
  }
  while (std::getline(lines, line)) {
    std::istringstream f(line);
    std::string page, num, type, width, height, color, comp, bpc, enc;
    if (f >> page >> num >> type >> width >> height >> color >> comp >> bpc >> enc)
      rows.push_back({std::stoi(width), std::stoi(height), color, enc});
  }
  return rows;
}

}  // namespace

// Four pictures side by side, each split in two colours so that row order, nibble order and the
// 1-bit colour table all show: a wrong turn or swap puts the wrong colour under a sample.
TEST(ImageReaders, EveryDepthRendersInItsColoursAndPlace) {
  QTEST_REQUIRE_PROGRAM("pdftoppm");
  QTEST_REQUIRE_PROGRAM("pdfimages");
  QTEST_REQUIRE_PROGRAM("qpdf");
  qtest::TScratchDir dir;
  std::string file = dir / "depths.pdf";
  // 24 bits: red over blue.
  TOwned rgb(MakePicture(16, 16, 24, {}, [](int, int y) { return y < 8 ? 0xFF0000u : 0x0000FFu; }));
  // 8 bits with a palette: green left of magenta, the indices far apart in the table.
  std::vector<uint32_t> table(256, 0x808080);
  table[7] = 0x00C000, table[200] = 0xFF00FF;
  TOwned eight(MakePicture(16, 16, 8, table, [](int x, int) { return x < 8 ? 7u : 200u; }));
  // 4 bits, odd width: yellow in columns 0..2, cyan in 4..6, one column apiece.
  std::vector<uint32_t> sixteen(16, 0x000000);
  sixteen[1] = 0xFFFF00, sixteen[14] = 0x00FFFF;
  TOwned four(MakePicture(7, 4, 4, sixteen, [](int x, int) { return x < 4 ? 1u : 14u; }));
  // 1 bit: black left, white right, over a red background; index 0 white, so the table counts.
  TOwned one(MakePicture(16, 16, 1, {0xFFFFFF, 0x000000}, [](int x, int) { return x < 8 ? 1u : 0u; }));
  {
    TPDFCanvas pdf(FixedMetrics());
    pdf.PageWidth = 300;
    pdf.PageHeight = 120;
    ASSERT_TRUE(pdf.BeginDoc(file));
    pdf.Brush.Color = 0x0000FF;  // red, 0x00BBGGRR
    pdf.Pen.Style = psClear;
    pdf.FillRect(225, 10, 295, 110);
    pdf.DrawDIB(10, 20, 60, 80, rgb.Dib, 0, 0, 16, 16);
    pdf.DrawDIB(80, 20, 60, 80, eight.Dib, 0, 0, 16, 16);
    pdf.DrawDIB(150, 20, 70, 80, four.Dib, 0, 0, 7, 4);
    pdf.DrawDIB(230, 20, 60, 80, one.Dib, 0, 0, 16, 16);
    pdf.EndDoc();
  }
  ExpectQpdfClean(file);
  TRaster page = Render(file, dir);
  ASSERT_EQ(page.Width, 299);
  ASSERT_EQ(page.Height, 119);
  struct {
    int X, Y;
    uint32_t Rgb;
  } samples[] = {
      {40, 35, 0xFF0000},   {40, 85, 0x0000FF},   // 24 bits: top red, bottom blue
      {95, 60, 0x00C000},   {125, 60, 0xFF00FF},  // 8 bits
      {165, 60, 0xFFFF00},  {205, 60, 0x00FFFF},  // 4 bits: columns 1 and 5
      {245, 60, 0x000000},  {275, 60, 0xFFFFFF},  // 1 bit
      {227, 60, 0xFF0000},  {260, 15, 0xFF0000},  // the background beside and above the 1-bit picture
      {260, 105, 0xFF0000}, {5, 60, 0xFFFFFF},    // below it; the margin left of the first picture
      {40, 12, 0xFFFFFF},   {40, 108, 0xFFFFFF},  // above and below the first picture
  };
  for (const auto& s : samples)
    EXPECT_TRUE(Near(page.At(s.X, s.Y), s.Rgb, 24))
        << s.X << "," << s.Y << ": " << std::hex << page.At(s.X, s.Y) << " for " << s.Rgb;

  const std::vector<TListed> listed = ListImages(file);
  ASSERT_EQ(listed.size(), 4u);
  const TListed expected[] = {
      {16, 16, "rgb", "jpeg"}, {16, 16, "rgb", "jpeg"}, {7, 4, "rgb", "jpeg"}, {16, 16, "gray", "jbig2"}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(listed[i].Width, expected[i].Width) << i;
    EXPECT_EQ(listed[i].Height, expected[i].Height) << i;
    EXPECT_EQ(listed[i].Color, expected[i].Color) << i;
    EXPECT_EQ(listed[i].Encoding, expected[i].Encoding) << i;
  }
}

// Real files of every depth from the corpus, as the album export would place them.
TEST(ImageReaders, CorpusPicturesKeepTheirSizesAndEncodings) {
  QTEST_REQUIRE_PROGRAM("pdftoppm");
  QTEST_REQUIRE_PROGRAM("pdfimages");
  QTEST_REQUIRE_PROGRAM("qpdf");
  QTEST_REQUIRE_PHOTOS();
  const auto photos = qtest::PhotosDir();
  const char* names[] = {"formats/f04_bmp-24bit.bmp",     "formats/f05_bmp-8bit-palette.bmp",
                         "formats/f06_bmp-8bit-gray.bmp", "formats/f07_bmp-4bit-palette.bmp",
                         "formats/f08_bmp-1bit.bmp",      "photos/p01_bridge.jpg"};
  qtest::TScratchDir dir;
  std::string file = dir / "corpus.pdf";
  std::vector<TListed> expected;
  {
    TPDFCanvas pdf(FixedMetrics());
    ASSERT_TRUE(pdf.BeginDoc(file));
    for (const char* name : names) {
      TDib dib{};
      LoadPicture((photos / name).string().c_str(), -1, nullptr, &dib);
      ASSERT_NE(dib.Bits, nullptr) << name;
      TOwned owned(dib);
      const bool bilevel = DibBitCount(dib) == 1;
      expected.push_back(
          {DibWidth(dib), DibHeight(dib), bilevel ? "gray" : "rgb", bilevel ? "jbig2" : "jpeg"});
      pdf.DrawDIB(10, 10, 400, 300, dib, 0, 0, DibWidth(dib), DibHeight(dib));
      pdf.NewPage();
    }
    pdf.EndDoc();
  }
  ExpectQpdfClean(file);
  const std::vector<TListed> listed = ListImages(file);
  // Every page names every picture; pdfimages lists those a page draws, one per page here.
  ASSERT_EQ(listed.size(), expected.size());
  for (size_t i = 0; i < listed.size(); ++i) {
    EXPECT_EQ(listed[i].Width, expected[i].Width) << names[i];
    EXPECT_EQ(listed[i].Height, expected[i].Height) << names[i];
    EXPECT_EQ(listed[i].Color, expected[i].Color) << names[i];
    EXPECT_EQ(listed[i].Encoding, expected[i].Encoding) << names[i];
  }
}
