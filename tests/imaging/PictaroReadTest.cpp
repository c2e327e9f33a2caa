// Reading pictures: every file of the photo corpus's formats folder, variants made with ImageMagick
// for the paths the corpus leaves out, the eight EXIF orientations and progress reports. ImageMagick's
// own decoding (upright, over white) is the reference.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "PictureOracle.h"
#include "imaging/pictaro/Pictaro.h"
#include "platform/ProgressSink.h"
#include "support/TestSupport.h"

namespace {

struct TManifestRow {
  std::string File, Format, Type, BmpBits;
  int Width = 0, Height = 0;
};

std::vector<TManifestRow> FormatRows(const std::filesystem::path& Dir) {
  std::vector<TManifestRow> rows;
  std::ifstream in(Dir / "manifest.tsv");
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::stringstream s(line);
    for (std::string cell; std::getline(s, cell, '\t');) f.push_back(cell);
    if (f.size() < 9 || f[0].rfind("formats/", 0) != 0) continue;
    rows.push_back({f[0], f[3], f[4], f[5], std::stoi(f[7]), std::stoi(f[8])});
  }
  return rows;
}

// The depth a file must come out with: BMP keeps its palette depth, grey becomes 8 bits, GIF keeps
// its palette, everything else 24.
int ExpectedBits(const TManifestRow& Row) {
  if (Row.Format.rfind("BMP", 0) == 0) {
    const int bits = std::stoi(Row.BmpBits);
    return bits <= 8 ? bits : 24;
  }
  if (Row.Type == "Grayscale" || Row.Format == "GIF") return 8;
  return 24;
}

class TRecordingSink final : public TProgressSink {
 public:
  void Progress(int Percent) override { Seen.push_back(Percent); }
  std::vector<int> Seen;
};

void ExpectLike(const std::string& File, int Tolerance, int ExpectedBitCount = 0) {
  SCOPED_TRACE(File);
  TDib dib;
  ASSERT_EQ(OpenDib(&dib, File.c_str(), -1, nullptr), 1);
  ASSERT_NE(dib.Bits, nullptr);
  if (ExpectedBitCount) {
    EXPECT_EQ(DibBitCount(dib), ExpectedBitCount);
  }
  int w = 0, h = 0;
  std::string rgb;
  ASSERT_TRUE(qtest::ReferencePixels(File, w, h, rgb));
  {
    EXPECT_EQ(DibWidth(dib), w);
    EXPECT_EQ(DibHeight(dib), h);
    if (DibWidth(dib) == w && DibHeight(dib) == h) {
      EXPECT_LE(qtest::MaxDifference(dib, w, h, rgb), Tolerance);
    }
  }
  EXPECT_EQ(dib.RowBytes % 4, 0);
  EXPECT_GE(dib.RowBytes, (DibWidth(dib) * DibBitCount(dib) + 7) / 8);
  deldib(dib);
}

}  // namespace

TEST(PictaroRead, EveryCorpusFormatLoadsWithItsSizeDepthAndColours) {
  QTEST_REQUIRE_PHOTOS();
  const auto dir = qtest::PhotosDir();
  const auto rows = FormatRows(dir);
  ASSERT_GE(rows.size(), 15u);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.File);
    const std::string file = (dir / row.File).string();
    TDib dib;
    ASSERT_EQ(OpenDib(&dib, file.c_str(), 0, nullptr), 1);
    EXPECT_EQ(DibWidth(dib), row.Width);
    EXPECT_EQ(DibHeight(dib), row.Height);
    EXPECT_EQ(DibBitCount(dib), ExpectedBits(row));
    deldib(dib);
    // Lossless formats must match exactly; JPEG and WebP decoders may round differently, and
    // CMYK has no single conversion to RGB.
    const bool cmyk = row.File.find("cmyk") != std::string::npos;
    const bool lossy = row.Format == "JPEG" || row.Format == "WEBP";
    const bool alpha = row.Type.find("Alpha") != std::string::npos;  // compositing rounds by one
    ExpectLike(file, cmyk ? 40 : lossy ? 6 : alpha ? 1 : 0);
  }
}

TEST(PictaroRead, VariantsOfEachFormatMatchImageMagick) {
  QTEST_REQUIRE_PROGRAM("convert");
  qtest::TScratchDir dir;
  const std::string base = dir / "base.png";
  // An asymmetric picture with a gradient, hard edges and a transparent corner.
  ASSERT_EQ(qtest::Run("convert -size 37x29 gradient:red-blue -fill lime -draw 'rectangle 3,2 12,8' "
                       "-fill yellow -draw 'circle 25,20 30,24' " +
                       qtest::Quote(base)),
            0);
  struct TCase {
    const char* Name;
    const char* Options;
    int Bits;
    int Tolerance;
  } cases[] = {
      // ImageMagick writes 16-bit TIFF samples, which libtiff shortens by truncating, ImageMagick by
      // rounding: hence a tolerance of one there.
      {"pal2.png", "-colors 2 -type Palette PNG8:", 1, 0},
      {"pal4.png", "-colors 4 -type Palette -define png:bit-depth=2 PNG8:", 4, 0},
      {"pal-trns.png", "-colors 16 -fill none -draw 'rectangle 0,0 5,5' PNG8:", 0, 1},
      {"rgb16.png", "-depth 16 PNG48:", 24, 1},
      {"rgba16.png", "-alpha set -channel A -evaluate set 40% +channel -depth 16 PNG64:", 24, 1},
      {"grey1.png",
       "-colorspace Gray -threshold 50% -type Bilevel -define png:bit-depth=1 -define png:color-type=0 PNG:",
       8, 0},
      {"greyalpha.png",
       "-colorspace Gray -alpha set -channel A -evaluate set 50% +channel -type GrayscaleAlpha PNG:", 8, 1},
      {"interlaced.png", "-interlace PNG PNG24:", 24, 0},
      {"rle8-16.bmp", "-colors 16 -type Palette -compress RLE BMP3:", 8, 0},
      {"rgb565.bmp", "-define bmp:subtype=RGB565 BMP:", 24, 8},
      {"argb32.bmp", "-alpha set -channel A -evaluate set 60% +channel -define bmp:format=bmp4 BMP:", 24, 1},
      {"bi1.bmp", "-monochrome BMP3:", 1, 0},
      {"interlaced.gif", "-interlace GIF GIF:", 8, 0},
      {"trans.gif", "-fill none -draw 'rectangle 0,0 9,9' GIF:", 0, 0},
      {"tiff-grey.tif", "-colorspace Gray -compress Zip TIFF:", 24, 1},
      {"tiff-tiled.tif", "-define tiff:tile-geometry=16x16 -compress LZW TIFF:", 24, 1},
      {"tiff-alpha.tif", "-alpha set -channel A -evaluate set 30% +channel TIFF:", 24, 2},
      {"tiff-orient6.tif", "-orient right-top TIFF:", 24, 1},
      {"lossless.webp", "-define webp:lossless=true WEBP:", 24, 0},
      {"alpha.webp", "-alpha set -channel A -evaluate set 50% +channel -define webp:lossless=true WEBP:", 24,
       1},
      {"rgb.jpg", "-quality 95 JPG:", 24, 6},
      {"cmyk.jpg", "-colorspace CMYK -quality 95 JPG:", 24, 40},
  };
  for (const auto& c : cases) {
    const std::string file = dir / c.Name;
    std::string options = c.Options;
    const size_t colon = options.rfind(' ') == std::string::npos ? 0 : options.rfind(' ') + 1;
    const std::string prefix = options.substr(colon);
    options.erase(colon);
    if (qtest::Run("convert " + qtest::Quote(base) + " " + options + qtest::Quote(prefix + file) +
                   " 2>/dev/null") != 0) {
      ADD_FAILURE() << "convert could not make " << c.Name;
      continue;
    }
    ExpectLike(file, c.Tolerance, c.Bits);
  }
}

TEST(PictaroRead, AllEightExifOrientationsComeOutUpright) {
  QTEST_REQUIRE_PROGRAM("convert");
  QTEST_REQUIRE_PROGRAM("exiftool");
  qtest::TScratchDir dir;
  for (int orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE(orientation);
    const std::string file = dir / ("o" + std::to_string(orientation) + ".jpg");
    ASSERT_TRUE(qtest::WriteQuadrantJpeg(file, orientation));
    TDib dib;
    ASSERT_EQ(OpenDib(&dib, file.c_str(), 7, nullptr), 1);
    EXPECT_EQ(DibWidth(dib), orientation >= 5 ? 32 : 48);
    int w, h;
    std::string rgb;
    ASSERT_TRUE(qtest::ReferencePixels(file, w, h, rgb));
    EXPECT_LE(qtest::MaxDifference(dib, w, h, rgb), 8);
    deldib(dib);
  }
}

TEST(PictaroRead, ProgressRisesFromZeroToHundred) {
  QTEST_REQUIRE_PROGRAM("convert");
  qtest::TScratchDir dir;
  for (const char* name : {"p.jpg", "p.png", "p.bmp", "p.gif", "p.tif"}) {
    SCOPED_TRACE(name);
    const std::string file = dir / name;
    ASSERT_EQ(qtest::Run("convert -size 300x200 plasma:fractal -interlace Plane " + qtest::Quote(file)), 0);
    TRecordingSink sink;
    TDib dib;
    ASSERT_EQ(OpenDib(&dib, file.c_str(), -1, &sink), 1);
    deldib(dib);
    ASSERT_GE(sink.Seen.size(), 2u);
    EXPECT_EQ(sink.Seen.front(), 0);
    EXPECT_EQ(sink.Seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(sink.Seen.begin(), sink.Seen.end()));
  }
}
