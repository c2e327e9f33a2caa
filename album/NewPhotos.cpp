#include "album/NewPhotos.h"

#include <filesystem>
#include <system_error>

#include "album/PhotoSort.h"
#include "album/TextTemplate.h"
#include "imaging/pictaro/Pictaro.h"

namespace fs = std::filesystem;

bool MakePhotoRecords(const std::vector<std::string>& Paths, const TLayoutSettings& Settings,
                      TPhotoRecords& Records, const std::atomic<bool>* Cancel,
                      const TFilesProgress& Progress) {
  for (size_t i = 0; i < Paths.size(); ++i) {
    if (Cancel && Cancel->load()) return false;
    const std::optional<std::string> text = NewPhotoText(Settings, Paths[i]);
    TPicEntry entry{};
    if (!SetEntryFileName(entry, Paths[i]) || (text && !SetEntryText(entry, *text))) {
      ReleaseEntry(entry);
      return false;
    }
    Records.Add(entry);
    if (Progress) Progress(i + 1, Paths.size());
  }
  return true;
}

std::vector<uint32_t> PlacesAt(uint32_t Gap, size_t Count) {
  std::vector<uint32_t> places(Count);
  for (size_t i = 0; i < Count; ++i) places[i] = Gap + static_cast<uint32_t>(i);
  return places;
}

namespace {

// The files directly in Folder, in natural name order; false when it cannot be read.
bool FolderFiles(const std::string& Folder, std::vector<std::string>& Files,
                 const std::atomic<bool>* Cancel) {
  std::error_code error;
  fs::directory_iterator entries(Folder, error);
  if (error) return false;
  for (const fs::directory_entry& entry : entries) {
    if (Cancel && Cancel->load()) return true;
    std::error_code kind;
    if (!entry.is_directory(kind)) Files.push_back(entry.path().string());
  }
  SortByName(Files);
  return true;
}

}  // namespace

TDroppedFiles CollectDroppedFiles(const std::vector<std::string>& Paths, const std::atomic<bool>* Cancel,
                                  const TFilesProgress& Progress) {
  TDroppedFiles dropped;
  std::vector<std::string> candidates;
  for (const std::string& path : Paths) {
    if (Cancel && Cancel->load()) break;
    std::error_code error;
    if (fs::is_directory(path, error)) {
      if (!FolderFiles(path, candidates, Cancel)) dropped.Refused.push_back(path);
    } else {
      candidates.push_back(path);
    }
  }
  for (size_t i = 0; i < candidates.size(); ++i) {
    if (Cancel && Cancel->load()) {
      dropped.Cancelled = true;
      return dropped;
    }
    (IsPictureFile(candidates[i].c_str()) ? dropped.Pictures : dropped.Refused).push_back(candidates[i]);
    if (Progress) Progress(i + 1, candidates.size());
  }
  dropped.Cancelled = Cancel && Cancel->load();
  return dropped;
}

std::string RefusedFilesMessage(const std::vector<std::string>& Refused) {
  if (Refused.empty()) return {};
  std::string message =
      Refused.size() == 1
          ? "Diese Datei ist kein Bild, das Quirvel lesen kann, und wurde nicht hinzugefügt:\n"
          : "Diese " + std::to_string(Refused.size()) +
                " Dateien sind keine Bilder, die Quirvel lesen kann, und wurden nicht hinzugefügt:\n";
  for (size_t i = 0; i < Refused.size() && i < KRefusedNamed; ++i) message += "\n" + Refused[i];
  if (Refused.size() > KRefusedNamed)
    message += "\n… und " + std::to_string(Refused.size() - KRefusedNamed) + " weitere.";
  return message;
}
