#include "app/TerminalProgress.h"

#include <algorithm>
#include <ostream>

namespace {
constexpr int KBarWidth = 30;
}

TTerminalProgress::TTerminalProgress(std::ostream& Err, bool Terminal) : FErr(Err), FTerminal(Terminal) {}

TTerminalProgress::~TTerminalProgress() { EndLine(); }

void TTerminalProgress::PhotoStarting(size_t Index, size_t Count) {
  FIndex = Index;
  FCount = Count;
  FPercent = -1;
  Draw();
}

void TTerminalProgress::PageFinished(int32_t Page) {
  FPage = Page + 1;
  if (!FTerminal) FErr << "Seite " << Page << " fertig\n" << std::flush;
}

void TTerminalProgress::Progress(int Percent) {
  Percent = std::clamp(Percent, 0, 100);
  if (Percent == FPercent) return;
  FPercent = Percent;
  Draw();
}

bool TTerminalProgress::Show(const std::string& Text, const std::string& Title, TMsgIcon, TMsgButtons) {
  EndLine();
  FErr << (Title.empty() ? "" : Title + ": ") << Text << '\n' << std::flush;
  return false;
}

void TTerminalProgress::EndLine() {
  if (!FOnLine) return;
  FErr << '\n' << std::flush;
  FOnLine = false;
  FLast.clear();
}

void TTerminalProgress::Draw() {
  if (!FTerminal || FCount == 0) return;
  // The bar counts whole photos plus the fraction of the one being decoded.
  const double done =
      (static_cast<double>(FIndex) + (FPercent > 0 ? FPercent / 100.0 : 0.0)) / static_cast<double>(FCount);
  const int filled = std::clamp(static_cast<int>(done * KBarWidth), 0, KBarWidth);
  std::string line = "\r[" + std::string(static_cast<size_t>(filled), '#') +
                     std::string(static_cast<size_t>(KBarWidth - filled), '.') + "] Foto " +
                     std::to_string(FIndex + 1) + "/" + std::to_string(FCount) + ", Seite " +
                     std::to_string(FPage) + " ";
  if (line == FLast) return;  // redraw only what changed: decoding reports come often
  FLast = line;
  FErr << line << std::flush;
  FOnLine = true;
}
