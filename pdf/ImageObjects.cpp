// Pictures placed on the pages: DrawDIB spools each one to a temporary BMP file, and EndDoc turns
// every spooled picture into its image object(s), JPEG for colour pictures and JBIG2 (an image and a
// globals object) for pictures of 1 bit per pixel. The page resources already name every record of
// FImages by object number (XObjectNames), so each record always produces its object or objects here:
// a picture that cannot be read back or encoded is written as a small white stand-in of the same kind.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "imaging/Jbig2Encode.h"
#include "imaging/Pictaro.h"
#include "imaging/PictaroMemory.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/PdfFormat.h"
#include "pdf/PictureSpool.h"
#include "platform/SystemError.h"

namespace {

struct TFreeDeleter {
  void operator()(void* Block) const { std::free(Block); }
};

// Moves D one unit towards zero: the box an image is mapped to spans d - 1 units for d pixels.
int64_t TowardsZero(int32_t D) { return D > 0 ? int64_t(D) - 1 : int64_t(D) + 1; }

// The picture as a JPEG file's bytes, the very bytes the library's JPEG writer puts in a file, encoded
// straight into memory: a temporary file would only add a write and a read of every byte. False when
// the library refuses the picture or memory runs out.
bool EncodeJpeg(const TDib& Picture, std::string& Bytes) { return EncodeDib(Picture, 7, Bytes) == 1; }

// The picture's JBIG2 page and globals data through the encoder, which works from files: the picture
// as a 1-bit BMP in, the two streams out. Each of the three files is created before any is written, so
// their names always differ.
bool EncodeJbig2(const TDib& Picture, std::string& Page, std::string& Globals) {
  try {
    TTempFile input("tempim", ".bmp");
    TTempFile globals("tempim0", ".bmp");
    TTempFile page("tempim1", ".bmp");
    if (SaveDib(Picture, input.CPath(), 3, 0) != 1) return false;
    if (jbig2encode(input.CPath(), globals.CPath(), page.CPath()) != Jbig2Ok) return false;
    input.Remove();
    return ReadSpoolFile(page.Path(), Page) && !Page.empty() && ReadSpoolFile(globals.Path(), Globals);
  } catch (const TSystemError&) {
    return false;
  }
}

}  // namespace

void TPDFCanvas::DrawDIB(int32_t X, int32_t Y, int32_t Width, int32_t Height, TDib Dib, int32_t SrcX,
                         int32_t SrcY, int32_t SrcWidth, int32_t SrcHeight) {
  (void)SrcX, (void)SrcY;  // the whole picture is always placed
  if (!FActive || !Dib.Bits || !Dib.Header) return;
  if (Width == 0 || Height == 0 || SrcWidth == 0 || SrcHeight == 0) return;
  if (DibWidth(Dib) <= 0 || DibHeight(Dib) <= 0) return;
  try {
    TDib picture = Dib;
    TDibHolder converted;  // a 24-bit copy made here, freed on every way out
    const int sourceBits = DibBitCount(picture);
    // Only a black-and-white picture stays bilevel; a 1-bit picture in other colours is placed like
    // any palette picture, so that its colours reach the page.
    const bool bilevel = IsBlackAndWhite(picture);
    const bool placeable = sourceBits == 1 || sourceBits == 4 || sourceBits == 8 || sourceBits >= 24;
    if (placeable && !bilevel && (DibWidth(picture) > KMaxJpegSide || DibHeight(picture) > KMaxJpegSide)) {
      // Too wide or too high for JPEG: what counts is the size it is placed at, so the picture is
      // shrunk to fit instead of being lost.
      ShrinkDib(converted.Receive(), picture, KMaxJpegSide);
      if (!converted.Get().Bits) throw std::bad_alloc();
      picture = converted.Get();
    } else if (sourceBits < 24 && !bilevel) {
      if (ConvertTo24Bit(picture))
        *converted.Receive() = picture;
      else if (placeable)
        throw std::bad_alloc();  // only a failed allocation keeps these depths from converting
    }
    const int bits = DibBitCount(picture);
    if (bits < 24 && bits != 1) return;

    TTempFile spool = SpoolPicture(picture);
    std::unique_ptr<TBitmapInfoHeader, TFreeDeleter> header(
        static_cast<TBitmapInfoHeader*>(std::malloc(sizeof(TBitmapInfoHeader))));
    std::unique_ptr<char, TFreeDeleter> name(strdup(spool.CPath()));
    if (!header || !name) throw std::bad_alloc();
    *header = *picture.Header;
    converted.Reset();  // the pixels are on disk now

    TPdfImage* record = FImages->Append();
    if (!record) throw std::bad_alloc();
    const int64_t number = int64_t(FImages->Count) - 1;
    record->Picture = picture;
    record->Picture.Header = header.release();
    record->Picture.Bits = nullptr;
    record->Picture.Made = 0;
    record->Picture.HasPalette = 0;
    record->Picture.Palette = nullptr;
    record->FileName = name.release();
    spool.Release();

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
  } catch (...) {
    Abandon();
    throw;
  }
}

void TPDFCanvas::WriteImages() {
  // Each spool file has done its job once its picture is written, and goes while the next picture
  // is encoded; all are gone when this returns.
  TSpoolRemoval removal;
  for (uint32_t k = 0; k < FImages->Count; ++k) {
    TPdfImage& image = (*FImages)[static_cast<int32_t>(k)];
    WriteImage(image);
    if (!image.FileName) continue;
    std::string path = image.FileName;  // should this throw, the record still owns its file
    std::free(image.FileName);
    image.FileName = nullptr;
    removal.Remove(std::move(path));
  }
}

void TPDFCanvas::WriteImage(const TPdfImage& Image) {
  // The kind is the one the page resources counted, whatever the file holds now.
  const bool bilevel = DibBitCount(Image.Picture) == 1;
  std::string data, globals;
  int32_t width = 1, height = 1;
  bool encoded = false;
  {
    TDibHolder picture;  // one picture in memory at a time, gone before its bytes are written
    if (Image.FileName && ReadSpooledPicture(Image.FileName, picture.Receive()) == 1) {
      width = DibWidth(picture.Get());
      height = DibHeight(picture.Get());
      encoded = bilevel ? EncodeJbig2(picture.Get(), data, globals) : EncodeJpeg(picture.Get(), data);
    }
  }
  if (!encoded) {
    width = height = 1;
    ++FMissingPictures;
  }

  const int64_t number = FObjects->Count;
  std::string dictionary;
  if (bilevel) {
    dictionary = "<<\n/Type /XObject /Subtype /Image\n/Width ";
    AppendInt(dictionary, width);
    dictionary += " /Height ";
    AppendInt(dictionary, height);
    dictionary += " /BitsPerComponent 1\n/Length ";
    if (encoded) {
      AppendInt(dictionary, int64_t(data.size()));
      dictionary += " /ColorSpace /DeviceGray /Filter /JBIG2Decode /DecodeParms << /JBIG2Globals ";
      AppendInt(dictionary, number + 1);
      dictionary += " 0 R>>\n>>";
    } else {
      // One white pixel, uncompressed; the globals object below still takes its number.
      data.assign(1, '\x80');
      globals.clear();
      dictionary += "1 /ColorSpace /DeviceGray\n>>";
    }
    WriteImageStream(dictionary, data);
    dictionary = "<<\n/Length ";
    AppendInt(dictionary, int64_t(globals.size()));
    dictionary += "\n>>";
    WriteImageStream(dictionary, globals);
  } else if (encoded) {
    dictionary = "<< /Type /XObject /Subtype /Image /Width ";
    AppendInt(dictionary, width);
    dictionary += " /Height ";
    AppendInt(dictionary, height);
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
  for (uint32_t k = 0; k < FImages->Count; ++k) {
    TPdfImage& image = (*FImages)[static_cast<int32_t>(k)];
    if (image.FileName) std::remove(image.FileName);  // a file already gone is no failure
    std::free(image.FileName);
    std::free(image.Picture.Header);
    image.FileName = nullptr;
    image.Picture.Header = nullptr;
  }
  FImages->Clear();
}
