// The preview's page raster against the PDF: every reference album's pages drawn through the page
// raster and rendered from the exported PDF by poppler, at the same size, must look alike; so must
// they with the photos turned.

#include <gtest/gtest.h>

#include <filesystem>

#include "export/PagePreview.h"
#include "export/PageRaster.h"
#include "imaging/pictaro/LoadPicture.h"
#include "imaging/pictaro/Pictaro.h"
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
