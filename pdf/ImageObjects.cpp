// Pictures placed on the pages: DrawDIB and DrawOwnedDIB write the placement operators at once and
// have the picture encoded into the document's spool (DrawOwnedDIB on the encoder's thread), and
// EndDoc copies every spooled picture into its image object(s), JPEG for colour pictures and JBIG2 (an
// image and a globals object) for black-and-white ones. The page resources already name every record
// of FImages by object number (XObjectNames), so each record always produces its object or objects
// here: a picture that could not be encoded or read back is written as a small white stand-in of the
// same kind, and counted in MissingPictures.

#include <new>
#include <string>

#include "imaging/Pictaro.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/PdfFormat.h"
#include "pdf/PictureEncoder.h"
#include "pdf/PictureEncoding.h"
#include "pdf/PictureSpool.h"

namespace {

// Moves D one unit towards zero: the box an image is mapped to spans d - 1 units for d pixels.
int64_t TowardsZero(int32_t D) { return D > 0 ? int64_t(D) - 1 : int64_t(D) + 1; }

}  // namespace

int32_t TPDFCanvas::PlacePicture(int32_t X, int32_t Y, int32_t Width, int32_t Height, bool Bilevel) {
  if (!FSpool) FSpool = std::make_unique<TPictureSpool>();
  TPdfImage* record = FImages->Append();
  if (!record) throw std::bad_alloc();
  *record = TPdfImage{Bilevel, false, 0, 0, 0, 0, 0};
  const int32_t number = static_cast<int32_t>(FImages->Count) - 1;

  const int64_t w = TowardsZero(Width), h = TowardsZero(Height);
  WriteLine("q");
  FLine.clear();
  AppendInt(FLine, w);
  FLine += " 0 0 ";
  AppendInt(FLine, h);
  FLine += ' ';
  AppendInt(FLine, X);
  FLine += ' ';
  AppendInt(FLine, int64_t(PageHeight) - Y - h);
  FLine += " cm";
  WriteLine();
  FLine.assign("/Im");
  AppendInt(FLine, number);
  FLine += " Do";
  WriteLine();
  WriteLine("Q");
  return number;
}

void TPDFCanvas::CollectEncoded() {
  if (!FEncoder) return;
  const std::optional<TSpooledPicture> done = FEncoder->Wait();
  if (!done) return;
  TPdfImage& record = (*FImages)[done->Index];
  record.Encoded = done->Encoded;
  record.Width = done->Width;
  record.Height = done->Height;
  record.Offset = done->Offset;
  record.DataSize = done->DataSize;
  record.GlobalsSize = done->GlobalsSize;
}

void TPDFCanvas::DrawDIB(int32_t X, int32_t Y, int32_t Width, int32_t Height, TDib Dib, int32_t SrcX,
                         int32_t SrcY, int32_t SrcWidth, int32_t SrcHeight) {
  (void)SrcX, (void)SrcY;  // the whole picture is always placed
  if (!FActive || Width == 0 || Height == 0 || SrcWidth == 0 || SrcHeight == 0) return;
  const TPictureKind kind = PlacedKind(Dib);
  if (kind == TPictureKind::None) return;
  try {
    const int32_t number = PlacePicture(X, Y, Width, Height, kind == TPictureKind::Jbig2);
    CollectEncoded();  // the spool is appended to by one thread at a time
    if (!FEncodeBuffer) FEncodeBuffer = std::make_unique<TEncodedPicture>();
    const TSpooledPicture done = TPictureEncoder::EncodeNow(Dib, kind, number, *FSpool, *FEncodeBuffer);
    TPdfImage& record = (*FImages)[number];
    record.Encoded = done.Encoded;
    record.Width = done.Width;
    record.Height = done.Height;
    record.Offset = done.Offset;
    record.DataSize = done.DataSize;
    record.GlobalsSize = done.GlobalsSize;
  } catch (...) {
    Abandon();
    throw;
  }
}

void TPDFCanvas::DrawOwnedDIB(int32_t X, int32_t Y, int32_t Width, int32_t Height, TDib Dib) {
  TDibHolder picture(Dib);
  if (!FActive || Width == 0 || Height == 0) return;
  const TPictureKind kind = PlacedKind(Dib);
  if (kind == TPictureKind::None) return;
  try {
    const int32_t number = PlacePicture(X, Y, Width, Height, kind == TPictureKind::Jbig2);
    if (!FEncoder) FEncoder = std::make_unique<TPictureEncoder>(*FSpool);
    CollectEncoded();
    FEncoder->Submit(picture.Release(), kind, number);
  } catch (...) {
    Abandon();
    throw;
  }
}

void TPDFCanvas::WriteImages() {
  CollectEncoded();
  for (uint32_t k = 0; k < FImages->Count; ++k) WriteImage((*FImages)[static_cast<int32_t>(k)]);
}

void TPDFCanvas::WriteImage(const TPdfImage& Image) {
  // The kind is the one the page resources counted.
  const bool encoded =
      Image.Encoded && FSpool &&
      FSpool->Read(Image.Offset, static_cast<size_t>(Image.DataSize + Image.GlobalsSize), FImageBytes);
  if (!encoded) ++FMissingPictures;
  const std::string_view bytes(FImageBytes);
  const std::string_view data = encoded ? bytes.substr(0, Image.DataSize) : std::string_view();
  const std::string_view globals = encoded ? bytes.substr(Image.DataSize) : std::string_view();

  const int64_t number = FObjects->Count;
  std::string dictionary;
  if (Image.Bilevel) {
    dictionary = "<<\n/Type /XObject /Subtype /Image\n/Width ";
    AppendInt(dictionary, encoded ? Image.Width : 1);
    dictionary += " /Height ";
    AppendInt(dictionary, encoded ? Image.Height : 1);
    dictionary += " /BitsPerComponent 1\n/Length ";
    if (encoded) {
      AppendInt(dictionary, int64_t(data.size()));
      dictionary += " /ColorSpace /DeviceGray /Filter /JBIG2Decode /DecodeParms << /JBIG2Globals ";
      AppendInt(dictionary, number + 1);
      dictionary += " 0 R>>\n>>";
      WriteImageStream(dictionary, data);
    } else {
      // One white pixel, uncompressed; the globals object below still takes its number.
      dictionary += "1 /ColorSpace /DeviceGray\n>>";
      WriteImageStream(dictionary, std::string_view("\x80", 1));
    }
    dictionary = "<<\n/Length ";
    AppendInt(dictionary, int64_t(globals.size()));
    dictionary += "\n>>";
    WriteImageStream(dictionary, globals);
  } else if (encoded) {
    dictionary = "<< /Type /XObject /Subtype /Image /Width ";
    AppendInt(dictionary, Image.Width);
    dictionary += " /Height ";
    AppendInt(dictionary, Image.Height);
    // The length counts the line feed after the data too, as the page streams' lengths do.
    dictionary += " /BitsPerComponent 8 /ColorSpace /DeviceRGB /Length ";
    AppendInt(dictionary, int64_t(data.size()) + 1);
    dictionary += " /Filter /DCTDecode >>";
    WriteImageStream(dictionary, data);
  } else {
    WriteImageStream(
        "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray "
        "/Length 1 >>",
        std::string_view("\xFF", 1));
  }
}

void TPDFCanvas::WriteImageStream(std::string_view Dictionary, std::string_view Data) {
  BeginObject();
  WriteLine(Dictionary);
  WriteLine("stream");
  WriteRaw(Data);
  WriteRaw("\n");
  WriteLine("endstream");
  EndObject();
}

void TPDFCanvas::RemovePendingImages() noexcept {
  FEncoder.reset();  // lets a picture being encoded finish, then frees it
  FSpool.reset();    // removes the file
  FImages->Clear();
  FImageBytes.clear();
  FImageBytes.shrink_to_fit();
}
