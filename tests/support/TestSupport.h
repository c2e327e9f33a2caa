#pragma once
// Helpers shared by the tests: scratch folders, a message box that records and answers, the photo
// corpus, and running external programs (qpdf, pdftoppm, jbig2dec, ...).

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
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
  std::vector<bool> Answers;     // consumed front to back; when empty, OK
  std::function<void()> OnShow;  // when set, called after each message is recorded
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
// blue; a grey picture's sample three times) each, rows from the top: a reference independent of the
// program's picture library. False (with a recorded failure) when djpeg is missing or refuses the
// bytes.
bool DjpegPixels(const std::string& Jpeg, int& Width, int& Height, std::string& Rgb);
// Reads a binary PPM (P6) or PGM (P5) of 8-bit samples into Width x Height pixels, three bytes each,
// rows from the top. False (with a recorded failure) for anything else.
bool ReadPpm(const std::string& Ppm, int& Width, int& Height, std::string& Rgb);

// Renders page Page (from 1) of Pdf with poppler's pdftoppm at exactly Width x Height pixels into Rgb,
// three bytes (red, green, blue) a pixel, rows from the top. False (with a recorded failure) when
// pdftoppm is missing or fails.
bool PdfPagePixels(const std::filesystem::path& Pdf, int Page, int Width, int Height, std::string& Rgb);

// How far apart two pictures of Width x Height pixels (Rgb as above) are once both are slightly blurred
// (a 3 x 3 box, twice), so that anti-aliasing and resampling count little and a missing or moved
// shape counts much: the mean difference per channel over the whole picture, and the largest mean
// difference of any tile of 16 x 16 pixels.
struct TPictureDifference {
  double Mean = 0, WorstTile = 0;
  int WorstTileX = 0, WorstTileY = 0;  // its top-left pixel
};
TPictureDifference ComparePictures(const std::string& A, const std::string& B, int Width, int Height);

// Puts the JPEG file Thumbnail into the JPEG file Photo's EXIF block as its small picture, and sets the
// orientation tag to Orientation unless it is 0, with exiftool (an independent writer). False, with a
// recorded failure, when exiftool is missing or fails.
bool AddExifThumbnail(const std::string& Photo, const std::string& Thumbnail, int Orientation = 0);

// Writes a picture of Width x Height in BitCount bits with a pattern, so that it is not one flat colour
// (a chequer board of 4-pixel squares in 1 bit), through the picture library as Format (3 BMP, 7 JPEG).
// A failure is recorded when it cannot.
void WritePicture(const std::filesystem::path& File, int Width, int Height, int BitCount, int Format);

// Writes a 48 x 32 JPEG of flat quadrants (red, lime, blue, white from the top left) on 8 x 8 blocks
// without chroma subsampling, which JPEG keeps nearly intact, so each corner says where it went; made
// by ImageMagick, with the EXIF orientation tag Orientation (1 to 8) written by exiftool. False (with a
// recorded failure) when either fails.
bool WriteQuadrantJpeg(const std::string& File, int Orientation);

// Writes a JPEG of Width x Height pixels of ImageMagick's seeded plasma (the same bytes every time),
// progressive or baseline, and keeps only the first Keep share of its bytes (1: the whole file). False
// (with a recorded failure) when convert fails.
bool WriteCutJpeg(const std::string& File, int Width, int Height, bool Progressive, double Keep);

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

// Sets the environment variable Name to Value for as long as it lives, then puts back what was there.
class TEnvOverride {
 public:
  TEnvOverride(std::string Name, const std::string& Value);
  ~TEnvOverride();
  TEnvOverride(const TEnvOverride&) = delete;
  TEnvOverride& operator=(const TEnvOverride&) = delete;

 private:
  std::string FName, FOld;
  bool FHadOld;
};

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

// Ends the running test unless Condition holds (an installed font, a locale), in the same way; What
// says what is missing.
#define QTEST_REQUIRE(Condition, What)                                                                  \
  do {                                                                                                  \
    if (!(Condition)) {                                                                                 \
      if (::qtest::MissingAllowed()) GTEST_SKIP() << (What) << " is missing";                           \
      FAIL() << (What) << " is missing; scripts/install-deps.sh --test and scripts/test.sh provide it"; \
    }                                                                                                   \
  } while (false)

// Ends the running test unless the photo corpus is there, in the same way.
#define QTEST_REQUIRE_PHOTOS()                                                                            \
  do {                                                                                                    \
    if (::qtest::PhotosDir().empty()) {                                                                   \
      if (::qtest::MissingAllowed()) GTEST_SKIP() << "the photo corpus is not made";                      \
      FAIL() << "the photo corpus is missing: set QUIRVEL_PHOTOS or run scripts/test.sh, which makes it"; \
    }                                                                                                     \
  } while (false)
