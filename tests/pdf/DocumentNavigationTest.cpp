// The outline, page labels, links and the document title, read back by independent readers (qpdf's
// JSON, pdfinfo) from the written file.

#include <gtest/gtest.h>

#include "PdfTestSupport.h"

using namespace pdftest;

namespace {

// Writes Pages pages of 400 x 600 units with Navigation and Title.
std::string WriteWithNavigation(const qtest::TScratchDir& Dir, int Pages, const TPdfNavigation& Navigation,
                                const std::string& Title, TPdfA PdfA = TPdfA::None) {
  std::string file = Dir / "nav.pdf";
  TPDFCanvas pdf(FixedMetrics());
  pdf.PageWidth = 400;
  pdf.PageHeight = 600;
  pdf.Title = Title;
  pdf.PdfA = PdfA;
  pdf.Created = 1700000000;
  EXPECT_TRUE(pdf.BeginDoc(file));
  for (int p = 1; p < Pages; ++p) pdf.NewPage();
  pdf.Navigation = Navigation;
  EXPECT_TRUE(pdf.EndDoc());
  return file;
}

// The value qpdf gives for Key ("/Rect", say) in the dictionary of object Object ("20 0 R"), as far as
// the next key.
// The JSON value starting at Begin in Squeezed: up to the comma after it, or the bracket that closes
// what holds it.
std::string ValueAt(const std::string& Squeezed, size_t Begin) {
  size_t end = Begin;
  for (int depth = 0; end < Squeezed.size(); ++end) {
    const char c = Squeezed[end];
    if (c == '"') end = Squeezed.find('"', end + 1);
    if (c == '[' || c == '{') ++depth;
    if (c == ']' || c == '}') --depth;
    if (depth < 0 || (depth == 0 && c == ',')) break;
  }
  return Squeezed.substr(Begin, end - Begin);
}

std::string ObjectEntry(const std::string& Squeezed, const std::string& Object, const std::string& Key) {
  const std::string head = "\"" + Object + "\":";
  const size_t at = Squeezed.find(head);
  if (at == std::string::npos) return "<no object " + Object + ">";
  const std::string dictionary = ValueAt(Squeezed, at + head.size());
  const size_t key = dictionary.find("\"" + Key + "\":");
  if (key == std::string::npos) return "<no " + Key + ">";
  return ValueAt(dictionary, key + Key.size() + 3);
}

}  // namespace

// Outline titles in several scripts come back decoded, in order, each on its page (qpdf counts pages
// from 1); control characters are dropped; an entry for a page that does not exist is left out.
TEST(PdfNavigation, OutlineTitlesAndTargetsAsQpdfReadsThem) {
  QTEST_REQUIRE_PROGRAM("qpdf");
  struct TRow {
    const char* Title;
    int Page;
    const char* Expected;  // as qpdf decodes it; nullptr: not written
  } rows[] = {
      {"Titelseite", 0, "Titelseite"},
      {"Inhaltsverzeichnis", 1, "Inhaltsverzeichnis"},
      {"Samstag, 17. Mai 2025", 2, "Samstag, 17. Mai 2025"},
      {"\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1", 3, "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1"},  // Greek
      {"\xE6\x9D\xB1\xE4\xBA\xAC", 3, "\xE6\x9D\xB1\xE4\xBA\xAC"},  // CJK
      {"\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", 2, "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D"},  // Hebrew, kept in logical order
      {"Tag\x01\x1F 2", 2, "Tag 2"},
      {"Fehlt", 9, nullptr},
  };
  TPdfNavigation nav;
  std::vector<std::pair<int, std::string>> expected;
  for (const TRow& row : rows) {
    nav.Outline.push_back({row.Title, row.Page});
    if (row.Expected) expected.emplace_back(row.Page + 1, row.Expected);
  }
  qtest::TScratchDir dir;
  const std::string file = WriteWithNavigation(dir, 4, nav, "Urlaub");
  EXPECT_EQ(OutlineEntries(Squeeze(QpdfJson(file, "outlines"))), expected);
  ExpectQpdfClean(file);
}

// Page labels: each row a set of ranges and the label dictionary qpdf works out for each of five
// pages (its /St is the number that page shows: "ii" is /r with /St 2).
TEST(PdfNavigation, PageLabelsAsQpdfReadsThem) {
  QTEST_REQUIRE_PROGRAM("qpdf");
  using S = TPageLabelStyle;
  struct TRow {
    std::vector<TPdfLabelRange> Ranges;
    std::vector<std::string> Labels;
  } rows[] = {
      // Title and contents in roman numbers, then 1, 2, 3.
      {{{0, S::LowerRoman, 1}, {2, S::Decimal, 1}},
       {"{\"/S\":\"/r\",\"/St\":1}", "{\"/S\":\"/r\",\"/St\":2}", "{\"/S\":\"/D\",\"/St\":1}",
        "{\"/S\":\"/D\",\"/St\":2}", "{\"/S\":\"/D\",\"/St\":3}"}},
      // An unnumbered title page: no style, an empty label.
      {{{0, S::None, 1}, {1, S::Decimal, 1}},
       {"{\"/St\":1}", "{\"/S\":\"/D\",\"/St\":1}", "{\"/S\":\"/D\",\"/St\":2}", "{\"/S\":\"/D\",\"/St\":3}",
        "{\"/S\":\"/D\",\"/St\":4}"}},
      // A count that starts at 5.
      {{{0, S::Decimal, 5}},
       {"{\"/S\":\"/D\",\"/St\":5}", "{\"/S\":\"/D\",\"/St\":6}", "{\"/S\":\"/D\",\"/St\":7}",
        "{\"/S\":\"/D\",\"/St\":8}", "{\"/S\":\"/D\",\"/St\":9}"}},
      // A range out of order (2 after 3) and one past the last page are dropped.
      {{{0, S::Decimal, 1}, {3, S::LowerRoman, 1}, {2, S::None, 1}, {7, S::None, 1}},
       {"{\"/S\":\"/D\",\"/St\":1}", "{\"/S\":\"/D\",\"/St\":2}", "{\"/S\":\"/D\",\"/St\":3}",
        "{\"/S\":\"/r\",\"/St\":1}", "{\"/S\":\"/r\",\"/St\":2}"}},
  };
  for (const TRow& row : rows) {
    TPdfNavigation nav;
    nav.Labels = row.Ranges;
    qtest::TScratchDir dir;
    const std::string json = Squeeze(QpdfJson(WriteWithNavigation(dir, 5, nav, "A"), "pages"));
    std::vector<std::string> labels;
    const std::string key = "\"label\":";
    for (size_t at = json.find(key); at != std::string::npos; at = json.find(key, at + 1))
      labels.push_back(json.substr(at + key.size(), json.find('}', at) + 1 - at - key.size()));
    EXPECT_EQ(labels, row.Labels) << row.Ranges.size() << " ranges";
  }
}

// Links: the rectangle in PDF units (a page 600 units high: canvas y 20 to 40 is PDF 560 to 580), the
// page they jump to, and nothing for a link to a page that does not exist; the document title and the
// outline shown on opening, read by pdfinfo and qpdf.
TEST(PdfNavigation, LinksTitleAndPageMode) {
  QTEST_REQUIRE_PROGRAM("qpdf");
  QTEST_REQUIRE_PROGRAM("pdfinfo");
  TPdfNavigation nav;
  nav.Links = {{1, 10, 20, 200, 40, 3}, {1, 10, 40, 200, 60, 2}, {2, 0, 0, 50, 50, 12}};
  nav.ShowOutline = true;  // without entries (qpdf would list them among the pages' objects)
  qtest::TScratchDir dir;
  const std::string file = WriteWithNavigation(dir, 4, nav, "Urlaub am See \xC3\xA4\xE2\x80\x93 2025");
  std::string info;
  ASSERT_EQ(qtest::Run("pdfinfo " + qtest::Quote(file), &info), 0);
  EXPECT_NE(info.find("Title:           Urlaub am See \xC3\xA4\xE2\x80\x93 2025\n"), std::string::npos) << info;

  const std::string pages = Squeeze(QpdfJson(file, "pages"));
  std::vector<std::string> pageObjects;
  for (size_t at = pages.find("\"object\":\""); at != std::string::npos; at = pages.find("\"object\":\"", at + 1))
    pageObjects.push_back(pages.substr(at + 10, pages.find('"', at + 10) - at - 10));
  ASSERT_EQ(pageObjects.size(), 4u);
  const std::string objects = Squeeze(QpdfJson(file, "objects"));
  EXPECT_EQ(ObjectEntry(objects, pageObjects[0], "/Annots"), "<no /Annots>");
  EXPECT_EQ(ObjectEntry(objects, pageObjects[2], "/Annots"), "<no /Annots>");
  const std::string annots = ObjectEntry(objects, pageObjects[1], "/Annots");
  ASSERT_EQ(std::count(annots.begin(), annots.end(), 'R'), 2) << annots;
  const std::string first = annots.substr(2, annots.find('"', 2) - 2);
  const std::string second = annots.substr(annots.find(",\"") + 2, annots.rfind('"') - annots.find(",\"") - 2);
  EXPECT_EQ(ObjectEntry(objects, first, "/Rect"), "[10,560,200,580]");
  EXPECT_EQ(ObjectEntry(objects, first, "/Dest"), "[\"" + pageObjects[3] + "\",\"/Fit\"]");
  EXPECT_EQ(ObjectEntry(objects, second, "/Rect"), "[10,540,200,560]");
  EXPECT_EQ(ObjectEntry(objects, second, "/Dest"), "[\"" + pageObjects[2] + "\",\"/Fit\"]");
  const std::string trailer = Squeeze(QpdfJson(file, "objects"));
  const size_t root = trailer.find("\"/Root\":\"");
  ASSERT_NE(root, std::string::npos);
  const std::string catalog = trailer.substr(root + 9, trailer.find('"', root + 9) - root - 9);
  EXPECT_EQ(ObjectEntry(objects, catalog, "/PageMode"), "\"/UseOutlines\"");
  ExpectQpdfClean(file);
}

// Under PDF/A the title stands in the archival information dictionary and the metadata, and the
// navigation's objects come before the metadata without upsetting the numbering.
TEST(PdfNavigation, ArchivalDocumentKeepsOneTitle) {
  QTEST_REQUIRE_PROGRAM("pdfinfo");
  TPdfNavigation nav;
  nav.Outline = {{"Eins", 0}, {"Zwei", 1}};
  nav.Links = {{0, 10, 10, 100, 30, 1}};
  qtest::TScratchDir dir;
  const std::string file = WriteWithNavigation(dir, 2, nav, "Hochzeit", TPdfA::A2b);
  std::string info, meta;
  ASSERT_EQ(qtest::Run("pdfinfo " + qtest::Quote(file), &info), 0);
  EXPECT_NE(info.find("Title:           Hochzeit\n"), std::string::npos) << info;
  EXPECT_NE(info.find("Producer:        Quirvel"), std::string::npos) << info;
  ASSERT_EQ(qtest::Run("pdfinfo -meta " + qtest::Quote(file), &meta), 0);
  EXPECT_NE(meta.find("<rdf:li xml:lang=\"x-default\">Hochzeit</rdf:li>"), std::string::npos) << meta;
  ExpectQpdfClean(file);
}
