#pragma once
// The picture library's entries for small pictures of large files (thumbnails, print-size PDFs): a JPEG
// is decoded at a reduced scale instead of full size, which costs a fraction of the time.

#include <cstddef>
#include <cstdint>

#include "imaging/pictaro/Dib.h"
#include "imaging/pictaro/PictureColor.h"

class TProgressSink;

// Reads FileName like OpenDib(Dib, FileName, Format, nullptr). A JPEG is decoded at the smallest of
// libjpeg's DCT scales 1/8, 1/4 and 1/2 whose upright picture still has at least MinLongSide pixels on
// its longer side, or at full size when none has; every other format at full size. Turned upright by
// the orientation tag like OpenDib. FullWidth and FullHeight receive the upright size the picture has
// at full scale (what OpenDib would give). A HEIF or AVIF file's embedded thumbnail is taken instead of
// its picture when its longer side has MinLongSide pixels. Returns 1 on success, 0 with Dib->Bits
// nullptr and nothing held otherwise. Color as with OpenDib. Safe to call from any thread.
int OpenDibReduced(TDib* Dib, const char* FileName, int Format, int MinLongSide, int* FullWidth,
                   int* FullHeight, TPictureColor* Color = nullptr);

// The same from a file's bytes in memory (for tests and fuzzing).
int DecodePictureReduced(const uint8_t* Data, size_t Size, int Format, int MinLongSide, TDib* Dib,
                         int* FullWidth, int* FullHeight, TPictureColor* Color = nullptr);

// The small picture a file carries of itself, whatever its size, for showing something before the
// picture is decoded: a HEIF or AVIF file's embedded thumbnail. 0 with Dib->Bits nullptr when the file
// has none (every other format). FullWidth and FullHeight receive the whole picture's upright size.
int OpenEmbeddedThumbnail(TDib* Dib, const char* FileName, int* FullWidth, int* FullHeight,
                          TPictureColor* Color = nullptr);

// For a picture that will be scaled down to at most MinWidth x MinHeight pixels (upright) anyway, such
// as a photo going into a print-size PDF: a JPEG in Data decoded at the smallest of the DCT scales
// 1/8, 1/4, 1/2 whose upright picture still has at least MinWidth x MinHeight pixels (full size when
// none has; then exactly as DecodePicture decodes it); every other format at full size. Otherwise as
// DecodePictureReduced; Progress as DecodePicture. Turn as DecodePicture: the minimum sizes and the
// full size are those of the turned picture.
int DecodePictureAtLeast(const uint8_t* Data, size_t Size, int Format, int MinWidth, int MinHeight,
                         TProgressSink* Progress, TDib* Dib, int* FullWidth, int* FullHeight, int Turn = 0,
                         TPictureColor* Color = nullptr);
