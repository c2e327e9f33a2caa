#pragma once
// The thumbnail grid's geometry and the drawing of one cell, on any device.
//
// A cell is 90 x 110 pixels: a raised frame from (2, 2) to (88, 108), the background inside it (blue
// for the current photo, silver for the others), the thumbnail centred in the 80 x 80 box at (5, 5),
// and below it, from y = 90, the caption, which the window draws in its own font. A selected photo's
// cell has a thick amber border in place of the raised frame, around the whole cell, so that the
// selection (amber) is told from the current photo (blue) at a glance, and both can be seen at once.

#include <cstdint>

#include "imaging/pictaro/Dib.h"
#include "imaging/screen/Thumbnail.h"

class TDevice;

constexpr int CellWidth = 90;
constexpr int CellHeight = 110;

// Colour values 0x00BBGGRR of the cell.
constexpr uint32_t CurrentCellColor = 0xFF0000;        // pure blue
constexpr uint32_t CellColor = ThumbnailMatte;         // silver
constexpr uint32_t UnreadablePictureColor = 0x000000;  // the black square of a file that cannot be read
constexpr uint32_t WaitingPictureColor = 0xA0A0A0;     // the grey square while the thumbnail is being made
constexpr uint32_t SelectedCellColor = 0x00A0FF;       // amber: the border of a selected photo's cell
constexpr uint32_t InsertionMarkColor = 0x0000C0;      // dark red: where dragged photos will go

// Columns of a grid Width pixels wide: Width div 90, at least 1.
int GridColumns(int Width);
// Height of the drawing surface for Count photos in Columns columns: one row more than the filled rows
// when Count is a multiple of Columns, so an empty album is one row high.
int GridHeight(int Count, int Columns);
// True when a cell row starting at Y overlaps the visible part (ScrollPos .. ScrollPos + ClientHeight),
// borders included: a row ending exactly at the scroll position still counts.
bool CellRowVisible(int Y, int ScrollPos, int ClientHeight);
// The photo (counted from 0) whose frame, borders included, holds the point (X, Y), or -1.
int CellAtPoint(int X, int Y, int Columns, int Count);

// The gap (0 .. Count) before which photos dropped at (X, Y) go: before the photo whose cell holds
// the point when it lies in the cell's left half, after it in its right half; after the last photo
// below or beside it.
int GapAtPoint(int X, int Y, int Columns, int Count);

// Draws the cell at (X, Y) without its caption: frame (or, when Selected, the selection border),
// background, and Picture fitted into the box by PaintDib (halftoned on palette displays, the
// picture's own palette). Picture nullptr, or one without pixels, draws an 80 x 80 square of
// EmptyColor instead. Returns the background colour, for the caption.
uint32_t PaintThumbnailCell(TDevice& DC, int X, int Y, const TDib* Picture, uint32_t EmptyColor, bool Current,
                            bool Selected = false);
