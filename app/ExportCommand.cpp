// `quirvel export [OPTIONEN] AUSGABE.pdf ALBUM.qvl` or `... AUSGABE.pdf FOTO...`: the album export
// without a window. Settings come from the album (or a program start's defaults for loose photos),
// and options override them.

#include "app/ExportCommand.h"

#include <unistd.h>

#include <iostream>
#include <ostream>

#include "app/AlbumOptions.h"
#include "app/BookOptions.h"
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
  parsed.Album.ApplyTo(Args, album, settings);
  const bool toStandardOutput = output == "-";
  if (toStandardOutput && parsed.Separate)
    throw TCommandError("Fehler: --separate schreibt eine Datei je Seite; auf die Standardausgabe („-“) geht nur "
                        "eine PDF-Datei.");
  if (toStandardOutput && parsed.Open)
    throw TCommandError("Fehler: --open zeigt eine Datei; was auf die Standardausgabe („-“) geht, ist keine.");
  // Messages make way for the PDF on standard output.
  std::ostream& out = toStandardOutput ? std::cerr : Out;
  settings.SeparateCheck = parsed.Separate;
  settings.ShowPDFCheck = parsed.Open;
  std::cerr << BookNotDrawnNote(settings);

  TTerminalProgress progress(std::cerr, StderrIsTerminal());
  TXdgShell shell;
  TExportOptions options;
  options.PictureProgress = &progress;
  options.Listener = &progress;
  options.Shell = parsed.Open ? &shell : nullptr;
  // Ctrl-C, SIGTERM and SIGHUP stop the export like its cancel button: the file being written and the
  // spooled pictures are removed on the way out.
  options.Cancel = &InterruptFlag();
  // The album file, besides the photos, must stay as it is.
  options.Inputs.assign(parsed.Positional.begin() + 1, parsed.Positional.end());
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
  for (const std::string& file : result.Files)
    out << (toStandardOutput ? "PDF-Datei auf die Standardausgabe" : "PDF-Datei " + Quoted(file)) << " geschrieben.\n";
  out << result.Pictures << (result.Pictures == 1 ? " Bild" : " Bilder") << " auf " << result.Pages
      << (result.Pages == 1 ? " Seite" : " Seiten") << ".\n";
  std::cerr << UnreadablePhotosLine(result.Unreadable);
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
                   "Der Fortschritt erscheint auf der Standardfehlerausgabe. AUSGABE „-“ schreibt die\n"
                   "PDF-Datei auf die Standardausgabe (die Meldungen dann auf die Standardfehlerausgabe);\n"
                   "eine Pipe oder ein Gerät wird direkt beschrieben. Die PDF-Datei ersetzt nie das Album\n"
                   "oder eines der Fotos; ein symbolischer Link bleibt, die Datei, auf die er zeigt, wird\n"
                   "ersetzt und behält ihre Zugriffsrechte.\n\n" +
                       AlbumOptionsHelp() + "\n" + BookOptionsHelp() +
                       "  --separate           jede Seite in eine eigene Datei: AUSGABE0001.pdf, ...\n"
                       "  --open               das Ergebnis danach mit der Standardanwendung öffnen\n\n" +
                       SettingsOptionsHelp(),
                   Export});
}
