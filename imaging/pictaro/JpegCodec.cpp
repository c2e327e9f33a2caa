// JPEG through libjpeg(-turbo): decoding straight into the picture's rows in blue-green-red order (a
// picture whose EXIF orientation says it lies on its side goes through a band of a few rows and is
// turned upright on the way), and encoding from them, bottom row last, into memory; never a second
// copy of the whole picture.
//
// libjpeg reports errors by calling error_exit, which must not return; ours longjmps back into the one
// function that called setjmp. That function and the library frames it calls hold no C++ objects with
// destructors: everything owned lives in a state record of the caller, whose destructor ends libjpeg's
// state, so a longjmp skips nothing that needs cleaning up.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "imaging/pictaro/JpegHeader.h"
#include "imaging/pictaro/PhotoTurn.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PictaroDecode.h"
#include "imaging/pictaro/Codecs.h"
#include "imaging/pictaro/DibAlloc.h"
#include "imaging/pictaro/FileWriter.h"

namespace pictaro {
namespace {

// A progressive file may hold thousands of tiny scans that each cost a pass over the picture; real
// encoders write about ten. Beyond this many, the file is hostile.
constexpr int MaxScans = 1000;

struct TJpegError {
  jpeg_error_mgr Pub;
  std::jmp_buf Jump;
  bool Strict;  // every warning ends the decoding
};

[[noreturn]] void ErrorExit(j_common_ptr Info) {
  std::longjmp(reinterpret_cast<TJpegError*>(Info->err)->Jump, 1);
}

void EmitMessage(j_common_ptr Info, int Level) {
  // A file that ends early, or a scan that ends at a marker before its last row, decodes to grey
  // rows; we treat it as the broken file it is. Other warnings (stray bytes before a marker, common
  // in camera files) are let through, unless the decoding is strict.
  if (Level >= 0) return;
  const int code = Info->err->msg_code;
  if (reinterpret_cast<TJpegError*>(Info->err)->Strict || code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)
    ErrorExit(Info);
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
  const double part =
      (p.completed_passes + static_cast<double>(p.pass_counter) / p.pass_limit) / p.total_passes;
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
  const std::string* Icc = nullptr;          // the file's profile, as ReadJpegIccProfile joined it
  const TColorReading* Reading = nullptr;    // the caller's colour management, if any
  TColorProfilePtr CmykProfile;              // a CMYK file's own profile, which its pixels are converted with
  std::vector<uint8_t> Band;              // decoded rows waiting to be turned upright
  int64_t FullWidth = 0, FullHeight = 0;  // the stored size at full scale
  ~TJpegDecode() {
    if (Created) jpeg_destroy_decompress(&Info);
  }
};

// Converts one row of CMYK samples to blue, green, red by the plain formula, for files without a
// profile. Adobe files store the inks inverted.
void CmykToBgr(const uint8_t* Cmyk, int Width, bool Inverted, uint8_t* Bgr) {
  for (int x = 0; x < Width; ++x, Cmyk += 4, Bgr += 3) {
    unsigned c = Cmyk[0], m = Cmyk[1], y = Cmyk[2], k = Cmyk[3];
    if (!Inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    Bgr[0] = static_cast<uint8_t>((y * k + 127) / 255);
    Bgr[1] = static_cast<uint8_t>((m * k + 127) / 255);
    Bgr[2] = static_cast<uint8_t>((c * k + 127) / 255);
  }
}

// Reads the next Count rows into Rows, as blue-green-red (or grey) samples.
bool ReadRows(TJpegDecode* s, JSAMPROW* Rows, JDIMENSION Count, bool Cmyk) {
  jpeg_decompress_struct* info = &s->Info;
  for (JDIMENSION done = 0; done < Count;) {
    if (Cmyk) {
      JSAMPROW row = s->CmykRow.data();
      if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
      const auto width = static_cast<int>(info->output_width);
      if (!s->CmykProfile ||
          !s->Reading->CmykToSrgb(*s->CmykProfile, info->saw_Adobe_marker, row, Rows[done], static_cast<size_t>(width)))
        CmykToBgr(row, width, info->saw_Adobe_marker, Rows[done]);
      ++done;
    } else {
      // Several rows per call lets the library hand over a whole block row at once.
      const JDIMENSION n = jpeg_read_scanlines(info, Rows + done, Count - done);
      if (n == 0) return false;
      done += n;
    }
  }
  return true;
}

// A CMYK file goes into the program as sRGB: through its own profile when it has one and the caller
// handed in colour management.
void PrepareCmyk(TJpegDecode* s) {
  if (s->Reading && s->Icc && !s->Icc->empty())
    s->CmykProfile = s->Reading->ReadProfile(reinterpret_cast<const uint8_t*>(s->Icc->data()), s->Icc->size(), 4);
}

// Rows decoded at a time when the picture is turned on the way in.
constexpr JDIMENSION BandRows = 32;

// Puts Count decoded rows, the first being row Y0 from the top of the stored W x H picture, into Out
// turned upright by Orientation (2..8, the EXIF values), Bpp bytes per pixel. The pixel at stored
// (sx, sy) lands on upright (X, Y) = (x0 + sx * dX, y0 + sx * dY) with x0, y0, dX, dY chosen per
// orientation; the inverse of the mapping ApplyOrientation gathers by.
void PlaceBand(const TDib& Out, const uint8_t* Band, size_t BandStride, int64_t Y0, int64_t Count, int64_t W,
               int64_t H, int Bpp, int Orientation) {
  uint8_t* start[BandRows];
  int64_t step = 0;
  for (int64_t i = 0; i < Count; ++i) {
    const int64_t sy = Y0 + i;
    int64_t x0, y0, dx, dy;
    switch (Orientation) {
      case 2: x0 = W - 1, y0 = sy, dx = -1, dy = 0; break;
      case 3: x0 = W - 1, y0 = H - 1 - sy, dx = -1, dy = 0; break;
      case 4: x0 = 0, y0 = H - 1 - sy, dx = 1, dy = 0; break;
      case 5: x0 = sy, y0 = 0, dx = 0, dy = 1; break;
      case 6: x0 = H - 1 - sy, y0 = 0, dx = 0, dy = 1; break;
      case 7: x0 = H - 1 - sy, y0 = W - 1, dx = 0, dy = -1; break;
      default: x0 = sy, y0 = W - 1, dx = 0, dy = -1; break;
    }
    start[i] = RowFromTop(Out, y0) + x0 * Bpp;
    // Stored rows run bottom-up, so a step down the picture is a step back in memory.
    step = dx * Bpp - dy * Out.RowBytes;
  }
  const auto copy = [Bpp](uint8_t* To, const uint8_t* From) {
    if (Bpp == 3)
      To[0] = From[0], To[1] = From[1], To[2] = From[2];
    else
      To[0] = From[0];
  };
  if (Orientation < 5) {
    // Each row stays a row: walk it along.
    for (int64_t i = 0; i < Count; ++i) {
      const uint8_t* from = Band + i * BandStride;
      uint8_t* to = start[i];
      for (int64_t sx = 0; sx < W; ++sx, from += Bpp, to += step) copy(to, from);
    }
  } else {
    // Each row becomes a column: the band's rows for one stored column are neighbours in one upright
    // row, so going column by column writes memory in runs instead of one pixel per row.
    for (int64_t sx = 0; sx < W; ++sx)
      for (int64_t i = 0; i < Count; ++i) copy(start[i] + sx * step, Band + i * BandStride + sx * Bpp);
  }
}

// Decodes into a new picture, turned upright by Orientation (1..8) as it is decoded, so that the
// picture exists only once in memory. A Scale asking for anything decodes at the smallest of the
// library's DCT scales 1/8, 1/4, 1/2 whose upright picture is still that large (full size when none
// is); the IDCT of a scaled decoding works on fewer coefficients and writes a fraction of the pixels.
bool RunDecode(TJpegDecode* s, const uint8_t* Data, size_t Size, int Orientation, const TJpegScale& Scale) {
  jpeg_decompress_struct* info = &s->Info;
  info->err = &s->Err.Pub;
  s->Err.Strict = Scale.Strict;
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
  s->FullWidth = info->image_width, s->FullHeight = info->image_height;
  if (cmyk) PrepareCmyk(s);
  const bool swap = Orientation >= 5;
  if (Scale.MinLongSide > 0 || Scale.MinWidth > 0 || Scale.MinHeight > 0) {
    for (unsigned denom = 8; denom > 1; denom /= 2) {
      info->scale_num = 1, info->scale_denom = denom;
      jpeg_calc_output_dimensions(info);
      const int64_t across = swap ? info->output_height : info->output_width;
      const int64_t down = swap ? info->output_width : info->output_height;
      if (std::max(across, down) >= Scale.MinLongSide && across >= Scale.MinWidth && down >= Scale.MinHeight)
        break;
      info->scale_denom = 1;
    }
    // A picture decoded at a reduced scale is shown small or averaged down further: smoothing its
    // chroma as it is upsampled costs a tenth of the decoding and shows nowhere. A thumbnail gains
    // nothing from smoothed block edges either.
    if (info->scale_denom > 1 || Scale.Fast) info->do_fancy_upsampling = FALSE;
    if (Scale.Fast) info->do_block_smoothing = FALSE;
  }
  jpeg_calc_output_dimensions(info);
  const int64_t w = info->output_width, h = info->output_height;
  // Every pixel of every row is written below before the picture is handed out, so the rows need no
  // clearing (a failed decode discards the picture).
  if (!AllocDib(s->Dib.Get(), swap ? h : w, swap ? w : h, grey ? 8 : 24, TPixels::Unset)) return false;
  if (grey) SetGreyColors(*s->Dib);
  if (cmyk) s->CmykRow.resize(static_cast<size_t>(w) * 4);
  const int bpp = grey ? 1 : 3;
  if (Orientation != 1) s->Band.resize(static_cast<size_t>(w) * bpp * BandRows);

  // At 1/8 scale a block becomes one pixel, its DC coefficient's average: a progressive picture has all
  // of those after its first scans, so the rest of the file is never decoded. The DC may still lack
  // its last refinement bits, an error of a few levels at most, invisible at that size.
  const bool dcOnly = Scale.Fast && info->scale_denom == 8 && info->progressive_mode;
  if (dcOnly) info->buffered_image = TRUE;
  jpeg_start_decompress(info);
  if (info->output_width != w || info->output_height != h) return false;
  if (dcOnly) {
    for (bool haveDc = false; !haveDc;) {
      const int result = jpeg_consume_input(info);
      if (result == JPEG_SUSPENDED) return false;
      haveDc = result == JPEG_REACHED_EOI;
      if (result == JPEG_SCAN_COMPLETED) {
        haveDc = true;
        for (int c = 0; c < info->num_components; ++c) haveDc = haveDc && info->coef_bits[c][0] >= 0;
      }
    }
    jpeg_start_output(info, info->input_scan_number);
  }
  const TDib& dib = *s->Dib;
  while (info->output_scanline < info->output_height) {
    const JDIMENSION y = info->output_scanline;
    JSAMPROW rows[BandRows];
    const JDIMENSION count = std::min<JDIMENSION>(Orientation == 1 ? 16 : BandRows, info->output_height - y);
    if (Orientation == 1) {
      for (JDIMENSION i = 0; i < count; ++i) rows[i] = RowFromTop(dib, y + i);
      if (!ReadRows(s, rows, count, cmyk)) return false;
    } else {
      const size_t stride = static_cast<size_t>(w) * bpp;
      for (JDIMENSION i = 0; i < count; ++i) rows[i] = s->Band.data() + i * stride;
      if (!ReadRows(s, rows, count, cmyk)) return false;
      PlaceBand(dib, s->Band.data(), stride, y, count, w, h, bpp, Orientation);
    }
  }
  // The scans not read are left unread: the owner's destructor ends libjpeg's state either way.
  if (!dcOnly) jpeg_finish_decompress(info);
  return true;
}

// libjpeg's output goes through a fixed buffer that is appended to a growing string whenever it
// fills, and once more at the end. The string's growth may throw, which must not unwind through
// libjpeg: a failed append ends the encoding through error_exit instead.
struct TStringDestination {
  jpeg_destination_mgr Pub;
  std::string* Bytes;
  uint8_t Buffer[16 * 1024];
};

bool AppendOutput(j_compress_ptr Info, size_t Size) {
  auto* dest = reinterpret_cast<TStringDestination*>(Info->dest);
  try {
    dest->Bytes->append(reinterpret_cast<const char*>(dest->Buffer), Size);
    return true;
  } catch (...) {
    return false;
  }
}

void InitDestination(j_compress_ptr Info) {
  auto* dest = reinterpret_cast<TStringDestination*>(Info->dest);
  dest->Pub.next_output_byte = dest->Buffer;
  dest->Pub.free_in_buffer = sizeof dest->Buffer;
}

boolean EmptyOutputBuffer(j_compress_ptr Info) {
  if (!AppendOutput(Info, sizeof(TStringDestination::Buffer))) ERREXIT(Info, JERR_OUT_OF_MEMORY);
  InitDestination(Info);
  return TRUE;
}

void TermDestination(j_compress_ptr Info) {
  auto* dest = reinterpret_cast<TStringDestination*>(Info->dest);
  if (!AppendOutput(Info, sizeof dest->Buffer - dest->Pub.free_in_buffer)) ERREXIT(Info, JERR_OUT_OF_MEMORY);
}

struct TJpegEncode {
  jpeg_compress_struct Info{};
  TJpegError Err{};
  TStringDestination Dest{};
  bool Created = false;
  std::vector<uint8_t> Row;
  ~TJpegEncode() {
    if (Created) jpeg_destroy_compress(&Info);
  }
};

// Expands one stored row of a picture with a colour table into blue, green, red.
void IndexedToBgr(const TDib& Dib, const uint8_t* Row, int Width, int Bits, uint8_t* Bgr) {
  for (int x = 0; x < Width; ++x, Bgr += 3) {
    unsigned i = Bits == 8   ? Row[x]
                 : Bits == 4 ? ((x & 1) ? Row[x >> 1] & 0x0F : Row[x >> 1] >> 4)
                             : (Row[x >> 3] >> (7 - (x & 7))) & 1;
    const TDibColor& c = Dib.Colors[i];
    Bgr[0] = c.Blue, Bgr[1] = c.Green, Bgr[2] = c.Red;
  }
}

// One stored row as grey levels: each pixel's red channel.
void RowToGrey(const TDib& Dib, const uint8_t* Row, int Width, int Bits, uint8_t* Grey) {
  for (int x = 0; x < Width; ++x) {
    if (Bits >= 24) {
      Grey[x] = Row[static_cast<size_t>(x) * (Bits / 8) + 2];
    } else {
      const unsigned i = Bits == 8   ? Row[x]
                         : Bits == 4 ? ((x & 1) ? Row[x >> 1] & 0x0F : Row[x >> 1] >> 4)
                                     : (Row[x >> 3] >> (7 - (x & 7))) & 1;
      Grey[x] = Dib.Colors[i].Red;
    }
  }
}

bool RunEncode(TJpegEncode* s, const TDib* Dib, std::string* Bytes, int Quality, bool Grey) {
  jpeg_compress_struct* info = &s->Info;
  info->err = &s->Err.Pub;
  if (setjmp(s->Err.Jump)) return false;
  s->Created = true;
  jpeg_create_compress(info);
  s->Dest.Pub.init_destination = InitDestination;
  s->Dest.Pub.empty_output_buffer = EmptyOutputBuffer;
  s->Dest.Pub.term_destination = TermDestination;
  s->Dest.Bytes = Bytes;
  info->dest = &s->Dest.Pub;
  const int width = Dib->Header->biWidth, height = Dib->Header->biHeight, bits = Dib->Header->biBitCount;
  info->image_width = static_cast<JDIMENSION>(width);
  info->image_height = static_cast<JDIMENSION>(height);
  // 32-bit pixels are blue, green, red and a byte nobody reads.
  info->input_components = Grey ? 1 : bits == 32 ? 4 : 3;
  info->in_color_space = Grey ? JCS_GRAYSCALE : bits == 32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
  jpeg_set_defaults(info);
  jpeg_set_quality(info, Quality, TRUE);
  jpeg_start_compress(info, TRUE);
  if (bits < 24 || Grey) s->Row.resize(static_cast<size_t>(width) * 3);
  while (info->next_scanline < info->image_height) {
    const JDIMENSION y = info->next_scanline;
    if (Grey) {
      RowToGrey(*Dib, RowFromTop(*Dib, y), width, bits, s->Row.data());
      JSAMPROW row = s->Row.data();
      jpeg_write_scanlines(info, &row, 1);
    } else if (bits >= 24) {
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

bool DecodeJpeg(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDecodeColor& Color, TDib* Out,
                int Turn) {
  TJpegScale scale;
  scale.Turn = Turn;
  int fullWidth = 0, fullHeight = 0;
  return DecodeJpegScaled(Data, Size, scale, Progress, Color, Out, &fullWidth, &fullHeight);
}

bool DecodeJpegScaled(const uint8_t* Data, size_t Size, const TJpegScale& Scale, TProgressReporter& Progress,
                      TDecodeColor& Color, TDib* Out, int* FullWidth, int* FullHeight) {
  TJpegDecode s;
  InitError(s.Err);
  s.Progress.Pub.progress_monitor = ProgressMonitor;
  s.Progress.Reporter = &Progress;
  ReadJpegIccProfile(Data, Size, Color.Icc);
  s.Icc = &Color.Icc;
  s.Reading = Color.Reading;
  const int orientation = TurnedOrientation(JpegExifOrientation(Data, Size), Scale.Turn);
  if (!RunDecode(&s, Data, Size, orientation, Scale)) return false;
  // A CMYK picture is sRGB now; a grey or RGB one keeps its numbers and its profile.
  if (s.Info.out_color_space == JCS_CMYK) Color.Icc.clear();
  Color.Channels = s.Info.out_color_space == JCS_GRAYSCALE ? 1 : 3;
  const bool swap = orientation >= 5;
  *FullWidth = static_cast<int>(swap ? s.FullHeight : s.FullWidth);
  *FullHeight = static_cast<int>(swap ? s.FullWidth : s.FullHeight);
  s.Dib.ReleaseTo(Out);
  return true;
}

bool DecodeJpegTurned(const uint8_t* Data, size_t Size, int Orientation, TDib* Out) {
  TJpegDecode s;
  InitError(s.Err);
  TProgressReporter silent(nullptr);
  s.Progress.Pub.progress_monitor = ProgressMonitor;
  s.Progress.Reporter = &silent;
  if (!RunDecode(&s, Data, Size, Orientation, TJpegScale{})) return false;
  s.Dib.ReleaseTo(Out);
  return true;
}

bool EncodeJpeg(const TDib& Dib, int Quality, std::string& Bytes, bool Grey) {
  Bytes.clear();
  const int bits = Dib.Header->biBitCount;
  static_assert(KMaxJpegSide == JPEG_MAX_DIMENSION);
  if (Dib.Header->biWidth <= 0 || Dib.Header->biHeight <= 0 || Dib.Header->biWidth > KMaxJpegSide ||
      Dib.Header->biHeight > KMaxJpegSide)
    return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  TJpegEncode s;
  InitError(s.Err);
  if (RunEncode(&s, &Dib, &Bytes, Quality, Grey)) return true;
  Bytes.clear();
  return false;
}

bool WriteJpeg(const TDib& Dib, const std::string& FileName, int Quality) {
  // Encoded first, so a picture the encoder refuses leaves no file behind at all.
  std::string bytes;
  if (!EncodeJpeg(Dib, Quality, bytes)) return false;
  TOutputFile file(FileName);
  return file.Get() && file.Write(bytes.data(), bytes.size()) && file.Finish();
}

}  // namespace pictaro
