#include "imaging/FirstPicture.h"

#include <cstring>
#include <vector>

#include "imaging/ExifThumbnail.h"
#include "imaging/Pictaro.h"
#include "imaging/ThumbnailCache.h"
#include "platform/UnixFile.h"

namespace {

// The EXIF block and the frame header lie in the first few kilobytes of nearly every JPEG; large
// colour profiles or XMP blocks before the frame header can push it further.
constexpr size_t KFirstRead = 64 * 1024;
constexpr size_t KMostRead = 1024 * 1024;

}  // namespace

bool ReadFirstPicture(const std::string& FileName, const TThumbnailCache* Cache, TDib* Picture,
                      int* FullWidth, int* FullHeight) {
  std::memset(Picture, 0, sizeof *Picture);
  *FullWidth = *FullHeight = 0;
  std::vector<uint8_t> head;
  TJpegHead jpeg;
  TJpegHeadRead read = TJpegHeadRead::NotJpeg;
  if (ReadFileHead(FileName.c_str(), head, KFirstRead) == 0) {
    size_t needed = 0;
    read = ReadJpegHead(head.data(), head.size(), jpeg, &needed);
    if (read == TJpegHeadRead::NeedMore && head.size() == KFirstRead && needed <= KMostRead &&
        ReadFileHead(FileName.c_str(), head, needed) == 0)
      read = ReadJpegHead(head.data(), head.size(), jpeg, &needed);
  }
  const bool knownSize = read == TJpegHeadRead::Complete;
  if (knownSize) {
    *FullWidth = jpeg.UprightWidth();
    *FullHeight = jpeg.UprightHeight();
    if (DecodeExifThumbnail(head.data(), jpeg, Picture)) return true;
  }
  int entryWidth = 0, entryHeight = 0;
  if (!Cache || !Cache->ReadAny(FileName, Picture, &entryWidth, &entryHeight)) return false;
  if (!knownSize) *FullWidth = entryWidth, *FullHeight = entryHeight;
  // A picture of other proportions was not turned upright, or is not of this photo.
  if (*FullWidth > 0 && !ProportionsMatch(DibWidth(*Picture), DibHeight(*Picture), *FullWidth, *FullHeight)) {
    deldib(*Picture);
    std::memset(Picture, 0, sizeof *Picture);
    *FullWidth = *FullHeight = 0;
    return false;
  }
  return true;
}
