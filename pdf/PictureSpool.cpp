// Temporary files and pictures of the PDF writer's spool.

#include "pdf/PictureSpool.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "imaging/Pictaro.h"
#include "imaging/PictaroMemory.h"
#include "platform/SystemError.h"
#include "platform/TempFolder.h"
#include "platform/UnixFile.h"

namespace {

uint32_t Le32(const uint8_t* P) { return P[0] | (P[1] << 8) | (P[2] << 16) | (uint32_t(P[3]) << 24); }

// The layout the library's BMP writer gives a picture of 1, 4, 8 or 24 bits: a 14-byte file header,
// a 40-byte info header, the colour table, then the bottom-up rows, each padded to 32 bits, and
// nothing after them. Anything else is left to the general reader (false, Out untouched).
bool ReadWrittenLayout(int Fd, uint64_t FileSize, TDib* Out) {
  struct {
    TBitmapInfoHeader Header;
    uint8_t Quads[256][4];
  } info{};
  uint8_t fileHeader[14];
  if (!ReadFully(Fd, fileHeader, sizeof fileHeader) || !ReadFully(Fd, &info.Header, sizeof info.Header))
    return false;
  const TBitmapInfoHeader& h = info.Header;
  const int bits = h.biBitCount;
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M' || h.biSize != sizeof(TBitmapInfoHeader) ||
      h.biPlanes != 1 || h.biCompression != 0 || h.biWidth <= 0 || h.biHeight <= 0 ||
      (bits != 1 && bits != 4 && bits != 8 && bits != 24))
    return false;
  const uint32_t colors = bits <= 8 ? h.biClrUsed : 0;
  if (colors > (bits <= 8 ? 1u << bits : 0u)) return false;
  const uint64_t rowBytes = (uint64_t(h.biWidth) * bits + 31) / 32 * 4;
  const uint64_t offBits = sizeof fileHeader + sizeof(TBitmapInfoHeader) + 4 * uint64_t(colors);
  if (Le32(fileHeader + 10) != offBits || FileSize != offBits + rowBytes * uint64_t(h.biHeight)) return false;
  if (colors && !ReadFully(Fd, info.Quads, 4 * size_t{colors})) return false;

  TDibHolder picture;
  // The read below fills every row, padding included, so clearing the rows first would be wasted.
  newdibUncleared(picture.Receive(), h.biWidth, h.biHeight, bits, colors ? &info.Header : nullptr,
                  static_cast<int>(colors));
  const TDib& made = picture.Get();
  if (!made.Bits || uint64_t(made.RowBytes) != rowBytes) return false;
  if (!ReadFully(Fd, made.Bits, static_cast<size_t>(rowBytes * uint64_t(h.biHeight)))) return false;
  *Out = made;
  *picture.Receive() = TDib{};  // handed on
  return true;
}

}  // namespace

TTempFile::TTempFile(const std::string& Prefix, const std::string& Ext)
    : FPath(CreateUniqueTempFile(Prefix, Ext)) {}

TTempFile& TTempFile::operator=(TTempFile&& Other) noexcept {
  if (this != &Other) {
    Remove();
    FPath = std::move(Other.FPath);
    Other.FPath.clear();
  }
  return *this;
}

void TTempFile::Remove() noexcept {
  if (FPath.empty()) return;
  ::unlink(FPath.c_str());
  FPath.clear();
}

std::string TTempFile::Release() noexcept {
  std::string path = std::move(FPath);
  FPath.clear();
  return path;
}

void TSpoolRemoval::Remove(std::string Path) noexcept {
  Wait();
  try {
    FWorker = std::thread([path = Path] { ::unlink(path.c_str()); });
  } catch (...) {
    ::unlink(Path.c_str());  // no thread or no memory: removed here and now
  }
}

void TSpoolRemoval::Wait() noexcept {
  if (FWorker.joinable()) FWorker.join();
}

void TDibHolder::Reset() {
  deldib(FDib);
  FDib = TDib{};
}

bool IsBlackAndWhite(const TDib& Dib) {
  const auto nearBlack = [](const TDibColor& C) {
    return C.Red <= KBlackWhiteTolerance && C.Green <= KBlackWhiteTolerance && C.Blue <= KBlackWhiteTolerance;
  };
  const auto nearWhite = [](const TDibColor& C) {
    return C.Red >= 255 - KBlackWhiteTolerance && C.Green >= 255 - KBlackWhiteTolerance &&
           C.Blue >= 255 - KBlackWhiteTolerance;
  };
  const TDibColor& a = Dib.Colors[0];
  const TDibColor& b = Dib.Colors[1];
  return DibBitCount(Dib) == 1 && ((nearBlack(a) && nearWhite(b)) || (nearWhite(a) && nearBlack(b)));
}

bool ConvertTo24Bit(TDib& Dib) {
  const int bits = DibBitCount(Dib);
  if (!Dib.Bits || (bits != 1 && bits != 4 && bits != 8)) return false;
  const int32_t width = DibWidth(Dib), height = DibHeight(Dib);
  TDib made{};
  newdib(&made, width, height, 24, nullptr, 0);
  if (!made.Made || !made.Bits) {
    deldib(made);
    return false;
  }
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* src = Dib.Bits + int64_t(r) * Dib.RowBytes;
    uint8_t* dst = made.Bits + int64_t(r) * made.RowBytes;
    for (int32_t j = 0; j < width; ++j, dst += 3) {
      const unsigned index = bits == 8   ? src[j]
                             : bits == 4 ? ((j & 1) ? src[j >> 1] & 0x0Fu : src[j >> 1] >> 4)
                                         : (src[j >> 3] >> (7 - (j & 7))) & 1u;
      const TDibColor& c = Dib.Colors[index];
      dst[0] = c.Blue, dst[1] = c.Green, dst[2] = c.Red;
    }
  }
  Dib = made;
  return true;
}

TTempFile SpoolPicture(const TDib& Dib) {
  TTempFile file("temppdfimg", ".bmp");
  errno = 0;
  if (SaveDib(Dib, file.CPath(), 3, 0) != 1) {
    // The library reports no reason; errno holds the system's when a system call refused.
    const int error = errno ? errno : EIO;
    throw TSystemError("zwischenspeichern", file.Path(), error);
  }
  return file;
}

bool ReadSpoolFile(const std::string& FileName, std::string& Bytes) {
  return ReadRegularFile(FileName.c_str(), Bytes) == 0;
}

int ReadSpooledPicture(const std::string& FileName, TDib* Out) {
  *Out = TDib{};
  {
    TFd fd(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat st {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    if (ReadWrittenLayout(fd.Get(), static_cast<uint64_t>(st.st_size), Out)) return 1;
  }
  return OpenDib(Out, FileName.c_str(), 3, nullptr) == 1 && Out->Bits ? 1 : 0;
}
