#include "imaging/pictaro/ExifThumbnail.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "imaging/pictaro/JpegHeader.h"
#include "imaging/pictaro/ByteReader.h"
#include "imaging/pictaro/Codecs.h"
#include "imaging/pictaro/DibAlloc.h"
#include "imaging/pictaro/TiffIfd.h"

namespace {

// EXIF pictures are 160 x 120 by the standard; some phones store 512 x 384. Larger is not one.
constexpr int32_t KMaxSide = 1024;
// A bar is a line whose pixels' brightest channel averages at most this: black, give or take the
// ringing of the JPEG coding next to the picture.
constexpr int KBarLevel = 24;

bool IsFrameMarker(uint8_t Marker) {
  return Marker >= 0xC0 && Marker <= 0xCF && Marker != 0xC4 && Marker != 0xC8 && Marker != 0xCC;
}

// Takes orientation and picture from the TIFF structure of an EXIF block at Tiff (Offset into the
// data), Size bytes long.
void ReadExif(const uint8_t* Tiff, size_t Size, size_t Offset, TJpegHead& Head) {
  pictaro::TTiffView tiff;
  if (!tiff.Open(Tiff, Size)) return;
  Head.Orientation = pictaro::TiffOrientation(Tiff, Size);
  const uint32_t second = tiff.NextIfd(tiff.FirstIfd());
  uint32_t at = 0, length = 0;
  if (!tiff.Value(second, 0x0201, at) || !tiff.Value(second, 0x0202, length)) return;
  if (at < 8 || length < 4 || at > Size || length > Size - at) return;
  Head.ThumbnailOffset = Offset + at;
  Head.ThumbnailLength = length;
}

// The average of the brightest channel over Count pixels from (X, Y) in steps of (DX, DY), stored
// coordinates.
bool DarkLine(const TDib& Dib, int64_t X, int64_t Y, int DX, int DY, int64_t Count) {
  int64_t sum = 0;
  for (int64_t i = 0; i < Count; ++i, X += DX, Y += DY) {
    uint8_t bgr[3];
    pictaro::PixelBgr(Dib, X, Y, bgr);
    sum += std::max({bgr[0], bgr[1], bgr[2]});
  }
  return sum <= KBarLevel * Count;
}

// Dark lines at one edge: from (X, Y) going inwards by (StepX, StepY), each line running (DX, DY) for
// Count pixels; at most Limit of them.
int64_t DarkLines(const TDib& Dib, int64_t X, int64_t Y, int StepX, int StepY, int DX, int DY, int64_t Count,
                  int64_t Limit) {
  int64_t n = 0;
  while (n < Limit && DarkLine(Dib, X + n * StepX, Y + n * StepY, DX, DY, Count)) ++n;
  return n;
}

// Copies the part of Dib from stored column Left, stored row Bottom, Width x Height, into Out.
bool Crop(const TDib& Dib, int64_t Left, int64_t Bottom, int64_t Width, int64_t Height,
          pictaro::TDibOwner& Out) {
  const int bits = Dib.Header->biBitCount;
  if (!pictaro::AllocDib(Out.Get(), Width, Height, bits, pictaro::TPixels::Unset)) return false;
  for (int i = 0; i < 256 && i < static_cast<int>(Dib.Header->biClrUsed); ++i)
    pictaro::SetDibColor(*Out, i, Dib.Colors[i].Red, Dib.Colors[i].Green, Dib.Colors[i].Blue);
  const int64_t bpp = bits / 8;
  for (int64_t y = 0; y < Height; ++y)
    std::memcpy(Out->Bits + y * Out->RowBytes, Dib.Bits + (Bottom + y) * Dib.RowBytes + Left * bpp,
                static_cast<size_t>(Width * bpp));
  return true;
}

}  // namespace

TJpegHeadRead ReadJpegHead(const uint8_t* Data, size_t Size, TJpegHead& Head, size_t* Needed) {
  using pictaro::Be16;
  Head = TJpegHead{};
  *Needed = 0;
  if (Size < 4) {
    *Needed = 4;
    return Size >= 2 && (Data[0] != 0xFF || Data[1] != 0xD8) ? TJpegHeadRead::NotJpeg
                                                             : TJpegHeadRead::NeedMore;
  }
  if (Data[0] != 0xFF || Data[1] != 0xD8) return TJpegHeadRead::NotJpeg;
  bool exif = false;
  size_t p = 2;
  // Each step moves forward, so this ends.
  for (;;) {
    if (p + 4 > Size) {
      *Needed = p + 4;
      return TJpegHeadRead::NeedMore;
    }
    if (Data[p] != 0xFF) return TJpegHeadRead::NotJpeg;
    const uint8_t marker = Data[p + 1];
    if (marker == 0xFF) {  // fill byte
      ++p;
      continue;
    }
    if (marker == 0x00 || marker == 0xD8 || marker == 0xD9 || marker == 0xDA) return TJpegHeadRead::NotJpeg;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // markers without a segment
      p += 2;
      continue;
    }
    const size_t length = Be16(Data + p + 2);
    if (length < 2) return TJpegHeadRead::NotJpeg;
    if (p + 2 + length > Size) {
      *Needed = p + 2 + length;
      return TJpegHeadRead::NeedMore;
    }
    const uint8_t* body = Data + p + 4;
    const size_t bodySize = length - 2;
    if (IsFrameMarker(marker)) {
      if (bodySize < 6) return TJpegHeadRead::NotJpeg;
      Head.Height = Be16(body + 1);
      Head.Width = Be16(body + 3);
      return Head.Width > 0 && Head.Height > 0 ? TJpegHeadRead::Complete : TJpegHeadRead::NotJpeg;
    }
    if (marker == 0xE1 && !exif && bodySize >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0) {
      exif = true;
      ReadExif(body + 6, bodySize - 6, p + 4 + 6, Head);
    }
    p += 2 + length;
  }
}

bool ProportionsMatch(int64_t Width, int64_t Height, int64_t PhotoWidth, int64_t PhotoHeight) {
  if (Width <= 0 || Height <= 0 || PhotoWidth <= 0 || PhotoHeight <= 0) return false;
  // Both sides multiplied by Height * PhotoHeight; sides are at most 65535, so nothing overflows.
  const int64_t difference = Width * PhotoHeight - Height * PhotoWidth;
  return std::abs(difference) * 50 <= Height * PhotoWidth;
}

bool DecodeExifThumbnail(const uint8_t* Data, const TJpegHead& Head, TDib* Out) {
  std::memset(Out, 0, sizeof *Out);
  if (!Head.ThumbnailLength) return false;
  const uint8_t* bytes = Data + Head.ThumbnailOffset;
  TJpegHeader header;
  if (!ReadJpegHeader(bytes, Head.ThumbnailLength, header) || header.Width <= 0 || header.Height <= 0 ||
      header.Width > KMaxSide || header.Height > KMaxSide)
    return false;
  pictaro::TDibOwner dib;
  if (!pictaro::DecodeJpegTurned(bytes, Head.ThumbnailLength, Head.Orientation, dib.Get())) return false;
  const int64_t photoW = Head.UprightWidth(), photoH = Head.UprightHeight();
  const int64_t w = DibWidth(*dib), h = DibHeight(*dib);
  if (ProportionsMatch(w, h, photoW, photoH)) {
    dib.ReleaseTo(Out);
    return true;
  }
  // Too high for the photo: bars above and below; too wide: bars left and right. Fewer than half
  // the picture either way.
  int64_t left = 0, right = 0, bottom = 0, top = 0;
  if (w * photoH < h * photoW) {
    bottom = DarkLines(*dib, 0, 0, 0, 1, 1, 0, w, h / 2);
    top = DarkLines(*dib, 0, h - 1, 0, -1, 1, 0, w, h / 2);
  } else {
    left = DarkLines(*dib, 0, 0, 1, 0, 0, 1, h, w / 2);
    right = DarkLines(*dib, w - 1, 0, -1, 0, 0, 1, h, w / 2);
  }
  const int64_t cropW = w - left - right, cropH = h - top - bottom;
  pictaro::TDibOwner cropped;
  if (!ProportionsMatch(cropW, cropH, photoW, photoH) || !Crop(*dib, left, bottom, cropW, cropH, cropped))
    return false;
  cropped.ReleaseTo(Out);
  return true;
}
