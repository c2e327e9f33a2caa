#include "imaging/screen/FirstPicture.h"

#include <cstring>
#include <string>
#include <vector>

#include "imaging/color/ColorProfile.h"
#include "imaging/pictaro/ExifThumbnail.h"
#include "imaging/pictaro/JpegHeader.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PictaroReduced.h"
#include "imaging/screen/ThumbnailCache.h"
#include "platform/UnixFile.h"

namespace {

// The EXIF block and the frame header lie in the first few kilobytes of nearly every JPEG; large
// colour profiles or XMP blocks before the frame header can push it further.
constexpr size_t KFirstRead = 64 * 1024;
constexpr size_t KMostRead = 1024 * 1024;

// The photo's checked profile for its EXIF picture Picture, from the profile segments in Head (they
// come before the frame header); nullptr when there is none or it does not fit the picture.
TColorProfilePtr ExifPictureProfile(const std::vector<uint8_t>& Head, const TDib& Picture) {
  std::string icc;
  if (!ReadJpegIccProfile(Head.data(), Head.size(), icc) || icc.size() > KMaxProfileSize) return nullptr;
  return ReadColorProfile(reinterpret_cast<const uint8_t*>(icc.data()), icc.size(),
                          DibBitCount(Picture) == 8 ? 1 : 3);
}

// The HEIF file's embedded thumbnail when it has the photo's proportions.
bool HeifFirstPicture(const std::string& FileName, TDib* Picture, int* FullWidth, int* FullHeight,
                      TPictureColor* Color) {
  if (!OpenEmbeddedThumbnail(Picture, FileName.c_str(), FullWidth, FullHeight, Color)) return false;
  if (ProportionsMatch(DibWidth(*Picture), DibHeight(*Picture), *FullWidth, *FullHeight)) return true;
  deldib(*Picture);
  std::memset(Picture, 0, sizeof *Picture);
  *FullWidth = *FullHeight = 0;
  if (Color) Color->Profile = nullptr;
  return false;
}

}  // namespace

bool ReadFirstPicture(const std::string& FileName, const TThumbnailCache* Cache, TDib* Picture,
                      int* FullWidth, int* FullHeight, TPictureColor* Color) {
  std::memset(Picture, 0, sizeof *Picture);
  *FullWidth = *FullHeight = 0;
  if (Color) Color->Profile = nullptr;
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
    if (DecodeExifThumbnail(head.data(), jpeg, Picture)) {
      if (Color) Color->Profile = ExifPictureProfile(head, *Picture);
      return true;
    }
  } else if (read == TJpegHeadRead::NotJpeg && HeifFirstPicture(FileName, Picture, FullWidth, FullHeight, Color)) {
    return true;
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
