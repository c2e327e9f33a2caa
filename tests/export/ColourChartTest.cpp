// A Display P3 test chart exported and rendered by two colour-managed readers, poppler and
// Ghostscript: each patch shows the chart's sRGB colours. The same numbers without their profile
// (what a DeviceRGB picture shows) miss them by far.
#include <gtest/gtest.h>

#include <algorithm>

#include "pdf/PdfTestSupport.h"
#include "export/AlbumExport.h"
#include "support/TaggedPictures.h"
#include "support/TestSupport.h"

namespace {

using qtest::TTestProfile;

// The page as a reader renders it at 36 dpi.
struct TPage {
  int Width = 0, Height = 0;
  std::string Rgb;
  int Channel(int X, int Y, int C) const {
    return static_cast<uint8_t>(Rgb[(static_cast<size_t>(Y) * Width + X) * 3 + C]);
  }
};

TPage Render(const std::string& Reader, const std::string& Pdf, const qtest::TScratchDir& Dir) {
  TPage page;
  const std::string out = Dir / (Reader + ".ppm");
  const std::string command =
      Reader == "gs" ? "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=ppmraw -r36 -sOutputFile=" + qtest::Quote(out) +
                           " " + qtest::Quote(Pdf)
                     : "pdftoppm -r 36 -singlefile " + qtest::Quote(Pdf) + " " + qtest::Quote(Dir / Reader);
  EXPECT_EQ(qtest::Run(command + " 2>&1"), 0) << command;
  qtest::ReadPpm(qtest::ReadFile(out), page.Width, page.Height, page.Rgb);
  return page;
}

// The largest channel difference between the patches on the page and Chart: the picture is the part
// of the page that is not white, the patches side by side across it, sampled in their middles.
int ChartDifference(const TPage& Page, const std::vector<uint32_t>& Chart) {
  int left = Page.Width, right = -1, top = Page.Height, bottom = -1;
  for (int y = 0; y < Page.Height; ++y)
    for (int x = 0; x < Page.Width; ++x)
      if (Page.Channel(x, y, 0) < 245 || Page.Channel(x, y, 1) < 245 || Page.Channel(x, y, 2) < 245)
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
  EXPECT_GT(right - left, 60) << "no picture on the page";
  if (right - left <= 60) return 255;
  int worst = 0;
  const int n = static_cast<int>(Chart.size());
  for (int i = 0; i < n; ++i) {
    const int x = left + (right - left) * (2 * i + 1) / (2 * n), y = (top + bottom) / 2;
    for (int c = 0; c < 3; ++c)
      worst = std::max(worst, std::abs(Page.Channel(x, y, c) - static_cast<int>(Chart[i] >> (16 - 8 * c) & 0xFF)));
  }
  return worst;
}

TEST(ColourChart, ColourManagedReadersShowTheChartsSrgbColours) {
  QTEST_REQUIRE_PROGRAM("pdftoppm");
  QTEST_REQUIRE_PROGRAM("gs");
  const std::vector<uint32_t> chart = {0xDC2828, 0x28B43C, 0x2848C8, 0xE6AA8C, 0xE6D228, 0x808080};
  const qtest::TTestPixels p3 = qtest::InProfile(qtest::PatchPixels(chart, 64), TTestProfile::DisplayP3);
  qtest::TScratchDir dir;
  qtest::WriteFile(dir / "p3.jpg",
                   qtest::TaggedPicture(qtest::TTestFormat::Jpeg, p3, qtest::TestProfile(TTestProfile::DisplayP3)));
  qtest::WriteFile(dir / "untagged.jpg", qtest::TaggedPicture(qtest::TTestFormat::Jpeg, p3, ""));

  TLayoutSettings settings = FirstStartSettings();
  settings.CountXEd = settings.CountYEd = 1;
  settings.CaptionCheck = settings.TextCheck = settings.PageNrCheck = false;
  TExportOptions options;
  options.Metrics = pdftest::FixedMetrics();
  struct TRow {
    const char* File;
    bool Near;  // within a small difference; otherwise far off
  };
  for (const TRow row : {TRow{"p3.jpg", true}, TRow{"untagged.jpg", false}}) {
    SCOPED_TRACE(row.File);
    const std::string pdf = dir / (std::string(row.File) + ".pdf");
    ASSERT_TRUE(ExportAlbum({{dir / row.File, ""}}, settings, pdf, options).Ok());
    pdftest::ExpectQpdfClean(pdf);
    for (const char* reader : {"pdftoppm", "gs"}) {
      SCOPED_TRACE(reader);
      const int difference = ChartDifference(Render(reader, pdf, dir), chart);
      if (row.Near)
        EXPECT_LE(difference, 8);
      else
        EXPECT_GE(difference, 20);
    }
  }
}

}  // namespace
