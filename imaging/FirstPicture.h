#pragma once
// A photo's first picture: something to show at once while its thumbnail or the photo itself is
// decoded, found in far less time than either takes.

#include <string>

#include "imaging/Dib.h"

class TThumbnailCache;

// Fills Picture (24 or 8 bits, at its own size, freed with deldib) with the first of:
//   - a JPEG's EXIF picture (ExifThumbnail.h), turned upright and of the photo's proportions;
//   - a valid entry of any program in Cache's shared folder, "normal" or "large"
//     (TThumbnailCache::ReadAny), when its proportions are the photo's within 2 % where the photo's
//     size is known.
// FullWidth x FullHeight: the photo's upright size, from the JPEG's frame header or else the entry;
// 0 x 0 when neither tells it. Reads the start of the file only (at most 1 MiB). False, with
// Picture->Bits nullptr, when there is no first picture; reports nothing. Safe from any thread.
bool ReadFirstPicture(const std::string& FileName, const TThumbnailCache* Cache, TDib* Picture,
                      int* FullWidth, int* FullHeight);
