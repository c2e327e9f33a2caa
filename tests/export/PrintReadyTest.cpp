// Albums for print shops, end to end: what a bleed changes and what it must not, read back by
// poppler's pdftoppm; archival PDFs judged by Apache PDFBox's Preflight and read by pdfimages.

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

#include "export/AlbumExport.h"
#include "imaging/pictaro/Pictaro.h"
#include "pdf/ImageTestSupport.h"
#include "support/TaggedPictures.h"
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

// Debian's Preflight with the libraries it needs, judging the files a list names as PDF/A-1b in one
// start of Java, into one XML report beside the list (LIST.preflight.xml); a missing jar fails every row:
// the report then holds no verdict.
const char* const KPreflightGroup =
    "java -cp /usr/share/java/preflight.jar:/usr/share/java/pdfbox2.jar:/usr/share/java/fontbox2.jar:"
    "/usr/share/java/xmpbox.jar:/usr/share/java/commons-logging.jar:/usr/share/java/javax.activation.jar:"
    "/usr/share/java/jaxb-api.jar org.apache.pdfbox.preflight.Validator_A1b xml group ";

// From Preflight's XML report, one file's part: its error codes, each once, in the order of their
// text, and whether it is valid. False when the report names no such file.
bool PreflightVerdict(const std::string& Report, const std::string& Name, std::string& Codes, bool& Valid) {
  const size_t start = Report.find("<preflight name=\"" + Name + "\">");
  if (start == std::string::npos) return false;
  const size_t end = Report.find("</preflight>", start);
  const std::string part = Report.substr(start, end == std::string::npos ? std::string::npos : end - start);
  Valid = part.find(">true</isValid>") != std::string::npos;
  std::set<std::string> seen;
  Codes.clear();
  const std::regex code(R"(<code>([^<]*)</code>)");
  for (auto it = std::sregex_iterator(part.begin(), part.end(), code); it != std::sregex_iterator(); ++it)
    seen.insert((*it)[1]);
  for (const std::string& c : seen) Codes += (Codes.empty() ? "" : " ") + c;
  return true;
}

// The first group Row finds in each line Command prints for Pdf, joined by spaces (each once only when
// Once); the whole output in Out.
std::string Column(const std::string& Command, const std::string& Pdf, const std::regex& Row,
                   std::string& Out, bool Once = false) {
  qtest::Run(Command + qtest::Quote(Pdf) + " 2>&1", &Out);
  std::set<std::string> seen;
  std::string cells, line;
  std::istringstream lines(Out);
  for (std::smatch m; std::getline(lines, line);)
    if (std::regex_search(line, m, Row) && (seen.insert(m[1]).second || !Once))
      cells += (cells.empty() ? "" : " ") + m[1].str();
  return cells;
}

// PDF/A-1b as a print service checks it: Preflight finds nothing (every font embedded, with
// "Schriften einbetten" off, among the rest), for texts in several scripts, 1-bit and grey pictures, pictures
// with profiles of ICC version 2 (kept as ICCBased) and 4 (converted: PDF 1.4 knows no version 4), CMYK
// (converted), a damaged profile (dropped: the picture counts as sRGB) and a transparent PNG (onto the page).
// The JPEGs go in as they are where PDF/A allows it. With PDF/A-2b the same albums fail Preflight's PDF/A-1
// rules only where the parts differ: the part number, the subsets' CIDSets, which part 2 does not ask for,
// and the version 4 profile it keeps.
TEST(PrintReady, ArchivalPdfsPassPreflight) {
  QTEST_REQUIRE_PROGRAM("java");
  QTEST_REQUIRE_PROGRAM("pdfimages");
  QTEST_REQUIRE_PHOTOS();
  using namespace qtest;  // the tagged pictures' formats and profiles
  qtest::TScratchDir dir;
  const qtest::TTestPixels pixels = qtest::PatchPixels({0xFF0000, 0x00FF00, 0x0000FF, 0x808080}, 16);
  const auto tagged = [&](const std::string& Name, TTestFormat Format, const std::string& Icc) {
    qtest::WriteFile(dir / Name, qtest::TaggedPicture(Format, pixels, Icc));
    return dir / Name;
  };
  WritePhoto(dir / "plain.jpg", 64, 40);
  std::string damaged = qtest::TestProfile(TTestProfile::AdobeRgb);
  damaged.replace(128, 4, "\xFF\xFF\xFF\x7F");  // the tag count: far more tags than the profile holds
  const std::vector<TExportPhoto> scripts = {{dir / "plain.jpg", "Kairo – القاهرة"},
                                             {dir / "plain.jpg", "東京 – 서울"},
                                             {dir / "plain.jpg", "मुंबई, Ελλάδα"}};
  const std::vector<TExportPhoto> pictures = {
      {tagged("adobe.jpg", TTestFormat::Jpeg, qtest::TestProfile(TTestProfile::AdobeRgb)), ""},
      {tagged("p3.jpg", TTestFormat::Jpeg, qtest::TestProfile(TTestProfile::DisplayP3)), ""},
      {qtest::PhotosDir() / "formats/f14_jpeg-cmyk.jpg", ""},
      {tagged("damaged.jpg", TTestFormat::Jpeg, damaged), ""},
      {tagged("alpha.png", TTestFormat::PngAlpha, qtest::TestProfile(TTestProfile::AdobeRgb)), ""},
      {qtest::PhotosDir() / "formats/f08_bmp-1bit.bmp", ""},
      {tagged("grey.jpg", TTestFormat::JpegGrey, ""), ""}};
  const struct {
    const char* What;
    TPdfA Level;
    const std::vector<TExportPhoto>& Photos;
    double Bleed;
    const char* Heading;
    const char* Colours;  // pdfimages' colour column
    const char* Errors;   // Preflight's error codes, each once, in the order of their text; empty: valid
  } rows[] = {
      {"scripts", TPdfA::A1b, scripts, 3, "Reise – 旅行", "rgb rgb rgb", ""},
      {"pictures, an empty heading", TPdfA::A1b, pictures, 0, "", "icc rgb rgb rgb icc gray gray", ""},
      {"2b scripts", TPdfA::A2b, scripts, 0, "Reise – 旅行", "rgb rgb rgb", "3.1.11 7.11.2"},
      {"2b pictures", TPdfA::A2b, pictures, 0, "", "icc icc rgb rgb icc gray gray", "2.1.6 3.1.11 7.11.2"},
  };
  std::string list;
  for (size_t k = 0; k < std::size(rows); ++k) {
    const auto& row = rows[k];
    TLayoutSettings settings;
    settings.KeepJpeg = true;
    settings.PdfA = row.Level;
    settings.Bleed = row.Bleed;
    settings.CapED = row.Heading;
    const std::string pdf = dir / ("row" + std::to_string(k) + ".pdf");
    const TExportResult result = ExportAlbum(row.Photos, settings, pdf, {});
    ASSERT_TRUE(result.Ok()) << row.What << ": " << result.Message;
    std::string out;
    EXPECT_EQ(
        Column("pdfimages -list ", pdf, std::regex(R"(^\s*\d+\s+\d+\s+image\s+\d+\s+\d+\s+(\S+))"), out),
        row.Colours)
        << row.What << "\n"
        << out;
    list += pdf + "\n";
  }
  // Every file judged in one start of Java.
  qtest::WriteFile(dir / "list", list);
  std::string out;
  qtest::Run(KPreflightGroup + qtest::Quote(dir / "list") + " 2>&1", &out);
  const std::string report = qtest::ReadFile(dir / "list.preflight.xml");
  for (size_t k = 0; k < std::size(rows); ++k) {
    const auto& row = rows[k];
    std::string codes;
    bool valid = false;
    ASSERT_TRUE(PreflightVerdict(report, "row" + std::to_string(k) + ".pdf", codes, valid))
        << row.What << "\n" << out << "\n" << report;
    EXPECT_EQ(codes, row.Errors) << row.What << "\n" << report;
    EXPECT_EQ(valid, !*row.Errors) << row.What << "\n" << report;
  }
}

}  // namespace
