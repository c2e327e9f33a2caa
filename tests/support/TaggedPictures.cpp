#include "support/TaggedPictures.h"

#include <gtest/gtest.h>
#include <lcms2.h>
#include <libheif/heif.h>

#include <cstring>

#include "imaging/color/ColorReading.h"
#include "imaging/pictaro/PictaroDecode.h"
#include "imaging/pictaro/PictaroReduced.h"
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

// The pixels as a PAM file (with alpha 0 in the left half when Alpha), for ImageMagick to read.
std::string Pam(const TTestPixels& Pixels, bool Alpha) {
  std::string pam = "P7\nWIDTH " + std::to_string(Pixels.Width) + "\nHEIGHT " + std::to_string(Pixels.Height) +
                    (Alpha ? "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" : "\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n");
  for (int i = 0; i < Pixels.Width * Pixels.Height; ++i) {
    pam.append(Pixels.Rgb, size_t(i) * 3, 3);
    if (Alpha) pam += static_cast<char>(i % Pixels.Width < Pixels.Width / 2 ? 0 : 255);
  }
  return pam;
}

// The JPEG with Icc put in after its start marker, in APP2 segments of SegmentSize bytes written in
// the order Order gives (1-based segment numbers; empty: 1, 2, ...).
std::string WithIcc(const std::string& Jpeg, const std::string& Icc, size_t SegmentSize, std::vector<int> Order) {
  const size_t count = (Icc.size() + SegmentSize - 1) / SegmentSize;
  if (Order.empty())
    for (size_t i = 1; i <= count; ++i) Order.push_back(static_cast<int>(i));
  std::string segments;
  for (int n : Order) {
    const std::string part = Icc.substr(size_t(n - 1) * SegmentSize, SegmentSize);
    const size_t length = 2 + 14 + part.size();
    segments += std::string("\xFF\xE2", 2) + static_cast<char>(length >> 8) + static_cast<char>(length & 0xFF);
    segments += std::string("ICC_PROFILE", 12) + static_cast<char>(n) + static_cast<char>(count) + part;
  }
  return Jpeg.substr(0, 2) + segments + Jpeg.substr(2);
}

heif_error HeifWrite(heif_context*, const void* Data, size_t Size, void* User) {
  static_cast<std::string*>(User)->append(static_cast<const char*>(Data), Size);
  return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
}

}  // namespace

TDecodedPicture::TDecodedPicture(const std::string& Bytes, uint32_t Matte, int MinLongSide, int Turn) {
  const auto* data = reinterpret_cast<const uint8_t*>(Bytes.data());
  Color = ReadingColor(Matte);
  if (MinLongSide > 0) {
    Ok = DecodePictureReduced(data, Bytes.size(), -1, MinLongSide, &Dib, &FullWidth, &FullHeight, &Color) == 1;
  } else {
    Ok = DecodePicture(data, Bytes.size(), -1, nullptr, &Dib, Turn, &Color) == 1;
    FullWidth = DibWidth(Dib), FullHeight = DibHeight(Dib);
  }
}

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
                          size_t SegmentSize, const std::vector<int>& Order) {
  if (Format == TTestFormat::Heic || Format == TTestFormat::Avif)
    return HeifPicture(Pixels, {.Avif = Format == TTestFormat::Avif, .Icc = Icc});
  if (!NeedProgram("convert")) return {};
  TScratchDir dir;
  WriteFile(dir / "in.pam", Pam(Pixels, Format == TTestFormat::PngAlpha));
  WriteFile(dir / "in.icc", Icc);
  const bool jpeg = Format == TTestFormat::Jpeg || Format == TTestFormat::JpegGrey;
  const std::string options = Format == TTestFormat::JpegGrey ? "-type Grayscale -quality 95"
                              : jpeg                          ? "-quality 95"
                              : Format == TTestFormat::Webp   ? "-define webp:lossless=true"
                                                              : "";
  const char* ext = jpeg ? "jpg" : Format == TTestFormat::Tiff ? "tif" : Format == TTestFormat::Webp ? "webp" : "png";
  const std::string out = dir / (std::string("out.") + ext);
  const std::string profile = Icc.empty() || jpeg ? "" : " -profile " + Quote(dir / "in.icc");
  if (Run("convert " + Quote(dir / "in.pam") + " " + options + profile + " " + Quote(out) + " 2>&1") != 0) {
    ADD_FAILURE() << "ImageMagick cannot write " << out;
    return {};
  }
  const std::string bytes = ReadFile(out);
  return jpeg && !Icc.empty() ? WithIcc(bytes, Icc, SegmentSize, Order) : bytes;
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

}  // namespace qtest
