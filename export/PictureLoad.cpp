#include "export/PictureLoad.h"

#include <algorithm>

#include "imaging/JpegHeader.h"
#include "imaging/LoadPicture.h"
#include "imaging/Pictaro.h"
#include "imaging/PictaroDecode.h"
#include "imaging/PictaroReduced.h"
#include "platform/UnixFile.h"

void TLoadedPicture::Clear() {
  deldib(FSource.Dib);
  FSource = TPictureSource{};
  FBytes.clear();
  FBytes.shrink_to_fit();
}

void LoadPictureForPdf(const std::string& FileName, size_t Photo, const TPictureLoadPlan& Plan,
                       TProgressSink* Progress, TLoadedPicture& Out) {
  Out.Clear();
  TPictureSource& source = Out.FSource;
  if (Plan.Dpi <= 0 && !Plan.KeepJpeg) {
    TDib dib;
    LoadPicture(FileName.c_str(), -1, Progress, &dib);
    if (dib.Bits) source = TPictureSource::Of(dib);
    return;
  }

  const int format = PictureFormatFor(FileName.c_str(), -1);
  std::vector<uint8_t>& bytes = Out.FBytes;
  if (ReadRegularFile(FileName.c_str(), bytes, KMaxPictureFileSize) != 0 || bytes.empty()) return;
  TJpegHeader header;
  if (!ReadJpegHeader(bytes.data(), bytes.size(), header)) {
    // Not a JPEG whose header we can follow: decoded whole, by whichever decoder takes it.
    TDib dib;
    if (DecodePicture(bytes.data(), bytes.size(), format, Progress, &dib)) source = TPictureSource::Of(dib);
    Out.FBytes.clear();
    Out.FBytes.shrink_to_fit();
    return;
  }

  const int32_t width = header.UprightWidth(), height = header.UprightHeight();
  // Without a limit every pixel is needed: the picture is decoded whole, or goes in as it is.
  int32_t fewestWidth = width, fewestHeight = height;  // the limit where it is placed smallest
  int32_t mostWidth = width, mostHeight = height;      // ... and largest
  if (Plan.Dpi > 0 && Plan.Range) {
    const TPlacementRange range = Plan.Range(Photo, width, height);
    fewestWidth = PixelsForPoints(range.Smallest.Width, Plan.Dpi);
    fewestHeight = PixelsForPoints(range.Smallest.Height, Plan.Dpi);
    mostWidth = PixelsForPoints(range.Largest.Width, Plan.Dpi);
    mostHeight = PixelsForPoints(range.Largest.Height, Plan.Dpi);
  }
  const bool mayGoAsIs = Plan.KeepJpeg && DctTakesAsIs(header);
  if (mayGoAsIs && width <= fewestWidth && height <= fewestHeight) {
    // Wherever it is placed, the writer takes the file as it is: nothing to decode.
    source.Width = width;
    source.Height = height;
    source.Jpeg = std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    source.Header = header;
    return;
  }
  TDib dib;
  int fullWidth = 0, fullHeight = 0;
  if (!DecodePictureAtLeast(bytes.data(), bytes.size(), format, std::min(width, mostWidth),
                            std::min(height, mostHeight), Progress, &dib, &fullWidth, &fullHeight))
    return;
  source.Dib = dib;
  source.Width = fullWidth;
  source.Height = fullHeight;
  if (mayGoAsIs) {
    // A larger place may still take the file as it is.
    source.Jpeg = std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    source.Header = header;
  } else {
    Out.FBytes.clear();
    Out.FBytes.shrink_to_fit();
  }
}
