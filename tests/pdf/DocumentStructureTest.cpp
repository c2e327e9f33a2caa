#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <charconv>
#include <filesystem>

#include "PdfTestSupport.h"
#include "platform/SafeFile.h"
#include "platform/SystemError.h"

using namespace pdftest;

namespace {

std::string WriteEmpty(const qtest::TScratchDir& Dir) {
  std::string file = Dir / "empty.pdf";
  TPDFCanvas pdf(FixedMetrics());
  EXPECT_TRUE(pdf.BeginDoc(file));
  pdf.EndDoc();
  return file;
}

// Offsets named by the cross-reference table, from object 0.
std::vector<long> XRefOffsets(const std::string& Pdf) {
  std::vector<long> offsets;
  size_t at = Pdf.find("\nxref\n");
  size_t line = Pdf.find('\n', at + 6) + 1;
  while (Pdf.compare(line, 7, "trailer") != 0) {
    EXPECT_EQ(Pdf[line + 19], '\n');  // every entry is 20 bytes with its line feed
    offsets.push_back(std::stol(Pdf.substr(line, 10)));
    line += 20;
  }
  return offsets;
}

}  // namespace

TEST(PdfDocument, EmptyDocumentIsExactToTheByte) {
  qtest::TScratchDir dir;
  std::string pdf = qtest::ReadFile(WriteEmpty(dir));
  const std::string zlibOfNothing("\x78\xDA\x03\x00\x00\x00\x00\x01", 8);
  std::string expected =
      "%PDF-1.3\n"
      "1 0 obj\n[/PDF /Text /ImageB /ImageC /ImageI]\nendobj\n"
      "2 0 obj\n<< /Length 3 0 R /Filter /FlateDecode >>\nstream\n" +
      zlibOfNothing +
      "\nendstream\nendobj\n"
      "3 0 obj\n9\nendobj\n"
      "4 0 obj\n<<\n/Type /Pages\n/Count 1\n/Kids [5 0 R]\n>>\nendobj\n"
      "5 0 obj\n<<\n/Type /Page\n/Parent 4 0 R\n/Resources <</XObject <<  >>\n"
      "/Font << >> /ProcSet 1 0 R\n>>\n/MediaBox [0 0 594 840]\n/Contents 2 0 R\n>>\nendobj\n"
      "6 0 obj\n<<\n/Type /Catalog\n/Pages 4 0 R\n/Outlines 7 0 R\n>>\nendobj\n"
      "7 0 obj\n<<\n/Type /Outlines\n/Count 0\n>>\nendobj\n"
      "xref\n0 8\n"
      "0000000000 65535 f \n0000000009 00000 n \n0000000061 00000 n \n0000000143 00000 n \n"
      "0000000160 00000 n \n0000000217 00000 n \n0000000363 00000 n \n0000000428 00000 n \n"
      "trailer\n<<\n/Size 8\n/Root 6 0 R\n>>\nstartxref\n474\n%%EOF";
  EXPECT_EQ(pdf, expected);
  EXPECT_EQ(pdf.size(), 696u);
  EXPECT_EQ(pdf.find("\r"), std::string::npos);
  EXPECT_EQ(XRefOffsets(pdf), (std::vector<long>{0, 9, 61, 143, 160, 217, 363, 428}));
}

TEST(PdfDocument, ReadersAcceptTheEmptyDocument) {
  qtest::TScratchDir dir;
  std::string file = WriteEmpty(dir);
  ExpectQpdfClean(file);
  if (qtest::NeedProgram("pdfinfo")) {
    std::string info;
    EXPECT_EQ(qtest::Run("pdfinfo " + qtest::Quote(file) + " 2>&1", &info), 0) << info;
    EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
    EXPECT_NE(info.find("594 x 840 pts"), std::string::npos) << info;
  }
}

// With P pages and F fonts: catalog 3P + 3 + F, /Size 3P + 5 + F; every offset in the table is where
// its object begins; each page's box is the size current when it ended.
TEST(PdfDocument, ObjectNumbersOffsetsAndPageSizesFollowTheCounts) {
  qtest::TScratchDir dir;
  std::string file = dir / "three.pdf";
  {
    TPDFCanvas pdf(FixedMetrics());
    ASSERT_TRUE(pdf.BeginDoc(file));
    pdf.TextOut(10, 10, "eins");
    pdf.NewPage();
    pdf.Font.Style = fsBold;
    pdf.TextOut(10, 10, "zwei");
    pdf.PageWidth = 300;  // takes effect for the page NewPage ends
    pdf.NewPage();
    pdf.PageHeight = 200;
    pdf.EndDoc();
  }
  std::string pdf = qtest::ReadFile(file);
  const int P = 3, F = 2;
  EXPECT_NE(pdf.find("/Root " + std::to_string(3 * P + 3 + F) + " 0 R"), std::string::npos);
  EXPECT_NE(pdf.find("/Size " + std::to_string(3 * P + 5 + F) + "\n"), std::string::npos);
  EXPECT_NE(pdf.find("/Kids [11 0 R 12 0 R 13 0 R]"), std::string::npos);
  EXPECT_NE(Object(pdf, 8).find("/BaseFont /Microsoft#20Sans#20Serif\n"), std::string::npos);
  EXPECT_NE(Object(pdf, 9).find("/BaseFont /Microsoft#20Sans#20Serif,Bold\n"), std::string::npos);
  EXPECT_NE(Object(pdf, 11).find("/MediaBox [0 0 594 840]"), std::string::npos);
  EXPECT_NE(Object(pdf, 12).find("/MediaBox [0 0 299 840]"), std::string::npos);
  EXPECT_NE(Object(pdf, 13).find("/MediaBox [0 0 299 199]"), std::string::npos);
  EXPECT_NE(Object(pdf, 13).find("/Contents 6 0 R"), std::string::npos);
  EXPECT_NE(Object(pdf, 12).find("/Font << /F1 8 0 R/F2 9 0 R>> /ProcSet 1 0 R"), std::string::npos);

  std::vector<long> offsets = XRefOffsets(pdf);
  ASSERT_EQ(offsets.size(), size_t(3 * P + 5 + F));
  for (size_t n = 1; n < offsets.size(); ++n)
    EXPECT_EQ(pdf.compare(offsets[n], std::to_string(n).size() + 6, std::to_string(n) + " 0 obj"), 0) << n;
  size_t startxref = pdf.rfind("startxref\n");
  EXPECT_EQ(std::stol(pdf.substr(startxref + 10)), static_cast<long>(pdf.rfind("xref\n0 ")));
  EXPECT_EQ(pdf.substr(pdf.size() - 6), "\n%%EOF");
  ExpectQpdfClean(file);
}

TEST(PdfDocument, EndDocTwiceAndDestructionWriteNothingMore) {
  qtest::TScratchDir dir;
  std::string file = dir / "once.pdf";
  TPDFCanvas pdf(FixedMetrics());
  ASSERT_TRUE(pdf.BeginDoc(file));
  pdf.EndDoc();
  auto size = std::filesystem::file_size(file);
  pdf.EndDoc();
  pdf.NewPage();
  pdf.Rectangle(0, 0, 10, 10);  // idle: no effect
  EXPECT_FALSE(pdf.Active());
  EXPECT_EQ(std::filesystem::file_size(file), size);
}

TEST(PdfDocument, DestructorEndsAnOpenDocument) {
  qtest::TScratchDir dir;
  std::string file = dir / "dtor.pdf";
  {
    TPDFCanvas pdf(FixedMetrics());
    ASSERT_TRUE(pdf.BeginDoc(file));
  }
  EXPECT_EQ(qtest::ReadFile(file).size(), 696u);
}

TEST(PdfDocument, FileThatCannotBeCreatedGivesFalse) {
  qtest::TScratchDir dir;
  TPDFCanvas pdf(FixedMetrics());
  EXPECT_FALSE(pdf.BeginDoc(dir / "no-such-folder/x.pdf"));
  EXPECT_FALSE(pdf.Active());
  pdf.EndDoc();                               // still idle: nothing happens
  EXPECT_TRUE(pdf.BeginDoc(dir / "ok.pdf"));  // the writer is still usable
}

// EndDoc throws the system error, the writer is idle again, and nothing more is written.
TEST(PdfDocument, WriteFailureThrowsOutOfEndDocAndLeavesTheWriterIdle) {
  qtest::TScratchDir dir;
  std::string file = dir / "limited.pdf";
  TPDFCanvas pdf(FixedMetrics());
  TSafeFile output(file);  // its temporary file shows how far the writer got
  {
    qtest::TFileSizeLimit limit(300);
    ASSERT_TRUE(pdf.BeginDoc(output));
    pdf.Rectangle(0, 0, 10, 10);
    try {
      pdf.EndDoc();
      FAIL() << "no error";
    } catch (const TSystemError& e) {
      EXPECT_EQ(e.ErrorCode(), EFBIG);
      EXPECT_EQ(e.FileName(), file);
    }
  }
  EXPECT_FALSE(pdf.Active());
  pdf.EndDoc();
  EXPECT_LE(std::filesystem::file_size(output.TempName()), 300u);
  EXPECT_FALSE(std::filesystem::exists(file));  // nothing half-written under the name
}

// A page larger than the output buffer goes out at NewPage: the failure surfaces there.
TEST(PdfDocument, WriteFailureDuringNewPageThrowsOutOfNewPage) {
  qtest::TScratchDir dir;
  std::string file = dir / "limited.pdf";
  qtest::TFileSizeLimit limit(1000);
  TPDFCanvas pdf(FixedMetrics());
  ASSERT_TRUE(pdf.BeginDoc(file));
  uint32_t seed = 1;
  for (int i = 0; i < 60000; ++i) {
    seed = seed * 1103515245u + 12345u;
    pdf.Brush.Color = seed >> 8;
    pdf.FillRect(seed % 997, seed % 991, seed % 983 + 1000, seed % 977 + 1000);
  }
  EXPECT_THROW(pdf.NewPage(), TSystemError);
  EXPECT_FALSE(pdf.Active());
}
