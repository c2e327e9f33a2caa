#pragma once
// Helpers shared by the tests: scratch folders, a message box that records and answers, the photo
// corpus, and running external programs (qpdf, pdftoppm, jbig2dec, ...).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace qtest {

// A fresh folder under the build tree, removed when the object dies.
class TScratchDir {
 public:
  TScratchDir();
  ~TScratchDir();
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;
  const std::filesystem::path& Path() const { return FPath; }
  std::string operator/(const std::string& Name) const { return (FPath / Name).string(); }

 private:
  std::filesystem::path FPath;
};

// Records every message and answers questions from a script (default: OK). Installs itself as the
// core's message box for its lifetime.
class TRecordingMessageBox final : public TMessageBox {
 public:
  struct TShown {
    std::string Text, Title;
    TMsgIcon Icon;
    TMsgButtons Buttons;
  };
  TRecordingMessageBox();
  ~TRecordingMessageBox() override;
  bool Show(const std::string& Text, const std::string& Title, TMsgIcon Icon, TMsgButtons Buttons) override;

  std::vector<TShown> Shown;
  std::vector<bool> Answers;  // consumed front to back; when empty, OK
};

// The photo corpus made by make-photos.sh (QUIRVEL_PHOTOS, or <build>/photos); empty when absent.
std::filesystem::path PhotosDir();

// The external readers (qpdf, poppler, jbig2dec, ImageMagick, ...) and the photo corpus belong to the
// tests: the test command installs and makes them, and there a missing one fails the test that needs
// it. Only a run by hand with QUIRVEL_TESTS_ALLOW_MISSING=1 in the environment may skip such a test
// instead, and each skip says what was missing.
bool MissingAllowed();
// True when Name can be run. Otherwise records a failure of the running test, or with missing tools
// allowed notes the gap on standard error; false either way. For checks in the middle of a test.
bool NeedProgram(const std::string& Name);
// The corpus's manifest.tsv as rows of cells (file, width, height, format, type, bmp_bits,
// exif_orientation, ...), without the header row; empty when there is no corpus.
std::vector<std::vector<std::string>> PhotoManifest();

// Reads a whole file; throws on failure.
std::string ReadFile(const std::filesystem::path& Path);
void WriteFile(const std::filesystem::path& Path, const std::string& Bytes);

// Runs a shell command, returns its exit status; Output receives standard output when given.
int Run(const std::string& Command, std::string* Output = nullptr);
// Quotes a text for the shell.
std::string Quote(const std::string& Text);
bool HaveProgram(const std::string& Name);

// Decodes JPEG bytes with libjpeg's own djpeg into Width x Height pixels, three bytes (red, green,
// blue) each, rows from the top: a reference independent of the program's picture library. False
// (with a recorded failure) when djpeg is missing or refuses the bytes.
bool DjpegPixels(const std::string& Jpeg, int& Width, int& Height, std::string& Rgb);

// Writes a 48 x 32 JPEG of flat quadrants (red, lime, blue, white from the top left) on 8 x 8 blocks
// without chroma subsampling, which JPEG keeps nearly intact, so each corner says where it went; made
// by ImageMagick, with the EXIF orientation tag Orientation (1 to 8) written by exiftool. False (with a
// recorded failure) when either fails.
bool WriteQuadrantJpeg(const std::string& File, int Orientation);

// The outcome of running the program under test.
struct TProgramResult {
  int Status = -1;
  std::string Out;
  std::string Err;
};
// Runs "Program Args" (Args already quoted for the shell) in Dir with no display at all, so a window
// could not open; standard error goes to a file, so progress comes as lines. Env, when given, adds
// variables ("NAME=value ...", quoted for the shell) after the display's are removed.
TProgramResult RunWithoutDisplay(const std::string& Program, const std::filesystem::path& Dir,
                                 const std::string& Args, const std::string& Env = {});

// A file size limit stands in for a full disk: while it lives, writes past Bytes fail with EFBIG, as
// on a full disk they fail with ENOSPC.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(unsigned long long Bytes);
  ~TFileSizeLimit();
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

 private:
  unsigned long long FOldLimit;
  void (*FOldSignal)(int);
};

}  // namespace qtest

// Ends the running test unless the program Name can be run: a failure, or a skip when missing tools
// are allowed (see MissingAllowed).
#define QTEST_REQUIRE_PROGRAM(Name)                                                        \
  do {                                                                                     \
    if (!::qtest::HaveProgram(Name)) {                                                     \
      if (::qtest::MissingAllowed()) GTEST_SKIP() << (Name) << " is not installed";        \
      FAIL() << (Name) << " is not installed; scripts/install-deps.sh --test installs it"; \
    }                                                                                      \
  } while (false)

// Ends the running test unless the photo corpus is there, in the same way.
#define QTEST_REQUIRE_PHOTOS()                                                                            \
  do {                                                                                                    \
    if (::qtest::PhotosDir().empty()) {                                                                   \
      if (::qtest::MissingAllowed()) GTEST_SKIP() << "the photo corpus is not made";                      \
      FAIL() << "the photo corpus is missing: set QUIRVEL_PHOTOS or run scripts/test.sh, which makes it"; \
    }                                                                                                     \
  } while (false)
