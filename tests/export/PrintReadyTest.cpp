// Albums for print shops, end to end: what a bleed changes and what it must not, read back by
// poppler's pdftoppm.

#include <gtest/gtest.h>

#include "export/AlbumExport.h"
#include "imaging/Pictaro.h"
#include "pdf/ImageTestSupport.h"
#include "support/TestSupport.h"

namespace {

void WritePhoto(const std::string& File, int W, int H) {
  imgtest::TOwned dib(imgtest::MakePicture(W, H, 24, {}, [](int X, int Top) {
    return uint32_t(X * 255 / 64) << 16 | uint32_t(Top * 255 / 64) << 8 | 0x40;
  }));
  ASSERT_EQ(SaveDib(dib.Dib, File.c_str(), 7, 0), 1);
}

// pdftoppm's rendering of page 1 of Pdf at Dpi, cut to the area from X, Y of W x H pixels (-1: all).
std::string Render(const std::string& Pdf, int Dpi, int X = -1, int Y = -1, int W = -1, int H = -1) {
  std::string ppm;
  std::string command = "pdftoppm -r " + std::to_string(Dpi) + " -f 1 -l 1";
  if (X >= 0)
    command += " -x " + std::to_string(X) + " -y " + std::to_string(Y) + " -W " + std::to_string(W) + " -H " +
               std::to_string(H);
  EXPECT_EQ(qtest::Run(command + " " + qtest::Quote(Pdf), &ppm), 0) << command;
  return ppm;
}

// An album with margins has no picture on a trim edge: inside the trim box the page with bleed is the
// page without, pixel for pixel, texts, heading, page number, frames and enlarged pictures included;
// the background colour fills the bleed.
TEST(PrintReady, TrimBoxWithBleedRendersAsThePageWithout) {
  QTEST_REQUIRE_PROGRAM("pdftoppm");
  qtest::TScratchDir dir;
  WritePhoto(dir / "wide.jpg", 64, 40);
  WritePhoto(dir / "tall.jpg", 40, 64);
  std::vector<TExportPhoto> photos = {{dir / "wide.jpg", "Ein breites Foto"}, {dir / "tall.jpg", "Ein hohes"}};
  TLayoutSettings settings;
  settings.ShowPDFCheck = false;
  settings.RahmenCheck = true;
  settings.Shape2 = 0x000000FF;  // red frames
  settings.Shape1 = 0x00C0FFC0;  // a light green page
  settings.CountXEd = 2;
  settings.CountYEd = 2;
  settings.XMalEd = 2;
  for (bool zoomIn : {false, true}) {
    settings.ZoomInFotosCheck = zoomIn;
    settings.Bleed = 0;
    ASSERT_TRUE(ExportAlbum(photos, settings, dir / "plain.pdf", {}).Ok());
    settings.Bleed = 3;  // 8 points
    ASSERT_TRUE(ExportAlbum(photos, settings, dir / "bleed.pdf", {}).Ok());
    // A4 is 595 x 841 points, its media box 594 x 840; at 144 dpi every point is two pixels.
    for (int scale : {1, 2}) {
      const std::string plain = Render(dir / "plain.pdf", 72 * scale);
      const std::string trimmed = Render(dir / "bleed.pdf", 72 * scale, 8 * scale, 8 * scale, 594 * scale, 840 * scale);
      ASSERT_EQ(plain.size(), trimmed.size()) << scale;
      EXPECT_TRUE(plain == trimmed) << "zoom " << zoomIn << ", scale " << scale;
    }
    const std::string corner = Render(dir / "bleed.pdf", 72, 0, 0, 1, 1);
    ASSERT_GE(corner.size(), 3u);
    EXPECT_EQ(corner.substr(corner.size() - 3), "\xC0\xFF\xC0");
  }
}

}  // namespace
