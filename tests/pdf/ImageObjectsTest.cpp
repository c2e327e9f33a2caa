// Placing pictures and their objects: operators, numbering, the bytes of the image objects, the
// 24-bit conversion, stand-ins for pictures that cannot be encoded, and the temporary files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <atomic>
#include <cstring>
#include <filesystem>

#include "ImageTestSupport.h"
#include "PdfTestSupport.h"
#include "imaging/pictaro/PictaroDecode.h"
#include "imaging/pictaro/PictaroMemory.h"
#include "pdf/PictureEncoding.h"
#include "pdf/PictureSpool.h"
#include "platform/SystemError.h"

using namespace pdftest;
using namespace imgtest;

namespace {

class ImageObjects : public ::testing::Test {
 protected:
  void TearDown() override {
    // Every test's writers are gone by now: nothing of theirs may be left in the temporary folder.
    EXPECT_EQ(WriterTempFiles(), std::vector<std::string>{});
  }
  qtest::TScratchDir FDir;
};

std::string FileBytes(const std::string& Name) { return qtest::ReadFile(Name); }

// The data of a stream object: what lies between "stream" and "endstream", less the line feed before
// "endstream".
std::string StreamData(const std::string& Object) {
  const size_t start = Object.find("\nstream\n"), end = Object.rfind("\nendstream\n");
  if (start == std::string::npos || end == std::string::npos || end < start + 8) return {};
  return Object.substr(start + 8, end - start - 8);
}

// The largest channel difference between Dib and what djpeg makes of a JPEG stream.
int DjpegDifference(const std::string& Jpeg, const TDib& Dib) {
  int w = 0, h = 0;
  std::string rgb;
  if (!qtest::DjpegPixels(Jpeg, w, h, rgb)) return 256;
  EXPECT_EQ(w, DibWidth(Dib));
  EXPECT_EQ(h, DibHeight(Dib));
  if (w != DibWidth(Dib) || h != DibHeight(Dib)) return 256;
  return MaxDifference(Dib, rgb);
}

// jbig2dec's reading of a page and globals stream: rows from the top, 1 = black.
std::vector<std::vector<bool>> Jbig2decRows(const std::string& Page, const std::string& Globals,
                                            const qtest::TScratchDir& Dir) {
  if (!qtest::NeedProgram("jbig2dec")) return {};
  qtest::WriteFile(Dir / "g.jb2", Globals);
  qtest::WriteFile(Dir / "p.jb2", Page);
  std::string log;
  EXPECT_EQ(qtest::Run("jbig2dec -e -t pbm -o " + qtest::Quote(Dir / "out.pbm") + " " +
                           qtest::Quote(Dir / "g.jb2") + " " + qtest::Quote(Dir / "p.jb2") + " 2>&1",
                       &log),
            0)
      << log;
  const std::string pbm = FileBytes(Dir / "out.pbm");
  int w = 0, h = 0, end = 0;
  if (std::sscanf(pbm.c_str(), "P4 %d %d%n", &w, &h, &end) != 2) return {};
  const size_t stride = (static_cast<size_t>(w) + 7) / 8, start = static_cast<size_t>(end) + 1;
  if (pbm.size() < start + stride * h) return {};
  std::vector<std::vector<bool>> rows(h, std::vector<bool>(w));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) rows[y][x] = (uint8_t(pbm[start + y * stride + x / 8]) >> (7 - x % 8)) & 1;
  return rows;
}

std::string ResourceLine(const std::string& Pdf) {
  size_t at = Pdf.find("/Resources <<");
  return Pdf.substr(at, Pdf.find('\n', at) - at);
}

}  // namespace

TEST_F(ImageObjects, PlacementOperatorsMapTheBoxOneUnitShortOfTheRectangle) {
  std::string file = FDir / "place.pdf";
  TOwned pic(MakeSolid24(4, 3, 0x336699));
  {
    TPDFCanvas pdf(FixedMetrics());
    ASSERT_TRUE(pdf.BeginDoc(file));
    pdf.DrawDIB(10, 20, 101, 51, pic.Dib, 0, 0, 4, 3);
    pdf.DrawDIB(5, 6, -7, -8, pic.Dib, 99, 99, 1, 1);  // negative sizes move towards zero too
    pdf.DrawDIB(0, 0, 1, 1, pic.Dib, 0, 0, -1, -1);    // a one-unit box collapses to zero size
    pdf.EndDoc();
  }
  EXPECT_EQ(PageOperators(FileBytes(file), 1),
            "q\n100 0 0 50 10 771 cm\n/Im0 Do\nQ\n"
            "q\n-6 0 0 -7 5 842 cm\n/Im1 Do\nQ\n"
            "q\n0 0 0 0 0 841 cm\n/Im2 Do\nQ\n");
  ExpectQpdfClean(file);
}

TEST_F(ImageObjects, PicturesThatCannotBePlacedLeaveNoTraceAndTakeNoNumber) {
  std::string file = FDir / "skip.pdf";
  TOwned pic(MakeSolid24(4, 3, 0xFF0000));
  TOwned deep{};
  newdib(&deep.Dib, 4, 3, 16, nullptr, 0);
  ASSERT_NE(deep.Dib.Bits, nullptr);
  TDib empty = pic.Dib;
  empty.Bits = nullptr;
  {
    TPDFCanvas pdf(FixedMetrics());
    pdf.DrawDIB(0, 0, 10, 10, pic.Dib, 0, 0, 4, 3);  // idle writer
    ASSERT_TRUE(pdf.BeginDoc(file));
    pdf.DrawDIB(0, 0, 0, 10, pic.Dib, 0, 0, 4, 3);
    pdf.DrawDIB(0, 0, 10, 0, pic.Dib, 0, 0, 4, 3);
    pdf.DrawDIB(0, 0, 10, 10, pic.Dib, 0, 0, 0, 3);
    pdf.DrawDIB(0, 0, 10, 10, pic.Dib, 0, 0, 4, 0);
    pdf.DrawDIB(0, 0, 10, 10, deep.Dib, 0, 0, 4, 3);  // 16 bits per pixel
    pdf.DrawDIB(0, 0, 10, 10, empty, 0, 0, 4, 3);     // no pixels
    pdf.DrawDIB(1, 2, 11, 11, pic.Dib, 0, 0, 4, 3);
    pdf.EndDoc();
  }
  std::string pdf = FileBytes(file);
  EXPECT_EQ(PageOperators(pdf, 1), "q\n10 0 0 10 1 829 cm\n/Im0 Do\nQ\n");
  EXPECT_EQ(ResourceLine(pdf), "/Resources <</XObject << /Im0 8 0 R >>");
  EXPECT_NE(pdf.find("/Size 9\n"), std::string::npos);
}

// One page, no fonts: pictures begin at object 8. The 1-bit picture takes 9 and 10, so the last one
// is 11, as the resources written before any picture already say.
TEST_F(ImageObjects, ObjectsAreExactAndABilevelPictureTakesTwoNumbers) {
  std::string file = FDir / "exact.pdf";
  TOwned colour(
      MakePicture(7, 5, 24, {}, [](int x, int y) { return uint32_t(x * 12) << 16 | uint32_t(y * 20); }));
  TOwned bilevel(
      MakePicture(19, 9, 1, {0x000000, 0xFFFFFF}, [](int x, int y) { return uint32_t((x + y) % 3 != 0); }));
  {
    TPDFCanvas pdf(FixedMetrics());
    ASSERT_TRUE(pdf.BeginDoc(file));
    pdf.DrawDIB(0, 0, 70, 50, colour.Dib, 0, 0, 7, 5);
    pdf.DrawDIB(100, 0, 190, 90, bilevel.Dib, 0, 0, 19, 9);
    pdf.DrawDIB(0, 100, 70, 50, colour.Dib, 0, 0, 7, 5);
    pdf.EndDoc();
  }
  const std::string pdf = FileBytes(file);
  EXPECT_EQ(ResourceLine(pdf), "/Resources <</XObject << /Im0 8 0 R/Im1 9 0 R/Im2 11 0 R >>");
  // The JPEG object: its dictionary, the stream whose length it gives (plus the line feed after the
  // data), and djpeg's reading of that stream.
  const std::string jpegObject = Object(pdf, 8), jpeg = StreamData(jpegObject);
  EXPECT_EQ(jpegObject.substr(0, jpegObject.find("\nstream\n")),
            "8 0 obj\n<< /Type /XObject /Subtype /Image /Width 7 /Height 5 /BitsPerComponent 8 "
            "/ColorSpace /DeviceRGB /Length " +
                std::to_string(jpeg.size() + 1) + " /Filter /DCTDecode >>");
  EXPECT_EQ(jpeg.substr(0, 3), "\xFF\xD8\xFF");
  EXPECT_LE(DjpegDifference(jpeg, colour.Dib), 12);
  EXPECT_EQ(Object(pdf, 11), "11" + jpegObject.substr(1));  // the same picture twice: the same content
  // The JBIG2 object and its globals: the dictionary, and jbig2dec's reading of the page, pixel for
  // pixel (index 0 is black here).
  const std::string jbig2Object = Object(pdf, 9), page = StreamData(jbig2Object);
  EXPECT_EQ(jbig2Object.substr(0, jbig2Object.find("\nstream\n")),
            "9 0 obj\n<<\n/Type /XObject /Subtype /Image\n/Width 19 /Height 9 /BitsPerComponent 1\n"
            "/Length " +
                std::to_string(page.size()) +
                " /ColorSpace /DeviceGray /Filter /JBIG2Decode /DecodeParms << /JBIG2Globals 10 0 R>>\n>>");
  EXPECT_EQ(Object(pdf, 10), "10 0 obj\n<<\n/Length 0\n>>\nstream\n\nendstream\nendobj\n");
  const auto rows = Jbig2decRows(page, "", FDir);
  ASSERT_EQ(rows.size(), 9u);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 19; ++x) EXPECT_EQ(rows[y][x], (x + y) % 3 == 0) << x << "," << y;
  // The pictures follow the outlines directly, and the cross-reference table follows them.
  EXPECT_NE(pdf.find("/Count 0\n>>\nendobj\n8 0 obj\n"), std::string::npos);
  EXPECT_NE(pdf.find("\nendstream\nendobj\nxref\n0 12\n"), std::string::npos);
  EXPECT_NE(pdf.find("/Size 12\n/Root 6 0 R\n"), std::string::npos);
  ExpectQpdfClean(file);
}

TEST_F(ImageObjects, PicturesAreNumberedAcrossPagesAndEveryPageNamesAllOfThem) {
  std::string file = FDir / "pages.pdf";
  TOwned bilevel(MakePicture(8, 8, 1, {0x000000, 0xFFFFFF}, [](int x, int) { return uint32_t(x & 1); }));
  TOwned colour(MakeSolid24(8, 8, 0x00FF00));
  {
    TPDFCanvas pdf(FixedMetrics());
    ASSERT_TRUE(pdf.BeginDoc(file));
    pdf.DrawDIB(0, 0, 10, 10, bilevel.Dib, 0, 0, 8, 8);
    pdf.NewPage();
    pdf.DrawDIB(0, 0, 10, 10, bilevel.Dib, 0, 0, 8, 8);
    pdf.DrawDIB(0, 0, 10, 10, colour.Dib, 0, 0, 8, 8);
    pdf.EndDoc();
  }
  const std::string pdf = FileBytes(file);
  EXPECT_EQ(PageOperators(pdf, 2), "q\n9 0 0 9 0 832 cm\n/Im1 Do\nQ\nq\n9 0 0 9 0 832 cm\n/Im2 Do\nQ\n");
  // Two pages: pictures from object 11; two 1-bit pictures before the last one shift it by two.
  const std::string names = "/Resources <</XObject << /Im0 11 0 R/Im1 13 0 R/Im2 15 0 R >>";
  const size_t first = pdf.find(names);
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(pdf.find(names, first + 1), std::string::npos);  // both pages say so
  EXPECT_NE(Object(pdf, 13).find("/JBIG2Globals 14 0 R>>"), std::string::npos);
  EXPECT_NE(Object(pdf, 15).find("/Filter /DCTDecode"), std::string::npos);
  EXPECT_NE(pdf.find("/Size 16\n"), std::string::npos);
  ExpectQpdfClean(file);
}

// Palette pictures are written as RGB JPEGs of their colours. Odd widths and padded rows: the high
// nibble is the even pixel, the top row stays on top. Black and white columns in the left half show a
// swapped nibble or bit, grey blocks on the right the colours, a white bottom half the row order.
TEST_F(ImageObjects, PalettePicturesAreRgbJpegsOfTheirColours) {
  std::string file = FDir / "palette.pdf";
  std::vector<uint32_t> grey(256);
  for (uint32_t i = 0; i < 256; ++i) grey[i] = i * 0x010101;
  const auto pattern = [](uint32_t Black, uint32_t White, uint32_t Blocks) {
    return [=](int x, int y) {
      if (y >= 16) return White;
      return x < 8 ? ((x & 1) ? White : Black) : Blocks - (x / 8 + y / 8) % 2;
    };
  };
  TOwned eight(MakePicture(21, 24, 8, grey, pattern(0, 255, 160)));
  TOwned four(MakePicture(21, 24, 4, {0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF}, pattern(0, 3, 2)));
  TOwned one(
      MakePicture(21, 24, 1, {0x000000, 0xAAAAAA}, [](int x, int y) { return uint32_t(y < 16 && (x & 1)); }));
  {
    TPDFCanvas pdf(FixedMetrics());
    ASSERT_TRUE(pdf.BeginDoc(file));
    pdf.DrawDIB(0, 0, 10, 10, eight.Dib, 0, 0, 21, 24);
    pdf.DrawDIB(0, 0, 10, 10, four.Dib, 0, 0, 21, 24);
    pdf.DrawDIB(0, 0, 10, 10, one.Dib, 0, 0, 21, 24);
    pdf.EndDoc();
  }
  const std::string pdf = FileBytes(file);
  int n = 8;
  for (const TDib* dib : {&eight.Dib, &four.Dib, &one.Dib}) {
    SCOPED_TRACE(n);
    const std::string object = Object(pdf, n++);
    EXPECT_NE(object.find("/Width 21 /Height 24 /BitsPerComponent 8 /ColorSpace /DeviceRGB"),
              std::string::npos)
        << object;
    EXPECT_NE(object.find("/Filter /DCTDecode"), std::string::npos);
    // A swapped nibble or bit would turn black columns white: 255 off. JPEG blurs single columns some.
    EXPECT_LE(DjpegDifference(StreamData(object), *dib), 64);
  }
  ExpectQpdfClean(file);
}

// A 1-bit picture is only written as a bilevel (black and white) image when its two colours are
// black and white, in either order, or both the same black; red and yellow, two greys or two
// different blacks would lose their colours there.
TEST_F(ImageObjects, OnlyBlackAndWhiteOneBitPicturesBecomeBilevel) {
  QTEST_REQUIRE_PROGRAM("pdftoppm");
  const std::string file = FDir / "two.pdf";
  const auto halves = [](int x, int) { return uint32_t(x >= 8); };
  TOwned redYellow(MakePicture(16, 8, 1, {0xFF0000, 0xFFFF00}, halves));
  TOwned greys(MakePicture(16, 8, 1, {0x404040, 0xC0C0C0}, halves));
  TOwned inverted(MakePicture(16, 8, 1, {0xFFFFFF, 0x000000}, halves));  // white first
  TOwned nearly(MakePicture(16, 8, 1, {0x060504, 0xF9FAFB}, halves));
  TOwned blacks(MakePicture(16, 8, 1, {0x000000, 0x050505}, halves));
  TOwned black(MakePicture(16, 8, 1, {0x000000, 0x000000}, halves));
  {
    TPDFCanvas pdf(FixedMetrics());
    pdf.PageWidth = 300;
    pdf.PageHeight = 100;
    ASSERT_TRUE(pdf.BeginDoc(file));
    pdf.DrawDIB(0, 0, 80, 40, redYellow.Dib, 0, 0, 16, 8);
    pdf.DrawDIB(100, 0, 80, 40, greys.Dib, 0, 0, 16, 8);
    pdf.DrawDIB(0, 50, 80, 40, inverted.Dib, 0, 0, 16, 8);
    pdf.DrawDIB(100, 50, 80, 40, nearly.Dib, 0, 0, 16, 8);
    pdf.DrawDIB(200, 0, 80, 40, blacks.Dib, 0, 0, 16, 8);
    pdf.DrawDIB(200, 50, 80, 40, black.Dib, 0, 0, 16, 8);
    pdf.EndDoc();
  }
  const std::string pdf = FileBytes(file);
  // Pictures from object 8: two colour ones, two bilevel ones with their globals, a colour one and a
  // bilevel one.
  EXPECT_EQ(ResourceLine(pdf),
            "/Resources <</XObject << /Im0 8 0 R/Im1 9 0 R/Im2 10 0 R/Im3 12 0 R/Im4 14 0 R/Im5 15 0 R >>");
  for (int n : {8, 9, 14}) EXPECT_NE(Object(pdf, n).find("/ColorSpace /DeviceRGB"), std::string::npos) << n;
  for (int n : {10, 12, 15}) EXPECT_NE(Object(pdf, n).find("/JBIG2Decode"), std::string::npos) << n;
  ExpectQpdfClean(file);
  const TRaster page = Render(file, FDir);
  ASSERT_EQ(page.Width, 299);  // the media box is one unit short of the page
  for (int x : {220, 260})
    for (int y : {20, 70}) EXPECT_TRUE(Near(page.At(x, y), 0x000000, 8)) << x << "," << y;
  EXPECT_TRUE(Near(page.At(20, 20), 0xFF0000, 24)) << std::hex << page.At(20, 20);
  EXPECT_TRUE(Near(page.At(60, 20), 0xFFFF00, 24)) << std::hex << page.At(60, 20);
  EXPECT_TRUE(Near(page.At(120, 20), 0x404040, 24)) << std::hex << page.At(120, 20);
  EXPECT_TRUE(Near(page.At(160, 20), 0xC0C0C0, 24)) << std::hex << page.At(160, 20);
  EXPECT_EQ(page.At(20, 70), 0xFFFFFFu);
  EXPECT_EQ(page.At(60, 70), 0x000000u);
  EXPECT_EQ(page.At(120, 70), 0x000000u);
  EXPECT_EQ(page.At(160, 70), 0xFFFFFFu);
}

// The caller may free its picture at once: the pixels are already on disk.
TEST_F(ImageObjects, PictureMayBeFreedRightAfterPlacing) {
  std::string file = FDir / "freed.pdf";
  {
    TPDFCanvas pdf(FixedMetrics());
    ASSERT_TRUE(pdf.BeginDoc(file));
    TDib pic = MakeSolid24(6, 6, 0x123456);
    pdf.DrawDIB(0, 0, 10, 10, pic, 0, 0, 6, 6);
    deldib(pic);
    std::memset(&pic, 0, sizeof pic);
    EXPECT_EQ(WriterTempFiles(), std::vector<std::string>{"temppdfimg0.spool"});
    pdf.EndDoc();
    EXPECT_TRUE(WriterTempFiles().empty());  // removed once the pictures were written
  }
  TOwned same(MakeSolid24(6, 6, 0x123456));
  EXPECT_LE(DjpegDifference(StreamData(Object(FileBytes(file), 8)), same.Dib), 3);
}

// A picture the encoder fails on, or whose spooled bytes cannot be read back: its slot still gets its
// object(s), a white stand-in of its kind, so the numbers the pages name stay right, the file stays
// readable, and the writer counts it as missing.
TEST_F(ImageObjects, PicturesThatCannotBeWrittenBecomeStandInsKeepingTheNumbering) {
  std::string file = FDir / "standin.pdf";
  TOwned colour(MakeSolid24(8, 8, 0xFF0000));
  TOwned bilevel(MakePicture(8, 8, 1, {0x000000, 0xFFFFFF}, [](int, int) { return 0u; }));
  TOwned wide(MakeSolid24(66000, 1, 0x00FF00));
  std::string jpeg;
  ASSERT_EQ(EncodeDib(colour.Dib, 7, jpeg), 1);
  {
    TPDFCanvas pdf(FixedMetrics());
    ASSERT_TRUE(pdf.BeginDoc(file));
    pdf.DrawDIB(0, 0, 10, 10, colour.Dib, 0, 0, 8, 8);  // kept
    // Shrinking to fit JPEG needs memory, here beyond the picture limit: the encoder fails.
    const uint64_t limit = SetPictureLimit(1000);
    pdf.DrawDIB(0, 0, 10, 10, wide.Dib, 0, 0, 66000, 1);
    SetPictureLimit(limit);
    pdf.DrawDIB(0, 0, 10, 10, bilevel.Dib, 0, 0, 8, 8);  // cut off below
    pdf.DrawDIB(0, 0, 10, 10, colour.Dib, 0, 0, 8, 8);   // cut off below
    // The spool loses all but the first picture.
    std::filesystem::resize_file(TempFolder() + "temppdfimg0.spool", jpeg.size());
    pdf.EndDoc();
    EXPECT_EQ(pdf.MissingPictures(), 3);
  }
  const std::string pdf = FileBytes(file);
  EXPECT_EQ(ResourceLine(pdf), "/Resources <</XObject << /Im0 8 0 R/Im1 9 0 R/Im2 10 0 R/Im3 12 0 R >>");
  const std::string whiteBit =
      "<<\n/Type /XObject /Subtype /Image\n/Width 1 /Height 1 /BitsPerComponent 1\n"
      "/Length 1 /ColorSpace /DeviceGray\n>>\nstream\n\x80\nendstream\nendobj\n";
  const std::string emptyGlobals = " 0 obj\n<<\n/Length 0\n>>\nstream\n\nendstream\nendobj\n";
  const std::string whiteByte =
      "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 "
      "/ColorSpace /DeviceGray /Length 1 >>\nstream\n\xFF\nendstream\nendobj\n";
  EXPECT_EQ(StreamData(Object(pdf, 8)), jpeg);
  EXPECT_EQ(Object(pdf, 9), "9 0 obj\n" + whiteByte);
  EXPECT_EQ(Object(pdf, 10), "10 0 obj\n" + whiteBit);
  EXPECT_EQ(Object(pdf, 11), "11" + emptyGlobals);
  EXPECT_EQ(Object(pdf, 12), "12 0 obj\n" + whiteByte);
  EXPECT_NE(pdf.find("/Size 13\n"), std::string::npos);
  ExpectQpdfClean(file);
}

// Wider than JPEG allows, yet far within the picture limit: the picture is shrunk to fit and reaches
// the page at its placed size, instead of becoming a stand-in.
TEST_F(ImageObjects, PicturesBeyondTheJpegLimitAreShrunkToFit) {
  QTEST_REQUIRE_PROGRAM("pdftoppm");
  const std::string file = FDir / "wide.pdf";
  TOwned wide(MakePicture(66000, 4, 24, {}, [](int x, int) { return x < 33000 ? 0xFF0000u : 0x0000FFu; }));
  int32_t missing = -1;
  {
    TPDFCanvas pdf(FixedMetrics());
    pdf.PageWidth = 200;
    pdf.PageHeight = 40;
    ASSERT_TRUE(pdf.BeginDoc(file));
    pdf.DrawDIB(10, 10, 180, 20, wide.Dib, 0, 0, 66000, 4);
    pdf.EndDoc();
    missing = pdf.MissingPictures();
  }
  EXPECT_EQ(missing, 0);
  const std::string pdf = FileBytes(file);
  EXPECT_NE(Object(pdf, 8).find("/Width 65500 /Height 4 /BitsPerComponent 8 /ColorSpace /DeviceRGB"),
            std::string::npos);
  const TRaster page = Render(file, FDir);
  EXPECT_TRUE(Near(page.At(50, 20), 0xFF0000, 24)) << std::hex << page.At(50, 20);
  EXPECT_TRUE(Near(page.At(150, 20), 0x0000FF, 24)) << std::hex << page.At(150, 20);
}

// Abandoning writes nothing more and removes the placed pictures' files at once, not at destruction.
TEST_F(ImageObjects, CancelDropsTheDocumentAndItsPicturesAtOnce) {
  const std::string file = FDir / "dropped.pdf";
  TOwned pic(MakeSolid24(8, 8, 0x00FF00));
  TPDFCanvas pdf(FixedMetrics());
  ASSERT_TRUE(pdf.BeginDoc(file));
  pdf.DrawDIB(0, 0, 10, 10, pic.Dib, 0, 0, 8, 8);
  pdf.NewPage();
  pdf.DrawDIB(0, 0, 10, 10, pic.Dib, 0, 0, 8, 8);
  std::atomic<bool> cancel{true};  // once set, ending the document abandons it
  pdf.Cancel = &cancel;
  EXPECT_FALSE(pdf.EndDoc());
  EXPECT_FALSE(pdf.Active());
  EXPECT_TRUE(WriterTempFiles().empty());
  const std::string written = FileBytes(file);
  pdf.EndDoc();  // idle now: nothing more
  EXPECT_EQ(FileBytes(file), written);
  EXPECT_EQ(written.find("xref"), std::string::npos);
  EXPECT_EQ(written.find("/Subtype /Image"), std::string::npos);
}

// A writer used for a second document starts it without the first one's pictures.
TEST_F(ImageObjects, ASecondDocumentOnTheSameWriterHasOnlyItsOwnPictures) {
  QTEST_REQUIRE_PROGRAM("pdftoppm");
  TOwned red(MakeSolid24(8, 8, 0xFF0000)), blue(MakeSolid24(8, 8, 0x0000FF));
  TPDFCanvas pdf(FixedMetrics());
  ASSERT_TRUE(pdf.BeginDoc(FDir / "first.pdf"));
  pdf.DrawDIB(0, 0, 100, 100, red.Dib, 0, 0, 8, 8);
  pdf.EndDoc();
  EXPECT_TRUE(WriterTempFiles().empty());  // the document is complete: its pictures are gone
  const std::string second = FDir / "second.pdf";
  ASSERT_TRUE(pdf.BeginDoc(second));
  pdf.DrawDIB(0, 0, 100, 100, blue.Dib, 0, 0, 8, 8);
  pdf.EndDoc();
  const std::string bytes = FileBytes(second);
  EXPECT_EQ(ResourceLine(bytes), "/Resources <</XObject << /Im0 8 0 R >>");
  EXPECT_NE(bytes.find("/Size 9\n"), std::string::npos);
  ExpectQpdfClean(second);
  EXPECT_TRUE(Near(Render(second, FDir).At(50, 50), 0x0000FF, 24));
}

// A spool that cannot be written: DrawDIB reports it and abandons the document, EncodePlaced reports
// it to its caller, who abandons the document. Either way nothing is left behind.
TEST_F(ImageObjects, SpoolFailureThrowsAndLeavesNoFiles) {
  TOwned small(MakeSolid24(4, 4, 0x00FF00));
  TOwned noisy(MakePicture(300, 300, 24, {},
                           [](int x, int y) { return uint32_t(x * 7919 + y * 104729) * 2654435761u >> 8; }));
  std::string jpeg;
  ASSERT_EQ(EncodeDib(noisy.Dib, 7, jpeg), 1);
  ASSERT_GT(jpeg.size(), 60'000u);
  for (const bool split : {false, true}) {
    SCOPED_TRACE(split);
    TPDFCanvas pdf(FixedMetrics());
    ASSERT_TRUE(pdf.BeginDoc(FDir / "spool.pdf"));
    pdf.DrawDIB(0, 0, 10, 10, small.Dib, 0, 0, 4, 4);
    qtest::TFileSizeLimit limit(50'000);
    try {
      if (split) {
        TEncodedPicture scratch;
        pdf.EncodePlaced(pdf.PlaceDIB(0, 0, 10, 10, noisy.Dib), TPictureSource::Of(noisy.Dib), scratch);
      } else {
        pdf.DrawDIB(0, 0, 10, 10, noisy.Dib, 0, 0, 300, 300);
      }
      FAIL() << "no error";
    } catch (const TSystemError& e) {
      EXPECT_EQ(e.ErrorCode(), EFBIG);
      EXPECT_EQ(e.FileName(), TempFolder() + "temppdfimg0.spool");
    }
    if (split) pdf.Abandon();
    EXPECT_FALSE(pdf.Active());  // the document is abandoned, as after any failed write, with its pictures
    EXPECT_TRUE(WriterTempFiles().empty());
  }
}

TEST_F(ImageObjects, OutputFailureInEndDocLeavesNoTemporaryFiles) {
  TOwned noisy(MakePicture(300, 300, 24, {},
                           [](int x, int y) { return uint32_t(x * 7919 + y * 104729) * 2654435761u >> 8; }));
  TOwned bilevel(MakePicture(64, 64, 1, {0, 0xFFFFFF}, [](int x, int y) { return uint32_t((x ^ y) & 1); }));
  std::string encoded;
  ASSERT_EQ(EncodeDib(noisy.Dib, 7, encoded), 1);
  const size_t jpegSize = encoded.size();
  {
    TPDFCanvas pdf(FixedMetrics());
    ASSERT_TRUE(pdf.BeginDoc(FDir / "limited.pdf"));
    pdf.DrawDIB(0, 0, 10, 10, bilevel.Dib, 0, 0, 64, 64);
    pdf.DrawDIB(0, 0, 10, 10, noisy.Dib, 0, 0, 300, 300);
    // The temporary JPEG fits; the output, which holds it and more, does not.
    qtest::TFileSizeLimit limit(jpegSize + 200);
    EXPECT_THROW(pdf.EndDoc(), TSystemError);
    EXPECT_FALSE(pdf.Active());
    // Both pictures were written (and their spool files removed) before the buffered output failed.
    EXPECT_TRUE(WriterTempFiles().empty());
  }
  EXPECT_TRUE(WriterTempFiles().empty());
}

// 32 bits per pixel count as "24 or more": a JPEG of the three colour bytes.
TEST_F(ImageObjects, ThirtyTwoBitPicturesBecomeJpegs) {
  std::string file = FDir / "deep.pdf";
  TOwned deep{};
  newdib(&deep.Dib, 6, 4, 32, nullptr, 0);
  ASSERT_NE(deep.Dib.Bits, nullptr);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) setpixel(deep.Dib, x, y, 0x0000FF);
  {
    TPDFCanvas pdf(FixedMetrics());
    ASSERT_TRUE(pdf.BeginDoc(file));
    pdf.DrawDIB(0, 0, 10, 10, deep.Dib, 0, 0, 6, 4);
    pdf.EndDoc();
  }
  EXPECT_NE(Object(FileBytes(file), 8).find("/Width 6 /Height 4 /BitsPerComponent 8 /ColorSpace /DeviceRGB"),
            std::string::npos);
  ExpectQpdfClean(file);
}
