// The reference albums (support/ReferenceAlbums.h) are written to the byte as their PDFs in
// reference/ and reference/pictures/. The albums with texts were written by the export before texts in
// other scripts were supported, so any change to such albums shows here; their bytes depend on the
// fonts fontconfig picks for each name, which reference/fonts.txt pins (file, version and digest): on
// a machine whose fonts differ the test fails and says which fonts it needs, since passing there would
// prove nothing about the bytes. The albums of pictures have no texts and measure with fixed
// metrics: the export's engine may change how and when it encodes, never the bytes it writes.
//
// QUIRVEL_WRITE_REFERENCE=1 writes the references anew instead of comparing: only for a deliberate
// change of the output, whose difference is then checked by hand.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "export/AlbumExport.h"
#include "pdf/PdfTestSupport.h"
#include "support/ReferenceAlbums.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

bool Writing() {
  const char* write = std::getenv("QUIRVEL_WRITE_REFERENCE");
  return write && std::string(write) == "1";
}

// Exports Album and compares every written file with its reference.
void ExpectReference(const qtest::TReferenceAlbum& Album) {
  SCOPED_TRACE(Album.Name + (Album.Pictures ? " (pictures)" : ""));
  qtest::TScratchDir dir;
  qtest::WriteReferencePhotos(dir.Path());
  TExportOptions options;
  if (Album.Pictures) options.Metrics = qtest::ReferenceMetrics(Album);
  const TExportResult r =
      ExportAlbum(qtest::ReferencePhotos(Album, dir.Path()), Album.Settings, dir / (Album.Name + ".pdf"), options);
  ASSERT_TRUE(r.Ok()) << r.Message;
  EXPECT_EQ(r.Missing, 0);
  std::vector<std::string> names;
  for (const std::string& file : r.Files) names.push_back(fs::path(file).filename().string());
  ASSERT_EQ(names, Album.Files);
  for (const std::string& file : r.Files) {
    pdftest::ExpectQpdfClean(file);
    const fs::path reference = qtest::ReferenceFolder(Album) / fs::path(file).filename();
    if (Writing()) {
      fs::copy_file(file, reference, fs::copy_options::overwrite_existing);
      continue;
    }
    const std::string written = qtest::ReadFile(file), expected = qtest::ReadFile(reference);
    size_t at = 0;
    while (at < written.size() && at < expected.size() && written[at] == expected[at]) ++at;
    EXPECT_TRUE(written == expected) << file << " differs from " << reference << " at byte " << at;
  }
}

TEST(ReferencePdf, AlbumsWithTexts) {
  const std::string fonts = qtest::ResolvedReferenceFonts();
  const fs::path list = fs::path(QUIRVEL_SOURCE_DIR) / "tests/export/reference/fonts.txt";
  if (Writing())
    qtest::WriteFile(list, fonts);
  else
    ASSERT_EQ(fonts, qtest::ReadFile(list))
        << "the reference PDFs need the fonts tests/export/reference/fonts.txt lists (install "
           "scripts/install-deps.sh --test's font packages), but fontconfig finds the ones on the left";
  int albums = 0;
  for (const qtest::TReferenceAlbum& album : qtest::ReferenceAlbums())
    if (!album.Pictures) ExpectReference(album), ++albums;
  EXPECT_EQ(albums, 3);
}

TEST(ReferencePdf, AlbumsOfPictures) {
  int albums = 0;
  for (const qtest::TReferenceAlbum& album : qtest::ReferenceAlbums())
    if (album.Pictures) ExpectReference(album), ++albums;
  EXPECT_EQ(albums, 3);
}

}  // namespace
