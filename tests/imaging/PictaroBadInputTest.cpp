// Broken and hostile input: truncated files, damaged headers, absurd sizes, things that are not
// files. Each must give a record without a picture, never a crash, a hang or a giant allocation
// (the sanitizer build checks the last, since it fails loudly on huge requests).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstring>
#include <string>

#include "PictureOracle.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PictaroDecode.h"
#include "support/TestSupport.h"

namespace {

int Decode(const std::string& Bytes, int Format = -1) {
  TDib dib;
  std::memset(&dib, 0xAB, sizeof dib);  // what the caller held before must not survive a failure
  const int ok =
      DecodePicture(reinterpret_cast<const uint8_t*>(Bytes.data()), Bytes.size(), Format, nullptr, &dib);
  EXPECT_EQ(ok != 0, dib.Bits != nullptr);
  deldib(dib);
  return ok;
}

void Put16(std::string& s, size_t at, uint16_t v) { s[at] = char(v), s[at + 1] = char(v >> 8); }
void Put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = char(v >> (8 * i));
}

// A bottom-up BMP of Bits per pixel with a colour table of Colours entries and Pixels after it.
std::string Bmp(int32_t Width, int32_t Height, int Bits, uint32_t Compression, int Colours,
                const std::string& Pixels) {
  std::string s(54 + 4 * Colours, '\0');
  s[0] = 'B', s[1] = 'M';
  Put32(s, 2, static_cast<uint32_t>(s.size() + Pixels.size()));
  Put32(s, 10, static_cast<uint32_t>(s.size()));
  Put32(s, 14, 40);
  Put32(s, 18, static_cast<uint32_t>(Width));
  Put32(s, 22, static_cast<uint32_t>(Height));
  Put16(s, 26, 1);
  Put16(s, 28, static_cast<uint16_t>(Bits));
  Put32(s, 30, Compression);
  Put32(s, 46, static_cast<uint32_t>(Colours));
  for (int i = 0; i < Colours; ++i) s[54 + 4 * i + 2] = char(i * 16);  // red = 16 * index
  return s + Pixels;
}

// What decoding gave: nothing, or a picture of this size and depth.
struct TOutcome {
  bool Ok = false;
  int Width = 0, Height = 0, Bits = 0;
};

TOutcome DecodeOutcome(const std::string& Bytes) {
  TDib dib;
  TOutcome o;
  o.Ok = DecodePicture(reinterpret_cast<const uint8_t*>(Bytes.data()), Bytes.size(), -1, nullptr, &dib) == 1;
  if (o.Ok) o.Width = DibWidth(dib), o.Height = DibHeight(dib), o.Bits = DibBitCount(dib);
  deldib(dib);
  return o;
}

uint32_t Le32At(const std::string& S, size_t At) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | uint8_t(S[At + i]);
  return v;
}

// The bytes of File (as ImageMagick writes the format Name ends in) that hold only pixel data, after
// every byte that says how large the picture is: damage there may spoil the picture, never its size.
std::pair<size_t, size_t> PixelBytes(const std::string& Name, const std::string& File) {
  const std::string ext = Name.substr(Name.rfind('.'));
  if (ext == ".bmp") return {Le32At(File, 10), File.size()};
  if (ext == ".png") return {33, File.size()};     // after the signature and the header chunk
  if (ext == ".webp") return {30, File.size()};    // after the frame header with its size
  if (ext == ".tif") return {8, Le32At(File, 4)};  // the strips lie before the directory
  if (ext == ".jpg") {
    for (size_t p = 2; p + 4 < File.size();) {  // the segments up to and including the frame header
      const size_t length = uint8_t(File[p + 2]) << 8 | uint8_t(File[p + 3]);
      if (uint8_t(File[p + 1]) == 0xC0) return {p + 2 + length, File.size()};
      p += 2 + length;
    }
    return {File.size(), File.size()};
  }
  // GIF: the frame begins after the screen, the colour table and the extensions with its descriptor;
  // ImageMagick writes no local colour table.
  const size_t descriptor = File.find(',', 13 + ((File[10] & 0x80) ? 3u << ((File[10] & 7) + 1) : 0));
  return {descriptor + 10, File.size()};
}

std::string MakeWithConvert(const qtest::TScratchDir& Dir, const std::string& Name) {
  const std::string file = Dir / Name;
  if (qtest::Run("convert -seed 11 -size 64x48 plasma:fractal -quality 80 " + qtest::Quote(file)) != 0) return {};
  return qtest::ReadFile(file);
}

}  // namespace

// A file cut short gives no picture, or (near the end, where decoders may show what is there) the
// picture at its full size.
TEST(PictaroBadInput, TruncatedFilesOfEveryFormatFailCleanly) {
  QTEST_REQUIRE_PROGRAM("convert");
  qtest::TScratchDir dir;
  for (const char* name : {"t.bmp", "t.jpg", "t.png", "t.tif", "t.gif", "t.webp"}) {
    SCOPED_TRACE(name);
    const std::string whole = MakeWithConvert(dir, name);
    ASSERT_FALSE(whole.empty());
    ASSERT_EQ(Decode(whole), 1);
    // Cut inside the header, and inside the pixel data: no picture either way.
    for (size_t keep : {size_t{1}, size_t{10}, size_t{30}, whole.size() / 2})
      EXPECT_EQ(Decode(whole.substr(0, keep)), 0) << "kept " << keep;
    // Every other length: no crash, and no picture of another size or depth.
    const TOutcome full = DecodeOutcome(whole);
    for (size_t keep = 0; keep < whole.size(); keep += 1 + keep / 7) {
      const TOutcome cut = DecodeOutcome(whole.substr(0, keep));
      if (!cut.Ok) continue;
      EXPECT_EQ(cut.Width, 64) << "kept " << keep;
      EXPECT_EQ(cut.Height, 48) << "kept " << keep;
      EXPECT_EQ(cut.Bits, full.Bits) << "kept " << keep;
    }
  }
}

// Damaged bytes never crash. Damage to the pixel data alone gives no picture or one of the full size
// and depth; damage to the header may give another size, but never an empty or oversized picture.
TEST(PictaroBadInput, DamagedBytesAreRefusedOrKeepTheSize) {
  QTEST_REQUIRE_PROGRAM("convert");
  qtest::TScratchDir dir;
  for (const char* name : {"d.bmp", "d.jpg", "d.png", "d.tif", "d.gif", "d.webp"}) {
    SCOPED_TRACE(name);
    const std::string whole = MakeWithConvert(dir, name);
    const TOutcome full = DecodeOutcome(whole);
    ASSERT_TRUE(full.Ok);
    const auto [pixelsFrom, pixelsTo] = PixelBytes(name, whole);
    ASSERT_LT(pixelsFrom, pixelsTo);
    uint32_t seed = 12345;
    int pixelDamage = 0;
    for (int round = 0; round < 150; ++round) {
      std::string bad = whole;
      bool onlyPixels = true;
      for (int k = 0; k < 1 + round % 8; ++k) {
        seed = seed * 1103515245u + 12345u;
        // Damage the first bytes more often: that is where the lengths and sizes live.
        const size_t at = (seed >> 8) % (round % 2 ? bad.size() : std::min<size_t>(bad.size(), 200));
        bad[at] = static_cast<char>(seed >> 24);
        onlyPixels = onlyPixels && at >= pixelsFrom && at < pixelsTo;
      }
      const TOutcome o = DecodeOutcome(bad);
      pixelDamage += onlyPixels;
      if (!o.Ok) continue;
      if (onlyPixels) {
        EXPECT_EQ(o.Width, 64) << "round " << round;
        EXPECT_EQ(o.Height, 48) << "round " << round;
        EXPECT_EQ(o.Bits, full.Bits) << "round " << round;
      } else {
        EXPECT_GT(o.Width, 0);
        EXPECT_GT(o.Height, 0);
        EXPECT_LE(uint64_t(o.Width) * uint64_t(o.Height), PictureLimit());
      }
    }
    EXPECT_GE(pixelDamage, 15);  // the sweep reaches the pixel data often enough to mean something
  }
}

// Pictures whose pixel data cannot be decoded come back as failures, not as black or grey pictures:
// a TIFF of an unknown compression scheme, a TIFF with damaged strips, a JPEG whose scan ends before
// its first row.
TEST(PictaroBadInput, UndecodablePixelDataIsRefused) {
  QTEST_REQUIRE_PROGRAM("convert");
  qtest::TScratchDir dir;
  const std::string file = dir / "s.tif";
  ASSERT_EQ(qtest::Run("convert -seed 12 -size 64x48 plasma:fractal -compress zip " + qtest::Quote(file)), 0);
  const std::string tiff = qtest::ReadFile(file);
  ASSERT_EQ(Decode(tiff), 1);
  ASSERT_EQ(tiff.substr(0, 4), std::string("II*\0", 4));
  const size_t ifd = Le32At(tiff, 4);
  const size_t entries = uint8_t(tiff[ifd]) | uint8_t(tiff[ifd + 1]) << 8;
  std::string unknown = tiff;
  bool found = false;
  for (size_t e = 0; e < entries; ++e) {
    const size_t at = ifd + 2 + 12 * e;
    if ((uint8_t(tiff[at]) | uint8_t(tiff[at + 1]) << 8) != 259) continue;  // Compression
    Put16(unknown, at + 8, 50000);
    found = true;
  }
  ASSERT_TRUE(found);
  EXPECT_EQ(Decode(unknown), 0) << "unknown compression scheme";
  std::string damaged = tiff;
  for (size_t at = 8; at < ifd; at += 3) damaged[at] = static_cast<char>(at * 37);
  EXPECT_EQ(Decode(damaged), 0) << "damaged strips";

  const std::string jpegFile = dir / "s.jpg";
  ASSERT_EQ(qtest::Run("convert -seed 13 -size 64x48 plasma:fractal " + qtest::Quote(jpegFile)), 0);
  const std::string jpeg = qtest::ReadFile(jpegFile);
  const size_t scan = jpeg.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  const size_t data = scan + 2 + (uint8_t(jpeg[scan + 2]) << 8 | uint8_t(jpeg[scan + 3]));
  EXPECT_EQ(Decode(jpeg.substr(0, data) + "\xFF\xD9"), 0) << "a scan without data";
  EXPECT_EQ(Decode(jpeg.substr(0, data + (jpeg.size() - data) / 2) + "\xFF\xD9"), 0) << "half a scan";
}

TEST(PictaroBadInput, AbsurdSizesAreRefusedBeforeAllocating) {
  // 30000 x 30000 is 900 megapixels, beyond the limit; the file does not hold them either.
  EXPECT_EQ(Decode(Bmp(30000, 30000, 24, 0, 0, std::string(64, '\0'))), 0);
  EXPECT_EQ(Decode(Bmp(30000, -30000, 8, 0, 256, std::string(64, '\0'))), 0);
  // An RLE stream of a few bytes may claim a picture just within the limit of the test below.
  const uint64_t old = SetPictureLimit(1000);
  EXPECT_EQ(Decode(Bmp(1001, 1, 8, 1, 2, std::string("\0\1", 2))), 0);
  EXPECT_EQ(Decode(Bmp(1000, 1, 8, 1, 2, std::string("\x02\x01\0\1", 4))), 1);
  SetPictureLimit(old);
  // A PNG header claiming 100000 x 100000 pixels, with a right checksum so that only the size is wrong.
  std::string png =
      std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\x01\x86\xA0\0\x01\x86\xA0\x08\x02\0\0\0", 29);
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17);
  for (int i = 3; i >= 0; --i) png += static_cast<char>(crc >> (8 * i));
  EXPECT_EQ(Decode(png), 0);
  // A JPEG frame header of 65000 x 65000 and the start of its scan.
  std::string jpeg(
      "\xFF\xD8\xFF\xC0\0\x11\x08\xFD\xE8\xFD\xE8\x03\x01\x22\0\x02\x11\x01\x03\x11\x01"
      "\xFF\xDA\0\x0C\x03\x01\0\x02\x11\x03\x11\0\x3F\0\0\0\xFF\xD9",
      39);
  EXPECT_EQ(Decode(jpeg), 0);
  // newdib refuses the same.
  TDib dib;
  newdib(&dib, 40000, 40000, 24, nullptr, 0);
  EXPECT_EQ(dib.Bits, nullptr);
  EXPECT_EQ(dib.Made, 0u);
  newdib(&dib, 0, 10, 8, nullptr, 0);
  EXPECT_EQ(dib.Bits, nullptr);
  newdib(&dib, 10, 10, 7, nullptr, 0);
  EXPECT_EQ(dib.Bits, nullptr);
}

TEST(PictaroBadInput, DamagedBmpHeaders) {
  const std::string row4(4, '\x11');
  EXPECT_EQ(Decode(Bmp(1, 1, 8, 0, 2, row4)), 1);
  EXPECT_EQ(Decode(Bmp(1, 1, 8, 0, 2, "")), 0);            // no pixels at all
  EXPECT_EQ(Decode(Bmp(0, 1, 8, 0, 2, row4)), 0);          // no width
  EXPECT_EQ(Decode(Bmp(1, 0, 8, 0, 2, row4)), 0);          // no height
  EXPECT_EQ(Decode(Bmp(-1, 1, 8, 0, 2, row4)), 0);         // negative width
  EXPECT_EQ(Decode(Bmp(1, INT32_MIN, 8, 0, 2, row4)), 0);  // a height that has no positive
  EXPECT_EQ(Decode(Bmp(1, 1, 7, 0, 0, row4)), 0);          // no such depth
  EXPECT_EQ(Decode(Bmp(1, 1, 8, 9, 2, row4)), 0);          // no such compression
  EXPECT_EQ(Decode(Bmp(1, -1, 8, 1, 2, row4)), 0);         // RLE cannot run top-down
  std::string huge = Bmp(1, 1, 8, 0, 2, row4);
  Put32(huge, 14, 0xFFFFFFF0u);  // header size beyond the file
  EXPECT_EQ(Decode(huge), 0);
  std::string offset = Bmp(1, 1, 8, 0, 2, row4);
  Put32(offset, 10, 0xFFFFFFF0u);  // pixel offset beyond the file: the table's end is used instead
  EXPECT_EQ(Decode(offset), 1);
  EXPECT_EQ(Decode(Bmp(4, 1, 24, 0, 0, std::string(12, '\0')), 7), 0);  // BMP content, JPEG asked for
}

TEST(PictaroBadInput, RunLengthStreamsWithDeltasAndOverruns) {
  // RLE4, 6 x 3: row 0 a run of five pixels 1,2,1,2,1; row 1 absolute 3,4,5 (padded); then a delta to
  // (2, 2), a run of 9 pixels of which only 4 fit, and the end.
  const std::string stream("\x05\x12\0\0\0\x03\x34\x50\0\0\0\x02\x02\x00\x09\x77\0\x01", 18);
  TDib dib;
  const std::string file = Bmp(6, 3, 4, 2, 16, stream);
  ASSERT_EQ(DecodePicture(reinterpret_cast<const uint8_t*>(file.data()), file.size(), 3, nullptr, &dib), 1);
  EXPECT_EQ(DibBitCount(dib), 4);
  const uint32_t want[3][6] = {{1, 2, 1, 2, 1, 0}, {3, 4, 5, 0, 0, 0}, {0, 0, 7, 7, 7, 7}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(getpixel(dib, x, y), want[y][x]) << x << "," << y;
  EXPECT_EQ(dib.Colors[7].Red, 7 * 16);
  deldib(dib);
  // A stream that ends before its last row.
  EXPECT_EQ(Decode(Bmp(6, 3, 4, 2, 16, std::string("\x02\x11", 2))), 0);
  // An absolute run reaching past the data.
  EXPECT_EQ(Decode(Bmp(6, 3, 8, 1, 16, std::string("\0\x09\x01\x02", 4))), 0);
}

TEST(PictaroBadInput, WhatIsNotAPictureFile) {
  qtest::TScratchDir dir;
  TDib dib;
  EXPECT_EQ(OpenDib(&dib, (dir / "missing.jpg").c_str(), -1, nullptr), 0);
  EXPECT_EQ(dib.Bits, nullptr);
  EXPECT_EQ(OpenDib(&dib, dir.Path().c_str(), -1, nullptr), 0);  // a folder
  qtest::WriteFile(dir / "empty.bmp", "");
  EXPECT_EQ(OpenDib(&dib, (dir / "empty.bmp").c_str(), -1, nullptr), 0);
  qtest::WriteFile(dir / "text.jpg", "Dies ist kein Bild.\n");
  EXPECT_EQ(OpenDib(&dib, (dir / "text.jpg").c_str(), 0, nullptr), 0);
  // A named pipe with no writer would block a plain open for reading.
  const std::string fifo = dir / "pipe.jpg";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(OpenDib(&dib, fifo.c_str(), -1, nullptr), 0);
  EXPECT_EQ(OpenDib(&dib, nullptr, -1, nullptr), 0);
  EXPECT_EQ(Decode(std::string(), -1), 0);
  EXPECT_EQ(Decode("BM", 5), 0);  // an unknown format number
}
