#pragma once
// The PDF writer's picture spool: placed pictures wait on disk, not in memory, until the document
// ends. Every file lives in the program's private temporary folder and is created exclusively, so no
// two names ever coincide and no other user can slip a file or link in under a name we chose.
//
// TTempFile owns one such file and removes it when it dies, so that every way out of the writer, an
// exception included, leaves nothing behind. TDibHolder owns one picture of the library and frees it
// with deldib.

#include <string>
#include <string_view>
#include <thread>

#include "imaging/Dib.h"
#include "imaging/Pictaro.h"

class TTempFile {
 public:
  TTempFile() = default;
  // Creates an empty file named TempFolder() + Prefix + N + Ext, N the first free number. Throws
  // TSystemError when no file can be created.
  TTempFile(const std::string& Prefix, const std::string& Ext);
  ~TTempFile() { Remove(); }
  TTempFile(TTempFile&& Other) noexcept : FPath(std::move(Other.FPath)) { Other.FPath.clear(); }
  TTempFile& operator=(TTempFile&& Other) noexcept;
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;

  const std::string& Path() const { return FPath; }
  const char* CPath() const { return FPath.c_str(); }
  // Removes the file now (a file already gone is no failure); the object then owns nothing.
  void Remove() noexcept;
  // Gives up ownership: the file stays and the caller takes over removing it.
  std::string Release() noexcept;

 private:
  std::string FPath;
};

class TDibHolder {
 public:
  TDibHolder() : FDib{} {}
  explicit TDibHolder(const TDib& Dib) : FDib(Dib) {}
  ~TDibHolder() { deldib(FDib); }
  TDibHolder(const TDibHolder&) = delete;
  TDibHolder& operator=(const TDibHolder&) = delete;

  TDib* Receive() { return &FDib; }
  const TDib& Get() const { return FDib; }
  // Frees the picture now; the holder is empty afterwards.
  void Reset();

 private:
  TDib FDib;
};

// Removes spool files in the background, one at a time, in the order given: each Remove waits for the
// file before to be gone, and the destructor waits for the last. Removing a file whose blocks the
// system has already written to disk can take tens of milliseconds of waiting for the disk (discarding
// the freed blocks on file systems mounted so), while the writer would rather encode the next picture.
// When no thread can be started the file is removed at once.
class TSpoolRemoval {
 public:
  TSpoolRemoval() = default;
  ~TSpoolRemoval() { Wait(); }
  TSpoolRemoval(const TSpoolRemoval&) = delete;
  TSpoolRemoval& operator=(const TSpoolRemoval&) = delete;

  void Remove(std::string Path) noexcept;
  // Returns once every file handed to Remove is gone.
  void Wait() noexcept;

 private:
  std::thread FWorker;
};

// How far each channel of a colour may be from 0 or 255 and still count as black or white.
constexpr int KBlackWhiteTolerance = 8;

// True when Dib has 1 bit per pixel and its two colours are black and white, in either order (each
// channel within KBlackWhiteTolerance): a picture that a bilevel image shows without losing anything.
// Any other 1-bit picture (red and yellow, say, or two greys) needs its colours.
bool IsBlackAndWhite(const TDib& Dib);

// Turns Dib, a picture of 1, 4 or 8 bits per pixel, into a new 24-bit picture of the same size: each
// pixel gets the blue, green and red of its colour index in Dib.Colors, row r of the source becoming
// row r of the copy. Returns true when Dib now holds the new picture (the caller frees it; the source
// is untouched and still the caller's). Returns false, leaving Dib as it was, for every other depth
// and when no memory is left for the copy.
bool ConvertTo24Bit(TDib& Dib);

// Writes Dib (which must hold pixels) to a new spool file "temppdfimg" N ".bmp" as a BMP of its own
// depth and returns the file's owner. Throws TSystemError when the file cannot be created or written
// completely; nothing is left behind then.
TTempFile SpoolPicture(const TDib& Dib);

// Reads a spool file back into Out (which the caller then owns) and returns 1, or 0 with Out->Bits
// nullptr. The files SpoolPicture writes are read straight into the new picture's rows with one read
// call, so only one copy of the pixels is ever in memory; any other file goes through OpenDib.
int ReadSpooledPicture(const std::string& FileName, TDib* Out);

// Reads a whole regular file into Bytes; false when it cannot be opened or read.
bool ReadSpoolFile(const std::string& FileName, std::string& Bytes);
