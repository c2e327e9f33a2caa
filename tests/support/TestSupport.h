#pragma once
// Helpers shared by the tests: scratch folders, a message box that records and answers, the photo
// corpus, and running external programs (qpdf, pdftoppm, jbig2dec, ...).

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
