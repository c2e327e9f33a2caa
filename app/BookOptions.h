#pragma once
// The command-line options that make an album a book, for export, preview, check and album new:
//
//   --title-page  --subtitle TEXT  --title-photo N  --back-page TEXT  --sections date:DAYS|folder
//   --contents  --book  --binding MM  --format NAME
//
// --title-photo and --sections name photos, so they are taken first (TBookRequest) and applied to
// the settings once the album's photos are known (ApplyBookRequest).

#include <cstddef>
#include <cstdint>
#include <string>

#include "album/AlbumModel.h"
#include "album/LayoutSettings.h"
#include "app/CommandLine.h"

struct TBookRequest {
  uint32_t TitlePhoto = 0;  // from 1; 0: not asked
  enum class TSplit { None, Date, Folder } Split = TSplit::None;
  int GapDays = 1;
};

// When Args[Pos] is a book option, applies it to Settings or Request, moves Pos to the last argument
// it used and returns true; otherwise false. Throws TCommandError for a missing or bad value.
bool ApplyBookOption(const TCommandArgs& Args, size_t& Pos, TLayoutSettings& Settings, TBookRequest& Request);
// Sets the title photo and the sections Request asks for on Settings, from Album's photos (reading
// their dates for --sections date). Throws TCommandError for a photo number the album does not have.
void ApplyBookRequest(const TBookRequest& Request, const TAlbumModel& Album, TLayoutSettings& Settings);

const std::string& BookOptionsHelp();

// The note for a book setting the PDF does not show yet (title page, back page, contents, facing
// pages), with its line end; empty when none of them is on.
std::string BookNotDrawnNote(const TLayoutSettings& Settings);
