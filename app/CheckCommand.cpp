// `quirvel check [OPTIONEN] (ALBUM.qvl | FOTO...)`: the print check (export/PrintCheck.h) with the
// album options of `export`. Each finding is a line on standard output; the summary follows it there
// when the check passes (exit status 0) and goes to standard error when it does not (exit status 1).
// With --json the check is one JSON object on standard output instead.

#include "app/CheckCommand.h"

#include <ostream>

#include "app/AlbumOptions.h"
#include "app/BookOptions.h"
#include "app/Json.h"
#include "app/SettingsOptions.h"
#include "app/Signals.h"
#include "export/PrintCheck.h"

namespace {

const char* StateName(TPhotoState State) {
  switch (State) {
    case TPhotoState::Ok: return "ok";
    case TPhotoState::Missing: return "missing";
    case TPhotoState::Unreadable: return "unreadable";
  }
  return "";
}

const char* RatingName(TResolution Rating) {
  switch (Rating) {
    case TResolution::Good: return "good";
    case TResolution::Low: return "low";
    case TResolution::TooLow: return "too-low";
    case TResolution::None: return "none";
  }
  return "";
}

const char* KindName(TFindingKind Kind) {
  switch (Kind) {
    case TFindingKind::Settings: return "settings";
    case TFindingKind::TooLow: return "too-low";
    case TFindingKind::Low: return "low";
    case TFindingKind::Missing: return "missing";
    case TFindingKind::Unreadable: return "unreadable";
    case TFindingKind::NoRoom: return "no-room";
    case TFindingKind::TextCut: return "text-cut";
    case TFindingKind::HeadingCut: return "heading-cut";
    case TFindingKind::NearTrim: return "near-trim";
    case TFindingKind::FontLicence: return "font-licence";
    case TFindingKind::MissingGlyph: return "missing-glyph";
  }
  return "";
}

void PrintJson(const TPrintCheck& Check, std::ostream& Out) {
  Out << "{\n  \"passed\": " << (Check.Passed() ? "true" : "false") << ",\n  \"summary\": "
      << JsonString(Check.Summary()) << ",\n  \"pages\": " << Check.Pages << ",\n  \"photos\": [";
  for (size_t i = 0; i < Check.Photos.size(); ++i) {
    const TPhotoCheck& p = Check.Photos[i];
    Out << (i ? ",\n" : "\n") << "    {\"number\": " << i + 1 << ", \"file\": " << JsonString(p.FileName)
        << ", \"state\": \"" << StateName(p.State) << "\", \"width\": " << p.Width << ", \"height\": " << p.Height
        << ", \"ppi\": " << JsonNumber(p.Ppi) << ", \"page\": " << p.Page << ", \"rating\": \""
        << RatingName(p.Rating) << "\"}";
  }
  Out << (Check.Photos.empty() ? "],\n" : "\n  ],\n") << "  \"findings\": [";
  for (size_t i = 0; i < Check.Findings.size(); ++i) {
    const TPrintFinding& f = Check.Findings[i];
    Out << (i ? ",\n" : "\n") << "    {\"kind\": \"" << KindName(f.Kind) << "\", \"serious\": "
        << (f.Serious ? "true" : "false") << ", \"photo\": " << f.Photo << ", \"page\": " << f.Page
        << ", \"text\": " << JsonString(f.Text) << "}";
  }
  Out << (Check.Findings.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

void Check(const TCommandArgs& Args, std::ostream& Out) {
  TAlbumOptions options;
  bool json = false;
  const std::vector<std::string> inputs = ParseAlbumCommand(Args, "check", options, [&](size_t& Pos) {
    return Args[Pos] == "--json" ? (json = true) : false;
  });
  TAlbumModel album;
  TLayoutSettings settings;
  LoadAlbumOrPhotos(inputs, album, settings);
  options.ApplyTo(Args, album, settings);

  TPrintCheckOptions checkOptions;
  checkOptions.Cancel = &InterruptFlag();
  const TPrintCheck check = CheckPrint(ExportPhotos(album), settings, checkOptions);
  if (!check.Complete) throw TCommandError("Die Druckprüfung wurde abgebrochen.");
  if (json) {
    PrintJson(check, Out);
  } else {
    for (const TPrintFinding& finding : check.Findings) Out << finding.Text << '\n';
  }
  if (check.Passed()) {
    if (!json) Out << check.Summary() << '\n';
    return;
  }
  Out.flush();
  throw TCommandError(check.Summary());
}

}  // namespace

void AddCheckCommand(TCommandLine& CommandLine) {
  CommandLine.Add({{"check"},
                   "[OPTIONEN] (ALBUM.qvl | FOTO...)",
                   "prüft ein Album oder Fotos vor dem Druck",
                   "Prüft das Album ALBUM.qvl (oder die Fotos) mit den Einstellungen, mit denen es als\n"
                   "PDF-Datei geschrieben würde, ohne es zu schreiben: die wirksame Auflösung jedes Fotos an\n"
                   "seinem Platz (Pixel je Zoll seiner kürzeren Seite, nach der Bildauflösung; unter 150 ppi\n"
                   "„zu gering“, unter 200 ppi „knapp“), fehlende und unlesbare Fotos, Texte und\n"
                   "Überschriften, die über ihr Feld oder die Seite hinausreichen, mit Beschnittzugabe\n"
                   "Bilder knapp vor dem Beschnitt, und mit PDF/A oder eingebetteten Schriften Schriften,\n"
                   "deren Lizenz das Einbetten verbietet. Gelesen werden nur die Köpfe der Bilddateien.\n"
                   "Jeder Befund steht in einer Zeile, danach eine Zusammenfassung. Rückgabewert 0, wenn\n"
                   "kein Foto „zu gering“ ist oder fehlt, sonst 1.\n\n" +
                       AlbumOptionsHelp() + "\n" + BookOptionsHelp() +
                       "  --json               das Ergebnis als JSON-Objekt für Skripte\n\n" +
                       SettingsOptionsHelp(),
                   Check});
}
