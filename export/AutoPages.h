#pragma once
// The automatic layout ("Seitenaufteilung": "Automatisch") as the export, the preview and the print
// check use it: the photos' sizes and texts in, the same pages of placements as the grid gives out
// (TPageLayout), so that one drawing serves both layouts.
//
// The usable area is the grid's with one cell: the page less its margins and the heading space. Each
// photo's text lines are reserved below its picture: wrapped first at the width a page of "Fotos je
// Seite" photos gives a column, and once more at the width of the slot the photo got, after which the
// page is arranged again with those heights (its breaks stay). A cut picture is drawn at the size of
// the whole photo, placed so that the part shown lies in its place, and clipped to that place. Pictures
// reaching a trim edge with no margin reach into the bleed as in the grid.

#include <vector>

#include "export/PageLayout.h"

// Settings as the export reads them (LayoutSnapshot); Items already repeated and without the unreadable.
std::vector<TPageLayout> AutoLayoutPages(const TLayoutSettings& Settings, const std::vector<TLayoutItem>& Items,
                                         const TLayoutMeasures& Measures);

// The smallest and largest rectangle each item's picture is drawn in on Pages, by item; for loading a
// picture with no more pixels than it is shown with.
std::vector<TPlacementRange> ItemPlacementRanges(const std::vector<TPageLayout>& Pages, size_t Items);
