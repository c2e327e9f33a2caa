#include "app/AlbumOptions.h"

#include <filesystem>

#include "album/AlbumFile.h"
#include "album/PhotoEditing.h"
#include "app/AlbumEditing.h"
#include "app/BookOptions.h"
#include "app/SettingsOptions.h"

namespace {

bool HasAlbumExtension(const std::string& Path) {
  std::string ext = std::filesystem::path(Path).extension().string();
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext == ".qvl";
}

// An album is recognised by its first four bytes, whatever its name. Only a regular file is looked
// into: a pipe or a device is never opened, so an output named here is never read from.
bool HasAlbumMagic(const std::string& Path) { return IsAlbumFile(Path); }

}  // namespace

std::string OptionValue(const TCommandArgs& Args, size_t& Pos, const std::string& Option) {
  const std::string& arg = Args[Pos];
  if (arg.size() > Option.size() && arg[Option.size()] == '=') return arg.substr(Option.size() + 1);
  if (Pos + 1 >= Args.size()) throw TCommandError("Fehler: Zur Option " + Option + " fehlt der Wert.");
  return Args[++Pos];
}

bool IsOptionNamed(const std::string& Arg, const std::string& Option) {
  return Arg == Option || Arg.rfind(Option + "=", 0) == 0;
}

bool TAlbumOptions::Take(const TCommandArgs& Args, size_t& Pos) {
  const std::string& arg = Args[Pos];
  if (arg == "--embed-fonts") {
    EmbedFonts = true;
  } else if (IsOptionNamed(arg, "--name")) {
    Name = TextValue(OptionValue(Args, Pos, "--name"), "--name");
    HasName = true;
  } else if (IsOptionNamed(arg, "--frame-width")) {
    const std::string value = OptionValue(Args, Pos, "--frame-width");
    double number = 0;
    if (!ParseDecimal(value, number) || number != static_cast<int32_t>(number) ||
        number < KFrameWidthLimits.Min || number > KFrameWidthLimits.Max)
      throw TCommandError("Fehler: --frame-width erwartet eine ganze Zahl von 1 bis 100, nicht " + Quoted(value) +
                          ".");
    FrameWidth = static_cast<int32_t>(number);
    HasFrameWidth = true;
  } else {
    TLayoutSettings scratch;  // only to find out how many arguments a settings option takes
    TBookRequest request;
    const size_t start = Pos;
    if (!ApplySettingsOption(Args, Pos, scratch) && !ApplyBookOption(Args, Pos, scratch, request)) return false;
    SettingOptions.push_back(start);
  }
  return true;
}

void TAlbumOptions::ApplyTo(const TCommandArgs& Args, const TAlbumModel& Album, TLayoutSettings& Settings) const {
  TBookRequest request;
  for (size_t start : SettingOptions) {
    size_t pos = start;
    if (!ApplySettingsOption(Args, pos, Settings)) ApplyBookOption(Args, pos, Settings, request);
  }
  ApplyBookRequest(request, Album, Settings);
  if (HasName) Settings.CapED = Name;
  if (HasFrameWidth) Settings.RahmenBreiteEd = FrameWidth;
  Settings.EmbedFonts = EmbedFonts;
}

std::vector<std::string> ParseArguments(const TCommandArgs& Args, const std::string& Command,
                                        const std::function<bool(size_t& Pos)>& Take) {
  std::vector<std::string> positional;
  bool optionsEnded = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& arg = Args[i];
    if (optionsEnded || !IsOption(arg))
      positional.push_back(arg);
    else if (arg == "--")
      optionsEnded = true;
    else if (!Take(i))
      throw TUsageError("Fehler: Unbekannte Option " + Quoted(arg) + " für „quirvel " + Command + "“.");
  }
  return positional;
}

std::vector<std::string> ParseAlbumCommand(const TCommandArgs& Args, const std::string& Command,
                                           TAlbumOptions& Album, const std::function<bool(size_t& Pos)>& Own) {
  return ParseArguments(Args, Command, [&](size_t& Pos) { return Own(Pos) || Album.Take(Args, Pos); });
}

const std::string& AlbumOptionsHelp() {
  static const std::string help =
      "  --name TEXT          Überschrift (Vorgabe „Familienfotos“)\n"
      "  --frame-width N      Rahmenbreite 1 bis 100 (Vorgabe 10)\n"
      "  --embed-fonts        alle Schriften eingebettet (Teilmengen), etwa für Druckereien;\n"
      "                       sonst nur Schriften mit Zeichen außerhalb von Windows-1252\n";
  return help;
}

std::string LoadAlbumInput(const std::vector<std::string>& Positional, const std::string& FileKind,
                           const std::string& Usage, TAlbumModel& Album, TLayoutSettings& Settings) {
  if (Positional.empty()) throw TCommandError("Fehler: Der Name der " + FileKind + " fehlt.");
  if (Positional.size() < 2) throw TCommandError("Fehler: Es fehlt ein Album (ALBUM.qvl) oder mindestens ein Foto.");
  const std::string& output = Positional[0];
  // The output comes first; an album there means the arguments were swapped, and writing would
  // destroy the album.
  if (HasAlbumExtension(output) || HasAlbumMagic(output))
    throw TCommandError("Fehler: " + Quoted(output) + " ist eine Albumdatei. Zuerst kommt der Name der " +
                        FileKind + ", dann das Album: " + Usage);
  LoadAlbumOrPhotos(std::vector<std::string>(Positional.begin() + 1, Positional.end()), Album, Settings,
                    [&](const std::filesystem::path& Photo) {
                      std::error_code error;
                      const std::filesystem::path target = std::filesystem::weakly_canonical(output, error);
                      if (!error && std::filesystem::weakly_canonical(Photo, error) == target)
                        throw TCommandError("Fehler: Die " + FileKind + " " + Quoted(output) +
                                            " würde das Foto ersetzen.");
                    });
  return output;
}

void LoadAlbumOrPhotos(const std::vector<std::string>& Inputs, TAlbumModel& Album, TLayoutSettings& Settings,
                       const std::function<void(const std::filesystem::path& Photo)>& CheckPhoto) {
  if (Inputs.empty()) throw TCommandError("Fehler: Es fehlt ein Album (ALBUM.qvl) oder mindestens ein Foto.");
  Settings = FirstStartSettings();
  if (Inputs.size() == 1 && (HasAlbumExtension(Inputs[0]) || HasAlbumMagic(Inputs[0]))) {
    OpenAlbumOrThrow(Inputs[0], Album, Settings);
    return;
  }
  std::vector<std::string> photos;
  for (const std::string& input : Inputs) {
    photos.push_back(AbsolutePhotoPath(input));
    if (CheckPhoto) CheckPhoto(photos.back());
  }
  if (AddPhotos(Album, photos, Settings.FilenamesCheck, Settings.PathCheck) != photos.size())
    throw TCommandError("Fehler: Nicht genug Arbeitsspeicher für die Fotos.");
}

std::string UnreadablePhotosLine(int32_t Unreadable) {
  if (Unreadable <= 0) return {};
  return std::to_string(Unreadable) +
         (Unreadable == 1 ? " Foto konnte nicht gelesen werden und fehlt im Album.\n"
                          : " Fotos konnten nicht gelesen werden und fehlen im Album.\n");
}
