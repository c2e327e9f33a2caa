#pragma once
// The picture library's entries for callers that handle many large pictures one after another (the
// PDF writer): encoding into memory instead of a file, making a picture whose pixels the caller fills
// completely, and giving back the pixel block the library keeps for the next picture.

#include <string>

#include "imaging/pictaro/Dib.h"

// The exact bytes SaveDib(Dib, file, Format, 0) would write to the file, in Bytes. Format 7 (JPEG) only.
// Returns 1 on success; 0 with Bytes empty when the picture or the format is refused or memory runs out.
int EncodeDib(TDib Dib, int Format, std::string& Bytes);
// Like EncodeDib with format 7, but a JPEG of one component, the grey level of each pixel (its red
// channel; for grey pictures, whose channels are equal, the grey itself).
int EncodeDibGrey(TDib Dib, std::string& Bytes);

// Like newdib, except that the pixel rows are not cleared: every pixel holds whatever the memory held
// before, and only the padding after each row's last pixel is zero. For callers that overwrite every
// pixel of every row before the picture is used, where clearing first would only cost time.
void newdibUncleared(TDib* Dib, int Width, int Height, int BitCount, const TBitmapInfoHeader* ColorSource,
                     int ColorCount);

// The number of pictures the library made and that are not yet freed, in the whole process: what a
// caller holds at this moment (for tests of how many pictures a run keeps at once).
int PicturesHeld();

// The library keeps the block of the last freed photo-sized picture (8 MB and more) for the next one,
// which saves the system the work of mapping and clearing fresh memory for each picture. This gives
// that block back; call it when a run of pictures is over. Pictures in use are not affected.
void ReleaseSparePictureMemory();
