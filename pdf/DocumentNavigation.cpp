// The outline, page labels, links and the document's title in the information dictionary: what
// Navigation asks for, written around the catalog once the number of pages is known.

#include <algorithm>

#include "pdf/PDFWriterCanvas.h"
#include "pdf/PdfFormat.h"
#include "platform/TextEncoding.h"

std::string CleanPdfText(const std::string& Text) {
  const std::string utf8 = IsValidUtf8(Text) ? Text : Cp1252ToUtf8(Text);
  std::string clean;
  clean.reserve(utf8.size());
  for (unsigned char c : utf8)
    if (c >= 0x20 && c != 0x7F) clean += static_cast<char>(c);
  return clean;
}

namespace {

// A text string as UTF-16BE with its byte order mark, "<FEFF...>".
void AppendTextString(std::string& Out, const std::string& Text) {
  Out += "<FEFF";
  AppendUtf16Hex(Out, CleanPdfText(Text));
  Out += '>';
}

// An explicit destination: the whole of the page whose object is PageObj.
void AppendDestination(std::string& Out, int64_t PageObj) {
  Out += "/Dest [";
  AppendInt(Out, PageObj);
  Out += " 0 R /Fit]";
}

}  // namespace

void TPDFCanvas::PrepareNavigation(int32_t Pages) {
  FOutline.clear();
  FLinks.clear();
  const auto exists = [Pages](int32_t Page) { return Page >= 0 && Page < Pages; };
  for (const TPdfOutlineEntry& entry : Navigation.Outline)
    if (exists(entry.Page)) FOutline.push_back(entry);
  for (const TPdfLink& link : Navigation.Links)
    if (exists(link.Page) && exists(link.Target) && link.X1 != link.X2 && link.Y1 != link.Y2)
      FLinks.push_back(link);
  // Each page's annotations are numbered one after the other.
  std::stable_sort(FLinks.begin(), FLinks.end(),
                   [](const TPdfLink& A, const TPdfLink& B) { return A.Page < B.Page; });
}

void TPDFCanvas::WriteNavigationCatalogEntries() {
  const int32_t pages = static_cast<int32_t>(FPageSizes->Count);
  bool any = false;
  int32_t last = -1;
  for (const TPdfLabelRange& range : Navigation.Labels) {
    // Ranges must rise; one out of order or past the last page is dropped.
    if (range.FirstPage <= last || range.FirstPage >= pages || range.FirstPage < 0) continue;
    if (!any) FLine.assign("/PageLabels << /Nums [");
    any = true;
    last = range.FirstPage;
    AppendInt(FLine, range.FirstPage);
    FLine += " <<";
    if (range.Style == TPageLabelStyle::Decimal) FLine += " /S /D";
    if (range.Style == TPageLabelStyle::LowerRoman) FLine += " /S /r";
    if (range.Style != TPageLabelStyle::None && range.Start != 1) {
      FLine += " /St ";
      AppendInt(FLine, std::max<int32_t>(1, range.Start));
    }
    FLine += " >> ";
  }
  if (any) {
    FLine.back() = ']';
    FLine += " >>";
    WriteLine();
  }
  if (Navigation.ShowOutline) WriteLine("/PageMode /UseOutlines");
}

void TPDFCanvas::WriteOutlineRoot() {
  const int64_t count = static_cast<int64_t>(FOutline.size());
  FLine.assign("/Count ");
  AppendInt(FLine, count);
  WriteLine();
  if (count == 0) return;
  const int64_t first = int64_t(FCatalogObj) + 2;
  FLine.assign("/First ");
  AppendInt(FLine, first);
  FLine += " 0 R /Last ";
  AppendInt(FLine, first + count - 1);
  FLine += " 0 R";
  WriteLine();
}

void TPDFCanvas::WriteNavigationObjects(int32_t FirstPageObj) {
  const int64_t root = int64_t(FCatalogObj) + 1;
  const size_t count = FOutline.size();
  for (size_t k = 0; k < count; ++k) {
    const int32_t number = BeginDictObject();
    FLine.assign("/Title ");
    AppendTextString(FLine, FOutline[k].Title);
    WriteLine();
    FLine.assign("/Parent ");
    AppendInt(FLine, root);
    FLine += " 0 R";
    if (k > 0) {
      FLine += " /Prev ";
      AppendInt(FLine, number - 1);
      FLine += " 0 R";
    }
    if (k + 1 < count) {
      FLine += " /Next ";
      AppendInt(FLine, number + 1);
      FLine += " 0 R";
    }
    WriteLine();
    FLine.clear();
    AppendDestination(FLine, int64_t(FirstPageObj) + FOutline[k].Page);
    WriteLine();
    EndDictObject();
  }
  for (const TPdfLink& link : FLinks) {
    const int64_t height = (*FPageSizes)[link.Page].Height;
    BeginDictObject();
    WriteLine("/Type /Annot /Subtype /Link /F 4 /Border [0 0 0]");
    FLine.assign("/Rect [");
    AppendInt(FLine, std::min(link.X1, link.X2));
    FLine += ' ';
    AppendInt(FLine, height - std::max(link.Y1, link.Y2));
    FLine += ' ';
    AppendInt(FLine, std::max(link.X1, link.X2));
    FLine += ' ';
    AppendInt(FLine, height - std::min(link.Y1, link.Y2));
    FLine += ']';
    WriteLine();
    FLine.clear();
    AppendDestination(FLine, int64_t(FirstPageObj) + link.Target);
    WriteLine();
    EndDictObject();
  }
}

void TPDFCanvas::WritePageAnnotations(int32_t Page, int32_t FirstAnnotObj) {
  const auto begin = std::lower_bound(FLinks.begin(), FLinks.end(), Page,
                                      [](const TPdfLink& L, int32_t P) { return L.Page < P; });
  if (begin == FLinks.end() || begin->Page != Page) return;
  FLine.assign("/Annots [");
  for (auto it = begin; it != FLinks.end() && it->Page == Page; ++it) {
    AppendInt(FLine, int64_t(FirstAnnotObj) + (it - FLinks.begin()));
    FLine += " 0 R ";
  }
  FLine.back() = ']';
  WriteLine();
}

void TPDFCanvas::WriteTitleInfo() {
  // Under PDF/A the archival information dictionary holds the title already.
  if (PdfA != TPdfA::None || Navigation.Empty()) return;
  FInfoObj = BeginDictObject();
  FLine.assign("/Title ");
  AppendTextString(FLine, Title);
  WriteLine();
  EndDictObject();
}
