// Feeds arbitrary bytes to the album reader. Besides crashes and leaks it checks the reader's promise
// that a corrupt file cannot make it allocate more than the file holds: the photo records it accepts
// fit into the input, the record block grows only with them, and each text takes at most three bytes
// of UTF-8 per stored byte.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "album/AlbumFile.h"

namespace {

size_t GLargestBlock = 0;

void* CountingAllocator(size_t Bytes) {
  if (Bytes > GLargestBlock) GLargestBlock = Bytes;
  return std::calloc(1, Bytes);
}

void Check(bool Condition, const char* What) {
  if (Condition) return;
  std::fprintf(stderr, "album reader: %s\n", What);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view bytes(reinterpret_cast<const char*>(Data), Size);

  TAlbumImage image;
  const bool parsed = ParseAlbum(bytes, image).Ok;
  size_t stored = 0;
  for (const TAlbumImage::TPhoto& photo : image.Photos) {
    Check(photo.FileName.data() >= bytes.data() &&
              photo.FileName.data() + photo.FileName.size() <= bytes.data() + bytes.size(),
          "file name outside the input");
    Check(photo.Text.data() >= bytes.data() &&
              photo.Text.data() + photo.Text.size() <= bytes.data() + bytes.size(),
          "text outside the input");
    stored += 8 + photo.FileName.size() + photo.Text.size();
  }
  Check(stored <= Size, "photo records larger than the input");

  GLargestBlock = 0;
  TDynaArray::SetAllocator(&CountingAllocator);
  {
    TAlbumModel album;
    TLayoutSettings settings;
    const TAlbumFileResult loaded = LoadAlbumBytes(bytes, album, settings);
    Check(loaded.Ok == parsed, "loading and parsing disagree");
    const size_t recordsAllowed = ((Size / 8) / TDynaArray::GrowBy + 1) * TDynaArray::GrowBy;
    Check(GLargestBlock <= recordsAllowed * sizeof(TPicEntry), "record block larger than the input allows");
    size_t textBytes = 0;
    for (uint32_t i = 0; i < album.Pics.Count; ++i) {
      const TPicEntry& entry = album.Pics[static_cast<int32_t>(i)];
      textBytes += std::strlen(entry.FileName) + std::strlen(entry.Text);
    }
    Check(textBytes <= 3 * Size, "decoded texts larger than three times the input");
    if (loaded.Ok) {
      // What was accepted saves and loads again to the same photos and settings.
      const std::string again = EncodeAlbum(album, settings);
      TAlbumModel second;
      TLayoutSettings secondSettings;
      Check(LoadAlbumBytes(again, second, secondSettings).Ok, "a saved album does not load");
      Check(EncodeAlbum(second, secondSettings) == again, "a second round trip changed the album");
    }
  }
  TDynaArray::SetAllocator(nullptr);
  return 0;
}
