#pragma once
// PaintDib: draws a rectangle of a picture, stretched, onto any device (the thumbnail grid and the
// viewer on screen, the print preview, a printer page).
//
// It picks one of five routes by the picture's depth, the kind of device and the display's depth:
//   - halftone: a 24-bit picture, a display of 8 bits per pixel or fewer (whatever the target) and
//     Halftone allowed: a dithered 8-bit copy, scaled to the drawn size when shrinking, goes through
//     StretchDIBits;
//   - PaintRows24 / PaintRows8: 24- and 8-bit pictures on displays are scaled here, nearest neighbour,
//     one output row at a time;
//   - everything else (printers, other depths) goes to StretchDIBits; when the driver refuses and it
//     takes DIBs at all, the picture is scaled here and sent with SetDIBitsToDevice; failing that,
//     through a device bitmap and StretchBlt.
// Only that last route reports failures, each in an error box through the core's TMessageBox:
// "Konnte Bitmap nicht erzeugen!", "Das Gerät unterstützt die Funtkion setdibits nicht!",
// "Das Gerät unterstützt die Funktion StretchBlt nicht!". The target area then stays as it was.
//
// Colour: with a Profile other than sRGB the picture's numbers are converted to sRGB on the way out
// (ColorConvert.h): on displays only the rows and columns inside the clip box, at the drawn size; on
// other routes a converted copy of the picture is drawn.
//
// Work is limited to the device's clip box; what lands inside it does not depend on the clip box.
// PaintDib keeps nothing between calls: everything it makes is freed and every palette it selects is
// deselected before it returns. A picture whose Bits is nullptr, or an empty rectangle, draws nothing.
// Call it on the thread that owns the device.

#include <cstdint>

#include "imaging/color/ColorProfile.h"
#include "imaging/pictaro/Dib.h"

class TDevice;

// Draws the source rectangle (SrcX, SrcY, SrcWidth, SrcHeight) of Dib, SrcY counting stored rows from
// the bottom, stretched onto (DestX, DestY, DestWidth, DestHeight). The source is first clipped to the
// picture and the target shrunk in proportion, so a source reaching past an edge leaves the picture
// where it would have been. Palette: the picture's own when UseOwnPalette, else CallerPalette
// (nullptr: none); selected only for pictures that carry one, and by the halftone route always.
// Profile: what the picture's numbers mean (nullptr: sRGB).
void PaintDib(TDevice& DC, int DestX, int DestY, int DestWidth, int DestHeight, const TDib& Dib, int SrcX,
              int SrcY, int SrcWidth, int SrcHeight, bool Halftone, uint32_t Rop, bool UseOwnPalette,
              void* CallerPalette, const TColorProfile* Profile = nullptr);

// Nearest-neighbour scaling of a 24-bit (8-bit) picture for displays: target row r shows source row
// TopRow + SrcHeight * r div DestHeight counted from the top, target column i source column
// SrcX + SrcWidth * i div DestWidth. Rows and columns outside the picture come out black. Each target
// row goes to the device with SetDIBitsToDevice; a source row that feeds several target rows is copied
// once. 8-bit output carries the picture's colour table.
void PaintRows24(TDevice& DC, int DestX, int DestY, int DestWidth, int DestHeight, const TDib& Dib, int SrcX,
                 int TopRow, int SrcWidth, int SrcHeight, const TColorProfile* Profile = nullptr);
void PaintRows8(TDevice& DC, int DestX, int DestY, int DestWidth, int DestHeight, const TDib& Dib, int SrcX,
                int TopRow, int SrcWidth, int SrcHeight, const TColorProfile* Profile = nullptr);

// The picture's source rectangle scaled into DestWidth x DestHeight by hand as a new picture of the
// same depth and colour table: target pixel x of stored row y takes source pixel
// ((SrcWidth - 1) * x div (DestWidth - 1) + SrcX, (SrcHeight - 1) * y div (DestHeight - 1) + SrcY),
// so the first and last pixels of a row or column take the first and last source pixels; a target one
// pixel wide (high) takes the first source column (row). 1, 4, 8 and 24 bits are copied; other depths
// stay all zero. Out->Bits is nullptr when the picture cannot be made. Freed with deldib.
void ScaleDibByHand(const TDib& Dib, int SrcX, int SrcY, int SrcWidth, int SrcHeight, int DestWidth,
                    int DestHeight, TDib* Out);
