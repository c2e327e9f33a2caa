// WebP through libwebp, lossy and lossless. Opaque pictures decode straight into the rows (libwebp
// flips them to our bottom-up order); pictures with alpha go through one buffer and onto the matte. The profile comes from the
// ICCP chunk.
#include <webp/decode.h>
#include <webp/demux.h>

#include <string>
#include <vector>

#include "imaging/pictaro/PictaroDecode.h"
#include "imaging/pictaro/Codecs.h"
#include "imaging/pictaro/DibAlloc.h"

namespace pictaro {
namespace {

// Frees the decoder's output buffer, but only of a configuration that libwebp initialised: before that
// the record holds whatever the stack held.
struct TWebpConfig {
  WebPDecoderConfig Config;
  bool Initialised = false;
  ~TWebpConfig() {
    if (Initialised) WebPFreeDecBuffer(&Config.output);
  }
};

// The ICCP chunk of an extended file, through the demuxer; empty when there is none.
std::string WebpIcc(const uint8_t* Data, size_t Size) {
  const WebPData data{Data, Size};
  WebPDemuxer* demux = WebPDemux(&data);
  if (!demux) return {};
  std::string icc;
  WebPChunkIterator chunk;
  if ((WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS) & ICCP_FLAG) && WebPDemuxGetChunk(demux, "ICCP", 1, &chunk)) {
    icc.assign(reinterpret_cast<const char*>(chunk.chunk.bytes), chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
  }
  WebPDemuxDelete(demux);
  return icc;
}

}  // namespace

bool WebpHeader(const uint8_t* Data, size_t Size, TDibHeaderSize& Out) {
  WebPBitstreamFeatures features;
  if (WebPGetFeatures(Data, Size, &features) != VP8_STATUS_OK || features.width <= 0 || features.height <= 0)
    return false;
  Out = {features.width, features.height, false};
  return true;
}

bool DecodeWebp(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDecodeColor& Color, TDib* Out) {
  TWebpConfig holder;
  WebPDecoderConfig& config = holder.Config;
  if (!WebPInitDecoderConfig(&config)) return false;
  holder.Initialised = true;
  if (WebPGetFeatures(Data, Size, &config.input) != VP8_STATUS_OK) return false;
  const int width = config.input.width, height = config.input.height;
  if (width <= 0 || height <= 0 ||
      static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > PictureLimit())
    return false;
  TDibOwner dib;
  if (!AllocDib(dib.Get(), width, height, 24)) return false;
  config.options.flip = 1;  // first row into the last buffer row: our rows run bottom-up
  config.output.is_external_memory = 1;
  std::vector<uint8_t> bgra;
  const bool alpha = config.input.has_alpha != 0;
  if (alpha) {
    try {
      bgra.resize(size_t{4} * width * height);
    } catch (const std::bad_alloc&) {
      return false;
    }
    config.output.colorspace = MODE_BGRA;
    config.output.u.RGBA.rgba = bgra.data();
    config.output.u.RGBA.stride = 4 * width;
    config.output.u.RGBA.size = bgra.size();
  } else {
    config.output.colorspace = MODE_BGR;
    config.output.u.RGBA.rgba = dib->Bits;
    config.output.u.RGBA.stride = dib->RowBytes;
    config.output.u.RGBA.size = dib->Header->biSizeImage;
  }
  if (WebPDecode(Data, Size, &config) != VP8_STATUS_OK) return false;
  Progress.Report(90);
  if (alpha) {
    const TMatte matte(Color.Matte);
    for (int r = 0; r < height; ++r) {
      const uint8_t* src = bgra.data() + size_t{4} * width * r;
      uint8_t* dst = dib->Bits + static_cast<int64_t>(r) * dib->RowBytes;
      for (int x = 0; x < width; ++x, src += 4, dst += 3)
        dst[0] = Over(src[0], src[3], matte.Blue), dst[1] = Over(src[1], src[3], matte.Green),
        dst[2] = Over(src[2], src[3], matte.Red);
    }
  }
  Color.Icc = WebpIcc(Data, Size);
  Color.Channels = 3;
  dib.ReleaseTo(Out);
  return true;
}

}  // namespace pictaro
