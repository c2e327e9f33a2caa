#include "imaging/screen/PrintLayout.h"

#include <cmath>
#include <cstdint>

TPrintRect PicturePlace(int PageWidth, int PageHeight, int IW, int IH, const TPrintChoice& Choice) {
  if (PageWidth <= 0 || PageHeight <= 0 || IW <= 0 || IH <= 0) return {0, 0, 0, 0};
  int64_t pw, ph;
  if (Choice.UseFull) {
    pw = PageWidth, ph = PageHeight;
    if (Choice.KeepAspect) {
      // As wide as the page, unless the picture would then be higher than the page.
      if (int64_t{IH} * PageWidth / IW > PageHeight)
        pw = int64_t{IW} * PageHeight / IH;
      else
        ph = int64_t{IH} * PageWidth / IW;
    }
  } else {
    pw = std::llrint(PageWidth * static_cast<double>(Choice.Breit) / 100);
    ph = std::llrint(PageHeight * static_cast<double>(Choice.Hoch) / 100);
  }
  const int64_t x = Choice.Centred ? (PageWidth - pw) / 2 : 0;
  const int64_t y = Choice.Centred ? (PageHeight - ph) / 2 : 0;
  return {static_cast<int>(x), static_cast<int>(y), static_cast<int>(pw), static_cast<int>(ph)};
}

TPrintRect PreviewPaper(int SW, int SH, int PW, int PH) {
  if (PW <= 0 || PH <= 0) return {0, 0, 0, 0};
  int w, h;
  if (PH < PW)
    w = SW, h = static_cast<int>(int64_t{SW} * PH / PW);
  else
    h = SH, w = static_cast<int>(int64_t{SH} * PW / PH);
  return {(SW - w) / 2, (SH - h) / 2, w, h};
}

double CoupledHoch(int Breit, int IW, int IH, int PW, int PH) {
  if (IW <= 0 || PH <= 0) return 0;
  return static_cast<double>(int64_t{IH} * Breit) / IW * PW / PH;
}

double CoupledBreit(int Hoch, int IW, int IH, int PW, int PH) {
  if (IH <= 0 || PW <= 0) return 0;
  return static_cast<double>(int64_t{IW} * Hoch) / IH * PH / PW;
}
