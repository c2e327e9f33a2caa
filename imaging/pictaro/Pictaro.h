#pragma once
// Pictaro: the program's picture library, the bottom room of imaging/. It reads many raster formats
// into TDib records, writes BMP, JPEG and PNG files, scales and turns pictures. It includes nothing of
// imaging's other rooms (colour, the screen's pictures, JBIG2), only platform/ below it: what it needs
// of colour management comes in from its caller as data (PictureColor.h).
//
// Every picture it returns has 1, 4, 8 or 24 bits per pixel (transparent pixels are composited onto a
// matte, white unless the caller asks for another; grey pictures come as 8 bits with a grey colour
// table), so the program's own pixel loops handle all of them.
//
// Colour: a picture keeps the numbers of its file. Its ICC profile, checked by the colour management
// the caller hands in, comes beside it through TPictureColor for callers that ask; a CMYK JPEG alone
// is converted to sRGB as it is read, through its own profile when it has one and the caller handed
// in colour management.
//
// Format numbers: -1 and 0 decide by the file's content (not its name), 3 is a Windows bitmap, 7 JPEG.

#include <cstdint>

#include "imaging/pictaro/Dib.h"
#include "imaging/pictaro/DibMake.h"
#include "imaging/pictaro/PictureColor.h"

class TProgressSink;

// Files larger than this are not pictures the library can hold (a 400-megapixel 24-bit BMP is 1.2 GB);
// OpenDib refuses them unread.
constexpr uint64_t KMaxPictureFileSize = uint64_t{2} << 30;

// Reads FileName into Dib. Format: -1 or 0 (by content), 3 (BMP), 7 (JPEG). Progress, if given, receives
// percentages 0..100 while the picture decodes. On any failure Dib->Bits is nullptr (and nothing is
// held). Pictures above 400 megapixels are refused. Returns 1 on success, 0 otherwise. Turn: quarter
// turns clockwise after the orientation tag (PhotoTurn.h). Color, if given, gives the matte and
// receives the profile.
int OpenDib(TDib* Dib, const char* FileName, int Format, TProgressSink* Progress, int Turn = 0,
            TPictureColor* Color = nullptr);

// True when FileName is a regular file that starts as a picture of a format OpenDib reads; only its
// first bytes are read (whether the rest decodes is not known before it is decoded).
bool IsPictureFile(const char* FileName);

// What a picture file's header says, read without decoding a single pixel: the size OpenDib gives the
// picture (upright, as its orientation tag turns it) and whether it comes as 1 bit per pixel.
enum class THeaderStatus {
  Ok,
  Missing,      // there is no such file
  CannotRead,   // the file cannot be opened or read (Errno says why), or is no regular file
  NotAPicture,  // no header OpenDib takes: another format, a damaged header, or above 400 megapixels
};
struct TPictureHeader {
  THeaderStatus Status = THeaderStatus::NotAPicture;
  int Errno = 0;
  int32_t Width = 0, Height = 0;
  bool OneBit = false;
};
// Reads FileName's header as OpenDib reads the file with Format (-1, 0, 3, 7). Only the file's first
// bytes are read (a TIFF's as far as its first directory), the whole file only when the header lies
// further in (a JPEG's frame behind long metadata). A file whose header is whole but whose pixel data
// is damaged passes here and still fails to open.
TPictureHeader ReadDibHeader(const char* FileName, int Format);

// Writes Dib to FileName: format 3 writes a BMP of the picture's own depth, 7 a JPEG with three 8-bit
// components (red, green, blue) at quality 90, from a picture of 1, 4, 8, 24 or 32 bits. Returns 1 when the
// file was written completely. JPEG takes no picture wider or higher than KMaxJpegSide pixels.
int SaveDib(TDib Dib, const char* FileName, int Format, int Reserved);
constexpr int KMaxJpegSide = 65500;

// An 8-bit copy of a 24-bit picture, ordered-dithered to a fixed palette, for displays of 8 bits per
// pixel or fewer; XY scales it to Width x Height. Out->Bits is nullptr on failure. Freed with deldib.
void DIBHalftoneDIB(TDib* Out, TDib Source);
void DIBHalftoneDIBXY(TDib* Out, TDib Source, int Width, int Height);

// A 24-bit copy of Source (1, 4, 8, 24 or 32 bits) shrunk so that neither side exceeds MaxSide pixels,
// both sides by the same factor (rounded, at least one pixel); each pixel is the average of the source
// pixels it covers. A picture already within MaxSide is copied at its size. Out->Bits is nullptr when
// memory is short or Source is no such picture. Freed with deldib.
void ShrinkDib(TDib* Out, TDib Source, int MaxSide);

// A 24-bit copy of Source (1, 4, 8, 24 or 32 bits) scaled down to exactly Width x Height pixels, neither
// larger than the source's side (the two sides may shrink by different factors). Each target pixel is
// the average of the source area it covers, source pixels on its edges counted by the part inside it.
// Out->Bits is nullptr when memory is short or the sizes or Source are no such picture. Freed with
// deldib.
void ScaleDib(TDib* Out, TDib Source, int Width, int Height);

// The open-dialog filter of every readable format ("description|patterns|..."), owned by the library.
const char* GetDIBOpenFilter();
