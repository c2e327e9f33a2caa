// The picture library's entry points: reading a file and choosing its decoder, writing, making and
// freeing pictures, single pixels and the open-dialog filter. The codecs live in imaging/pictaro/.
#include "imaging/pictaro/Pictaro.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/pictaro/JpegHeader.h"
#include "imaging/pictaro/PhotoTurn.h"
#include "imaging/pictaro/PictaroDecode.h"
#include "imaging/pictaro/PictaroMemory.h"
#include "imaging/pictaro/PictaroReduced.h"
#include "imaging/pictaro/Codecs.h"
#include "imaging/pictaro/DibAlloc.h"
#include "platform/ProgressSink.h"
#include "platform/UnixFile.h"

namespace {

constexpr uint64_t MaxFileSize = KMaxPictureFileSize;
// A HEIF file's 'ftyp' box, which tells it, with its brands.
constexpr size_t KHeifSniffBytes = 256;

enum class TKind { Unknown, Bmp, Jpeg, Png, Tiff, Gif, Webp, Heif };

TKind Sniff(const uint8_t* d, size_t n) {
  auto starts = [&](const char* magic, size_t len) { return n >= len && std::memcmp(d, magic, len) == 0; };
  if (starts("BM", 2)) return TKind::Bmp;
  if (starts("\xFF\xD8\xFF", 3)) return TKind::Jpeg;
  if (starts("\x89PNG\r\n\x1A\n", 8)) return TKind::Png;
  if (starts("II*\0", 4) || starts("MM\0*", 4) || starts("II+\0", 4) || starts("MM\0+", 4))
    return TKind::Tiff;
  if (starts("GIF87a", 6) || starts("GIF89a", 6)) return TKind::Gif;
  if (n >= 12 && std::memcmp(d, "RIFF", 4) == 0 && std::memcmp(d + 8, "WEBP", 4) == 0) return TKind::Webp;
  if (pictaro::LooksLikeHeif(d, n)) return TKind::Heif;
  return TKind::Unknown;
}

// The checked profile of a picture a decoder made, from what the decoder found: nullptr unless it
// describes the picture's numbers as they are (a grey profile for a grey picture, an RGB profile for
// a colour or palette picture).
TColorProfilePtr ProfileFor(const pictaro::TDecodeColor& Found, const TDib& Dib) {
  if (!Found.Reading) return nullptr;
  TColorProfilePtr profile;
  if (Found.Described)
    profile = Found.Reading->DescribedProfile(*Found.Described);
  else if (!Found.Icc.empty() && Found.Icc.size() <= KMaxProfileSize)
    profile = Found.Reading->ReadProfile(reinterpret_cast<const uint8_t*>(Found.Icc.data()), Found.Icc.size(),
                                         Found.Channels);
  if (!profile || profile->Channels() != Found.Channels) return nullptr;
  const int bits = DibBitCount(Dib);
  const bool fits = profile->Space() == TColorSpace::Grey ? bits == 8
                    : profile->Space() == TColorSpace::Rgb ? bits == 24 || bits <= 8
                                                          : false;
  return fits ? profile : nullptr;
}

// Hands a decoded picture and its colour to the caller.
int Deliver(const TDib& Decoded, const pictaro::TDecodeColor& Found, TDib* Dib, TPictureColor* Color) {
  if (Color) {
    try {
      Color->Profile = ProfileFor(Found, Decoded);
    } catch (const std::bad_alloc&) {
      Color->Profile = nullptr;  // the picture is still there, taken as sRGB
    }
  }
  *Dib = Decoded;
  return 1;
}

pictaro::TDecodeColor Asked(const TPictureColor* Color) {
  pictaro::TDecodeColor asked;
  if (Color) asked.Matte = Color->Matte & 0xFFFFFF, asked.Reading = Color->Reading;
  return asked;
}

}  // namespace

namespace pictaro {

void TProgressReporter::Report(int Percent) {
  if (!FSink) return;
  Percent = Percent < 0 ? 0 : Percent > 100 ? 100 : Percent;
  if (Percent == FLast) return;
  FLast = Percent;
  try {
    FSink->Progress(Percent);
  } catch (...) {
    // A progress display that fails must not end the decoding, nor unwind through libjpeg.
  }
}

int BitsForColors(int Colors) { return Colors <= 2 ? 1 : Colors <= 16 ? 4 : 8; }

void PackIndexRow(const uint8_t* Indices, int Width, int BitCount, uint8_t* Row) {
  if (BitCount == 8) {
    std::memcpy(Row, Indices, static_cast<size_t>(Width));
  } else if (BitCount == 4) {
    for (int x = 0; x < Width; ++x) {
      const uint8_t v = Indices[x] & 0x0F;
      if (x & 1)
        Row[x >> 1] |= v;
      else
        Row[x >> 1] = static_cast<uint8_t>(v << 4);
    }
  } else {
    for (int x = 0; x < Width; ++x) {
      if ((x & 7) == 0) Row[x >> 3] = 0;
      if (Indices[x] & 1) Row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
  }
}

}  // namespace pictaro

int DecodePicture(const uint8_t* Data, size_t Size, int Format, TProgressSink* Progress, TDib* Dib,
                  int Turn, TPictureColor* Color) {
  std::memset(Dib, 0, sizeof *Dib);
  if (Color) Color->Profile = nullptr;
  if (!Data || Size == 0) return 0;
  TKind kind = Sniff(Data, Size);
  if ((Format == 3 && kind != TKind::Bmp) || (Format == 7 && kind != TKind::Jpeg)) return 0;
  if (Format != -1 && Format != 0 && Format != 3 && Format != 7) return 0;

  pictaro::TProgressReporter reporter(Progress);
  reporter.Report(0);
  TDib out{};
  bool ok = false;
  pictaro::TDecodeColor found = Asked(Color);
  int fullWidth = 0, fullHeight = 0;
  switch (kind) {
    case TKind::Bmp: ok = pictaro::DecodeBmp(Data, Size, reporter, found, &out); break;
    case TKind::Jpeg: ok = pictaro::DecodeJpeg(Data, Size, reporter, found, &out, Turn); break;
    case TKind::Png: ok = pictaro::DecodePng(Data, Size, reporter, found, &out); break;
    case TKind::Tiff: ok = pictaro::DecodeTiff(Data, Size, reporter, found, &out, Turn); break;
    case TKind::Gif: ok = pictaro::DecodeGif(Data, Size, reporter, found, &out); break;
    case TKind::Webp: ok = pictaro::DecodeWebp(Data, Size, reporter, found, &out); break;
    case TKind::Heif:
      ok = pictaro::DecodeHeif(Data, Size, 0, false, reporter, found, &out, &fullWidth, &fullHeight);
      break;
    case TKind::Unknown: break;
  }
  if (!ok || !out.Bits) return 0;
  // The other formats carry no orientation tag: they are turned after decoding.
  if (kind != TKind::Jpeg && kind != TKind::Tiff && !TurnDib(out, Turn)) {
    deldib(out);
    return 0;
  }
  reporter.Report(100);
  return Deliver(out, found, Dib, Color);
}

int OpenDib(TDib* Dib, const char* FileName, int Format, TProgressSink* Progress, int Turn,
            TPictureColor* Color) {
  std::memset(Dib, 0, sizeof *Dib);
  if (Color) Color->Profile = nullptr;
  if (!FileName) return 0;
  std::vector<uint8_t> bytes;
  if (ReadRegularFile(FileName, bytes, MaxFileSize) != 0 || bytes.empty()) return 0;
  return DecodePicture(bytes.data(), bytes.size(), Format, Progress, Dib, Turn, Color);
}

namespace {

// Enough for the header of every format but a JPEG's behind long metadata.
constexpr size_t KHeaderBytes = 64 * 1024;

// The header of a picture of Kind in Bytes (the first bytes of its file, or all of them).
bool ParseHeader(TKind Kind, const std::vector<uint8_t>& Bytes, pictaro::TDibHeaderSize& Out) {
  const uint8_t* d = Bytes.data();
  const size_t n = Bytes.size();
  switch (Kind) {
    case TKind::Bmp: return pictaro::BmpHeader(d, n, Out);
    case TKind::Png: return pictaro::PngHeader(d, n, Out);
    case TKind::Gif: return pictaro::GifHeader(d, n, Out);
    case TKind::Webp: return pictaro::WebpHeader(d, n, Out);
    case TKind::Jpeg: {
      TJpegHeader header;
      // 12-bit and lossless JPEGs are not read at all.
      if (!ReadJpegHeader(d, n, header) || header.Precision != 8 || header.Process % 4 == 3 ||
          header.Width <= 0 || header.Height <= 0)
        return false;
      Out = {header.UprightWidth(), header.UprightHeight(), false};
      return true;
    }
    default: return false;
  }
}

}  // namespace

TPictureHeader ReadDibHeader(const char* FileName, int Format) {
  TPictureHeader header;
  if (!FileName) return header;
  std::vector<uint8_t> bytes;
  if (const int error = ReadFileHead(FileName, bytes, KHeaderBytes); error != 0) {
    header.Status = error == ENOENT || error == ENOTDIR ? THeaderStatus::Missing : THeaderStatus::CannotRead;
    header.Errno = error;
    return header;
  }
  const TKind kind = Sniff(bytes.data(), bytes.size());
  if ((Format == 3 && kind != TKind::Bmp) || (Format == 7 && kind != TKind::Jpeg) ||
      (Format != -1 && Format != 0 && Format != 3 && Format != 7))
    return header;
  pictaro::TDibHeaderSize size;
  // TIFF and HEIF files are read by their libraries as far as they need; the others from their head.
  const bool byLibrary = kind == TKind::Tiff || kind == TKind::Heif;
  bool ok = kind == TKind::Tiff   ? pictaro::TiffHeader(FileName, size)
            : kind == TKind::Heif ? pictaro::HeifHeader(FileName, size)
                                  : ParseHeader(kind, bytes, size);
  if (!ok && !byLibrary && bytes.size() == KHeaderBytes) {
    if (const int error = ReadRegularFile(FileName, bytes, MaxFileSize); error != 0) {
      header.Status = THeaderStatus::CannotRead;
      header.Errno = error;
      return header;
    }
    ok = ParseHeader(kind, bytes, size);
  }
  if (!ok || size.Width <= 0 || size.Height <= 0 || size.Width > INT32_MAX || size.Height > INT32_MAX ||
      static_cast<uint64_t>(size.Width) * static_cast<uint64_t>(size.Height) > PictureLimit())
    return header;
  header.Status = THeaderStatus::Ok;
  header.Width = static_cast<int32_t>(size.Width);
  header.Height = static_cast<int32_t>(size.Height);
  header.OneBit = size.OneBit;
  return header;
}

namespace {

// A JPEG decoded at the scale Scale asks for, a HEIF file's thumbnail for a thumbnail when it is large
// enough, any other picture at full size.
int DecodeScaled(const uint8_t* Data, size_t Size, int Format, const pictaro::TJpegScale& Scale,
                 TProgressSink* Progress, TDib* Dib, int* FullWidth, int* FullHeight, TPictureColor* Color) {
  std::memset(Dib, 0, sizeof *Dib);
  *FullWidth = *FullHeight = 0;
  if (Color) Color->Profile = nullptr;
  if (!Data || Size == 0) return 0;
  const TKind kind = Sniff(Data, Size);
  const bool jpeg = kind == TKind::Jpeg && (Format == -1 || Format == 0 || Format == 7);
  const bool heif = kind == TKind::Heif && (Format == -1 || Format == 0);
  if (jpeg || heif) {
    pictaro::TProgressReporter reporter(Progress);
    reporter.Report(0);
    TDib out{};
    pictaro::TDecodeColor found = Asked(Color);
    const bool ok = jpeg ? pictaro::DecodeJpegScaled(Data, Size, Scale, reporter, found, &out, FullWidth,
                                                     FullHeight)
                         : pictaro::DecodeHeif(Data, Size, Scale.Fast ? Scale.MinLongSide : 0, false, reporter,
                                               found, &out, FullWidth, FullHeight);
    if (!ok) return 0;
    // libheif has applied the file's own turns and mirrorings; the photo's turn comes on top.
    if (heif && !TurnDib(out, Scale.Turn)) {
      deldib(out);
      return 0;
    }
    if (heif && TurnSwapsSides(Scale.Turn)) std::swap(*FullWidth, *FullHeight);
    reporter.Report(100);
    return Deliver(out, found, Dib, Color);
  }
  if (!DecodePicture(Data, Size, Format, Progress, Dib, Scale.Turn, Color)) return 0;
  *FullWidth = DibWidth(*Dib), *FullHeight = DibHeight(*Dib);
  return 1;
}

}  // namespace

int DecodePictureReduced(const uint8_t* Data, size_t Size, int Format, int MinLongSide, TDib* Dib,
                         int* FullWidth, int* FullHeight, TPictureColor* Color) {
  pictaro::TJpegScale scale;
  scale.MinLongSide = std::max(MinLongSide, 1);
  scale.Fast = true;
  return DecodeScaled(Data, Size, Format, scale, nullptr, Dib, FullWidth, FullHeight, Color);
}

int DecodePictureAtLeast(const uint8_t* Data, size_t Size, int Format, int MinWidth, int MinHeight,
                         TProgressSink* Progress, TDib* Dib, int* FullWidth, int* FullHeight, int Turn,
                         TPictureColor* Color) {
  pictaro::TJpegScale scale;
  scale.Turn = Turn;
  scale.MinWidth = std::max(MinWidth, 1);
  scale.MinHeight = std::max(MinHeight, 1);
  return DecodeScaled(Data, Size, Format, scale, Progress, Dib, FullWidth, FullHeight, Color);
}

bool JpegDecodesCleanly(const uint8_t* Data, size_t Size) {
  if (!Data || Size < 4 || Sniff(Data, Size) != TKind::Jpeg || Data[Size - 2] != 0xFF ||
      Data[Size - 1] != 0xD9)
    return false;
  pictaro::TJpegScale scale;
  scale.MinWidth = scale.MinHeight = 1;  // the smallest scale
  scale.Strict = true;
  pictaro::TProgressReporter silent(nullptr);
  pictaro::TDecodeColor colour;
  TDib dib{};
  int width = 0, height = 0;
  if (!pictaro::DecodeJpegScaled(Data, Size, scale, silent, colour, &dib, &width, &height)) return false;
  deldib(dib);
  return true;
}

int OpenDibReduced(TDib* Dib, const char* FileName, int Format, int MinLongSide, int* FullWidth,
                   int* FullHeight, TPictureColor* Color) {
  std::memset(Dib, 0, sizeof *Dib);
  *FullWidth = *FullHeight = 0;
  if (Color) Color->Profile = nullptr;
  std::vector<uint8_t> bytes;
  if (!FileName || ReadRegularFile(FileName, bytes, MaxFileSize) != 0 || bytes.empty()) return 0;
  return DecodePictureReduced(bytes.data(), bytes.size(), Format, MinLongSide, Dib, FullWidth, FullHeight,
                              Color);
}

int OpenEmbeddedThumbnail(TDib* Dib, const char* FileName, int* FullWidth, int* FullHeight,
                          TPictureColor* Color) {
  std::memset(Dib, 0, sizeof *Dib);
  *FullWidth = *FullHeight = 0;
  if (Color) Color->Profile = nullptr;
  // Any other file is told by its first bytes, without reading it whole.
  std::vector<uint8_t> bytes;
  if (!FileName || ReadFileHead(FileName, bytes, KHeifSniffBytes) != 0 ||
      Sniff(bytes.data(), bytes.size()) != TKind::Heif)
    return 0;
  if (ReadRegularFile(FileName, bytes, MaxFileSize) != 0 || bytes.empty()) return 0;
  pictaro::TProgressReporter reporter(nullptr);
  pictaro::TDecodeColor found = Asked(Color);
  TDib out{};
  if (!pictaro::DecodeHeif(bytes.data(), bytes.size(), 1, true, reporter, found, &out, FullWidth, FullHeight))
    return 0;
  return Deliver(out, found, Dib, Color);
}

bool IsPictureFile(const char* FileName) {
  // As many bytes as the longest signature needs: a HEIF file's brands.
  std::vector<uint8_t> head;
  return FileName && ReadFileHead(FileName, head, KHeifSniffBytes) == 0 &&
         Sniff(head.data(), head.size()) != TKind::Unknown;
}

int SaveDib(TDib Dib, const char* FileName, int Format, int) {
  if (!Dib.Bits || !Dib.Header || !FileName) return 0;
  switch (Format) {
    case 3: return pictaro::WriteBmp(Dib, FileName) ? 1 : 0;
    case 7: return pictaro::WriteJpeg(Dib, FileName, 90) ? 1 : 0;  // as EncodeDib
    default: return 0;
  }
}

int EncodeDib(TDib Dib, int Format, std::string& Bytes) {
  Bytes.clear();
  if (!Dib.Bits || !Dib.Header || Format != 7) return 0;
  return pictaro::EncodeJpeg(Dib, 90, Bytes) ? 1 : 0;
}

int EncodeDibGrey(TDib Dib, std::string& Bytes) {
  Bytes.clear();
  if (!Dib.Bits || !Dib.Header) return 0;
  return pictaro::EncodeJpeg(Dib, 90, Bytes, true) ? 1 : 0;
}

void ReleaseSparePictureMemory() { pictaro::ReleaseSpareDibBlock(); }

int PicturesHeld() { return pictaro::HeldDibBlocks(); }

const char* GetDIBOpenFilter() {
  return "Alle Bilddateien|*.JPG;*.JPEG;*.JPE;*.JFIF;*.BMP;*.DIB;*.PNG;*.TIF;*.TIFF;*.GIF;*.WEBP;*.HEIC;*.HEIF;"
         "*.AVIF"
         "|JPEG-Dateien (*.jpg, *.jpeg)|*.JPG;*.JPEG;*.JPE;*.JFIF"
         "|Windows-Bitmaps (*.bmp)|*.BMP;*.DIB"
         "|PNG-Dateien (*.png)|*.PNG"
         "|TIFF-Dateien (*.tif)|*.TIF;*.TIFF"
         "|GIF-Dateien (*.gif)|*.GIF"
         "|WebP-Dateien (*.webp)|*.WEBP"
         "|HEIF-Dateien (*.heic, *.heif)|*.HEIC;*.HEIF"
         "|AVIF-Dateien (*.avif)|*.AVIF"
         "|Alle Dateien (*.*)|*.*";
}
