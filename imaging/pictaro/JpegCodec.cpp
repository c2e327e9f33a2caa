// JPEG through libjpeg(-turbo): decoding straight into the picture's rows in blue-green-red order, and
// encoding from them, bottom row last, without a copy of the whole picture.
//
// libjpeg reports errors by calling error_exit, which must not return; ours longjmps back into the one
// function that called setjmp. That function and the library frames it calls hold no C++ objects with
// destructors: everything owned lives in a state record of the caller, whose destructor ends libjpeg's
// state, so a longjmp skips nothing that needs cleaning up.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "imaging/pictaro/Codecs.h"
#include "imaging/pictaro/DibAlloc.h"
#include "imaging/pictaro/FileWriter.h"
#include "imaging/PictaroDecode.h"

namespace pictaro {
namespace {

// A progressive file may hold thousands of tiny scans that each cost a pass over the picture; real
// encoders write about ten. Beyond this many, the file is hostile.
constexpr int MaxScans = 1000;

struct TJpegError {
  jpeg_error_mgr Pub;
  std::jmp_buf Jump;
};

[[noreturn]] void ErrorExit(j_common_ptr Info) {
  std::longjmp(reinterpret_cast<TJpegError*>(Info->err)->Jump, 1);
}

void EmitMessage(j_common_ptr Info, int Level) {
  // A file that ends early decodes to grey rows; we treat it as the broken file it is. Other
  // warnings (stray bytes before a marker, common in camera files) are let through.
  if (Level < 0 && Info->err->msg_code == JWRN_JPEG_EOF) ErrorExit(Info);
}

void OutputMessage(j_common_ptr) {}

struct TJpegProgress {
  jpeg_progress_mgr Pub;
  TProgressReporter* Reporter;
};

void ProgressMonitor(j_common_ptr Info) {
  auto* progress = reinterpret_cast<TJpegProgress*>(Info->progress);
  if (Info->is_decompressor && reinterpret_cast<j_decompress_ptr>(Info)->input_scan_number > MaxScans)
    ErrorExit(Info);
  const jpeg_progress_mgr& p = progress->Pub;
  if (p.total_passes <= 0 || p.pass_limit <= 0) return;
  const double part = (p.completed_passes + static_cast<double>(p.pass_counter) / p.pass_limit) / p.total_passes;
  progress->Reporter->Report(static_cast<int>(part * 100));
}

void InitError(TJpegError& Err) {
  jpeg_std_error(&Err.Pub);
  Err.Pub.error_exit = ErrorExit;
  Err.Pub.emit_message = EmitMessage;
  Err.Pub.output_message = OutputMessage;
}

struct TJpegDecode {
  jpeg_decompress_struct Info{};
  TJpegError Err{};
  TJpegProgress Progress{};
  bool Created = false;
  TDibOwner Dib;
  std::vector<uint8_t> CmykRow;
  ~TJpegDecode() {
    if (Created) jpeg_destroy_decompress(&Info);
  }
};

// Converts one row of CMYK samples to blue, green, red. Adobe files store the inks inverted.
void CmykToBgr(const uint8_t* Cmyk, int Width, bool Inverted, uint8_t* Bgr) {
  for (int x = 0; x < Width; ++x, Cmyk += 4, Bgr += 3) {
    unsigned c = Cmyk[0], m = Cmyk[1], y = Cmyk[2], k = Cmyk[3];
    if (!Inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    Bgr[0] = static_cast<uint8_t>((y * k + 127) / 255);
    Bgr[1] = static_cast<uint8_t>((m * k + 127) / 255);
    Bgr[2] = static_cast<uint8_t>((c * k + 127) / 255);
  }
}

bool RunDecode(TJpegDecode* s, const uint8_t* Data, size_t Size) {
  jpeg_decompress_struct* info = &s->Info;
  info->err = &s->Err.Pub;
  if (setjmp(s->Err.Jump)) return false;
  s->Created = true;  // the struct is zeroed, so destroying it after a failed create is harmless
  jpeg_create_decompress(info);
  info->progress = &s->Progress.Pub;
  jpeg_mem_src(info, Data, static_cast<unsigned long>(Size));
  if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return false;

  const uint64_t pixels = static_cast<uint64_t>(info->image_width) * info->image_height;
  if (pixels == 0 || pixels > PictureLimit()) return false;

  bool grey = false, cmyk = false;
  switch (info->jpeg_color_space) {
    case JCS_GRAYSCALE: info->out_color_space = JCS_GRAYSCALE, grey = true; break;
    case JCS_CMYK:
    case JCS_YCCK: info->out_color_space = JCS_CMYK, cmyk = true; break;
    default: info->out_color_space = JCS_EXT_BGR; break;
  }
  if (!AllocDib(s->Dib.Get(), info->image_width, info->image_height, grey ? 8 : 24)) return false;
  if (grey) SetGreyColors(*s->Dib);
  if (cmyk) s->CmykRow.resize(static_cast<size_t>(info->image_width) * 4);

  jpeg_start_decompress(info);
  if (info->output_width != info->image_width || info->output_height != info->image_height) return false;
  const TDib& dib = *s->Dib;
  const bool inverted = info->saw_Adobe_marker;
  while (info->output_scanline < info->output_height) {
    const JDIMENSION y = info->output_scanline;
    if (cmyk) {
      JSAMPROW row = s->CmykRow.data();
      if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
      CmykToBgr(row, static_cast<int>(info->output_width), inverted, RowFromTop(dib, y));
    } else {
      // Several rows per call lets the library hand over a whole block row at once.
      JSAMPROW rows[16];
      const JDIMENSION count = std::min<JDIMENSION>(16, info->output_height - y);
      for (JDIMENSION i = 0; i < count; ++i) rows[i] = RowFromTop(dib, y + i);
      if (jpeg_read_scanlines(info, rows, count) == 0) return false;
    }
  }
  jpeg_finish_decompress(info);
  return true;
}

struct TJpegEncode {
  jpeg_compress_struct Info{};
  TJpegError Err{};
  bool Created = false;
  std::vector<uint8_t> Row;
  ~TJpegEncode() {
    if (Created) jpeg_destroy_compress(&Info);
  }
};

// Expands one stored row of a picture with a colour table into blue, green, red.
void IndexedToBgr(const TDib& Dib, const uint8_t* Row, int Width, int Bits, uint8_t* Bgr) {
  for (int x = 0; x < Width; ++x, Bgr += 3) {
    unsigned i = Bits == 8 ? Row[x] : Bits == 4 ? ((x & 1) ? Row[x >> 1] & 0x0F : Row[x >> 1] >> 4)
                                                : (Row[x >> 3] >> (7 - (x & 7))) & 1;
    const TDibColor& c = Dib.Colors[i];
    Bgr[0] = c.Blue, Bgr[1] = c.Green, Bgr[2] = c.Red;
  }
}

bool RunEncode(TJpegEncode* s, const TDib* Dib, FILE* File, int Quality) {
  jpeg_compress_struct* info = &s->Info;
  info->err = &s->Err.Pub;
  if (setjmp(s->Err.Jump)) return false;
  s->Created = true;
  jpeg_create_compress(info);
  jpeg_stdio_dest(info, File);
  const int width = Dib->Header->biWidth, height = Dib->Header->biHeight, bits = Dib->Header->biBitCount;
  info->image_width = static_cast<JDIMENSION>(width);
  info->image_height = static_cast<JDIMENSION>(height);
  info->input_components = 3;
  info->in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(info);
  jpeg_set_quality(info, Quality, TRUE);
  jpeg_start_compress(info, TRUE);
  if (bits != 24) s->Row.resize(static_cast<size_t>(width) * 3);
  while (info->next_scanline < info->image_height) {
    const JDIMENSION y = info->next_scanline;
    if (bits == 24) {
      JSAMPROW rows[16];
      const JDIMENSION count = std::min<JDIMENSION>(16, info->image_height - y);
      for (JDIMENSION i = 0; i < count; ++i) rows[i] = RowFromTop(*Dib, y + i);
      jpeg_write_scanlines(info, rows, count);
    } else {
      IndexedToBgr(*Dib, RowFromTop(*Dib, y), width, bits, s->Row.data());
      JSAMPROW row = s->Row.data();
      jpeg_write_scanlines(info, &row, 1);
    }
  }
  jpeg_finish_compress(info);
  return true;
}

}  // namespace

bool DecodeJpeg(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDib* Out) {
  TJpegDecode s;
  InitError(s.Err);
  s.Progress.Pub.progress_monitor = ProgressMonitor;
  s.Progress.Reporter = &Progress;
  if (!RunDecode(&s, Data, Size)) return false;
  if (!ApplyOrientation(*s.Dib, JpegExifOrientation(Data, Size))) return false;
  s.Dib.ReleaseTo(Out);
  return true;
}

bool WriteJpeg(const TDib& Dib, const std::string& FileName, int Quality) {
  const int bits = Dib.Header->biBitCount;
  if (Dib.Header->biWidth <= 0 || Dib.Header->biHeight <= 0 || Dib.Header->biWidth > JPEG_MAX_DIMENSION ||
      Dib.Header->biHeight > JPEG_MAX_DIMENSION)
    return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return false;
  TOutputFile file(FileName);
  if (!file.Get()) return false;
  TJpegEncode s;
  InitError(s.Err);
  if (!RunEncode(&s, &Dib, file.Get(), Quality)) return false;
  return file.Finish();
}

}  // namespace pictaro
