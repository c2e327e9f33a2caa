// Text lines and font resources written in Windows-1252. Every distinct name and style that is drawn
// so becomes one TrueType font resource, not embedded; its dictionary, written at EndDoc, carries a font
// descriptor and the widths of its codes (DeclaredWidths, TextPlacement.h).

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "pdf/PDFWriterCanvas.h"
#include "pdf/PdfFormat.h"
#include "pdf/TextPlacement.h"
#include "platform/TextEncoding.h"

namespace {

// A name ends at its first zero byte, as the stored copy does.
std::string_view UpToZero(std::string_view Name) { return Name.substr(0, Name.find('\0')); }

}  // namespace

void TPDFCanvas::SelectMeasureFont(std::string_view Name, TFontStyles Style, int32_t Size) {
  if (FMeasureName != Name) FMeasureName.assign(Name);
  FMeasureStyle = Style;
  FMeasure->SelectFont(Name, Style, Size);
}

std::string TPDFCanvas::BaseFontName() const { return ::BaseFontName(FMeasureName, FMeasureStyle); }

int32_t TPDFCanvas::FontNumber(std::string_view Name, TFontStyles Style) {
  if (!FFonts) return 0;
  Name = UpToZero(Name);
  for (uint32_t i = 0; i < FFonts->Count; ++i) {
    const TPdfFontEntry& entry = (*FFonts)[static_cast<int32_t>(i)];
    if (entry.Embedded < 0 && entry.Style == Style && Name == entry.Name) return static_cast<int32_t>(i) + 1;
  }
  char* copy = static_cast<char*>(std::malloc(Name.size() + 1));
  if (!copy) throw std::bad_alloc();
  std::memcpy(copy, Name.data(), Name.size());
  copy[Name.size()] = '\0';
  TPdfFontEntry* entry = FFonts->Append();
  if (!entry) {
    std::free(copy);
    throw std::bad_alloc();
  }
  *entry = {copy, Style, -1};
  return static_cast<int32_t>(FFonts->Count);
}

void TPDFCanvas::ApplyTextColor() {
  // Text fills with the fill colour. A clear brush never wrote its colour, so after one the colour is
  // written whatever FLastBrush says; the stream then holds a solid fill of the text's colour.
  if (!FBrushValid || FLastBrush.Style == bsClear || FLastBrush.Color != Font.Color) {
    FLine.clear();
    AppendColor(FLine, Font.Color);
    FLine += " rg";
    WriteLine();
    FLastBrush.Color = Font.Color;
    if (FLastBrush.Style == bsClear) {
      FLastBrush.Style = bsSolid;
      FBrushClear = false;
    }
  }
}

void TPDFCanvas::SelectPdfFont(int32_t Number, int32_t Size) {
  if (FFontValid && Number == FCurFont && Size == FCurFontSize) return;
  FLine.assign("/F");
  AppendInt(FLine, Number);
  FLine += ' ';
  AppendInt(FLine, Size);
  FLine += " Tf";
  WriteLine();
  FCurFont = Number;
  FCurFontSize = Size;
  FFontValid = true;
}

void TPDFCanvas::ApplyFont() {
  ApplyTextColor();
  SelectPdfFont(FontNumber(Font.Name, Font.Style), Font.Size);
}

void TPDFCanvas::TextOut(int32_t X, int32_t Y, std::string_view Text) {
  if (!FActive) return;
  SelectMeasureFont(Font.Name, Font.Style, Font.Size);
  const int64_t baseline = TextBaseline(PageHeight, Y, FMeasure->LineHeight());
  if (WritesShaped(Text)) {
    if (TextOutShaped(X, baseline, Text)) return;
    // Nothing to shape (an empty heading): PDF/A names no font it does not embed.
    if (PdfA != TPdfA::None) return;
  }
  WriteLine("BT");
  ApplyFont();
  Utf8ToCp1252(Text, FCp1252);
  FLine.clear();
  AppendInt(FLine, X);
  FLine += ' ';
  AppendInt(FLine, baseline);
  FLine += "  Td (";
  AppendEscapedText(FLine, FCp1252);
  FLine += ") Tj";
  WriteLine();
  WriteLine("ET");
}

int32_t TPDFCanvas::TextLineHeight() {
  SelectMeasureFont(Font.Name, Font.Style, Font.Size);
  return FMeasure->LineHeight();
}

int32_t TPDFCanvas::TextWidth(std::string_view Text) {
  SelectMeasureFont(Font.Name, Font.Style, Font.Size);
  if (WritesShaped(Text)) return PdfTextWidth(*FMeasure, Font, Text, true);
  Utf8ToCp1252(Text, FCp1252);
  return FMeasure->TextExtent(FCp1252).Width;
}

void TPDFCanvas::WriteFontDictionary(const TPdfFontEntry& Entry) {
  SelectMeasureFont(Entry.Name, Entry.Style, KDeclaredWidthsEm);
  BeginDictObject();
  WriteLine("/Type /Font");
  WriteLine("/Subtype /TrueType");
  WriteLine("/Encoding /WinAnsiEncoding");
  FLine.assign("/BaseFont /");
  FLine += BaseFontName();
  WriteLine();

  TOutlineMetrics outline;
  if (FMeasure->OutlineMetrics(outline)) {
    WriteLine("/FontDescriptor <</Type/FontDescriptor");
    FLine.assign("/FontBBox[");
    AppendInt(FLine, WidthScale(outline.BoxLeft));
    FLine += ' ';
    AppendInt(FLine, WidthScale(outline.BoxBottom));
    FLine += ' ';
    AppendInt(FLine, WidthScale(outline.BoxRight));
    FLine += ' ';
    AppendInt(FLine, WidthScale(outline.BoxTop));
    FLine += ']';
    WriteLine();
    FLine.assign("/Flags 4/Ascent ");
    AppendInt(FLine, WidthScale(outline.Ascent));
    FLine += "/Descent ";
    AppendInt(FLine, WidthScale(outline.Descent));
    FLine += "/ItalicAngle ";
    AppendInt(FLine, outline.ItalicAngle);
    FLine += ">>";
    WriteLine();
  } else {
    // A face without outlines: the box from the baseline's left end, down by the descent, across the
    // widest character and up by the ascent; the descent is written negative, below the baseline.
    TPlainMetrics plain = FMeasure->PlainMetrics();
    WriteLine("/FontDescriptor <</Type/FontDescriptor");
    FLine.assign("/FontBBox[0 ");
    AppendInt(FLine, -WidthScale(plain.Descent));
    FLine += ' ';
    AppendInt(FLine, WidthScale(plain.MaxCharWidth));
    FLine += ' ';
    AppendInt(FLine, WidthScale(plain.Ascent));
    FLine += ']';
    WriteLine();
    FLine.assign("/Flags 4/Ascent ");
    AppendInt(FLine, WidthScale(plain.Ascent));
    FLine += "/Descent ";
    AppendInt(FLine, -WidthScale(plain.Descent));
    FLine += ">>";
    WriteLine();
  }
  const TDeclaredWidths declared = DeclaredWidths(*FMeasure, Entry.Name, Entry.Style);
  FLine.assign("/FirstChar ");
  AppendInt(FLine, declared.First);
  WriteLine();
  FLine.assign("/LastChar ");
  AppendInt(FLine, declared.Last);
  WriteLine();

  FLine.assign("/Widths [");
  for (int32_t code = declared.First; code <= declared.Last; ++code) {
    AppendInt(FLine, declared.Widths[static_cast<size_t>(code)]);
    FLine += ' ';
  }
  WriteRaw(FLine);
  WriteLine("]");
  EndDictObject();
}
