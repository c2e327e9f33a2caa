#include "imaging/screen/Thumbnail.h"

#include <algorithm>
#include <cstring>

#include "imaging/color/ColorReading.h"
#include "imaging/color/ColorConvert.h"
#include "imaging/screen/FirstPicture.h"
#include "imaging/pictaro/LoadPicture.h"
#include "imaging/pictaro/PhotoTurn.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/screen/ThumbnailCache.h"

TThumbnailSize ThumbnailFit(int Width, int Height) {
  if (Width <= 0 || Height <= 0) return {0, 0};
  int64_t w = ThumbnailBox, h = int64_t{Height} * ThumbnailBox / Width;
  if (h > ThumbnailBox) {
    h = ThumbnailBox;
    w = int64_t{Width} * ThumbnailBox / Height;
  }
  return {static_cast<int>(std::max<int64_t>(w, 1)), static_cast<int>(std::max<int64_t>(h, 1))};
}

void Resize(const TDib& Src, int NewWidth, int NewHeight, TDib* Dst) {
  std::memset(Dst, 0, sizeof *Dst);
  if (!Src.Bits || !Src.Header || NewWidth <= 0 || NewHeight <= 0) return;
  const int64_t xStep = int64_t{DibWidth(Src)} * 1024 / NewWidth;
  const int64_t yStep = int64_t{DibHeight(Src)} * 1024 / NewHeight;
  const int bits = DibBitCount(Src);
  newdib(Dst, NewWidth, NewHeight, bits, Src.Header, static_cast<int>(DibPaletteColors(Src)));
  if (!Dst->Bits || (bits != 1 && bits != 4 && bits != 8 && bits != 24)) return;
  for (int y = 0; y < NewHeight; ++y) {
    const int64_t sy = (y * yStep) >> 10;
    const uint8_t* from = Src.Bits + sy * Src.RowBytes;
    uint8_t* to = Dst->Bits + int64_t{y} * Dst->RowBytes;
    for (int x = 0; x < NewWidth; ++x) {
      const int64_t sx = (x * xStep) >> 10;
      switch (bits) {
        case 1: setpixel(*Dst, x, y, getpixel(Src, static_cast<int>(sx), static_cast<int>(sy))); break;
        case 4: {
          const unsigned nibble = (sx & 1) ? from[sx / 2] & 0x0F : from[sx / 2] >> 4;
          to[x / 2] |= static_cast<uint8_t>((x & 1) ? nibble : nibble << 4);
          break;
        }
        case 8: to[x] = from[sx]; break;
        default: std::memcpy(to + 3 * int64_t{x}, from + 3 * sx, 3); break;
      }
    }
  }
}

namespace {

// The thumbnail of a picture whose whole upright size is FullWidth x FullHeight, its numbers those of
// Profile, in sRGB; takes Picture.
TMadeThumbnail ThumbnailFrom(TDib Picture, int FullWidth, int FullHeight, const TColorProfile* Profile) {
  const TThumbnailSize fit = ThumbnailFit(FullWidth, FullHeight);
  TDib thumbnail;
  Resize(Picture, fit.Width, fit.Height, &thumbnail);
  if (!thumbnail.Bits) return {TThumbnailKind::Temporary, Picture};
  deldib(Picture);
  DibToScreen(thumbnail, Profile);
  return {TThumbnailKind::Cached, thumbnail};
}

}  // namespace

TMadeThumbnail MakeThumbnail(const char* FileName, const TThumbnailCache* Cache) {
  TDib picture;
  int fullWidth = 0, fullHeight = 0;
  if (Cache && Cache->Read(FileName, &picture, &fullWidth, &fullHeight))
    return ThumbnailFrom(picture, fullWidth, fullHeight, nullptr);  // entries are sRGB
  // The stamp is taken before reading, so an entry never names a later state of the file than the
  // one its picture came from.
  TFileStamp stamp;
  const bool stamped = Cache && FileStampOf(FileName, stamp);
  // Transparent pixels show the cell's colour; a profile's numbers are converted to the screen's sRGB
  // once the picture is small: the cache entry, or else the thumbnail.
  TPictureColor colour = ReadingColor(ThumbnailMatte);
  LoadPictureReduced(FileName, -1, Cache ? ThumbnailCacheSide : ThumbnailBox, &picture, &fullWidth,
                     &fullHeight, &colour);
  if (!picture.Bits) return {TThumbnailKind::Unreadable, picture};
  const TColorProfile* profile = colour.Profile.get();
  if (stamped && std::max(fullWidth, fullHeight) > ThumbnailCacheSide) {
    TDib entry;
    ShrinkDib(&entry, picture, ThumbnailCacheSide);
    if (entry.Bits) {
      DibToScreen(entry, profile);
      profile = nullptr;
      Cache->Store(FileName, stamp, entry, fullWidth, fullHeight);
      deldib(picture);
      picture = entry;
    }
  }
  return ThumbnailFrom(picture, fullWidth, fullHeight, profile);
}

TMadeThumbnail MakeFirstThumbnail(const char* FileName, const TThumbnailCache* Cache) {
  TDib picture;
  int fullWidth = 0, fullHeight = 0;
  TPictureColor colour = ReadingColor(ThumbnailMatte);
  if (!ReadFirstPicture(FileName, Cache, &picture, &fullWidth, &fullHeight, &colour))
    return {TThumbnailKind::Unreadable, {}};
  const int w = DibWidth(picture), h = DibHeight(picture);
  const TThumbnailSize fit = fullWidth > 0 ? ThumbnailFit(fullWidth, fullHeight) : ThumbnailFit(w, h);
  TDib fitted;
  if (fit.Width <= w && fit.Height <= h)
    ScaleDib(&fitted, picture, fit.Width, fit.Height);
  else
    Resize(picture, fit.Width, fit.Height, &fitted);
  deldib(picture);
  if (!fitted.Bits) return {TThumbnailKind::Unreadable, {}};
  DibToScreen(fitted, colour.Profile.get());
  return {TThumbnailKind::First, fitted};
}

TMadeThumbnail MakeTurnedThumbnail(const char* FileName, const TThumbnailCache* Cache, int Turn) {
  TMadeThumbnail made = MakeThumbnail(FileName, Cache);
  if (made.Kind == TThumbnailKind::Cached && !TurnDib(made.Picture, Turn))
    made.Kind = TThumbnailKind::Temporary;
  return made;
}
