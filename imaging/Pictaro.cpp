// Placeholder until the codecs land: every read fails, pictures are plain heap blocks.
#include "imaging/Pictaro.h"

#include <cstdlib>
#include <cstring>

int OpenDib(TDib* Dib, const char*, int, TProgressSink*) {
  std::memset(Dib, 0, sizeof *Dib);
  return 0;
}
int SaveDib(TDib, const char*, int, int) { return 0; }
void newdib(TDib* Dib, int, int, int, const TBitmapInfoHeader*, int) { std::memset(Dib, 0, sizeof *Dib); }
void deldib(TDib Dib) {
  if (Dib.Bits) std::free(Dib.Header);
}
uint32_t getpixel(TDib, int, int) { return 0; }
void setpixel(TDib, int, int, uint32_t) {}
void DIBHalftoneDIB(TDib* Out, TDib) { std::memset(Out, 0, sizeof *Out); }
void DIBHalftoneDIBXY(TDib* Out, TDib, int, int) { std::memset(Out, 0, sizeof *Out); }
const char* GetDIBOpenFilter() { return "Alle Bilder|*.JPG;*.BMP"; }
