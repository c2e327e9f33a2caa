#pragma once
// The font record of the album file: 16 bytes plus the face name.
//
//   1 character set | 4 colour | 1 L | L face name | 1 pitch | 4 pixels per inch (i32) | 4 size (i32,
//   points) | 1 style
//
// The default text font ("Arial", height -13 at 96 ppi) is the 21 bytes
// 00 | 08 00 00 80 | 05 | 41 72 69 61 6C | 00 | 60 00 00 00 | 0A 00 00 00 | 00.

#include <string>

#include "album/ByteReader.h"
#include "album/LayoutSettings.h"

// Appends Font's record to Out. The size written is FontSizeFromHeight(Height, PixelsPerInch), the
// points the font's pixel height stands for (its Size when PixelsPerInch is not positive). The face
// name is encoded as every album text is (DiskText.h); a name longer than 255 bytes is cut at the last
// whole character that fits, since its length has only one byte.
void WriteFontRec(std::string& Out, const TFontSpec& Font);

// Reads one record from In into Font: character set, colour, face name, pitch, then PixelsPerInch as
// stored, Size as stored and Height = FontHeightFromSize(Size, PixelsPerInch), last the style (bits
// above the four known ones are dropped). Returns false when the bytes end inside the record; Font is
// then unchanged and In may have moved.
bool ReadFontRec(TByteReader& In, TFontSpec& Font);
