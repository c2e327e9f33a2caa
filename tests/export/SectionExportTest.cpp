// Sections in the exported PDF: each begins on a new page whose heading is its title, and the PDF's
// outline jumps to it; read back with qpdf, pdfinfo and pdftotext.

#include <gtest/gtest.h>

#include <filesystem>

#include "album/SectionMarks.h"
#include "export/AlbumExport.h"
#include "export/PageLayout.h"
#include "imaging/pictaro/Pictaro.h"
#include "pdf/PdfTestSupport.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

void WriteSolidJpeg(const std::string& FileName, int Width, int Height) {
  TDib dib{};
  newdib(&dib, Width, Height, 24, nullptr, 0);
  ASSERT_NE(dib.Bits, nullptr);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) setpixel(dib, x, y, 0x336699);
  EXPECT_EQ(SaveDib(dib, FileName.c_str(), 7, 0), 1);
  deldib(dib);
}

// The text of page Page (from 1) as pdftotext reads it.
std::string PageText(const std::string& Pdf, int Page) {
  std::string out;
  EXPECT_EQ(qtest::Run("pdftotext -f " + std::to_string(Page) + " -l " + std::to_string(Page) + " " +
                           qtest::Quote(Pdf) + " -",
                       &out),
            0);
  return out;
}

int PageCount(const std::string& Pdf) {
  std::string out;
  qtest::Run("pdfinfo " + qtest::Quote(Pdf), &out);
  const size_t at = out.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(out.substr(at + 6));
}

}  // namespace

// Four cells a page (2 x 2). Each row: the photos by folder (a name ending in "!" cannot be read), and
// the outline (page from 1, title) and page count worked out by hand.
TEST(SectionExport, SectionsBeginOnNewPagesWithTheirTitles) {
  QTEST_REQUIRE_PROGRAM("qpdf");
  QTEST_REQUIRE_PROGRAM("pdftotext");
  QTEST_REQUIRE_PROGRAM("pdfinfo");
  const struct {
    const char* What;
    std::vector<std::string> Photos;
    std::vector<std::pair<int, std::string>> Outline;
    int Pages;
  } rows[] = {
      {"two short sections", {"Rom/1", "Rom/2", "Rom/3", "Neapel/1", "Neapel/2"}, {{1, "Rom"}, {2, "Neapel"}}, 2},
      {"a section over two pages",
       {"Rom/1", "Rom/2", "Rom/3", "Rom/4", "Rom/5", "Neapel/1"},
       {{1, "Rom"}, {3, "Neapel"}},
       3},
      {"a section whose first photo cannot be read",
       {"Rom/1", "Neapel/1!", "Neapel/2"},
       {{1, "Rom"}, {2, "Neapel"}},
       2},
      {"a full page before a section adds no empty page",
       {"Rom/1", "Rom/2", "Rom/3", "Rom/4", "Neapel/1"},
       {{1, "Rom"}, {2, "Neapel"}},
       2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.What);
    qtest::TScratchDir dir;
    std::vector<TExportPhoto> photos;
    TAlbumModel album;
    for (const std::string& name : row.Photos) {
      const bool broken = name.back() == '!';
      const fs::path file = dir.Path() / (name.substr(0, name.size() - (broken ? 1 : 0)) + ".jpg");
      fs::create_directories(file.parent_path());
      if (broken)
        qtest::WriteFile(file, "not a picture");
      else
        WriteSolidJpeg(file, 40, 30);
      photos.push_back({file.string(), ""});
      SetEntryFileName(*album.Pics.Append(), file.string());
    }
    TLayoutSettings settings = FirstStartSettings();
    settings.CountXEd = settings.CountYEd = 2;
    settings.CapED = "Italien 2025";
    settings.ShowPDFCheck = false;
    settings.Book.Marks = MarksFromFolders(album);
    TExportOptions options;
    // Measured with the real fonts, so that pdftotext finds the words where the widths put them.
    const std::string pdf = dir / "album.pdf";
    const TExportResult result = ExportAlbum(photos, settings, pdf, options);
    ASSERT_TRUE(result.Ok()) << result.Message;
    EXPECT_EQ(PageCount(pdf), row.Pages);
    EXPECT_EQ(pdftest::OutlineEntries(pdftest::Squeeze(pdftest::QpdfJson(pdf, "outlines"))), row.Outline);
    ASSERT_FALSE(row.Outline.empty());
    for (const auto& [page, title] : row.Outline) EXPECT_NE(PageText(pdf, page).find(title), std::string::npos) << page;
    std::string info;
    qtest::Run("pdfinfo " + qtest::Quote(pdf), &info);
    EXPECT_NE(info.find("Title:           Italien 2025\n"), std::string::npos) << info;
    const std::string catalog = pdftest::Squeeze(pdftest::QpdfJson(pdf, "objects"));
    EXPECT_NE(catalog.find("\"/PageMode\":\"/UseOutlines\""), std::string::npos);
    pdftest::ExpectQpdfClean(pdf);
  }
}

// A title of 2,000 characters with control characters stays inside the page: cut with "…", and the
// export succeeds.
TEST(SectionExport, LongTitlesAreCutInsideThePage) {
  QTEST_REQUIRE_PROGRAM("pdftotext");
  qtest::TScratchDir dir;
  const std::string file = dir / "a.jpg";
  WriteSolidJpeg(file, 40, 30);
  TLayoutSettings settings = FirstStartSettings();
  settings.ShowPDFCheck = false;
  settings.Book.Marks = {{{file, 0}, "Tag\x01 " + std::string(2000, 'W')}};
  TExportOptions options;
  // Measured with the real fonts, so that the widths the file names are the ones the cut used.
  const std::string pdf = dir / "album.pdf";
  const TExportResult result = ExportAlbum({{file, ""}}, settings, pdf, options);
  ASSERT_TRUE(result.Ok()) << result.Message;
  std::string bbox;
  ASSERT_EQ(qtest::Run("pdftotext -bbox " + qtest::Quote(pdf) + " -", &bbox), 0);
  // The heading's words: "Tag" and the cut run of W ending in the ellipsis, within the page's 595 points.
  const size_t word = bbox.find("W\xE2\x80\xA6</word>");
  ASSERT_NE(word, std::string::npos) << bbox.substr(0, 2000);
  const size_t line = bbox.rfind("<word", word);
  const double xMax = std::stod(bbox.substr(bbox.find("xMax=\"", line) + 6));
  const double xMin = std::stod(bbox.substr(bbox.find("xMin=\"", bbox.rfind("<word", line - 1)) + 6));
  EXPECT_GE(xMin, 0);
  EXPECT_LE(xMax, 595);
}

// The page layout the preview draws takes the same forced breaks: rows of breaks over seven pictures
// in a 2 x 2 grid, and the pictures each page holds and its heading, worked out by hand.
TEST(SectionExport, LayoutBreaksBeforeSections) {
  TLayoutSettings settings = FirstStartSettings();
  settings.CountXEd = settings.CountYEd = 2;
  settings.CapED = "Album";
  settings.CaptionOnAllPages = false;
  const TLayoutMeasures measures = MakeLayoutMeasures(settings, pdftest::FixedMetrics());
  const std::vector<TLayoutItem> items(7, TLayoutItem{40, 30, ""});
  const struct {
    std::vector<TLayoutBreak> Breaks;
    std::vector<std::vector<size_t>> Pages;
    std::vector<std::string> Headings;  // empty: none
  } rows[] = {
      {{}, {{0, 1, 2, 3}, {4, 5, 6}}, {"Album", ""}},
      {{{0, "A"}, {3, "B"}}, {{0, 1, 2}, {3, 4, 5, 6}}, {"A", "B"}},
      {{{2, "A"}, {4, "B"}, {5, "C"}}, {{0, 1}, {2, 3}, {4}, {5, 6}}, {"Album", "A", "B", "C"}},
      // A break beyond the items changes nothing.
      {{{9, "X"}}, {{0, 1, 2, 3}, {4, 5, 6}}, {"Album", ""}},
  };
  for (const auto& row : rows) {
    const std::vector<TPageLayout> pages = LayoutPages(settings, items, measures, row.Breaks);
    ASSERT_EQ(pages.size(), row.Pages.size());
    for (size_t p = 0; p < pages.size(); ++p) {
      EXPECT_EQ(pages[p].Items, row.Pages[p]) << p;
      EXPECT_EQ(pages[p].Decorations.Heading ? pages[p].Decorations.HeadingText.Text : "", row.Headings[p]) << p;
      // A page with a heading has the space for it above the pictures.
      EXPECT_EQ(pages[p].Grid.HH > 0, !row.Headings[p].empty()) << p;
    }
  }
}
