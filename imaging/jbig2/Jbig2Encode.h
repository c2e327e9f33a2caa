#pragma once
// The JBIG2 encoder, a room of imaging/ of its own: this header is its whole face; jbig2/ holds the
// coder behind it. It reads its input with the picture library and includes nothing else of
// imaging/ (neither colour nor the screen's pictures), and nothing of imaging/ includes it.
//
// jbig2encode: turns a 1-bit BMP file into the two streams a PDF JBIG2Decode image needs.
//
// InputBmp is read with the picture library (BMP format). The picture must have 1 bit per pixel; the
// darker of its two palette colours becomes black (when both colours are equally bright, both indices
// become black if that colour is dark, white otherwise). The page is coded losslessly as one generic
// region with arithmetic coding.
//
// On success, GlobalsFile is written empty (the page needs no shared segments), PageFile receives the
// page's segments in the embedded form (no file header), and the result is 0.
// On failure neither output file is left behind (a regular file already at either path is removed;
// devices, pipes and folders are left alone) and the result says why:
//   1  InputBmp cannot be read as a picture
//   2  the picture does not have 1 bit per pixel, or has no pixels
//   3  an output file cannot be written completely
//   4  out of memory
// A null path counts as unreadable input (1) or an unwritable output (3). The function never throws.

// The name and signature are the encoder's fixed interface to the PDF writer.
int jbig2encode(const char* InputBmp, const char* GlobalsFile, const char* PageFile);

#include <string>

#include "imaging/pictaro/Dib.h"

// The same encoding of a picture in memory, for callers that hold it already: Page receives exactly
// the bytes jbig2encode writes to PageFile for a BMP file of Dib (the globals are always empty). False
// when Dib has no pixels or not 1 bit per pixel; throws std::bad_alloc when memory is short.
bool Jbig2EncodeDib(const TDib& Dib, std::string& Page);

// Result codes of jbig2encode.
inline constexpr int Jbig2Ok = 0;
inline constexpr int Jbig2UnreadableInput = 1;
inline constexpr int Jbig2NotBilevel = 2;
inline constexpr int Jbig2CannotWrite = 3;
inline constexpr int Jbig2OutOfMemory = 4;
