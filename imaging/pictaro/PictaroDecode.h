#pragma once
// The picture library's decode-from-memory entry, used by OpenDib after it has read the file and by
// the fuzz targets and tests, which hand it bytes directly.

#include <cstddef>
#include <cstdint>

#include "imaging/pictaro/Dib.h"
#include "imaging/pictaro/PictureColor.h"

class TProgressSink;

// Decodes Size bytes at Data into Dib, exactly as OpenDib decodes a file's content. Format: -1 or 0
// pick the decoder by the leading bytes (BMP, JPEG, PNG, TIFF, GIF, WebP, HEIF/AVIF); 3 accepts only BMP, 7 only
// JPEG; any other number fails. Returns 1 and a picture of 1, 4, 8 or 24 bits per pixel, or 0 with
// Dib->Bits nullptr and nothing held. Progress, if given, receives percentages 0..100 and must not
// throw (an exception from it is swallowed, since it would otherwise cross C library frames). The
// picture comes out upright by its orientation tag (a HEIF file's own turns and mirrorings) and then
// turned by Turn quarter turns clockwise (PhotoTurn.h); a turned picture that finds no memory fails
// like any other. Color as with OpenDib.
int DecodePicture(const uint8_t* Data, size_t Size, int Format, TProgressSink* Progress, TDib* Dib,
                  int Turn = 0, TPictureColor* Color = nullptr);

// True when libjpeg reads the JPEG file of Size bytes at Data without an error or a single warning:
// its markers and tables, and every scan's coded data through the end-of-image marker, which must be
// the last two bytes. It is decoded at 1/8 scale for this, so the coded data is read in full while the
// pixels cost a sixty-fourth. For bytes that go elsewhere as they are (a PDF's JPEG pass-through),
// where another reader decodes them: a file with damaged data may decode here with warnings only, but
// readers draw it as garbage or not at all. False too for pictures above PictureLimit().
bool JpegDecodesCleanly(const uint8_t* Data, size_t Size);

// The largest picture, in pixels, that any decoder or newdib will allocate; larger pictures are refused
// before anything is allocated. Default 400 megapixels. Fuzz targets lower it so that a tiny hostile
// header cannot ask for a gigabyte. Returns the previous limit.
uint64_t SetPictureLimit(uint64_t MaxPixels);
uint64_t PictureLimit();
