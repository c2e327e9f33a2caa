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
  bool Show(const std::string& Text, const std::string& Title, TMsgIcon Icon,
            TMsgButtons Buttons) override;

  std::vector<TShown> Shown;
  std::vector<bool> Answers;  // consumed front to back; when empty, OK
};

// The photo corpus made by make-photos.sh (QUIRVEL_PHOTOS, or <build>/photos); empty when absent.
std::filesystem::path PhotosDir();

// Reads a whole file; throws on failure.
std::string ReadFile(const std::filesystem::path& Path);
void WriteFile(const std::filesystem::path& Path, const std::string& Bytes);

// Runs a shell command, returns its exit status; Output receives standard output when given.
int Run(const std::string& Command, std::string* Output = nullptr);
// Quotes a text for the shell.
std::string Quote(const std::string& Text);
bool HaveProgram(const std::string& Name);

}  // namespace qtest
