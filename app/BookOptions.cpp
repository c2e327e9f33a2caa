#include "app/BookOptions.h"

#include <cmath>

#include "album/BookFormats.h"
#include "album/DateTaken.h"
#include "album/SectionMarks.h"
#include "app/AlbumOptions.h"

namespace {

bool WholeNumber(const std::string& Text, double Min, double Max, double& Value) {
  return ParseDecimal(Text, Value) && Value == std::floor(Value) && Value >= Min && Value <= Max;
}

}  // namespace

bool ApplyBookOption(const TCommandArgs& Args, size_t& Pos, TLayoutSettings& Settings, TBookRequest& Request) {
  const std::string& arg = Args[Pos];
  TBookSettings& book = Settings.Book;
  const auto refuseValue = [&arg](const char* Name) {
    if (arg != Name) throw TCommandError(std::string("Fehler: Die Option ") + Name + " hat keinen Wert.");
  };
  if (IsOptionNamed(arg, "--title-page")) {
    refuseValue("--title-page");
    book.TitlePage = true;
  } else if (IsOptionNamed(arg, "--contents")) {
    refuseValue("--contents");
    book.Contents = true;
  } else if (IsOptionNamed(arg, "--book")) {
    refuseValue("--book");
    book.BookMode = true;
  } else if (IsOptionNamed(arg, "--subtitle")) {
    book.Subtitle = OptionValue(Args, Pos, "--subtitle");
    book.TitlePage = true;
  } else if (IsOptionNamed(arg, "--back-page")) {
    book.BackText = OptionValue(Args, Pos, "--back-page");
    book.BackPage = true;
  } else if (IsOptionNamed(arg, "--binding")) {
    const std::string value = OptionValue(Args, Pos, "--binding");
    double mm = 0;
    if (!ParseDecimal(value, mm) || !(mm >= KBindingLimits.Min && mm <= KBindingLimits.Max))
      throw TCommandError("Fehler: --binding erwartet Millimeter von 0 bis 50, nicht " + Quoted(value) + ".");
    book.Binding = mm;
  } else if (IsOptionNamed(arg, "--format")) {
    const std::string value = OptionValue(Args, Pos, "--format");
    const TBookFormat* format = BookFormatNamed(value);
    if (!format) {
      std::string names;
      for (const TBookFormat& f : KBookFormats) names += std::string(names.empty() ? "" : ", ") + f.Name;
      throw TCommandError("Fehler: " + Quoted(value) + " ist kein Format; möglich sind " + names + ".");
    }
    Settings.PageWidthEd = format->Width;
    Settings.PageHeightEd = format->Height;
  } else if (IsOptionNamed(arg, "--title-photo")) {
    const std::string value = OptionValue(Args, Pos, "--title-photo");
    double number = 0;
    if (!WholeNumber(value, 1, 4294967295.0, number))
      throw TCommandError("Fehler: --title-photo erwartet die Nummer eines Fotos (ab 1), nicht " + Quoted(value) +
                          ".");
    Request.TitlePhoto = static_cast<uint32_t>(number);
    book.TitlePage = true;
  } else if (IsOptionNamed(arg, "--sections")) {
    const std::string value = OptionValue(Args, Pos, "--sections");
    double days = 0;
    if (value == "folder") {
      Request.Split = TBookRequest::TSplit::Folder;
    } else if (value.rfind("date:", 0) == 0 && WholeNumber(value.substr(5), 1, 3650, days)) {
      Request.Split = TBookRequest::TSplit::Date;
      Request.GapDays = static_cast<int>(days);
    } else if (value == "date") {
      Request.Split = TBookRequest::TSplit::Date;
      Request.GapDays = 1;
    } else {
      throw TCommandError("Fehler: --sections erwartet „date:TAGE“ (TAGE von 1 bis 3650) oder „folder“, nicht " +
                          Quoted(value) + ".");
    }
  } else {
    return false;
  }
  return true;
}

void ApplyBookRequest(const TBookRequest& Request, const TAlbumModel& Album, TLayoutSettings& Settings) {
  if (Request.TitlePhoto > 0) {
    if (Request.TitlePhoto > Album.Pics.Count)
      throw TCommandError("Fehler: --title-photo " + std::to_string(Request.TitlePhoto) + ": Das Album hat " +
                          std::to_string(Album.Pics.Count) + (Album.Pics.Count == 1 ? " Foto." : " Fotos."));
    Settings.Book.TitlePhoto = IdentityOf(Album, Request.TitlePhoto - 1);
  }
  if (Request.Split == TBookRequest::TSplit::Folder) {
    Settings.Book.Marks = MarksFromFolders(Album);
  } else if (Request.Split == TBookRequest::TSplit::Date) {
    std::vector<TDateTaken> dates;
    dates.reserve(Album.Pics.Count);
    for (uint32_t i = 0; i < Album.Pics.Count; ++i)
      dates.push_back(DateTakenOf(std::string(EntryFileName(Album.Pics[static_cast<int32_t>(i)]))));
    Settings.Book.Marks = MarksFromDates(Album, dates, Request.GapDays);
  }
}

std::string BookNotDrawnNote(const TLayoutSettings& Settings) {
  const TBookSettings& b = Settings.Book;
  if (!b.TitlePage && !b.BackPage && !b.Contents && !b.BookMode) return {};
  return "Hinweis: Titelseite, Rückseite, Inhaltsverzeichnis und Buch mit Doppelseiten sind im Album "
         "gespeichert, werden aber noch nicht in die PDF-Datei gezeichnet; Abschnitte und Lesezeichen "
         "schon.\n";
}

const std::string& BookOptionsHelp() {
  static const std::string help =
      "Buch:\n"
      "  --title-page               Titelseite mit dem Albumnamen\n"
      "  --subtitle TEXT            Untertitel der Titelseite\n"
      "  --title-photo N            Foto N (ab 1) als Titelbild\n"
      "  --back-page TEXT           Rückseite mit diesem Text\n"
      "  --sections date:TAGE|folder  Abschnitte nach einer Lücke von TAGE Tagen zwischen den\n"
      "                             Aufnahmedaten oder nach Ordnern\n"
      "  --contents                 Inhaltsverzeichnis nach der Titelseite\n"
      "  --book                     Buch mit Doppelseiten (Ränder innen und außen)\n"
      "  --binding MM               Bindung: zusätzlicher Rand innen in mm (0 bis 50)\n"
      "  --format NAME              Seitengröße eines Fotobuchs: a4-hoch, a4-quer, a5, 21x21,\n"
      "                             30x30, 20x15, 28x21\n";
  return help;
}
