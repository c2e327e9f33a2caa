// Feeds arbitrary bytes to the album reader. Besides crashes and leaks it checks the reader's promise
// that a corrupt file cannot make it allocate more than the file holds: the photo records it accepts
// fit into the input, the record block grows only with them, and each text takes at most three bytes
// of UTF-8 per stored byte. Whether what loads also saves and loads again is fuzz_album_roundtrip's job.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "FuzzCheck.h"
#include "album/AlbumFile.h"

namespace {

size_t GLargestBlock = 0;

void* CountingAllocator(size_t Bytes) {
  if (Bytes > GLargestBlock) GLargestBlock = Bytes;
  return std::calloc(1, Bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view bytes(reinterpret_cast<const char*>(Data), Size);

  TAlbumImage image;
  const bool parsed = ParseAlbum(bytes, image).Ok;
  size_t stored = 0;
  for (const TAlbumImage::TPhoto& photo : image.Photos) {
    FuzzCheck(photo.FileName.data() >= bytes.data() &&
                  photo.FileName.data() + photo.FileName.size() <= bytes.data() + bytes.size(),
              "file name outside the input");
    FuzzCheck(photo.Text.data() >= bytes.data() &&
                  photo.Text.data() + photo.Text.size() <= bytes.data() + bytes.size(),
              "text outside the input");
    stored += 8 + photo.FileName.size() + photo.Text.size();
  }
  FuzzCheck(stored <= Size, "photo records larger than the input");

  GLargestBlock = 0;
  TDynaArray::SetAllocator(&CountingAllocator);
  {
    TAlbumModel album;
    TLayoutSettings settings;
    const TAlbumFileResult loaded = LoadAlbumBytes(bytes, album, settings);
    FuzzCheck(loaded.Ok == parsed, "loading and parsing disagree");
    const size_t recordsAllowed = ((Size / 8) / TDynaArray::GrowBy + 1) * TDynaArray::GrowBy;
    FuzzCheck(GLargestBlock <= recordsAllowed * sizeof(TPicEntry),
              "record block larger than the input allows");
    size_t textBytes = 0;
    for (uint32_t i = 0; i < album.Pics.Count; ++i) {
      const TPicEntry& entry = album.Pics[static_cast<int32_t>(i)];
      textBytes += std::strlen(entry.FileName) + std::strlen(entry.Text);
    }
    FuzzCheck(textBytes <= 3 * Size, "decoded texts larger than three times the input");
  }
  TDynaArray::SetAllocator(nullptr);
  return 0;
}
