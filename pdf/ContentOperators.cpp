// Page content operators: pen, brush, lines, rectangles, line cap and clipping. Pen and brush are
// written only when they differ from what the stream last received, so a run of shapes in one colour
// carries its colour once.
//
// Every operator has one shape: check that a document is open, format the line into FLine, write it,
// update the remembered state. Coordinates are computed in 64 bits: no int32 input overflows.

#include "pdf/PDFWriterCanvas.h"
#include "pdf/PdfFormat.h"

namespace {

// A rectangle's extent moved one unit towards zero, so that it covers the same pixels as the point
// conversion of its first and last rows and columns.
int64_t Inner(int64_t D) { return D > 0 ? D - 1 : D < 0 ? D + 1 : 0; }

const char* DashLine(TPenStyle Style) {
  switch (Style) {
    case psDash: return "[3] 0 d";
    case psDot: return "[1] 0 d";
    case psDashDot: return "[3 1 1 1] 0 d";
    case psDashDotDot: return "[3 1 1 1 1 1] 0 d";
    case psClear: return nullptr;
    case psSolid:
    case psInsideFrame:
    default: return "[ ] 0 d";
  }
}

}  // namespace

void TPDFCanvas::ApplyPen() {
  if (FPenValid && Pen == FLastPen) return;
  const char* dash = DashLine(Pen.Style);
  FPenClear = dash == nullptr;
  if (!FPenClear) {
    WriteLine(dash);
    FLine.clear();
    AppendInt(FLine, Pen.Width);
    FLine += " w";
    WriteLine();
    FLine.clear();
    AppendColor(FLine, Pen.Color);
    FLine += " RG";
    WriteLine();
  }
  FPenValid = true;
  FLastPen = Pen;
}

void TPDFCanvas::ApplyBrush() {
  if (FBrushValid && Brush == FLastBrush) return;
  FBrushClear = Brush.Style == bsClear;
  if (!FBrushClear) {
    FLine.clear();
    AppendColor(FLine, Brush.Color);
    FLine += " rg";
    WriteLine();
  }
  FBrushValid = true;
  FLastBrush = Brush;
}

void TPDFCanvas::MoveTo(int32_t X, int32_t Y) {
  if (!FActive) return;
  FPenX = X;
  FPenY = Y;
}

void TPDFCanvas::LineTo(int32_t X, int32_t Y) {
  if (!FActive) return;
  ApplyPen();
  if (!FPenClear) {
    FLine.clear();
    AppendInt(FLine, FPenX);
    FLine += ' ';
    AppendInt(FLine, PointY(FPenY));
    FLine += " m";
    WriteLine();
    FLine.clear();
    AppendInt(FLine, X);
    FLine += ' ';
    AppendInt(FLine, PointY(Y));
    FLine += " l";
    WriteLine();
    WriteLine("S");
  }
  FPenX = X;
  FPenY = Y;
}

void TPDFCanvas::FillRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  if (!FActive || X1 == X2 || Y1 == Y2) return;
  ApplyBrush();
  if (FBrushClear) return;
  WriteRectPath(X1, int64_t(PageHeight) - Y2, Inner(int64_t(X2) - X1), Inner(int64_t(Y2) - Y1));
  WriteLine("f");
}

void TPDFCanvas::Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  if (Pen.Style == psClear) {
    FillRect(X1, Y1, X2, Y2);
    return;
  }
  if (!FActive || X1 == X2 || Y1 == Y2) return;
  ApplyPen();
  ApplyBrush();
  if (!FBrushClear) {
    WriteRectPath(X1, int64_t(PageHeight) - Y2, Inner(int64_t(X2) - X1), Inner(int64_t(Y2) - Y1));
    WriteLine("B");
  } else if (!FPenClear) {
    // An outline only: four strokes along the shape's outermost pixels. The corners one unit inside
    // X2 and Y2 are computed so that INT32_MIN still has a neighbour.
    const int32_t right = X2 > INT32_MIN ? X2 - 1 : X2;
    const int32_t bottom = Y2 > INT32_MIN ? Y2 - 1 : Y2;
    MoveTo(X1, Y1);
    LineTo(right, Y1);
    LineTo(right, bottom);
    LineTo(X1, bottom);
    LineTo(X1, Y1);
  }
}

void TPDFCanvas::WriteRectPath(int64_t X, int64_t Y, int64_t Width, int64_t Height) {
  FLine.clear();
  AppendInt(FLine, X);
  FLine += ' ';
  AppendInt(FLine, Y);
  FLine += ' ';
  AppendInt(FLine, Width);
  FLine += ' ';
  AppendInt(FLine, Height);
  FLine += " re";
  WriteLine();
}

void TPDFCanvas::SetLineCap(int32_t Cap) {
  // Only while a page is open: there is no stream to carry it otherwise.
  if (!FActive) return;
  FLine.clear();
  AppendInt(FLine, Cap);
  FLine += " J";
  WriteLine();
}

void TPDFCanvas::BeginClip(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  if (!FActive) return;
  // Each BeginClip is matched by one EndClip; only those that wrote "q" may write "Q", so that the
  // stream's saves and restores stay balanced whatever the caller passes.
  const bool degenerate = X1 == X2 || Y1 == Y2;
  FClips.push_back(!degenerate);
  if (degenerate) return;
  WriteLine("q");
  WriteRectPath(X1, int64_t(PageHeight) - Y2, int64_t(X2) - X1, int64_t(Y2) - Y1);
  WriteLine("W");
  WriteLine("n");
}

void TPDFCanvas::EndClip() {
  if (!FActive || FClips.empty()) return;
  const bool saved = FClips.back();
  FClips.pop_back();
  if (!saved) return;
  WriteLine("Q");
  // The restored graphics state no longer holds what was set inside the clip.
  FPenValid = FBrushValid = FFontValid = false;
}
