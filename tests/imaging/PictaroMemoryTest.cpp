// The picture library's memory paths: JPEG turned upright while it decodes, encoding into memory, and
// the pixel block kept from one picture for the next.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PictaroDecode.h"
#include "imaging/pictaro/PictaroMemory.h"
#include "imaging/pictaro/Codecs.h"
#include "imaging/pictaro/DibAlloc.h"
#include "support/TestSupport.h"

namespace {

// Frees a picture however the test ends.
struct TOwned {
  TDib Dib{};
  ~TOwned() { deldib(Dib); }
};

// A different value in nearly every sample of a 24-bit picture.
void Fill(TDib& Dib) {
  const int bytes = (DibWidth(Dib) * DibBitCount(Dib) + 7) / 8;
  for (int y = 0; y < DibHeight(Dib); ++y)
    for (int x = 0; x < bytes; ++x) Dib.Bits[y * Dib.RowBytes + x] = static_cast<uint8_t>(x * 7 + y * 13);
}

// A colour JPEG from our own encoder, or a one-component grey JPEG from ImageMagick (empty when it is
// missing).
std::string MakeJpeg(int Width, int Height, bool Grey) {
  if (Grey) {
    if (!qtest::NeedProgram("convert")) return {};
    qtest::TScratchDir dir;
    const std::string file = dir / "grey.jpg";
    const std::string size = std::to_string(Width) + "x" + std::to_string(Height);
    if (qtest::Run("convert -seed 3 -size " + size + " plasma:fractal -colorspace Gray -type Grayscale " +
                   qtest::Quote(file)) != 0)
      return {};
    return qtest::ReadFile(file);
  }
  TOwned picture;
  newdib(&picture.Dib, Width, Height, 24, nullptr, 0);
  Fill(picture.Dib);
  std::string bytes;
  EXPECT_EQ(EncodeDib(picture.Dib, 7, bytes), 1);
  return bytes;
}

// The JPEG with an EXIF segment holding only the orientation tag, right after the start marker.
std::string WithOrientation(const std::string& Jpeg, int Orientation) {
  const uint8_t tiff[] = {'I',
                          'I',
                          42,
                          0,
                          8,
                          0,
                          0,
                          0,  // little-endian, first IFD at 8
                          1,
                          0,  // one entry
                          0x12,
                          0x01,
                          3,
                          0,
                          1,
                          0,
                          0,
                          0,  // orientation, SHORT, count 1
                          static_cast<uint8_t>(Orientation),
                          0,
                          0,
                          0,
                          0,
                          0,
                          0,
                          0};  // no next IFD
  std::string segment = "\xFF\xE1";
  const size_t length = 2 + 6 + sizeof tiff;
  segment += static_cast<char>(length >> 8);
  segment += static_cast<char>(length & 0xFF);
  segment.append("Exif\0\0", 6);
  segment.append(reinterpret_cast<const char*>(tiff), sizeof tiff);
  return Jpeg.substr(0, 2) + segment + Jpeg.substr(2);
}

// Where the upright pixel (X, Y) of a picture stored W x H pixels with EXIF orientation Orientation
// lies in the stored picture, rows counted from the top, as the tag's eight values define it.
std::pair<int, int> StoredPixel(int Orientation, int X, int Y, int W, int H) {
  switch (Orientation) {
    case 2: return {W - 1 - X, Y};          // mirrored left to right
    case 3: return {W - 1 - X, H - 1 - Y};  // turned half round
    case 4: return {X, H - 1 - Y};          // mirrored top to bottom
    case 5: return {Y, X};                  // mirrored along the main diagonal
    case 6: return {Y, H - 1 - X};          // to be turned clockwise
    case 7: return {W - 1 - Y, H - 1 - X};  // mirrored along the other diagonal
    case 8: return {W - 1 - Y, X};          // to be turned anticlockwise
    default: return {X, Y};
  }
}

TEST(PictaroMemory, JpegTurnedWhileDecodingMatchesDjpegTurnedByTheTag) {
  // Widths with row padding, heights over several bands of rows with a partial last band; colour and
  // grey. Every orientation gives exactly djpeg's pixels of the stored picture, where the tag puts them.
  for (const bool grey : {false, true}) {
    for (const auto& [w, h] : {std::pair{61, 75}, std::pair{18, 33}, std::pair{1, 1}}) {
      const std::string plain = MakeJpeg(w, h, grey);
      ASSERT_FALSE(plain.empty());
      int dw = 0, dh = 0;
      std::string rgb;
      ASSERT_TRUE(qtest::DjpegPixels(plain, dw, dh, rgb));
      ASSERT_EQ(dw, w);
      ASSERT_EQ(dh, h);
      for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + (grey ? " grey" : " colour") +
                     ", orientation " + std::to_string(orientation));
        const std::string tagged = WithOrientation(plain, orientation);
        TOwned turned;
        ASSERT_EQ(DecodePicture(reinterpret_cast<const uint8_t*>(tagged.data()), tagged.size(), 7, nullptr,
                                &turned.Dib),
                  1);
        ASSERT_EQ(DibBitCount(turned.Dib), grey ? 8 : 24);
        const int uw = orientation >= 5 ? h : w, uh = orientation >= 5 ? w : h;
        ASSERT_EQ(DibWidth(turned.Dib), uw);
        ASSERT_EQ(DibHeight(turned.Dib), uh);
        int wrong = 0;
        for (int y = 0; y < uh; ++y)
          for (int x = 0; x < uw; ++x) {
            const auto [sx, sy] = StoredPixel(orientation, x, y, w, h);
            const uint8_t* want = reinterpret_cast<const uint8_t*>(rgb.data()) + 3 * (sy * w + sx);
            const uint32_t got = getpixel(turned.Dib, x, uh - 1 - y);  // stored rows run bottom-up
            const uint32_t expected = grey ? want[0] : want[0] | want[1] << 8 | uint32_t(want[2]) << 16;
            wrong += got != expected;
          }
        EXPECT_EQ(wrong, 0);
        const int padding = turned.Dib.RowBytes - (uw * DibBitCount(turned.Dib) + 7) / 8;
        for (int y = 0; y < uh && padding > 0; ++y)
          for (int k = 1; k <= padding; ++k) EXPECT_EQ(turned.Dib.Bits[(y + 1) * turned.Dib.RowBytes - k], 0);
      }
    }
  }
}

// The bytes in memory are a JPEG that djpeg reads as the picture, and the very bytes SaveDib writes.
TEST(PictaroMemory, EncodedBytesAreTheFileBytes) {
  qtest::TScratchDir dir;
  for (const int bits : {24, 8, 4, 1}) {
    SCOPED_TRACE(bits);
    TOwned picture;
    newdib(&picture.Dib, 37, 23, bits, nullptr, 0);
    // Palettes: a grey ramp; gentle gradients and 8 x 8 blocks keep JPEG's loss small.
    const int colours = bits <= 8 ? 1 << bits : 0;
    for (int i = 0; i < colours; ++i) {
      const auto v = static_cast<uint8_t>(i * 255 / (colours - 1));
      pictaro::SetDibColor(picture.Dib, i, v, v, v);
    }
    for (int y = 0; y < 23; ++y)
      for (int x = 0; x < 37; ++x)
        setpixel(picture.Dib, x, y,
                 bits == 24 ? 0x800000u | (5u * y) << 8 | 3u * x : uint32_t(x / 8 + y / 8) % colours);
    std::string bytes;
    ASSERT_EQ(EncodeDib(picture.Dib, 7, bytes), 1);
    int w = 0, h = 0;
    std::string rgb;
    ASSERT_TRUE(qtest::DjpegPixels(bytes, w, h, rgb));
    ASSERT_EQ(w, 37);
    ASSERT_EQ(h, 23);
    int worst = 0;
    for (int top = 0; top < h; ++top)
      for (int x = 0; x < w; ++x) {
        const uint32_t v = getpixel(picture.Dib, x, h - 1 - top);
        const TDibColor c =
            bits == 24 ? TDibColor{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), 0} : picture.Dib.Colors[v];
        const auto* got = reinterpret_cast<const uint8_t*>(rgb.data()) + 3 * (size_t(top) * w + x);
        worst = std::max(
            {worst, std::abs(got[0] - c.Red), std::abs(got[1] - c.Green), std::abs(got[2] - c.Blue)});
      }
    EXPECT_LE(worst, 16);
    const std::string file = dir / "p.jpg";
    ASSERT_EQ(SaveDib(picture.Dib, file.c_str(), 7, 0), 1);
    EXPECT_EQ(bytes, qtest::ReadFile(file));
    EXPECT_EQ(EncodeDib(picture.Dib, 3, bytes), 0);  // only JPEG goes to memory
    EXPECT_TRUE(bytes.empty());
  }
  std::string bytes = "old";
  EXPECT_EQ(EncodeDib(TDib{}, 7, bytes), 0);
  EXPECT_TRUE(bytes.empty());
}

TEST(PictaroMemory, ReusedPhotoBlocksComeBackCleared) {
  // 2000 x 1500 x 3 bytes is photo-sized, so freeing it keeps its block for the next picture; a block
  // kept from an earlier test must not compete with it.
  ReleaseSparePictureMemory();
  TOwned first;
  newdib(&first.Dib, 2000, 1500, 24, nullptr, 0);
  ASSERT_NE(first.Dib.Bits, nullptr);
  std::memset(first.Dib.Header, 0xAB, sizeof(TBitmapInfoHeader) + size_t{3000} * 2000 * 3 / 2);
  const void* block = first.Dib.Header;
  deldib(first.Dib);
  first.Dib = TDib{};

  // A smaller picture fits into the kept block and must still be all zero, as newdib promises.
  TOwned second;
  newdib(&second.Dib, 1999, 4250, 8, nullptr, 0);
  ASSERT_NE(second.Dib.Bits, nullptr);
  EXPECT_EQ(static_cast<const void*>(second.Dib.Header), block);
  EXPECT_EQ(DibWidth(second.Dib), 1999);
  EXPECT_EQ(second.Dib.Header->biClrUsed, 256u);
  const size_t size = static_cast<size_t>(second.Dib.RowBytes) * 4250;
  const std::string zeros(size, '\0');
  EXPECT_EQ(std::memcmp(second.Dib.Bits, zeros.data(), size), 0);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(second.Dib.Colors[i].Red, 0);

  // An uncleared picture in the same block: pixels are left, but the row padding (1999 of 2000
  // bytes) and the header and table are not.
  std::memset(second.Dib.Bits, 0xCD, size);
  deldib(second.Dib);
  second.Dib = TDib{};
  TOwned third;
  newdibUncleared(&third.Dib, 1999, 4250, 8, nullptr, 0);
  ASSERT_NE(third.Dib.Bits, nullptr);
  EXPECT_EQ(third.Dib.RowBytes, 2000);
  for (int y = 0; y < 4250; ++y) ASSERT_EQ(third.Dib.Bits[y * 2000 + 1999], 0) << y;
  EXPECT_EQ(third.Dib.Header->biWidth, 1999);
  EXPECT_EQ(third.Dib.Header->biClrImportant, 0u);

  // A request larger than the kept block gets a fresh one, cleared.
  deldib(third.Dib);
  third.Dib = TDib{};
  TOwned bigger;
  newdib(&bigger.Dib, 2100, 1600, 24, nullptr, 0);
  ASSERT_NE(bigger.Dib.Bits, nullptr);
  const size_t biggerSize = static_cast<size_t>(bigger.Dib.RowBytes) * 1600;
  EXPECT_EQ(std::memcmp(bigger.Dib.Bits, std::string(biggerSize, '\0').data(), biggerSize), 0);
  ReleaseSparePictureMemory();
}

}  // namespace
