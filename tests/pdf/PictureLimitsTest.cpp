// The writer's resolution limit and JPEG pass-through: how many pixels a placed picture keeps, which
// JPEG files go in as they are, and how such a file is placed.

#include <gtest/gtest.h>

#include "ImageTestSupport.h"
#include "PdfTestSupport.h"
#include "pdf/PictureEncoding.h"

using namespace pdftest;
using namespace imgtest;

TEST(PictureLimits, PixelsForPointsRoundsUp) {
  struct {
    int64_t Points;
    int32_t Dpi, Pixels;
  } rows[] = {
      {248, 300, 1034},  // 1033.3: a part of a pixel still needs one
      {72, 300, 300},    // exactly an inch
      {1, 150, 3},
      {0, 300, 1},                     // at least one pixel
      {-72, 150, 150},                 // the size counts, not the direction
      {100, 0, 0},                     // no limit
      {2000000000, 2400, 2147483647},  // beyond 32 bits: the largest
  };
  for (const auto& r : rows)
    EXPECT_EQ(PixelsForPoints(r.Points, r.Dpi), r.Pixels) << r.Points << " " << r.Dpi;
}

// What readers show as it is, by the rules of PDF's DCTDecode filter: the colour transform a reader
// applies to three components must be the one the file means.
TEST(PictureLimits, DctTakesOnlyWhatReadersShowAsItIs) {
  TJpegHeader base;
  base.Width = 40, base.Height = 30, base.Process = 0, base.Precision = 8, base.Components = 3;
  base.ComponentIds[0] = 1, base.ComponentIds[1] = 2, base.ComponentIds[2] = 3;
  base.Jfif = true, base.Length = 1000;
  const auto with = [&](auto Change) {
    TJpegHeader h = base;
    Change(h);
    return DctTakesAsIs(h);
  };
  EXPECT_TRUE(DctTakesAsIs(base));
  EXPECT_TRUE(with([](TJpegHeader& h) { h.Process = 1; }));   // extended sequential
  EXPECT_TRUE(with([](TJpegHeader& h) { h.Process = 2; }));   // progressive
  EXPECT_FALSE(with([](TJpegHeader& h) { h.Process = 3; }));  // lossless
  EXPECT_FALSE(with([](TJpegHeader& h) { h.Process = 5; }));  // hierarchical
  EXPECT_FALSE(with([](TJpegHeader& h) { h.Process = 9; }));  // arithmetic coding
  EXPECT_FALSE(with([](TJpegHeader& h) { h.Precision = 12; }));
  EXPECT_FALSE(with([](TJpegHeader& h) { h.Length = 0; }));  // cut short
  EXPECT_FALSE(with([](TJpegHeader& h) { h.Height = 0; }));  // height given later (DNL)
  EXPECT_TRUE(with([](TJpegHeader& h) { h.Components = 1; }));
  EXPECT_FALSE(with([](TJpegHeader& h) { h.Components = 4; }));  // CMYK or YCCK
  EXPECT_FALSE(with([](TJpegHeader& h) { h.Components = 2; }));
  // Three components: YCbCr unless marked otherwise.
  EXPECT_TRUE(with([](TJpegHeader& h) { h.Jfif = false; }));
  EXPECT_TRUE(with([](TJpegHeader& h) { h.AdobeTransform = 1; }));
  EXPECT_TRUE(with([](TJpegHeader& h) { h.Jfif = false, h.AdobeTransform = 0; }));  // RGB, marked
  EXPECT_FALSE(with([](TJpegHeader& h) { h.AdobeTransform = 0; }));  // JFIF says YCbCr, Adobe RGB
  EXPECT_FALSE(with([](TJpegHeader& h) { h.AdobeTransform = 2; }));
  const auto rgbIds = [](TJpegHeader& h) {
    h.ComponentIds[0] = 'R', h.ComponentIds[1] = 'G', h.ComponentIds[2] = 'B';
  };
  EXPECT_TRUE(with(rgbIds));                                               // with JFIF, still YCbCr
  EXPECT_FALSE(with([&](TJpegHeader& h) { rgbIds(h), h.Jfif = false; }));  // RGB a reader would convert
}

// DrawDIB under a limit: a colour picture larger than its place allows is scaled down to the limit,
// a smaller one and a black-and-white one keep every pixel; the placement is the same whatever the
// limit. A JPEG placed as it is turns by its orientation tag in the placement's matrix.
TEST(PictureLimits, WriterScalesDownToThePlaceAndPlacesJpegFilesAsTheyAre) {
  qtest::TScratchDir dir;
  TOwned large(MakePicture(400, 300, 24, {}, [](int x, int y) { return uint32_t(x * 0x010203 + y); }));
  TOwned small(MakeSolid24(40, 30, 0x336699));
  TOwned bilevel(
      MakePicture(400, 300, 1, {0x000000, 0xFFFFFF}, [](int x, int y) { return uint32_t((x ^ y) & 1); }));
  const std::string jpeg(reinterpret_cast<const char*>("\xFF\xD8"), 2);
  TPictureSource turned = TPictureSource::Of(large.Dib);
  turned.Jpeg = jpeg;
  turned.Header.Width = 400, turned.Header.Height = 300, turned.Header.Orientation = 6;
  turned.Header.Process = 0, turned.Header.Precision = 8, turned.Header.Components = 1;
  turned.Header.Length = jpeg.size();

  std::string operators;
  for (const int dpi : {0, 36}) {
    SCOPED_TRACE(dpi);
    const std::string file = dir / ("limit" + std::to_string(dpi) + ".pdf");
    {
      TPDFCanvas pdf(FixedMetrics());
      pdf.ImageDpi = dpi;
      pdf.KeepJpeg = true;
      ASSERT_TRUE(pdf.BeginDoc(file));
      pdf.DrawDIB(0, 0, 101, 76, large.Dib, 0, 0, 400, 300);  // 51 x 38 pixels at 36 dpi
      pdf.DrawDIB(0, 0, 101, 76, small.Dib, 0, 0, 40, 30);
      pdf.DrawDIB(0, 0, 101, 76, bilevel.Dib, 0, 0, 400, 300);
      TEncodedPicture scratch;
      const TPlacedImage placed = pdf.PlacePicture(10, 20, 301, 401, turned);  // upright 300 x 400
      EXPECT_EQ(placed.AsIs, dpi == 0) << "at 36 dpi the place allows 151 x 201 pixels";
      pdf.EncodePlaced(placed, turned, scratch);
      pdf.EndDoc();
    }
    const std::string pdf = qtest::ReadFile(file);
    EXPECT_NE(Object(pdf, 8).find(dpi ? "/Width 51 /Height 38 " : "/Width 400 /Height 300 "),
              std::string::npos);
    EXPECT_NE(Object(pdf, 9).find("/Width 40 /Height 30 "), std::string::npos);
    EXPECT_NE(Object(pdf, 10).find("/Width 400 /Height 300 /BitsPerComponent 1"), std::string::npos);
    const std::string last = Object(pdf, 12);
    if (dpi == 0) {
      // The file's bytes, one grey component, stored 400 x 300 and turned a quarter clockwise into
      // the 300 x 400 box whose lower-left corner is (10, 421).
      EXPECT_EQ(last.substr(last.find("/Width")),
                "/Width 400 /Height 300 /BitsPerComponent 8 /ColorSpace /DeviceGray /Length 3 /Filter "
                "/DCTDecode >>\nstream\n\xFF\xD8\nendstream\nendobj\n");
      EXPECT_NE(PageOperators(pdf, 1).find("q\n0 -400 300 0 10 821 cm\n/Im3 Do\nQ\n"), std::string::npos);
      operators = PageOperators(pdf, 1);
    } else {
      EXPECT_NE(last.find("/Width 151 /Height 201 /BitsPerComponent 8 /ColorSpace /DeviceRGB"),
                std::string::npos);
      // Every placement but the one turned by its matrix is the same as without a limit.
      const std::string plain = PageOperators(pdf, 1);
      EXPECT_EQ(plain.substr(0, plain.find("q\n300 ")), operators.substr(0, operators.find("q\n0 -400")));
    }
  }
}
