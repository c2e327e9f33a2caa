#include "pdf/PictureEncoding.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "imaging/jbig2/Jbig2Encode.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PictaroMemory.h"
#include "pdf/PictureSpool.h"

bool IsBlackAndWhite(const TDib& Dib) {
  const auto nearBlack = [](const TDibColor& C) {
    return C.Red <= KBlackWhiteTolerance && C.Green <= KBlackWhiteTolerance && C.Blue <= KBlackWhiteTolerance;
  };
  const auto nearWhite = [](const TDibColor& C) {
    return C.Red >= 255 - KBlackWhiteTolerance && C.Green >= 255 - KBlackWhiteTolerance &&
           C.Blue >= 255 - KBlackWhiteTolerance;
  };
  const TDibColor& a = Dib.Colors[0];
  const TDibColor& b = Dib.Colors[1];
  // The bilevel encoder makes the darker colour black and the other white, and two equal colours
  // both black or both white by their brightness: right for these pairs, and only for these.
  const bool same = a.Red == b.Red && a.Green == b.Green && a.Blue == b.Blue;
  return DibBitCount(Dib) == 1 && ((nearBlack(a) && nearWhite(b)) || (nearWhite(a) && nearBlack(b)) ||
                                   (same && (nearBlack(a) || nearWhite(a))));
}

TPictureKind PlacedKind(const TDib& Dib) {
  if (!Dib.Bits || !Dib.Header || DibWidth(Dib) <= 0 || DibHeight(Dib) <= 0) return TPictureKind::None;
  switch (DibBitCount(Dib)) {
    case 1: return IsBlackAndWhite(Dib) ? TPictureKind::Jbig2 : TPictureKind::Jpeg;
    case 4:
    case 8:
    case 24:
    case 32: return TPictureKind::Jpeg;
    default: return TPictureKind::None;
  }
}

void EncodePicture(const TDib& Dib, TPictureKind Kind, int32_t MaxWidth, int32_t MaxHeight,
                   TEncodedPicture& Out, bool Grey) noexcept {
  Out.Ok = false;
  Out.Grey = false;
  Out.Width = Out.Height = 0;
  Out.Data.clear();
  Out.Globals.clear();
  try {
    if (Kind == TPictureKind::Jbig2) {
      Out.Ok = Jbig2EncodeDib(Dib, Out.Data);
      Out.Width = DibWidth(Dib);
      Out.Height = DibHeight(Dib);
      return;
    }
    if (Kind != TPictureKind::Jpeg) return;
    const TDib* picture = &Dib;
    const int32_t width = DibWidth(Dib), height = DibHeight(Dib);
    const int32_t fitWidth = MaxWidth > 0 ? std::min(width, MaxWidth) : width;
    const int32_t fitHeight = MaxHeight > 0 ? std::min(height, MaxHeight) : height;
    TDibHolder scaled;
    if (fitWidth != width || fitHeight != height) {
      ScaleDib(scaled.Receive(), Dib, fitWidth, fitHeight);
      if (!scaled.Get().Bits) return;
      picture = &scaled.Get();
    }
    TDibHolder shrunk;
    if (DibWidth(*picture) > KMaxJpegSide || DibHeight(*picture) > KMaxJpegSide) {
      ShrinkDib(shrunk.Receive(), *picture, KMaxJpegSide);
      if (!shrunk.Get().Bits) return;
      picture = &shrunk.Get();
    }
    Out.Ok = (Grey ? EncodeDibGrey(*picture, Out.Data) : EncodeDib(*picture, 7, Out.Data)) == 1;
    Out.Grey = Grey;
    Out.Width = DibWidth(*picture);
    Out.Height = DibHeight(*picture);
  } catch (...) {
    Out.Ok = false;  // memory ran out
  }
  if (!Out.Ok) Out.Data.clear();
}

int32_t PixelsForPoints(int64_t Points, int32_t Dpi) {
  if (Dpi <= 0) return 0;
  const int64_t length = std::llabs(Points);
  const int64_t pixels = (length * Dpi + 71) / 72;
  return static_cast<int32_t>(std::clamp<int64_t>(pixels, 1, std::numeric_limits<int32_t>::max()));
}

TPictureSource TPictureSource::Of(const TDib& Dib) {
  TPictureSource source;
  source.Dib = Dib;
  source.Width = DibWidth(Dib);
  source.Height = DibHeight(Dib);
  return source;
}

bool DctTakesAsIs(const TJpegHeader& Header) {
  const TJpegHeader& h = Header;
  if (h.Length == 0 || h.Precision != 8 || h.Width <= 0 || h.Height <= 0 || h.Process < 0 || h.Process > 2)
    return false;
  if (h.Components == 1) return true;
  if (h.Components != 3) return false;
  // A reader converts three components from YCbCr unless an Adobe marker says they are RGB (0).
  if (h.AdobeTransform == 1) return true;
  if (h.AdobeTransform == 0) return !h.Jfif;  // a JFIF marker would make decoders read YCbCr after all
  if (h.AdobeTransform > 1) return false;
  const bool namedRgb = h.ComponentIds[0] == 'R' && h.ComponentIds[1] == 'G' && h.ComponentIds[2] == 'B';
  return h.Jfif || !namedRgb;
}
