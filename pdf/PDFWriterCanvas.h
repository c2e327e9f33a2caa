#pragma once
// TPDFCanvas: a drawing surface that writes one PDF 1.3 file in one pass.
//
// Use: set PageWidth and PageHeight, BeginDoc(file), draw, NewPage between pages, EndDoc, destroy.
// Coordinates are whole page units (1/72 inch) with the origin at the top left and y downwards, as on
// a screen; a page of W x H units is treated like a bitmap of W x H pixels whose pixel (x, y) lies at
// PDF (x, H - 1 - y). PageHeight must not change while a page is open; each page's size is taken when
// the page ends.
//
// The file: every object is appended when it is produced and its offset recorded then; the
// cross-reference table is written last from those offsets. A page's operators collect in memory and
// are written as one zlib stream (level 9) when the page ends, followed by an indirect length object.
// Fonts and pictures are only collected while drawing; their objects follow the page tree at EndDoc,
// and every page's resources name all of them. Line ends are single line feeds; the file ends in
// "%%EOF" without one.
//
// Colour: a picture placed with a profile other than sRGB gets /ICCBased with that profile, written
// once per document after the pictures however many pictures share it (compressed, with /N and
// /Alternate); pictures without one keep /DeviceRGB and /DeviceGray, so a document without profiles
// is byte for byte what it was before profiles existed. A document with a profile of ICC version 4
// says PDF 1.5 in its header, which such profiles need; every other says 1.3.
//
// Archival PDF/A (PdfA set before BeginDoc; ArchivalParts.cpp): the header says PDF 1.4 (1.5 with a
// profile of ICC version 4, which PDF/A-1b never gets) and is followed by a comment of four bytes above
// 127; the catalog names XMP metadata (the pdfaid part and conformance, Title as dc:title, the
// producer and the dates, the same as the document information dictionary says) and an sRGB output
// intent whose profile is Little CMS's sRGB saved as ICC version 2; the trailer has a document ID and
// the information dictionary. Every text is written in an embedded subset: a face whose licence
// forbids embedding, or that cannot be cut into a subset, throws TPdfArchiveError (from the TextOut
// that uses it, or from EndDoc). PDF/A-1b subsets carry a CIDSet. Without PdfA none of this is written.
//
// Errors: BeginDoc returns false when the file cannot be created. A failed write or close throws
// TSystemError, a failed compression TPdfCompressError, out of memory std::bad_alloc, out of the call
// that caused it (BeginDoc, NewPage, EndDoc); the document is then abandoned (see Abandon): the file is
// closed as far as it got and the writer is idle again. The destructor ends an open document and never
// throws; a caller that does not want the document finished calls Abandon first.
//
// Drawing calls while no document is open do nothing. Texts are UTF-8. A text that fits Windows-1252,
// in a font not asked to be embedded, is written in those bytes with the font named, not embedded, as
// /WinAnsiEncoding. Every other text is shaped (TextShaper.h) and written in embedded subsets of its
// faces (Type0 fonts, Identity-H, with widths and a ToUnicode map): see ShapedText.cpp and
// EmbeddedFonts.cpp. Font metrics without a shaper write every text in Windows-1252, a character it
// lacks as "?".

#include <atomic>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "album/DynaArray.h"
#include "album/LayoutSettings.h"
#include "imaging/color/ColorProfile.h"
#include "imaging/pictaro/Dib.h"
#include "pdf/DrawingSurface.h"
#include "pdf/PdfOutput.h"
#include "pdf/ZlibCompress.h"
#include "platform/FileVerdicts.h"
#include "platform/FontMetrics.h"

// One entry per object number; entry 0 is the head of the free list.
struct TPdfObjectEntry {
  int64_t Offset;
  int32_t Generation;
  bool Free;
};

struct TPdfPageSize {
  int32_t Width, Height;
  int32_t Bleed;  // the page's trim box lies this far inside it; 0: no trim box
};

// A font resource: Name is a malloc'ed, zero-terminated UTF-8 copy owned by the writer, for a font
// named with /WinAnsiEncoding (Embedded < 0); an embedded subset has no name here and Embedded is its
// position in the writer's embedded fonts.
struct TPdfFontEntry {
  char* Name;
  TFontStyles Style;
  int32_t Embedded;
};

class TFontFace;
struct TEmbeddedFont;

// A placed picture: how its object is written, and where its encoded bytes wait in the spool. A record
// is made when the picture is placed, and its spool fields filled in once the picture is encoded.
struct TPdfImage {
  bool Bilevel;   // a JBIG2 image object and its globals object; otherwise one JPEG object
  bool Encoded;   // the bytes are in the spool; false: a white stand-in is written in their place
  bool Grey;      // a JPEG of one component: /DeviceGray (or a grey profile), not /DeviceRGB
  int32_t Profile;  // the colour profile's position in the document's profiles; -1: Device colours
  int32_t Width;    // pixels, as encoded
  int32_t Height;
  uint64_t Offset;  // of the data in the spool; the globals follow it
  uint64_t DataSize;
  uint64_t GlobalsSize;
  // 1 + the position in the writer's source files of the JPEG file whose first DataSize bytes are the
  // data, which is then not in the spool; 0: the data is in the spool.
  uint32_t SourceFile;
};

struct TEncodedPicture;
struct TPictureSource;
class TPictureSpool;

// A document cannot be written as the PDF/A it is asked to be; the message is German and complete.
class TPdfArchiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TPDFCanvas final : public TDrawingSurface {
 public:
  // Measures with the process's shared system fonts.
  TPDFCanvas();
  // Measures with Metrics (tests hand in their own).
  explicit TPDFCanvas(std::shared_ptr<TFontMetrics> Metrics);
  // Ends an open document (errors swallowed), removes the pending pictures' files.
  ~TPDFCanvas();
  TPDFCanvas(const TPDFCanvas&) = delete;
  TPDFCanvas& operator=(const TPDFCanvas&) = delete;

  // Creates or truncates FileName, writes the header and begins page 1. False when the file cannot be
  // created; the writer then stays idle. A document still open is ended first. A writer may write any
  // number of documents one after the other; each starts with no pictures, fonts or clips.
  bool BeginDoc(const std::string& FileName);
  // Ends the open page and begins the next; nothing while idle.
  void NewPage();
  // Ends the last page, writes fonts, page tree, pages, catalog, outlines, pictures, cross-reference
  // table and trailer, and closes the file; nothing while idle, so a second call writes nothing. True
  // then. False when the Cancel flag was set before or while it wrote (it is looked at before the
  // fonts and between two pictures): the document is then abandoned.
  bool EndDoc();
  // Drops the open document at once: no more pages, fonts or pictures are written, the output file is
  // closed as far as it got (the caller removes it), and the pending pictures' temporary files are
  // removed. The writer is idle afterwards; nothing when no document is open. Never throws. The way
  // out of a cancelled or failed export, where ending the document would only waste time.
  void Abandon() noexcept;
  bool Active() const { return FActive; }
  // The pictures of the document last ended, or being written, that could not be written and stand
  // as white stand-ins in their place (their spool could not be read back, or the encoder failed).
  int32_t MissingPictures() const { return FMissingPictures; }

  // Content operators (see ContentOperators.cpp). X1, Y1 is the top-left corner, X2, Y2 lies just
  // outside the shape as with screen rectangles; equal X or equal Y coordinates draw nothing.
  // Rectangle fills with Brush and outlines with Pen; FillRect only fills. Each EndClip closes the
  // latest BeginClip; one without a BeginClip, or closing a degenerate clip, writes nothing, and clips
  // still open when a page ends are closed there. SetLineCap writes Cap + " J" into the open page.
  void MoveTo(int32_t X, int32_t Y);
  void LineTo(int32_t X, int32_t Y);
  void FillRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  void Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void SetLineCap(int32_t Cap) override;
  void BeginClip(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void EndClip() override;

  // Text (see FontsAndText.cpp). TextOut puts the text cell's top-left corner at (X, Y).
  void TextOut(int32_t X, int32_t Y, std::string_view Text) override;
  // Width of Text in the current Font, in page units; works with or without an open document.
  int32_t TextWidth(std::string_view Text);
  // The 1-based number of the font resource for Name and Style, adding one when there is none. Only
  // meaningful while a document is open; 0 when idle.
  int32_t FontNumber(std::string_view Name, TFontStyles Style);
  // The PDF name of the font last selected for measuring, with its style suffix.
  std::string BaseFontName() const;
  // EmbedFont (DrawingSurface.h): kept from document to document; without a shaper it changes nothing.

  // Pictures (see ImageObjects.cpp). Places the whole of Dib stretched over the rectangle whose
  // top-left corner is X, Y and whose size is Width x Height. The picture is mapped to a box one unit
  // smaller each way (Width - 1 by Height - 1), so that it covers PDF x from X to X + Width - 1
  // and PDF y from PageHeight - Y - Height + 1 to PageHeight - Y, one unit higher than a Rectangle
  // with the same corners. SrcX and SrcY are not looked at; SrcWidth and SrcHeight only have to
  // be non-zero (callers pass the picture's own size).
  //
  // The picture is encoded before the call returns and waits in a temporary file, so Dib stays the
  // caller's, who may free it at once: JBIG2 for 1-bit pictures in black and white, JPEG for all
  // others (palette pictures, and 1-bit pictures in other colours, from their colours; pictures too
  // large for JPEG shrunk to fit; with ImageDpi, pictures with more pixels than their rectangle allows
  // scaled down to that). Nothing is drawn while idle, for a record without pixels, for other depths
  // (16 bits, say) and for a zero Width, Height, SrcWidth or SrcHeight.
  //
  // Throws TSystemError when the temporary file cannot be written and std::bad_alloc when memory is
  // short; the document is then abandoned, as after a failed NewPage.
  void DrawDIB(int32_t X, int32_t Y, int32_t Width, int32_t Height, TDib Dib, int32_t SrcX, int32_t SrcY,
               int32_t SrcWidth, int32_t SrcHeight);

  // DrawDIB in two halves, so that encoding, the costly half, can run on another thread while this one
  // goes on drawing. PlaceDIB writes the operators and makes the picture's record exactly as DrawDIB
  // does (Dib's own size as the source), and returns what encoding needs to know: the number to encode
  // it under (-1 when nothing was placed) and its pixel limit. Same failures as DrawDIB.
  TPlacedImage PlaceDIB(int32_t X, int32_t Y, int32_t Width, int32_t Height, const TDib& Dib);
  // PlaceDIB for a source that may hold a JPEG file's bytes instead of, or besides, its pixels. With
  // KeepJpeg on, a JPEG that DCTDecode takes as it is (DctTakesAsIs) and whose stored size is within
  // the pixel limit is placed as it is: AsIs, its orientation tag turning it in the placement's matrix
  // (the picture still fills the same rectangle, upright). Otherwise the decoded picture is placed;
  // nothing, when the source holds none.
  TPlacedImage PlacePicture(int32_t X, int32_t Y, int32_t Width, int32_t Height,
                            const TPictureSource& Source) override;
  // Encodes Source, the picture placed as Placed says, into the document's temporary file: the JPEG
  // file's bytes through its end-of-image marker when AsIs, a picture encoded already as it is (its
  // encoder was given the same limit), otherwise Source's picture scaled down to the pixel limit if it
  // is larger (EncodePicture). May be called from any thread, several at once,
  // while the writer's own thread goes on drawing; Scratch holds the encoder's output meanwhile (one
  // per thread). Ending the document takes the pictures encoded by then (a number never encoded is
  // written as a stand-in), so the caller sees to it that every call for a document has returned
  // first. Ending or abandoning a document waits for calls still running; a call for a document that
  // is no longer open does nothing. Throws TSystemError when the temporary file cannot be written; the
  // caller then abandons the document on the writer's thread. The writer itself must outlive every
  // call.
  void EncodePlaced(const TPlacedImage& Placed, const TPictureSource& Source, TEncodedPicture& Scratch);

  // PageWidth, PageHeight, Pen, Brush and Font: see TDrawingSurface.
  // Pictures placed while ImageDpi is above 0 go in with at most that many pixels per inch of the
  // rectangle they are placed in (PixelsForPoints of its width and height), scaled down when they have
  // more; 0 keeps every pixel. Read when a picture is placed.
  int32_t ImageDpi = 0;
  // JPEG files placed through PlacePicture go in as their own bytes where they can (see there).
  bool KeepJpeg = false;
  // Above 0, the page has a bleed of this many units on every side, for a printer to cut away: the
  // page (PageWidth x PageHeight) is the media box and the bleed box, and the trim box lies Bleed units
  // inside it on every side. 0 writes the media box alone. Taken when a page ends.
  int32_t Bleed = 0;
  // Archival PDF/A of this level, or none (see above). Read by BeginDoc and while the document is open.
  TPdfA PdfA = TPdfA::None;
  // With PdfA: the document's title (UTF-8) and the moment it was made (0: when BeginDoc is called).
  std::string Title;
  std::time_t Created = 0;
  // When given, EndDoc stops once it is set (see there); the flag must outlive the writer.
  const std::atomic<bool>* Cancel = nullptr;

 private:
  // Document structure (DocumentStructure.cpp).
  void WriteLine(std::string_view S);
  void WriteRaw(std::string_view S);
  void WriteLine() { WriteLine(FLine); }
  int32_t BeginObject();
  int32_t BeginDictObject();
  void EndObject();
  void EndDictObject();
  void BeginContentStream();
  void EndContentStream();
  void WritePageTree();
  // The bleed box and the trim box of a page with bleed.
  void WriteBleedBoxes(const TPdfPageSize& Size);
  // The line "Name [Left Bottom Right Top]" of a page's box.
  void WriteBox(std::string_view Name, int64_t Left, int64_t Bottom, int64_t Right, int64_t Top);
  // The line "X Y Width Height re" in PDF coordinates.
  void WriteRectPath(int64_t X, int64_t Y, int64_t Width, int64_t Height);
  void WriteTrailer();
  // PDF/A (ArchivalParts.cpp): the comment after the header; the metadata and the output intent's
  // profile, which follow the outlines; the catalog's entries that name them; the information
  // dictionary, written last; the trailer's entries.
  void WriteArchivalComment();
  void WriteArchivalObjects();
  void WriteArchivalCatalogEntries();
  void WriteInfoDictionary();
  void WriteArchivalTrailerEntries();
  // The Length a stream of Size bytes of data declares: its data and the line feed before endstream,
  // as this writer always counted them, or in PDF/A, which requires it, the data alone.
  int64_t StreamLength(size_t Size) const {
    return static_cast<int64_t>(Size) + (PdfA == TPdfA::None ? 1 : 0);
  }
  // Objects the archival parts add between the outlines and the pictures.
  int32_t ArchivalObjectCount() const { return PdfA == TPdfA::None ? 0 : 2; }
  // Throws TPdfArchiveError when Face may not go into this document's PDF/A.
  void CheckArchivalFace(const TFontFace& Face) const;
  void ReleaseDocument() noexcept;
  // Object number the picture at FImages position K will have, given the first picture's number.
  std::string XObjectNames(int32_t FirstImageObj) const;

  // Operators and text.
  void ApplyPen();
  void ApplyBrush();
  void ApplyFont();
  void ApplyTextColor();
  void SelectPdfFont(int32_t Number, int32_t Size);
  void SelectMeasureFont(std::string_view Name, TFontStyles Style, int32_t Size);
  void WriteFontDictionary(const TPdfFontEntry& Entry);
  // Shaped text and embedded subsets (ShapedText.cpp, EmbeddedFonts.cpp).
  bool WritesShaped(std::string_view Text);
  bool TextOutShaped(int64_t X, int64_t Baseline, std::string_view Text);
  int32_t EmbeddedFontNumber(TFontFace* Face);
  // The CID Glyph is written as for Text, and its width; Carries tells whether the font's ToUnicode
  // map gives Text back for that CID.
  uint32_t CidFor(TEmbeddedFont& Font, uint32_t Glyph, std::string_view Text, int32_t& Width, bool& Carries);
  // Subsets every embedded font and works out the object numbers of their parts.
  void PrepareEmbeddedFonts(int32_t FirstPartObj);
  void WriteType0Dictionary(const TEmbeddedFont& Font);
  void WriteEmbeddedFontParts();
  // Page y of a point: H - 1 - Y, in 64 bits so that no input overflows.
  int64_t PointY(int32_t Y) const { return int64_t(PageHeight) - 1 - Y; }

  // Pictures (ImageObjects.cpp).
  // Writes the placement of image Number into the box of X, Y, Width, Height, the image turned by
  // Orientation (the EXIF values 1 to 8; 1 leaves it as it is).
  void WritePlacement(int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t Number, int Orientation);
  // Puts what EncodePlaced reported into the records.
  void CollectEncoded();
  // False when Cancel was set between two pictures: the rest is not written.
  bool WriteImages();
  void WriteImage(const TPdfImage& Image);
  // One stream object: Dictionary (it may span lines), "stream", Data, a line feed, "endstream".
  void WriteImageStream(std::string_view Dictionary, std::string_view Data);
  // Drops the pictures of the document: records, encoder, spool file.
  void RemovePendingImages() noexcept;
  // The position of Profile in FProfiles, adding it when no profile with its digest is there; -1 for
  // no profile, sRGB, or one that does not describe a picture of Kind.
  int32_t ProfileNumber(const TColorProfilePtr& Profile, bool Bilevel);
  // Writes FProfiles as ICC stream objects, the first getting the next object number.
  void WriteProfiles();

  std::unique_ptr<TDynaArrayOf<TPdfObjectEntry>> FObjects;
  std::unique_ptr<TDynaArrayOf<TPdfPageSize>> FPageSizes;
  std::unique_ptr<TDynaArrayOf<TPdfFontEntry>> FFonts;
  std::unique_ptr<TDynaArrayOf<TPdfImage>> FImages;
  std::vector<TColorProfilePtr> FProfiles;  // the document's colour profiles, distinct by digest
  std::unique_ptr<TPictureSpool> FSpool;  // made with the document's first picture
  // Held shared by EncodePlaced while it uses FSpool, exclusively to drop FSpool: a document ended or
  // abandoned on the writer's thread waits for encodings running elsewhere.
  std::shared_mutex FSpoolUse;
  std::mutex FSpooledLock;
  std::vector<std::pair<int32_t, TPdfImage>> FSpooled;  // what EncodePlaced did, guarded by FSpooledLock
  std::unique_ptr<TEncodedPicture> FEncodeBuffer;       // for DrawDIB
  std::vector<TFileIdentity> FSourceFiles;  // JPEG files that go in as they are, guarded by FSpooledLock
  std::string FImageBytes;  // one picture's spooled bytes while its object is written
  int64_t FFirstProfileObj = 0;
  int32_t FCatalogObj = 0;
  int32_t FMetadataObj = 0;
  int32_t FInfoObj = 0;
  std::time_t FCreated = 0;
  int32_t FProcSetObj = 0;
  int32_t FFirstContentObj = 0;
  int32_t FPagesObj = 0;
  int32_t FFirstFontObj = 0;
  int32_t FPageCount = 0;
  int32_t FMissingPictures = 0;
  int64_t FXRefPos = 0;
  int64_t FStreamStart = 0;
  int64_t FStreamEnd = 0;
  int32_t FCurFont = 0;
  int32_t FCurFontSize = 0;
  bool FFontValid = false;
  bool FBrushValid = false;
  bool FPenValid = false;
  bool FBrushClear = false;
  bool FPenClear = false;
  bool FActive = false;
  std::shared_ptr<TFontMetrics> FMeasure;
  std::string FMeasureName;  // the font last selected on FMeasure
  TFontStyles FMeasureStyle = 0;
  TPen FLastPen;
  TBrush FLastBrush;
  TPdfOutput FFile;
  std::string FStreamBuf;
  bool FBuffering = false;
  int32_t FPenX = 0;
  int32_t FPenY = 0;
  std::vector<bool> FClips;  // open BeginClip calls: whether each wrote its "q"
  std::vector<std::unique_ptr<TEmbeddedFont>> FEmbedded;            // this document's subsets

  std::unique_ptr<TZlibCompressor> FCompressor;
  std::vector<unsigned char> FCompressed;
  std::string FLine;    // the line being built; its capacity is kept from line to line
  std::string FCp1252;  // the text being written or measured, converted
};

// The width TPDFCanvas::TextWidth gives for Text in Font's name, style and size on a writer asked to
// embed that font (Embedded) or not, for measuring before any writer exists. Metrics is left with
// Font selected, or not, as the measuring needs.
int32_t PdfTextWidth(TFontMetrics& Metrics, const TPDFFont& Font, std::string_view Text, bool Embedded);
