#include "support/ScriptedDialogs.h"

namespace qtest {

namespace {

template <typename T>
std::optional<T> Next(std::deque<std::optional<T>>& Answers) {
  if (Answers.empty()) return std::nullopt;
  std::optional<T> answer = Answers.front();
  Answers.pop_front();
  return answer;
}

}  // namespace

bool TScriptedDialogs::ChooseFiles(const TFileDialog& Dialog, std::vector<std::string>& Files) {
  FileDialogs.push_back(Dialog);
  const auto answer = Next(FileAnswers);
  if (!answer) return false;
  Files = *answer;
  return true;
}

bool TScriptedDialogs::ChooseFont(TFontChoice& Font) {
  FontsShown.push_back(Font);
  const auto answer = Next(FontAnswers);
  if (!answer) return false;
  Font = *answer;
  return true;
}

bool TScriptedDialogs::ChooseColor(uint32_t& Color) {
  ColorsShown.push_back(Color);
  const auto answer = Next(ColorAnswers);
  if (!answer) return false;
  Color = *answer;
  return true;
}

}  // namespace qtest
