#pragma once
// The album file (*.qvl): the photo list, the two fonts and the layout settings, little-endian,
// written front to back without gaps.
//
//   magic AB CD 00 00 | i32 photo count K (0 or less: no photos) | K photo records
//   (u32 N, N bytes file name, u32 T, T bytes text) | heading font | text font (FontRecord.h) |
//   settings 1-10: TextCheck, CaptionCheck (flags), RandXEd, RandYEd, SpaceHED, SpaceVEd (doubles, mm),
//     ShowPDFCheck (flag), CountXEd, CountYEd (i32), PageNrCheck (flag)                    44 bytes
//   G1: CaptionOnAllPages, FilenamesCheck, PathCheck (flags)                                3 bytes
//   G2: PageWidthEd, PageHeightEd (mm), XMalEd (doubles)                                   24 bytes
//   G3: ZoomInFotosCheck (flag)                                                             1 byte
//   G4: Shape1, Shape2 (colours 0x00BBGGRR), RahmenCheck (flag)                             9 bytes
//   G5: PictureDpi (i32, 0 for "Original"), KeepJpeg (flag)                                 5 bytes
//   G6: tagged entries for what came later (AlbumExtensions.h)
//
// Texts are encoded as DiskText.h describes. A flag is written 1 or 0 and read as set when non-zero.
// The writer always writes G1 to G4, and G5 only when one of its settings differs from its default,
// so an album at the defaults is the same file as before G5 existed, and a reader that knows only G1
// to G4 reads any file (it ignores what follows G4). G6 is written when one of its entries is, and G5
// then always, so that a reader knowing G1 to G5 still finds G5 where it looks. The album name travels
// in G6 ('NAME'); SeparateCheck, RahmenBreiteEd and EmbedFonts are not in the file.
//
// Reading checks the whole file before anything in memory changes:
// - not an album (fewer than four bytes, or other magic): refused, album and settings unchanged;
// - a count or length larger than the bytes left, a file ending inside a photo record, a font record,
//   settings 1-10 or inside one of the groups: refused as incomplete, album and settings unchanged;
// - a file ending exactly before a group: that group and the later ones are skipped, their settings
//   keep their values; except G5, whose settings then take their defaults, since the writer leaves
//   G5 out exactly when they are at their defaults;
// - bytes after G5 are G6 when they begin with its magic, and ignored otherwise; a damaged G6 loads
//   with a warning (AlbumExtensions.h), which the album keeps as its Damage: writing it would lose
//   what did not load, so callers ask first (DamagedAlbumText).
// A loaded number outside its field's limits becomes the nearest limit (ClampDecimal, ClampWhole).
// Loaded fonts are assigned as the font dialogs assign (AssignFont): the settings' fonts keep their
// PixelsPerInch. A photo with text length 0 loads with an empty text, not without one.
//
// Nothing here shows a message; every failure comes back in the result with the German text to show.

#include <string>
#include <string_view>
#include <vector>

#include "album/AlbumExtensions.h"
#include "album/AlbumModel.h"
#include "album/LayoutSettings.h"

constexpr uint32_t AlbumMagic = 52651;  // 0x0000CDAB

struct TAlbumFileResult {
  bool Ok = true;
  std::string Message;  // German, "Fehler: ..."; empty when Ok
  // German, for an album that loaded but had a part ignored (a damaged G6 entry); shown as a warning.
  std::string Warning;
};

// The validated content of an album file before it is applied. Views point into the file's bytes.
struct TAlbumImage {
  struct TPhoto {
    std::string_view FileName;  // as stored, not yet decoded
    std::string_view Text;
  };
  std::vector<TPhoto> Photos;
  TFontSpec HeadingFont;
  TFontSpec TextFont;
  // Settings 1-10 and the groups, as stored; each group only when present.
  bool TextCheck = false, CaptionCheck = false, ShowPDFCheck = false, PageNrCheck = false;
  double RandXEd = 0, RandYEd = 0, SpaceHED = 0, SpaceVEd = 0;
  int32_t CountXEd = 0, CountYEd = 0;
  bool HasG1 = false, CaptionOnAllPages = false, FilenamesCheck = false, PathCheck = false;
  bool HasG2 = false;
  double PageWidthEd = 0, PageHeightEd = 0, XMalEd = 0;
  bool HasG3 = false, ZoomInFotosCheck = false;
  bool HasG4 = false, RahmenCheck = false;
  uint32_t Shape1 = 0, Shape2 = 0;
  bool HasG5 = false, KeepJpeg = false;
  int32_t PictureDpi = 0;
  TAlbumExtensions Extensions;  // G6
};

// The bytes of the album file for Album and Settings.
std::string EncodeAlbum(const TAlbumModel& Album, const TLayoutSettings& Settings);

// Checks Bytes and fills Image. Every count and length is checked against the bytes left before
// anything is stored, so Image.Photos never has more than Bytes.size() / 8 entries and its views never
// reach past Bytes. On failure Image is in an unspecified state.
TAlbumFileResult ParseAlbum(std::string_view Bytes, TAlbumImage& Image);

// Parses Bytes and, when they are a complete album, replaces Album's photos (FreeAllPics first, so
// CurPic is 1) and overwrites the settings the file holds. On failure nothing has changed, except when
// memory runs out while the new entries are made: then the album is left empty.
TAlbumFileResult LoadAlbumBytes(std::string_view Bytes, TAlbumModel& Album, TLayoutSettings& Settings);

// What writing Album would lose, in German, for the question or refusal before it is written: "Die
// Albumdatei ist beschädigt: <Damage> Wird das Album geschrieben, geht das verloren."; empty for an
// album without Damage.
std::string DamagedAlbumText(const TAlbumModel& Album);

// Reads FileName and loads it as LoadAlbumBytes does. A file that cannot be opened for reading gives
// "Fehler: Konnte Datei nicht öffnen..." and changes nothing.
TAlbumFileResult OpenAlbumFile(const std::string& FileName, TAlbumModel& Album, TLayoutSettings& Settings);

// Writes the album to FileName without ever leaving a partial file there (ReplaceFileSafely): a file
// that cannot be created gives "Fehler: Konnte Datei nicht erstellen...", a failed write or rename a
// "Fehler: " message naming what failed; an existing file of that name is then unchanged.
TAlbumFileResult SaveAlbumFile(const std::string& FileName, const TAlbumModel& Album,
                               const TLayoutSettings& Settings);
