#pragma once
// The screen's pictures, the top room of imaging/: thumbnails (here), their cache on disk
// (ThumbnailCache.h) and the worker threads that make them (ThumbnailMaker.h), first pictures shown
// until a photo is decoded (FirstPicture.h), the preview's pictures (PreviewPictures.h), and painting
// pictures onto a screen, preview or printer (PaintDib.h, PrintLayout.h, ThumbnailCell.h). It reads
// pictures with the picture library and converts them for the screen with colour; neither of those
// rooms, nor the JBIG2 encoder, includes anything of this one.
//
// Thumbnails: the fit of a picture into the 80 x 80 box, Resize (nearest-neighbour sampling in 1/1024
// fixed point), and making a photo's thumbnail, or a first picture to show until then, from its file.

#include <cstdint>

#include "imaging/color/ColorProfile.h"
#include "imaging/pictaro/Dib.h"

// The largest thumbnail: ThumbnailBox x ThumbnailBox pixels.
constexpr int ThumbnailBox = 80;

// Transparent parts of a photo are composited onto this colour (0x00BBGGRR): the silver of the grid
// cell the thumbnail is shown in (ThumbnailCell.h).
constexpr uint32_t ThumbnailMatte = 0xC0C0C0;

struct TThumbnailSize {
  int Width, Height;
};

// The size of a Width x Height picture fitted into the box keeping its proportions, enlarged when it
// is smaller: width 80 and height Height * 80 div Width, or, when that is more than 80, height 80 and
// width Width * 80 div Height. A side never comes out below 1, so a picture more than 80 times as wide
// as high still gets a thumbnail. A picture without pixels (a side 0 or less) fits as 0 x 0.
TThumbnailSize ThumbnailFit(int Width, int Height);

// *Dst receives a new picture of NewWidth x NewHeight with Src's bit count and, for 8 bits or fewer,
// Src's colour table; target pixel (x, y) takes source pixel ((x * XStep) >> 10, (y * YStep) >> 10) in
// stored-row coordinates, with XStep = Width * 1024 div NewWidth and YStep likewise. 1, 4, 8 and 24 bits
// are copied; other depths stay all zero. Dst->Bits is nullptr when the picture cannot be made (no
// memory, a size of 0 or less, Src without a picture). Src is neither changed nor freed.
void Resize(const TDib& Src, int NewWidth, int NewHeight, TDib* Dst);

// What MakeThumbnail made of a photo file.
enum class TThumbnailKind {
  Cached,      // Picture is the thumbnail, to be kept in the photo's entry
  Temporary,   // no memory for the thumbnail: Picture is the picture itself, to be drawn once and freed
  Unreadable,  // the file cannot be read; Picture holds nothing
  // A first picture (FirstPicture.h) fitted to the box, to be shown until the thumbnail itself comes,
  // then freed; never kept as the thumbnail.
  First,
};

struct TMadeThumbnail {
  TThumbnailKind Kind;
  TDib Picture;  // owned by the caller (freed with deldib), or Bits nullptr
  // What Picture's numbers mean where a maker leaves them as they are (the viewer's whole photos);
  // nullptr for sRGB, as thumbnails and first pictures always are.
  TColorProfilePtr Profile = nullptr;
};

class TThumbnailCache;

// Reads the photo file FileName as LoadPicture does with format -1, a JPEG at the smallest DCT scale
// that still covers the thumbnail (a HEIF file's embedded thumbnail when it does), transparent pixels
// onto the cell's colour, and resizes it to the fit of the picture's full upright size, converted to
// sRGB from the picture's profile (DibToScreen).
// With a Cache, a picture larger than the cache's entries is first shrunk by averaging to an entry,
// which is stored, and the thumbnail is resized from that entry; a valid entry is used instead of the
// file, so a photo once seen is not decoded again. Safe to call from any thread; reports nothing.
TMadeThumbnail MakeThumbnail(const char* FileName, const TThumbnailCache* Cache = nullptr);

// The first picture of the photo file FileName (ReadFirstPicture), resized to the fit of the photo's
// full upright size (of the picture's own size when that is not known), area-averaged when it
// shrinks, transparent pixels onto the cell's colour, converted to sRGB from its profile: Kind First.
// Kind Unreadable, Picture holding nothing, when there is no first picture; that says nothing about the photo itself. Safe to call from any thread; reports nothing.
TMadeThumbnail MakeFirstThumbnail(const char* FileName, const TThumbnailCache* Cache = nullptr);

// MakeThumbnail, then the thumbnail turned by Turn quarter turns clockwise (PhotoTurn.h). The cache
// keeps the picture upright, since every photo of the file shares it whatever its turn. A thumbnail
// that finds no memory to be turned comes back as Temporary, unturned.
TMadeThumbnail MakeTurnedThumbnail(const char* FileName, const TThumbnailCache* Cache, int Turn);
