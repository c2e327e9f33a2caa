#include "pdf/PictureEncoding.h"

#include "imaging/Jbig2Encode.h"
#include "imaging/Pictaro.h"
#include "imaging/PictaroMemory.h"
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

void EncodePicture(const TDib& Dib, TPictureKind Kind, TEncodedPicture& Out) noexcept {
  Out.Ok = false;
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
    TDibHolder shrunk;
    const TDib* picture = &Dib;
    if (DibWidth(Dib) > KMaxJpegSide || DibHeight(Dib) > KMaxJpegSide) {
      ShrinkDib(shrunk.Receive(), Dib, KMaxJpegSide);
      if (!shrunk.Get().Bits) return;
      picture = &shrunk.Get();
    }
    Out.Ok = EncodeDib(*picture, 7, Out.Data) == 1;
    Out.Width = DibWidth(*picture);
    Out.Height = DibHeight(*picture);
  } catch (...) {
    Out.Ok = false;  // memory ran out
  }
  if (!Out.Ok) Out.Data.clear();
}
