#pragma once
// A photo's first picture: something to show at once while its thumbnail or the photo itself is
// decoded, found in far less time than either takes.

#include <string>

#include "imaging/pictaro/Dib.h"
#include "imaging/pictaro/Pictaro.h"

class TThumbnailCache;

// Fills Picture (24 or 8 bits, at its own size, freed with deldib) with the first of:
//   - a JPEG's EXIF picture (ExifThumbnail.h), turned upright and of the photo's proportions;
//   - a HEIF or AVIF file's embedded thumbnail (OpenEmbeddedThumbnail), of the photo's proportions
//     within 2 %;
//   - a valid entry of any program in Cache's shared folder, "normal" or "large"
//     (TThumbnailCache::ReadAny), when its proportions are the photo's within 2 % where the photo's
//     size is known.
// FullWidth x FullHeight: the photo's upright size, from the JPEG's frame header, the HEIF file or
// else the entry; 0 x 0 when none tells it. Reads the start of a JPEG only (at most 1 MiB), a HEIF
// file whole. False, with Picture->Bits nullptr, when there is no first picture; reports nothing.
// Color, if given, gives the matte for a transparent HEIF thumbnail and receives what the picture's
// numbers mean: the photo's profile for its EXIF picture (stored in the photo's colour space) and
// for a HEIF thumbnail, nullptr (sRGB) for an entry. Safe from any thread.
bool ReadFirstPicture(const std::string& FileName, const TThumbnailCache* Cache, TDib* Picture,
                      int* FullWidth, int* FullHeight, TPictureColor* Color = nullptr);
