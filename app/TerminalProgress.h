#pragma once
// Progress of `quirvel export` on standard error: on a terminal one bar that is redrawn in place (photo
// count, page, and the current picture's decoding percentage); otherwise, for logs and pipes, one line
// per finished page and nothing in between.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>

#include "export/AlbumExport.h"
#include "platform/Messages.h"
#include "platform/ProgressSink.h"

class TTerminalProgress final : public TExportListener, public TProgressSink, public TMessageBox {
 public:
  // Terminal: draw the bar (the caller decides, usually isatty on standard error).
  TTerminalProgress(std::ostream& Err, bool Terminal);
  // Ends a bar that is still on the line.
  ~TTerminalProgress() override;

  void PhotoStarting(size_t Index, size_t Count) override;
  void PageFinished(int32_t Page) override;
  // The current picture's decoding percentage.
  void Progress(int Percent) override;
  // Messages of the export (a page file that could not be created) go on a line of their own, so the
  // bar never runs into them.
  bool Show(const std::string& Text, const std::string& Title, TMsgIcon Icon, TMsgButtons Buttons) override;

  // Moves off the bar's line; the next drawing starts a new bar.
  void EndLine();

 private:
  void Draw();

  std::ostream& FErr;
  bool FTerminal;
  bool FOnLine = false;
  size_t FIndex = 0, FCount = 0;
  int32_t FPage = 1;
  int FPercent = -1;
  std::string FLast;
};
