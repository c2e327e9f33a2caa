#pragma once
// TThumbnailCache: the desktop's shared thumbnail folder ($XDG_CACHE_HOME/thumbnails/normal, by default
// ~/.cache/thumbnails/normal), so that a photo's small picture is decoded from the photo file once and
// afterwards read from a PNG of a few kilobytes, also in later runs.
//
// Layout, as every desktop program that shares the folder writes it: one PNG per picture file, named
// after the MD5 digest (lower-case hex) of the file's URI, "file://" and its absolute path with the
// bytes outside a small safe set escaped as %XX. The PNG is at most 128 pixels on its longer side and
// carries text chunks naming the file (Thumb::URI), its modification time in whole seconds
// (Thumb::MTime), its size in bytes (Thumb::Size), the upright size of the whole picture
// (Thumb::Image::Width, Thumb::Image::Height) and the program that wrote it (Software). An entry is
// valid while the file's modification time and size are those it names.
//
// Read only takes entries this program wrote: other programs may store pictures that are not turned
// upright by the photo's orientation tag, or scaled with a rougher filter, and a wrong cached picture
// would stay wrong until the photo changes. Entries of other programs are replaced when the photo's
// thumbnail is made again; until then ReadAny offers them as a first picture to show.
//
// Entries are 8-bit RGBA PNGs, written under a temporary name (".quirvel-" and six characters) in
// the folder and renamed into place, with the permissions 0600 in folders of 0700, so a reader never
// sees half a file and other users see nothing. A run that ended between writing and renaming leaves
// its temporary file behind: the first Store of each cache object removes ours older than a day.
// Nothing is synced: a lost entry is made again. Every failure (no folder, a full disk, a damaged
// entry) counts as "not cached"; nothing here throws or reports. Safe to use from several threads at
// once, also on the same file.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "imaging/pictaro/Dib.h"

// The longest side of an entry of the "normal" size.
constexpr int ThumbnailCacheSide = 128;

// What tells one state of a file from another: its modification time in whole seconds and its size.
struct TFileStamp {
  int64_t Modified = 0;
  int64_t Size = 0;
  bool operator==(const TFileStamp&) const = default;
};
// False when FileName cannot be seen or is no regular file.
bool FileStampOf(const std::string& FileName, TFileStamp& Stamp);

class TThumbnailCache {
 public:
  // Folder: the folder of the entries; an empty name gives a cache that holds nothing.
  explicit TThumbnailCache(std::string Folder) : FFolder(std::move(Folder)) {}

  // $XDG_CACHE_HOME/thumbnails/normal, with ~/.cache when XDG_CACHE_HOME is not an absolute path;
  // empty when neither gives a folder.
  static std::string DefaultFolder();

  // Fills Picture (24 bits, upright, at most ThumbnailCacheSide on its longer side, freed with deldib)
  // and the whole picture's upright size from a valid entry of ours for FileName. False, with
  // Picture->Bits nullptr, when there is none.
  bool Read(const std::string& FileName, TDib* Picture, int* FullWidth, int* FullHeight) const;

  // Fills Picture (24 bits, at most 256 pixels a side, freed with deldib) from a valid entry of any
  // program for FileName, in this folder or in its sibling "large" for the larger size: one naming the
  // file's address and modification time, and its size when it names one, of any PNG colour type
  // (transparent pixels over white). FullWidth and FullHeight receive the whole picture's size the
  // entry names, 0 when it names none. Such a picture may not be upright: a first picture to show
  // until the thumbnail is made, never the thumbnail itself. False, with Picture->Bits nullptr, when
  // there is none.
  bool ReadAny(const std::string& FileName, TDib* Picture, int* FullWidth, int* FullHeight) const;

  // Stores Picture (24 bits, upright, at most ThumbnailCacheSide on its longer side) as FileName's
  // entry, the whole picture being FullWidth x FullHeight. Stamp is the file's stamp taken before the
  // picture was read from it; when the file no longer has that stamp, nothing is stored.
  void Store(const std::string& FileName, const TFileStamp& Stamp, const TDib& Picture, int FullWidth,
             int FullHeight) const;

  // The entry's file name for FileName: the folder, the digest and ".png"; empty for a name that is
  // not absolute and cannot be made absolute.
  std::string EntryName(const std::string& FileName) const;

  const std::string& Folder() const { return FFolder; }
  // The folder of the "large" entries beside a folder named "normal"; empty for any other folder.
  std::string LargeFolder() const;

  // Removes our temporary entries (regular files of ours named as Store names them) whose
  // modification time is more than a day ago; nothing else.
  void RemoveStaleTemporaries() const;

 private:
  std::string FFolder;
  std::shared_ptr<std::once_flag> FSwept = std::make_shared<std::once_flag>();
};

// "file://" and the absolute path, escaped as the shared folder's names need it.
std::string FileUri(const std::string& AbsolutePath);
