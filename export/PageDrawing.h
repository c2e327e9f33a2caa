#pragma once
// Executes page placements (PageLayout.h) on a drawing surface: the page start (line cap, background,
// heading, page number) and one picture with its frame and text lines. The PDF writer and the preview's
// page raster both draw through here, so the preview shows what the PDF holds.
//
// Like every writer operation these do nothing when the writer has no open document, which is what a
// page whose numbered file could not be created relies on.

#include "album/LayoutSettings.h"
#include "export/PageLayout.h"
#include "imaging/pictaro/Dib.h"
#include "pdf/DrawingSurface.h"
#include "pdf/PictureEncoding.h"

// The writer's font for a dialog font: name, size in points (FontPoints), style bits, resolved colour.
TPDFFont PdfFontFor(const TFontSpec& Font);

// Asks Surface to embed the heading and the text font as Embedding says, before the first text.
void EmbedLayoutFonts(TDrawingSurface& Surface, const TLayoutSettings& Settings, TFontEmbedding Embedding);

// Line cap 2, then the background, then the heading and the page number as Decorations say, in the
// order they say.
void DrawPageStart(TDrawingSurface& Canvas, const TLayoutSettings& Settings, const TPageDecorations& Decorations);

// The picture (when Placement.DrawPicture) clipped as Placement says (to its cell under maximal
// enlargement, to its area grown into the bleed), its frame, and its text lines, written from the last line to the first. On the PDF writer the picture is only
// placed (TPDFCanvas::PlacePicture): the caller has it encoded as the result says, unless nothing was
// placed.
TPlacedImage DrawPicturePlacement(TDrawingSurface& Canvas, const TLayoutSettings& Settings,
                                  const TPicturePlacement& Placement, const TPictureSource& Picture);
