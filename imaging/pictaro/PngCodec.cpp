// PNG through libpng, every colour type and depth. Palettes stay palettes (entries with partial
// transparency are blended onto the matte), grey becomes 8 bits with a grey table (24 bits when it has
// alpha and the matte is not grey), everything else 24 bits; alpha is composited onto the matte. The
// colour: an iCCP profile, else sRGB for an sRGB chunk, else a profile made from cHRM and gAMA.
//
// libpng reports errors by longjmp to the setjmp in RunDecode. That function and the library frames
// beneath it hold no C++ objects with destructors; buffers and libpng's structures belong to the
// caller's state record.
#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "imaging/pictaro/PictaroDecode.h"
#include "imaging/pictaro/Codecs.h"
#include "imaging/pictaro/DibAlloc.h"

namespace pictaro {
namespace {

struct TPngSource {
  const uint8_t* Data;
  size_t Size;
  size_t Pos;
};

void ReadFromMemory(png_structp Png, png_bytep Out, size_t Length) {
  auto* src = static_cast<TPngSource*>(png_get_io_ptr(Png));
  if (Length > src->Size - src->Pos) png_error(Png, "truncated");
  std::memcpy(Out, src->Data + src->Pos, Length);
  src->Pos += Length;
}

[[noreturn]] void PngError(png_structp Png, png_const_charp) { png_longjmp(Png, 1); }
void PngWarning(png_structp, png_const_charp) {}

struct TPngDecode {
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  TPngSource Source{};
  TDibOwner Dib;
  std::vector<uint8_t> Pixels;  // one row, or every row of an interlaced file
  std::vector<uint8_t> Indices;
  TDecodeColor* Color = nullptr;
  ~TPngDecode() {
    if (Png) png_destroy_read_struct(&Png, Info ? &Info : nullptr, nullptr);
  }
};

enum class TLayout { Index, Grey, GreyAlpha, GreyAlphaToBgr, Bgr, Bgra };

// Moves one decoded row (Layout, Width pixels) into the picture's row Dst.
void StoreRow(TPngDecode* s, TLayout Layout, const uint8_t* Src, uint32_t Width, uint8_t* Dst) {
  const TMatte matte(s->Color->Matte);
  switch (Layout) {
    case TLayout::Index: PackIndexRow(Src, static_cast<int>(Width), s->Dib->Header->biBitCount, Dst); break;
    case TLayout::Grey: std::memcpy(Dst, Src, Width); break;
    case TLayout::GreyAlpha:
      for (uint32_t x = 0; x < Width; ++x) Dst[x] = Over(Src[2 * x], Src[2 * x + 1], matte.Red);
      break;
    case TLayout::GreyAlphaToBgr:
      for (uint32_t x = 0; x < Width; ++x, Src += 2, Dst += 3)
        Dst[0] = Over(Src[0], Src[1], matte.Blue), Dst[1] = Over(Src[0], Src[1], matte.Green),
        Dst[2] = Over(Src[0], Src[1], matte.Red);
      break;
    case TLayout::Bgr: std::memcpy(Dst, Src, size_t{Width} * 3); break;
    case TLayout::Bgra:
      for (uint32_t x = 0; x < Width; ++x, Src += 4, Dst += 3)
        Dst[0] = Over(Src[0], Src[3], matte.Blue), Dst[1] = Over(Src[1], Src[3], matte.Green),
        Dst[2] = Over(Src[2], Src[3], matte.Red);
      break;
  }
}

// What the colour chunks before the pixels say, for a picture of Channels components. libpng has
// checked an iCCP profile's length and colour space against the picture already.
void ReadColour(TPngDecode* s, int Channels) {
  TDecodeColor& colour = *s->Color;
  colour.Channels = Channels;
  png_charp name = nullptr;
  int compression = 0;
  png_bytep profile = nullptr;
  png_uint_32 length = 0;
  int intent = 0;
  if (png_get_iCCP(s->Png, s->Info, &name, &compression, &profile, &length) && profile && length > 0) {
    colour.Icc.assign(reinterpret_cast<const char*>(profile), length);
  } else if (png_get_sRGB(s->Png, s->Info, &intent)) {
    // sRGB: the picture's numbers are what the program takes them for anyway.
  } else if (Channels == 3 && png_get_valid(s->Png, s->Info, PNG_INFO_cHRM) &&
             png_get_valid(s->Png, s->Info, PNG_INFO_gAMA)) {
    TChromaticities c{};
    double gamma = 0;
    png_get_cHRM(s->Png, s->Info, &c.WhiteX, &c.WhiteY, &c.RedX, &c.RedY, &c.GreenX, &c.GreenY, &c.BlueX,
                 &c.BlueY);
    png_get_gAMA(s->Png, s->Info, &gamma);
    // Writers that mean sRGB give its primaries and gamma 1/2.2 (0.45455) as the PNG standard asks
    // them to beside the sRGB chunk, and many leave the sRGB chunk out: that pair is sRGB. gAMA holds
    // the encoding exponent; the profile's curve decodes.
    const double srgb[8] = {0.3127, 0.3290, 0.64, 0.33, 0.30, 0.60, 0.15, 0.06};
    const double given[8] = {c.WhiteX, c.WhiteY, c.RedX, c.RedY, c.GreenX, c.GreenY, c.BlueX, c.BlueY};
    bool isSrgb = std::fabs(gamma - 0.45455) < 0.0005;
    for (int i = 0; i < 8; ++i) isSrgb = isSrgb && std::fabs(given[i] - srgb[i]) < 0.001;
    if (!isSrgb && gamma > 0.01 && gamma < 10) colour.Described = TRgbDescription{c, TTransfer::Gamma, 1.0 / gamma};
  }
}

bool RunDecode(TPngDecode* s, TProgressReporter* Progress) {
  if (setjmp(png_jmpbuf(s->Png))) return false;
  png_set_read_fn(s->Png, &s->Source, ReadFromMemory);
  // Files wider than this are refused by libpng itself; ours is the picture limit below.
  png_set_user_limits(s->Png, 0x7FFFFFFF, 0x7FFFFFFF);
  png_set_chunk_malloc_max(s->Png, 64u << 20);
  // The ancillary chunks the picture takes nothing from are skipped unread. libpng allocates a text or
  // EXIF chunk's whole declared length before reading it, past the limit above: a gigabyte for a
  // corrupt length in a file of a hundred bytes. Only PLTE and tRNS shape the picture; iCCP, sRGB,
  // cHRM and gAMA say what its colours mean (iCCP within the limit above).
  static constexpr png_byte Unused[] =
      "bKGD\0eXIf\0hIST\0iTXt\0oFFs\0pCAL\0pHYs\0sBIT\0sCAL\0sPLT\0tEXt\0tIME\0zTXt";
  png_set_keep_unknown_chunks(s->Png, PNG_HANDLE_CHUNK_NEVER, Unused, static_cast<int>(sizeof Unused / 5));
  png_read_info(s->Png, s->Info);

  png_uint_32 width = 0, height = 0;
  int depth = 0, colourType = 0, interlace = 0;
  png_get_IHDR(s->Png, s->Info, &width, &height, &depth, &colourType, &interlace, nullptr, nullptr);
  if (width == 0 || height == 0 || uint64_t{width} * height > PictureLimit()) return false;

  const bool hasTrns = png_get_valid(s->Png, s->Info, PNG_INFO_tRNS) != 0;
  if (depth == 16) png_set_scale_16(s->Png);
  TLayout layout;
  int outBits;
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp palette = nullptr;
    int count = 0;
    if (!png_get_PLTE(s->Png, s->Info, &palette, &count) || count <= 0) return false;
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    if (hasTrns) png_get_tRNS(s->Png, s->Info, &alpha, &alphaCount, nullptr);
    if (depth < 8) png_set_packing(s->Png);
    layout = TLayout::Index;
    outBits = BitsForColors(count);
    if (!AllocDib(s->Dib.Get(), width, height, outBits)) return false;
    const TMatte matte(s->Color->Matte);
    for (int i = 0; i < count && i < 256; ++i) {
      const unsigned a = alpha && i < alphaCount ? alpha[i] : 255;
      SetDibColor(*s->Dib, i, Over(palette[i].red, a, matte.Red), Over(palette[i].green, a, matte.Green),
                  Over(palette[i].blue, a, matte.Blue));
    }
  } else {
    if (hasTrns) png_set_tRNS_to_alpha(s->Png);
    const bool grey = (colourType & PNG_COLOR_MASK_COLOR) == 0;
    const bool alpha = hasTrns || (colourType & PNG_COLOR_MASK_ALPHA) != 0;
    if (grey && alpha && !TMatte(s->Color->Matte).Grey()) {
      if (depth < 8) png_set_expand_gray_1_2_4_to_8(s->Png);
      layout = TLayout::GreyAlphaToBgr;
      outBits = 24;
    } else if (grey) {
      if (depth < 8) png_set_expand_gray_1_2_4_to_8(s->Png);
      layout = alpha ? TLayout::GreyAlpha : TLayout::Grey;
      outBits = 8;
    } else {
      png_set_bgr(s->Png);
      layout = alpha ? TLayout::Bgra : TLayout::Bgr;
      outBits = 24;
    }
    if (!AllocDib(s->Dib.Get(), width, height, outBits)) return false;
    if (outBits == 8) SetGreyColors(*s->Dib);
  }
  const int passes = png_set_interlace_handling(s->Png);
  png_read_update_info(s->Png, s->Info);
  const size_t rowSize = png_get_rowbytes(s->Png, s->Info);
  const size_t needed = layout == TLayout::Index       ? width
                        : layout == TLayout::Grey      ? width
                        : layout == TLayout::GreyAlpha || layout == TLayout::GreyAlphaToBgr ? size_t{width} * 2
                        : layout == TLayout::Bgr       ? size_t{width} * 3
                                                       : size_t{width} * 4;
  if (rowSize < needed) return false;

  const TDib& dib = *s->Dib;
  if (passes == 1) {
    s->Pixels.resize(rowSize);
    for (png_uint_32 y = 0; y < height; ++y) {
      png_read_row(s->Png, s->Pixels.data(), nullptr);
      StoreRow(s, layout, s->Pixels.data(), width, RowFromTop(dib, y));
      Progress->Report(y + 1, height);
    }
  } else {
    // Later passes fill in earlier rows, so the whole picture is kept in libpng's layout until the end.
    s->Pixels.resize(rowSize * height);
    for (int pass = 0; pass < passes; ++pass)
      for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(s->Png, s->Pixels.data() + rowSize * y, nullptr);
        Progress->Report(int64_t{pass} * height + y + 1, int64_t{passes} * height);
      }
    for (png_uint_32 y = 0; y < height; ++y)
      StoreRow(s, layout, s->Pixels.data() + rowSize * y, width, RowFromTop(dib, y));
  }
  ReadColour(s, outBits == 8 && colourType != PNG_COLOR_TYPE_PALETTE ? 1 : 3);
  // The chunks after the pixels do not change the picture; a broken tail is no reason to fail.
  return true;
}

}  // namespace

bool DecodePng(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDecodeColor& Color, TDib* Out) {
  TPngDecode s;
  s.Color = &Color;
  s.Source = TPngSource{Data, Size, 0};
  s.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  if (!s.Png) return false;
  s.Info = png_create_info_struct(s.Png);
  if (!s.Info) return false;
  if (!RunDecode(&s, &Progress)) return false;
  s.Dib.ReleaseTo(Out);
  return true;
}

bool PngHeader(const uint8_t* Data, size_t Size, TDibHeaderSize& Out) {
  // The signature, then IHDR, which must come first: length 13, width, height, depth, colour type.
  if (Size < 33 || std::memcmp(Data, "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16) != 0) return false;
  const auto be32 = [&](size_t At) {
    return uint32_t{Data[At]} << 24 | uint32_t{Data[At + 1]} << 16 | uint32_t{Data[At + 2]} << 8 | Data[At + 3];
  };
  const uint32_t width = be32(16), height = be32(20);
  const uint8_t depth = Data[24], colourType = Data[25];
  // libpng takes no side beyond 2^31 - 1.
  if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return false;
  Out = {width, height, colourType == PNG_COLOR_TYPE_PALETTE && depth == 1};
  return true;
}

}  // namespace pictaro
