#include "imaging/LoadPicture.h"

#include <cstring>

#include "imaging/Pictaro.h"

std::string PictureExtension(const char* FileName) {
  if (!FileName) return {};
  const char* name = FileName;
  for (const char* p = FileName; *p; ++p)
    if (*p == '/' || *p == '\\') name = p + 1;
  const char* dot = std::strrchr(name, '.');
  if (!dot) return {};
  std::string ext(dot);
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return ext;
}

void LoadPicture(const char* FileName, int Format, TProgressSink* Owner, TDib* Out) {
  // Such files are JPEG whatever the caller expected.
  const int format = PictureExtension(FileName) == ".JPEG" ? 7 : Format;
  OpenDib(Out, FileName, format, Owner);
}
