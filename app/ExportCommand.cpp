// `quirvel export [OPTIONEN] AUSGABE.pdf ALBUM.qvl` or `... AUSGABE.pdf FOTO...`: the album export
// without a window. Settings come from the album (or a program start's defaults for loose photos),
// and options override them.

#include "app/ExportCommand.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <ostream>

#include "album/AlbumFile.h"
#include "album/PhotoEditing.h"
#include "app/SettingsOptions.h"
#include "app/Signals.h"
#include "app/TerminalProgress.h"
#include "export/AlbumExport.h"
#include "platform/Shell.h"

namespace {

bool HasAlbumExtension(const std::string& Path) {
  std::string ext = std::filesystem::path(Path).extension().string();
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext == ".qvl";
}

// An album is recognised by its first four bytes, whatever its name.
bool HasAlbumMagic(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  unsigned char head[4] = {};
  if (!in.read(reinterpret_cast<char*>(head), 4)) return false;
  const uint32_t magic = head[0] | (head[1] << 8) | (head[2] << 16) | (uint32_t{head[3]} << 24);
  return magic == AlbumMagic;
}

struct TExportArgs {
  std::vector<size_t> SettingOptions;  // positions of settings options, applied after the album
  std::vector<std::string> Positional;
  bool Separate = false;
  bool Open = false;
  bool EmbedFonts = false;
  bool HasName = false;
  std::string Name;
  bool HasFrameWidth = false;
  int32_t FrameWidth = 10;
};

std::string OptionValue(const TCommandArgs& Args, size_t& Pos, const std::string& Option) {
  const std::string& arg = Args[Pos];
  if (arg.size() > Option.size() && arg[Option.size()] == '=') return arg.substr(Option.size() + 1);
  if (Pos + 1 >= Args.size()) throw TCommandError("Fehler: Zur Option " + Option + " fehlt der Wert.");
  return Args[++Pos];
}

bool IsOptionNamed(const std::string& Arg, const std::string& Option) {
  return Arg == Option || Arg.rfind(Option + "=", 0) == 0;
}

TExportArgs ParseArgs(const TCommandArgs& Args) {
  TExportArgs parsed;
  TLayoutSettings scratch;  // only to find out how many arguments a settings option takes
  bool optionsEnded = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& arg = Args[i];
    if (optionsEnded || !IsOption(arg)) {
      parsed.Positional.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--separate") {
      parsed.Separate = true;
    } else if (arg == "--open") {
      parsed.Open = true;
    } else if (arg == "--embed-fonts") {
      parsed.EmbedFonts = true;
    } else if (IsOptionNamed(arg, "--name")) {
      parsed.Name = OptionValue(Args, i, "--name");
      parsed.HasName = true;
    } else if (IsOptionNamed(arg, "--frame-width")) {
      const std::string value = OptionValue(Args, i, "--frame-width");
      double number = 0;
      if (!ParseDecimal(value, number) || number != static_cast<int32_t>(number) ||
          number < KFrameWidthLimits.Min || number > KFrameWidthLimits.Max)
        throw TCommandError("Fehler: --frame-width erwartet eine ganze Zahl von 1 bis 100, nicht " +
                            Quoted(value) + ".");
      parsed.FrameWidth = static_cast<int32_t>(number);
      parsed.HasFrameWidth = true;
    } else {
      const size_t start = i;
      if (!ApplySettingsOption(Args, i, scratch))
        throw TUsageError("Fehler: Unbekannte Option " + Quoted(arg) + " für „quirvel export“.");
      parsed.SettingOptions.push_back(start);
    }
  }
  return parsed;
}

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void Export(const TCommandArgs& Args, std::ostream& Out) {
  const TExportArgs parsed = ParseArgs(Args);
  if (parsed.Positional.empty()) throw TCommandError("Fehler: Der Name der PDF-Datei fehlt.");
  if (parsed.Positional.size() < 2)
    throw TCommandError("Fehler: Es fehlt ein Album (ALBUM.qvl) oder mindestens ein Foto.");
  const std::string output = parsed.Positional[0];
  const std::vector<std::string> inputs(parsed.Positional.begin() + 1, parsed.Positional.end());
  // The output comes first; an album there means the arguments were swapped, and writing would
  // destroy the album.
  if (HasAlbumExtension(output) || HasAlbumMagic(output))
    throw TCommandError("Fehler: " + Quoted(output) + " ist eine Albumdatei. Zuerst kommt der Name der " +
                        "PDF-Datei, dann das Album: quirvel export AUSGABE.pdf ALBUM.qvl");

  TAlbumModel album;
  TLayoutSettings settings = FirstStartSettings();
  if (inputs.size() == 1 && (HasAlbumExtension(inputs[0]) || HasAlbumMagic(inputs[0]))) {
    OpenAlbumOrThrow(inputs[0], album, settings);
  } else {
    std::vector<std::string> photos;
    std::error_code error;
    const std::filesystem::path target = std::filesystem::weakly_canonical(output, error);
    for (const std::string& input : inputs) {
      photos.push_back(AbsolutePhotoPath(input));
      if (!error && std::filesystem::weakly_canonical(photos.back(), error) == target)
        throw TCommandError("Fehler: Die PDF-Datei " + Quoted(output) + " würde das Foto ersetzen.");
    }
    if (AddPhotos(album, photos, settings.FilenamesCheck, settings.PathCheck) != photos.size())
      throw TCommandError("Fehler: Nicht genug Arbeitsspeicher für die Fotos.");
  }

  for (size_t start : parsed.SettingOptions) {
    size_t pos = start;
    ApplySettingsOption(Args, pos, settings);
  }
  if (parsed.HasName) settings.CapED = parsed.Name;
  if (parsed.HasFrameWidth) settings.RahmenBreiteEd = parsed.FrameWidth;
  settings.SeparateCheck = parsed.Separate;
  settings.ShowPDFCheck = parsed.Open;
  settings.EmbedFonts = parsed.EmbedFonts;

  TTerminalProgress progress(std::cerr, StderrIsTerminal());
  TXdgShell shell;
  TExportOptions options;
  options.PictureProgress = &progress;
  options.Listener = &progress;
  options.Shell = parsed.Open ? &shell : nullptr;
  // Ctrl-C, SIGTERM and SIGHUP stop the export like its cancel button: the file being written and the
  // spooled pictures are removed on the way out.
  options.Cancel = &InterruptFlag();
  SetMessageBox(&progress);
  TExportResult result;
  try {
    result = ExportAlbum(ExportPhotos(album), settings, output, options);
  } catch (...) {
    SetMessageBox(nullptr);
    throw;
  }
  SetMessageBox(nullptr);
  progress.EndLine();

  if (!result.Ok()) throw TCommandError(result.Message);
  for (const std::string& file : result.Files) Out << "PDF-Datei " << Quoted(file) << " geschrieben.\n";
  Out << result.Pictures << (result.Pictures == 1 ? " Bild" : " Bilder") << " auf " << result.Pages
      << (result.Pages == 1 ? " Seite" : " Seiten") << ".\n";
  if (result.Unreadable > 0)
    Out << result.Unreadable << (result.Unreadable == 1 ? " Foto konnte" : " Fotos konnten")
        << " nicht gelesen werden und fehlt im Album.\n";
  std::string failures = MissingPicturesMessage(result.Missing);
  if (!result.FailedFiles.empty()) {
    if (!failures.empty()) failures += '\n';
    failures += "Fehler: " + std::to_string(result.FailedFiles.size()) +
                (result.FailedFiles.size() == 1 ? " Seitendatei konnte" : " Seitendateien konnten") +
                " nicht erstellt werden.";
  }
  if (!failures.empty()) throw TCommandError(failures);
}

}  // namespace

void AddExportCommand(TCommandLine& CommandLine) {
  CommandLine.Add({{"export"},
                   "[OPTIONEN] AUSGABE.pdf (ALBUM.qvl | FOTO...)",
                   "schreibt ein Album oder Fotos als PDF-Fotoalbum",
                   "Schreibt das Album ALBUM.qvl mit seinen Einstellungen als PDF-Datei AUSGABE.pdf. Statt\n"
                   "eines Albums können Fotos angegeben werden; sie erhalten ihren Dateinamen als Text, und\n"
                   "es gelten die Einstellungen eines Programmstarts. Ein Album wird an seinem Inhalt oder\n"
                   "an der Endung .qvl erkannt. Fotos, die sich nicht lesen lassen, fehlen im Album.\n"
                   "Fotos: JPEG, PNG, TIFF, GIF, WebP, BMP, HEIC/HEIF und AVIF; ihre Farbprofile kommen\n"
                   "mit in die PDF-Datei.\n"
                   "Der Fortschritt erscheint auf der Standardfehlerausgabe.\n\n"
                   "  --name TEXT          Überschrift (Vorgabe „Familienfotos“)\n"
                   "  --frame-width N      Rahmenbreite 1 bis 100 (Vorgabe 10)\n"
                   "  --separate           jede Seite in eine eigene Datei: AUSGABE0001.pdf, ...\n"
                   "  --open               das Ergebnis danach mit der Standardanwendung öffnen\n"
                   "  --embed-fonts        alle Schriften eingebettet (Teilmengen), etwa für Druckereien;\n"
                   "                       sonst nur Schriften mit Zeichen außerhalb von Windows-1252\n\n" +
                       SettingsOptionsHelp(),
                   Export});
}
