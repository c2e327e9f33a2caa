#pragma once
// The desktop shell: asks the desktop to open a file with its default application (the action a
// double-click in the file manager performs). The outcome is not examined by callers.

#include <string>

class TShell {
 public:
  virtual ~TShell() = default;
  // Starts the default application for FileName and returns without waiting for it.
  virtual void OpenFile(const std::string& FileName) = 0;
};

// Opens files with xdg-open, detached from this process.
class TXdgShell final : public TShell {
 public:
  void OpenFile(const std::string& FileName) override;
};
