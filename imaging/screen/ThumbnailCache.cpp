#include "imaging/screen/ThumbnailCache.h"

#include <dirent.h>
#include <fcntl.h>
#include <nettle/md5.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PngWrite.h"
#include "imaging/pictaro/Codecs.h"
#include "imaging/pictaro/DibAlloc.h"
#include "platform/UnixFile.h"

namespace {

constexpr const char* KSoftware = "Quirvel";
// Our entries are a few kilobytes; anything much larger under a digest name is not ours.
constexpr uint64_t KMaxEntryBytes = 256 * 1024;
// Other programs' entries of the "large" size (256 pixels a side) may be larger.
constexpr uint64_t KMaxForeignBytes = 1024 * 1024;
constexpr int KLargeSide = 256;
// Our temporary entries: the prefix, then the six characters mkstemp puts in.
constexpr std::string_view KTemporaryPrefix = ".quirvel-";
// A temporary entry this old (in seconds) belongs to a run that ended before renaming it.
constexpr int64_t KStaleAfter = 24 * 60 * 60;

// The bytes a path keeps unescaped in a file URI, as the desktop's programs agree on.
bool KeptInUri(unsigned char C) {
  if ((C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9')) return true;
  return std::string_view("!$&'()*+,-./:=@_~").find(static_cast<char>(C)) != std::string_view::npos;
}

std::string Md5Hex(const std::string& Text) {
  md5_ctx context;
  md5_init(&context);
  md5_update(&context, Text.size(), reinterpret_cast<const uint8_t*>(Text.data()));
  uint8_t digest[MD5_DIGEST_SIZE];
  md5_digest(&context, sizeof digest, digest);
  static constexpr char KHex[] = "0123456789abcdef";
  std::string hex;
  for (const uint8_t b : digest) {
    hex += KHex[b >> 4];
    hex += KHex[b & 15];
  }
  return hex;
}

std::string AbsolutePath(const std::string& FileName) {
  if (FileName.empty()) return {};
  if (FileName.front() == '/') return FileName;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(FileName, error);
  return error ? std::string() : absolute.lexically_normal().string();
}

bool ParseInt(std::string_view Text, int64_t& Value) {
  const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
  return error == std::errc() && end == Text.data() + Text.size();
}

// libpng reports errors by longjmp; the frames between png calls and these handlers hold no C++
// objects with destructors.
[[noreturn]] void PngError(png_structp Png, png_const_charp) { png_longjmp(Png, 1); }
void PngWarning(png_structp, png_const_charp) {}

struct TPngReadSource {
  const std::vector<uint8_t>* Bytes;
  size_t Pos;
};

void ReadFromMemory(png_structp Png, png_bytep Out, size_t Length) {
  auto* source = static_cast<TPngReadSource*>(png_get_io_ptr(Png));
  if (Length > source->Bytes->size() - source->Pos) png_error(Png, "truncated");
  std::memcpy(Out, source->Bytes->data() + source->Pos, Length);
  source->Pos += Length;
}

// What an entry says of itself.
struct TEntryText {
  std::string Uri, Software;
  int64_t Modified = -1, Size = -1, Width = 0, Height = 0;
};

class TPngReader {
 public:
  TPngReader() {
    FPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (FPng) FInfo = png_create_info_struct(FPng);
  }
  ~TPngReader() {
    if (FPng) png_destroy_read_struct(&FPng, FInfo ? &FInfo : nullptr, nullptr);
  }
  TPngReader(const TPngReader&) = delete;
  TPngReader& operator=(const TPngReader&) = delete;

  // Decodes an entry of at most MaxSide pixels a side, of any PNG colour type and depth, into Dib
  // (bottom-up BGR rows), transparent pixels over white.
  bool Decode(const std::vector<uint8_t>& Bytes, int MaxSide, TEntryText& Text, TDib* Dib) {
    if (!FInfo) return false;
    TPngReadSource source{&Bytes, 0};
    if (setjmp(png_jmpbuf(FPng))) return false;
    png_set_read_fn(FPng, &source, ReadFromMemory);
    png_set_user_limits(FPng, static_cast<png_uint_32>(MaxSide), static_cast<png_uint_32>(MaxSide));
    png_set_chunk_malloc_max(FPng, KMaxForeignBytes);
    png_read_info(FPng, FInfo);
    ReadText(Text);
    // Every kind of PNG as 8-bit red, green, blue and alpha.
    png_set_expand(FPng);
    png_set_strip_16(FPng);
    png_set_gray_to_rgb(FPng);
    png_set_add_alpha(FPng, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(FPng);
    png_read_update_info(FPng, FInfo);
    const png_uint_32 width = png_get_image_width(FPng, FInfo), height = png_get_image_height(FPng, FInfo);
    if (png_get_rowbytes(FPng, FInfo) != size_t{width} * 4) return false;
    if (!pictaro::AllocDib(Dib, width, height, 24, pictaro::TPixels::Zeroed)) return false;
    FRgba.resize(size_t{width} * 4 * height);
    FRows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) FRows[y] = FRgba.data() + size_t{y} * width * 4;
    png_read_image(FPng, FRows.data());
    png_read_end(FPng, FInfo);
    ReadText(Text);
    // PNG rows run top-down, stored rows bottom-up, in blue-green-red order.
    for (png_uint_32 y = 0; y < height; ++y) {
      const uint8_t* from = FRows[y];
      uint8_t* to = Dib->Bits + int64_t(height - 1 - y) * Dib->RowBytes;
      for (png_uint_32 x = 0; x < width; ++x, from += 4, to += 3) {
        to[0] = pictaro::Over(from[2], from[3], 255);
        to[1] = pictaro::Over(from[1], from[3], 255);
        to[2] = pictaro::Over(from[0], from[3], 255);
      }
    }
    return true;
  }

 private:
  void ReadText(TEntryText& Text) {
    png_textp texts = nullptr;
    int count = 0;
    png_get_text(FPng, FInfo, &texts, &count);
    for (int i = 0; i < count; ++i) {
      const std::string_view key(texts[i].key);
      const std::string_view value(texts[i].text, texts[i].text_length);
      if (key == "Thumb::URI")
        Text.Uri = value;
      else if (key == "Software")
        Text.Software = value;
      else if (key == "Thumb::MTime")
        ParseInt(value, Text.Modified);
      else if (key == "Thumb::Size")
        ParseInt(value, Text.Size);
      else if (key == "Thumb::Image::Width")
        ParseInt(value, Text.Width);
      else if (key == "Thumb::Image::Height")
        ParseInt(value, Text.Height);
    }
  }

  png_structp FPng = nullptr;
  png_infop FInfo = nullptr;
  // Kept here rather than in Decode's frame, whose locals a longjmp may leave indeterminate.
  std::vector<png_bytep> FRows;
  std::vector<uint8_t> FRgba;
};

// Creates Folder and its parents that are missing, each with the permissions 0700.
bool MakeFolders(const std::string& Folder) {
  std::string partial;
  for (size_t at = 1; at <= Folder.size(); ++at) {
    if (at < Folder.size() && Folder[at] != '/') continue;
    partial = Folder.substr(0, at);
    if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat info;
  return ::stat(Folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool FileStampOf(const std::string& FileName, TFileStamp& Stamp) {
  struct stat info;
  if (::stat(FileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  Stamp = {static_cast<int64_t>(info.st_mtim.tv_sec), static_cast<int64_t>(info.st_size)};
  return true;
}

std::string FileUri(const std::string& AbsolutePath) {
  static constexpr char KHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const char c : AbsolutePath) {
    const auto b = static_cast<unsigned char>(c);
    if (KeptInUri(b)) {
      uri += c;
    } else {
      uri += '%';
      uri += KHex[b >> 4];
      uri += KHex[b & 15];
    }
  }
  return uri;
}

std::string TThumbnailCache::DefaultFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache && cache[0] == '/') return std::string(cache) + "/thumbnails/normal";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.cache/thumbnails/normal";
  return {};
}

std::string TThumbnailCache::EntryName(const std::string& FileName) const {
  const std::string absolute = AbsolutePath(FileName);
  if (FFolder.empty() || absolute.empty()) return {};
  return FFolder + "/" + Md5Hex(FileUri(absolute)) + ".png";
}

bool TThumbnailCache::Read(const std::string& FileName, TDib* Picture, int* FullWidth,
                           int* FullHeight) const {
  std::memset(Picture, 0, sizeof *Picture);
  const std::string entry = EntryName(FileName);
  TFileStamp stamp;
  if (entry.empty() || !FileStampOf(FileName, stamp)) return false;
  std::vector<uint8_t> bytes;
  if (ReadRegularFile(entry.c_str(), bytes, KMaxEntryBytes) != 0) return false;
  TEntryText text;
  pictaro::TDibOwner dib;
  {
    TPngReader reader;
    if (!reader.Decode(bytes, ThumbnailCacheSide, text, dib.Get())) return false;
  }
  const int width = DibWidth(*dib), height = DibHeight(*dib);
  // The picture must be the whole photo's shape: a mismatch means a damaged or foreign entry.
  const bool shapeFits =
      text.Width > 0 && text.Height > 0 && text.Width <= INT32_MAX && text.Height <= INT32_MAX &&
      std::max(width, height) == std::min<int64_t>(ThumbnailCacheSide, std::max(text.Width, text.Height)) &&
      std::abs(int64_t{width} * text.Height - int64_t{height} * text.Width) <=
          std::max(text.Width, text.Height);
  if (text.Software != KSoftware || text.Uri != FileUri(AbsolutePath(FileName)) ||
      text.Modified != stamp.Modified || text.Size != stamp.Size || !shapeFits)
    return false;
  *FullWidth = static_cast<int>(text.Width);
  *FullHeight = static_cast<int>(text.Height);
  dib.ReleaseTo(Picture);
  return true;
}

void TThumbnailCache::Store(const std::string& FileName, const TFileStamp& Stamp, const TDib& Picture,
                            int FullWidth, int FullHeight) const {
  const std::string entry = EntryName(FileName);
  if (entry.empty() || !Picture.Bits || DibBitCount(Picture) != 24 || DibWidth(Picture) <= 0 ||
      DibHeight(Picture) <= 0 || std::max(DibWidth(Picture), DibHeight(Picture)) > ThumbnailCacheSide)
    return;
  TFileStamp now;
  if (!FileStampOf(FileName, now) || !(now == Stamp) || !MakeFolders(FFolder)) return;
  std::call_once(*FSwept, [this] { RemoveStaleTemporaries(); });

  std::string temporary = FFolder + "/" + std::string(KTemporaryPrefix) + "XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return;
  FILE* file = ::fdopen(fd, "wb");
  if (!file) {
    ::close(fd);
    ::unlink(temporary.c_str());
    return;
  }
  const std::vector<TPngText> texts = {{"Thumb::URI", FileUri(AbsolutePath(FileName))},
                                       {"Thumb::MTime", std::to_string(Stamp.Modified)},
                                       {"Thumb::Size", std::to_string(Stamp.Size)},
                                       {"Thumb::Image::Width", std::to_string(FullWidth)},
                                       {"Thumb::Image::Height", std::to_string(FullHeight)},
                                       {"Software", KSoftware}};
  bool written = WriteRgbaPng(file, Picture, texts);
  written = (std::fclose(file) == 0) && written;
  if (!written || ::rename(temporary.c_str(), entry.c_str()) != 0) ::unlink(temporary.c_str());
}

std::string TThumbnailCache::LargeFolder() const {
  constexpr std::string_view normal = "/normal";
  if (FFolder.size() <= normal.size() ||
      FFolder.compare(FFolder.size() - normal.size(), normal.size(), normal) != 0)
    return {};
  return FFolder.substr(0, FFolder.size() - normal.size()) + "/large";
}

bool TThumbnailCache::ReadAny(const std::string& FileName, TDib* Picture, int* FullWidth,
                              int* FullHeight) const {
  std::memset(Picture, 0, sizeof *Picture);
  *FullWidth = *FullHeight = 0;
  const std::string absolute = AbsolutePath(FileName);
  TFileStamp stamp;
  if (FFolder.empty() || absolute.empty() || !FileStampOf(FileName, stamp)) return false;
  const std::string uri = FileUri(absolute), entry = "/" + Md5Hex(uri) + ".png";
  for (const std::string& folder : {FFolder, LargeFolder()}) {
    std::vector<uint8_t> bytes;
    if (folder.empty() || ReadRegularFile((folder + entry).c_str(), bytes, KMaxForeignBytes) != 0) continue;
    TEntryText text;
    pictaro::TDibOwner dib;
    {
      TPngReader reader;
      if (!reader.Decode(bytes, KLargeSide, text, dib.Get())) continue;
    }
    // The size is optional in an entry; the address and the time are not.
    if (text.Uri != uri || text.Modified != stamp.Modified || (text.Size >= 0 && text.Size != stamp.Size))
      continue;
    if (text.Width > 0 && text.Height > 0 && text.Width <= INT32_MAX && text.Height <= INT32_MAX) {
      *FullWidth = static_cast<int>(text.Width);
      *FullHeight = static_cast<int>(text.Height);
    }
    dib.ReleaseTo(Picture);
    return true;
  }
  return false;
}

void TThumbnailCache::RemoveStaleTemporaries() const {
  const std::unique_ptr<DIR, int (*)(DIR*)> folder(FFolder.empty() ? nullptr : ::opendir(FFolder.c_str()),
                                                   ::closedir);
  if (!folder) return;
  const int64_t before = static_cast<int64_t>(std::time(nullptr)) - KStaleAfter;
  const uid_t me = ::geteuid();
  while (const dirent* e = ::readdir(folder.get())) {
    const std::string_view name(e->d_name);
    if (name.size() != KTemporaryPrefix.size() + 6 ||
        name.substr(0, KTemporaryPrefix.size()) != KTemporaryPrefix ||
        !std::all_of(name.begin() + KTemporaryPrefix.size(), name.end(),
                     [](char C) { return std::isalnum(static_cast<unsigned char>(C)) != 0; }))
      continue;
    struct stat info;
    if (::fstatat(::dirfd(folder.get()), e->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(info.st_mode) && info.st_uid == me && static_cast<int64_t>(info.st_mtim.tv_sec) < before)
      ::unlinkat(::dirfd(folder.get()), e->d_name, 0);
  }
}
