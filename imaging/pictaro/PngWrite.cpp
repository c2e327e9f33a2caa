#include "imaging/pictaro/PngWrite.h"

#include <png.h>

#include <csetjmp>

namespace {

// libpng reports errors by longjmp; the frames between png calls and these handlers hold no C++
// objects with destructors that must run.
[[noreturn]] void PngError(png_structp Png, png_const_charp) { png_longjmp(Png, 1); }
void PngWarning(png_structp, png_const_charp) {}

class TPngWriter {
 public:
  TPngWriter() {
    FPng = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (FPng) FInfo = png_create_info_struct(FPng);
  }
  ~TPngWriter() {
    if (FPng) png_destroy_write_struct(&FPng, FInfo ? &FInfo : nullptr);
  }
  TPngWriter(const TPngWriter&) = delete;
  TPngWriter& operator=(const TPngWriter&) = delete;

  // Rows hold three bytes a pixel, or four when Alpha.
  bool Write(std::FILE* File, int Width, int Height, bool Bgr, bool Alpha, std::vector<png_bytep>& Rows,
             std::vector<png_text>& Texts) {
    if (!FInfo) return false;
    if (setjmp(png_jmpbuf(FPng))) return false;
    png_init_io(FPng, File);
    png_set_IHDR(FPng, FInfo, static_cast<png_uint_32>(Width), static_cast<png_uint_32>(Height), 8,
                 Alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!Texts.empty()) png_set_text(FPng, FInfo, Texts.data(), static_cast<int>(Texts.size()));
    png_write_info(FPng, FInfo);
    if (Bgr) png_set_bgr(FPng);
    png_write_image(FPng, Rows.data());
    png_write_end(FPng, FInfo);
    return true;
  }

 private:
  png_structp FPng = nullptr;
  png_infop FInfo = nullptr;
};

// The chunks point into Texts, which must outlive the writing.
std::vector<png_text> TextChunks(const std::vector<TPngText>& Texts) {
  std::vector<png_text> texts;
  for (const TPngText& t : Texts) {
    png_text text{};
    text.compression = PNG_TEXT_COMPRESSION_NONE;
    text.key = const_cast<char*>(t.Key.c_str());
    text.text = const_cast<char*>(t.Value.c_str());
    text.text_length = t.Value.size();
    texts.push_back(text);
  }
  return texts;
}

}  // namespace

bool WritePng(std::FILE* File, int Width, int Height, bool Bgr, const std::function<const uint8_t*(int)>& Row,
              const std::vector<TPngText>& Texts) {
  if (Width <= 0 || Height <= 0) return false;
  std::vector<png_bytep> rows(static_cast<size_t>(Height));
  for (int y = 0; y < Height; ++y) rows[static_cast<size_t>(y)] = const_cast<png_bytep>(Row(y));
  std::vector<png_text> texts = TextChunks(Texts);
  TPngWriter writer;
  return writer.Write(File, Width, Height, Bgr, false, rows, texts);
}

bool WriteRgbaPng(std::FILE* File, const TDib& Picture, const std::vector<TPngText>& Texts) {
  if (!Picture.Bits || DibBitCount(Picture) != 24) return false;
  const int width = DibWidth(Picture), height = DibHeight(Picture);
  if (width <= 0 || height <= 0) return false;
  // Stored rows run from the bottom, in blue-green-red order.
  std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4);
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    const uint8_t* from = Picture.Bits + int64_t(height - 1 - y) * Picture.RowBytes;
    uint8_t* to = pixels.data() + size_t(y) * size_t(width) * 4;
    rows[static_cast<size_t>(y)] = to;
    for (int x = 0; x < width; ++x, from += 3, to += 4)
      to[0] = from[2], to[1] = from[1], to[2] = from[0], to[3] = 0xFF;
  }
  std::vector<png_text> texts = TextChunks(Texts);
  TPngWriter writer;
  return writer.Write(File, width, height, false, true, rows, texts);
}
