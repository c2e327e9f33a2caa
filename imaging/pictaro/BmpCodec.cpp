// Windows bitmaps, read and written by our own code. Reads core (OS/2) and Windows headers up to
// version 5, 1/4/8 bits with colour tables, 16/24/32 bits (with bit-field masks), RLE8 and RLE4, and
// top-down rows; writes the picture's own depth uncompressed.
#include <algorithm>
#include <bit>
#include <cstring>

#include "imaging/pictaro/ByteReader.h"
#include "imaging/pictaro/Codecs.h"
#include "imaging/pictaro/DibAlloc.h"
#include "imaging/pictaro/FileWriter.h"

namespace pictaro {
namespace {

constexpr size_t FileHeaderSize = 14;

struct TBmpInfo {
  int64_t Width = 0, Height = 0;
  bool TopDown = false;
  int Bits = 0;
  uint32_t Compression = 0;
  uint32_t Masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  size_t PaletteOffset = 0;
  int PaletteEntrySize = 4;
  int PaletteCount = 0;
  size_t PixelOffset = 0;
};

enum : uint32_t { BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitfields = 3, BiAlphaBitfields = 6 };

bool ParseHeader(const uint8_t* d, size_t n, TBmpInfo& info) {
  if (n < FileHeaderSize + 12) return false;
  const uint32_t headerSize = Le32(d + 14);
  if (headerSize < 12 || headerSize > 124 || FileHeaderSize + headerSize > n) return false;
  const uint8_t* h = d + FileHeaderSize;
  if (headerSize == 12) {  // the OS/2 core header: 16-bit sizes, three-byte palette entries
    info.Width = Le16(h + 4);
    info.Height = Le16(h + 6);
    info.Bits = Le16(h + 10);
    info.PaletteEntrySize = 3;
  } else {
    if (headerSize < 16) return false;
    info.Width = static_cast<int32_t>(Le32(h + 4));
    const auto height = static_cast<int32_t>(Le32(h + 8));
    if (height == INT32_MIN) return false;
    info.TopDown = height < 0;
    info.Height = height < 0 ? -static_cast<int64_t>(height) : height;
    info.Bits = Le16(h + 14);
    if (headerSize >= 20) info.Compression = Le32(h + 16);
    if (headerSize >= 36) info.PaletteCount = static_cast<int>(std::min<uint32_t>(Le32(h + 32), 1u << 16));
  }
  if (info.Width <= 0 || info.Height <= 0) return false;

  size_t after = FileHeaderSize + headerSize;
  const bool fields = info.Compression == BiBitfields || info.Compression == BiAlphaBitfields;
  if (fields) {
    if (info.Bits != 16 && info.Bits != 32) return false;
    const size_t maskCount = info.Compression == BiAlphaBitfields ? 4 : 3;
    // Version 2 and later headers hold the masks; after a 40-byte header they follow it.
    if (headerSize == 40) {
      if (after + 4 * maskCount > n) return false;
      for (size_t i = 0; i < maskCount; ++i) info.Masks[i] = Le32(d + after + 4 * i);
      after += 4 * maskCount;
    } else if (headerSize >= 52) {
      for (size_t i = 0; i < 3; ++i) info.Masks[i] = Le32(h + 40 + 4 * i);
      if (headerSize >= 56) info.Masks[3] = Le32(h + 52);
    } else {
      return false;
    }
  } else if (info.Bits == 16) {
    info.Masks[0] = 0x7C00, info.Masks[1] = 0x03E0, info.Masks[2] = 0x001F;
  } else if (info.Bits == 32) {
    info.Masks[0] = 0xFF0000, info.Masks[1] = 0xFF00, info.Masks[2] = 0xFF;
  }

  switch (info.Compression) {
    case BiRgb:
      if (info.Bits != 1 && info.Bits != 4 && info.Bits != 8 && info.Bits != 16 && info.Bits != 24 &&
          info.Bits != 32)
        return false;
      break;
    case BiRle8:
      if (info.Bits != 8 || info.TopDown) return false;
      break;
    case BiRle4:
      if (info.Bits != 4 || info.TopDown) return false;
      break;
    case BiBitfields:
    case BiAlphaBitfields: break;
    default: return false;
  }

  if (info.Bits <= 8) {
    const int full = 1 << info.Bits;
    if (info.PaletteCount <= 0 || info.PaletteCount > full) info.PaletteCount = full;
    info.PaletteOffset = after;
    // A short file may still hold a shorter table than declared; take what is there.
    const size_t room = (n - std::min(n, after)) / static_cast<size_t>(info.PaletteEntrySize);
    info.PaletteCount = static_cast<int>(std::min<size_t>(info.PaletteCount, room));
    if (info.PaletteCount == 0) return false;
    after += static_cast<size_t>(info.PaletteCount) * info.PaletteEntrySize;
  } else {
    info.PaletteCount = 0;  // a count in a direct-colour file describes no table we use
  }
  const uint32_t offBits = Le32(d + 10);
  info.PixelOffset = offBits >= after && offBits < n ? offBits : after;
  return info.PixelOffset < n;
}

struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  uint32_t Max = 0;
};

TChannel MakeChannel(uint32_t Mask) {
  TChannel c;
  if (!Mask) return c;
  c.Mask = Mask;
  c.Shift = std::countr_zero(Mask);
  const uint32_t bits = std::min(std::popcount(Mask >> c.Shift), 31);
  c.Max = (1u << bits) - 1;
  return c;
}

inline uint8_t Extract(const TChannel& c, uint32_t v) {
  if (!c.Max) return 0;
  return static_cast<uint8_t>((static_cast<uint64_t>((v & c.Mask) >> c.Shift) * 255 + c.Max / 2) / c.Max);
}

bool DecodeRows(const uint8_t* d, size_t n, const TBmpInfo& info, TProgressReporter& progress, TMatte matte,
                TDib& dib) {
  const int32_t srcRowBytes = RowBytesFor(info.Width, info.Bits);
  const uint64_t lastRowBytes = (static_cast<uint64_t>(info.Width) * info.Bits + 7) / 8;
  if (srcRowBytes == 0) return false;
  if (info.PixelOffset + static_cast<uint64_t>(srcRowBytes) * (info.Height - 1) + lastRowBytes > n)
    return false;

  const TChannel ch[4] = {MakeChannel(info.Masks[0]), MakeChannel(info.Masks[1]), MakeChannel(info.Masks[2]),
                          MakeChannel(info.Masks[3])};
  const int bytesPerPixel = info.Bits / 8;
  auto pixelAt = [&](const uint8_t* p) { return bytesPerPixel == 2 ? Le16(p) : Le32(p); };
  // Many 32-bit files carry an alpha mask with every alpha zero; such a picture is opaque.
  bool useAlpha = false;
  if (ch[3].Max && info.Bits >= 16) {
    for (int64_t r = 0; r < info.Height && !useAlpha; ++r) {
      const uint8_t* src = d + info.PixelOffset + r * srcRowBytes;
      for (int64_t x = 0; x < info.Width; ++x)
        if (pixelAt(src + x * bytesPerPixel) & ch[3].Mask) {
          useAlpha = true;
          break;
        }
    }
  }

  const size_t copyBytes = std::min<size_t>(static_cast<size_t>(dib.RowBytes), lastRowBytes);
  for (int64_t r = 0; r < info.Height; ++r) {
    const int64_t fileRow = info.TopDown ? info.Height - 1 - r : r;
    const uint8_t* src = d + info.PixelOffset + fileRow * srcRowBytes;
    uint8_t* dst = dib.Bits + r * dib.RowBytes;
    if (info.Bits <= 8 || info.Bits == 24) {
      std::memcpy(dst, src, copyBytes);
    } else {
      for (int64_t x = 0; x < info.Width; ++x, dst += 3) {
        const uint32_t v = pixelAt(src + x * bytesPerPixel);
        uint8_t red = Extract(ch[0], v), green = Extract(ch[1], v), blue = Extract(ch[2], v);
        if (useAlpha) {
          const uint8_t a = Extract(ch[3], v);
          red = Over(red, a, matte.Red), green = Over(green, a, matte.Green), blue = Over(blue, a, matte.Blue);
        }
        dst[0] = blue, dst[1] = green, dst[2] = red;
      }
    }
    progress.Report(r + 1, info.Height);
  }
  return true;
}

// Run-length encoded rows (RLE8 or RLE4), bottom-up. Pixels the stream skips stay colour 0. Writes
// past the picture's edge are dropped; the stream may not end before its last row has begun.
bool DecodeRle(const uint8_t* d, size_t n, const TBmpInfo& info, TProgressReporter& progress, TDib& dib) {
  const bool four = info.Compression == BiRle4;
  const int64_t w = info.Width, h = info.Height;
  int64_t x = 0, y = 0;
  auto put = [&](uint8_t index) {
    if (x < w && y < h) {
      uint8_t* row = dib.Bits + y * dib.RowBytes;
      if (!four)
        row[x] = index;
      else if (x & 1)
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | (index & 0x0F));
      else
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0F) | (index << 4));
    }
    ++x;
  };
  size_t p = info.PixelOffset;
  while (y < h) {
    if (p + 2 > n) return y >= h - 1;
    const uint8_t count = d[p], value = d[p + 1];
    p += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
    } else if (value == 0) {
      x = 0, ++y;
      progress.Report(y, h);
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (p + 2 > n) return false;
      x += d[p], y += d[p + 1];
      p += 2;
    } else {
      const size_t bytes = four ? (value + 1u) / 2 : value;
      if (p + bytes > n) return false;
      for (int i = 0; i < value; ++i)
        put(four ? ((i & 1) ? d[p + i / 2] & 0x0F : d[p + i / 2] >> 4) : d[p + i]);
      p += (bytes + 1) & ~size_t{1};  // absolute runs are padded to a 16-bit boundary
    }
  }
  return true;
}

}  // namespace

bool BmpHeader(const uint8_t* Data, size_t Size, TDibHeaderSize& Out) {
  TBmpInfo info;
  if (!ParseHeader(Data, Size, info)) return false;
  Out = {info.Width, info.Height, info.Bits == 1};
  return true;
}

bool DecodeBmp(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDecodeColor& Color, TDib* Out) {
  TBmpInfo info;
  if (!ParseHeader(Data, Size, info)) return false;
  TDibOwner dib;
  if (!AllocDib(dib.Get(), info.Width, info.Height, info.Bits <= 8 ? info.Bits : 24)) return false;
  for (int i = 0; i < info.PaletteCount; ++i) {
    const uint8_t* q = Data + info.PaletteOffset + static_cast<size_t>(i) * info.PaletteEntrySize;
    SetDibColor(*dib, i, q[2], q[1], q[0]);
  }
  const bool ok = info.Compression == BiRle8 || info.Compression == BiRle4
                      ? DecodeRle(Data, Size, info, Progress, *dib)
                      : DecodeRows(Data, Size, info, Progress, TMatte(Color.Matte), *dib);
  if (!ok) return false;
  dib.ReleaseTo(Out);
  return true;
}

bool WriteBmp(const TDib& Dib, const std::string& FileName) {
  const TBitmapInfoHeader& src = *Dib.Header;
  const int bits = src.biBitCount;
  if (src.biWidth <= 0 || src.biHeight <= 0) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  const int32_t rowBytes = RowBytesFor(src.biWidth, bits);
  if (rowBytes == 0 || Dib.RowBytes < rowBytes) return false;
  const uint32_t colors =
      bits <= 8 ? (src.biClrUsed && src.biClrUsed < (1u << bits) ? src.biClrUsed : 1u << bits) : 0;
  const uint64_t image = static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(src.biHeight);
  const uint64_t offBits = FileHeaderSize + sizeof(TBitmapInfoHeader) + 4 * colors;
  if (offBits + image > UINT32_MAX) return false;

  uint8_t fileHeader[FileHeaderSize] = {'B', 'M'};
  const auto put32 = [](uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put32(fileHeader + 2, static_cast<uint32_t>(offBits + image));
  put32(fileHeader + 10, static_cast<uint32_t>(offBits));
  TBitmapInfoHeader header = src;
  header.biSize = sizeof(TBitmapInfoHeader);
  header.biPlanes = 1;
  header.biCompression = 0;
  header.biSizeImage = static_cast<uint32_t>(image);
  header.biClrUsed = colors;
  header.biClrImportant = 0;

  TOutputFile file(FileName);
  if (!file.Get()) return false;
  bool ok = file.Write(fileHeader, sizeof fileHeader) && file.Write(&header, sizeof header);
  if (ok && colors) ok = file.Write(reinterpret_cast<const uint8_t*>(Dib.Header) + src.biSize, 4 * colors);
  if (ok && Dib.RowBytes == rowBytes) {
    ok = file.Write(Dib.Bits, static_cast<size_t>(image));
  } else {
    for (int32_t r = 0; ok && r < src.biHeight; ++r)
      ok = file.Write(Dib.Bits + static_cast<int64_t>(r) * Dib.RowBytes, static_cast<size_t>(rowBytes));
  }
  return ok && file.Finish();
}

}  // namespace pictaro
