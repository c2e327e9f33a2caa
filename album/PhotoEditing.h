#pragma once
// Editing the photo list: adding photos with their default texts, deleting the current photo, moving
// it one place forward or back, and storing the text box's text for the current photo.
//
// Every operation works on the photo numbered CurPic and does nothing when CurPic names no photo.
// None of them repaints anything; the caller repaints the grid after a change.

#include <string>
#include <string_view>
#include <vector>

#include "album/AlbumModel.h"

// What follows the last "/" of Path: the file name. On this system only "/" separates folders; "\" and
// ":" are letters of a name ("Bildschirmfoto vom 2019-05-04 14:22:31.png").
std::string_view FileNamePart(std::string_view Path);

// A path as text: as it is when it is UTF-8; bytes of the system that are no UTF-8 (a name written in
// another encoding) are read as Windows-1252, so that a text made from the path is always UTF-8.
std::string PathAsText(std::string_view Path);

// The default text of a new photo from its full path (PathAsText): a CR is put before every character whose
// position in Path (counted in characters from 1) is a multiple of 50, so no line is longer than 49
// characters; unless WithPath, only what follows the last "/", "\" or ":" of that text is kept (breaks
// that fell into the folder part go with it).
std::string DefaultPhotoText(std::string_view Path, bool WithPath);

// Appends one entry per path, in the given order, behind the existing photos. With FilenamesCheck each
// gets its default text (PathCheck: WithPath), otherwise no text at all (nullptr). CurPic does not
// change. Returns how many were added; fewer than given only when memory ran out.
size_t AddPhotos(TAlbumModel& Album, const std::vector<std::string>& Paths, bool FilenamesCheck,
                 bool PathCheck);

struct TDeleteResult {
  bool Deleted = false;
  // The text box's new content: the text of the photo now numbered CurPic, empty when none is.
  std::string TextToShow;
};
// Deletes the current photo, releasing its file name, text and thumbnail. CurPic keeps its value, so
// the photo that followed is current now; after deleting the last photo none is.
TDeleteResult DeleteCurrentPhoto(TAlbumModel& Album);

// Swaps the current photo with the one before (MovePhotoForward) or after it (MovePhotoBack), whole
// entries with their thumbnails, and lets CurPic follow it. False (nothing changed) at the list's end.
bool MovePhotoForward(TAlbumModel& Album);
bool MovePhotoBack(TAlbumModel& Album);

// Stores a copy of Text as the current photo's text (the text box's lines joined by CR LF). False when
// no photo is current or memory ran out; the old text then stays.
bool SetCurrentPhotoText(TAlbumModel& Album, std::string_view Text);

// The text box shows a photo's text with each break as "\n", whether it is stored as CR LF or as a
// lone CR; the box's text comes back as its lines joined by CR LF.
std::string BoxTextOfPhotoText(std::string_view Text);
std::string PhotoTextOfBoxText(std::string_view BoxText);

// The add dialog's filter: every "*.JPG;", in any letter case, becomes "*.JPG;*.JPEG;".
std::string WithJpegExtension(std::string_view Filter);
