// GIF through giflib: the first frame on its logical screen, as a picture with the frame's colour
// table. The transparent colour becomes the matte, so transparency is composited onto it without
// leaving the palette.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/pictaro/PictaroDecode.h"
#include "imaging/pictaro/Codecs.h"
#include "imaging/pictaro/DibAlloc.h"

namespace pictaro {
namespace {

struct TGifSource {
  const uint8_t* Data;
  size_t Size;
  size_t Pos;
};

int ReadFromMemory(GifFileType* Gif, GifByteType* Out, int Length) {
  auto* src = static_cast<TGifSource*>(Gif->UserData);
  if (Length <= 0) return 0;
  const size_t n = std::min<size_t>(static_cast<size_t>(Length), src->Size - src->Pos);
  std::memcpy(Out, src->Data + src->Pos, n);
  src->Pos += n;
  return static_cast<int>(n);
}

struct TGifHandle {
  GifFileType* Gif = nullptr;
  ~TGifHandle() {
    int error = 0;
    if (Gif) DGifCloseFile(Gif, &error);
  }
};

// Opens the GIF in Source and reads up to its first frame's descriptor, stepping over the extensions
// before it; Transparent receives the transparent colour they name, -1 for none.
bool OpenFirstFrame(TGifSource& Source, TGifHandle& Handle, int& Transparent) {
  int error = 0;
  Handle.Gif = DGifOpen(&Source, ReadFromMemory, &error);
  GifFileType* gif = Handle.Gif;
  if (!gif) return false;
  Transparent = -1;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return false;
    if (type == TERMINATE_RECORD_TYPE) return false;  // no picture at all
    if (type == IMAGE_DESC_RECORD_TYPE) break;
    if (type != EXTENSION_RECORD_TYPE) return false;
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4 && (block[1] & 1)) Transparent = block[4];
    while (block)
      if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  }
  if (DGifGetImageDesc(gif) == GIF_ERROR) return false;
  const GifImageDesc& frame = gif->Image;
  return frame.Width > 0 && frame.Height > 0 && frame.Left >= 0 && frame.Top >= 0;
}

// The logical screen, grown to hold the frame when the file understates it.
int64_t ScreenWidth(const GifFileType& Gif) {
  return std::max<int64_t>(Gif.SWidth, int64_t{Gif.Image.Left} + Gif.Image.Width);
}
int64_t ScreenHeight(const GifFileType& Gif) {
  return std::max<int64_t>(Gif.SHeight, int64_t{Gif.Image.Top} + Gif.Image.Height);
}

}  // namespace

bool GifHeader(const uint8_t* Data, size_t Size, TDibHeaderSize& Out) {
  TGifSource source{Data, Size, 0};
  TGifHandle handle;
  int transparent = -1;
  if (!OpenFirstFrame(source, handle, transparent)) return false;
  Out = {ScreenWidth(*handle.Gif), ScreenHeight(*handle.Gif), false};
  return true;
}

bool DecodeGif(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDecodeColor& Color, TDib* Out) {
  TGifSource source{Data, Size, 0};
  TGifHandle handle;
  int transparent = -1;
  if (!OpenFirstFrame(source, handle, transparent)) return false;
  GifFileType* gif = handle.Gif;

  const GifImageDesc& frame = gif->Image;
  const int64_t width = ScreenWidth(*gif), height = ScreenHeight(*gif);
  if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > PictureLimit()) return false;

  const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
  const int mapCount = map ? std::clamp(map->ColorCount, 0, 256) : 0;
  const int background = transparent >= 0 ? transparent : std::clamp(gif->SBackGroundColor, 0, 255);
  const int colours = std::max({mapCount, background + 1, 2});
  TDibOwner dib;
  if (!AllocDib(dib.Get(), width, height, BitsForColors(colours))) return false;
  for (int i = 0; i < mapCount; ++i)
    SetDibColor(*dib, i, map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
  if (!map) SetGreyColors(*dib);
  if (transparent >= 0) {
    const TMatte matte(Color.Matte);
    SetDibColor(*dib, transparent, static_cast<uint8_t>(matte.Red), static_cast<uint8_t>(matte.Green),
                static_cast<uint8_t>(matte.Blue));
  }

  std::vector<uint8_t> canvas;
  try {
    canvas.assign(static_cast<size_t>(width * height), static_cast<uint8_t>(background));
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::vector<uint8_t> line(static_cast<size_t>(frame.Width));
  // Interlaced frames arrive in four passes: every 8th row from 0, every 8th from 4, every 4th from
  // 2, every 2nd from 1.
  static constexpr int Start[4] = {0, 4, 2, 1}, Step[4] = {8, 8, 4, 2};
  const int passes = frame.Interlace ? 4 : 1;
  int done = 0;
  for (int pass = 0; pass < passes; ++pass) {
    const int start = frame.Interlace ? Start[pass] : 0, step = frame.Interlace ? Step[pass] : 1;
    for (int y = start; y < frame.Height; y += step) {
      if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) return false;
      uint8_t* dst = canvas.data() + static_cast<size_t>((frame.Top + y) * width + frame.Left);
      for (int x = 0; x < frame.Width; ++x)
        if (line[x] != transparent) dst[x] = line[x];
      Progress.Report(++done, frame.Height);
    }
  }
  const int bits = dib->Header->biBitCount;
  for (int64_t y = 0; y < height; ++y)
    PackIndexRow(canvas.data() + y * width, static_cast<int>(width), bits, RowFromTop(*dib, y));
  dib.ReleaseTo(Out);
  return true;
}

}  // namespace pictaro
