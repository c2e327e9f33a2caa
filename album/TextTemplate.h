#pragma once
// Texts from a template ("Vorlage für Vorgabetexte"): photo texts made from what is known about each
// photo. The fields, written in braces:
//
//   {Dateiname}  the file name with its extension   ("IMG_0042.JPG")
//   {Name}       the file name without extension    ("IMG_0042")
//   {Ordner}     the name of the photo's folder     ("Urlaub 2026")
//   {Datum}      the date taken, German long form   ("7. Dezember 2026")
//   {Uhrzeit}    the time taken, hours and minutes  ("14:05")
//
// The date taken is the EXIF date, or the file's modification time (DateTaken.h); for a file with
// neither, {Datum} and {Uhrzeit} stay empty. Anything else, unknown fields included, is copied as it
// stands. A template that is empty makes no texts: new photos then get theirs as the check boxes
// "Dateinamen als Vorgabetext" and "Mit Pfad" say (NewPhotoText).

#include <optional>
#include <string>
#include <string_view>

#include "album/DateTaken.h"
#include "album/LayoutSettings.h"

// "7. Dezember 2026".
std::string GermanLongDate(int Year, int Month, int Day);

// True when Template asks for the date or time, which means reading the file.
bool TemplateNeedsDate(std::string_view Template);

// The text of the photo Path for Template; Date is used for {Datum} and {Uhrzeit}. The file name and
// folder are taken as PathAsText (PhotoEditing.h) gives them, so the text is UTF-8 whenever Template is.
std::string FillTextTemplate(std::string_view Template, std::string_view Path, const TDateTaken& Date);
// The same, reading the date from the file when the template asks for it.
std::string TemplateText(std::string_view Template, const std::string& Path);

// The text a photo added now gets: from the template when there is one, else the default text from its
// file name with FilenamesCheck, else none.
std::optional<std::string> NewPhotoText(const TLayoutSettings& Settings, const std::string& Path);

// True when Text is one the program could have made for Path: empty, its default text (with or
// without the folder) or Template's text. Any other text was typed by a user.
bool IsMadeText(std::string_view Text, std::string_view Template, const std::string& Path);
