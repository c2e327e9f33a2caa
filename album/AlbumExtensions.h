#pragma once
// The album file's sixth group (G6): what albums learned after G5, as tagged entries, so that each kind
// of data can be added, is left out while it is at its default, and is skipped by a reader that does
// not know it.
//
//   G6: u32 KExtensionsMagic | u32 entry count E | E entries: u32 tag, u32 length L, L bytes
//
// G6 follows G5 and is written only when at least one entry is; G5 is then written too, even at its
// defaults, because a reader that knows G1 to G5 takes the five bytes after G4 as G5 and ignores what
// follows. Bytes after G5 that do not start with the magic are not ours and are ignored, as before.
//
// Entries are looked at one by one. An entry of a tag this version does not know is kept in the album
// (TAlbumModel::StoredEntries) with its bytes and written back unchanged, in its place among the others,
// so that an album a newer version wrote loses nothing here. An entry this version knows whose bytes
// make no sense, or a group cut short, does not refuse the album: what it would have set takes its
// default (also when an earlier entry of the same tag had set it), and a German warning says what was
// ignored; the photos and the other settings load as they are.
//
// Writing keeps the order the file had: the entries the album was read with, each known one with its
// content as it is now (left out when that is at its default), then the known ones that were not there,
// in the order below. An album written unchanged is thus the same file.
//
// Adding a kind of entry: a tag below, its encoding in KnownEntries (AlbumExtensions.cpp; only when not
// at its default) and its decoding in ApplyExtensions.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "album/AlbumModel.h"
#include "album/LayoutSettings.h"

class TByteReader;

constexpr uint32_t KExtensionsMagic = 0x36475851;  // "QXG6" in the file

// The entries this version knows, each tag four letters read as a little-endian u32:
// 'BLED' the bleed ("Beschnittzugabe") in mm, a double; written when not 0. Outside 0 to 10 mm it is
//        damaged, and the album loads without bleed.
// 'PDFA' the PDF/A level as its name, "2b" or "1b"; written when one is chosen. Any other text is
//        damaged, and the album loads without PDF/A.
constexpr uint32_t KBleedTag = 0x44454C42;  // "BLED"
constexpr uint32_t KPdfATag = 0x41464450;   // "PDFA"
// 'TMPL' the text template ("Vorlage für Vorgabetexte"), its UTF-8 bytes; written when not empty.
// 'TURN' the photos' turns: u32 photo count, then one byte 0..3 per photo in album order; written when
//        a photo is turned. A count other than the album's or a byte above 3 is damaged: no photo is
//        turned then.
constexpr uint32_t KTemplateTag = 0x4C504D54;  // "TMPL"
constexpr uint32_t KTurnsTag = 0x4E525554;     // "TURN"
// 'SECT' the section marks (BookSettings.h): u32 count N, then N marks: u32 length and the bytes of
//        the photo's file name as its record holds them, u32 its occurrence, u32 length and the UTF-8
//        bytes of the title; written when there is a mark. Cut short, a title that is no UTF-8, or an
//        empty file name is damaged: the album loads without sections.
// 'BOOK' title page, back page, contents and book mode: u32 flags (1 title page, 2 title photo also
//        inside, 4 back page, 8 contents, 16 section pages, 32 book mode, 64 bleed on the inner side),
//        the subtitle (u32 length, UTF-8), the title photo (file name as a text, u32 occurrence; an
//        empty name for none), the back page's text, the back page's photo, and the binding in mm, a
//        double; written when any of it is not at its default. Flags this version does not know, and
//        bytes after the binding, are ignored, so later versions can add to the entry. Cut short, a
//        text that is no UTF-8 or a binding outside 0 to 50 mm is damaged: the album loads with none
//        of it.
constexpr uint32_t KSectionsTag = 0x54434553;  // "SECT"
constexpr uint32_t KBookTag = 0x4B4F4F42;      // "BOOK"
// 'NAME' the album name ("Name des Albums", the heading), its UTF-8 bytes; written when it is not
//        "Familienfotos", which an album without the entry has. Bytes that are no UTF-8 are damaged.
constexpr uint32_t KNameTag = 0x454D414E;  // "NAME"
// 'RAWN' which photos' file names are the bytes the system gave, not text: u32 photo count, then one
//        byte 0 or 1 per photo in album order; written when a file name is no UTF-8. Such a name is
//        stored in its photo record as it is; without the entry a reader takes bytes that are no UTF-8
//        for Windows-1252 (DiskText.h). A count other than the album's or a byte above 1 is damaged:
//        the names are then read as text.
constexpr uint32_t KRawNamesTag = 0x4E574152;  // "RAWN"

// 'LAYO' "Seitenaufteilung" as its name, "auto"; written when not the grid.
// 'PPAG' "Fotos je Seite", a u32 from 1 to 12; written when not 4.
// 'CROP' "Beschnitt höchstens" in percent, a u32 from 0 to 50; written when not 10.
//        Any of the three damaged: the album loads with the grid.
constexpr uint32_t KPageLayoutTag = 0x4F59414C;     // "LAYO"
constexpr uint32_t KPhotosPerPageTag = 0x47415050;  // "PPAG"
constexpr uint32_t KCropBudgetTag = 0x504F5243;     // "CROP"

// 'PLAC' how each photo is placed: u32 photo count, then per photo in album order a byte of
//        TPicEntry::Placement bits (1 "Füllen", 2 "Groß", 4 "Ganze Seite") and the focus point as two
//        u16 in 1/10000 of the picture's width and height (0 to 10000, 5000 5000 the centre); written
//        when a photo is not fitted whole at its centre with one slot. A count other than the album's,
//        an unknown bit or a point outside the picture is damaged: every photo is then fitted whole.
constexpr uint32_t KPlacementTag = 0x43414C50;  // "PLAC"

struct TAlbumEntry {
  uint32_t Tag = 0;
  std::string_view Data;  // into the file's bytes
};

// What G6 holds, as found in the file.
struct TAlbumExtensions {
  bool Present = false;              // the group was there
  bool Damaged = false;              // it ended early: entries after Entries.back() were lost
  std::vector<TAlbumEntry> Entries;  // complete entries, in file order
};

// The G6 bytes for Album and Settings; empty when every entry is at its default.
std::string EncodeExtensions(const TAlbumModel& Album, const TLayoutSettings& Settings);

// Reads G6 from In when it starts there; reads nothing otherwise. Never fails: a damaged group is
// marked Damaged and keeps the entries complete before the damage. Entry views stay inside In's bytes,
// and the entry count is checked against the bytes left before anything is stored.
TAlbumExtensions ParseExtensions(TByteReader& In);

// Sets what the entries say on Album (loaded already) and Settings, and the defaults for what they do
// not say, and keeps the entries in Album.StoredEntries. Returns the German warning for whatever was
// ignored; empty when nothing was.
std::string ApplyExtensions(const TAlbumExtensions& Extensions, TAlbumModel& Album, TLayoutSettings& Settings);

// Which of PhotoCount photos have file names that are the system's bytes ('RAWN'): one flag per photo,
// all false without the entry or when it is damaged.
std::vector<bool> RawFileNames(const TAlbumExtensions& Extensions, size_t PhotoCount);
