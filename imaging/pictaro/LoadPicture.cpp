#include "imaging/pictaro/LoadPicture.h"

#include <cstring>

#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PictaroReduced.h"

std::string PictureExtension(const char* FileName) {
  if (!FileName) return {};
  const char* name = FileName;
  for (const char* p = FileName; *p; ++p)
    if (*p == '/') name = p + 1;
  const char* dot = std::strrchr(name, '.');
  if (!dot) return {};
  std::string ext(dot);
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return ext;
}

// Such files are JPEG whatever the caller expected.
int PictureFormatFor(const char* FileName, int Format) {
  return PictureExtension(FileName) == ".JPEG" ? 7 : Format;
}

void LoadPicture(const char* FileName, int Format, TProgressSink* Owner, TDib* Out, int Turn,
                 TPictureColor* Color) {
  OpenDib(Out, FileName, PictureFormatFor(FileName, Format), Owner, Turn, Color);
}

void LoadPictureReduced(const char* FileName, int Format, int MinLongSide, TDib* Out, int* FullWidth,
                        int* FullHeight, TPictureColor* Color) {
  OpenDibReduced(Out, FileName, PictureFormatFor(FileName, Format), MinLongSide, FullWidth, FullHeight, Color);
}
