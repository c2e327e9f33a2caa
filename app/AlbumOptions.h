#pragma once
// What every command that draws an album (`export`, `preview`) takes alike: the album or the loose
// photos it is made of, and the options that change how the album looks: the settings options
// (SettingsOptions.h), --name TEXT, --frame-width N and --embed-fonts.

#include <cstddef>
#include <cstdint>
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
  std::vector<size_t> SettingOptions;  // positions of settings options, applied after the album
  bool EmbedFonts = false;
  bool HasName = false;
  std::string Name;
  bool HasFrameWidth = false;
  int32_t FrameWidth = 10;

  // When Args[Pos] is one of these options, takes it (and its value), moves Pos to the last argument
  // it used and returns true; false otherwise. Throws TCommandError for a missing or bad value.
  bool Take(const TCommandArgs& Args, size_t& Pos);
  // Puts the options into Settings, over what the album said.
  void ApplyTo(const TCommandArgs& Args, TLayoutSettings& Settings) const;
};

// The options' help lines, for a command's --help.
const std::string& AlbumOptionsHelp();

// Reads the album Inputs name, or the photos, for writing Output, a FileKind ("PDF-Datei",
// "PNG-Datei"): one input that is an album (by its extension .qvl or its content) is opened with its
// settings; otherwise every input is a photo, with the settings of a program start. Throws
// TCommandError when Output is an album itself (the arguments were swapped; Usage shows the right
// order) or one of the photos, or an input cannot be read.
void LoadAlbumInput(const std::string& Output, const std::vector<std::string>& Inputs, const std::string& FileKind,
                    const std::string& Usage, TAlbumModel& Album, TLayoutSettings& Settings);
