// Print-size albums end to end: a resolution limit scales the pictures down to what their place on the
// page needs and changes nothing else, and JPEG files go into the PDF as their own bytes where a
// reader shows them as they are. Checked byte by byte, by qpdf, and by what pdftoppm renders.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <regex>

#include "export/AlbumExport.h"
#include "imaging/pictaro/Pictaro.h"
#include "pdf/ImageTestSupport.h"
#include "pdf/PdfTestSupport.h"
#include "platform/FileVerdicts.h"
#include "support/TestSupport.h"

namespace {

using TPixelFn = std::function<uint32_t(int, int)>;  // 0xRRGGBB of pixel (x, top)

// Four flat quadrants on 16 x 16 blocks, which JPEG keeps nearly intact: a turned or mirrored picture
// shows at once.
uint32_t Quadrants(int X, int Top, int W, int H) {
  const bool right = X >= W / 2, bottom = Top >= H / 2;
  return bottom ? (right ? 0xFFFFFF : 0x0000FF) : (right ? 0x00FF00 : 0xFF0000);
}

void WritePicture(const std::string& File, int W, int H, int Bits, int Format, const TPixelFn& Pixel) {
  const std::vector<uint32_t> colours =
      Bits == 1 ? std::vector<uint32_t>{0x000000, 0xFFFFFF} : std::vector<uint32_t>{};
  imgtest::TOwned dib(imgtest::MakePicture(W, H, Bits, colours, Pixel));
  ASSERT_EQ(SaveDib(dib.Dib, File.c_str(), Format, 0), 1);
}

void WritePpm(const std::string& File, int W, int H, const TPixelFn& Pixel) {
  std::string ppm = "P6\n" + std::to_string(W) + " " + std::to_string(H) + "\n255\n";
  for (int top = 0; top < H; ++top)
    for (int x = 0; x < W; ++x)
      for (int shift : {16, 8, 0}) ppm += static_cast<char>(Pixel(x, top) >> shift);
  qtest::WriteFile(File, ppm);
}

// The JPEG bytes with an EXIF orientation tag in an APP1 segment after the start marker.
std::string WithOrientation(std::string Jpeg, int Orientation) {
  std::string app1(
      "\xFF\xE1\x00\x22"
      "Exif\0\0"
      "II\x2A\x00\x08\x00\x00\x00"
      "\x01\x00"
      "\x12\x01\x03\x00\x01\x00\x00\x00\x06\x00\x00\x00"
      "\x00\x00\x00\x00",
      36);
  app1[28] = static_cast<char>(Orientation);
  return Jpeg.insert(2, app1);
}

struct TImage {
  std::string Dictionary, Data;
  int Width = 0, Height = 0;
};

// The image objects of Pdf in file order, which is the order of their names /Im0, /Im1, ...
std::vector<TImage> Images(const std::string& Pdf) {
  std::vector<TImage> images;
  static const std::regex size(R"(/Width (\d+) /Height (\d+))"), length(R"(/Length (\d+))");
  for (size_t at = 0; (at = Pdf.find("/Subtype /Image", at)) != std::string::npos; ++at) {
    const size_t start = Pdf.rfind(" 0 obj\n", at), end = Pdf.find("\nstream\n", at);
    TImage image;
    image.Dictionary = Pdf.substr(start, end - start);
    std::smatch m;
    if (!std::regex_search(image.Dictionary, m, size)) continue;
    image.Width = std::stoi(m[1]), image.Height = std::stoi(m[2]);
    std::regex_search(image.Dictionary, m, length);
    // A JPEG stream's length counts the line feed after its data.
    const bool dct = image.Dictionary.find("/DCTDecode") != std::string::npos;
    image.Data = Pdf.substr(end + 8, std::stoul(m[1]) - (dct ? 1 : 0));
    images.push_back(image);
  }
  return images;
}

// The placement matrices of the pictures on page Page, in the order drawn.
std::vector<std::string> PagePlacements(const std::string& Pdf, int Page) {
  std::vector<std::string> placements;
  static const std::regex cm(R"(q\n([-\d ]+) cm\n/Im\d+ Do\n)");
  const std::string operators = pdftest::PageOperators(Pdf, Page);
  for (std::sregex_iterator it(operators.begin(), operators.end(), cm), end; it != end; ++it)
    placements.push_back((*it)[1]);
  return placements;
}

// The placement matrix of every picture, page after page, in the order drawn.
std::vector<std::string> Placements(const std::string& Pdf) {
  std::vector<std::string> placements;
  int pages = 0;
  for (size_t at = 0; (at = Pdf.find("\n/Type /Page\n", at)) != std::string::npos; ++at) ++pages;
  for (int page = 1; page <= pages; ++page) {
    const std::vector<std::string> more = PagePlacements(Pdf, page);
    placements.insert(placements.end(), more.begin(), more.end());
  }
  return placements;
}

// The colours Raster (page Page of Pdf, 841 points high, at 72 dpi) shows at the middle of each
// quarter of every upright placement's box: top left, top right, bottom left, bottom right.
std::vector<uint32_t> QuarterColours(const std::string& Pdf, int Page, const imgtest::TRaster& Raster) {
  std::vector<uint32_t> colours;
  for (const std::string& matrix : PagePlacements(Pdf, Page)) {
    int w = 0, h = 0, x = 0, y = 0;
    if (std::sscanf(matrix.c_str(), "%d 0 0 %d %d %d", &w, &h, &x, &y) != 4) continue;
    for (const auto& [across, up] : {std::pair{1, 3}, std::pair{3, 3}, std::pair{1, 1}, std::pair{3, 1}})
      colours.push_back(Raster.At(x + w * across / 4, 841 - (y + h * up / 4)));
  }
  return colours;
}

// The share of pixels of the pages that differ by more than Tolerance in some channel, and the mean
// channel difference, between two renderings.
struct TDifference {
  double Share = 1, Mean = 255;
};
TDifference Compare(const imgtest::TRaster& A, const imgtest::TRaster& B, int Tolerance) {
  TDifference d;
  if (A.Width != B.Width || A.Height != B.Height || A.Rgb.empty()) return d;
  size_t differing = 0;
  double sum = 0;
  for (size_t p = 0; p < A.Rgb.size(); p += 3) {
    int worst = 0;
    for (size_t c = 0; c < 3; ++c) {
      const int diff = std::abs(int(A.Rgb[p + c]) - int(B.Rgb[p + c]));
      worst = std::max(worst, diff);
      sum += diff;
    }
    if (worst > Tolerance) ++differing;
  }
  d.Share = double(differing) / double(A.Rgb.size() / 3);
  d.Mean = sum / double(A.Rgb.size());
  return d;
}

class PrintSize : public ::testing::Test {
 protected:
  void SetUp() override {
    QTEST_REQUIRE_PROGRAM("qpdf");
    Options.Metrics = pdftest::FixedMetrics();
    Settings.CaptionOnAllPages = false;  // cells on page 1 are lower than on the later pages
  }

  // Exports Names with the settings, each photo's text its name; returns the PDF's bytes.
  std::string Export(const std::vector<std::string>& Names, const std::string& Out, int32_t Dpi, bool Keep,
                     int32_t Unreadable = 0, const std::vector<int>& Turns = {}) {
    std::vector<TExportPhoto> photos;
    for (const std::string& name : Names)
      photos.push_back({Dir / name, "Foto " + name, Turns.empty() ? 0 : Turns[photos.size()]});
    TLayoutSettings settings = Settings;
    settings.PictureDpi = Dpi;
    settings.KeepJpeg = Keep;
    const TExportResult r = ExportAlbum(photos, settings, Dir / Out, Options);
    EXPECT_TRUE(r.Ok()) << r.Message;
    EXPECT_EQ(r.Missing, 0);
    EXPECT_EQ(r.Unreadable, Unreadable);
    pdftest::ExpectQpdfClean(Dir / Out);
    return qtest::ReadFile(Dir / Out);
  }

  // Twelve JPEGs as Dir / Names: nine files libjpeg refuses, then one it only warns about (bytes between
  // the scan and the end marker), one whose colours readers would take for YCbCr although libjpeg reads
  // RGB, and a clean one. Returns their bytes; none when cjpeg failed (a failure reported here).
  std::vector<std::string> DamagedKinds() {
    WritePpm(Dir / "q.ppm", 64, 48, [](int x, int top) { return Quadrants(x, top, 64, 48); });
    for (const char* kind : {"-baseline", "-rgb"})
      EXPECT_EQ(qtest::Run("cjpeg " + std::string(kind) + " -outfile " + qtest::Quote(Dir / (kind + 1)) + " " +
                           qtest::Quote(Dir / "q.ppm")),
                0);
    const std::string clean = qtest::ReadFile(Dir / "baseline");
    const auto at = [&](const char* Marker) { return clean.find(std::string("\xFF") + Marker); };
    const auto length = [](const std::string& J, size_t P) {
      return 2 + uint8_t(J[P + 2]) * 256 + uint8_t(J[P + 3]);
    };
    const size_t sof = at("\xC0"), sos = at("\xDA"), dht = at("\xC4"), data = sos + length(clean, sos);
    EXPECT_TRUE(sof < sos && dht < sos && sos < clean.size());
    const size_t middle = data + (clean.size() - 2 - data) / 2;
    std::string noDqt = clean, twoSof = clean, badSelector = clean, zeroSampling = clean, badDht = clean,
                tall = clean, rgb = qtest::ReadFile(Dir / "rgb");
    for (size_t p; (p = noDqt.find("\xFF\xDB")) != std::string::npos;) noDqt.erase(p, length(noDqt, p));
    twoSof.insert(sof, clean.substr(sof, length(clean, sof)));
    badSelector[sos + 5] = 9;                 // the first scan component names one the frame lacks
    zeroSampling[sof + 11] = 0x01;            // horizontal sampling factor 0
    badDht.replace(dht + 5, 16, 16, '\x20');  // 512 codes where at most 256 fit
    tall[sof + 5] = char(tall[sof + 5] + 1);  // 256 rows more than the data holds
    const size_t adobe = rgb.find("\xFF\xEE");
    if (adobe == std::string::npos) {
      ADD_FAILURE() << "cjpeg -rgb wrote no Adobe marker";
      return {};
    }
    rgb.replace(adobe, length(rgb, adobe), std::string("\xFF\xE0\x00\x09JFIF\x00\x01\x01", 11));
    const std::string cut = clean.substr(0, middle), eoi = "\xFF\xD9";
    // Nine files libjpeg refuses, then one it only warns about (bytes between the scan and the end
    // marker), the RGB one, and the clean one.
    std::vector<std::string> rows = {noDqt,       twoSof,
                                badSelector, zeroSampling,
                                badDht,      cut,
                                cut + eoi,   cut + eoi + clean.substr(middle),
                                tall,        clean.substr(0, clean.size() - 2) + std::string(16, 'Z') + eoi,
                                rgb,         clean};
    Names.clear();
    for (const std::string& row : rows) {
      Names.push_back("row" + std::to_string(Names.size()) + ".jpg");
      qtest::WriteFile(Dir / Names.back(), row);
    }
    return rows;
  }
  std::vector<std::string> Names;

  qtest::TScratchDir Dir;
  TLayoutSettings Settings = FirstStartSettings();
  TExportOptions Options;
};

}  // namespace

// Under "Druck" and "Bildschirm" every picture is placed exactly as under "Original"; one with more
// pixels than its place allows has exactly as many as it allows (each side on its own), one within the
// limit, and every black-and-white one, is written byte for byte as under "Original". Rendered, the
// pages look the same.
TEST_F(PrintSize, LimitScalesDownToThePlaceAndChangesNothingElse) {
  const auto pattern = [](int x, int top) {
    return uint32_t((x * 7) & 0xFF) << 16 | uint32_t((top * 5) & 0xFF) << 8 | 0x40;
  };
  WritePicture(Dir / "wide.jpg", 400, 300, 24, 7, pattern);
  WritePicture(Dir / "wide.bmp", 400, 300, 24, 3, pattern);  // not a JPEG: decoded whole, then scaled
  WritePicture(Dir / "small.jpg", 40, 30, 24, 7, pattern);
  WritePicture(Dir / "turned.jpg", 400, 300, 24, 7, pattern);
  qtest::WriteFile(Dir / "turned.jpg", WithOrientation(qtest::ReadFile(Dir / "turned.jpg"), 6));
  WritePicture(Dir / "bw.bmp", 400, 300, 1, 3,
               [](int x, int top) { return uint32_t((x / 3 + top / 5) & 1); });
  qtest::WriteFile(Dir / "broken.jpg", "\xFF\xD8\xFF not a picture");  // its copies are skipped
  const std::vector<std::string> names = {"wide.jpg",  "broken.jpg", "wide.bmp",
                                          "small.jpg", "turned.jpg", "bw.bmp"};
  const std::vector<std::string> placed = {"wide.jpg", "wide.bmp", "small.jpg", "turned.jpg", "bw.bmp"};
  const std::pair<int, int> upright[] = {{400, 300}, {400, 300}, {40, 30}, {300, 400}, {400, 300}};
  // Six columns 73 points wide, four rows, every photo five times: two pages.
  Settings.CountXEd = 6;
  Settings.CountYEd = 4;
  Settings.XMalEd = 5;

  const std::string original = Export(names, "original.pdf", 0, false, 1);
  const std::vector<TImage> originalImages = Images(original);
  const std::vector<std::string> placements = Placements(original);
  ASSERT_EQ(originalImages.size(), 25u);
  ASSERT_EQ(placements.size(), 25u);
  const imgtest::TRaster originalPage = imgtest::Render(Dir / "original.pdf", Dir, 1);
  for (const int dpi : {300, 150}) {
    SCOPED_TRACE(dpi);
    const std::string name = std::to_string(dpi) + ".pdf";
    const std::string pdf = Export(names, name, dpi, false, 1);
    EXPECT_EQ(Placements(pdf), placements);
    const std::vector<TImage> images = Images(pdf);
    ASSERT_EQ(images.size(), 25u);
    size_t scaled = 0;
    for (size_t k = 0; k < images.size(); ++k) {
      SCOPED_TRACE(placed[k / 5] + " " + placements[k]);
      int boxWidth = 0, boxHeight = 0;  // the placed rectangle is one point larger than the matrix's box
      ASSERT_EQ(std::sscanf(placements[k].c_str(), "%d 0 0 %d", &boxWidth, &boxHeight), 2);
      const auto limit = [dpi](int Points) { return static_cast<int>(std::ceil((Points + 1) * dpi / 72.0)); };
      const bool bilevel = placed[k / 5] == "bw.bmp";
      const int width = bilevel ? upright[k / 5].first : std::min(upright[k / 5].first, limit(boxWidth));
      const int height = bilevel ? upright[k / 5].second : std::min(upright[k / 5].second, limit(boxHeight));
      EXPECT_EQ(images[k].Width, width);
      EXPECT_EQ(images[k].Height, height);
      if (width == upright[k / 5].first && height == upright[k / 5].second) {
        EXPECT_TRUE(images[k].Dictionary == originalImages[k].Dictionary &&
                    images[k].Data == originalImages[k].Data);
      } else {
        ++scaled;
      }
    }
    // At 300 dpi the turned photo's 300 x 400 pixels fit its place; at 150 dpi they do not.
    EXPECT_EQ(scaled, dpi == 300 ? 10u : 15u);
    const TDifference d = Compare(imgtest::Render(Dir / name, Dir, 1), originalPage, 48);
    EXPECT_LT(d.Mean, 2.0);
    EXPECT_LT(d.Share, 0.01);
  }
}

// With pass-through every JPEG that a reader shows as it is goes in as the file's bytes, one of one
// component as grey, and whatever its orientation tag says, the page shows it as the decoded picture
// turned upright does.
TEST_F(PrintSize, KeptJpegFilesAreTheirBytesAndShowUpright) {
  QTEST_REQUIRE_PROGRAM("cjpeg");
  std::vector<std::string> names;
  const auto quadrants = [](int x, int top) { return Quadrants(x, top, 64, 48); };
  WritePicture(Dir / "base.jpg", 64, 48, 24, 7, quadrants);
  for (int orientation = 1; orientation <= 8; ++orientation) {
    names.push_back("o" + std::to_string(orientation) + ".jpg");
    qtest::WriteFile(Dir / names.back(), WithOrientation(qtest::ReadFile(Dir / "base.jpg"), orientation));
  }
  WritePpm(Dir / "q.ppm", 64, 48, quadrants);
  for (const char* kind : {"rgb", "grayscale", "progressive"}) {
    names.push_back(std::string(kind) + ".jpg");
    ASSERT_EQ(qtest::Run(std::string("cjpeg -") + kind + " -outfile " + qtest::Quote(Dir / names.back()) +
                         " " + qtest::Quote(Dir / "q.ppm")),
              0);
  }
  const std::string decoded = Export(names, "decoded.pdf", 0, false);
  const std::string kept = Export(names, "kept.pdf", 0, true);
  const std::vector<TImage> images = Images(kept);
  ASSERT_EQ(images.size(), names.size());
  for (size_t k = 0; k < names.size(); ++k) {
    SCOPED_TRACE(names[k]);
    EXPECT_TRUE(images[k].Data == qtest::ReadFile(Dir / names[k]));
    EXPECT_EQ(images[k].Dictionary.find("/DeviceGray") != std::string::npos, names[k] == "grayscale.jpg");
  }
  // Upright pictures are placed as when decoded; the others only by their matrix.
  const std::vector<std::string> turned = Placements(kept), plain = Placements(decoded);
  ASSERT_EQ(turned.size(), plain.size());
  for (size_t k = 0; k < plain.size(); ++k) {
    if (k == 0 || k >= 8) {
      EXPECT_EQ(turned[k], plain[k]) << names[k];
    }
  }
  // Each quarter of each picture shows the colour the decoded picture has there, in the same place.
  for (int page = 1; page <= 2; ++page) {
    const std::vector<uint32_t> want =
        QuarterColours(decoded, page, imgtest::Render(Dir / "decoded.pdf", Dir, page));
    const std::vector<uint32_t> got =
        QuarterColours(decoded, page, imgtest::Render(Dir / "kept.pdf", Dir, page));
    ASSERT_EQ(got.size(), want.size());
    EXPECT_EQ(want.size(), page == 1 ? 24u : 20u);
    for (size_t i = 0; i < want.size(); ++i)
      EXPECT_TRUE(imgtest::Near(got[i], want[i], 40))
          << names[(page - 1) * 6 + i / 4] << " quarter " << i % 4;
  }
}

// Pass-through falls back to encoding the decoded picture, exactly as without it, for a JPEG a reader
// would not show as it is (four components, arithmetic coding) and where a picture has more pixels than
// its place allows, which for one photo may differ from page to page; a file that cannot be decoded
// (12 bits, lossless, cut short) is left out as without it.
TEST_F(PrintSize, WhatCannotGoInAsItIsIsEncodedAsWithoutPassThrough) {
  QTEST_REQUIRE_PROGRAM("cjpeg");
  QTEST_REQUIRE_PROGRAM("convert");
  const auto pattern = [](int x, int top) { return Quadrants(x, top, 400, 300) ^ uint32_t(x * 3 + top); };
  WritePpm(Dir / "p.ppm", 400, 300, pattern);
  ASSERT_EQ(
      qtest::Run("cjpeg -outfile " + qtest::Quote(Dir / "wide.jpg") + " " + qtest::Quote(Dir / "p.ppm")), 0);
  ASSERT_EQ(qtest::Run("cjpeg -arithmetic -outfile " + qtest::Quote(Dir / "arithmetic.jpg") + " " +
                       qtest::Quote(Dir / "p.ppm")),
            0);
  ASSERT_EQ(
      qtest::Run("convert -size 64x48 plasma:fractal -colorspace CMYK " + qtest::Quote(Dir / "cmyk.jpg")), 0);
  WritePicture(Dir / "small.jpg", 40, 30, 24, 7, pattern);
  WritePicture(Dir / "tall.jpg", 60, 1500, 24, 7, pattern);
  const std::string small = qtest::ReadFile(Dir / "small.jpg");
  std::string twelve = small, lossless = small;
  const size_t frame = small.find("\xFF\xC0");
  ASSERT_NE(frame, std::string::npos);
  twelve[frame + 4] = 12;
  lossless[frame + 1] = '\xC3';
  qtest::WriteFile(Dir / "twelve.jpg", twelve);
  qtest::WriteFile(Dir / "lossless.jpg", lossless);
  qtest::WriteFile(Dir / "cut.jpg", small.substr(0, small.size() - 2));
  const std::vector<std::string> names = {"cmyk.jpg", "arithmetic.jpg", "twelve.jpg", "lossless.jpg",
                                          "cut.jpg",  "wide.jpg",       "small.jpg",  "tall.jpg",
                                          "tall.jpg", "tall.jpg",       "tall.jpg"};
  // One row of six cells 73 points wide, under a heading on page 1 only: at 150 dpi wide.jpg's 400
  // pixels are too many, small.jpg's 40 not, and tall.jpg's 60 x 1500 too many for page 1's cells
  // (27 x 699 points: 57 x 1457 pixels) but not for the later pages' (29 x 747 points: 61 x 1557).
  Settings.CountXEd = 6;
  Settings.CountYEd = 1;

  const std::string encoded = Export(names, "encoded.pdf", 150, false, 3);
  const std::string kept = Export(names, "kept.pdf", 150, true, 3);
  EXPECT_EQ(Placements(kept), Placements(encoded));
  const std::vector<TImage> a = Images(encoded), b = Images(kept);
  ASSERT_EQ(a.size(), 8u);
  ASSERT_EQ(b.size(), 8u);
  for (size_t k : {0, 1, 2, 4, 5}) {
    EXPECT_TRUE(b[k].Dictionary == a[k].Dictionary && b[k].Data == a[k].Data) << k;
    EXPECT_NE(b[k].Dictionary.find("/DeviceRGB"), std::string::npos) << k;
  }
  EXPECT_LT(b[2].Width, 400);
  EXPECT_EQ(b[4].Width, 57);
  EXPECT_EQ(b[4].Height, 1457);
  EXPECT_TRUE(b[3].Data == small);
  for (size_t k : {6, 7}) EXPECT_TRUE(b[k].Data == qtest::ReadFile(Dir / "tall.jpg")) << k;
}

// A photo the user turned: kept as its bytes, it turns by the matrix alone, and shows exactly as the
// decoded picture turned by the same quarters (which the imaging tests hold against ImageMagick).
TEST_F(PrintSize, TurnedPhotosKeepTheirBytesAndTurnInTheMatrix) {
  QTEST_REQUIRE_PROGRAM("cjpeg");
  const auto quadrants = [](int x, int top) { return Quadrants(x, top, 64, 48); };
  WritePicture(Dir / "base.jpg", 64, 48, 24, 7, quadrants);
  const std::vector<std::string> names = {"o1.jpg", "o6.jpg", "o2.jpg", "o8.jpg"};
  const std::vector<int> turns = {1, 1, 2, 3};
  for (const std::string& name : names)
    qtest::WriteFile(Dir / name, WithOrientation(qtest::ReadFile(Dir / "base.jpg"), name[1] - '0'));
  const std::string decoded = Export(names, "decoded.pdf", 0, false, 0, turns);
  const std::string kept = Export(names, "kept.pdf", 0, true, 0, turns);
  const std::vector<TImage> images = Images(kept);
  ASSERT_EQ(images.size(), names.size());
  for (size_t k = 0; k < names.size(); ++k)
    EXPECT_TRUE(images[k].Data == qtest::ReadFile(Dir / names[k])) << names[k];
  const std::vector<uint32_t> want = QuarterColours(decoded, 1, imgtest::Render(Dir / "decoded.pdf", Dir, 1));
  const std::vector<uint32_t> got = QuarterColours(decoded, 1, imgtest::Render(Dir / "kept.pdf", Dir, 1));
  ASSERT_EQ(want.size(), 16u);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i)
    EXPECT_TRUE(imgtest::Near(got[i], want[i], 40)) << names[i / 4] << " quarter " << i % 4;
}

// Pass-through takes only files libjpeg reads without a single warning. A damaged file is unreadable
// under every setting, or placed re-encoded where libjpeg only warns, as without pass-through; so is
// a file whose colours readers would take for YCbCr although libjpeg reads RGB (a JFIF marker of
// fewer than its 14 bytes, components named R, G, B), which must show its own colours.
TEST_F(PrintSize, DamagedJpegsNeverGoInAsTheyAre) {
  QTEST_REQUIRE_PROGRAM("cjpeg");
  const std::vector<std::string> rows = DamagedKinds();
  ASSERT_EQ(rows.size(), 12u);
  const std::vector<std::string>& names = Names;
  for (const auto& [dpi, keep] : {std::pair{0, true}, {0, false}, {150, true}, {150, false}}) {
    SCOPED_TRACE(std::to_string(dpi) + " dpi" + (keep ? ", pass-through" : ""));
    const std::string pdf = Export(names, "out.pdf", dpi, keep, 9);
    const std::vector<TImage> images = Images(pdf);
    ASSERT_EQ(images.size(), 3u);
    for (size_t k = 0; k < 3; ++k)
      EXPECT_EQ(images[k].Data == rows[9 + k], keep && k == 2) << k;  // only the clean file as it is
    // The RGB file's quarters: red, green, blue, white.
    const std::vector<uint32_t> colours = QuarterColours(pdf, 1, imgtest::Render(Dir / "out.pdf", Dir, 1));
    ASSERT_EQ(colours.size(), 12u);
    for (int q = 0; q < 4; ++q)
      EXPECT_TRUE(imgtest::Near(colours[4 + q], Quadrants(q % 2 * 32, q / 2 * 24, 64, 48), 40)) << q;
  }
}

// With the verdicts remembered, a second export of the same files takes the same ones as they are
// without checking them again, and a cache that cannot be written changes nothing but that.
TEST_F(PrintSize, RememberedVerdictsGiveTheSameAlbum) {
  QTEST_REQUIRE_PROGRAM("cjpeg");
  const std::vector<std::string> rows = DamagedKinds();
  ASSERT_EQ(rows.size(), 12u);
  qtest::WriteFile(Dir / "blocked", "a file where the cache folder would be");
  for (const std::string& file : {Dir / "cache/quirvel/jpeg-checks", Dir / "blocked/quirvel/jpeg-checks"}) {
    SCOPED_TRACE(file);
    TFileVerdicts verdicts(file, 0);
    Options.CleanJpegs = &verdicts;
    for (int run = 0; run < 2; ++run) {
      const std::vector<TImage> images = Images(Export(Names, "out.pdf", 0, true, 9));
      ASSERT_EQ(images.size(), 3u);
      for (size_t k = 0; k < 3; ++k) EXPECT_EQ(images[k].Data == rows[9 + k], k == 2) << run << " " << k;
    }
  }
  // The clean file and the one libjpeg warns about, as the cache file names them.
  const std::string cache = qtest::ReadFile(Dir / "cache/quirvel/jpeg-checks");
  EXPECT_NE(cache.find("clean\t"), std::string::npos) << cache;
  EXPECT_NE(cache.find("damaged\t"), std::string::npos) << cache;
  EXPECT_NE(cache.find("/row11.jpg\n"), std::string::npos) << cache;
  EXPECT_NE(cache.find("/row9.jpg\n"), std::string::npos) << cache;
  Options.CleanJpegs = nullptr;
}

// A remembered verdict holds only while the file stays exactly as it was. Each row writes a cache file
// by hand that calls the file libjpeg warns about clean, changes the file in one way (its damage
// stays), and exports it with pass-through: only the unchanged file is taken on the cache's word.
TEST_F(PrintSize, AChangedFileIsCheckedAgain) {
  QTEST_REQUIRE_PROGRAM("cjpeg");
  const std::vector<std::string> rows = DamagedKinds();
  ASSERT_EQ(rows.size(), 12u);
  const std::string warned = rows[9];
  const auto setModified = [](const std::string& File, long Nanos) {
    const struct timespec times[2] = {{1700000000, Nanos}, {1700000000, Nanos}};
    ASSERT_EQ(::utimensat(AT_FDCWD, File.c_str(), times, 0), 0);
  };
  struct TRow {
    const char* Change;
    std::function<void(const std::string& File)> Apply;
    const char* Exported;  // the name the album gives
    bool AsItIs;
  };
  const TRow rows2[] = {
      {"none", [](const std::string&) {}, "w.jpg", true},
      {"modified within the same second", [&](const std::string& F) { setModified(F, 2); }, "w.jpg", false},
      {"one byte longer, after the end marker",
       [&](const std::string& F) {
         qtest::WriteFile(F, warned + "!");
         setModified(F, 1);
       },
       "w.jpg", false},
      {"replaced by a copy with the same time",
       [&](const std::string& F) {
         qtest::WriteFile(F + ".new", warned);
         setModified(F + ".new", 1);
         std::filesystem::rename(F + ".new", F);
       },
       "w.jpg", false},
      {"the same file under another name", [](const std::string& F) { ::link(F.c_str(), (F + ".jpg").c_str()); },
       "w.jpg.jpg", false},
  };
  for (const TRow& row : rows2) {
    SCOPED_TRACE(row.Change);
    const std::string file = Dir / "w.jpg";
    std::filesystem::remove(file);
    std::filesystem::remove(file + ".jpg");
    qtest::WriteFile(file, warned);
    setModified(file, 1);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    const std::string path = std::filesystem::weakly_canonical(file).string();
    qtest::WriteFile(Dir / "checks", "quirvel-verdicts 1\nclean\t" + std::to_string(st.st_dev) + "\t" +
                                         std::to_string(st.st_ino) + "\t" + std::to_string(st.st_size) +
                                         "\t1700000000\t1\t" + std::to_string(st.st_ctim.tv_sec) + "\t" +
                                         std::to_string(st.st_ctim.tv_nsec) + "\t" + path + "\n");
    row.Apply(file);
    TFileVerdicts verdicts(Dir / "checks", 0);
    Options.CleanJpegs = &verdicts;
    const std::vector<TImage> images = Images(Export({row.Exported}, "out.pdf", 0, true));
    Options.CleanJpegs = nullptr;
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].Data == warned, row.AsItIs);
  }
}
