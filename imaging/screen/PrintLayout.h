#pragma once
// Where a picture goes on a printer page, and on the print window's preview of that page.
//
// PW x PH is the printer's printable area in printer pixels, IW x IH the picture in pixels. The size is
// either the whole page or a width and a height in percent of it; with the aspect ratio kept, the whole
// page means as large as the page allows. Integer divisions truncate; percentages round to nearest,
// halves to even. Sizes of 0 or less (no picture, no page) give an empty rectangle.

struct TPrintChoice {
  bool UseFull = true;     // the whole page, else Breit x Hoch percent of it
  bool KeepAspect = true;  // keep the picture's aspect ratio (whole page only)
  bool Centred = true;     // centred, else in the top-left corner of the printable area
  int Breit = 50;          // width in percent of the page
  int Hoch = 50;           // height in percent of the page
};

struct TPrintRect {
  int X, Y, Width, Height;
};

// The picture's place on a page of PageWidth x PageHeight with its top-left corner at (0, 0).
TPrintRect PicturePlace(int PageWidth, int PageHeight, int IW, int IH, const TPrintChoice& Choice);

// The paper in a preview of SW x SH pixels: as wide as the preview for a landscape page, else as high,
// centred.
TPrintRect PreviewPaper(int SW, int SH, int PW, int PH);

// The percentages that keep the picture's aspect ratio on the page: the height percentage for a width
// percentage, x = (IH * Breit) / IW * PW / PH, and the other way round, unrounded. 0 when a size is 0.
double CoupledHoch(int Breit, int IW, int IH, int PW, int PH);
double CoupledBreit(int Hoch, int IW, int IH, int PW, int PH);
