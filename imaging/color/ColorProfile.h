#pragma once
// Colour, the room of imaging/ above the picture library and below the screen's pictures: checking
// the ICC profiles pictures carry and making profiles from colour tags (here), converting pixels to
// sRGB with prepared transforms (ColorConvert.h), and the colour management a picture is read with
// (ColorReading.h). It includes only the picture library (for TDib and the profile record,
// imaging/pictaro/PictureColor.h) and platform/, never the screen's pictures.
//
// A profile is only ever made here, by ReadColorProfile or MakeRgbProfile, which refuse what they
// cannot vouch for: a profile that exists is complete, its tags lie inside it, Little CMS reads it,
// and a transform from it to sRGB exists (ColorConvert.h).

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/pictaro/PictureColor.h"

// The profile in Data, for a picture of Channels colour components (1 grey, 3 RGB, 4 CMYK); nullptr
// when the picture is to be taken as untagged: the data are no ICC profile, are larger than
// KMaxProfileSize, are shorter than the header's size field says, hold a tag table or a tag that
// reaches past that size, are refused by Little CMS, describe another colour space than Channels, are
// no profile a picture can have (a device link, say), or no transform to sRGB can be built from them.
// Bytes after the header's size are dropped. Reports nothing; never throws but std::bad_alloc.
TColorProfilePtr ReadColorProfile(const uint8_t* Data, size_t Size, int Channels);

// A version 2 RGB profile made from chromaticities and a transfer (PNG's cHRM and gAMA, the colour
// description of a HEIF file), through ReadColorProfile; nullptr when Little CMS cannot make one of
// them (primaries on a line, say).
TColorProfilePtr MakeRgbProfile(const TChromaticities& Space, TTransfer Transfer, double Gamma = 1.0);

// Little CMS's own sRGB profile saved as an ICC version 2 profile (its built-in one is version 4),
// which every PDF reader and PDF/A-1 take: for a PDF's sRGB output intent. Made once; empty only when
// Little CMS cannot make it.
const std::string& SrgbProfileVersion2();
