#include "imaging/screen/ThumbnailCell.h"

#include <algorithm>

#include "imaging/screen/PaintDib.h"
#include "imaging/screen/Thumbnail.h"
#include "platform/Device.h"

int GridColumns(int Width) { return std::max(Width / CellWidth, 1); }

int GridHeight(int Count, int Columns) { return (Count / std::max(Columns, 1) + 1) * CellHeight; }

bool CellRowVisible(int Y, int ScrollPos, int ClientHeight) {
  return Y + CellHeight >= ScrollPos && ScrollPos + ClientHeight >= Y;
}

int CellAtPoint(int X, int Y, int Columns, int Count) {
  Columns = std::max(Columns, 1);
  if (X < 0 || Y < 0) return -1;
  const int j = X / CellWidth, r = Y / CellHeight, x = X % CellWidth, y = Y % CellHeight;
  if (j >= Columns || x < 2 || x > 88 || y < 2 || y > 108) return -1;
  const int64_t n = int64_t{r} * Columns + j;
  return n < Count ? static_cast<int>(n) : -1;
}

int GapAtPoint(int X, int Y, int Columns, int Count) {
  Columns = std::max(Columns, 1);
  if (Y < 0) return 0;
  const int64_t row = Y / CellHeight;
  const int64_t column = std::clamp<int64_t>(X < 0 ? 0 : X / CellWidth, 0, Columns - 1);
  const bool rightHalf = X >= column * CellWidth + CellWidth / 2;
  return static_cast<int>(std::clamp<int64_t>(row * Columns + column + (rightHalf ? 1 : 0), 0, Count));
}

uint32_t PaintThumbnailCell(TDevice& DC, int X, int Y, const TDib* Picture, uint32_t EmptyColor, bool Current,
                            bool Selected) {
  const bool hasPicture = Picture && Picture->Bits;
  const TThumbnailSize size = hasPicture ? ThumbnailFit(DibWidth(*Picture), DibHeight(*Picture))
                                         : TThumbnailSize{ThumbnailBox, ThumbnailBox};
  const int w = size.Width, h = size.Height;
  const int left = X + 5 + (ThumbnailBox - w) / 2, top = Y + 5 + (ThumbnailBox - h) / 2;

  // The raised frame, as lines drawn white along the top, grey down the right, grey back along the
  // bottom and white up the left, each without its last pixel.
  constexpr uint32_t white = 0xFFFFFF, grey = 0x808080;
  DC.FillRect(X + 2, Y + 2, X + 88, Y + 3, white);
  DC.FillRect(X + 88, Y + 2, X + 89, Y + 108, grey);
  DC.FillRect(X + 3, Y + 108, X + 89, Y + 109, grey);
  DC.FillRect(X + 2, Y + 3, X + 3, Y + 109, white);
  if (Selected) {
    // Over the frame and the gap around it: three pixels on the left and top, two on the right and
    // bottom, up to the cell's edges.
    DC.FillRect(X, Y, X + CellWidth, Y + 3, SelectedCellColor);
    DC.FillRect(X, Y + 108, X + CellWidth, Y + CellHeight, SelectedCellColor);
    DC.FillRect(X, Y, X + 3, Y + CellHeight, SelectedCellColor);
    DC.FillRect(X + 88, Y, X + CellWidth, Y + CellHeight, SelectedCellColor);
  }

  // The background in four strips around the thumbnail: left, top, bottom, right.
  const uint32_t background = Current ? CurrentCellColor : CellColor;
  DC.FillRect(X + 3, Y + 3, left, Y + 107, background);
  DC.FillRect(X + 3, Y + 3, X + 87, top, background);
  DC.FillRect(X + 3, top + h, X + 87, Y + 107, background);
  DC.FillRect(left + w, Y + 3, X + 87, Y + 107, background);

  if (hasPicture)
    PaintDib(DC, left, top, w, h, *Picture, 0, 0, DibWidth(*Picture), DibHeight(*Picture), true, RopSrcCopy,
             true, Picture->Palette);
  else
    DC.FillRect(left, top, left + w, top + h, EmptyColor);
  return background;
}
