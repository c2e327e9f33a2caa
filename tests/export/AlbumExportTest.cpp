// The album export end to end: written PDFs are checked by qpdf, pdfinfo and pdftoppm, and their page
// operators are inflated and compared with positions worked out by hand. Fonts are measured with the
// fixed metrics of the writer's tests, so positions do not depend on the machine's fonts.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <regex>

#include "export/AlbumExport.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PictaroMemory.h"
#include "pdf/PdfTestSupport.h"
#include "platform/ProgressSink.h"
#include "platform/SafeFile.h"
#include "platform/Shell.h"
#include "platform/TempFolder.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

// Writes a JPEG of Width x Height pixels in one colour (0x00BBGGRR).
void WriteSolidJpeg(const std::string& FileName, int Width, int Height, uint32_t Color) {
  TDib dib{};
  newdib(&dib, Width, Height, 24, nullptr, 0);
  ASSERT_NE(dib.Bits, nullptr);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) setpixel(dib, x, y, Color);
  EXPECT_EQ(SaveDib(dib, FileName.c_str(), 7, 0), 1);
  deldib(dib);
}

class TRecordingShell final : public TShell {
 public:
  void OpenFile(const std::string& FileName) override { Opened.push_back(FileName); }
  std::vector<std::string> Opened;
};

class TCancelAt final : public TExportListener {
 public:
  explicit TCancelAt(size_t Index) : FIndex(Index) {}
  void PhotoStarting(size_t Index, size_t) override {
    if (Index == FIndex) Cancel = true;
  }
  void PageFinished(int32_t Page) override { Pages.push_back(Page); }
  std::atomic<bool> Cancel{false};
  std::vector<int32_t> Pages;

 private:
  size_t FIndex;
};

class AlbumExport : public ::testing::Test {
 protected:
  void SetUp() override {
    // The written files are checked by these readers.
    QTEST_REQUIRE_PROGRAM("pdfinfo");
    QTEST_REQUIRE_PROGRAM("qpdf");
    WriteSolidJpeg(Dir / "red.jpg", 80, 60, 0x0000FF);
    WriteSolidJpeg(Dir / "green.jpg", 60, 80, 0x00FF00);
    WriteSolidJpeg(Dir / "blue.jpg", 64, 64, 0xFF0000);
    qtest::WriteFile(Dir / "broken.jpg", "not a picture");
    Options.Metrics = pdftest::FixedMetrics();
  }

  std::vector<TExportPhoto> Photos(const std::vector<std::string>& Names) {
    std::vector<TExportPhoto> photos;
    for (const std::string& name : Names) photos.push_back({Dir / name, name});
    return photos;
  }

  TExportResult Export(const std::vector<std::string>& Names, const std::string& Out = "album.pdf") {
    return ExportAlbum(Photos(Names), Settings, Dir / Out, Options);
  }

  // Files left in the folder whose names end in ".part": must never survive an export.
  int Leftovers() {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(Dir.Path()))
      if (entry.path().extension() == ".part") ++count;
    return count;
  }

  static int PageCount(const std::string& Pdf) {
    std::string out;
    qtest::Run("pdfinfo " + qtest::Quote(Pdf) + " 2>&1", &out);
    std::smatch m;
    return std::regex_search(out, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
  }

  qtest::TScratchDir Dir;
  qtest::TRecordingMessageBox Box;
  TLayoutSettings Settings = FirstStartSettings();
  TExportOptions Options;
};

TEST_F(AlbumExport, FullPageHasNoEmptyPageAfterIt) {
  const TExportResult r = Export({"red.jpg", "green.jpg", "blue.jpg", "red.jpg", "green.jpg", "blue.jpg"});
  ASSERT_TRUE(r.Ok()) << r.Message;
  EXPECT_EQ(r.Pages, 1);
  EXPECT_EQ(r.Pictures, 6);
  ASSERT_EQ(r.Files, std::vector<std::string>{Dir / "album.pdf"});
  pdftest::ExpectQpdfClean(Dir / "album.pdf");
  EXPECT_EQ(PageCount(Dir / "album.pdf"), 1);
  EXPECT_EQ(Leftovers(), 0);
  EXPECT_TRUE(Box.Shown.empty());
}

TEST_F(AlbumExport, UnreadablePhotosUseNoCellAndMakeNoPage) {
  // Six good pictures fill page 1; the photos after them cannot be read, so no page 2 appears.
  Settings.XMalEd = 3;
  const TExportResult r = Export({"red.jpg", "broken.jpg", "green.jpg", "missing.jpg", "broken.jpg"});
  ASSERT_TRUE(r.Ok()) << r.Message;
  EXPECT_EQ(r.Pictures, 6);
  EXPECT_EQ(r.Unreadable, 3);  // each counted once, its copies skipped with it
  EXPECT_EQ(PageCount(Dir / "album.pdf"), 1);

  Settings.XMalEd = 7;  // one picture more than a page holds
  const TExportResult more = Export({"red.jpg", "broken.jpg"}, "more.pdf");
  EXPECT_EQ(more.Pages, 2);
  EXPECT_EQ(PageCount(Dir / "more.pdf"), 2);
  pdftest::ExpectQpdfClean(Dir / "more.pdf");
}

TEST_F(AlbumExport, PageOperatorsPlaceHeadingNumberAndTexts) {
  Settings.TextFont.Color = KColorWindowText;
  ASSERT_TRUE(Export({"red.jpg", "green.jpg"}).Ok());
  const std::string pdf = qtest::ReadFile(Dir / "album.pdf");
  const std::string ops = pdftest::PageOperators(pdf, 1);
  // Fixed metrics: half an em per character, lines em + em / 4 high; the writer puts the baseline at
  // H - Y - line height - 1.
  EXPECT_NE(ops.find("2 J\n"), std::string::npos);
  EXPECT_NE(ops.find("245 778  Td (Familienfotos) Tj"), std::string::npos) << ops;  // (595 - 104) / 2
  EXPECT_NE(ops.find("295 29  Td (1) Tj"), std::string::npos) << ops;               // Y = 841 - 42
  // The photo text under the landscape picture: cell 0 at 42, 90, E = 217, h = 186 (80 x 60).
  // Line at y = 90 + 15 + 186 = 291; x = 42 + (248 - 7 * 5) / 2 = 148.
  EXPECT_NE(ops.find("148 537  Td (red.jpg) Tj"), std::string::npos) << ops;
  // The window-text colour arrives as black, never as 8/255 red.
  EXPECT_NE(ops.find("0 0 0 rg"), std::string::npos);
  EXPECT_EQ(ops.find("0.031"), std::string::npos);
  EXPECT_EQ(ops.find(" re\nB"), std::string::npos);  // white background: no page fill
}

// Page 1 puts the heading before the page number; every later page, in either mode, the number first.
TEST_F(AlbumExport, LaterPagesPutThePageNumberBeforeTheHeading) {
  for (const bool separate : {false, true}) {
    SCOPED_TRACE(separate);
    Settings.SeparateCheck = separate;
    ASSERT_TRUE(Export(std::vector<std::string>(13, "blue.jpg"), "order.pdf").Ok());
    for (int page = 1; page <= 3; ++page) {
      const std::string ops =
          separate
              ? pdftest::PageOperators(qtest::ReadFile(Dir / ("order000" + std::to_string(page) + ".pdf")), 1)
              : pdftest::PageOperators(qtest::ReadFile(Dir / "order.pdf"), page);
      const size_t heading = ops.find("(Familienfotos) Tj"),
                   number = ops.find("(" + std::to_string(page) + ") Tj");
      ASSERT_NE(heading, std::string::npos);
      ASSERT_NE(number, std::string::npos);
      EXPECT_EQ(heading < number, page == 1) << "page " << page;
      // Both come before the first picture.
      EXPECT_LT(std::max(heading, number), ops.find(" Do\n"));
    }
  }
}

TEST_F(AlbumExport, BackgroundFramesAndClipping) {
  Settings.Shape1 = 0x00FF0000;
  Settings.RahmenCheck = true;
  Settings.Shape2 = KColorWindowText;
  Settings.ZoomInFotosCheck = true;
  ASSERT_TRUE(Export({"red.jpg"}).Ok());
  std::string ops = pdftest::PageOperators(qtest::ReadFile(Dir / "album.pdf"), 1);
  EXPECT_NE(ops.find("0 0 1 rg\n0 0 594 840 re\nB"), std::string::npos) << ops;  // the page in blue
  // The enlarged picture is clipped to its whole cell: 42, 90 to 290, 317.
  EXPECT_NE(ops.find("q\n42 524 248 227 re\nW\nn\n"), std::string::npos) << ops;
  EXPECT_NE(ops.find("3 w\n0 0 0 RG"), std::string::npos) << ops;  // frame width 10, black
  EXPECT_NE(ops.find("\nQ\n"), std::string::npos);

  Settings.RahmenBreiteEd = 1;
  Settings.ZoomInFotosCheck = false;
  ASSERT_TRUE(Export({"red.jpg"}, "thin.pdf").Ok());
  ops = pdftest::PageOperators(qtest::ReadFile(Dir / "thin.pdf"), 1);
  EXPECT_NE(ops.find("0 w\n"), std::string::npos) << ops;
  EXPECT_EQ(ops.find(" re\nW"), std::string::npos);  // no clip without enlargement
  pdftest::ExpectQpdfClean(Dir / "thin.pdf");
}

TEST_F(AlbumExport, EmptyAlbumGivesOnePage) {
  TRecordingShell shell;
  Options.Shell = &shell;
  TExportResult r = Export({});
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(PageCount(Dir / "album.pdf"), 1);
  const std::string ops = pdftest::PageOperators(qtest::ReadFile(Dir / "album.pdf"), 1);
  EXPECT_NE(ops.find("(Familienfotos) Tj"), std::string::npos);
  EXPECT_NE(ops.find("(1) Tj"), std::string::npos);
  EXPECT_EQ(shell.Opened, std::vector<std::string>{Dir / "album.pdf"});

  Settings.SeparateCheck = true;
  shell.Opened.clear();
  r = Export({}, "single.pdf");
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(r.Files, std::vector<std::string>{Dir / "single0001.pdf"});
  EXPECT_FALSE(fs::exists(Dir / "single.pdf"));
  EXPECT_EQ(shell.Opened, std::vector<std::string>{Dir / "single0001.pdf"});
}

TEST_F(AlbumExport, OneFilePerPage) {
  Settings.SeparateCheck = true;
  Settings.CaptionOnAllPages = false;
  Settings.ShowPDFCheck = false;
  TRecordingShell shell;
  Options.Shell = &shell;
  const TExportResult r = Export(std::vector<std::string>(13, "blue.jpg"), "urlaub.pdf");
  ASSERT_TRUE(r.Ok()) << r.Message;
  ASSERT_EQ(r.Files.size(), 3u);
  EXPECT_FALSE(fs::exists(Dir / "urlaub.pdf"));  // the chosen name itself is never written
  for (int page = 1; page <= 3; ++page) {
    const std::string name = Dir / ("urlaub000" + std::to_string(page) + ".pdf");
    EXPECT_EQ(r.Files[page - 1], name);
    pdftest::ExpectQpdfClean(name);
    EXPECT_EQ(PageCount(name), 1);
    const std::string ops = pdftest::PageOperators(qtest::ReadFile(name), 1);
    EXPECT_NE(ops.find("(" + std::to_string(page) + ") Tj"), std::string::npos);
    // The heading only on the first page.
    EXPECT_EQ(ops.find("(Familienfotos) Tj") != std::string::npos, page == 1);
  }
  EXPECT_TRUE(shell.Opened.empty());  // viewing is off
  EXPECT_EQ(Leftovers(), 0);
}

TEST_F(AlbumExport, PageFileThatCannotBeCreatedIsReportedAndSkipped) {
  Settings.SeparateCheck = true;
  fs::create_directory(Dir / "urlaub0002.pdf");  // a folder where page 2's file should go
  const TExportResult r = Export(std::vector<std::string>(13, "green.jpg"), "urlaub.pdf");
  ASSERT_TRUE(r.Ok()) << r.Message;
  EXPECT_EQ(r.FailedFiles, std::vector<std::string>{Dir / "urlaub0002.pdf"});
  EXPECT_EQ(r.Files, (std::vector<std::string>{Dir / "urlaub0001.pdf", Dir / "urlaub0003.pdf"}));
  ASSERT_EQ(Box.Shown.size(), 1u);
  EXPECT_EQ(Box.Shown[0].Text, Dir / "urlaub0002.pdf");
  EXPECT_EQ(Box.Shown[0].Title, "Datei konnte nicht erstellt werden");
  EXPECT_EQ(Box.Shown[0].Icon, TMsgIcon::Error);
  pdftest::ExpectQpdfClean(Dir / "urlaub0003.pdf");
  // Page 3 keeps its own number although page 2 went nowhere.
  EXPECT_NE(pdftest::PageOperators(qtest::ReadFile(Dir / "urlaub0003.pdf"), 1).find("(3) Tj"),
            std::string::npos);
  EXPECT_EQ(Leftovers(), 0);
}

TEST_F(AlbumExport, FirstFileThatCannotBeCreated) {
  TRecordingShell shell;
  Options.Shell = &shell;
  const TExportResult r = Export({"red.jpg"}, "no-such-folder/album.pdf");
  EXPECT_EQ(r.Status, TExportStatus::CannotCreate);
  EXPECT_EQ(r.Message, "Konnte PDF-Datei nicht erstellen!");
  EXPECT_TRUE(r.Files.empty());
  EXPECT_TRUE(shell.Opened.empty());
  ShowExportFailure(r);
  ASSERT_EQ(Box.Shown.size(), 1u);
  EXPECT_EQ(Box.Shown[0].Text, "Konnte PDF-Datei nicht erstellen!");
  EXPECT_EQ(Box.Shown[0].Title, "");
  EXPECT_EQ(Box.Shown[0].Icon, TMsgIcon::Information);
}

TEST_F(AlbumExport, FailedWriteLeavesTheOldFileAndNoPartialOne) {
  qtest::WriteFile(Dir / "album.pdf", "the previous album");
  Settings.XMalEd = 100;  // seventeen pages of operators
  Settings.CountXEd = 1;
  Settings.CountYEd = 1;
  TExportResult r;
  {
    qtest::TFileSizeLimit limit(3000);
    r = Export({"red.jpg"});
  }

  EXPECT_EQ(r.Status, TExportStatus::WriteFailed);
  // The pictures waiting in the temporary folder reach the limit before the PDF's buffer is written.
  EXPECT_EQ(r.Message, "Fehler: Konnte die PDF-Datei „" + (Dir / "album.pdf") +
                           "“ nicht schreiben, denn der " + "temporäre Ordner „" +
                           TempFolder().substr(0, TempFolder().size() - 1) +
                           "“ ließ sich nicht beschreiben. Systemfehler 27 (File too large).");
  EXPECT_EQ(qtest::ReadFile(Dir / "album.pdf"), "the previous album");
  EXPECT_EQ(Leftovers(), 0);
  ShowExportFailure(r);
  ASSERT_EQ(Box.Shown.size(), 1u);
  EXPECT_EQ(Box.Shown[0].Icon, TMsgIcon::Error);
}

// The PDF reaches the disk before it takes its name: the file synced is the temporary one, and a
// failed sync is a failed write that leaves the old file alone.
std::vector<std::string> GSynced;
bool GSyncFails = false;
int RecordingSync(int Fd) {
  GSynced.push_back(fs::read_symlink("/proc/self/fd/" + std::to_string(Fd)).string());
  if (!GSyncFails) return 0;
  errno = EIO;
  return -1;
}

TEST_F(AlbumExport, PdfIsSyncedBeforeItTakesItsName) {
  GSynced.clear();
  GSyncFails = false;
  SetSyncFunction(RecordingSync);
  const TExportResult r = Export({"red.jpg"});
  EXPECT_TRUE(r.Ok()) << r.Message;
  ASSERT_EQ(GSynced.size(), 1u);
  EXPECT_EQ(GSynced[0].rfind(Dir / "album.pdf.", 0), 0u) << GSynced[0];
  EXPECT_EQ(fs::path(GSynced[0]).extension(), ".part");

  qtest::WriteFile(Dir / "album.pdf", "the previous album");
  GSyncFails = true;
  const TExportResult failed = Export({"red.jpg"});
  SetSyncFunction(nullptr);
  EXPECT_EQ(failed.Status, TExportStatus::WriteFailed);
  EXPECT_NE(failed.Message.find("Ein-/Ausgabefehler"), std::string::npos) << failed.Message;
  EXPECT_EQ(qtest::ReadFile(Dir / "album.pdf"), "the previous album");
  EXPECT_EQ(Leftovers(), 0);
}

// A cancel that comes while the document is being finished stops the export all the same, up to the
// flush to the disk, the last step before the file takes its name: the old file stays.
std::atomic<bool> GCancelOnSync{false};
int CancellingSync(int Fd) {
  GCancelOnSync = true;
  return ::fsync(Fd);
}

TEST_F(AlbumExport, CancelWhileTheDocumentIsFinishedLeavesNoFile) {
  qtest::WriteFile(Dir / "album.pdf", "the previous album");
  GCancelOnSync = false;
  Options.Cancel = &GCancelOnSync;
  SetSyncFunction(CancellingSync);
  const TExportResult r = Export({"red.jpg", "green.jpg"});
  SetSyncFunction(nullptr);
  EXPECT_EQ(r.Status, TExportStatus::Cancelled);
  EXPECT_EQ(r.Message, "Der Export wurde abgebrochen.");
  EXPECT_EQ(qtest::ReadFile(Dir / "album.pdf"), "the previous album");
  EXPECT_EQ(Leftovers(), 0);
}

TEST_F(AlbumExport, CancelStopsBetweenPicturesAndRemovesTheFile) {
  TCancelAt cancel(3);
  Options.Listener = &cancel;
  Options.Cancel = &cancel.Cancel;
  const TExportResult r = Export(std::vector<std::string>(10, "red.jpg"));
  EXPECT_EQ(r.Status, TExportStatus::Cancelled);
  EXPECT_EQ(r.Pictures, 3);
  EXPECT_FALSE(fs::exists(Dir / "album.pdf"));
  EXPECT_EQ(Leftovers(), 0);

  // In one-file-per-page mode, pages finished before the cancel stay complete.
  Settings.SeparateCheck = true;
  Settings.CountYEd = 1;  // two pictures a page
  TCancelAt late(5);
  Options.Listener = &late;
  Options.Cancel = &late.Cancel;
  const TExportResult pages = Export(std::vector<std::string>(10, "red.jpg"), "p.pdf");
  EXPECT_EQ(pages.Status, TExportStatus::Cancelled);
  EXPECT_EQ(pages.Files, (std::vector<std::string>{Dir / "p0001.pdf", Dir / "p0002.pdf"}));
  EXPECT_EQ(late.Pages, (std::vector<int32_t>{1, 2}));
  EXPECT_FALSE(fs::exists(Dir / "p0003.pdf"));
  EXPECT_EQ(Leftovers(), 0);
}

// A cancelled export drops its document at once: the temporary file never gets the pictures' objects
// or the trailer. A hard link made while the export runs keeps that file's last state visible after
// the export removed its name.
TEST_F(AlbumExport, CancelAbandonsTheDocumentWithoutEndingIt) {
  struct TKeepAndCancel final : public TExportListener {
    fs::path Dir;
    std::atomic<bool> Cancel{false};
    void PhotoStarting(size_t Index, size_t) override {
      if (Index != 4) return;
      for (const auto& entry : fs::directory_iterator(Dir))
        if (entry.path().extension() == ".part") fs::create_hard_link(entry.path(), Dir / "kept.pdf");
      Cancel = true;
    }
  } listener;
  listener.Dir = Dir.Path();
  Options.Listener = &listener;
  Options.Cancel = &listener.Cancel;
  const TExportResult r = Export(std::vector<std::string>(10, "red.jpg"));
  EXPECT_EQ(r.Status, TExportStatus::Cancelled);
  EXPECT_EQ(Leftovers(), 0);
  const std::string kept = qtest::ReadFile(Dir / "kept.pdf");
  EXPECT_EQ(kept.find("%%EOF"), std::string::npos);
  EXPECT_EQ(kept.find("/Subtype /Image"), std::string::npos);
}

// The writer encodes one picture while the export loads the next: two decoded pictures at most, even
// where the encoder is slower than the loader (large noisy pictures, small clean ones).
TEST_F(AlbumExport, AtMostTwoDecodedPicturesAreHeld) {
  TDib noisy{};
  newdib(&noisy, 1600, 1200, 24, nullptr, 0);
  ASSERT_NE(noisy.Bits, nullptr);
  for (int y = 0; y < 1200; ++y)
    for (int x = 0; x < 4800; ++x)
      noisy.Bits[y * noisy.RowBytes + x] = uint8_t((x * 7919u + y * 104729u) >> 3);
  ASSERT_EQ(SaveDib(noisy, (Dir / "noisy.bmp").c_str(), 3, 0), 1);
  deldib(noisy);
  struct TPeak final : public TProgressSink {
    int Peak = 0;
    void Progress(int) override { Peak = std::max(Peak, PicturesHeld()); }
  } peak;
  Options.PictureProgress = &peak;
  const int before = PicturesHeld();
  ASSERT_TRUE(Export({"noisy.bmp", "noisy.bmp", "noisy.bmp", "red.jpg", "noisy.bmp", "blue.jpg"}).Ok());
  EXPECT_GE(peak.Peak - before, 1);  // two only when the threads happen to overlap
  EXPECT_LE(peak.Peak - before, 2);
  EXPECT_EQ(PicturesHeld(), before);  // every picture freed
}

TEST_F(AlbumExport, RenderedPicturesLandInTheirCells) {
  QTEST_REQUIRE_PROGRAM("pdftoppm");
  QTEST_REQUIRE_PROGRAM("pdfimages");
  Settings.TextCheck = false;
  ASSERT_TRUE(Export({"red.jpg", "green.jpg", "blue.jpg"}).Ok());
  // Three pictures, three image objects: placing must never be skipped silently.
  std::string images;
  ASSERT_EQ(qtest::Run("pdfimages -list " + qtest::Quote(Dir / "album.pdf"), &images), 0);
  EXPECT_EQ(std::count(images.begin(), images.end(), '\n'), 2 + 3) << images;  // two heading lines
  // 72 dpi: one pixel per point. PPM output, parsed by hand.
  ASSERT_EQ(qtest::Run("pdftoppm -r 72 -f 1 -l 1 " + qtest::Quote(Dir / "album.pdf") + " " +
                       qtest::Quote(Dir / "page")),
            0);
  const std::string ppm = qtest::ReadFile(Dir / "page-1.ppm");
  int w = 0, h = 0, max = 0, used = 0;
  ASSERT_EQ(std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &w, &h, &max, &used), 3);
  const size_t data = static_cast<size_t>(used) + 1;
  auto pixel = [&](int x, int y) {
    const size_t at = data + (static_cast<size_t>(y) * w + x) * 3;
    return std::array<int, 3>{uint8_t(ppm[at]), uint8_t(ppm[at + 1]), uint8_t(ppm[at + 2])};
  };
  auto near = [](std::array<int, 3> p, std::array<int, 3> q) {
    for (int i = 0; i < 3; ++i)
      if (std::abs(p[i] - q[i]) > 40) return false;
    return true;
  };
  // Cell centres: red (landscape) in cell 0, green (portrait) in cell 1, blue in cell 2 (second row).
  EXPECT_TRUE(near(pixel(42 + 124, 90 + 113), {255, 0, 0}));
  EXPECT_TRUE(near(pixel(304 + 124, 90 + 113), {0, 255, 0}));
  EXPECT_TRUE(near(pixel(42 + 124, 331 + 113), {0, 0, 255}));
  // Outside the pictures the page stays white: the green portrait leaves the cell's left part free.
  EXPECT_TRUE(near(pixel(304 + 5, 90 + 113), {255, 255, 255}));
  EXPECT_TRUE(near(pixel(42 + 124, 572 + 113), {255, 255, 255}));  // no fourth picture
}

}  // namespace
