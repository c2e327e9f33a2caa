#pragma once
// The PDF writer's picture spool: placed pictures wait on disk, already encoded, until the document
// ends and their objects are written. One file per document, in the program's private temporary
// folder, created exclusively, so no two names ever coincide and no other user can slip a file or
// link in under a name we chose.
//
// TTempFile owns one such file and removes it when it dies, so that every way out of the writer, an
// exception included, leaves nothing behind. TDibHolder owns one picture of the library and frees it
// with deldib.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "imaging/pictaro/Dib.h"
#include "imaging/pictaro/Pictaro.h"
#include "platform/UnixFile.h"

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
  // Hands the picture on; the holder is empty afterwards.
  TDib Release();
  // Frees the picture now; the holder is empty afterwards.
  void Reset();

 private:
  TDib FDib;
};

// One document's spool file, "temppdfimg" N ".spool": encoded pictures one after another. Append may
// be called from several threads at once (each gets its own part of the file); Read only once no more
// is appended.
class TPictureSpool {
 public:
  // Creates the file. Throws TSystemError when it cannot be created or opened.
  TPictureSpool();
  TPictureSpool(const TPictureSpool&) = delete;
  TPictureSpool& operator=(const TPictureSpool&) = delete;

  // Appends First and then Second; returns the offset of First. Throws TSystemError ("zwischenspeichern",
  // the file's name, errno) when they cannot be written completely; the spool is then unusable.
  uint64_t Append(std::string_view First, std::string_view Second);
  // Reads Size bytes at Offset into Bytes; false (Bytes empty) on any failure or a short file.
  bool Read(uint64_t Offset, size_t Size, std::string& Bytes) const;
  const std::string& Path() const { return FFile.Path(); }

 private:
  TTempFile FFile;
  TFd FFd;
  std::mutex FLock;
  uint64_t FEnd = 0;  // guarded by FLock
};
