#include "platform/Dialogs.h"

#include <algorithm>
#include <filesystem>

namespace {

const char* const KAlbumFilter = "Quirvel Dateien (*.qvl)|*.qvl";
const char* const KPdfFilter = "PDF-Dateien (*.pdf)|*.pdf";

std::string Upper(std::string_view Text) {
  std::string upper(Text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

std::string FolderOf(const std::string& File) { return std::filesystem::path(File).parent_path().string(); }

std::string_view TrimBlanks(std::string_view Text) {
  while (!Text.empty() && Text.front() == ' ') Text.remove_prefix(1);
  while (!Text.empty() && Text.back() == ' ') Text.remove_suffix(1);
  return Text;
}

// The description without a trailing "(...)", which a dialog would take for its pattern list.
std::string_view WithoutBracketedPatterns(std::string_view Description) {
  Description = TrimBlanks(Description);
  if (!Description.empty() && Description.back() == ')') {
    const size_t open = Description.rfind('(');
    if (open != std::string_view::npos) Description = TrimBlanks(Description.substr(0, open));
  }
  return Description;
}

}  // namespace

TFileDialog AlbumOpenDialog() { return {TFileDialogKind::OpenAlbum, KAlbumFilter, "qvl", false, false}; }

TFileDialog AlbumSaveDialog() { return {TFileDialogKind::SaveAlbum, KAlbumFilter, "qvl", true, false}; }

TFileDialog PhotoAddDialog(std::string Filter) {
  return {TFileDialogKind::AddPhotos, std::move(Filter), std::string(), false, true};
}

TFileDialog PdfSaveDialog() { return {TFileDialogKind::SavePdf, KPdfFilter, "pdf", true, false}; }

std::vector<std::string> FileDialogFilterLines(std::string_view Filter) {
  std::vector<std::string> lines;
  while (!Filter.empty()) {
    const size_t bar = Filter.find('|');
    const std::string_view description = Filter.substr(0, bar);
    std::string_view patterns;
    if (bar == std::string_view::npos) {
      Filter = {};
    } else {
      Filter.remove_prefix(bar + 1);
      const size_t next = Filter.find('|');
      patterns = Filter.substr(0, next);
      Filter = next == std::string_view::npos ? std::string_view() : Filter.substr(next + 1);
    }
    std::vector<std::string> seen;  // upper case, to drop repeats
    std::string list;
    while (!patterns.empty()) {
      const size_t semi = patterns.find(';');
      std::string_view pattern = TrimBlanks(patterns.substr(0, semi));
      patterns = semi == std::string_view::npos ? std::string_view() : patterns.substr(semi + 1);
      if (pattern.empty()) continue;
      if (pattern == "*.*") pattern = "*";
      const std::string key = Upper(pattern);
      if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
      seen.push_back(key);
      if (!list.empty()) list += ' ';
      list += pattern;
    }
    if (list.empty()) continue;
    lines.push_back(std::string(WithoutBracketedPatterns(description)) + " (" + list + ")");
  }
  return lines;
}

void TFileProposals::Chosen(TFileDialogKind Kind, const std::string& File) {
  std::vector<std::string>& chosen = FChosen[Kind];
  std::erase(chosen, File);
  chosen.insert(chosen.begin(), File);
  if (chosen.size() > KRemembered) chosen.pop_back();
  FFailedFolders.erase(FolderOf(File));
}

void TFileProposals::Failed(const std::string& File) { FFailedFolders.insert(FolderOf(File)); }

std::string TFileProposals::Proposal(TFileDialogKind Kind) const {
  const auto chosen = FChosen.find(Kind);
  if (chosen == FChosen.end()) return {};
  for (const std::string& file : chosen->second)
    if (!FolderFailed(FolderOf(file))) return file;
  return {};
}
