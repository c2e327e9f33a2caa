// Pictures placed on the pages: PlacePicture writes the placement operators and the picture's record at
// once, EncodePlaced (on any thread) encodes the picture into the document's spool, DrawDIB does both,
// and EndDoc copies every spooled picture into its image object(s), JPEG for colour pictures (a JPEG
// file's own bytes where they can go as they are) and JBIG2 (an image and a globals object) for
// black-and-white ones. The page resources already name every
// record of FImages by object number (XObjectNames), so each record always produces its object or
// objects here: a picture that could not be encoded or read back is written as a small white stand-in
// of the same kind, and counted in MissingPictures.

#include <new>
#include <string>

#include "imaging/pictaro/Pictaro.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/PdfFormat.h"
#include "pdf/PictureEncoding.h"
#include "pdf/PictureSpool.h"

namespace {

// Moves D one unit towards zero: the box an image is mapped to spans d - 1 units for d pixels.
int64_t TowardsZero(int32_t D) { return D > 0 ? int64_t(D) - 1 : int64_t(D) + 1; }

}  // namespace

TPlacedImage TPDFCanvas::PlaceDIB(int32_t X, int32_t Y, int32_t Width, int32_t Height, const TDib& Dib) {
  return PlacePicture(X, Y, Width, Height, TPictureSource::Of(Dib));
}

TPlacedImage TPDFCanvas::PlacePicture(int32_t X, int32_t Y, int32_t Width, int32_t Height,
                                      const TPictureSource& Source) {
  TPlacedImage placed;
  if (!FActive || Width == 0 || Height == 0) return placed;
  placed.MaxWidth = PixelsForPoints(Width, ImageDpi);
  placed.MaxHeight = PixelsForPoints(Height, ImageDpi);
  const TJpegHeader& header = Source.Header;
  placed.AsIs = KeepJpeg && !Source.Jpeg.empty() && DctTakesAsIs(header) &&
                (ImageDpi <= 0 ||
                 (header.UprightWidth() <= placed.MaxWidth && header.UprightHeight() <= placed.MaxHeight));
  const TPictureKind kind = placed.AsIs      ? TPictureKind::Jpeg
                            : Source.Encoded ? Source.EncodedKind
                                             : PlacedKind(Source.Dib);
  if (kind == TPictureKind::None) return TPlacedImage{};
  try {
    if (!FSpool) {
      std::unique_lock<std::shared_mutex> use(FSpoolUse);
      FSpool = std::make_unique<TPictureSpool>();
    }
    TPdfImage* record = FImages->Append();
    if (!record) throw std::bad_alloc();
    const bool bilevel = kind == TPictureKind::Jbig2;
    *record = TPdfImage{bilevel, false, false, ProfileNumber(Source.Profile, bilevel), 0, 0, 0, 0, 0, 0};
    placed.Number = static_cast<int32_t>(FImages->Count) - 1;
    WritePlacement(X, Y, Width, Height, placed.Number, placed.AsIs ? header.Orientation : 1);
    return placed;
  } catch (...) {
    Abandon();
    throw;
  }
}

void TPDFCanvas::WritePlacement(int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t Number,
                                int Orientation) {
  // The box: w x h units with its lower-left corner at (x, y). The image's unit square goes onto it,
  // its first stored row at the top; a picture that must be turned or mirrored to stand upright gets
  // the matrix that puts each corner of the stored picture where the upright picture has it.
  const int64_t w = TowardsZero(Width), h = TowardsZero(Height);
  const int64_t x = X, y = int64_t(PageHeight) - Y - h;
  int64_t m[6];
  switch (Orientation) {
    case 2: m[0] = -w, m[1] = 0, m[2] = 0, m[3] = h, m[4] = x + w, m[5] = y; break;       // mirrored
    case 3: m[0] = -w, m[1] = 0, m[2] = 0, m[3] = -h, m[4] = x + w, m[5] = y + h; break;  // half turn
    case 4: m[0] = w, m[1] = 0, m[2] = 0, m[3] = -h, m[4] = x, m[5] = y + h; break;       // upside down
    case 5: m[0] = 0, m[1] = -h, m[2] = -w, m[3] = 0, m[4] = x + w, m[5] = y + h; break;  // transposed
    case 6: m[0] = 0, m[1] = -h, m[2] = w, m[3] = 0, m[4] = x, m[5] = y + h; break;       // turn clockwise
    case 7: m[0] = 0, m[1] = h, m[2] = w, m[3] = 0, m[4] = x, m[5] = y; break;            // transversed
    case 8: m[0] = 0, m[1] = h, m[2] = -w, m[3] = 0, m[4] = x + w, m[5] = y; break;       // anticlockwise
    default: m[0] = w, m[1] = 0, m[2] = 0, m[3] = h, m[4] = x, m[5] = y; break;
  }
  WriteLine("q");
  FLine.clear();
  for (int64_t v : m) {
    AppendInt(FLine, v);
    FLine += ' ';
  }
  FLine += "cm";
  WriteLine();
  FLine.assign("/Im");
  AppendInt(FLine, Number);
  FLine += " Do";
  WriteLine();
  WriteLine("Q");
}

void TPDFCanvas::EncodePlaced(const TPlacedImage& Placed, const TPictureSource& Source,
                              TEncodedPicture& Scratch) {
  std::shared_lock<std::shared_mutex> use(FSpoolUse);
  if (!FSpool || !Placed.Placed()) return;  // no document, or one that was abandoned
  TPdfImage done{};
  if (Placed.AsIs) {
    const std::string_view data = Source.Jpeg.substr(0, Source.Header.Length);
    done.Encoded = true;
    done.Grey = Source.Header.Components == 1;
    done.Width = Source.Header.Width;
    done.Height = Source.Header.Height;
    done.DataSize = data.size();
    if (Source.JpegFile.Path.empty() || Source.JpegFile.Size < data.size()) {
      done.Offset = FSpool->Append(data, {});
    } else {
      // The file holds the same bytes for as long as it keeps its identity: read again when written.
      std::lock_guard<std::mutex> lock(FSpooledLock);
      FSourceFiles.push_back(Source.JpegFile);
      done.SourceFile = static_cast<uint32_t>(FSourceFiles.size());
    }
  } else {
    const TEncodedPicture* encoded = Source.Encoded;
    if (!encoded) {
      EncodePicture(Source.Dib, PlacedKind(Source.Dib), Placed.MaxWidth, Placed.MaxHeight, Scratch,
                    EncodesGrey(Source.Profile));
      encoded = &Scratch;
    }
    if (encoded->Ok) {
      done.Encoded = true;
      done.Grey = encoded->Grey;
      done.Width = encoded->Width;
      done.Height = encoded->Height;
      done.DataSize = encoded->Data.size();
      done.GlobalsSize = encoded->Globals.size();
      done.Offset = FSpool->Append(encoded->Data, encoded->Globals);
    }
  }
  std::lock_guard<std::mutex> lock(FSpooledLock);
  FSpooled.emplace_back(Placed.Number, done);
}

void TPDFCanvas::CollectEncoded() {
  std::lock_guard<std::mutex> lock(FSpooledLock);
  for (const auto& [number, done] : FSpooled) {
    if (number < 0 || static_cast<uint32_t>(number) >= FImages->Count) continue;
    TPdfImage& record = (*FImages)[number];
    const bool bilevel = record.Bilevel;  // the kind stays the one the page resources counted
    const int32_t profile = record.Profile;
    record = done;
    record.Bilevel = bilevel;
    record.Profile = profile;
  }
  FSpooled.clear();
}

void TPDFCanvas::DrawDIB(int32_t X, int32_t Y, int32_t Width, int32_t Height, TDib Dib, int32_t SrcX,
                         int32_t SrcY, int32_t SrcWidth, int32_t SrcHeight) {
  (void)SrcX, (void)SrcY;  // the whole picture is always placed
  if (SrcWidth == 0 || SrcHeight == 0) return;
  const TPictureSource source = TPictureSource::Of(Dib);
  const TPlacedImage placed = PlacePicture(X, Y, Width, Height, source);
  if (!placed.Placed()) return;
  try {
    if (!FEncodeBuffer) FEncodeBuffer = std::make_unique<TEncodedPicture>();
    EncodePlaced(placed, source, *FEncodeBuffer);
  } catch (...) {
    Abandon();
    throw;
  }
}

int32_t TPDFCanvas::ProfileNumber(const TColorProfilePtr& Profile, bool Bilevel) {
  if (!Profile || Profile->IsSrgb() || Bilevel || Profile->Space() == TColorSpace::Cmyk) return -1;
  // PDF/A-1b stays PDF 1.4, which knows no version 4 profiles; its pictures come converted to sRGB.
  if (PdfA == TPdfA::A1b && Profile->Version() >= 4) return -1;
  for (size_t i = 0; i < FProfiles.size(); ++i)
    if (FProfiles[i]->Digest() == Profile->Digest()) return static_cast<int32_t>(i);
  FProfiles.push_back(Profile);
  return static_cast<int32_t>(FProfiles.size()) - 1;
}

bool TPDFCanvas::WriteImages() {
  CollectEncoded();
  // The profiles follow the pictures: their numbers are known before the first picture is written.
  int64_t imageObjects = 0;
  for (uint32_t k = 0; k < FImages->Count; ++k) imageObjects += (*FImages)[static_cast<int32_t>(k)].Bilevel ? 2 : 1;
  FFirstProfileObj = FObjects->Count + imageObjects;
  for (uint32_t k = 0; k < FImages->Count; ++k) {
    if (Cancel && Cancel->load()) return false;
    WriteImage((*FImages)[static_cast<int32_t>(k)]);
  }
  WriteProfiles();
  return true;
}

void TPDFCanvas::WriteProfiles() {
  bool version4 = false;
  for (const TColorProfilePtr& profile : FProfiles) {
    const std::string& bytes = profile->Bytes();
    FCompressor->Compress(bytes.data(), bytes.size(), FCompressed);
    std::string dictionary = "<< /N ";
    AppendInt(dictionary, profile->Channels());
    dictionary += profile->Space() == TColorSpace::Grey ? " /Alternate /DeviceGray" : " /Alternate /DeviceRGB";
    dictionary += " /Length ";
    AppendInt(dictionary, StreamLength(FCompressed.size()));
    dictionary += " /Filter /FlateDecode >>";
    WriteImageStream(dictionary,
                     std::string_view(reinterpret_cast<const char*>(FCompressed.data()), FCompressed.size()));
    version4 = version4 || profile->Version() >= 4;
  }
  if (version4) FFile.Overwrite(KPdfVersionOffset, "1.5", 3);
}

void TPDFCanvas::WriteImage(const TPdfImage& Image) {
  // The kind is the one the page resources counted.
  // A JPEG file that changed since it was checked is missing, as a picture the spool lost would be.
  const size_t size = static_cast<size_t>(Image.DataSize + Image.GlobalsSize);
  const bool encoded =
      Image.Encoded && FSpool &&
      (Image.SourceFile > 0 ? Image.SourceFile <= FSourceFiles.size() &&
                                  ReadIdenticalFile(FSourceFiles[Image.SourceFile - 1], size, FImageBytes)
                            : FSpool->Read(Image.Offset, size, FImageBytes));
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
    if (Image.Profile >= 0) {
      dictionary += " /BitsPerComponent 8 /ColorSpace [/ICCBased ";
      AppendInt(dictionary, FFirstProfileObj + Image.Profile);
      dictionary += " 0 R] /Length ";
    } else {
      dictionary += Image.Grey ? " /BitsPerComponent 8 /ColorSpace /DeviceGray /Length "
                               : " /BitsPerComponent 8 /ColorSpace /DeviceRGB /Length ";
    }
    AppendInt(dictionary, StreamLength(data.size()));
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
  {
    std::unique_lock<std::shared_mutex> use(FSpoolUse);
    FSpool.reset();  // removes the file
  }
  {
    std::lock_guard<std::mutex> lock(FSpooledLock);
    FSpooled.clear();
    FSourceFiles.clear();
  }
  FImages->Clear();
  FProfiles.clear();
  FImageBytes.clear();
  FImageBytes.shrink_to_fit();
}
