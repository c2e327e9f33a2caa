#include "support/ScriptedDialogs.h"

namespace qtest {

namespace {

// Records what the dialog started with and gives the next scripted answer; none left: Cancel.
template <typename TShown, typename T>
bool Answer(std::vector<TShown>& Shown, std::deque<std::optional<T>>& Answers, T& Value) {
  Shown.push_back(Value);
  if (Answers.empty()) return false;
  const std::optional<T> answer = Answers.front();
  Answers.pop_front();
  if (answer) Value = *answer;
  return answer.has_value();
}

}  // namespace

bool TScriptedDialogs::ChooseFiles(const TFileDialog& Dialog, std::vector<std::string>& Files) {
  FileDialogs.push_back(Dialog);
  std::vector<std::vector<std::string>> startedWith;  // the dialog itself is what tests look at
  return Answer(startedWith, FileAnswers, Files);
}

bool TScriptedDialogs::ChooseFont(TFontChoice& Font) { return Answer(FontsShown, FontAnswers, Font); }

bool TScriptedDialogs::ChooseColor(uint32_t& Color) { return Answer(ColorsShown, ColorAnswers, Color); }

bool TScriptedDialogs::ChooseSort(TSortChoice& Choice) { return Answer(SortsShown, SortAnswers, Choice); }

}  // namespace qtest
