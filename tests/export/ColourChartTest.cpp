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

// The largest channel difference between Chart and its patches on the page as Reader renders it at
// 36 dpi: the picture is the part of the page that is not white, the patches side by side across it,
// sampled in their middles.
int ChartDifference(const std::string& Reader, const std::string& Pdf, const qtest::TScratchDir& Dir,
                    const std::vector<uint32_t>& Chart) {
  const std::string out = Dir / (Reader + ".ppm");
  const std::string command =
      Reader == "gs" ? "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=ppmraw -r36 -sOutputFile=" + qtest::Quote(out) +
                           " " + qtest::Quote(Pdf)
                     : "pdftoppm -r 36 -singlefile " + qtest::Quote(Pdf) + " " + qtest::Quote(Dir / Reader);
  EXPECT_EQ(qtest::Run(command + " 2>&1"), 0) << command;
  int w = 0, h = 0;
  std::string rgb;
  qtest::ReadPpm(qtest::ReadFile(out), w, h, rgb);
  const auto at = [&](int X, int Y, int C) { return static_cast<int>(static_cast<uint8_t>(rgb[(size_t(Y) * w + X) * 3 + C])); };
  int left = w, right = -1, top = h, bottom = -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (at(x, y, 0) < 245 || at(x, y, 1) < 245 || at(x, y, 2) < 245)
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
  if (right - left <= 60) {
    ADD_FAILURE() << "no picture on the page";
    return 255;
  }
  int worst = 0;
  const int n = static_cast<int>(Chart.size());
  for (int i = 0; i < n; ++i)
    for (int c = 0; c < 3; ++c)
      worst = std::max(worst, std::abs(at(left + (right - left) * (2 * i + 1) / (2 * n), (top + bottom) / 2, c) -
                                       static_cast<int>(Chart[i] >> (16 - 8 * c) & 0xFF)));
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
      const int difference = ChartDifference(reader, pdf, dir, chart);
      if (row.Near)
        EXPECT_LE(difference, 8);
      else
        EXPECT_GE(difference, 20);
    }
  }
}

}  // namespace
