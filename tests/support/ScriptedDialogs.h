#pragma once
// Dialogs for tests: every dialog asked for is recorded, and answered from a script. An empty script
// answers Cancel.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace qtest {

class TScriptedDialogs final : public TDialogs {
 public:
  bool ChooseFiles(const TFileDialog& Dialog, std::vector<std::string>& Files) override;
  bool ChooseFont(TFontChoice& Font) override;
  bool ChooseColor(uint32_t& Color) override;
  bool ChooseSort(TSortChoice& Choice) override;
  void FileFailed(const std::string& File) override { FailedFiles.push_back(File); }

  std::vector<TFileDialog> FileDialogs;                             // asked for, in order
  std::vector<TFontChoice> FontsShown;                              // what each font dialog started with
  std::vector<uint32_t> ColorsShown;                                // what each colour dialog started with
  std::vector<std::string> FailedFiles;                             // told FileFailed, in order
  std::deque<std::optional<std::vector<std::string>>> FileAnswers;  // nullopt: Cancel
  std::deque<std::optional<TFontChoice>> FontAnswers;
  std::deque<std::optional<uint32_t>> ColorAnswers;
  std::vector<TSortChoice> SortsShown;
  std::deque<std::optional<TSortChoice>> SortAnswers;
};

}  // namespace qtest
