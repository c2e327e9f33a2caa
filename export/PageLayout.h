#pragma once
// The layout of album pages without any drawing: where each picture, its frame, its clip and its text
// lines go, where heading and page number stand, and when a page is full. The PDF export executes
// these placements; a page preview can compute the same ones without writing a file.
//
// Everything is in whole points in top-down page coordinates (PageGeometry.h). Texts are UTF-8.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "album/LayoutSettings.h"
#include "export/PageGeometry.h"
#include "export/TextLines.h"

class TFontMetrics;

// The user-interface font the photo texts are wrapped with: its name and em height in pixels
// (8 points at 96 pixels per inch).
inline constexpr const char* KWrapFontName = "MS Sans Serif";
constexpr int32_t KWrapFontPixels = 11;

// Font sizes taken from settings are brought into 1 .. KMaxFontSize points before use, so that a
// damaged album cannot make the heading space or the text heights overflow.
constexpr int32_t KMaxFontSize = 2000;
int32_t FontPoints(const TFontSpec& Font);

// The three widths the layout needs. Wrap measures in the user-interface font (pixels = points of cell
// width); TextFont and HeadingFont measure as the PDF writer does with those fonts selected.
struct TLayoutMeasures {
  TMeasure Wrap;
  TMeasure TextFont;
  TMeasure HeadingFont;
};

// Which of the two fonts the PDF writer is asked to embed for all their texts (TPDFCanvas::EmbedFont).
struct TFontEmbedding {
  bool Heading = false;
  bool Text = false;
};

// The fonts to embed when the album's texts are Texts: all with EmbedFonts on or PDF/A; otherwise the heading
// font when the heading is shown and does not fit Windows-1252, and the text font when a photo text
// shown does not. Heading and text font of the same face and style are embedded together.
TFontEmbedding FontsToEmbed(const TLayoutSettings& Settings, const std::vector<std::string>& Texts);

// Measures through Metrics exactly as the PDF writer does with each font selected and embedded as
// Embedding says, so widths agree with the writer's TextWidth. Metrics must outlive the result.
TLayoutMeasures MakeLayoutMeasures(const TLayoutSettings& Settings, std::shared_ptr<TFontMetrics> Metrics,
                                   TFontEmbedding Embedding = {});

// The settings as the export reads them: number fields inside their limits.
TLayoutSettings LayoutSnapshot(const TLayoutSettings& Settings);

// The grid of page Page (from 1): the heading space HH is 3 x the heading font's size on page 1 when
// the heading is on, and on later pages only when it is on all pages; the bleed B from Settings.Bleed.
TPageGrid PageGridFor(const TLayoutSettings& Settings, int32_t Page);

struct TTextPlacement {
  int32_t X = 0, Y = 0;  // top-left corner of the text
  std::string Text;
};

// Background, heading and page number of one page.
struct TPageDecorations {
  bool Background = false;       // fill the whole page (the colour is not white)
  uint32_t BackgroundColor = 0;  // resolved 0x00BBGGRR
  bool Heading = false;
  TTextPlacement HeadingText;
  bool PageNumber = false;
  TTextPlacement NumberText;
  // Page 1 puts the heading first, every later page the page number first.
  bool NumberFirst = false;
};

TPageDecorations DecoratePage(const TLayoutSettings& Settings, const TPageGrid& Grid, int32_t Page,
                              const TLayoutMeasures& Measures);

// Where a picture goes in its cell, without its texts. The frame goes around the picture rectangle.
// A picture whose fitted width or height is not positive (its texts take the whole cell) is not drawn,
// and neither is its frame.
//
// With bleed, a picture whose visible area lies on a trim edge (TouchedTrimSides) reaches over it into
// the bleed: its rectangle is scaled up (CoverBleed) to cover that area grown past the page's edge on
// those sides, it is clipped to the grown area, and its frame's lines on those sides move out past
// the page's edge too. Its other edges stay where they were; pictures on no trim edge stay as they are.
struct TPictureBox {
  bool Drawn = false;
  TFittedPicture Fit;  // the fitting as computed, before the enlargement's extra point
  TRect Picture;       // the rectangle the picture is stretched over
  bool Clip = false;   // clip the picture to ClipRect: with maximal enlargement, or reaching the bleed
  TRect ClipRect;
  TRect Frame;                // the frame's rectangle
  bool FrameClipped = false;  // the frame is cut by the clip too (maximal enlargement)
  TBleedSides Bleed;          // the trim edges the picture reaches over
};
TPictureBox PlacePictureBox(const TPageGrid& Grid, int32_t Col, int32_t Row, int32_t E, int32_t IW, int32_t IH,
                            bool ZoomIn);

// One picture in its cell: its box and frame, and its text lines, which start at the top of the cell
// when the picture is not drawn.
struct TPicturePlacement {
  int32_t CellX = 0, CellY = 0;
  int32_t CellW = 0, CellH = 0;  // the cell's size: the grid's cell, or the automatic layout's slot
  int32_t E = 0;       // height of the picture area: the cell less the text lines
  TFittedPicture Fit;  // the fitting as computed, before the enlargement's extra point
  bool DrawPicture = false;
  int32_t X = 0, Y = 0, Width = 0, Height = 0;  // picture rectangle
  bool Clip = false;                            // see TPictureBox
  int32_t ClipX1 = 0, ClipY1 = 0, ClipX2 = 0, ClipY2 = 0;
  bool Frame = false;
  TRect FrameBox;
  bool FrameClipped = false;
  int32_t FramePen = 0;
  uint32_t FrameColor = 0;  // resolved
  TBleedSides Bleed;
  // The photo text's lines, first line first. Lines that would start below the page (its trim box)
  // are left out; LinesLeftOut counts them.
  std::vector<TTextPlacement> Lines;
  size_t LinesLeftOut = 0;
};

// Places a picture of IW x IH pixels with its Text in cell (Col, Row) of Grid.
TPicturePlacement PlacePicture(const TLayoutSettings& Settings, const TPageGrid& Grid, int32_t Col,
                               int32_t Row, int32_t IW, int32_t IH, std::string_view Text,
                               const TLayoutMeasures& Measures);

// "Füllen" in the grid: P (placed by PlacePicture in a cell of Grid for a picture of IW x IH) covers
// its picture area instead, the cell less its text lines: scaled to the larger of the two ratios,
// moved so that the point FocusX, FocusY (fractions of the picture) lies where it lies in the area,
// and clipped to the area, whose frame it gets. The text lines start below the area. Nothing changes
// for a picture not drawn.
void FillCell(TPicturePlacement& P, const TPageGrid& Grid, int32_t IW, int32_t IH, double FocusX, double FocusY);

// The smallest and the largest rectangle a photo can be drawn in on any page of an export, each side
// on its own; neither Drawn when no page would draw it. For loading a picture with no more pixels than
// it can be shown with before its cell is known.
struct TPlacementRange {
  TPlacedSize Smallest, Largest;
};

// The picture areas each photo's text leaves in a cell of page 1 and of the later pages: the heading
// space may differ between them, the cell width and the text lines do not. Made once when an export
// starts, from the settings as the export reads them (LayoutSnapshot) and the photos' texts; Range
// may then be called on any thread.
class TPlacementBounds {
 public:
  TPlacementBounds(const TLayoutSettings& Settings, const std::vector<std::string>& Texts,
                   const TLayoutMeasures& Measures);
  // What PlacePicture gives photo Photo of IW x IH pixels on the pages of the export, at most and at
  // least.
  TPlacementRange Range(size_t Photo, int32_t IW, int32_t IH) const;

 private:
  TPageGrid FGrids[2];  // page 1 and every later page
  bool FZoomIn = false;
  std::vector<std::array<int32_t, 2>> FAreas;
};

// Photos whose text lines (with the margins, spacing and heading) leave their cell no picture area would
// vanish from the PDF: the export refuses to write it and the print check fails. PhotoWithoutRoom
// finds, without any picture, the first photo (from 0) whose area is not positive in a cell of a
// page it may land on; Texts.size() when every photo has room. With every photo placed Copies times,
// photo I lands on page 1 when the photos before it leave a cell there, and on a later page when
// its copies may reach past page 1 (unreadable photos before it only move it forward).
size_t PhotoWithoutRoom(const TLayoutSettings& Settings, const std::vector<std::string>& Texts,
                        const TLayoutMeasures& Measures);
// The German message for photo Number (from 1) with file FileName on page Page getting no picture area.
std::string NoRoomMessage(size_t Number, const std::string& FileName, int32_t Page);

// The walk through the cells: left to right, top to bottom, page after page. A new page is begun only
// when another picture is about to be placed, so a full last page is never followed by an empty one.
//
// A section begins on a page of its own whose heading is the section's title: such a page has the
// heading space of page 1 whatever the heading settings say (SectionSettings). FirstIsSection: page 1
// begins a section.
class TPageFlow {
 public:
  explicit TPageFlow(const TLayoutSettings& Settings, bool FirstIsSection = false);

  // True when the current page is full: call NextPage before placing the next picture.
  bool PageFull() const { return FFull; }
  // True while no cell of the current page has been used.
  bool PageEmpty() const { return FCol == 0 && FRow == 0 && !FFull; }
  // Begins the next page: page number + 1, the grid for that page, first cell. SectionStart: the page
  // begins a section.
  void NextPage(bool SectionStart = false);
  // The current page, while still empty, begins a section after all: it gets the heading's space.
  void MakeSectionStart();
  // Moves past the cell just used; sets PageFull after the last cell of the page.
  void Advance();

  int32_t Page() const { return FPage; }
  int32_t Col() const { return FCol; }
  int32_t Row() const { return FRow; }
  const TPageGrid& Grid() const { return FGrid; }

 private:
  TLayoutSettings FSettings;
  TPageGrid FGrid;
  int32_t FPage = 1;
  int32_t FCol = 0, FRow = 0;
  bool FFull = false;
};

// The settings a page that begins a section is laid out and decorated with: the heading on, with
// Title as its text, cut with an ellipsis to the page's width as Measures measure it.
TLayoutSettings SectionSettings(const TLayoutSettings& Settings, const std::string& Title,
                                const TLayoutMeasures& Measures);

// Settings whose heading texts, for choosing the fonts to embed (FontsToEmbed), are the album name
// and every section title.
TLayoutSettings WithSectionTitles(TLayoutSettings Settings, const std::vector<std::string>& Titles);

// Text cut to at most Width as Measure measures it: whole characters from the front and "…", or Text
// itself when it fits; control characters are dropped first.
std::string FitText(const std::string& Text, int32_t Width, const TMeasure& Measure);

// For a preview: the pictures to place (already repeated, unreadable ones left out) and the pages they
// make, in the grid or laid out automatically as Settings.PageLayout says (AutoPages.h). Always at
// least one page.
struct TLayoutItem {
  int32_t Width = 0, Height = 0;  // pixels
  std::string Text;
  // How the photo is placed: KPlaceFill, KPlaceBig, KPlaceFullPage (PicEntry.h), and with KPlaceFill
  // the point that stays in view, in fractions of the picture as it is shown (after its turns).
  uint8_t Placement = 0;
  double FocusX = 0.5, FocusY = 0.5;
};
// A forced page break: a section begins with item Item, on a new page headed Title. Breaks come in the
// order of their items.
struct TLayoutBreak {
  size_t Item = 0;
  std::string Title;
};
struct TPageLayout {
  int32_t Page = 1;
  TPageGrid Grid;
  TPageDecorations Decorations;
  std::vector<TPicturePlacement> Pictures;
  std::vector<size_t> Items;  // index into the items for each picture
};
// Sets Item's placement; a focus point outside 0..1 (or NaN) is taken as the centre.
void SetItemPlacement(TLayoutItem& Item, uint8_t Placement, double FocusX, double FocusY);
std::vector<TPageLayout> LayoutPages(const TLayoutSettings& Settings, const std::vector<TLayoutItem>& Items,
                                     const TLayoutMeasures& Measures, const std::vector<TLayoutBreak>& Breaks = {});
