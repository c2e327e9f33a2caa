#pragma once
// The command-line options that set an album's layout, shared by every command that takes settings.
//
//   --columns N  --rows N  --copies N           whole numbers 1 to 100
//   --page-size WxH  --margins X,Y  --spacing H,V   millimetres ("." or "," as decimal separator
//                                                   inside a number; page 1 to 10000, others 0 to 100)
//   --no-texts  --no-heading  --heading-first-page-only  --no-page-numbers  --zoom-in  --frame
//   --frame-colour RRGGBB  --background RRGGBB   hexadecimal, red first
//   --no-default-texts  --with-path
//   --dpi original|N                              resolution limit, N whole from 50 to 2400
//   --keep-jpeg
//   --layout raster|auto  --photos-per-page N (1 to 12)  --crop-budget PERCENT (0 to 50)
//
// A value may follow as the next argument or after "=". Unlike a settings field in the window, which
// quietly moves a value to its nearest limit, a value outside the limits or unreadable is refused with
// a message: on the command line a typing error should not become a silently different album.

#include <cstddef>
#include <string>

#include "album/LayoutSettings.h"
#include "app/CommandLine.h"

// When Args[Pos] is a settings option, applies it (and its value) to Settings, moves Pos to the last
// argument it used and returns true; otherwise returns false and changes nothing. Throws
// TCommandError with a German message for a missing or bad value.
bool ApplySettingsOption(const TCommandArgs& Args, size_t& Pos, TLayoutSettings& Settings);

// The options' help text, for a command's --help.
const std::string& SettingsOptionsHelp();
