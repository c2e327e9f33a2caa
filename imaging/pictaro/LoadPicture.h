#pragma once
// LoadPicture: the one routine through which the album's photo files are opened.

#include <string>

#include "imaging/pictaro/Dib.h"
#include "imaging/pictaro/Pictaro.h"

class TProgressSink;

// Reads FileName into *Out through OpenDib. A name whose extension (from the last '.' of the part
// after the last '/' or '\', compared in ASCII upper case) is ".JPEG" is always read as JPEG
// (format 7); any other name with the caller's Format. Reports nothing itself: Out->Bits nullptr
// tells the caller that the file could not be read. Turn: the photo's quarter turns (PhotoTurn.h).
// Color as with OpenDib.
void LoadPicture(const char* FileName, int Format, TProgressSink* Owner, TDib* Out, int Turn = 0,
                 TPictureColor* Color = nullptr);

// LoadPicture for pictures wanted small: a JPEG is decoded at the smallest reduced scale whose longer
// side still has MinLongSide pixels (OpenDibReduced); FullWidth and FullHeight receive the upright size
// of the picture at full scale. Safe to call from any thread.
void LoadPictureReduced(const char* FileName, int Format, int MinLongSide, TDib* Out, int* FullWidth,
                        int* FullHeight, TPictureColor* Color = nullptr);

// The extension as LoadPicture sees it: dot included, ASCII letters upper-cased, "" when none.
std::string PictureExtension(const char* FileName);

// The format LoadPicture reads FileName with when its caller asks for Format: 7 for a ".JPEG" name,
// Format otherwise.
int PictureFormatFor(const char* FileName, int Format);
