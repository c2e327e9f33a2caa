#pragma once
// What every command that changes an album file in place ("album add", "album sort", ...) does alike:
// open it, refuse it when writing it back would lose something, and write it back through the safe
// writer once the change is made. Everything the change does not touch is written as it was read, the
// sixth group's unknown entries included (AlbumExtensions.h), so an album that is changed and changed
// back is the same file.
//
// Refused, each with a German TCommandError and the file untouched:
// - a file that cannot be read, or is not an album (a picture given in its place);
// - an album whose file is damaged (a part did not load), unless Force: its warning says what would be
//   lost; with Force the warning goes to standard error and the album is written without that part;
// - an album file that is read-only (no write permission bit, or no write access for this user).

#include <string>
#include <string_view>

#include "album/AlbumModel.h"
#include "album/LayoutSettings.h"

struct TAlbumToEdit {
  std::string FileName;
  TAlbumModel Album;
  TLayoutSettings Settings = FirstStartSettings();
};

// Opens FileName into Edit, refusing it as described above.
void OpenAlbumForEditing(const std::string& FileName, bool Force, TAlbumToEdit& Edit);

// Writes Edit's album back to its file; throws TCommandError when that fails (the file is then as it
// was) or when a signal asked the command to stop before it.
void WriteEditedAlbum(const TAlbumToEdit& Edit);

// Arg as a photo number of an album of Count photos, counted from 1 as in the window; up to Count + 1
// when AfterLast (a place behind the last photo). Throws TUsageError for what is no number and
// TCommandError for a number outside the album.
uint32_t PhotoNumber(const std::string& Arg, uint32_t Count, bool AfterLast = false);

// Value as a text for Option, which must be UTF-8 like every text of an album; throws TCommandError
// naming the option otherwise.
const std::string& TextValue(const std::string& Value, std::string_view Option);

// "1 Foto", "3 Fotos".
std::string PhotoCount(size_t Count);

class TCommandLine;
// "album add", "album remove", "album move", "album text" and "album set"; AlbumEditCommands.cpp.
void AddAlbumEditCommands(TCommandLine& CommandLine);
