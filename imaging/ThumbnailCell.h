#pragma once
// The thumbnail grid's geometry and the drawing of one cell, on any device.
//
// A cell is 90 x 110 pixels: a raised frame from (2, 2) to (88, 108), the background inside it (blue
// for the current photo, silver for the others), the thumbnail centred in the 80 x 80 box at (5, 5),
// and below it, from y = 90, the caption, which the window draws in its own font.

#include <cstdint>

#include "imaging/Dib.h"

class TDevice;

constexpr int CellWidth = 90;
constexpr int CellHeight = 110;

// Colour values 0x00BBGGRR of the cell.
constexpr uint32_t CurrentCellColor = 0xFF0000;        // pure blue
constexpr uint32_t CellColor = 0xC0C0C0;               // silver
constexpr uint32_t UnreadablePictureColor = 0x000000;  // the black square of a file that cannot be read
constexpr uint32_t WaitingPictureColor = 0xA0A0A0;     // the grey square while the thumbnail is being made

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

// Draws the cell at (X, Y) without its caption: frame, background, and Picture fitted into the box by
// PaintDib (halftoned on palette displays, the picture's own palette). Picture nullptr, or one without
// pixels, draws an 80 x 80 square of EmptyColor instead. Returns the background colour, for the caption.
uint32_t PaintThumbnailCell(TDevice& DC, int X, int Y, const TDib* Picture, uint32_t EmptyColor,
                            bool Current);
