// Pictures placed on the pages: their image objects at EndDoc and their temporary files. The page
// resources already name every record of FImages (XObjectNames), so each record must produce its
// object here, two for a picture of 1 bit per pixel.

#include <cstdio>
#include <cstdlib>

#include "pdf/PDFWriterCanvas.h"

void TPDFCanvas::DrawDIB(int32_t X, int32_t Y, int32_t Width, int32_t Height, TDib Dib, int32_t SrcX,
                         int32_t SrcY, int32_t SrcWidth, int32_t SrcHeight) {
  // Placing is not wired up yet: the call is accepted and draws nothing.
  (void)X, (void)Y, (void)Width, (void)Height, (void)Dib, (void)SrcX, (void)SrcY, (void)SrcWidth,
      (void)SrcHeight;
}

void TPDFCanvas::WriteImages() {
  // No operation places pictures yet: FImages stays empty and there is nothing to write.
}

void TPDFCanvas::RemovePendingImages() {
  for (uint32_t k = 0; k < FImages->Count; ++k) {
    TPdfImage& image = (*FImages)[static_cast<int32_t>(k)];
    if (image.FileName) std::remove(image.FileName);  // a file already gone is no failure
    std::free(image.FileName);
    image.FileName = nullptr;
  }
  FImages->Clear();
}
