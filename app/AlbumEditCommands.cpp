// The commands that change an album file in place, each one change of the album model (AlbumChanges.h)
// as the window makes it: "album add", "album remove", "album move", "album text", "album set".
// Photo numbers count from 1, as the window shows them.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iostream>
#include <ostream>

#include "album/AlbumChanges.h"
#include "album/NewPhotos.h"
#include "album/PhotoEditing.h"
#include "album/PhotoSelection.h"
#include "app/AlbumEditing.h"
#include "app/AlbumOptions.h"
#include "app/BookOptions.h"
#include "app/CommandLine.h"
#include "app/SettingsOptions.h"
#include "app/Signals.h"

namespace {

const char* const KForceHelp =
    "  --force              schreibt auch ein beschädigtes Album; was davon nicht gelesen werden\n"
    "                       konnte, geht dabei verloren\n";

// The arguments of a command that takes only --force (and Own's options) besides its positional ones.
std::vector<std::string> Positional(const TCommandArgs& Args, const std::string& Command, bool& Force,
                                    const std::function<bool(size_t& Pos)>& Own = {}) {
  return ParseArguments(Args, Command, [&](size_t& Pos) {
    if (Args[Pos] != "--force") return Own && Own(Pos);
    Force = true;
    return true;
  });
}

void NeedArguments(const std::vector<std::string>& Positional, size_t Least, size_t Most,
                   const std::string& What) {
  if (Positional.empty()) throw TUsageError("Fehler: Der Name der Albumdatei fehlt.");
  if (Positional.size() < Least) throw TUsageError("Fehler: Es fehlt " + What + ".");
  if (Positional.size() > Most) throw TUsageError("Fehler: Zu viele Angaben; erwartet wird " + What + ".");
}

void Redo(TAlbumChange&& Change, TAlbumToEdit& Edit) {
  if (!Change.Redo(Edit.Album, Edit.Settings)) throw TCommandError("Fehler: Nicht genug Arbeitsspeicher.");
}

void AlbumAdd(const TCommandArgs& Args, std::ostream& Out) {
  bool force = false;
  std::string at;
  const std::vector<std::string> positional = Positional(Args, "album add", force, [&](size_t& Pos) {
    if (!IsOptionNamed(Args[Pos], "--at")) return false;
    at = OptionValue(Args, Pos, "--at");
    return true;
  });
  NeedArguments(positional, 2, SIZE_MAX, "mindestens ein Foto");
  TAlbumToEdit edit;
  OpenAlbumForEditing(positional.front(), force, edit);
  const uint32_t count = edit.Album.Pics.Count;
  const uint32_t gap = at.empty() ? count : PhotoNumber(at, count, true) - 1;

  // The paths as the system gives them, made absolute so that the album works from any folder. A
  // photo that is not there goes in all the same, as in the window, which shows it black.
  std::vector<std::string> photos;
  for (size_t i = 1; i < positional.size(); ++i) {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(positional[i], error);
    if (error) throw TCommandError("Fehler: Der Pfad " + Quoted(positional[i]) + " ist ungültig.");
    photos.push_back(path.lexically_normal().string());
    if (!std::filesystem::is_regular_file(photos.back(), error))
      std::cerr << "Warnung: Foto nicht gefunden: " << Quoted(positional[i])
                << "; es steht trotzdem im Album.\n";
  }
  TPhotoRecords records;
  if (!MakePhotoRecords(photos, edit.Settings, records, &InterruptFlag())) {
    if (InterruptFlag().load()) throw TCommandError("Abgebrochen: Das Album wurde nicht geändert.");
    throw TCommandError("Fehler: Nicht genug Arbeitsspeicher für die Fotos.");
  }
  Redo(TInsertPhotos(PlacesAt(gap, photos.size()), std::move(records)), edit);
  WriteEditedAlbum(edit);
  Out << "Album " << Quoted(edit.FileName) << ": " << PhotoCount(photos.size()) << " hinzugefügt, jetzt "
      << PhotoCount(edit.Album.Pics.Count) << ".\n";
}

void AlbumRemove(const TCommandArgs& Args, std::ostream& Out) {
  bool force = false;
  const std::vector<std::string> positional = Positional(Args, "album remove", force);
  NeedArguments(positional, 2, SIZE_MAX, "die Nummer mindestens eines Fotos");
  TAlbumToEdit edit;
  OpenAlbumForEditing(positional.front(), force, edit);
  std::vector<uint32_t> places;
  for (size_t i = 1; i < positional.size(); ++i) places.push_back(PhotoNumber(positional[i], edit.Album.Pics.Count) - 1);
  std::sort(places.begin(), places.end());
  places.erase(std::unique(places.begin(), places.end()), places.end());
  const size_t removed = places.size();
  Redo(TRemovePhotos(std::move(places)), edit);
  WriteEditedAlbum(edit);
  Out << "Album " << Quoted(edit.FileName) << ": " << PhotoCount(removed) << " entfernt, jetzt "
      << PhotoCount(edit.Album.Pics.Count) << ".\n";
}

void AlbumMove(const TCommandArgs& Args, std::ostream& Out) {
  bool force = false;
  const std::vector<std::string> positional = Positional(Args, "album move", force);
  NeedArguments(positional, 3, 3, "die Nummer des Fotos und die Nummer seines neuen Platzes");
  TAlbumToEdit edit;
  OpenAlbumForEditing(positional.front(), force, edit);
  const uint32_t count = edit.Album.Pics.Count;
  const uint32_t from = PhotoNumber(positional[1], count) - 1;
  const uint32_t to = PhotoNumber(positional[2], count) - 1;
  // The photo goes before the one that stood at its new place, or after it when it moves back.
  std::vector<uint32_t> order = BlockMoveOrder(count, {from}, to < from ? to : to + 1);
  if (!order.empty()) Redo(TReorderPhotos(std::move(order)), edit);
  WriteEditedAlbum(edit);
  Out << "Album " << Quoted(edit.FileName) << ": Foto " << from + 1 << " steht jetzt an Platz " << to + 1
      << ".\n";
}

void AlbumText(const TCommandArgs& Args, std::ostream& Out) {
  bool force = false;
  const std::vector<std::string> positional = Positional(Args, "album text", force);
  NeedArguments(positional, 3, 3, "die Nummer des Fotos und sein Text");
  TAlbumToEdit edit;
  OpenAlbumForEditing(positional.front(), force, edit);
  const uint32_t number = PhotoNumber(positional[1], edit.Album.Pics.Count);
  // Lines end as in the window's text box: "\n" on the command line, CR LF in the album.
  const std::string text = PhotoTextOfBoxText(TextValue(positional[2], "album text"));
  Redo(TSetTexts({number - 1}, {text}), edit);
  WriteEditedAlbum(edit);
  Out << "Album " << Quoted(edit.FileName) << ": Text von Foto " << number << " geschrieben.\n";
}

// The per-photo options of "album set", in the order given: each names photos, "--point" also a point.
struct TPlacementOption {
  std::string Option, Photos, Point;
};

const char* const KPlacementOptions[] = {"--fill", "--fit", "--big", "--full-page", "--normal-size", "--point"};

// "1,3,4" as places from 0 in an album of Count photos.
std::vector<uint32_t> PhotoList(const std::string& List, uint32_t Count) {
  std::vector<uint32_t> places;
  size_t start = 0;
  while (true) {
    const size_t comma = List.find(',', start);
    places.push_back(PhotoNumber(List.substr(start, comma - start), Count) - 1);
    if (comma == std::string::npos) return places;
    start = comma + 1;
  }
}

// "X,Y" with X and Y from 0 to 1 ("." as the decimal point); throws TUsageError naming the range.
void ReadPoint(const std::string& Text, double& X, double& Y) {
  const size_t comma = Text.find(',');
  const bool ok = comma != std::string::npos && Text.find(',', comma + 1) == std::string::npos &&
                  ParseDecimal(Text.substr(0, comma), X) && ParseDecimal(Text.substr(comma + 1), Y) && X >= 0 &&
                  X <= 1 && Y >= 0 && Y <= 1;
  if (!ok)
    throw TUsageError("Fehler: --point erwartet einen Punkt X,Y mit X und Y von 0 bis 1 (etwa 0.25,0.5), nicht " +
                      Quoted(Text) + ".");
}

// The photos' placements after Options, in Album's order; Changed lists the places that differ.
std::vector<TPhotoPlacement> PlacementsAfter(const TAlbumModel& Album, const std::vector<TPlacementOption>& Options,
                                             std::vector<uint32_t>& Changed) {
  std::vector<TPhotoPlacement> after;
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) after.push_back(PlacementOf(Album.Pics[static_cast<int32_t>(i)]));
  for (const TPlacementOption& option : Options) {
    double x = 0.5, y = 0.5;
    if (option.Option == "--point") ReadPoint(option.Point, x, y);
    for (uint32_t place : PhotoList(option.Photos, Album.Pics.Count)) {
      TPhotoPlacement& p = after[place];
      if (option.Option == "--fill") p.Placement |= KPlaceFill;
      if (option.Option == "--fit") p.Placement &= static_cast<uint8_t>(~KPlaceFill);
      if (option.Option == "--big") p.Placement = static_cast<uint8_t>((p.Placement & KPlaceFill) | KPlaceBig);
      if (option.Option == "--full-page")
        p.Placement = static_cast<uint8_t>((p.Placement & KPlaceFill) | KPlaceFullPage);
      if (option.Option == "--normal-size") p.Placement &= KPlaceFill;
      if (option.Option == "--point") {
        TPicEntry point{};
        SetEntryFocus(point, x, y);
        p.FocusX = point.FocusX;
        p.FocusY = point.FocusY;
      }
    }
  }
  for (uint32_t i = 0; i < Album.Pics.Count; ++i)
    if (!(after[i] == PlacementOf(Album.Pics[static_cast<int32_t>(i)]))) Changed.push_back(i);
  return after;
}

void AlbumSet(const TCommandArgs& Args, std::ostream& Out) {
  bool force = false, templateGiven = false;
  std::string textTemplate;
  std::vector<TPlacementOption> placements;
  TAlbumOptions options;
  const std::vector<std::string> positional = ParseAlbumCommand(Args, "album set", options, [&](size_t& Pos) {
    if (Args[Pos] == "--force") return force = true;
    for (const char* name : KPlacementOptions) {
      if (!IsOptionNamed(Args[Pos], name)) continue;
      TPlacementOption option{name, OptionValue(Args, Pos, name), {}};
      if (option.Option == "--point") {
        if (Pos + 1 >= Args.size())
          throw TUsageError("Fehler: --point erwartet die Nummer eines Fotos und einen Punkt X,Y.");
        option.Point = Args[++Pos];
      }
      placements.push_back(std::move(option));
      return true;
    }
    if (!IsOptionNamed(Args[Pos], "--text-template")) return false;
    textTemplate = TextValue(OptionValue(Args, Pos, "--text-template"), "--text-template");
    return templateGiven = true;
  });
  // Only what the album keeps can be set in it.
  if (options.HasFrameWidth || options.EmbedFonts)
    throw TUsageError(std::string("Fehler: ") + (options.EmbedFonts ? "--embed-fonts" : "--frame-width") +
                      " wird nicht im Album gespeichert; es gilt nur für „quirvel export“.");
  if (options.SettingOptions.empty() && !options.HasName && !templateGiven && placements.empty())
    throw TUsageError("Fehler: Es fehlt eine Einstellung, die gesetzt werden soll.");
  NeedArguments(positional, 1, 1, "genau ein Album");
  TAlbumToEdit edit;
  OpenAlbumForEditing(positional.front(), force, edit);
  TLayoutSettings after = edit.Settings;
  options.ApplyTo(Args, edit.Album, after);
  if (templateGiven) after.TextTemplate = textTemplate;
  if (const std::string error = PrintSettingsError(after); !error.empty()) throw TCommandError(error);
  std::vector<uint32_t> changed;
  const std::vector<TPhotoPlacement> placed = PlacementsAfter(edit.Album, placements, changed);
  std::vector<TPhotoPlacement> changedTo;
  for (uint32_t place : changed) changedTo.push_back(placed[place]);
  Redo(TChangeSettings(edit.Settings, after), edit);
  Redo(TPlacePhotos(std::move(changed), std::move(changedTo)), edit);
  WriteEditedAlbum(edit);
  Out << "Album " << Quoted(edit.FileName) << ": Einstellungen geschrieben.\n";
}

}  // namespace

void AddAlbumEditCommands(TCommandLine& CommandLine) {
  CommandLine.Add({{"album", "add"},
                   "[--at N] [--force] ALBUM.qvl FOTO...",
                   "fügt einem Album Fotos hinzu",
                   "Fügt die Fotos in der angegebenen Reihenfolge hinzu, am Ende oder mit --at N vor dem\n"
                   "Foto Nummer N (gezählt ab 1 wie im Fenster). Jedes bekommt seinen Vorgabetext wie im\n"
                   "Fenster; ein Foto, dessen Datei fehlt, kommt mit einer Warnung trotzdem hinzu.\n\n"
                   "  --at N               Platz des ersten neuen Fotos, 1 bis Anzahl + 1\n" +
                       std::string(KForceHelp),
                   AlbumAdd});
  CommandLine.Add({{"album", "remove"},
                   "[--force] ALBUM.qvl N...",
                   "entfernt Fotos aus einem Album",
                   "Entfernt die Fotos mit den Nummern N (gezählt ab 1 wie im Fenster).\n\n" + std::string(KForceHelp),
                   AlbumRemove});
  CommandLine.Add({{"album", "move"},
                   "[--force] ALBUM.qvl VON NACH",
                   "verschiebt ein Foto eines Albums",
                   "Verschiebt das Foto Nummer VON an den Platz NACH (gezählt ab 1 wie im Fenster); die\n"
                   "Fotos dazwischen rücken nach.\n\n" + std::string(KForceHelp),
                   AlbumMove});
  CommandLine.Add({{"album", "text"},
                   "[--force] ALBUM.qvl N TEXT",
                   "setzt den Text eines Fotos",
                   "Setzt den Text des Fotos Nummer N (gezählt ab 1 wie im Fenster); Zeilenumbrüche im\n"
                   "TEXT bleiben Zeilenumbrüche, ein leerer TEXT löscht den Text. Ein TEXT, der mit „-“\n"
                   "beginnt, folgt auf „--“.\n\n" + std::string(KForceHelp),
                   AlbumText});
  CommandLine.Add({{"album", "set"},
                   "[OPTIONEN] ALBUM.qvl",
                   "ändert Einstellungen eines Albums",
                   "Setzt die angegebenen Einstellungen im Album; alle anderen bleiben, wie sie sind.\n\n"
                   "  --name TEXT          Name des Albums (die Überschrift)\n"
                   "  --text-template TEXT Vorlage für Vorgabetexte (leer: keine)\n"
                   "  --fill N[,N...]      die Fotos N füllen ihren Platz, beschnitten um ihren Punkt\n"
                   "  --fit N[,N...]       die Fotos N werden ganz eingepasst (Vorgabe)\n"
                   "  --point N X,Y        der Punkt von Foto N, der beim Füllen sichtbar bleibt; X und Y\n"
                   "                       von 0 bis 1 (0.5,0.5 ist die Mitte, die Vorgabe)\n"
                   "  --big N[,N...]       die Fotos N werden groß gezeigt\n"
                   "  --full-page N[,N...] die Fotos N stehen jeweils auf einer Seite für sich\n"
                   "  --normal-size N[,N...] nimmt Groß und Ganze Seite bei den Fotos N zurück\n" +
                       std::string(KForceHelp) + SettingsOptionsHelp() + "\n" + BookOptionsHelp(),
                   AlbumSet});
}
