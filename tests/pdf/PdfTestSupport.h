#pragma once
// Helpers for the writer's tests: a deterministic font measurer, pulling objects and inflated page
// streams out of a written file, and running the system's PDF readers over it.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pdf/PDFWriterCanvas.h"
#include "support/TestSupport.h"

namespace pdftest {

// Measures every character as half the em wide, lines as em + em / 4 high; an outline font unless
// told otherwise. Lets the byte-exact tests ignore which fonts the machine has.
class TFixedMetrics final : public TFontMetrics {
 public:
  bool Outline = true;
  int32_t Em = 0;
  std::vector<std::string> Selected;  // names in order of selection

  void SelectFont(std::string_view Name, TFontStyles, int32_t PixelSize) override {
    Selected.emplace_back(Name);
    Em = PixelSize;
  }
  int32_t LineHeight() override { return Em + Em / 4; }
  TTextExtent TextExtent(std::string_view Text) override {
    return {static_cast<int32_t>(Text.size()) * (Em / 2), LineHeight()};
  }
  bool OutlineMetrics(TOutlineMetrics& Out) override {
    if (!Outline) return false;
    Out = {-1, -3, 12, 11, 9, -3, -12, 32, 34};
    return true;
  }
  TPlainMetrics PlainMetrics() override { return {15, 12, 3, 9, 32, 33}; }
};

inline std::shared_ptr<TFixedMetrics> FixedMetrics() { return std::make_shared<TFixedMetrics>(); }

// The text of object Number ("N 0 obj" up to and including "endobj").
inline std::string Object(const std::string& Pdf, int Number) {
  std::string head = "\n" + std::to_string(Number) + " 0 obj\n";
  size_t at = Pdf.find(head);
  if (at == std::string::npos) return {};
  size_t end = Pdf.find("\nendobj\n", at + 1);
  return Pdf.substr(at + 1, end == std::string::npos ? std::string::npos : end + 7 - at);
}

// The operators of page Page (from 1): its stream's bytes, as long as the length object says, less
// the line feed that length counts, inflated.
inline std::string PageOperators(const std::string& Pdf, int Page) {
  std::string content = Object(Pdf, 2 * Page);
  std::string lengthObj = Object(Pdf, 2 * Page + 1);
  size_t start = content.find("stream\n");
  if (start == std::string::npos || lengthObj.empty()) return "<missing>";
  size_t length = std::stoul(lengthObj.substr(lengthObj.find('\n') + 1));
  std::string compressed = content.substr(start + 7, length - 1);
  EXPECT_EQ(content.substr(start + 7 + length - 1, 11), "\nendstream\n");
  std::vector<unsigned char> out(1 << 24);
  uLongf outLen = out.size();
  int rc =
      uncompress(out.data(), &outLen, reinterpret_cast<const Bytef*>(compressed.data()), compressed.size());
  EXPECT_EQ(rc, Z_OK);
  return std::string(reinterpret_cast<char*>(out.data()), outLen);
}

// qpdf --check passes without warnings.
inline void ExpectQpdfClean(const std::string& File) {
  QTEST_REQUIRE_PROGRAM("qpdf");
  std::string out;
  int rc = qtest::Run("qpdf --check " + qtest::Quote(File) + " 2>&1", &out);
  EXPECT_EQ(rc, 0) << out;
  EXPECT_NE(out.find("No syntax or stream encoding errors found"), std::string::npos) << out;
}

// What qpdf's JSON says, for the navigation tests of the writer and the export.
// qpdf's JSON (version 1) of File, the keys Keys only.
inline std::string QpdfJson(const std::string& File, const std::string& Keys) {
  std::string out;
  EXPECT_EQ(qtest::Run("qpdf --json=1 --json-key=" + Keys + " " + qtest::Quote(File), &out), 0) << out;
  return out;
}

// Removes line feeds with the indentation after them and the blank after a key's colon, so that
// qpdf's JSON is compared on its content; blanks inside strings stay.
inline std::string Squeeze(const std::string& Json) {
  std::string out;
  bool lineStart = false;
  for (char c : Json) {
    if (c == '\n') {
      lineStart = true;
      continue;
    }
    if (lineStart && c == ' ') continue;
    lineStart = false;
    if (c == ' ' && out.size() >= 2 && out.compare(out.size() - 2, 2, "\":") == 0) continue;
    out += c;
  }
  return out;
}

// The outline entries qpdf reports, in order: (page from 1, title). Titles hold no quotes.
inline std::vector<std::pair<int, std::string>> OutlineEntries(const std::string& Squeezed) {
  std::vector<std::pair<int, std::string>> entries;
  const std::string pageKey = "\"destpageposfrom1\":", titleKey = "\"title\":\"";
  for (size_t at = Squeezed.find(pageKey); at != std::string::npos; at = Squeezed.find(pageKey, at + 1)) {
    const int page = std::stoi(Squeezed.substr(at + pageKey.size()));
    const size_t title = Squeezed.find(titleKey, at) + titleKey.size();
    entries.emplace_back(page, Squeezed.substr(title, Squeezed.find('"', title) - title));
  }
  return entries;
}

}  // namespace pdftest
