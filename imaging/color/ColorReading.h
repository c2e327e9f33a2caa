#pragma once
// The colour management pictures are read with: the picture library reads a file's colour tags and
// hands them here to be checked (ReadColorProfile), made into a profile (MakeRgbProfile) or, for a
// CMYK JPEG's rows, converted to sRGB (ConvertToSrgb). Every reading that wants a picture's profile
// passes ColorReading() in its TPictureColor:
//
//   TPictureColor colour = ReadingColor();
//   LoadPicture(Name, -1, Progress, &dib, Turn, &colour);  // colour.Profile: the checked profile

#include <cstdint>

#include "imaging/pictaro/PictureColor.h"

// The program's colour management for reading pictures; one table for the whole run, usable from any
// thread.
const TColorReading& ColorReading();

// A TPictureColor that reads with ColorReading() and composites transparent pixels onto Matte
// (0x00BBGGRR).
TPictureColor ReadingColor(uint32_t Matte = 0xFFFFFF);
