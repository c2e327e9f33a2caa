// The album commands of the command line: "album new" writes an album of given photos, "album show"
// prints one, "album sort" puts one in order; the other commands that change an album are in
// AlbumEditCommands.cpp.

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <ostream>

#include "album/AlbumChanges.h"
#include "album/AlbumFile.h"
#include "album/NewPhotos.h"
#include "album/PhotoEditing.h"
#include "album/PhotoSort.h"
#include "app/AlbumEditing.h"
#include "app/CommandLine.h"
#include "app/Json.h"
#include "app/BookOptions.h"
#include "app/SettingsOptions.h"
#include "album/DateTaken.h"
#include "album/SectionMarks.h"
#include "app/Signals.h"

namespace {

std::string Hex(uint32_t Value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", Value);
  return buffer;
}

// The value of the option at Args[Pos], given as "--name=value" or as the next argument, which Pos
// then moves to.
std::string OptionValue(const TCommandArgs& Args, size_t& Pos) {
  const std::string& arg = Args[Pos];
  if (const size_t equals = arg.find('='); equals != std::string::npos) return arg.substr(equals + 1);
  if (Pos + 1 >= Args.size()) throw TCommandError("Fehler: Der Option " + Quoted(arg) + " fehlt ihr Wert.");
  return Args[++Pos];
}

// A photo's turn in words: "90° rechts", "180°", "90° links".
const char* TurnText(int Turn) {
  static constexpr const char* KTurns[4] = {"nicht", "90° rechts", "180°", "90° links"};
  return KTurns[Turn & 3];
}

void AlbumNew(const TCommandArgs& Args, std::ostream& Out) {
  TLayoutSettings settings = FirstStartSettings();
  TBookRequest book;
  std::vector<std::string> positional;
  bool optionsEnded = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& arg = Args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "--text-template" || arg.rfind("--text-template=", 0) == 0)) {
      settings.TextTemplate = TextValue(OptionValue(Args, i), "--text-template");
    } else if (!optionsEnded && (arg == "--name" || arg.rfind("--name=", 0) == 0)) {
      settings.CapED = TextValue(OptionValue(Args, i), "--name");
    } else if (!optionsEnded && IsOption(arg)) {
      if (!ApplySettingsOption(Args, i, settings) && !ApplyBookOption(Args, i, settings, book))
        throw TUsageError("Fehler: Unbekannte Option " + Quoted(arg) + " für „quirvel album new“.");
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.empty()) throw TCommandError("Fehler: Der Name der Albumdatei fehlt.");
  if (const std::string error = PrintSettingsError(settings); !error.empty()) throw TCommandError(error);

  const std::string albumName = positional.front();
  // A signal stops the command before the album file is written; the writing itself is short and
  // replaces the file in one step, so it is not broken off.
  const auto stopWhenInterrupted = [] {
    if (InterruptFlag().load()) throw TCommandError("Abgebrochen: Das Album wurde nicht geschrieben.");
  };
  std::vector<std::string> photos;
  for (size_t i = 1; i < positional.size(); ++i) {
    stopWhenInterrupted();
    photos.push_back(AbsolutePhotoPath(positional[i]));
  }

  TAlbumModel album;
  TPhotoRecords records;
  if (!MakePhotoRecords(photos, settings, records, &InterruptFlag())) {
    stopWhenInterrupted();
    throw TCommandError("Fehler: Nicht genug Arbeitsspeicher für die Fotos.");
  }
  TInsertPhotos(PlacesAt(0, photos.size()), std::move(records)).Redo(album, settings);
  ApplyBookRequest(book, album, settings);
  stopWhenInterrupted();
  const TAlbumFileResult saved = SaveAlbumFile(albumName, album, settings);
  if (!saved.Ok) throw TCommandError(saved.Message);
  Out << "Album " << Quoted(albumName) << " mit " << photos.size()
      << (photos.size() == 1 ? " Foto" : " Fotos") << " geschrieben.\n";
}

struct TSettingValue {
  const char* Name;
  std::string Json;
  std::string Text;
};

TSettingValue Flag(const char* Name, bool Value) {
  return {Name, Value ? "true" : "false", Value ? "an" : "aus"};
}

TSettingValue Number(const char* Name, double Value) {
  std::string text = JsonNumber(Value);
  for (char& c : text)
    if (c == '.') c = ',';
  return {Name, JsonNumber(Value), text};
}

TSettingValue Colour(const char* Name, uint32_t Value) { return {Name, std::to_string(Value), Hex(Value)}; }

// PictureDpi: the number, or "Original" (JSON 0) for every pixel.
TSettingValue PictureDpi(const char* Name, int32_t Value) {
  return {Name, std::to_string(Value),
          Value == KPictureDpiOriginal ? "Original" : std::to_string(Value) + " dpi"};
}

// PdfA: the level's name ("none", "2b", "1b"); as text the window's caption.
TSettingValue PdfA(const char* Name, TPdfA Value) {
  const TPdfAChoice& choice = PdfAChoice(Value);
  return {Name, JsonString(choice.Name), choice.Caption};
}

// PageLayout: the kind's name ("raster", "auto"); as text the window's caption.
TSettingValue PageLayout(const char* Name, TPageLayoutKind Value) {
  const TPageLayoutChoice& choice = PageLayoutChoice(Value);
  return {Name, JsonString(choice.Name), choice.Caption};
}

// The settings of the album file, in its order, under their control names (the last four under the
// names of their fields).
std::vector<TSettingValue> FileSettings(const TLayoutSettings& S) {
  return {Flag("TextCheck", S.TextCheck),
          Flag("CaptionCheck", S.CaptionCheck),
          Number("RandXEd", S.RandXEd),
          Number("RandYEd", S.RandYEd),
          Number("SpaceHED", S.SpaceHED),
          Number("SpaceVEd", S.SpaceVEd),
          Flag("ShowPDFCheck", S.ShowPDFCheck),
          Number("CountXEd", S.CountXEd),
          Number("CountYEd", S.CountYEd),
          Flag("PageNrCheck", S.PageNrCheck),
          Flag("CaptionOnAllPages", S.CaptionOnAllPages),
          Flag("FilenamesCheck", S.FilenamesCheck),
          Flag("PathCheck", S.PathCheck),
          Number("PageWidthEd", S.PageWidthEd),
          Number("PageHeightEd", S.PageHeightEd),
          Number("XMalEd", S.XMalEd),
          Flag("ZoomInFotosCheck", S.ZoomInFotosCheck),
          Colour("Shape1", S.Shape1),
          Colour("Shape2", S.Shape2),
          Flag("RahmenCheck", S.RahmenCheck),
          PictureDpi("PictureDpi", S.PictureDpi),
          Flag("KeepJpeg", S.KeepJpeg),
          Number("Bleed", S.Bleed),
          PdfA("PdfA", S.PdfA),
          PageLayout("PageLayout", S.PageLayout),
          Number("PhotosPerPage", S.PhotosPerPage),
          {"CropBudget", std::to_string(S.CropBudget), std::to_string(S.CropBudget) + " %"},
          {"TextTemplate", JsonString(S.TextTemplate), JsonString(S.TextTemplate)}};
}

// The album's sections, titles worked out as the export does.
std::vector<TSectionStart> Sections(const TAlbumModel& Album, const TLayoutSettings& Settings) {
  return ResolveSections(Album, Settings.Book.Marks, [&Album](uint32_t Place) {
    return DateTakenOf(std::string(EntryFileName(Album.Pics[static_cast<int32_t>(Place)])));
  });
}

// A photo named by identity as its number from 1; 0 for none or one not in the album.
uint32_t PhotoNumber(const TAlbumModel& Album, const TPhotoIdentity& Photo) {
  return static_cast<uint32_t>(PlaceOf(Album, Photo) + 1);
}

void PrintBookJson(const TAlbumModel& Album, const TLayoutSettings& Settings, std::ostream& Out) {
  const TBookSettings& b = Settings.Book;
  const auto number = [&Album](const TPhotoIdentity& Photo) {
    const uint32_t n = PhotoNumber(Album, Photo);
    return n ? std::to_string(n) : std::string("null");
  };
  Out << "  \"sections\": [";
  const std::vector<TSectionStart> sections = Sections(Album, Settings);
  const std::vector<int32_t> places = MarkPlaces(Album, b.Marks);
  for (size_t i = 0; i < sections.size(); ++i) {
    std::string mark;
    for (size_t k = 0; k < b.Marks.size(); ++k)
      if (places[k] == static_cast<int32_t>(sections[i].First)) {
        mark = b.Marks[k].Title;
        break;
      }
    Out << (i ? ",\n" : "\n") << "    {\"photo\": " << sections[i].First + 1
        << ", \"title\": " << JsonString(sections[i].Title) << ", \"mark\": " << JsonString(mark) << "}";
  }
  Out << (sections.empty() ? "],\n" : "\n  ],\n");
  Out << "  \"book\": {\"titlePage\": " << (b.TitlePage ? "true" : "false")
      << ", \"subtitle\": " << JsonString(b.Subtitle) << ", \"titlePhoto\": " << number(b.TitlePhoto)
      << ", \"titlePhotoInside\": " << (b.TitlePhotoInside ? "true" : "false")
      << ", \"backPage\": " << (b.BackPage ? "true" : "false") << ", \"backText\": " << JsonString(b.BackText)
      << ", \"backPhoto\": " << number(b.BackPhoto) << ", \"contents\": " << (b.Contents ? "true" : "false")
      << ", \"sectionPage\": " << (b.SectionPage ? "true" : "false")
      << ", \"bookMode\": " << (b.BookMode ? "true" : "false") << ", \"binding\": " << JsonNumber(b.Binding)
      << ", \"bleedInner\": " << (b.BleedInner ? "true" : "false") << "},\n";
}

void PrintBookText(const TAlbumModel& Album, const TLayoutSettings& Settings, std::ostream& Out) {
  const TBookSettings& b = Settings.Book;
  const std::vector<TSectionStart> sections = Sections(Album, Settings);
  if (!sections.empty()) {
    Out << "Abschnitte: " << sections.size() << '\n';
    for (const TSectionStart& section : sections)
      Out << "  vor Foto " << section.First + 1 << ": " << Quoted(section.Title) << '\n';
  }
  if (b.TitlePage) {
    Out << "Titelseite: an";
    if (!b.Subtitle.empty()) Out << ", Untertitel " << Quoted(b.Subtitle);
    if (const uint32_t n = PhotoNumber(Album, b.TitlePhoto)) Out << ", Titelbild Foto " << n;
    Out << '\n';
  }
  if (b.BackPage) Out << "Rückseite: " << Quoted(b.BackText) << '\n';
  if (b.Contents) Out << "Inhaltsverzeichnis: an\n";
  if (b.BookMode) {
    std::string binding = JsonNumber(b.Binding);
    for (char& c : binding)
      if (c == '.') c = ',';
    Out << "Buch mit Doppelseiten: an, Bindung " << binding << " mm\n";
  }
}

std::string FontJson(const TFontSpec& Font) {
  return "{\"name\": " + JsonString(Font.Name) + ", \"charset\": " + std::to_string(Font.Charset) +
         ", \"color\": " + std::to_string(Font.Color) + ", \"pitch\": " + std::to_string(Font.Pitch) +
         ", \"pixelsPerInch\": " + std::to_string(Font.PixelsPerInch) +
         ", \"size\": " + std::to_string(Font.Size) + ", \"style\": " + std::to_string(Font.Style) + "}";
}

std::string FontText(const TFontSpec& Font) {
  std::string style;
  if (Font.Style & KFontBold) style += " fett";
  if (Font.Style & KFontItalic) style += " kursiv";
  if (Font.Style & KFontUnderline) style += " unterstrichen";
  if (Font.Style & KFontStrikeOut) style += " durchgestrichen";
  if (style.empty()) style = " normal";
  return JsonString(Font.Name) + ", " + std::to_string(Font.Size) + " pt, Zeichensatz " +
         std::to_string(Font.Charset) + ", Farbe " + Hex(Font.Color) + ", Abstand " +
         std::to_string(Font.Pitch) + ", " + std::to_string(Font.PixelsPerInch) + " ppi, Stil" + style;
}

void PrintJson(const TAlbumModel& Album, const TLayoutSettings& Settings, std::ostream& Out) {
  Out << "{\n  \"name\": " << JsonString(Settings.CapED) << ",\n  \"photos\": [";
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) {
    const TPicEntry& entry = Album.Pics[static_cast<int32_t>(i)];
    Out << (i ? ",\n" : "\n") << "    {\"file\": " << JsonString(EntryFileName(entry))
        << ", \"text\": " << (entry.Text ? JsonString(entry.Text) : "null");
    if (entry.Turn) Out << ", \"turn\": " << int{entry.Turn};
    if (entry.Placement & KPlaceFill) Out << ", \"fill\": true";
    if (entry.FocusX || entry.FocusY)
      Out << ", \"point\": [" << DecimalFieldText(EntryFocusX(entry), '.') << ", "
          << DecimalFieldText(EntryFocusY(entry), '.') << "]";
    if (entry.Placement & KPlaceBig) Out << ", \"big\": true";
    if (entry.Placement & KPlaceFullPage) Out << ", \"fullPage\": true";
    Out << "}";
  }
  Out << (Album.Pics.Count ? "\n  ],\n" : "],\n");
  PrintBookJson(Album, Settings, Out);
  Out << "  \"headingFont\": " << FontJson(Settings.HeadingFont) << ",\n";
  Out << "  \"textFont\": " << FontJson(Settings.TextFont) << ",\n";
  Out << "  \"settings\": {";
  const std::vector<TSettingValue> values = FileSettings(Settings);
  for (size_t i = 0; i < values.size(); ++i)
    Out << (i ? ",\n" : "\n") << "    \"" << values[i].Name << "\": " << values[i].Json;
  Out << "\n  }\n}\n";
}

void PrintText(const std::string& FileName, const TAlbumModel& Album, const TLayoutSettings& Settings,
               std::ostream& Out) {
  Out << "Album: " << FileName << "\nName: " << Settings.CapED << "\nFotos: " << Album.Pics.Count << '\n';
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) {
    const TPicEntry& entry = Album.Pics[static_cast<int32_t>(i)];
    Out << "  " << i + 1 << ". " << EntryFileName(entry)
        << "\n     Text: " << (entry.Text ? JsonString(entry.Text) : "(keiner)") << '\n';
    if (entry.Turn) Out << "     Gedreht: " << TurnText(entry.Turn) << '\n';
    if (entry.Placement || entry.FocusX || entry.FocusY) {
      Out << "     Platz: " << ((entry.Placement & KPlaceFill) ? "Füllen" : "Einpassen");
      if (entry.FocusX || entry.FocusY)
        Out << ", Punkt " << DecimalFieldText(EntryFocusX(entry), ',') << " / "
            << DecimalFieldText(EntryFocusY(entry), ',');
      if (entry.Placement & KPlaceBig) Out << ", Groß";
      if (entry.Placement & KPlaceFullPage) Out << ", Ganze Seite";
      Out << '\n';
    }
  }
  PrintBookText(Album, Settings, Out);
  Out << "Schrift der Überschrift: " << FontText(Settings.HeadingFont) << '\n';
  Out << "Schrift der Fototexte: " << FontText(Settings.TextFont) << '\n';
  Out << "Einstellungen:\n";
  for (const TSettingValue& value : FileSettings(Settings)) {
    std::string name = value.Name;
    name.resize(20, ' ');
    Out << "  " << name << value.Text << '\n';
  }
}

void AlbumSort(const TCommandArgs& Args, std::ostream& Out) {
  std::optional<TSortKey> key;
  bool reverse = false, force = false, optionsEnded = false;
  std::vector<std::string> positional;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& arg = Args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg == "--reverse") {
      reverse = true;
    } else if (!optionsEnded && arg == "--force") {
      force = true;
    } else if (!optionsEnded && (arg == "--by" || arg.rfind("--by=", 0) == 0)) {
      const std::string by = OptionValue(Args, i);
      if (by == "date")
        key = TSortKey::DateTaken;
      else if (by == "name")
        key = TSortKey::FileName;
      else if (by == "file-date")
        key = TSortKey::FileDate;
      else
        throw TUsageError("Fehler: " + Quoted(by) +
                          " ist kein Sortierschlüssel; möglich sind date, name und file-date.");
    } else if (!optionsEnded && IsOption(arg)) {
      throw TUsageError("Fehler: Unbekannte Option " + Quoted(arg) + " für „quirvel album sort“.");
    } else {
      positional.push_back(arg);
    }
  }
  if (!key)
    throw TUsageError("Fehler: Wonach sortiert wird, fehlt: --by date, --by name oder --by file-date.");
  if (positional.empty()) throw TCommandError("Fehler: Der Name der Albumdatei fehlt.");
  if (positional.size() > 1) throw TCommandError("Fehler: „quirvel album sort“ sortiert genau ein Album.");

  TAlbumToEdit edit;
  OpenAlbumForEditing(positional.front(), force, edit);
  std::vector<std::string> files;
  for (uint32_t i = 0; i < edit.Album.Pics.Count; ++i)
    files.emplace_back(EntryFileName(edit.Album.Pics[static_cast<int32_t>(i)]));
  std::vector<TSortKeyValue> keys;
  if (!SortKeysOf(files, *key, keys, &InterruptFlag()))
    throw TCommandError("Abgebrochen: Das Album wurde nicht geändert.");
  TReorderPhotos(SortedOrder(keys, reverse)).Redo(edit.Album, edit.Settings);
  if (UnknownKeys(keys)) std::cerr << "Warnung: " << MissingFilesMessage(MissingFiles(files, keys)) << '\n';
  WriteEditedAlbum(edit);
  Out << "Album " << Quoted(edit.FileName) << " mit " << PhotoCount(files.size()) << " sortiert.\n";
}

void AlbumShow(const TCommandArgs& Args, std::ostream& Out) {
  bool json = false;
  bool optionsEnded = false;
  std::vector<std::string> positional;
  for (const std::string& arg : Args) {
    if (!optionsEnded && arg == "--")
      optionsEnded = true;
    else if (!optionsEnded && arg == "--json")
      json = true;
    else if (!optionsEnded && IsOption(arg))
      throw TUsageError("Fehler: Unbekannte Option " + Quoted(arg) + " für „quirvel album show“.");
    else
      positional.push_back(arg);
  }
  if (positional.empty()) throw TCommandError("Fehler: Der Name der Albumdatei fehlt.");
  if (positional.size() > 1) throw TCommandError("Fehler: „quirvel album show“ zeigt genau ein Album.");

  TAlbumModel album;
  TLayoutSettings settings = FirstStartSettings();
  OpenAlbumOrThrow(positional.front(), album, settings);
  if (json)
    PrintJson(album, settings, Out);
  else
    PrintText(positional.front(), album, settings, Out);
}

}  // namespace

void AddAlbumCommands(TCommandLine& CommandLine) {
  CommandLine.Add(
      {{"album", "new"},
       "[OPTIONEN] ALBUM.qvl [FOTO...]",
       "schreibt ein Album aus diesen Fotos",
       "Schreibt die Albumdatei ALBUM.qvl (eine vorhandene wird ersetzt) mit den Fotos in der\n"
       "angegebenen Reihenfolge, jedes mit dem Dateinamen als Vorgabetext. Die Pfade der Fotos\n"
       "werden absolut gespeichert. Ohne Optionen gelten die Einstellungen eines Programmstarts.\n\n"
       "  --name TEXT                Name des Albums (die Überschrift; Vorgabe „Familienfotos“)\n"
       "  --text-template TEXT       Vorlage für Vorgabetexte, im Album gespeichert; die Fotos\n"
       "                             bekommen ihre Texte aus ihr: {Dateiname}, {Name} (ohne\n"
       "                             Endung), {Ordner}, {Datum} (Aufnahmedatum, etwa \"7. Dezember\n"
       "                             2026\"), {Uhrzeit}\n" +
           SettingsOptionsHelp() + "\n" + BookOptionsHelp(),
       AlbumNew});
  CommandLine.Add(
      {{"album", "show"},
       "[--json] ALBUM.qvl",
       "zeigt Fotos, Texte, Schriften und Einstellungen eines Albums",
       "Zeigt die Fotos mit ihren Texten, die beiden Schriften und die Einstellungen der\n"
       "Albumdatei und den Namen des Albums. Mit --json als ein JSON-Objekt mit \"name\",\n"
       "\"photos\", \"headingFont\", \"textFont\" und \"settings\".\n",
       AlbumShow});
  CommandLine.Add({{"album", "sort"},
                   "--by date|name|file-date [--reverse] [--force] ALBUM.qvl",
                   "sortiert die Fotos eines Albums",
                   "Sortiert die Fotos der Albumdatei ALBUM.qvl und schreibt sie neu: nach Aufnahmedatum\n"
                   "(date: EXIF-Datum, sonst Änderungszeit der Datei), nach Dateinamen (name: deutsche\n"
                   "Reihenfolge, Groß- und Kleinschreibung gleich, \"IMG_2\" vor \"IMG_10\") oder nach\n"
                   "Änderungszeit der Datei (file-date); mit --reverse absteigend. Fotos mit gleichem\n"
                   "Schlüssel behalten ihre Reihenfolge; Fotos ohne Datei stehen bei jedem Schlüssel am\n"
                   "Ende, und eine Warnung nennt sie.\n\n"
                   "  --force              schreibt auch ein beschädigtes Album; was davon nicht gelesen werden\n"
                   "                       konnte, geht dabei verloren\n",
                   AlbumSort});
  AddAlbumEditCommands(CommandLine);
}
