// The print check: its resolutions against what pdfimages reads from the exported PDF, and its
// findings for albums whose layout is worked out by hand with fixed font metrics (half an em a
// character: the wrapping font 5 points, a 10-point text 5, a 16-point heading 8).

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "export/PrintCheck.h"
#include "imaging/pictaro/Pictaro.h"
#include "pdf/ImageTestSupport.h"
#include "pdf/PdfTestSupport.h"
#include "support/TestSupport.h"

namespace {

void WritePicture(const std::string& File, int W, int H, int Bits = 24) {
  imgtest::TOwned dib(imgtest::MakePicture(W, H, Bits, Bits == 1 ? std::vector<uint32_t>{0, 0xFFFFFF} : std::vector<uint32_t>{},
                                           [](int X, int Top) { return Top % 7 == 0 ? 0u : X % 2 ? 0x808080u : 1u; }));
  ASSERT_EQ(SaveDib(dib.Dib, File.c_str(), Bits == 1 ? 3 : 7, 0), 1);
}

// pdfimages' resolution along each image's shorter side, in the order of the list.
std::vector<int> PdfImagesPpi(const std::string& Pdf) {
  std::string out;
  EXPECT_EQ(qtest::Run("pdfimages -list " + qtest::Quote(Pdf), &out), 0);
  std::vector<int> ppi;
  std::istringstream lines(out);
  std::string line;
  static const std::regex row(R"(^\s*\d+\s+\d+\s+image\s+(\d+)\s+(\d+)\s+\S+\s+\d+\s+\d+\s+\S+\s+\S+\s+\d+\s+\d+\s+(\d+)\s+(\d+))");
  for (std::smatch m; std::getline(lines, line);)
    if (std::regex_search(line, m, row)) ppi.push_back(std::stoi(m[1]) <= std::stoi(m[2]) ? std::stoi(m[3]) : std::stoi(m[4]));
  return ppi;
}

TEST(PrintCheck, ResolutionsAsPdfImagesReadsThem) {
  QTEST_REQUIRE_PROGRAM("pdfimages");
  qtest::TScratchDir dir;
  std::vector<TExportPhoto> photos;
  const struct {
    int W, H, Bits;
  } pictures[] = {{640, 480, 24}, {300, 900, 24}, {1000, 1000, 24}, {1600, 1200, 1}, {2500, 1400, 24}};
  for (const auto& p : pictures) {
    photos.push_back({dir / ("p" + std::to_string(photos.size()) + (p.Bits == 1 ? ".bmp" : ".jpg")), ""});
    WritePicture(photos.back().FileName, p.W, p.H, p.Bits);
  }
  struct {
    const char* What;
    int32_t Dpi;
    double Bleed;
    bool ZoomIn;
    bool Turned = false;  // photo N turned N - 1 quarter turns
  } rows[] = {
      {"every pixel", 0, 0, false},
      {"150 dpi: the 1-bit picture keeps every pixel", 150, 0, false},
      {"enlarged and clipped", 0, 0, true},
      {"bleed without margins: pictures reach into it", 0, 3, false},
      {"turned, at 300 dpi", 300, 0, false, true},
  };
  for (const auto& row : rows) {
    TLayoutSettings s;
    s.ShowPDFCheck = false;
    s.PictureDpi = row.Dpi;
    s.ZoomInFotosCheck = row.ZoomIn;
    s.Bleed = row.Bleed;
    for (size_t i = 0; i < photos.size(); ++i) photos[i].Turn = row.Turned ? static_cast<int>(i % 4) : 0;
    if (row.Bleed > 0) s.RandXEd = s.RandYEd = s.SpaceHED = s.SpaceVEd = 0, s.CaptionCheck = false;
    ASSERT_TRUE(ExportAlbum(photos, s, dir / "out.pdf", {}).Ok()) << row.What;
    const std::vector<int> expected = PdfImagesPpi(dir / "out.pdf");
    const TPrintCheck check = CheckPrint(photos, s);
    ASSERT_EQ(expected.size(), photos.size()) << row.What;
    ASSERT_EQ(check.Photos.size(), photos.size()) << row.What;
    for (size_t i = 0; i < photos.size(); ++i) {
      EXPECT_NEAR(check.Photos[i].Ppi, expected[i], 1.0) << row.What << ", photo " << i + 1;
      const TResolution rating = expected[i] < 150 ? TResolution::TooLow : expected[i] < 200 ? TResolution::Low : TResolution::Good;
      if (std::abs(expected[i] - 150) > 1 && std::abs(expected[i] - 200) > 1) {
        EXPECT_EQ(check.Photos[i].Rating, rating) << row.What << ", photo " << i + 1;
      }
    }
  }
}

// A4 in 2 x 3 cells of 248 x 227 points, as the export lays it out; the photo of 2000 x 1500 pixels fits
// 248 x 186, far above 200 ppi, a 400 x 300 one has 300 pixels over a box of 185 points: 116 ppi.
TEST(PrintCheck, FindingsOfHandMadeAlbums) {
  const std::string KNoRoomAdvice =
      "Ränder, Abstände, Überschrift und Text lassen dem Bild keine Fläche; verkleinern Sie sie oder wählen Sie "
      "weniger Spalten oder Zeilen.";
  qtest::TScratchDir dir;
  WritePicture(dir / "p.jpg", 2000, 1500);
  WritePicture(dir / "small.jpg", 400, 300);
  qtest::WriteFile(dir / "text.jpg", "kein Bild");
  std::string lines30, lines100;
  for (int i = 0; i < 100; ++i) (i < 30 ? lines30 : lines100) += "a\n";
  lines100 += lines30;
  struct {
    const char* What;
    std::vector<TExportPhoto> Photos;
    std::function<void(TLayoutSettings&)> Set;
    std::vector<std::string> Findings;
    bool Passed;
  } rows[] = {
      {"nothing to find", {{dir / "p.jpg", "Strand"}}, [](TLayoutSettings&) {}, {}, true},
      // The automatic layout keeps each text inside its own place, however tall the place is.
      {"texts in automatic places",
       {{dir / "p.jpg", "Strand"}, {dir / "p.jpg", "Berg"}, {dir / "p.jpg", "See"}, {dir / "p.jpg", "Haus"}},
       [](TLayoutSettings& S) { S.PageLayout = TPageLayoutKind::Auto, S.PhotosPerPage = 4; }, {}, true},
      {"too small", {{dir / "small.jpg", ""}}, [](TLayoutSettings&) {}, {"Foto 1 (small.jpg), Seite 1: 116 ppi, zu gering"}, false},
      // 30 characters wrap as 150 points in one line, and print 300 wide in a 20-point font.
      {"a line wider than the cell", {{dir / "p.jpg", std::string(30, 'x')}}, [](TLayoutSettings& S) { SetFontSize(S.TextFont, 20); },
       {"Foto 1 (p.jpg), Seite 1: Eine Zeile des Textes ist breiter als sein Feld."}, true},
      // 30 lines of 10 points from the cell's top at 90 reach 390, below the cell's bottom at 317.
      // The 30 lines leave the picture no room either: it would vanish.
      {"lines below the cell", {{dir / "p.jpg", lines30}}, [](TLayoutSettings&) {},
       {"Foto 1 (p.jpg), Seite 1: kein Platz für die Fotos. " + KNoRoomAdvice,
        "Foto 1 (p.jpg), Seite 1: Der Text reicht unten über sein Feld hinaus."},
       false},
      {"lines below the page", {{dir / "p.jpg", lines100}}, [](TLayoutSettings&) {},
       {"Foto 1 (p.jpg), Seite 1: kein Platz für die Fotos. " + KNoRoomAdvice,
        "Foto 1 (p.jpg), Seite 1: Der Text reicht unten über den Seitenrand hinaus."},
       false},
      // Cells of 10 points that one text line fills; the photo without a text keeps its picture.
      {"30 rows", {{dir / "p.jpg", ""}, {dir / "p.jpg", "a"}}, [](TLayoutSettings& S) { S.CountXEd = 6, S.CountYEd = 30; },
       {"Foto 2 (p.jpg), Seite 1: kein Platz für die Fotos. " + KNoRoomAdvice}, false},
      // 80 characters of 8 points: 640, wider than the page's 595.
      {"a heading wider than the page", {{dir / "p.jpg", ""}}, [](TLayoutSettings& S) { S.CapED = std::string(80, 'H'); },
       {"Überschrift: Sie ist breiter als die Seite und wird abgeschnitten."}, true},
      // Margins of 2 mm are 5 points: the picture ends 5 points (1.76 mm) from the trim edge.
      {"near the trim edge", {{dir / "p.jpg", ""}}, [](TLayoutSettings& S) { S.Bleed = 3, S.RandXEd = S.RandYEd = 2; },
       {"Foto 1 (p.jpg), Seite 1: Das Bild endet 1,8 mm vor dem Beschnitt, ohne ihn zu berühren."}, true},
      {"missing and unreadable", {{dir / "gone.jpg", ""}, {dir / "text.jpg", ""}, {dir / "p.jpg", ""}}, [](TLayoutSettings&) {},
       {"Foto 1 (gone.jpg): fehlt", "Foto 2 (text.jpg): nicht lesbar"}, false},
      {"settings", {{dir / "p.jpg", ""}}, [](TLayoutSettings& S) { S.PageWidthEd = 9999, S.Bleed = 1; },
       {"Fehler: Mit der Beschnittzugabe von 1 mm auf jeder Seite wäre die Seite 10001 mm breit; mehr als 10000 mm sind "
        "nicht möglich. Verkleinern Sie die Seite oder die Beschnittzugabe."},
       false},
  };
  for (const auto& row : rows) {
    TLayoutSettings s;
    row.Set(s);
    TPrintCheckOptions options;
    options.Metrics = pdftest::FixedMetrics();
    const TPrintCheck check = CheckPrint(row.Photos, s, options);
    EXPECT_TRUE(check.Complete) << row.What;
    std::vector<std::string> found;
    for (const TPrintFinding& f : check.Findings) found.push_back(f.Text);
    EXPECT_EQ(found, row.Findings) << row.What;
    EXPECT_EQ(check.Passed(), row.Passed) << row.What;
  }
}

TEST(PrintCheck, Summaries) {
  TPrintCheck check;
  check.Photos.resize(3);
  EXPECT_EQ(check.Summary(), "Druckprüfung bestanden: 3 Fotos, keine Hinweise.");
  check.Findings.push_back({TFindingKind::Low, false, 1, 1, ""});
  EXPECT_EQ(check.Summary(), "Druckprüfung bestanden: 3 Fotos, 1 Hinweis.");
  check.Findings.push_back({TFindingKind::TooLow, true, 2, 1, ""});
  check.Findings.push_back({TFindingKind::Missing, true, 3, 0, ""});
  EXPECT_EQ(check.Summary(),
            "Druckprüfung nicht bestanden: 1 Foto mit zu geringer Auflösung, 1 Foto fehlt oder ist nicht lesbar; 1 Hinweis.");
}

}  // namespace
