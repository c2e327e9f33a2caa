// Whole albums against PDFs kept in tests/export/reference/pictures/: pictures of every kind (black and
// white, two colours, 4-bit palette, grey, JPEG, a JPEG lying on its side, 32-bit, an unreadable file),
// several pages with frames, background and clipping, and one file per page. The export's engine may change
// how and when it encodes, never the bytes it writes. The albums have no texts, so the references hold
// no fonts.
//
// QUIRVEL_WRITE_REFERENCE=1 writes the references anew instead of comparing: only for a deliberate
// change of the output, whose difference is then checked by hand.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "export/AlbumExport.h"
#include "pdf/PdfTestSupport.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

const fs::path KReference = fs::path(QUIRVEL_SOURCE_DIR) / "tests/export/reference/pictures";

class ReferenceAlbums : public ::testing::Test {
 protected:
  void SetUp() override {
    Settings.TextCheck = false;
    Settings.CaptionCheck = false;
    Settings.PageNrCheck = false;
    Options.Metrics = pdftest::FixedMetrics();
  }

  void Export(const std::vector<std::string>& Names, const std::string& Out) {
    std::vector<TExportPhoto> photos;
    for (const std::string& name : Names) photos.push_back({(KReference / name).string(), name});
    const TExportResult r = ExportAlbum(photos, Settings, Dir / Out, Options);
    ASSERT_TRUE(r.Ok()) << r.Message;
    EXPECT_EQ(r.Missing, 0);
  }

  // The written file against its reference, byte for byte.
  void ExpectReference(const std::string& Name) {
    SCOPED_TRACE(Name);
    const std::string written = qtest::ReadFile(Dir / Name);
    pdftest::ExpectQpdfClean(Dir / Name);
    const char* write = std::getenv("QUIRVEL_WRITE_REFERENCE");
    if (write && std::string(write) == "1") {
      qtest::WriteFile(KReference / Name, written);
      return;
    }
    const std::string expected = qtest::ReadFile(KReference / Name);
    size_t at = 0;
    while (at < written.size() && at < expected.size() && written[at] == expected[at]) ++at;
    EXPECT_TRUE(written == expected) << "first difference at byte " << at << " of " << expected.size();
  }

  qtest::TScratchDir Dir;
  TLayoutSettings Settings = FirstStartSettings();
  TExportOptions Options;
};

}  // namespace

TEST_F(ReferenceAlbums, EveryKindOfPictureOnTwoPages) {
  Export({"bw.bmp", "twocolour.png", "palette4.bmp", "grey.png", "broken.jpg", "photo.jpg", "rotated.jpg",
          "deep.bmp"},
         "kinds.pdf");
  ExpectReference("kinds.pdf");
}

TEST_F(ReferenceAlbums, PagesWithFramesBackgroundAndClipping) {
  Settings.XMalEd = 3;
  Settings.CountXEd = 2;
  Settings.CountYEd = 2;
  Settings.ZoomInFotosCheck = true;
  Settings.RahmenCheck = true;
  Settings.Shape1 = 0x00FFE0C0;  // light blue
  Export({"photo.jpg", "bw.bmp", "twocolour.png"}, "pages.pdf");
  ExpectReference("pages.pdf");
}

TEST_F(ReferenceAlbums, OneFilePerPage) {
  Settings.SeparateCheck = true;
  Settings.XMalEd = 2;
  Settings.CountYEd = 1;
  Export({"photo.jpg", "grey.png", "palette4.bmp"}, "separate.pdf");
  for (const char* name : {"separate0001.pdf", "separate0002.pdf", "separate0003.pdf"}) ExpectReference(name);
  EXPECT_FALSE(fs::exists(Dir / "separate0004.pdf"));
}
