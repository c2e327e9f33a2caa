// The document around the pages: header, content streams and their lengths, page tree, pages,
// catalog, outlines, cross-reference table and trailer, and the writer's life from BeginDoc to EndDoc.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <stdexcept>

#include "pdf/EmbeddedFont.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/PdfFormat.h"
#include "pdf/PictureEncoding.h"
#include "pdf/PictureSpool.h"
#include "platform/FreeTypeFonts.h"

namespace {

template <class T>
T* AppendRecord(TDynaArrayOf<T>& Array) {
  T* record = Array.Append();
  if (!record) throw std::bad_alloc();
  return record;
}

// A cross-reference entry holds ten digits of offset.
constexpr int64_t MaxXRefOffset = 9'999'999'999;

}  // namespace

TPDFCanvas::TPDFCanvas() : TPDFCanvas(SharedFontMetrics()) {}

TPDFCanvas::TPDFCanvas(std::shared_ptr<TFontMetrics> Metrics)
    : FImages(std::make_unique<TDynaArrayOf<TPdfImage>>()), FMeasure(std::move(Metrics)) {}

TPDFCanvas::~TPDFCanvas() {
  try {
    EndDoc();
  } catch (...) {
    // A destructor has no one to report to; EndDoc has already abandoned the document.
  }
  RemovePendingImages();
}

void TPDFCanvas::WriteLine(std::string_view S) {
  if (FBuffering) {
    FStreamBuf.append(S);
    FStreamBuf += '\n';
  } else {
    FFile.Write(S);
    FFile.Write("\n", 1);
  }
}

void TPDFCanvas::WriteRaw(std::string_view S) {
  if (FBuffering)
    FStreamBuf.append(S);
  else
    FFile.Write(S);
}

int32_t TPDFCanvas::BeginObject() {
  int32_t number = static_cast<int32_t>(FObjects->Count);
  *AppendRecord(*FObjects) = {static_cast<int64_t>(FFile.Position()), 0, false};
  FLine.clear();
  AppendInt(FLine, number);
  FLine += " 0 obj";
  WriteLine();
  return number;
}

int32_t TPDFCanvas::BeginDictObject() {
  int32_t number = BeginObject();
  WriteLine("<<");
  return number;
}

void TPDFCanvas::EndObject() { WriteLine("endobj"); }

void TPDFCanvas::EndDictObject() {
  WriteLine(">>");
  WriteLine("endobj");
}

bool TPDFCanvas::BeginDoc(const std::string& FileName) {
  if (FActive) EndDoc();
  return FFile.Open(FileName) && BeginOpenedDoc();
}

bool TPDFCanvas::BeginDoc(TSafeFile& File) {
  if (FActive) EndDoc();
  return FFile.Open(File) && BeginOpenedDoc();
}

bool TPDFCanvas::BeginOpenedDoc() {
  // A writer may be used again: nothing of an earlier document may reach this one.
  RemovePendingImages();
  FClips.clear();
  Navigation = TPdfNavigation();
  FCurFont = FCurFontSize = 0;
  FPenX = FPenY = 0;
  try {
    FObjects = std::make_unique<TDynaArrayOf<TPdfObjectEntry>>();
    FPageSizes = std::make_unique<TDynaArrayOf<TPdfPageSize>>();
    FFonts = std::make_unique<TDynaArrayOf<TPdfFontEntry>>();
    FCompressor = std::make_unique<TZlibCompressor>();
    if (PdfA == TPdfA::None) {
      WriteLine(KPdfHeader);
    } else {
      WriteArchivalComment();
    }
    *AppendRecord(*FObjects) = {0, 65535, true};
    FProcSetObj = BeginObject();
    WriteLine("[/PDF /Text /ImageB /ImageC /ImageI]");
    EndObject();
    FPageCount = 0;
    FMissingPictures = 0;
    FInfoObj = 0;
    FFirstContentObj = static_cast<int32_t>(FObjects->Count);
    BeginContentStream();
    FActive = true;
  } catch (...) {
    Abandon();
    throw;
  }
  return true;
}

void TPDFCanvas::BeginContentStream() {
  ++FPageCount;
  int32_t number = BeginObject();
  FLine.clear();
  FLine += "<< /Length ";
  AppendInt(FLine, int64_t(number) + 1);
  FLine += " 0 R /Filter /FlateDecode >>";
  WriteLine();
  WriteLine("stream");
  FStreamStart = static_cast<int64_t>(FFile.Position());
  FFontValid = FBrushValid = FPenValid = false;
  FStreamBuf.clear();
  FBuffering = true;
}

void TPDFCanvas::EndContentStream() {
  // A clip left open at the end of a page is closed, since a stream must restore what it saved.
  for (bool saved : FClips)
    if (saved) WriteLine("Q");
  FClips.clear();
  FCompressor->Compress(FStreamBuf.data(), FStreamBuf.size(), FCompressed);
  FBuffering = false;
  FStreamBuf.clear();
  FFile.Write(FCompressed.data(), FCompressed.size());
  WriteRaw("\n");
  FStreamEnd = static_cast<int64_t>(FFile.Position());
  WriteLine("endstream");
  WriteLine("endobj");
  BeginObject();
  FLine.clear();
  AppendInt(FLine, StreamLength(FCompressed.size()));
  WriteLine();
  EndObject();
  const auto thousandths = [](double Units) {
    return Units > 0 ? static_cast<int64_t>(std::llround(std::min(Units, 1e12) * 1000)) : int64_t{0};
  };
  *AppendRecord(*FPageSizes) = {PageWidth, PageHeight, Bleed, thousandths(TrimWidth), thousandths(TrimHeight)};
}

void TPDFCanvas::NewPage() {
  if (!FActive) return;
  try {
    EndContentStream();
    BeginContentStream();
  } catch (...) {
    Abandon();
    throw;
  }
}

bool TPDFCanvas::EndDoc() {
  if (!FActive) return true;
  const auto cancelled = [this] { return Cancel && Cancel->load(); };
  try {
    if (cancelled()) {
      Abandon();
      return false;
    }
    EndContentStream();
    PrepareNavigation(static_cast<int32_t>(FPageSizes->Count));
    FFirstFontObj = static_cast<int32_t>(FObjects->Count);
    // An embedded font's dictionary stands in the font list; the objects it refers to follow the list.
    PrepareEmbeddedFonts(FFirstFontObj + static_cast<int32_t>(FFonts->Count));
    for (uint32_t n = 0; n < FFonts->Count; ++n) {
      const TPdfFontEntry& entry = (*FFonts)[static_cast<int32_t>(n)];
      if (entry.Embedded < 0)
        WriteFontDictionary(entry);
      else
        WriteType0Dictionary(*FEmbedded[static_cast<size_t>(entry.Embedded)]);
    }
    WriteEmbeddedFontParts();
    WritePageTree();
    FCatalogObj = BeginDictObject();
    WriteLine("/Type /Catalog");
    FLine.assign("/Pages ");
    AppendInt(FLine, FPagesObj);
    FLine += " 0 R";
    WriteLine();
    FLine.assign("/Outlines ");
    AppendInt(FLine, int64_t(FCatalogObj) + 1);
    FLine += " 0 R";
    WriteLine();
    WriteNavigationCatalogEntries();
    WriteArchivalCatalogEntries();
    EndDictObject();
    BeginDictObject();
    WriteLine("/Type /Outlines");
    WriteOutlineRoot();
    EndDictObject();
    WriteNavigationObjects(FPagesObj + 1);
    WriteArchivalObjects();
    if (!WriteImages()) {
      Abandon();
      return false;
    }
    WriteInfoDictionary();
    WriteTitleInfo();
    WriteTrailer();
    FFile.Close();
  } catch (...) {
    Abandon();
    throw;
  }
  ReleaseDocument();
  RemovePendingImages();
  FActive = false;
  return true;
}

std::string TPDFCanvas::XObjectNames(int32_t FirstImageObj) const {
  std::string names;
  int64_t twoObjectPictures = 0;  // pictures of 1 bit per pixel take an image and a globals object
  for (uint32_t k = 0; k < FImages->Count; ++k) {
    names += "/Im";
    AppendInt(names, k);
    names += ' ';
    AppendInt(names, FirstImageObj + int64_t(k) + twoObjectPictures);
    names += " 0 R";
    if ((*FImages)[static_cast<int32_t>(k)].Bilevel) ++twoObjectPictures;
  }
  return names;
}

void TPDFCanvas::WritePageTree() {
  const int32_t pages = static_cast<int32_t>(FPageSizes->Count);
  FPagesObj = BeginDictObject();
  WriteLine("/Type /Pages");
  FLine.assign("/Count ");
  AppendInt(FLine, pages);
  WriteLine();
  FLine.assign("/Kids [");
  for (int32_t i = 0; i < pages; ++i) {
    AppendInt(FLine, int64_t(FPagesObj) + 1 + i);
    FLine += i + 1 < pages ? " 0 R " : " 0 R]";
  }
  WriteLine();
  EndDictObject();

  // Every page names every picture and every font; the resource lines are the same for all pages.
  std::string xobjects = "/Resources <</XObject << ";
  // After the pages: catalog, outlines, the outline's entries and the links, and the archival parts.
  const int32_t firstAnnotObj = FPagesObj + pages + 3 + static_cast<int32_t>(FOutline.size());
  xobjects += XObjectNames(FPagesObj + pages + 3 + NavigationObjectCount() + ArchivalObjectCount());
  xobjects += " >>";
  std::string fonts = "/Font << ";
  for (uint32_t n = 1; n <= FFonts->Count; ++n) {
    fonts += "/F";
    AppendInt(fonts, n);
    fonts += ' ';
    AppendInt(fonts, int64_t(FFirstFontObj) + n - 1);
    fonts += " 0 R";
  }
  fonts += ">> /ProcSet ";
  AppendInt(fonts, FProcSetObj);
  fonts += " 0 R";

  for (int32_t i = 0; i < pages; ++i) {
    const TPdfPageSize size = (*FPageSizes)[i];
    BeginDictObject();
    WriteLine("/Type /Page");
    FLine.assign("/Parent ");
    AppendInt(FLine, FPagesObj);
    FLine += " 0 R";
    WriteLine();
    WriteLine(xobjects);
    WriteLine(fonts);
    WriteLine(">>");
    // The box is one unit smaller than the page, the last pixel row and column; it is kept at least
    // one unit wide and high, since an empty or inverted box is no page at all to a reader.
    WriteBox("/MediaBox", 0, 0, MediaBoxSide(size.Width), MediaBoxSide(size.Height));
    if (size.Bleed > 0 || size.TrimWidth > 0) WriteBleedBoxes(size);
    FLine.assign("/Contents ");
    AppendInt(FLine, int64_t(FFirstContentObj) + 2 * int64_t(i));
    FLine += " 0 R";
    WriteLine();
    WritePageAnnotations(i, firstAnnotObj);
    EndDictObject();
  }
}

void TPDFCanvas::WriteBleedBoxes(const TPdfPageSize& Size) {
  // The bleed box is the media box; the trim box is the page without its bleed, measured as the media
  // box is (one unit short of the page's last row and column).
  WriteBox("/BleedBox", 0, 0, MediaBoxSide(Size.Width), MediaBoxSide(Size.Height));
  const int64_t b = Size.Bleed;
  if (Size.TrimWidth > 0 && Size.TrimHeight > 0) {
    // The exact trim box, hanging from the top-left corner where the page's drawing starts.
    const int64_t top = (MediaBoxSide(Size.Height) - b) * 1000;
    WriteFineBox("/TrimBox", b * 1000, top - Size.TrimHeight, b * 1000 + Size.TrimWidth, top);
    return;
  }
  WriteBox("/TrimBox", b, b, b + MediaBoxSide(static_cast<int32_t>(std::max<int64_t>(1, Size.Width - 2 * b))),
           b + MediaBoxSide(static_cast<int32_t>(std::max<int64_t>(1, Size.Height - 2 * b))));
}

void TPDFCanvas::WriteBox(std::string_view Name, int64_t Left, int64_t Bottom, int64_t Right, int64_t Top) {
  FLine.assign(Name);
  FLine += " [";
  for (const int64_t value : {Left, Bottom, Right, Top}) {
    AppendInt(FLine, value);
    FLine += ' ';
  }
  FLine.back() = ']';
  WriteLine();
}

void TPDFCanvas::WriteFineBox(std::string_view Name, int64_t Left, int64_t Bottom, int64_t Right, int64_t Top) {
  FLine.assign(Name);
  FLine += " [";
  for (const int64_t value : {Left, Bottom, Right, Top}) {
    AppendThousandths(FLine, value);
    FLine += ' ';
  }
  FLine.back() = ']';
  WriteLine();
}

void TPDFCanvas::WriteTrailer() {
  FXRefPos = static_cast<int64_t>(FFile.Position());
  if (FXRefPos > MaxXRefOffset) throw std::runtime_error("Die PDF-Datei wird zu groß.");
  WriteLine("xref");
  FLine.assign("0 ");
  AppendInt(FLine, FObjects->Count);
  WriteLine();
  std::string number;
  for (uint32_t i = 0; i < FObjects->Count; ++i) {
    const TPdfObjectEntry& entry = (*FObjects)[static_cast<int32_t>(i)];
    number.clear();
    AppendInt(number, entry.Offset);
    FLine = ZeroPad(number, 10);
    FLine += ' ';
    number.clear();
    AppendInt(number, entry.Generation);
    FLine += ZeroPad(number, 5);
    FLine += entry.Free ? " f " : " n ";
    WriteLine();
  }
  WriteLine("trailer");
  WriteLine("<<");
  FLine.assign("/Size ");
  AppendInt(FLine, FObjects->Count);
  WriteLine();
  FLine.assign("/Root ");
  AppendInt(FLine, FCatalogObj);
  FLine += " 0 R";
  WriteLine();
  WriteArchivalTrailerEntries();
  if (PdfA == TPdfA::None && FInfoObj > 0) {
    FLine.assign("/Info ");
    AppendInt(FLine, FInfoObj);
    FLine += " 0 R";
    WriteLine();
  }
  WriteLine(">>");
  WriteLine("startxref");
  FLine.clear();
  AppendInt(FLine, FXRefPos);
  WriteLine();
  WriteRaw("%%EOF");
}

void TPDFCanvas::ReleaseDocument() noexcept {
  if (FFonts)
    for (uint32_t n = 0; n < FFonts->Count; ++n) std::free((*FFonts)[static_cast<int32_t>(n)].Name);
  FFonts.reset();
  FEmbedded.clear();
  FObjects.reset();
  FPageSizes.reset();
  FCompressor.reset();
  FStreamBuf.clear();
  FStreamBuf.shrink_to_fit();
  FCompressed = {};
  FBuffering = false;
}

void TPDFCanvas::Abandon() noexcept {
  FFile.Abandon();
  ReleaseDocument();
  RemovePendingImages();
  FActive = false;
}
