// `quirvel export [OPTIONEN] AUSGABE.pdf ALBUM.qvl` or `... AUSGABE.pdf FOTO...`: the album export
// without a window. Settings come from the album (or a program start's defaults for loose photos),
// and options override them.

#include "app/ExportCommand.h"

#include <unistd.h>

#include <iostream>
#include <ostream>

#include "app/AlbumOptions.h"
#include "app/SettingsOptions.h"
#include "app/Signals.h"
#include "app/TerminalProgress.h"
#include "export/AlbumExport.h"
#include "export/PictureLoad.h"
#include "platform/FileVerdicts.h"
#include "platform/Shell.h"

namespace {

struct TExportArgs {
  TAlbumOptions Album;
  std::vector<std::string> Positional;
  bool Separate = false;
  bool Open = false;
};

TExportArgs ParseArgs(const TCommandArgs& Args) {
  TExportArgs parsed;
  parsed.Positional = ParseAlbumCommand(Args, "export", parsed.Album, [&](size_t& Pos) {
    if (Args[Pos] == "--separate") return parsed.Separate = true;
    if (Args[Pos] == "--open") return parsed.Open = true;
    return false;
  });
  return parsed;
}

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void Export(const TCommandArgs& Args, std::ostream& Out) {
  const TExportArgs parsed = ParseArgs(Args);
  TAlbumModel album;
  TLayoutSettings settings;
  const std::string output = LoadAlbumInput(parsed.Positional, "PDF-Datei", "quirvel export AUSGABE.pdf ALBUM.qvl", album, settings);
  parsed.Album.ApplyTo(Args, settings);
  settings.SeparateCheck = parsed.Separate;
  settings.ShowPDFCheck = parsed.Open;

  TTerminalProgress progress(std::cerr, StderrIsTerminal());
  TXdgShell shell;
  TExportOptions options;
  options.PictureProgress = &progress;
  options.Listener = &progress;
  options.Shell = parsed.Open ? &shell : nullptr;
  // Ctrl-C, SIGTERM and SIGHUP stop the export like its cancel button: the file being written and the
  // spooled pictures are removed on the way out.
  options.Cancel = &InterruptFlag();
  TFileVerdicts cleanJpegs(TFileVerdicts::UserCacheFile(KCleanJpegsCacheName));
  options.CleanJpegs = &cleanJpegs;
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
  Out << UnreadablePhotosLine(result.Unreadable);
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
                   "Der Fortschritt erscheint auf der Standardfehlerausgabe.\n\n" +
                       AlbumOptionsHelp() +
                       "  --separate           jede Seite in eine eigene Datei: AUSGABE0001.pdf, ...\n"
                       "  --open               das Ergebnis danach mit der Standardanwendung öffnen\n\n" +
                       SettingsOptionsHelp(),
                   Export});
}
