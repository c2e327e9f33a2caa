#include "support/TaggedPictures.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <lcms2.h>
#include <libheif/heif.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/TestSupport.h"

namespace qtest {
namespace {

std::string Save(cmsHPROFILE Profile, double Version) {
  cmsSetProfileVersion(Profile, Version);
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(Profile, nullptr, &size);
  std::string bytes(size, '\0');
  cmsSaveProfileToMem(Profile, bytes.data(), &size);
  cmsCloseProfile(Profile);
  return bytes;
}

std::string RgbProfile(const cmsCIExyYTRIPLE& Primaries, cmsToneCurve* Curve, double Version) {
  const cmsCIExyY d65{0.3127, 0.3290, 1.0};
  cmsToneCurve* curves[3] = {Curve, Curve, Curve};
  cmsHPROFILE profile = cmsCreateRGBProfile(&d65, &Primaries, curves);
  cmsFreeToneCurve(Curve);
  return Save(profile, Version);
}

cmsToneCurve* SrgbCurve() {
  const cmsFloat64Number p[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
  return cmsBuildParametricToneCurve(nullptr, 4, p);
}

struct TMemoryOut {
  std::string Bytes;
};

void PngWrite(png_structp Png, png_bytep Data, size_t Length) {
  static_cast<TMemoryOut*>(png_get_io_ptr(Png))->Bytes.append(reinterpret_cast<const char*>(Data), Length);
}
void PngFlush(png_structp) {}

std::string Jpeg(const TTestPixels& Pixels, bool Grey, const std::string& Icc, size_t SegmentSize) {
  jpeg_compress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&info, &out, &outSize);
  info.image_width = static_cast<JDIMENSION>(Pixels.Width);
  info.image_height = static_cast<JDIMENSION>(Pixels.Height);
  info.input_components = Grey ? 1 : 3;
  info.in_color_space = Grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  const size_t segments = Icc.empty() ? 0 : (Icc.size() + SegmentSize - 1) / SegmentSize;
  for (size_t i = 0; i < segments; ++i) {
    std::string body("ICC_PROFILE", 12);
    body += static_cast<char>(i + 1);
    body += static_cast<char>(segments);
    body += Icc.substr(i * SegmentSize, SegmentSize);
    jpeg_write_marker(&info, JPEG_APP0 + 2, reinterpret_cast<const JOCTET*>(body.data()),
                      static_cast<unsigned>(body.size()));
  }
  std::string row(static_cast<size_t>(Pixels.Width) * 3, '\0');
  while (info.next_scanline < info.image_height) {
    const char* src = Pixels.Rgb.data() + size_t{info.next_scanline} * Pixels.Width * 3;
    if (Grey)
      for (int x = 0; x < Pixels.Width; ++x) row[x] = src[3 * x];
    else
      std::memcpy(row.data(), src, row.size());
    JSAMPROW r = reinterpret_cast<JSAMPROW>(row.data());
    jpeg_write_scanlines(&info, &r, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::string bytes(reinterpret_cast<const char*>(out), outSize);
  std::free(out);
  return bytes;
}

std::string Png(const TTestPixels& Pixels, bool Alpha, const std::string& Icc) {
  TMemoryOut out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    ADD_FAILURE() << "libpng refused the test picture";
    return {};
  }
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  png_set_IHDR(png, info, Pixels.Width, Pixels.Height, 8, Alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!Icc.empty())
    png_set_iCCP(png, info, "icc", 0, reinterpret_cast<png_const_bytep>(Icc.data()),
                 static_cast<png_uint_32>(Icc.size()));
  png_write_info(png, info);
  std::string row(static_cast<size_t>(Pixels.Width) * 4, '\0');
  for (int y = 0; y < Pixels.Height; ++y) {
    const char* src = Pixels.Rgb.data() + size_t(y) * Pixels.Width * 3;
    for (int x = 0; x < Pixels.Width; ++x) {
      if (Alpha) {
        std::memcpy(&row[4 * x], src + 3 * x, 3);
        row[4 * x + 3] = static_cast<char>(x < Pixels.Width / 2 ? 0 : 255);
      } else {
        std::memcpy(&row[3 * x], src + 3 * x, 3);
      }
    }
    png_write_row(png, reinterpret_cast<png_bytep>(row.data()));
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out.Bytes;
}

std::string Tiff(const TTestPixels& Pixels, const std::string& Icc) {
  TScratchDir dir;
  const std::string name = dir / "tagged.tif";
  TIFF* tif = TIFFOpen(name.c_str(), "w");
  if (!tif) {
    ADD_FAILURE() << "libtiff cannot write " << name;
    return {};
  }
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(Pixels.Width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(Pixels.Height));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(Pixels.Height));
  if (!Icc.empty()) TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(Icc.size()), Icc.data());
  for (int y = 0; y < Pixels.Height; ++y) {
    std::string row = Pixels.Rgb.substr(size_t(y) * Pixels.Width * 3, size_t(Pixels.Width) * 3);
    TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0);
  }
  TIFFClose(tif);
  return ReadFile(name);
}

std::string Webp(const TTestPixels& Pixels, const std::string& Icc) {
  uint8_t* encoded = nullptr;
  const size_t size = WebPEncodeLosslessRGB(reinterpret_cast<const uint8_t*>(Pixels.Rgb.data()), Pixels.Width,
                                            Pixels.Height, Pixels.Width * 3, &encoded);
  std::string plain(reinterpret_cast<const char*>(encoded), size);
  WebPFree(encoded);
  if (Icc.empty()) return plain;
  const WebPData image{reinterpret_cast<const uint8_t*>(plain.data()), plain.size()};
  WebPMux* mux = WebPMuxCreate(&image, 1);
  const WebPData icc{reinterpret_cast<const uint8_t*>(Icc.data()), Icc.size()};
  WebPMuxSetChunk(mux, "ICCP", &icc, 1);
  WebPData assembled{};
  WebPMuxAssemble(mux, &assembled);
  std::string bytes(reinterpret_cast<const char*>(assembled.bytes), assembled.size);
  WebPDataClear(&assembled);
  WebPMuxDelete(mux);
  return bytes;
}

heif_error HeifWrite(heif_context*, const void* Data, size_t Size, void* User) {
  static_cast<std::string*>(User)->append(static_cast<const char*>(Data), Size);
  return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
}

}  // namespace

std::string TestProfile(TTestProfile Profile) {
  switch (Profile) {
    case TTestProfile::DisplayP3:
      return RgbProfile({{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}}, SrgbCurve(), 4.3);
    case TTestProfile::AdobeRgb:
      return RgbProfile({{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}}, cmsBuildGamma(nullptr, 563.0 / 256),
                        2.1);
    case TTestProfile::Grey: {
      cmsToneCurve* curve = cmsBuildGamma(nullptr, 2.2);
      cmsHPROFILE grey = cmsCreateGrayProfile(cmsD50_xyY(), curve);
      cmsFreeToneCurve(curve);
      return Save(grey, 2.1);
    }
    case TTestProfile::SrgbV2: return Save(cmsCreate_sRGBProfile(), 2.1);
    case TTestProfile::SrgbV4: return Save(cmsCreate_sRGBProfile(), 4.3);
  }
  return {};
}

TTestPixels SolidPixels(int Width, int Height, uint32_t Rgb) {
  TTestPixels p{Width, Height, {}};
  for (int i = 0; i < Width * Height; ++i) {
    p.Rgb += static_cast<char>(Rgb >> 16);
    p.Rgb += static_cast<char>(Rgb >> 8);
    p.Rgb += static_cast<char>(Rgb);
  }
  return p;
}

TTestPixels PatchPixels(const std::vector<uint32_t>& Colours, int Side) {
  TTestPixels p{Side * static_cast<int>(Colours.size()), Side, {}};
  for (int y = 0; y < Side; ++y)
    for (uint32_t c : Colours)
      for (int x = 0; x < Side; ++x) {
        p.Rgb += static_cast<char>(c >> 16);
        p.Rgb += static_cast<char>(c >> 8);
        p.Rgb += static_cast<char>(c);
      }
  return p;
}

TTestPixels InProfile(const TTestPixels& Pixels, TTestProfile Profile) {
  const std::string bytes = TestProfile(Profile);
  cmsHPROFILE target = cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size()));
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHTRANSFORM t = cmsCreateTransform(srgb, TYPE_RGB_8, target, TYPE_RGB_8, INTENT_RELATIVE_COLORIMETRIC, 0);
  TTestPixels out = Pixels;
  cmsDoTransform(t, Pixels.Rgb.data(), out.Rgb.data(), static_cast<cmsUInt32Number>(Pixels.Width * Pixels.Height));
  cmsDeleteTransform(t);
  cmsCloseProfile(srgb);
  cmsCloseProfile(target);
  return out;
}

std::string TaggedPicture(TTestFormat Format, const TTestPixels& Pixels, const std::string& Icc,
                          size_t SegmentSize) {
  switch (Format) {
    case TTestFormat::Jpeg: return Jpeg(Pixels, false, Icc, SegmentSize);
    case TTestFormat::JpegGrey: return Jpeg(Pixels, true, Icc, SegmentSize);
    case TTestFormat::Png: return Png(Pixels, false, Icc);
    case TTestFormat::PngAlpha: return Png(Pixels, true, Icc);
    case TTestFormat::Tiff: return Tiff(Pixels, Icc);
    case TTestFormat::Webp: return Webp(Pixels, Icc);
    case TTestFormat::Heic: return HeifPicture(Pixels, THeifOptions{false, 1, 8, false, 0, Icc, 0});
    case TTestFormat::Avif: return HeifPicture(Pixels, THeifOptions{true, 1, 8, false, 0, Icc, 0});
  }
  return {};
}

std::string HeifPicture(const TTestPixels& Pixels, const THeifOptions& Options) {
  heif_context* ctx = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  std::string bytes;
  if (heif_context_get_encoder_for_format(ctx, Options.Avif ? heif_compression_AV1 : heif_compression_HEVC,
                                          &encoder)
          .code != heif_error_Ok) {
    ADD_FAILURE() << "libheif has no encoder for " << (Options.Avif ? "AV1" : "HEVC");
    heif_context_free(ctx);
    return {};
  }
  heif_encoder_set_lossy_quality(encoder, 90);
  const bool deep = Options.Bits > 8;
  const heif_chroma chroma = deep ? (Options.Alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                                  : (Options.Alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
  heif_image* image = nullptr;
  heif_image_create(Pixels.Width, Pixels.Height, heif_colorspace_RGB, chroma, &image);
  heif_image_add_plane(image, heif_channel_interleaved, Pixels.Width, Pixels.Height, Options.Bits);
  int stride = 0;
  uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  const int channels = Options.Alpha ? 4 : 3;
  for (int y = 0; y < Pixels.Height; ++y)
    for (int x = 0; x < Pixels.Width; ++x)
      for (int c = 0; c < channels; ++c) {
        const unsigned v = c < 3 ? static_cast<uint8_t>(Pixels.Rgb[(size_t(y) * Pixels.Width + x) * 3 + c])
                                 : (x < Pixels.Width / 2 ? 0u : 255u);
        if (deep) {
          const unsigned deepValue = (v << (Options.Bits - 8)) | (v >> (16 - Options.Bits));
          uint8_t* p = plane + size_t(y) * stride + (size_t(x) * channels + c) * 2;
          p[0] = static_cast<uint8_t>(deepValue), p[1] = static_cast<uint8_t>(deepValue >> 8);
        } else {
          plane[size_t(y) * stride + size_t(x) * channels + c] = static_cast<uint8_t>(v);
        }
      }
  if (!Options.Icc.empty()) {
    heif_image_set_raw_color_profile(image, "prof", Options.Icc.data(), Options.Icc.size());
  } else if (Options.Primaries != 0) {
    heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
    heif_nclx_color_profile_set_color_primaries(nclx, static_cast<uint16_t>(Options.Primaries));
    heif_nclx_color_profile_set_transfer_characteristics(nclx, 13);
    heif_nclx_color_profile_set_matrix_coefficients(nclx, 6);
    nclx->full_range_flag = 1;
    heif_image_set_nclx_color_profile(image, nclx);
    heif_nclx_color_profile_free(nclx);
  }
  heif_encoding_options* options = heif_encoding_options_alloc();
  options->image_orientation = static_cast<heif_orientation>(Options.Orientation);
  options->macOS_compatibility_workaround_no_nclx_profile = Options.Primaries == 0;  // else no nclx is written
  heif_image_handle* handle = nullptr;
  const heif_error encoded = heif_context_encode_image(ctx, image, encoder, options, &handle);
  if (encoded.code == heif_error_Ok && Options.ThumbnailSide > 0) {
    heif_image_handle* thumbnail = nullptr;
    heif_context_encode_thumbnail(ctx, image, handle, encoder, options, Options.ThumbnailSide, &thumbnail);
    if (thumbnail) heif_image_handle_release(thumbnail);
  }
  if (encoded.code == heif_error_Ok && Options.Orientation != 1) {
    // The same turn in EXIF too, as phones write it: a reader must apply it once.
    const uint8_t exif[] = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1,
                            0, static_cast<uint8_t>(Options.Orientation), 0, 0, 0, 0, 0, 0};
    heif_context_add_exif_metadata(ctx, handle, exif, sizeof exif);
  }
  if (encoded.code != heif_error_Ok) {
    ADD_FAILURE() << "libheif could not encode: " << encoded.message;
  } else {
    heif_writer writer{1, HeifWrite};
    heif_context_write(ctx, &writer, &bytes);
  }
  if (handle) heif_image_handle_release(handle);
  heif_encoding_options_free(options);
  heif_image_release(image);
  heif_encoder_release(encoder);
  heif_context_free(ctx);
  return bytes;
}

std::string ReorderIccSegments(const std::string& Jpeg, const std::vector<int>& Segments) {
  std::vector<std::string> icc;
  std::string rest;
  size_t p = 2;
  while (p + 4 <= Jpeg.size() && static_cast<uint8_t>(Jpeg[p]) == 0xFF) {
    const auto marker = static_cast<uint8_t>(Jpeg[p + 1]);
    const size_t length = (static_cast<uint8_t>(Jpeg[p + 2]) << 8) | static_cast<uint8_t>(Jpeg[p + 3]);
    if (marker == 0xDA) break;
    std::string segment = Jpeg.substr(p, 2 + length);
    if (marker == 0xE2 && segment.compare(4, 12, std::string("ICC_PROFILE", 12)) == 0)
      icc.push_back(segment);
    else
      rest += segment;
    p += 2 + length;
  }
  std::string out = Jpeg.substr(0, 2);
  for (int s : Segments) out += icc.at(static_cast<size_t>(s - 1));
  return out + rest + Jpeg.substr(p);
}

}  // namespace qtest
