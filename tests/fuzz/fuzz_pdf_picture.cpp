// A decoded picture placed on a page through TPDFCanvas and written out: whatever the picture
// decoders make of arbitrary bytes must place, spool, encode (JPEG, or JBIG2 for 1 bit per pixel) and
// write without a crash or a leak, in memory bounded by the picture limit, and the file must end in a
// cross-reference table that its trailer points to.
//
// Input: the rectangle (X, Y, Width, Height, 16 bits each, signed), a byte of flags (bit 0: place the
// picture a second time, bit 1: on a new page, bit 2: at most 30 pixels per inch, so that it is scaled
// down, bit 3: a JPEG's own bytes where they can go as they are), then the picture file's bytes.

#include <memory>
#include <string>

#include "FuzzCheck.h"
#include "imaging/pictaro/JpegHeader.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PictaroDecode.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/PictureEncoding.h"
#include "pdf/PictureSpool.h"
#include "platform/SafeFile.h"

namespace {

// The writer measures no text here; fonts are never selected.
class TNoFonts final : public TFontMetrics {
 public:
  void SelectFont(std::string_view, TFontStyles, int32_t) override {}
  int32_t LineHeight() override { return 0; }
  TTextExtent TextExtent(std::string_view) override { return {0, 0}; }
  bool OutlineMetrics(TOutlineMetrics&) override { return false; }
  TPlainMetrics PlainMetrics() override { return {}; }
};

// The offset after "startxref" must point at the line "xref".
bool TrailerPointsAtTable(const std::string& Pdf) {
  const size_t at = Pdf.rfind("startxref\n");
  if (at == std::string::npos || Pdf.compare(0, 9, "%PDF-1.3\n") != 0 || !Pdf.ends_with("\n%%EOF"))
    return false;
  const unsigned long long offset = std::strtoull(Pdf.c_str() + at + 10, nullptr, 10);
  return offset < Pdf.size() && Pdf.compare(offset, 5, "xref\n") == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  // Each picture is held once decoded and once more while it is encoded; keep that well inside the
  // fuzzer's memory limit and each run short.
  static const uint64_t limit = SetPictureLimit(2'000'000);
  (void)limit;
  TFuzzInput in(Data, Size);
  const auto x = static_cast<int16_t>(in.U16()), y = static_cast<int16_t>(in.U16());
  const auto width = static_cast<int16_t>(in.U16()), height = static_cast<int16_t>(in.U16());
  const uint8_t flags = in.U8();

  TDibHolder picture;
  if (!DecodePicture(in.Rest(), in.RestSize(), -1, nullptr, picture.Receive())) return 0;
  const TDib& dib = picture.Get();
  TPictureSource source = TPictureSource::Of(dib);
  // As the export does: only bytes libjpeg reads without a warning may go in as they are.
  if ((flags & 8) && ReadJpegHeader(in.Rest(), in.RestSize(), source.Header) &&
      JpegDecodesCleanly(in.Rest(), source.Header.Length))
    source.Jpeg = std::string_view(reinterpret_cast<const char*>(in.Rest()), in.RestSize());

  TTempFile pdf("fuzzpdf", ".pdf");
  TPDFCanvas canvas(std::make_shared<TNoFonts>());
  canvas.ImageDpi = (flags & 4) ? 30 : 0;
  canvas.KeepJpeg = (flags & 8) != 0;
  FuzzCheck(canvas.BeginDoc(pdf.Path()), "BeginDoc failed");
  TEncodedPicture scratch;
  canvas.EncodePlaced(canvas.PlacePicture(x, y, width, height, source), source, scratch);
  if (flags & 1) {
    if (flags & 2) canvas.NewPage();
    canvas.DrawDIB(y, x, height, width, dib, 0, 0, DibWidth(dib), DibHeight(dib));
  }
  picture.Reset();  // the writer must not need the caller's picture any more
  canvas.EndDoc();

  std::string bytes;
  FuzzCheck(ReadWholeFile(pdf.Path(), bytes).Ok(), "the PDF file cannot be read");
  FuzzCheck(TrailerPointsAtTable(bytes), "the trailer does not point at the cross-reference table");
  return 0;
}
