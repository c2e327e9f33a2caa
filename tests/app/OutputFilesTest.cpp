// What the commands write to: links, modes, pipes, standard output, long names, and never over what
// they read. The built program runs without a display; qpdf and identify read what it wrote.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <future>

#include "platform/UnixFile.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using TResult = qtest::TProgramResult;

class OutputFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    QTEST_REQUIRE_PROGRAM("qpdf");
    QTEST_REQUIRE_PROGRAM("identify");
    for (const char* name : {"a.jpg", "b.jpg"}) qtest::WritePicture(Dir / name, 40, 30, 24, 7);
  }
  TResult Quirvel(const std::string& Args) { return qtest::RunWithoutDisplay(QUIRVEL_EXE, Dir.Path(), Args); }
  // qpdf finds nothing wrong with the PDF file (or the bytes) at Path.
  void ExpectPdf(const fs::path& Path) {
    std::string out;
    EXPECT_EQ(qtest::Run("qpdf --check " + qtest::Quote(Path) + " 2>&1", &out), 0) << Path << out;
  }
  void ExpectPng(const fs::path& Path) {
    std::string out;
    EXPECT_EQ(qtest::Run("identify -format %m " + qtest::Quote(Path) + " 2>&1", &out), 0) << out;
    EXPECT_EQ(out, "PNG") << Path;
  }
  mode_t ModeOf(const fs::path& Path) {
    struct stat st {};
    return ::stat(Path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }
  qtest::TScratchDir Dir;
};

// A link is written through and stays; the file it points to keeps its mode.
TEST_F(OutputFiles, LinksStayAndModesAreKept) {
  const struct {
    const char* Command;
    const char* Link;
    const char* Real;
    bool Pdf;
  } rows[] = {
      {"export link.pdf a.jpg", "link.pdf", "old.pdf", true},
      {"preview link.png a.jpg", "link.png", "old.png", false},
  };
  for (const auto& row : rows) {
    qtest::WriteFile(Dir / row.Real, "the old file");
    fs::permissions(Dir / row.Real, fs::perms(0600));
    fs::create_symlink(row.Real, Dir / row.Link);
    const TResult r = Quirvel(row.Command);
    ASSERT_EQ(r.Status, 0) << row.Command << r.Err;
    EXPECT_TRUE(fs::is_symlink(Dir / row.Link)) << row.Command;
    EXPECT_EQ(ModeOf(Dir / row.Real), 0600u) << row.Command;
    if (row.Pdf)
      ExpectPdf(Dir / row.Real);
    else
      ExpectPng(Dir / row.Real);
  }
}

// A named pipe is written to as it is, never replaced or read from: the reader gets the whole PDF.
TEST_F(OutputFiles, PipeGetsTheDocument) {
  const fs::path fifo = Dir.Path() / "pipe.pdf";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::future<std::string> read = std::async(std::launch::async, [fifo] {
    std::string bytes;
    const TFd fd(::open(fifo.c_str(), O_RDONLY | O_CLOEXEC));
    char buffer[4096];
    for (ssize_t n; fd.Valid() && (n = ::read(fd.Get(), buffer, sizeof buffer)) > 0;)
      bytes.append(buffer, static_cast<size_t>(n));
    return bytes;
  });
  const TResult r = Quirvel("export pipe.pdf a.jpg b.jpg");
  EXPECT_EQ(r.Status, 0) << r.Err;
  qtest::WriteFile(Dir / "read.pdf", read.get());
  ExpectPdf(Dir / "read.pdf");
  EXPECT_TRUE(fs::is_fifo(fifo));
}

// "-" is standard output; the messages go to standard error then, and what cannot go there is refused.
TEST_F(OutputFiles, DashIsStandardOutput) {
  const struct {
    const char* Command;
    int Status;
    const char* Starts;  // standard output's first bytes
    const char* Err;     // in standard error
  } rows[] = {
      {"export - a.jpg", 0, "%PDF-1.3", "PDF-Datei auf die Standardausgabe geschrieben."},
      {"preview - a.jpg", 0, "\x89PNG", "PNG-Bild auf die Standardausgabe geschrieben (Seite 1 von 1)."},
      {"export --separate - a.jpg", 1, "", "Fehler: --separate schreibt eine Datei je Seite"},
      {"export --open - a.jpg", 1, "", "Fehler: --open zeigt eine Datei"},
      {"preview --page all - a.jpg", 1, "", "Fehler: --page all schreibt eine Datei je Seite"},
  };
  for (const auto& row : rows) {
    const TResult r = Quirvel(row.Command);
    EXPECT_EQ(r.Status, row.Status) << row.Command << r.Err;
    EXPECT_EQ(r.Out.substr(0, std::strlen(row.Starts)), row.Starts) << row.Command;
    if (row.Status != 0) {
      EXPECT_EQ(r.Out, "") << row.Command;
    }
    EXPECT_NE(r.Err.find(row.Err), std::string::npos) << row.Command << r.Err;
  }
  EXPECT_FALSE(fs::exists(Dir / "-"));
  const TResult pdf = Quirvel("export - a.jpg b.jpg");
  qtest::WriteFile(Dir / "out.pdf", pdf.Out);
  ExpectPdf(Dir / "out.pdf");
}

// A name the folder can hold can be written, however long; one it cannot is said to be too long.
TEST_F(OutputFiles, LongNames) {
  std::string umlauts;
  for (int i = 0; i < 120; ++i) umlauts += "ü";  // 240 bytes, with ".pdf" 244
  const TResult r = Quirvel("export " + qtest::Quote(umlauts + ".pdf") + " a.jpg");
  EXPECT_EQ(r.Status, 0) << r.Err;
  ExpectPdf(Dir / (umlauts + ".pdf"));
  const TResult png = Quirvel("preview " + qtest::Quote(umlauts + ".png") + " a.jpg");
  EXPECT_EQ(png.Status, 0) << png.Err;

  const std::string tooLong(252, 'x');
  const TResult refused = Quirvel("export " + tooLong + ".pdf a.jpg");
  EXPECT_EQ(refused.Status, 1);
  EXPECT_NE(refused.Err.find("Der Dateiname ist für das Dateisystem zu lang."), std::string::npos) << refused.Err;
}

// No output replaces an input, whatever name it has: a page of --page all or --separate, an album
// written over a photo.
TEST_F(OutputFiles, NothingReadIsReplaced) {
  const std::string photo = qtest::ReadFile(Dir / "a.jpg");
  for (const char* copy : {"x-2.png", "p0002.pdf", "c.jpg"}) fs::copy_file(Dir / "a.jpg", Dir / copy);
  const struct {
    const char* Command;
    const char* Input;        // stays as it was
    const char* Err;          // in standard error
    const char* NotWritten;   // no such file afterwards
  } rows[] = {
      {"preview --page all --columns 1 --rows 1 x.png a.jpg x-2.png", "x-2.png",
       "Fehler: Die PNG-Datei „x-2.png“ würde die Datei „", "x-1.png"},
      {"export --separate --columns 1 --rows 1 p.pdf a.jpg p0002.pdf", "p0002.pdf",
       "1 Seitendatei konnte nicht erstellt werden", nullptr},
      {"album new c.jpg b.jpg", "c.jpg", "Fehler: „c.jpg“ ist keine Albumdatei und wird nicht durch ein Album ersetzt.",
       nullptr},
      // a photo of the album, named as the output
      {"export a.jpg alb.qvl", "a.jpg", "Fehler: Die PDF-Datei „a.jpg“ würde die Datei „", nullptr},
  };
  ASSERT_EQ(Quirvel("album new alb.qvl a.jpg").Status, 0);
  for (const auto& row : rows) {
    const TResult r = Quirvel(row.Command);
    EXPECT_EQ(r.Status, 1) << row.Command;
    EXPECT_NE(r.Err.find(row.Err), std::string::npos) << row.Command << r.Err;
    EXPECT_EQ(qtest::ReadFile(Dir / row.Input), photo) << row.Command;
    if (row.NotWritten) {
      EXPECT_FALSE(fs::exists(Dir / row.NotWritten)) << row.Command;
    }
  }
}

// A mistyped command, a folder among the photos, and where the note on unreadable photos goes.
TEST_F(OutputFiles, CommandLineMistakes) {
  fs::create_directory(Dir / "folder");
  qtest::WriteFile(Dir / "broken.jpg", "no picture");
  const struct {
    const char* Command;
    int Status;
    const char* Err;
  } rows[] = {
      {"exprot out.pdf a.jpg", 2, "Fehler: Unbekannter Befehl „exprot“, und eine Datei dieses Namens gibt es auch nicht."},
      {"export out.pdf folder", 1, "Fehler: „folder“ ist ein Ordner, kein Foto."},
      {"export out.pdf a.jpg broken.jpg", 0, "1 Foto konnte nicht gelesen werden und fehlt im Album.\n"},
      {"preview out.png a.jpg broken.jpg", 0, "1 Foto konnte nicht gelesen werden und fehlt im Album.\n"},
  };
  for (const auto& row : rows) {
    const TResult r = Quirvel(row.Command);
    EXPECT_EQ(r.Status, row.Status) << row.Command << r.Err;
    EXPECT_NE(r.Err.find(row.Err), std::string::npos) << row.Command << r.Err;
    EXPECT_EQ(r.Out.find("nicht gelesen"), std::string::npos) << row.Command;
  }
}

}  // namespace
