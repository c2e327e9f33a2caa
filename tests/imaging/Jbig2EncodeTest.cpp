// The encoder's page streams, checked by decoding them with independent readers: jbig2dec directly,
// and poppler through a small PDF; plus the byte layout that readers rely on.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "imaging/Jbig2Encode.h"
#include "imaging/Jbig2TestBitmaps.h"
#include "imaging/Pictaro.h"
#include "imaging/jbig2/Segments.h"
#include "support/TestSupport.h"

namespace {

using qtest::MakeBitmap;
using qtest::TBitmap;
using qtest::TPattern;

std::string Encode(const TBitmap& B) { return Jbig2EncodeGenericPage(B.Bits.data(), B.Width, B.Height, B.Stride); }

// Reads the header of a binary PBM/PGM ("P4"/"P5", width, height, [maxval]) and returns the offset of
// the pixel data.
size_t ParseNetpbmHeader(const std::string& File, const char* Magic, int Fields, int* W, int* H) {
  if (File.compare(0, 2, Magic) != 0) throw std::runtime_error("not " + std::string(Magic));
  size_t pos = 2;
  int values[3] = {0, 0, 0};
  for (int i = 0; i < Fields; ++i) {
    while (pos < File.size() && (std::isspace(static_cast<unsigned char>(File[pos])) || File[pos] == '#')) {
      if (File[pos] == '#') pos = File.find('\n', pos);
      ++pos;
    }
    size_t used = 0;
    values[i] = std::stoi(File.substr(pos, 12), &used);
    pos += used;
  }
  *W = values[0];
  *H = values[1];
  return pos + 1;  // one whitespace byte ends the header
}

// Decodes an embedded page stream (with an empty globals stream) with jbig2dec.
bool DecodeWithJbig2dec(const std::string& Page, TBitmap* Out, std::string* Log) {
  qtest::TScratchDir dir;
  qtest::WriteFile(dir / "globals.jb2", "");
  qtest::WriteFile(dir / "page.jb2", Page);
  const std::string command = "jbig2dec -e -t pbm -o " + qtest::Quote(dir / "out.pbm") + " " +
                              qtest::Quote(dir / "globals.jb2") + " " + qtest::Quote(dir / "page.jb2") + " 2>&1";
  if (qtest::Run(command, Log) != 0) return false;
  const std::string pbm = qtest::ReadFile(dir / "out.pbm");
  int w = 0, h = 0;
  const size_t start = ParseNetpbmHeader(pbm, "P4", 2, &w, &h);
  *Out = TBitmap(w, h);
  if (pbm.size() - start != Out->Bits.size()) return false;
  std::memcpy(Out->Bits.data(), pbm.data() + start, Out->Bits.size());
  return true;
}

// Counts pixels that differ, looking only at the pictures' own widths (never at row padding).
int CountDifferences(const TBitmap& A, const TBitmap& B) {
  if (A.Width != B.Width || A.Height != B.Height) return -1;
  int differ = 0;
  for (int y = 0; y < A.Height; ++y)
    for (int x = 0; x < A.Width; ++x) differ += A.Get(x, y) != B.Get(x, y);
  return differ;
}

void ExpectJbig2decReads(const TBitmap& Input, const std::string& Page) {
  TBitmap decoded(1, 1);
  std::string log;
  ASSERT_TRUE(DecodeWithJbig2dec(Page, &decoded, &log)) << log;
  EXPECT_EQ(CountDifferences(Input, decoded), 0) << log;
}

class Jbig2Decoders : public testing::Test {
protected:
  void SetUp() override {
    if (!qtest::HaveProgram("jbig2dec")) GTEST_SKIP() << "jbig2dec is not installed";
  }
};

// Every size meets every content: widths below, at and past a byte, single rows and columns (where
// the template reaches outside on all sides), and contents that drive the coder to both ends of its
// probability table (sparse, dense) and through carries and stuffed bytes (noise).
TEST_F(Jbig2Decoders, Jbig2decReadsEveryPixelBack) {
  const int sizes[][2] = {{1, 1}, {7, 3}, {8, 8}, {9, 17}, {65, 33}, {333, 250}, {1000, 1}, {1, 300}, {17, 2}};
  const TPattern patterns[] = {TPattern::White, TPattern::Black,  TPattern::Noise,  TPattern::Sparse,
                               TPattern::Dense, TPattern::Text, TPattern::Checker};
  for (const auto& size : sizes)
    for (TPattern pattern : patterns) {
      SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]) + " " + qtest::PatternName(pattern));
      const TBitmap input = MakeBitmap(size[0], size[1], pattern);
      ExpectJbig2decReads(input, Encode(input));
    }
}

// Rows that repeat the row above are sent as a single flag; the flag codes a change of state, so runs
// of repeated rows, a first row that is not white, and alternation between the two must all survive.
TEST_F(Jbig2Decoders, RepeatedRowsSurviveTypicalPrediction) {
  TBitmap stripes(50, 40), alternating(50, 40), lateInk(50, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 50; ++x) {
      stripes.Set(x, y, x % 3 == 0);                       // every row equals row 0, which is not white
      alternating.Set(x, y, (y / 2) % 2 == 0 && x > y);     // pairs: same, different, same, ...
      lateInk.Set(x, y, y == 39 && x == 49);                // 39 white rows, then the last pixel
    }
  for (const TBitmap* input : {&stripes, &alternating, &lateInk}) ExpectJbig2decReads(*input, Encode(*input));
}

// Bits past the width in each row (and whole spare bytes of a wider stride) are not picture: the
// stream must come out byte-identical to one made from clean rows.
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

// Decodes an encoded page with poppler: a minimal PDF around it, checked by qpdf and rendered by
// pdftoppm at four device pixels per image pixel (at one-to-one, poppler may resample 1-bit images),
// then sampled at the centre of each 4x4 block.
void ExpectPopplerReads(const TBitmap& Input) {
  const std::string page = Encode(Input);
  const std::string w = std::to_string(Input.Width), h = std::to_string(Input.Height);
  const std::string content = "q " + w + " 0 0 " + h + " 0 0 cm /Im0 Do Q";
  const std::string objects[] = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + w + " " + h +
          "] /Resources << /XObject << /Im0 5 0 R >> >> /Contents 4 0 R >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
      "<< /Type /XObject /Subtype /Image /Width " + w + " /Height " + h +
          " /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /JBIG2Decode /DecodeParms << /JBIG2Globals 6 0 R >>"
          " /Length " + std::to_string(page.size()) + " >>\nstream\n" + page + "\nendstream",
      "<< /Length 0 >>\nstream\n\nendstream",
  };
  std::string pdf = "%PDF-1.4\n";
  std::ostringstream xref;
  xref << "xref\n0 7\n0000000000 65535 f \n";
  for (int i = 0; i < 6; ++i) {
    char entry[24];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", pdf.size());
    xref << entry;
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const size_t xrefAt = pdf.size();
  pdf += xref.str() + "trailer\n<< /Size 7 /Root 1 0 R >>\nstartxref\n" + std::to_string(xrefAt) + "\n%%EOF\n";

  qtest::TScratchDir dir;
  qtest::WriteFile(dir / "page.pdf", pdf);
  std::string log;
  ASSERT_EQ(qtest::Run("qpdf --check " + qtest::Quote(dir / "page.pdf") + " 2>&1", &log), 0) << log;
  log.clear();
  ASSERT_EQ(qtest::Run("pdftoppm -r 288 -gray -aa no -aaVector no -singlefile " + qtest::Quote(dir / "page.pdf") +
                           " " + qtest::Quote(dir / "out") + " 2>&1",
                       &log),
            0);
  EXPECT_EQ(log, "") << "poppler complained";
  const std::string pgm = qtest::ReadFile(dir / "out.pgm");
  int pw = 0, ph = 0;
  const size_t start = ParseNetpbmHeader(pgm, "P5", 3, &pw, &ph);
  ASSERT_EQ(pw, 4 * Input.Width);
  ASSERT_EQ(ph, 4 * Input.Height);
  int differ = 0;
  for (int y = 0; y < Input.Height; ++y)
    for (int x = 0; x < Input.Width; ++x) {
      const auto grey = static_cast<uint8_t>(pgm[start + static_cast<size_t>(4 * y + 2) * pw + 4 * x + 2]);
      differ += (grey < 128) != Input.Get(x, y);
    }
  EXPECT_EQ(differ, 0);
}

TEST_F(Jbig2Decoders, PopplerReadsThePageInsideAPdf) {
  if (!qtest::HaveProgram("pdftoppm") || !qtest::HaveProgram("qpdf")) GTEST_SKIP() << "poppler or qpdf missing";
  for (TPattern pattern : {TPattern::Text, TPattern::Noise, TPattern::Checker}) {
    SCOPED_TRACE(qtest::PatternName(pattern));
    ExpectPopplerReads(MakeBitmap(203, 61, pattern));
  }
  ExpectPopplerReads(MakeBitmap(1, 1, TPattern::Black));
}

uint32_t Be32(const std::string& S, size_t At) {
  return (uint32_t(uint8_t(S[At])) << 24) | (uint32_t(uint8_t(S[At + 1])) << 16) |
         (uint32_t(uint8_t(S[At + 2])) << 8) | uint8_t(S[At + 3]);
}

// The fixed bytes: two segment headers, page information, region information, generic region flags
// with the adaptive pixels; the region's length field must cover exactly the rest of the stream.
TEST(Jbig2Stream, SegmentLayoutIsExact) {
  const std::string page = Encode(MakeBitmap(9, 17, TPattern::Text));
  const std::string pageInfo(
      "\x00\x00\x00\x00" "\x30" "\x00" "\x01" "\x00\x00\x00\x13"  // segment 0, type 48, page 1, 19 bytes
      "\x00\x00\x00\x09" "\x00\x00\x00\x11"                       // 9 x 17
      "\x00\x00\x00\x00" "\x00\x00\x00\x00"                       // no resolution
      "\x01" "\x00\x00",                                          // lossless, white, not striped
      30);
  ASSERT_GE(page.size(), 30u + 11u + 26u + 2u);
  EXPECT_EQ(page.substr(0, 30), pageInfo);
  EXPECT_EQ(page.substr(30, 7), std::string("\x00\x00\x00\x01" "\x27" "\x00" "\x01", 7));  // type 39
  EXPECT_EQ(Be32(page, 37), page.size() - 41);
  const std::string region(
      "\x00\x00\x00\x09" "\x00\x00\x00\x11" "\x00\x00\x00\x00" "\x00\x00\x00\x00" "\x00"  // at 0,0, OR
      "\x08"                                                     // arithmetic, template 0, TPGDON
      "\x03\xFF" "\xFD\xFF" "\x02\xFE" "\xFE\xFE",               // (3,-1) (-3,-1) (2,-2) (-2,-2)
      26);
  EXPECT_EQ(page.substr(41, 26), region);
}

// Inside the coded data a 0xFF is always followed by a byte below 0x90 (anything else is a marker to
// a decoder), and the data ends with the marker 0xFF 0xAC. Noise makes 0xFF bytes common enough.
TEST(Jbig2Stream, CodedDataStuffsAfterEveryFF) {
  for (TPattern pattern : {TPattern::Noise, TPattern::Text, TPattern::Sparse}) {
    SCOPED_TRACE(qtest::PatternName(pattern));
    const std::string page = Encode(MakeBitmap(800, 300, pattern));
    const std::string data = page.substr(41 + 26);
    ASSERT_GE(data.size(), 2u);
    EXPECT_EQ(data.substr(data.size() - 2), "\xFF\xAC");
    int stuffed = 0;
    for (size_t i = 0; i + 2 < data.size(); ++i)
      if (uint8_t(data[i]) == 0xFF) {
        ++stuffed;
        EXPECT_LT(uint8_t(data[i + 1]), 0x90) << "at " << i;
      }
    if (pattern == TPattern::Noise) {
      EXPECT_GT(stuffed, 10);
    }
  }
}

TEST(Jbig2Stream, BadGeometryIsRefused) {
  const uint8_t row[4] = {0, 0, 0, 0};
  EXPECT_THROW(Jbig2EncodeGenericPage(row, 0, 1, 1), std::invalid_argument);
  EXPECT_THROW(Jbig2EncodeGenericPage(row, 1, 0, 1), std::invalid_argument);
  EXPECT_THROW(Jbig2EncodeGenericPage(row, -5, 1, 1), std::invalid_argument);
  EXPECT_THROW(Jbig2EncodeGenericPage(row, 9, 1, 1), std::invalid_argument);  // stride too short
  EXPECT_THROW(Jbig2EncodeGenericPage(nullptr, 1, 1, 1), std::invalid_argument);
  EXPECT_NO_THROW(Jbig2EncodeGenericPage(row, 32, 1, 4));
}

// ---- The file wrapper: BMP in through the picture library, two files out ----

// A 1-bit picture made through the picture library with the colour table {Index0, Index1} (0xRRGGBB),
// its pixels drawn from Pattern in top-down order; Bits is nullptr when the library cannot make one.
TDib MakeBilevelDib(int W, int H, uint32_t Index0, uint32_t Index1, TPattern Pattern) {
  struct {
    TBitmapInfoHeader Header;
    uint8_t Quads[2][4];  // blue, green, red, unused: the table as a DIB stores it
  } source{};
  source.Header.biSize = sizeof(TBitmapInfoHeader);
  source.Header.biWidth = W;
  source.Header.biHeight = H;
  source.Header.biPlanes = 1;
  source.Header.biBitCount = 1;
  source.Header.biClrUsed = 2;
  const uint32_t colours[2] = {Index0, Index1};
  for (int i = 0; i < 2; ++i) {
    source.Quads[i][0] = colours[i] & 0xFF;
    source.Quads[i][1] = (colours[i] >> 8) & 0xFF;
    source.Quads[i][2] = (colours[i] >> 16) & 0xFF;
  }
  TDib dib;
  newdib(&dib, W, H, 1, &source.Header, 2);
  if (!dib.Bits) return dib;
  // Index of the darker colour, so that the picture looks the same whatever the table's order.
  const uint32_t darkIndex = Index0 < Index1 ? 0 : 1;
  for (int top = 0; top < H; ++top)
    for (int x = 0; x < W; ++x)
      setpixel(dib, x, H - 1 - top, qtest::PatternPixel(Pattern, x, top) ? darkIndex : 1 - darkIndex);
  return dib;
}

class Jbig2File : public testing::Test {
protected:
  qtest::TScratchDir Dir;
  std::string Bmp = Dir / "in.bmp", Globals = Dir / "globals.jb2", Page = Dir / "page.jb2";

  // Saves the picture as the encoder's input; skips the test when the picture library cannot.
  void SaveInput(TDib Dib) {
    const bool made = Dib.Bits != nullptr;
    const int saved = made ? SaveDib(Dib, Bmp.c_str(), 3, 0) : 0;
    deldib(Dib);
    if (!made || saved != 1) GTEST_SKIP() << "the picture library cannot make and save BMP files yet";
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

// The page that jbig2dec reads back looks like the BMP: the darker colour is black, whichever index
// holds it, and the BMP's bottom-up rows come out top row first.
TEST_F(Jbig2File, EncodesTheBmpAsItLooks) {
  if (!qtest::HaveProgram("jbig2dec")) GTEST_SKIP() << "jbig2dec is not installed";
  const TBitmap expected = MakeBitmap(37, 21, TPattern::Text);
  std::string pages[2];
  const uint32_t tables[2][2] = {{0x000000, 0xFFFFFF}, {0xF0F0F0, 0x102030}};
  for (int t = 0; t < 2; ++t) {
    SCOPED_TRACE(t);
    SaveInput(MakeBilevelDib(37, 21, tables[t][0], tables[t][1], TPattern::Text));
    if (IsSkipped()) return;
    ASSERT_EQ(jbig2encode(Bmp.c_str(), Globals.c_str(), Page.c_str()), Jbig2Ok);
    EXPECT_EQ(qtest::ReadFile(Globals), "");
    pages[t] = qtest::ReadFile(Page);
    ExpectJbig2decReads(expected, pages[t]);
  }
  EXPECT_EQ(pages[0], pages[1]);
}

TEST_F(Jbig2File, RefusesPicturesWithMoreThanOneBit) {
  TDib dib;
  newdib(&dib, 4, 4, 8, nullptr, 0);
  SaveInput(dib);
  if (IsSkipped()) return;
  PlantStaleOutputs();
  EXPECT_EQ(jbig2encode(Bmp.c_str(), Globals.c_str(), Page.c_str()), Jbig2NotBilevel);
  EXPECT_TRUE(OutputsGone());
}

TEST_F(Jbig2File, UnwritableOutputRemovesTheOtherFile) {
  SaveInput(MakeBilevelDib(9, 9, 0, 0xFFFFFF, TPattern::Checker));
  if (IsSkipped()) return;
  const std::string nowhere = Dir / "no-such-folder/page.jb2";
  EXPECT_EQ(jbig2encode(Bmp.c_str(), Globals.c_str(), nowhere.c_str()), Jbig2CannotWrite);
  EXPECT_TRUE(OutputsGone());
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_EQ(jbig2encode(Bmp.c_str(), Globals.c_str(), "/dev/full"), Jbig2CannotWrite);  // disk full
    EXPECT_FALSE(std::filesystem::exists(Globals));
  }
}

}  // namespace
