#pragma once
// What a reader of the PDF uses to find its way about: the outline (bookmarks), the page labels, links
// from one page to another, and whether the document opens showing the outline. The page drawing
// knows where things are; the writer only turns these lists into objects when the document ends.
//
// Pages are counted from 0 in the order they were drawn. An outline entry or link whose page does not
// exist when the document ends is left out; a label range starting past the last page too. Texts are
// UTF-8 and written as UTF-16BE with a byte order mark, control characters dropped, so that every
// reader decodes them in every script.

#include <cstdint>
#include <string>
#include <vector>

// How the pages of a label range are numbered: not at all (an empty label), 1, 2, 3, or i, ii, iii.
enum class TPageLabelStyle { None, Decimal, LowerRoman };

struct TPdfLabelRange {
  int32_t FirstPage = 0;  // the range runs up to the next range's first page
  TPageLabelStyle Style = TPageLabelStyle::Decimal;
  int32_t Start = 1;  // the number its first page shows
};

struct TPdfOutlineEntry {
  std::string Title;
  int32_t Page = 0;
};

// A clickable rectangle on Page (page units, top-left origin, X2 and Y2 just outside, as with
// rectangles on the canvas) that jumps to Target.
struct TPdfLink {
  int32_t Page = 0;
  int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  int32_t Target = 0;
};

struct TPdfNavigation {
  std::vector<TPdfOutlineEntry> Outline;
  std::vector<TPdfLabelRange> Labels;  // in order of their first pages
  std::vector<TPdfLink> Links;
  bool ShowOutline = false;  // the catalog's /PageMode /UseOutlines
  // A document with navigation also names its title in the information dictionary.
  bool Empty() const { return Outline.empty() && Labels.empty() && Links.empty() && !ShowOutline; }
};

// Text as a PDF text string wants it: well-formed UTF-8 (bytes that are no UTF-8 read as
// Windows-1252) without control characters.
std::string CleanPdfText(const std::string& Text);
