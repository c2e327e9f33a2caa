#pragma once
// Executes page placements (PageLayout.h) on a PDF writer: the page start (line cap, background,
// heading, page number) and one picture with its frame and text lines.
//
// Like every writer operation these do nothing when the writer has no open document, which is what a
// page whose numbered file could not be created relies on.

#include "album/LayoutSettings.h"
#include "export/PageLayout.h"
#include "imaging/Dib.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/PictureEncoding.h"

// The writer's font for a dialog font: name, size in points (FontPoints), style bits, resolved colour.
TPDFFont PdfFontFor(const TFontSpec& Font);

// Line cap 2, then the background, then the heading and the page number as Decorations say, in the
// order they say.
void DrawPageStart(TPDFCanvas& Canvas, const TLayoutSettings& Settings, const TPageDecorations& Decorations);

// The picture (when Placement.DrawPicture) clipped to its cell under maximal enlargement, its frame,
// and its text lines, written from the last line to the first. The picture is only placed
// (TPDFCanvas::PlacePicture): the caller has it encoded as the result says, unless nothing was placed.
TPlacedImage DrawPicturePlacement(TPDFCanvas& Canvas, const TLayoutSettings& Settings,
                                  const TPicturePlacement& Placement, const TPictureSource& Picture);
