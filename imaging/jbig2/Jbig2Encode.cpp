// The file side of the encoder: BMP in through the picture library, two files out.
#include "imaging/jbig2/Jbig2Encode.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "imaging/pictaro/Pictaro.h"
#include "imaging/jbig2/Segments.h"

namespace {

// Frees a picture read from the library when the encoder is done with it.
class TDibHolder {
 public:
  TDibHolder() : FDib{} {}
  ~TDibHolder() { deldib(FDib); }
  TDibHolder(const TDibHolder&) = delete;
  TDibHolder& operator=(const TDibHolder&) = delete;
  TDib* Receive() { return &FDib; }
  const TDib& Get() const { return FDib; }

 private:
  TDib FDib;
};

struct TFileCloser {
  void operator()(std::FILE* File) const { std::fclose(File); }
};

// Writes Bytes to Path completely, closing the file before reporting success; false on any failure.
bool WriteWholeFile(const char* Path, const std::string& Bytes) {
  std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(Path, "wb"));
  if (!file) return false;
  if (!Bytes.empty() && std::fwrite(Bytes.data(), 1, Bytes.size(), file.get()) != Bytes.size()) return false;
  // fclose reports the errors of the last buffered write, so it must succeed too.
  return std::fclose(file.release()) == 0;
}

unsigned Brightness(const TDibColor& Color) {
  return 299u * Color.Red + 587u * Color.Green + 114u * Color.Blue;
}

// Which colour index is drawn black: the darker one; for two equal colours, both or neither.
void BlackIndices(const TDib& Dib, bool Black[2]) {
  const unsigned b0 = Brightness(Dib.Colors[0]);
  const unsigned b1 = Brightness(Dib.Colors[1]);
  constexpr unsigned half = 1000u * 128u;
  Black[0] = b0 < b1 || (b0 == b1 && b0 < half);
  Black[1] = b1 < b0 || (b0 == b1 && b1 < half);
}

// The picture as packed top-down rows, 1 = black. Stored row 0 is the bottom row.
std::vector<uint8_t> PackRows(const TDib& Dib, int Width, int Height, size_t Stride) {
  bool black[2];
  BlackIndices(Dib, black);
  std::vector<uint8_t> rows(Stride * static_cast<size_t>(Height), 0);
  // A 1-bit row is already packed most significant bit first, so each row is one copy, inverted when
  // index 0 is the dark colour. The encoder ignores the bits past the width.
  const size_t used = (static_cast<size_t>(Width) + 7) / 8;
  const uint8_t fill = black[0] && black[1] ? 0xFF : 0x00;
  for (int top = 0; top < Height; ++top) {
    uint8_t* row = rows.data() + static_cast<size_t>(top) * Stride;
    const uint8_t* stored = Dib.Bits + static_cast<ptrdiff_t>(Height - 1 - top) * Dib.RowBytes;
    if (black[0] == black[1]) {
      std::memset(row, fill, used);
    } else if (black[1]) {
      std::memcpy(row, stored, used);
    } else {
      for (size_t i = 0; i < used; ++i) row[i] = static_cast<uint8_t>(~stored[i]);
    }
  }
  return rows;
}

// Removes Path if it is a regular file. An output path may name a device, a pipe or a folder that the
// caller handed in; those are not ours to delete, even when writing to them failed.
void RemoveIfRegularFile(const char* Path) {
  struct stat info;
  if (Path && ::lstat(Path, &info) == 0 && S_ISREG(info.st_mode)) std::remove(Path);
}

int EncodeFile(const char* InputBmp, const char* GlobalsFile, const char* PageFile) {
  std::string page;
  {
    TDibHolder dib;
    if (InputBmp == nullptr || OpenDib(dib.Receive(), InputBmp, 3, nullptr) != 1 || dib.Get().Bits == nullptr)
      return Jbig2UnreadableInput;
    if (!Jbig2EncodeDib(dib.Get(), page)) return Jbig2NotBilevel;
  }  // the picture and its packed copy are gone before the output is written
  if (GlobalsFile == nullptr || PageFile == nullptr) return Jbig2CannotWrite;
  if (!WriteWholeFile(GlobalsFile, std::string()) || !WriteWholeFile(PageFile, page)) return Jbig2CannotWrite;
  return Jbig2Ok;
}

}  // namespace

bool Jbig2EncodeDib(const TDib& Dib, std::string& Page) {
  const int width = DibWidth(Dib);
  const int height = DibHeight(Dib);
  if (!Dib.Bits || DibBitCount(Dib) != 1 || width < 1 || height < 1) return false;
  const size_t stride = (static_cast<size_t>(width) + 7) / 8;
  const std::vector<uint8_t> rows = PackRows(Dib, width, height, stride);
  Page = Jbig2EncodeGenericPage(rows.data(), width, height, stride);
  return true;
}

int jbig2encode(const char* InputBmp, const char* GlobalsFile, const char* PageFile) {
  int result;
  try {
    result = EncodeFile(InputBmp, GlobalsFile, PageFile);
  } catch (const std::bad_alloc&) {
    result = Jbig2OutOfMemory;
  } catch (...) {
    // The picture's size is checked above, so the coder has nothing else to refuse.
    result = Jbig2NotBilevel;
  }
  if (result != Jbig2Ok) {
    // Whatever the failure, a file at an output path must not pass for this picture's encoding.
    RemoveIfRegularFile(GlobalsFile);
    RemoveIfRegularFile(PageFile);
  }
  return result;
}
