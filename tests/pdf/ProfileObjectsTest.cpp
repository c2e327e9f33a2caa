// Pictures with colour profiles in the PDF: /ICCBased with each distinct profile written once, the
// version a version 4 profile needs, grey pictures as one-component JPEGs; untagged and sRGB pictures
// as before. Checked with poppler's pdfimages and qpdf.
#include <gtest/gtest.h>

#include <regex>

#include "imaging/pictaro/JpegHeader.h"
#include "imaging/pictaro/PictaroDecode.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/PictureEncoding.h"
#include "support/TaggedPictures.h"
#include "ImageTestSupport.h"
#include "PdfTestSupport.h"

namespace {

using qtest::TTestFormat;
using qtest::TTestProfile;

// A tagged file and the picture decoded from it, with its profile.
struct TTagged {
  TTagged(TTestFormat Format, const std::string& Icc)
      : File(qtest::TaggedPicture(Format, qtest::SolidPixels(16, 16, 0x80A040), Icc)), Picture(File) {}
  std::string File;
  qtest::TDecodedPicture Picture;
};

// pdfimages -list: the colour and component columns of each picture ("icc 3"), after the heading.
std::vector<std::string> ImageColours(const std::string& Pdf) {
  std::string out;
  EXPECT_EQ(qtest::Run("pdfimages -list " + qtest::Quote(Pdf), &out), 0);
  std::vector<std::string> colours;
  const std::regex row(R"(\n +\d+ +\d+ +image +\d+ +\d+ +(\w+) +(\d+) )");
  for (auto it = std::sregex_iterator(out.begin(), out.end(), row); it != std::sregex_iterator(); ++it)
    colours.push_back((*it)[1].str() + " " + (*it)[2].str());
  return colours;
}

TEST(ProfileObjects, ProfilesGoInOnceAndUntaggedPicturesStayDevicePictures) {
  QTEST_REQUIRE_PROGRAM("pdfimages");
  const std::string p3 = qtest::TestProfile(TTestProfile::DisplayP3);
  const std::string adobe = qtest::TestProfile(TTestProfile::AdobeRgb);
  const TTagged untagged(TTestFormat::Png, ""), srgb(TTestFormat::Png, qtest::TestProfile(TTestProfile::SrgbV4));
  const TTagged adobeA(TTestFormat::Png, adobe), adobeB(TTestFormat::Tiff, adobe), p3Png(TTestFormat::Png, p3);
  const TTagged grey(TTestFormat::JpegGrey, qtest::TestProfile(TTestProfile::Grey));
  const TTagged p3Jpeg(TTestFormat::Jpeg, p3);
  for (const TTagged* t : {&srgb, &adobeA, &adobeB, &p3Png, &grey, &p3Jpeg}) ASSERT_TRUE(t->Picture.Color.Profile);
  ASSERT_EQ(DibBitCount(grey.Picture.Dib), 8);

  const auto source = [](const TTagged& T) {
    TPictureSource s = TPictureSource::Of(T.Picture.Dib);
    s.Profile = T.Picture.Color.Profile;
    return s;
  };
  TPictureSource asIs;  // the JPEG's own bytes, with its own profile
  asIs.Jpeg = p3Jpeg.File, asIs.Width = asIs.Height = 16;
  ASSERT_TRUE(ReadJpegHeader(reinterpret_cast<const uint8_t*>(p3Jpeg.File.data()), p3Jpeg.File.size(), asIs.Header));
  asIs.Profile = p3Jpeg.Picture.Color.Profile;

  struct TRow {
    const char* Name;
    std::vector<TPictureSource> Pictures;
    bool KeepJpeg;
    const char* Version;
    size_t Profiles;
    std::vector<std::string> Colours;
  };
  const TRow rows[] = {
      {"untagged", {source(untagged)}, false, "1.3", 0, {"rgb 3"}},
      {"srgb v4 is sRGB", {source(srgb)}, false, "1.3", 0, {"rgb 3"}},
      {"adobe v2", {source(adobeA)}, false, "1.3", 1, {"icc 3"}},
      // One profile object for the two AdobeRGB pictures, one for P3, which is version 4.
      {"shared", {source(adobeA), source(p3Png), source(adobeB)}, false, "1.5", 2, {"icc 3", "icc 3", "icc 3"}},
      {"grey", {source(grey)}, false, "1.3", 1, {"icc 1"}},
      {"jpeg as it is", {asIs}, true, "1.5", 1, {"icc 3"}},
  };
  qtest::TScratchDir dir;
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    const std::string file = dir / "profiles.pdf";
    {
      TPDFCanvas pdf(pdftest::FixedMetrics());
      pdf.KeepJpeg = row.KeepJpeg;
      ASSERT_TRUE(pdf.BeginDoc(file));
      TEncodedPicture scratch;
      int32_t x = 0;
      for (const TPictureSource& picture : row.Pictures) {
        const TPlacedImage placed = pdf.PlacePicture(x, 0, 40, 40, picture);
        ASSERT_TRUE(placed.Placed());
        EXPECT_EQ(placed.AsIs, row.KeepJpeg);
        pdf.EncodePlaced(placed, picture, scratch);
        x += 50;
      }
      pdf.EndDoc();
      EXPECT_EQ(pdf.MissingPictures(), 0);
    }
    const std::string bytes = qtest::ReadFile(file);
    EXPECT_EQ(bytes.substr(0, 8), std::string("%PDF-") + row.Version);
    const std::regex alternate("/Alternate");
    EXPECT_EQ(std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), alternate), std::sregex_iterator()),
              static_cast<long>(row.Profiles));
    EXPECT_EQ(ImageColours(file), row.Colours);
    pdftest::ExpectQpdfClean(file);
  }
}

}  // namespace
