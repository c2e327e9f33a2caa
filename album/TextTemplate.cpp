#include "album/TextTemplate.h"

#include <cstdio>

#include "album/PhotoEditing.h"

namespace {

constexpr const char* KMonths[12] = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                                     "Juli",   "August",  "September", "Oktober", "November", "Dezember"};

// The name of the folder Path is in: the part before its last "/", without its own folders.
std::string_view FolderName(std::string_view Path) {
  const std::string_view name = FileNamePart(Path);
  std::string_view folder = Path.substr(0, Path.size() - name.size());
  if (!folder.empty()) folder.remove_suffix(1);
  return FileNamePart(folder);
}

std::string_view WithoutExtension(std::string_view Name) {
  const size_t dot = Name.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? Name : Name.substr(0, dot);
}

std::string TimeText(const TDateTaken& Date) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", Date.Hour % 100, Date.Minute % 100);
  return text;
}

}  // namespace

std::string GermanLongDate(int Year, int Month, int Day) {
  if (Month < 1 || Month > 12) return {};
  return std::to_string(Day) + ". " + KMonths[Month - 1] + " " + std::to_string(Year);
}

bool TemplateNeedsDate(std::string_view Template) {
  return Template.find("{Datum}") != std::string_view::npos ||
         Template.find("{Uhrzeit}") != std::string_view::npos;
}

std::string FillTextTemplate(std::string_view Template, std::string_view FilePath, const TDateTaken& Date) {
  const std::string pathText = PathAsText(FilePath);
  const std::string_view Path = pathText;
  std::string text;
  size_t i = 0;
  while (i < Template.size()) {
    const size_t open = Template.find('{', i);
    const size_t close = open == std::string_view::npos ? open : Template.find('}', open);
    if (close == std::string_view::npos) {
      text += Template.substr(i);
      break;
    }
    text += Template.substr(i, open - i);
    const std::string_view field = Template.substr(open + 1, close - open - 1);
    const std::string_view name = FileNamePart(Path);
    if (field == "Dateiname")
      text += name;
    else if (field == "Name")
      text += WithoutExtension(name);
    else if (field == "Ordner")
      text += FolderName(Path);
    else if (field == "Datum")
      text += Date.Known ? GermanLongDate(Date.Year, Date.Month, Date.Day) : std::string();
    else if (field == "Uhrzeit")
      text += Date.Known ? TimeText(Date) : std::string();
    else {
      // Not a field: the brace stays, and what follows is read again (it may hold a field).
      text += '{';
      i = open + 1;
      continue;
    }
    i = close + 1;
  }
  return text;
}

std::string TemplateText(std::string_view Template, const std::string& Path) {
  return FillTextTemplate(Template, Path, TemplateNeedsDate(Template) ? DateTakenOf(Path) : TDateTaken{});
}

std::optional<std::string> NewPhotoText(const TLayoutSettings& Settings, const std::string& Path) {
  if (!Settings.TextTemplate.empty()) return TemplateText(Settings.TextTemplate, Path);
  if (Settings.FilenamesCheck) return DefaultPhotoText(Path, Settings.PathCheck);
  return std::nullopt;
}

bool IsMadeText(std::string_view Text, std::string_view Template, const std::string& Path) {
  return Text.empty() || Text == DefaultPhotoText(Path, false) || Text == DefaultPhotoText(Path, true) ||
         (!Template.empty() && Text == TemplateText(Template, Path));
}
