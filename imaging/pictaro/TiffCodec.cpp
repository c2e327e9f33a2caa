// TIFF through libtiff's RGBA interface, read in bands of whole strips or tiles so that a large
// picture never needs a second full-size copy. The result is 24 bits, alpha composited onto the matte,
// turned upright by the orientation tag; an RGB file keeps its profile (tag 34675).
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/pictaro/PhotoTurn.h"
#include "imaging/pictaro/PictaroDecode.h"
#include "imaging/pictaro/Codecs.h"
#include "imaging/pictaro/DibAlloc.h"

namespace pictaro {
namespace {

struct TTiffSource {
  const uint8_t* Data;
  toff_t Size;
  toff_t Pos;
};

tmsize_t ReadProc(thandle_t Handle, void* Buffer, tmsize_t Size) {
  auto* src = static_cast<TTiffSource*>(Handle);
  if (Size <= 0 || src->Pos >= src->Size) return 0;
  const toff_t n = std::min<toff_t>(static_cast<toff_t>(Size), src->Size - src->Pos);
  std::memcpy(Buffer, src->Data + src->Pos, n);
  src->Pos += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return 0; }

toff_t SeekProc(thandle_t Handle, toff_t Offset, int Whence) {
  auto* src = static_cast<TTiffSource*>(Handle);
  toff_t base = Whence == SEEK_CUR ? src->Pos : Whence == SEEK_END ? src->Size : 0;
  // Past the end is allowed (reads there return nothing), wrapping round is not.
  if (Offset > UINT64_MAX - base) return static_cast<toff_t>(-1);
  src->Pos = base + Offset;
  return src->Pos;
}

int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t Handle) { return static_cast<TTiffSource*>(Handle)->Size; }

int MapProc(thandle_t Handle, void** Base, toff_t* Size) {
  auto* src = static_cast<TTiffSource*>(Handle);
  *Base = const_cast<uint8_t*>(src->Data);  // opened read-only: libtiff never writes through it
  *Size = src->Size;
  return 1;
}
void UnmapProc(thandle_t, void*, toff_t) {}

int Silence(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TTiffOptions {
  TIFFOpenOptions* Options = TIFFOpenOptionsAlloc();
  ~TTiffOptions() {
    if (Options) TIFFOpenOptionsFree(Options);
  }
};

struct TTiffHandle {
  TIFF* Tif = nullptr;
  ~TTiffHandle() {
    if (Tif) TIFFClose(Tif);
  }
};

struct TRgbaImage {
  TIFFRGBAImage Image{};
  bool Begun = false;
  ~TRgbaImage() {
    if (Begun) TIFFRGBAImageEnd(&Image);
  }
};

// libtiff's options with its messages silenced and no buffer larger than the largest picture.
bool SilentOptions(TTiffOptions& Options) {
  if (!Options.Options) return false;
  TIFFOpenOptionsSetErrorHandlerExtR(Options.Options, Silence, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(Options.Options, Silence, nullptr);
  TIFFOpenOptionsSetMaxSingleMemAlloc(Options.Options, static_cast<tmsize_t>(std::min<uint64_t>(
                                                           PictureLimit() * 4 + (1u << 20), 1ull << 31)));
  return true;
}

}  // namespace

bool TiffHeader(const char* FileName, TDibHeaderSize& Out) {
  TTiffOptions options;
  if (!SilentOptions(options)) return false;
  TTiffHandle tiff;
  // "m": read through the file, not a mapping of all of it.
  tiff.Tif = TIFFOpenExt(FileName, "rm", options.Options);
  char message[1024] = "";
  if (!tiff.Tif || !TIFFRGBAImageOK(tiff.Tif, message)) return false;
  uint32_t width = 0, height = 0;
  uint16_t orientation = ORIENTATION_TOPLEFT;
  if (!TIFFGetField(tiff.Tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tiff.Tif, TIFFTAG_IMAGELENGTH, &height) ||
      width == 0 || height == 0)
    return false;
  TIFFGetFieldDefaulted(tiff.Tif, TIFFTAG_ORIENTATION, &orientation);
  const bool turned = orientation >= ORIENTATION_LEFTTOP && orientation <= ORIENTATION_LEFTBOT;
  Out = {turned ? height : width, turned ? width : height, false};
  return true;
}

bool DecodeTiff(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDecodeColor& Color, TDib* Out,
                int Turn) {
  TTiffSource source{Data, Size, 0};
  TTiffOptions options;
  if (!SilentOptions(options)) return false;
  TTiffHandle tiff;
  tiff.Tif = TIFFClientOpenExt("picture", "r", &source, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                               MapProc, UnmapProc, options.Options);
  if (!tiff.Tif) return false;

  char message[1024] = "";
  if (!TIFFRGBAImageOK(tiff.Tif, message)) return false;
  TRgbaImage rgba;
  // Stop on the first strip or tile that cannot be decoded (an unknown compression scheme, damaged
  // data): otherwise libtiff leaves it black and the picture would pass for whole.
  if (!TIFFRGBAImageBegin(&rgba.Image, tiff.Tif, 1, message)) return false;
  rgba.Begun = true;
  TIFFRGBAImage& img = rgba.Image;
  const uint32_t width = img.width, height = img.height;
  if (width == 0 || height == 0 || uint64_t{width} * height > PictureLimit()) return false;
  // Asking for the file's own orientation makes libtiff flip nothing: raster row 0 is the first
  // stored row. The orientation is applied afterwards, the same way for all eight values.
  const int orientation = img.orientation;
  img.req_orientation = img.orientation;

  uint32_t unit = 0;
  if (TIFFIsTiled(tiff.Tif))
    TIFFGetField(tiff.Tif, TIFFTAG_TILELENGTH, &unit);
  else
    TIFFGetFieldDefaulted(tiff.Tif, TIFFTAG_ROWSPERSTRIP, &unit);
  unit = std::clamp<uint32_t>(unit, 1, height);
  // Whole strips per band, so each strip is decoded once; at least 64 rows for fewer calls.
  const uint32_t band = std::min<uint64_t>(height, (64 + unit - 1) / unit * uint64_t{unit});

  TDibOwner dib;
  if (!AllocDib(dib.Get(), width, height, 24)) return false;
  std::vector<uint32_t> raster;
  try {
    raster.resize(size_t{width} * band);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const TMatte matte(Color.Matte);
  for (uint32_t row = 0; row < height; row += band) {
    const uint32_t rows = std::min(band, height - row);
    img.row_offset = static_cast<int>(row);
    img.col_offset = 0;
    if (!TIFFRGBAImageGet(&img, raster.data(), width, rows)) return false;
    for (uint32_t i = 0; i < rows; ++i) {
      const uint32_t* src = raster.data() + size_t{width} * i;
      uint8_t* dst = RowFromTop(*dib, row + i);
      for (uint32_t x = 0; x < width; ++x, dst += 3) {
        const uint32_t p = src[x];
        // libtiff hands out colours premultiplied by alpha, so the matte shows through by 255 - alpha.
        const unsigned back = 255 - TIFFGetA(p);
        dst[0] = static_cast<uint8_t>(std::min(255u, TIFFGetB(p) + (matte.Blue * back + 127) / 255));
        dst[1] = static_cast<uint8_t>(std::min(255u, TIFFGetG(p) + (matte.Green * back + 127) / 255));
        dst[2] = static_cast<uint8_t>(std::min(255u, TIFFGetR(p) + (matte.Red * back + 127) / 255));
      }
    }
    Progress.Report(row + rows, height);
  }
  if (!ApplyOrientation(*dib, TurnedOrientation(orientation, Turn))) return false;
  // Tag 34675. The picture comes out as RGB, so only an RGB file's profile still describes it.
  uint16_t photometric = 0;
  uint32_t iccSize = 0;
  const void* icc = nullptr;
  if (TIFFGetField(tiff.Tif, TIFFTAG_PHOTOMETRIC, &photometric) && photometric == PHOTOMETRIC_RGB &&
      TIFFGetField(tiff.Tif, TIFFTAG_ICCPROFILE, &iccSize, &icc) && icc && iccSize > 0) {
    Color.Icc.assign(static_cast<const char*>(icc), iccSize);
    Color.Channels = 3;
  }
  dib.ReleaseTo(Out);
  return true;
}

}  // namespace pictaro
