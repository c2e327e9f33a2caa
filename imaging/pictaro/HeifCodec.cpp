// HEIF (HEIC) and AVIF through libheif, whose HEVC and AV1 decoders come with it. The primary image
// is decoded with the transformations the file gives it (rotation, mirroring, cropping): libheif
// applies them, and the EXIF orientation inside the file, which describes the same turn, is not
// applied a second time. Pictures of 10 and 12 bits are reduced to 8 by libheif, alpha is composited
// onto the matte, and the colour comes from the file's ICC profile or from its coded primaries and
// transfer (nclx), made into a profile. libheif's own security limits refuse huge images and boxes
// before anything is allocated; the picture limit is checked on top of them.
#include <libheif/heif.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "imaging/pictaro/PictaroDecode.h"
#include "imaging/pictaro/ByteReader.h"
#include "imaging/pictaro/Codecs.h"
#include "imaging/pictaro/DibAlloc.h"

namespace pictaro {
namespace {

// No side longer than this: libheif refuses such a file while reading its boxes.
constexpr int KMaxHeifSide = 32768;

// libheif's limit is one for each side, and a grid's output is allocated at the size its descriptor
// gives, which need not be the size the file reports: a side limit whose square is the picture limit
// keeps every picture libheif makes within that limit, before anything is allocated.
int HeifSideLimit() {
  const auto side = static_cast<uint64_t>(std::sqrt(static_cast<double>(PictureLimit())));
  return static_cast<int>(std::clamp<uint64_t>(side, 1, KMaxHeifSide));
}

struct THeifContext {
  heif_context* Ctx = heif_context_alloc();
  ~THeifContext() {
    if (Ctx) heif_context_free(Ctx);
  }
};
struct THeifHandle {
  heif_image_handle* Handle = nullptr;
  ~THeifHandle() {
    if (Handle) heif_image_handle_release(Handle);
  }
};
struct THeifImage {
  heif_image* Image = nullptr;
  ~THeifImage() {
    if (Image) heif_image_release(Image);
  }
};
struct THeifOptions {
  heif_decoding_options* Options = heif_decoding_options_alloc();
  ~THeifOptions() {
    if (Options) heif_decoding_options_free(Options);
  }
};
struct TNclx {
  heif_color_profile_nclx* Nclx = nullptr;
  ~TNclx() {
    if (Nclx) heif_nclx_color_profile_free(Nclx);
  }
};

// The coded primaries of ISO/IEC 23091-2 (as H.273 numbers them) that photos use.
bool Primaries(int Code, TChromaticities& C) {
  switch (Code) {
    case 1: C = {0.3127, 0.3290, 0.640, 0.330, 0.300, 0.600, 0.150, 0.060}; return true;   // BT.709, sRGB
    case 5: C = {0.3127, 0.3290, 0.640, 0.330, 0.290, 0.600, 0.150, 0.060}; return true;   // BT.601 625
    case 6: C = {0.3127, 0.3290, 0.630, 0.340, 0.310, 0.595, 0.155, 0.070}; return true;   // BT.601 525
    case 9: C = {0.3127, 0.3290, 0.708, 0.292, 0.170, 0.797, 0.131, 0.046}; return true;   // BT.2020
    case 11: C = {0.3140, 0.3510, 0.680, 0.320, 0.265, 0.690, 0.150, 0.060}; return true;  // DCI-P3
    case 12: C = {0.3127, 0.3290, 0.680, 0.320, 0.265, 0.690, 0.150, 0.060}; return true;  // Display P3
    default: return false;
  }
}

// What an nclx description says of the picture's numbers; none for sRGB itself, for unspecified
// values and for transfers a profile of this kind cannot hold (PQ, HLG).
std::optional<TRgbDescription> NclxDescription(const heif_color_profile_nclx& Nclx) {
  const int primaries = Nclx.color_primaries == 2 ? 1 : Nclx.color_primaries;
  const int transfer = Nclx.transfer_characteristics == 2 ? 13 : Nclx.transfer_characteristics;
  if (primaries == 1 && transfer == 13) return std::nullopt;
  TChromaticities space{};
  if (!Primaries(primaries, space)) return std::nullopt;
  switch (transfer) {
    case 13: return TRgbDescription{space, TTransfer::Srgb};
    case 1:
    case 6:
    case 14:
    case 15: return TRgbDescription{space, TTransfer::Bt709};
    case 8: return TRgbDescription{space, TTransfer::Linear};
    case 4: return TRgbDescription{space, TTransfer::Gamma, 2.2};
    case 5: return TRgbDescription{space, TTransfer::Gamma, 2.8};
    default: return std::nullopt;
  }
}

void ReadColour(const heif_image_handle* Handle, TDecodeColor& Color) {
  Color.Channels = 3;
  switch (heif_image_handle_get_color_profile_type(Handle)) {
    case heif_color_profile_type_prof:
    case heif_color_profile_type_rICC: {
      const size_t size = heif_image_handle_get_raw_color_profile_size(Handle);
      if (size == 0 || size > KMaxProfileSize) return;
      std::string icc(size, '\0');
      if (heif_image_handle_get_raw_color_profile(Handle, icc.data()).code == heif_error_Ok) Color.Icc = std::move(icc);
      return;
    }
    case heif_color_profile_type_nclx: {
      TNclx nclx;
      if (heif_image_handle_get_nclx_color_profile(Handle, &nclx.Nclx).code == heif_error_Ok && nclx.Nclx)
        Color.Described = NclxDescription(*nclx.Nclx);
      return;
    }
    default: return;
  }
}

// The embedded thumbnail of Primary whose longer side has at least MinLongSide pixels, if any.
bool PickThumbnail(const heif_image_handle* Primary, int MinLongSide, THeifHandle& Thumbnail) {
  const int count = heif_image_handle_get_number_of_thumbnails(Primary);
  if (count <= 0 || MinLongSide <= 0) return false;
  std::vector<heif_item_id> ids(static_cast<size_t>(count));
  const int listed = heif_image_handle_get_list_of_thumbnail_IDs(Primary, ids.data(), count);
  for (int i = 0; i < listed; ++i) {
    THeifHandle candidate;
    if (heif_image_handle_get_thumbnail(Primary, ids[static_cast<size_t>(i)], &candidate.Handle).code !=
        heif_error_Ok)
      continue;
    const int longer = std::max(heif_image_handle_get_width(candidate.Handle),
                                heif_image_handle_get_height(candidate.Handle));
    if (longer >= MinLongSide) {
      std::swap(Thumbnail.Handle, candidate.Handle);
      return true;
    }
  }
  return false;
}

// The primary picture of a HEIF file, read from the file: libheif reads the boxes that describe the
// pictures and steps over their data.
struct THeifFilePrimary {
  THeifContext Context;
  THeifHandle Primary;
  bool Open(const char* FileName) {
    if (!Context.Ctx) return false;
    heif_context_set_maximum_image_size_limit(Context.Ctx, HeifSideLimit());
    return heif_context_read_from_file(Context.Ctx, FileName, nullptr).code == heif_error_Ok &&
           heif_context_get_primary_image_handle(Context.Ctx, &Primary.Handle).code == heif_error_Ok;
  }
};

}  // namespace

bool LooksLikeHeif(const uint8_t* Data, size_t Size) {
  if (!Data || Size < 12 || std::memcmp(Data + 4, "ftyp", 4) != 0) return false;
  return heif_check_filetype(Data, static_cast<int>(std::min<size_t>(Size, INT_MAX))) != heif_filetype_no;
}

bool HeifHeader(const char* FileName, TDibHeaderSize& Out) {
  THeifFilePrimary file;
  if (!file.Open(FileName)) return false;
  const THeifHandle& primary = file.Primary;
  // The size with the file's rotation applied, as the decoder gives the picture.
  Out = {heif_image_handle_get_width(primary.Handle), heif_image_handle_get_height(primary.Handle), false};
  return Out.Width > 0 && Out.Height > 0;
}

bool HeifExifBlock(const char* FileName, std::vector<uint8_t>& Tiff) {
  THeifFilePrimary file;
  if (!file.Open(FileName)) return false;
  const THeifHandle& primary = file.Primary;
  heif_item_id id = 0;
  if (heif_image_handle_get_list_of_metadata_block_IDs(primary.Handle, "Exif", &id, 1) != 1) return false;
  const size_t size = heif_image_handle_get_metadata_size(primary.Handle, id);
  if (size < 4 || size > KMaxHeifExif) return false;
  std::vector<uint8_t> block(size);
  if (heif_image_handle_get_metadata(primary.Handle, id, block.data()).code != heif_error_Ok) return false;
  // The item starts with the distance from its fifth byte to the TIFF header (past "Exif\0\0").
  const uint32_t skip = Be32(block.data());
  if (skip > size - 4) return false;
  Tiff.assign(block.begin() + 4 + skip, block.end());
  return true;
}

bool DecodeHeif(const uint8_t* Data, size_t Size, int MinLongSide, bool ThumbnailOnly,
                TProgressReporter& Progress, TDecodeColor& Color, TDib* Out, int* FullWidth, int* FullHeight) {
  if (!LooksLikeHeif(Data, Size) || Size > INT_MAX) return false;
  THeifContext context;
  if (!context.Ctx) return false;
  heif_context_set_maximum_image_size_limit(context.Ctx, HeifSideLimit());
  if (heif_context_read_from_memory_without_copy(context.Ctx, Data, Size, nullptr).code != heif_error_Ok)
    return false;
  // An image sequence or a collection: its primary image is the picture; no primary, no picture.
  THeifHandle primary;
  if (heif_context_get_primary_image_handle(context.Ctx, &primary.Handle).code != heif_error_Ok) return false;
  const int width = heif_image_handle_get_width(primary.Handle);
  const int height = heif_image_handle_get_height(primary.Handle);
  if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > PictureLimit()) return false;

  THeifHandle thumbnail;
  const bool small = PickThumbnail(primary.Handle, MinLongSide, thumbnail);
  if (ThumbnailOnly && !small) return false;
  const heif_image_handle* chosen = small ? thumbnail.Handle : primary.Handle;
  const bool alpha = heif_image_handle_has_alpha_channel(chosen) != 0;
  const bool premultiplied = alpha && heif_image_handle_is_premultiplied_alpha(chosen) != 0;
  THeifOptions options;
  if (!options.Options) return false;
  options.Options->convert_hdr_to_8bit = 1;
  THeifImage image;
  Progress.Report(5);
  if (heif_decode_image(chosen, &image.Image, heif_colorspace_RGB,
                        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.Options)
          .code != heif_error_Ok)
    return false;
  Progress.Report(90);
  const int w = heif_image_get_width(image.Image, heif_channel_interleaved);
  const int h = heif_image_get_height(image.Image, heif_channel_interleaved);
  int stride = 0;
  const uint8_t* plane = heif_image_get_plane_readonly(image.Image, heif_channel_interleaved, &stride);
  if (!plane || w <= 0 || h <= 0 || uint64_t(w) * uint64_t(h) > PictureLimit() ||
      heif_image_get_bits_per_pixel_range(image.Image, heif_channel_interleaved) != 8)
    return false;
  const int bpp = alpha ? 4 : 3;
  if (stride < w * bpp) return false;

  TDibOwner dib;
  if (!AllocDib(dib.Get(), w, h, 24, TPixels::Unset)) return false;
  const TMatte matte(Color.Matte);
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = plane + static_cast<int64_t>(y) * stride;
    uint8_t* dst = RowFromTop(*dib, y);
    if (!alpha) {
      for (int x = 0; x < w; ++x, src += 3, dst += 3) dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
    } else if (premultiplied) {
      for (int x = 0; x < w; ++x, src += 4, dst += 3) {
        const unsigned back = 255u - src[3];
        dst[0] = static_cast<uint8_t>(std::min(255u, src[2] + (matte.Blue * back + 127) / 255));
        dst[1] = static_cast<uint8_t>(std::min(255u, src[1] + (matte.Green * back + 127) / 255));
        dst[2] = static_cast<uint8_t>(std::min(255u, src[0] + (matte.Red * back + 127) / 255));
      }
    } else {
      for (int x = 0; x < w; ++x, src += 4, dst += 3)
        dst[0] = Over(src[2], src[3], matte.Blue), dst[1] = Over(src[1], src[3], matte.Green),
        dst[2] = Over(src[0], src[3], matte.Red);
    }
  }
  ReadColour(primary.Handle, Color);
  // The primary image's size as decoded, turned: the thumbnail is smaller, the primary's handle tells.
  *FullWidth = chosen == primary.Handle ? w : width;
  *FullHeight = chosen == primary.Handle ? h : height;
  dib.ReleaseTo(Out);
  return true;
}

}  // namespace pictaro
