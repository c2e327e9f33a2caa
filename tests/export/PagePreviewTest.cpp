// The preview's page raster against the PDF: every reference album's pages drawn through the page
// raster and rendered from the exported PDF by poppler, at the same size, must look alike; so must
// they with the photos turned.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "export/PagePreview.h"
#include "export/PageRaster.h"
#include "imaging/pictaro/LoadPicture.h"
#include "imaging/pictaro/Pictaro.h"
#include "platform/FreeTypeFonts.h"
#include "support/ReferenceAlbums.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

// The photos as the preview knows them once every picture is read whole.
struct TLoadedPhotos {
  std::vector<TPreviewPhoto> Photos;
  explicit TLoadedPhotos(const std::vector<TExportPhoto>& Files) {
    for (const TExportPhoto& file : Files) {
      TPreviewPhoto photo;
      photo.Text = file.Text;
      photo.Turn = file.Turn;
      LoadPicture(file.FileName.c_str(), -1, nullptr, &photo.Picture);
      photo.State = photo.Picture.Bits ? TPictureState::Ready : TPictureState::Unreadable;
      photo.Width = DibWidth(photo.Picture);
      photo.Height = DibHeight(photo.Picture);
      Photos.push_back(photo);
    }
  }
  ~TLoadedPhotos() {
    for (TPreviewPhoto& photo : Photos)
      if (photo.Picture.Bits) deldib(photo.Picture);
  }
};

// Exports Album with Settings, draws its pages through the preview and compares each with poppler's
// rendering of the PDF; returns the number of pages compared. MeanLimit: the mean difference allowed.
int ComparePreviewWithPdf(const qtest::TReferenceAlbum& Album, const TLayoutSettings& Settings, bool Turned,
                          double MeanLimit = 3.0) {
  constexpr int width = 600;  // about one pixel per point on A4
  int pagesCompared = 0;
  qtest::TScratchDir dir;
  qtest::WriteReferencePhotos(dir.Path());
  std::vector<TExportPhoto> files = qtest::ReferencePhotos(Album, dir.Path());
  // Turned: every photo by one to three quarters, which moves the layout where proportions change.
  for (size_t i = 0; i < files.size() && Turned; ++i) files[i].Turn = static_cast<int>(i % 3) + 1;
  TExportOptions options;
  options.Metrics = qtest::ReferenceMetrics(Album);
  const TExportResult exported = ExportAlbum(files, Settings, dir / (Album.Name + ".pdf"), options);
  EXPECT_TRUE(exported.Ok()) << exported.Message;
  if (!exported.Ok()) return 0;

  const TLoadedPhotos loaded(files);
  const TPreviewLayout layout(loaded.Photos, Settings, qtest::ReferenceMetrics(Album));
  EXPECT_EQ(layout.PageCount(), exported.Pages);
  const int height = static_cast<int>(PreviewHeightFor(layout.PageWidth(), layout.PageHeight(), width));
  for (int32_t page = 1; page <= layout.PageCount(); ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    // One file per page, or all pages in one.
    const bool separate = exported.Files.size() > 1;
    std::string pdf;
    EXPECT_TRUE(qtest::PdfPagePixels(exported.Files[separate ? page - 1 : 0], separate ? 1 : page, width,
                                     height, pdf));
    TPageRaster raster(layout.PageWidth(), layout.PageHeight(), width, height, qtest::ReferenceMetrics(Album));
    layout.DrawPage(page, raster, loaded.Photos);
    const std::string drawn(reinterpret_cast<const char*>(raster.Pixels()), size_t(width) * height * 3);
    const qtest::TPictureDifference d = qtest::ComparePictures(drawn, pdf, width, height);
    // Antialiasing and resampling differ by a few levels on average; a missing or moved picture or
    // text line makes its tiles differ by far more.
    EXPECT_LE(d.Mean, MeanLimit);
    EXPECT_LE(d.WorstTile, 24.0) << "at " << d.WorstTileX << ", " << d.WorstTileY;
    ++pagesCompared;
  }
  return pagesCompared;
}

TEST(PagePreview, ReferenceAlbumsLookAsTheirPdfs) {
  QTEST_REQUIRE_PROGRAM("pdftoppm");
  int pagesCompared = 0;
  for (const bool turned : {false, true})
    for (const qtest::TReferenceAlbum& album : qtest::ReferenceAlbums()) {
      SCOPED_TRACE(album.Name + (album.Pictures ? " (pictures)" : "") + (turned ? " turned" : ""));
      pagesCompared += ComparePreviewWithPdf(album, album.Settings, turned);
    }
  EXPECT_EQ(pagesCompared, 2 * (2 + 2 + 2 + 2 + 3 + 3));
}

// The rows of a picture of Width x Height pixels (Rgb, three bytes each) in which a dark run reaches
// across at least half the width: a bar, where letters like "l" and "i" only make short ones.
std::vector<int> BarRows(const std::string& Rgb, int Width, int Height) {
  std::vector<int> rows;
  for (int y = 0; y < Height; ++y) {
    int run = 0, longest = 0;
    for (int x = 0; x < Width; ++x) {
      const auto* p = reinterpret_cast<const unsigned char*>(Rgb.data()) + (size_t(y) * Width + x) * 3;
      run = p[0] + p[1] + p[2] < 300 ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    if (longest * 2 >= Width) rows.push_back(y);
  }
  return rows;
}

// An underlined and a struck-out heading: poppler renders the PDF with a bar under the letters, one
// through them, or both, and the preview draws the same bars in the same rows.
TEST(PagePreview, UnderlineAndStrikeOutInThePdfAndThePreview) {
  QTEST_REQUIRE_PROGRAM("pdftoppm");
  const struct {
    const char* What;
    int32_t Style;
    size_t Groups;  // runs of adjacent bar rows
  } rows[] = {
      {"plain", 0, 0},
      {"underlined", KFontUnderline, 1},
      {"struck out", KFontStrikeOut, 1},
      {"both", KFontUnderline | KFontStrikeOut, 2},
  };
  std::vector<int> underline, strike;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.What);
    qtest::TScratchDir dir;
    TLayoutSettings s;
    s.ShowPDFCheck = false;
    s.PageWidthEd = 100, s.PageHeightEd = 40;
    s.PageNrCheck = false;
    s.CapED = "lil lil lil lil";
    s.HeadingFont.Name = "DejaVu Sans";
    s.HeadingFont.Style = row.Style;
    s.HeadingFont.Color = 0;
    SetFontSize(s.HeadingFont, 36);
    const TExportResult exported = ExportAlbum({}, s, dir / "a.pdf", {});
    ASSERT_TRUE(exported.Ok()) << exported.Message;
    const TPreviewLayout layout({}, s, std::make_shared<TFreeTypeFonts>());
    const int width = 2 * static_cast<int>(MediaBoxSide(layout.PageWidth()));
    const int height = static_cast<int>(PreviewHeightFor(layout.PageWidth(), layout.PageHeight(), width));
    std::string pdf;
    ASSERT_TRUE(qtest::PdfPagePixels(dir / "a.pdf", 1, width, height, pdf));
    TPageRaster raster(layout.PageWidth(), layout.PageHeight(), width, height, std::make_shared<TFreeTypeFonts>());
    layout.DrawPage(1, raster, {});
    const std::string drawn(reinterpret_cast<const char*>(raster.Pixels()), size_t(width) * height * 3);
    const std::vector<int> read = BarRows(pdf, width, height), preview = BarRows(drawn, width, height);
    size_t groups = 0;
    for (size_t i = 0; i < read.size(); ++i) groups += i == 0 || read[i] != read[i - 1] + 1;
    EXPECT_EQ(groups, row.Groups);
    ASSERT_EQ(preview.size(), read.size());
    for (size_t i = 0; i < read.size(); ++i) EXPECT_NEAR(preview[i], read[i], 1) << i;
    if (row.Style == KFontUnderline) underline = read;
    if (row.Style == KFontStrikeOut) strike = read;
  }
  ASSERT_FALSE(underline.empty());
  ASSERT_FALSE(strike.empty());
  EXPECT_GT(underline.front(), strike.back());  // the underline lies below the line through the letters
}

// The same albums laid out automatically, with a fifth of each photo allowed to be cut: cut pictures
// are clipped to their places in the PDF as on the screen. The pictures now fill most of each page, and
// the smallest of them (90 x 70 pixels) are blown up six times, where poppler smooths and the preview
// does not: the mean over the page differs more, while a moved or missing picture still shows in the
// worst tile.
TEST(PagePreview, AutomaticPagesLookAsTheirPdfs) {
  QTEST_REQUIRE_PROGRAM("pdftoppm");
  const std::vector<qtest::TReferenceAlbum> albums = qtest::ReferenceAlbums();
  ASSERT_EQ(albums.size(), 6u);
  int pagesCompared = 0;
  for (const qtest::TReferenceAlbum& album : albums) {
    SCOPED_TRACE(album.Name + (album.Pictures ? " (pictures)" : ""));
    TLayoutSettings settings = album.Settings;
    settings.PageLayout = TPageLayoutKind::Auto;
    settings.PhotosPerPage = 3;
    settings.CropBudget = 20;
    pagesCompared += ComparePreviewWithPdf(album, settings, false, 8.0);
  }
  EXPECT_GE(pagesCompared, 6);
}

}  // namespace
