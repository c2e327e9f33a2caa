// The encoder's page streams, checked by decoding them with independent readers (jbig2dec directly,
// poppler through a small PDF), the byte layout readers rely on, and the BMP file wrapper.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "imaging/jbig2/Jbig2Encode.h"
#include "imaging/Jbig2TestBitmaps.h"
#include "imaging/jbig2/Segments.h"
#include "support/TestSupport.h"

namespace {

using qtest::MakeBitmap;
using qtest::TBitmap;
using qtest::TPattern;

std::string Encode(const TBitmap& B) {
  return Jbig2EncodeGenericPage(B.Bits.data(), B.Width, B.Height, B.Stride);
}

// Parses "P4 w h " or "P5 w h 255 " (as jbig2dec and pdftoppm write them); returns the data offset.
size_t NetpbmData(const std::string& File, const char* Format, int* W, int* H) {
  int end = 0;
  if (std::sscanf(File.c_str(), Format, W, H, &end) != 2 || end == 0) throw std::runtime_error("bad netpbm");
  return static_cast<size_t>(end) + 1;
}

void ExpectJbig2decReads(const TBitmap& Input, const std::string& Page) {
  qtest::TScratchDir dir;
  qtest::WriteFile(dir / "globals.jb2", "");
  qtest::WriteFile(dir / "page.jb2", Page);
  std::string log;
  ASSERT_EQ(qtest::Run("jbig2dec -e -t pbm -o " + qtest::Quote(dir / "out.pbm") + " " +
                           qtest::Quote(dir / "globals.jb2") + " " + qtest::Quote(dir / "page.jb2") + " 2>&1",
                       &log),
            0)
      << log;
  const std::string pbm = qtest::ReadFile(dir / "out.pbm");
  int w = 0, h = 0;
  const size_t start = NetpbmData(pbm, "P4 %d %d%n", &w, &h);
  ASSERT_EQ(w, Input.Width);
  ASSERT_EQ(h, Input.Height);
  TBitmap decoded(w, h);
  ASSERT_EQ(pbm.size() - start, decoded.Bits.size());
  std::memcpy(decoded.Bits.data(), pbm.data() + start, decoded.Bits.size());
  int differ = 0;  // compared pixel by pixel: row padding is not picture
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) differ += Input.Get(x, y) != decoded.Get(x, y);
  EXPECT_EQ(differ, 0) << log;
}

class Jbig2Decoders : public testing::Test {
 protected:
  void SetUp() override { QTEST_REQUIRE_PROGRAM("jbig2dec"); }
};

// Every size meets every content: widths below, at and past a byte, single rows and columns (where
// the template reaches outside on all sides), and contents that drive the coder to both ends of its
// probability table (sparse, dense) and through carries and stuffed bytes (noise).
TEST_F(Jbig2Decoders, Jbig2decReadsEveryPixelBack) {
  const int sizes[][2] = {{1, 1},     {7, 3},    {8, 8},   {9, 17}, {65, 33},
                          {333, 250}, {1000, 1}, {1, 300}, {17, 2}};
  for (const auto& size : sizes)
    for (int p = 0; p <= static_cast<int>(TPattern::Checker); ++p) {
      const auto pattern = static_cast<TPattern>(p);
      SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]) + " " +
                   qtest::PatternName(pattern));
      const TBitmap input = MakeBitmap(size[0], size[1], pattern);
      ExpectJbig2decReads(input, Encode(input));
    }
}

// Rows that repeat the row above are sent as a single flag that codes a change of state, so runs of
// repeated rows, a first row that is not white, and alternation must all survive.
TEST_F(Jbig2Decoders, RepeatedRowsSurviveTypicalPrediction) {
  TBitmap stripes(50, 40), alternating(50, 40), lateInk(50, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 50; ++x) {
      stripes.Set(x, y, x % 3 == 0);                     // every row equals row 0, which is not white
      alternating.Set(x, y, (y / 2) % 2 == 0 && x > y);  // pairs: same, different, same, ...
      lateInk.Set(x, y, y == 39 && x == 49);             // 39 white rows, then the last pixel
    }
  for (const TBitmap* input : {&stripes, &alternating, &lateInk}) ExpectJbig2decReads(*input, Encode(*input));
}

// Bits past the width (and whole spare bytes of a wider stride) are not picture: the stream must be
// byte-identical to one made from clean rows.
TEST_F(Jbig2Decoders, RowPaddingIsIgnored) {
  for (int width : {1, 7, 9, 64, 71}) {
    SCOPED_TRACE(width);
    const TBitmap clean = MakeBitmap(width, 23, TPattern::Text, 3);
    TBitmap dirty = clean;
    for (int y = 0; y < dirty.Height; ++y)
      for (size_t bit = static_cast<size_t>(width); bit < dirty.Stride * 8; ++bit)
        dirty.Bits[y * dirty.Stride + bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
    EXPECT_EQ(Encode(dirty), Encode(clean));
    ExpectJbig2decReads(clean, Encode(dirty));
  }
}

// Poppler reads the page inside a minimal PDF, checked by qpdf and rendered by pdftoppm at four device
// pixels per image pixel (at one to one poppler resamples 1-bit images), sampled at block centres.
void ExpectPopplerReads(const TBitmap& Input) {
  const std::string page = Encode(Input), w = std::to_string(Input.Width), h = std::to_string(Input.Height);
  const std::string content = "q " + w + " 0 0 " + h + " 0 0 cm /Im0 Do Q";
  const std::string objects[] = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + w + " " + h +
          "] /Resources << /XObject << /Im0 5 0 R >> >> /Contents 4 0 R >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
      "<< /Type /XObject /Subtype /Image /Width " + w + " /Height " + h +
          " /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /JBIG2Decode /DecodeParms << /JBIG2Globals 6 "
          "0 R >>"
          " /Length " +
          std::to_string(page.size()) + " >>\nstream\n" + page + "\nendstream",
      "<< /Length 0 >>\nstream\n\nendstream"};
  std::string pdf = "%PDF-1.4\n", xref = "xref\n0 7\n0000000000 65535 f \n";
  for (int i = 0; i < 6; ++i) {
    char entry[24];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", pdf.size());
    xref += entry;
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  pdf += xref + "trailer\n<< /Size 7 /Root 1 0 R >>\nstartxref\n" + std::to_string(pdf.size()) + "\n%%EOF\n";

  qtest::TScratchDir dir;
  qtest::WriteFile(dir / "page.pdf", pdf);
  std::string log;
  ASSERT_EQ(qtest::Run("qpdf --check " + qtest::Quote(dir / "page.pdf") + " 2>&1", &log), 0) << log;
  log.clear();
  ASSERT_EQ(qtest::Run("pdftoppm -r 288 -gray -aa no -aaVector no -singlefile " +
                           qtest::Quote(dir / "page.pdf") + " " + qtest::Quote(dir / "out") + " 2>&1",
                       &log),
            0);
  EXPECT_EQ(log, "") << "poppler complained";
  const std::string pgm = qtest::ReadFile(dir / "out.pgm");
  int pw = 0, ph = 0;
  const size_t start = NetpbmData(pgm, "P5 %d %d 255%n", &pw, &ph);
  ASSERT_EQ(pw, 4 * Input.Width);
  ASSERT_EQ(ph, 4 * Input.Height);
  int differ = 0;
  for (int y = 0; y < Input.Height; ++y)
    for (int x = 0; x < Input.Width; ++x)
      differ += (uint8_t(pgm[start + size_t(4 * y + 2) * pw + 4 * x + 2]) < 128) != Input.Get(x, y);
  EXPECT_EQ(differ, 0);
}

TEST_F(Jbig2Decoders, PopplerReadsThePageInsideAPdf) {
  QTEST_REQUIRE_PROGRAM("pdftoppm");
  QTEST_REQUIRE_PROGRAM("qpdf");
  for (TPattern pattern : {TPattern::Text, TPattern::Noise, TPattern::Checker}) {
    SCOPED_TRACE(qtest::PatternName(pattern));
    ExpectPopplerReads(MakeBitmap(203, 61, pattern));
  }
  ExpectPopplerReads(MakeBitmap(1, 1, TPattern::Black));
}

// Bytes written as hex digits, spaces ignored.
std::string Hex(const std::string& Digits) {
  std::string bytes;
  for (size_t i = 0; i < Digits.size(); ++i)
    if (Digits[i] != ' ') bytes.push_back(static_cast<char>(std::stoi(Digits.substr(i++, 2), nullptr, 16)));
  return bytes;
}

// The fixed bytes: both segment headers, page information, region information and generic region
// flags; the region's length field must cover exactly the rest of the stream.
TEST(Jbig2Stream, SegmentLayoutIsExact) {
  const std::string page = Encode(MakeBitmap(9, 17, TPattern::Text));
  ASSERT_GE(page.size(), 30u + 11u + 26u + 2u);
  // Segment 0, type 48, page 1, 19 bytes: 9 x 17, no resolution, lossless, white, not striped.
  EXPECT_EQ(page.substr(0, 30),
            Hex("00000000 30 00 01 00000013  00000009 00000011 00000000 00000000 01 0000"));
  // Segment 1, type 39 (immediate lossless generic region), page 1, then its length.
  EXPECT_EQ(page.substr(30, 7), Hex("00000001 27 00 01"));
  ASSERT_LT(page.size() - 41, 256u);
  EXPECT_EQ(page.substr(37, 4), Hex("000000") + char(page.size() - 41));
  // Region 9 x 17 at (0, 0), combined by OR; arithmetic coding, template 0, typical prediction;
  // adaptive pixels (3,-1) (-3,-1) (2,-2) (-2,-2).
  EXPECT_EQ(page.substr(41, 26), Hex("00000009 00000011 00000000 00000000 00  08  03FF FDFF 02FE FEFE"));
}

// Inside the coded data a 0xFF is always followed by a byte below 0x90 (anything else is a marker to
// a decoder), and the data ends with the marker 0xFF 0xAC. Noise makes 0xFF bytes common enough.
TEST(Jbig2Stream, CodedDataStuffsAfterEveryFF) {
  for (TPattern pattern : {TPattern::Noise, TPattern::Text, TPattern::Sparse}) {
    SCOPED_TRACE(qtest::PatternName(pattern));
    const std::string data = Encode(MakeBitmap(800, 300, pattern)).substr(41 + 26);
    ASSERT_GE(data.size(), 2u);
    EXPECT_EQ(data.substr(data.size() - 2), "\xFF\xAC");
    int stuffed = 0;
    for (size_t i = 0; i + 2 < data.size(); ++i)
      if (uint8_t(data[i]) == 0xFF) {
        ++stuffed;
        EXPECT_LT(uint8_t(data[i + 1]), 0x90) << "at " << i;
      }
    EXPECT_TRUE(pattern != TPattern::Noise || stuffed > 10);
  }
}

TEST(Jbig2Stream, BadGeometryIsRefused) {
  const uint8_t row[4] = {0, 0, 0, 0};
  EXPECT_THROW(Jbig2EncodeGenericPage(row, 0, 1, 1), std::invalid_argument);
  EXPECT_THROW(Jbig2EncodeGenericPage(row, 1, 0, 1), std::invalid_argument);
  EXPECT_THROW(Jbig2EncodeGenericPage(row, 9, 1, 1), std::invalid_argument);  // stride too short
  EXPECT_THROW(Jbig2EncodeGenericPage(nullptr, 1, 1, 1), std::invalid_argument);
  EXPECT_NO_THROW(Jbig2EncodeGenericPage(row, 32, 1, 4));
}

// ---- The file wrapper: BMP in through the picture library, two files out ----

class Jbig2File : public testing::Test {
 protected:
  qtest::TScratchDir Dir;
  std::string Bmp = Dir / "in.bmp", Globals = Dir / "globals.jb2", Page = Dir / "page.jb2";

  // Saves the picture as the encoder's input.
  void SaveInput(TDib Dib) {
    const int saved = Dib.Bits ? SaveDib(Dib, Bmp.c_str(), 3, 0) : 0;
    deldib(Dib);
    ASSERT_EQ(saved, 1) << "the picture library cannot make and save BMP files";
  }
  void PlantStaleOutputs() {
    qtest::WriteFile(Globals, "stale");
    qtest::WriteFile(Page, "stale");
  }
  bool OutputsGone() const { return !std::filesystem::exists(Globals) && !std::filesystem::exists(Page); }
};

TEST_F(Jbig2File, UnreadableInputLeavesNoOutput) {
  PlantStaleOutputs();
  EXPECT_EQ(jbig2encode((Dir / "missing.bmp").c_str(), Globals.c_str(), Page.c_str()), Jbig2UnreadableInput);
  EXPECT_TRUE(OutputsGone());
  qtest::WriteFile(Bmp, "BM this is not a bitmap");
  PlantStaleOutputs();
  EXPECT_EQ(jbig2encode(Bmp.c_str(), Globals.c_str(), Page.c_str()), Jbig2UnreadableInput);
  EXPECT_TRUE(OutputsGone());
  EXPECT_EQ(jbig2encode(nullptr, Globals.c_str(), Page.c_str()), Jbig2UnreadableInput);
  EXPECT_EQ(jbig2encode(Bmp.c_str(), nullptr, nullptr), Jbig2UnreadableInput);
}

// The page looks like the BMP: the darker colour is black whichever index holds it, and the BMP's
// bottom-up rows come out top row first.
TEST_F(Jbig2File, EncodesTheBmpAsItLooks) {
  QTEST_REQUIRE_PROGRAM("jbig2dec");
  const uint32_t tables[2][2] = {{0x000000, 0xFFFFFF}, {0xF0F0F0, 0x102030}};
  std::string pages[2];
  for (int t = 0; t < 2; ++t) {
    ASSERT_NO_FATAL_FAILURE(
        SaveInput(qtest::MakeBilevelDib(37, 21, tables[t][0], tables[t][1], TPattern::Text)));
    ASSERT_EQ(jbig2encode(Bmp.c_str(), Globals.c_str(), Page.c_str()), Jbig2Ok);
    EXPECT_EQ(qtest::ReadFile(Globals), "");
    pages[t] = qtest::ReadFile(Page);
    ExpectJbig2decReads(MakeBitmap(37, 21, TPattern::Text), pages[t]);
  }
  EXPECT_EQ(pages[0], pages[1]);
}

TEST_F(Jbig2File, RefusesPicturesWithMoreThanOneBit) {
  TDib dib;
  newdib(&dib, 4, 4, 8, nullptr, 0);
  ASSERT_NO_FATAL_FAILURE(SaveInput(dib));
  PlantStaleOutputs();
  EXPECT_EQ(jbig2encode(Bmp.c_str(), Globals.c_str(), Page.c_str()), Jbig2NotBilevel);
  EXPECT_TRUE(OutputsGone());
}

TEST_F(Jbig2File, UnwritableOutputRemovesTheOtherFile) {
  ASSERT_NO_FATAL_FAILURE(SaveInput(qtest::MakeBilevelDib(9, 9, 0, 0xFFFFFF, TPattern::Checker)));
  EXPECT_EQ(jbig2encode(Bmp.c_str(), Globals.c_str(), (Dir / "no-folder/page.jb2").c_str()),
            Jbig2CannotWrite);
  EXPECT_TRUE(OutputsGone());
  // A folder in the page's place cannot be written, and is not the encoder's to remove.
  const std::string folder = Dir / "folder";
  std::filesystem::create_directory(folder);
  EXPECT_EQ(jbig2encode(Bmp.c_str(), Globals.c_str(), folder.c_str()), Jbig2CannotWrite);
  EXPECT_FALSE(std::filesystem::exists(Globals));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

}  // namespace
