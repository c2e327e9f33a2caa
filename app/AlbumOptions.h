#pragma once
// What every command that draws an album (`export`, `preview`) takes alike: the album or the loose
// photos it is made of, and the options that change how the album looks: the settings options
// (SettingsOptions.h), the book's options (BookOptions.h), --name TEXT, --frame-width N and
// --embed-fonts.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "album/AlbumModel.h"
#include "album/LayoutSettings.h"
#include "app/CommandLine.h"

// The value of Option at Args[Pos], after "=" or as the next argument (Pos then moves to it); throws
// TCommandError when it is missing.
std::string OptionValue(const TCommandArgs& Args, size_t& Pos, const std::string& Option);
// True for "--option" and "--option=value".
bool IsOptionNamed(const std::string& Arg, const std::string& Option);

struct TAlbumOptions {
  std::vector<size_t> SettingOptions;  // positions of settings and book options, applied after the album
  bool EmbedFonts = false;
  bool HasName = false;
  std::string Name;
  bool HasFrameWidth = false;
  int32_t FrameWidth = 10;

  // When Args[Pos] is one of these options, takes it (and its value), moves Pos to the last argument
  // it used and returns true; false otherwise. Throws TCommandError for a missing or bad value.
  bool Take(const TCommandArgs& Args, size_t& Pos);
  // Puts the options into Settings, over what the album said; the book's options that name photos
  // name them in Album.
  void ApplyTo(const TCommandArgs& Args, const TAlbumModel& Album, TLayoutSettings& Settings) const;
};

// Splits the arguments of Command ("album move") into its options and the positional arguments, which it
// returns: "--" ends the options; Take takes an option (true when it took the one at Pos, moving Pos past
// its value); any other option is refused with TUsageError.
std::vector<std::string> ParseArguments(const TCommandArgs& Args, const std::string& Command,
                                        const std::function<bool(size_t& Pos)>& Take);

// ParseArguments for a command with the album options: Own takes the command's own options (true when it took the one at
// Pos, moving Pos past its value), Album the album options; any other option is refused with
// TUsageError.
std::vector<std::string> ParseAlbumCommand(const TCommandArgs& Args, const std::string& Command,
                                           TAlbumOptions& Album, const std::function<bool(size_t& Pos)>& Own);

// The options' help lines, for a command's --help.
const std::string& AlbumOptionsHelp();

// Reads the album or the photos that Positional (OUTPUT INPUT...) names, for writing OUTPUT, a FileKind
// ("PDF-Datei", "PNG-Datei"), and returns OUTPUT. One input that is an album (by its extension .qvl
// or its content) is opened with its settings; otherwise every input is a photo, with the settings of
// a program start. Throws TCommandError when an argument is missing, OUTPUT is an album itself (the
// arguments were swapped; Usage shows the right order) or one of the photos, or an input cannot be
// read.
std::string LoadAlbumInput(const std::vector<std::string>& Positional, const std::string& FileKind,
                           const std::string& Usage, TAlbumModel& Album, TLayoutSettings& Settings);

// Reads the album or the photos that Inputs name, as LoadAlbumInput does for its inputs; CheckPhoto,
// when given, sees each photo's absolute path and may refuse it by throwing TCommandError.
void LoadAlbumOrPhotos(const std::vector<std::string>& Inputs, TAlbumModel& Album, TLayoutSettings& Settings,
                       const std::function<void(const std::filesystem::path& Photo)>& CheckPhoto = {});

// "1 Foto konnte nicht gelesen werden und fehlt im Album." / "N Fotos konnten ... und fehlen im
// Album.", with its line end; empty for none.
std::string UnreadablePhotosLine(int32_t Unreadable);
