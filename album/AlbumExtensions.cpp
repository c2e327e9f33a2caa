#include "album/AlbumExtensions.h"

#include <utility>

#include "album/ByteReader.h"
#include "album/ByteWriter.h"
#include "platform/TextEncoding.h"

namespace {

// Each entry needs at least its tag and its length.
constexpr size_t KEntryHead = 8;

void PutEntry(std::string& Out, uint32_t& Count, uint32_t Tag, std::string_view Data) {
  PutU32(Out, Tag);
  PutU32(Out, static_cast<uint32_t>(Data.size()));
  PutBytes(Out, Data);
  ++Count;
}

// False, with Bleed untouched, when Data is no bleed within its limits.
bool DecodeBleed(std::string_view Data, double& Bleed) {
  TByteReader in(Data);
  double value = 0;
  if (!in.ReadDouble(value) || in.Left() != 0 || !(value >= KBleedLimits.Min && value <= KBleedLimits.Max))
    return false;
  Bleed = value;
  return true;
}

bool DecodePdfA(std::string_view Data, TPdfA& Level) {
  for (const TPdfAChoice& choice : KPdfAChoices)
    if (choice.Level != TPdfA::None && Data == choice.Name) {
      Level = choice.Level;
      return true;
    }
  return false;
}

// 'TURN': u32 photo count N, then N bytes, each photo's quarter turns (0..3) in album order.
std::string EncodeTurns(const TAlbumModel& Album) {
  bool any = false;
  std::string data;
  PutU32(data, Album.Pics.Count);
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) {
    const uint8_t turn = Album.Pics[static_cast<int32_t>(i)].Turn;
    any = any || turn != 0;
    PutU8(data, turn);
  }
  return any ? data : std::string();
}

// The flags of a per-photo entry ('TURN', 'RAWN'): u32 photo count, then one byte of at most Largest
// per photo. False when Data is not that for Count photos.
bool DecodePhotoBytes(std::string_view Data, uint32_t Count, uint8_t Largest, std::string_view& Bytes) {
  TByteReader in(Data);
  uint32_t count = 0;
  if (!in.ReadU32(count) || count != Count || in.Left() != count) return false;
  in.ReadBytes(count, Bytes);
  for (char byte : Bytes)
    if (static_cast<uint8_t>(byte) > Largest) return false;
  return true;
}

void PutText(std::string& Out, std::string_view Text) {
  PutU32(Out, static_cast<uint32_t>(Text.size()));
  PutBytes(Out, Text);
}

// Utf8: the bytes must be UTF-8; a file name is the system's bytes, whatever they are.
bool ReadText(TByteReader& In, std::string& Text, bool Utf8 = true) {
  uint32_t length = 0;
  std::string_view bytes;
  if (!In.ReadU32(length) || length > In.Left() || !In.ReadBytes(length, bytes) || (Utf8 && !IsValidUtf8(bytes)))
    return false;
  Text.assign(bytes);
  return true;
}

void PutIdentity(std::string& Out, const TPhotoIdentity& Photo) {
  PutText(Out, Photo.File);
  PutU32(Out, Photo.Occurrence);
}

bool ReadIdentity(TByteReader& In, TPhotoIdentity& Photo) {
  return ReadText(In, Photo.File, false) && In.ReadU32(Photo.Occurrence);
}

std::string EncodeSections(const std::vector<TSectionMark>& Marks) {
  std::string data;
  PutU32(data, static_cast<uint32_t>(Marks.size()));
  for (const TSectionMark& mark : Marks) {
    PutIdentity(data, mark.Photo);
    PutText(data, mark.Title);
  }
  return data;
}

bool DecodeSections(std::string_view Data, std::vector<TSectionMark>& Marks) {
  TByteReader in(Data);
  uint32_t count = 0;
  // Each mark takes at least its three lengths and numbers.
  if (!in.ReadU32(count) || count > in.Left() / 12) return false;
  std::vector<TSectionMark> marks(count);
  for (TSectionMark& mark : marks)
    if (!ReadIdentity(in, mark.Photo) || mark.Photo.Empty() || !ReadText(in, mark.Title)) return false;
  if (in.Left() != 0) return false;
  Marks = std::move(marks);
  return true;
}

enum : uint32_t {
  KBookTitlePage = 1,
  KBookTitlePhotoInside = 2,
  KBookBackPage = 4,
  KBookContents = 8,
  KBookSectionPage = 16,
  KBookMode = 32,
  KBookBleedInner = 64,
};

// 'BOOK' without the marks, which 'SECT' holds; empty at the defaults.
std::string EncodeBook(const TBookSettings& Book) {
  TBookSettings withoutMarks = Book;
  withoutMarks.Marks.clear();
  if (withoutMarks == TBookSettings()) return {};
  uint32_t flags = 0;
  const std::pair<bool, uint32_t> bits[] = {
      {Book.TitlePage, KBookTitlePage}, {Book.TitlePhotoInside, KBookTitlePhotoInside},
      {Book.BackPage, KBookBackPage},   {Book.Contents, KBookContents},
      {Book.SectionPage, KBookSectionPage}, {Book.BookMode, KBookMode},
      {Book.BleedInner, KBookBleedInner}};
  for (const auto& [on, bit] : bits)
    if (on) flags |= bit;
  std::string data;
  PutU32(data, flags);
  PutText(data, Book.Subtitle);
  PutIdentity(data, Book.TitlePhoto);
  PutText(data, Book.BackText);
  PutIdentity(data, Book.BackPhoto);
  PutDouble(data, Book.Binding);
  return data;
}

bool DecodeBook(std::string_view Data, TBookSettings& Book) {
  TByteReader in(Data);
  TBookSettings book;
  uint32_t flags = 0;
  if (!in.ReadU32(flags) || !ReadText(in, book.Subtitle) || !ReadIdentity(in, book.TitlePhoto) ||
      !ReadText(in, book.BackText) || !ReadIdentity(in, book.BackPhoto) || !in.ReadDouble(book.Binding) ||
      !(book.Binding >= KBindingLimits.Min && book.Binding <= KBindingLimits.Max))
    return false;
  book.TitlePage = flags & KBookTitlePage;
  book.TitlePhotoInside = flags & KBookTitlePhotoInside;
  book.BackPage = flags & KBookBackPage;
  book.Contents = flags & KBookContents;
  book.SectionPage = flags & KBookSectionPage;
  book.BookMode = flags & KBookMode;
  book.BleedInner = flags & KBookBleedInner;
  book.Marks = std::move(Book.Marks);
  Book = std::move(book);
  return true;
}

// A u32 within Limits, alone in Data.
bool DecodeWhole(std::string_view Data, TFieldLimits Limits, int32_t& Value) {
  TByteReader in(Data);
  uint32_t value = 0;
  if (!in.ReadU32(value) || in.Left() != 0 || value < Limits.Min || value > Limits.Max) return false;
  Value = static_cast<int32_t>(value);
  return true;
}

bool DecodePageLayout(std::string_view Data, TPageLayoutKind& Kind) {
  for (const TPageLayoutChoice& choice : KPageLayoutChoices)
    if (choice.Kind != TPageLayoutKind::Raster && Data == choice.Name) {
      Kind = choice.Kind;
      return true;
    }
  return false;
}

std::string WholeEntry(int32_t Value) {
  std::string data;
  PutU32(data, static_cast<uint32_t>(Value));
  return data;
}

// False, with no photo turned, when Data is not a turn for every photo of Album.
bool DecodeTurns(std::string_view Data, TAlbumModel& Album) {
  std::string_view turns;
  const bool ok = DecodePhotoBytes(Data, Album.Pics.Count, 3, turns);
  for (uint32_t i = 0; i < Album.Pics.Count; ++i)
    Album.Pics[static_cast<int32_t>(i)].Turn = ok ? static_cast<uint8_t>(turns[i]) : 0;
  return ok;
}

// 'RAWN': a 1 for each photo whose file name is no UTF-8; empty when every name is.
std::string EncodeRawNames(const TAlbumModel& Album) {
  bool any = false;
  std::string data;
  PutU32(data, Album.Pics.Count);
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) {
    const bool raw = !IsValidUtf8(EntryFileName(Album.Pics[static_cast<int32_t>(i)]));
    any = any || raw;
    PutU8(data, raw ? 1 : 0);
  }
  return any ? data : std::string();
}

// 'PLAC': per photo its placement bits and its focus point; empty when every photo is at its default.
std::string EncodePlacements(const TAlbumModel& Album) {
  bool any = false;
  std::string data;
  PutU32(data, Album.Pics.Count);
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) {
    const TPicEntry& entry = Album.Pics[static_cast<int32_t>(i)];
    any = any || entry.Placement != 0 || entry.FocusX != 0 || entry.FocusY != 0;
    PutU8(data, entry.Placement);
    for (int32_t step : {entry.FocusX + KFocusSteps / 2, entry.FocusY + KFocusSteps / 2}) {
      PutU8(data, static_cast<uint8_t>(step & 0xFF));
      PutU8(data, static_cast<uint8_t>(step >> 8));
    }
  }
  return any ? data : std::string();
}

// False, with every photo at its default, when Data is no placement for every photo of Album.
bool DecodePlacements(std::string_view Data, TAlbumModel& Album) {
  constexpr size_t KPerPhoto = 5;
  TByteReader in(Data);
  uint32_t count = 0;
  bool ok = in.ReadU32(count) && count == Album.Pics.Count && in.Left() == size_t{count} * KPerPhoto;
  std::vector<uint8_t> bits(ok ? count : 0);
  std::vector<int32_t> focus(bits.size() * 2);
  for (uint32_t i = 0; ok && i < count; ++i) {
    ok = in.ReadU8(bits[i]) && (bits[i] & ~KPlaceAll) == 0;
    for (int axis = 0; ok && axis < 2; ++axis) {
      uint8_t low = 0, high = 0;
      ok = in.ReadU8(low) && in.ReadU8(high);
      focus[2 * i + axis] = low | (high << 8);
      ok = ok && focus[2 * i + axis] <= KFocusSteps;
    }
  }
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) {
    TPicEntry& entry = Album.Pics[static_cast<int32_t>(i)];
    entry.Placement = ok ? bits[i] : 0;
    entry.FocusX = static_cast<int16_t>(ok ? focus[2 * i] - KFocusSteps / 2 : 0);
    entry.FocusY = static_cast<int16_t>(ok ? focus[2 * i + 1] - KFocusSteps / 2 : 0);
  }
  return ok;
}

// The entries this version writes for Album and Settings, in their order, each only when it is not at
// its default.
std::vector<std::pair<uint32_t, std::string>> KnownEntries(const TAlbumModel& Album,
                                                           const TLayoutSettings& Settings) {
  std::vector<std::pair<uint32_t, std::string>> entries;
  if (Settings.Bleed != 0) {
    std::string bleed;
    PutDouble(bleed, Settings.Bleed);
    entries.emplace_back(KBleedTag, std::move(bleed));
  }
  if (Settings.PdfA != TPdfA::None) entries.emplace_back(KPdfATag, PdfAChoice(Settings.PdfA).Name);
  if (!Settings.TextTemplate.empty()) entries.emplace_back(KTemplateTag, Settings.TextTemplate);
  if (std::string turns = EncodeTurns(Album); !turns.empty()) entries.emplace_back(KTurnsTag, std::move(turns));
  if (Settings.CapED != TLayoutSettings{}.CapED) entries.emplace_back(KNameTag, Settings.CapED);
  if (std::string raw = EncodeRawNames(Album); !raw.empty()) entries.emplace_back(KRawNamesTag, std::move(raw));
  if (!Settings.Book.Marks.empty()) entries.emplace_back(KSectionsTag, EncodeSections(Settings.Book.Marks));
  if (std::string book = EncodeBook(Settings.Book); !book.empty()) entries.emplace_back(KBookTag, std::move(book));
  const TLayoutSettings defaults;
  if (Settings.PageLayout != defaults.PageLayout)
    entries.emplace_back(KPageLayoutTag, PageLayoutChoice(Settings.PageLayout).Name);
  if (Settings.PhotosPerPage != defaults.PhotosPerPage)
    entries.emplace_back(KPhotosPerPageTag, WholeEntry(Settings.PhotosPerPage));
  if (Settings.CropBudget != defaults.CropBudget) entries.emplace_back(KCropBudgetTag, WholeEntry(Settings.CropBudget));
  if (std::string placements = EncodePlacements(Album); !placements.empty())
    entries.emplace_back(KPlacementTag, std::move(placements));
  return entries;
}

}  // namespace

std::string EncodeExtensions(const TAlbumModel& Album, const TLayoutSettings& Settings) {
  const std::vector<std::pair<uint32_t, std::string>> known = KnownEntries(Album, Settings);
  std::vector<bool> written(known.size(), false);
  std::string entries;
  uint32_t count = 0;
  const auto putKnown = [&](size_t Index) {
    if (written[Index]) return;
    PutEntry(entries, count, known[Index].first, known[Index].second);
    written[Index] = true;
  };
  // In the file's order first: a known entry where it stood, an unknown one as it was.
  for (const TStoredEntry& stored : Album.StoredEntries) {
    if (!stored.Known) {
      PutEntry(entries, count, stored.Tag, stored.Data);
      continue;
    }
    for (size_t i = 0; i < known.size(); ++i)
      if (known[i].first == stored.Tag) putKnown(i);
  }
  for (size_t i = 0; i < known.size(); ++i) putKnown(i);
  if (count == 0) return {};
  std::string out;
  PutU32(out, KExtensionsMagic);
  PutU32(out, count);
  out += entries;
  return out;
}

TAlbumExtensions ParseExtensions(TByteReader& In) {
  TAlbumExtensions found;
  {
    TByteReader probe = In;
    uint32_t magic = 0;
    if (!probe.ReadU32(magic) || magic != KExtensionsMagic) return found;
  }
  uint32_t magic = 0, count = 0;
  In.ReadU32(magic);
  found.Present = true;
  if (!In.ReadU32(count)) {
    found.Damaged = true;
    return found;
  }
  for (uint32_t i = 0; i < count; ++i) {
    TAlbumEntry entry;
    uint32_t length = 0;
    if (In.Left() < KEntryHead || !In.ReadU32(entry.Tag) || !In.ReadU32(length) ||
        !In.ReadBytes(length, entry.Data)) {
      found.Damaged = true;
      break;
    }
    found.Entries.push_back(entry);
  }
  return found;
}

std::string ApplyExtensions(const TAlbumExtensions& Extensions, TAlbumModel& Album,
                            TLayoutSettings& Settings) {
  std::string warning;
  const auto warn = [&warning](const char* Sentence) {
    if (!warning.empty()) warning += ' ';
    warning += Sentence;
  };
  Settings.Bleed = 0;
  Settings.PdfA = TPdfA::None;
  Settings.TextTemplate.clear();
  Settings.Book = TBookSettings();
  const TLayoutSettings defaults;
  Settings.PageLayout = defaults.PageLayout;
  Settings.PhotosPerPage = defaults.PhotosPerPage;
  Settings.CropBudget = defaults.CropBudget;
  bool layoutDamaged = false;
  Settings.CapED = TLayoutSettings{}.CapED;
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) {
    TPicEntry& entry = Album.Pics[static_cast<int32_t>(i)];
    entry.Turn = entry.Placement = 0;
    entry.FocusX = entry.FocusY = 0;
  }
  Album.StoredEntries.clear();
  // Each kind of entry is decoded here from its tag; an entry that makes no sense sets its default
  // and adds its German sentence to the warning.
  for (const TAlbumEntry& entry : Extensions.Entries) {
    bool known = true;
    if (entry.Tag == KBleedTag) {
      if (!DecodeBleed(entry.Data, Settings.Bleed)) {
        Settings.Bleed = 0;
        warn("Die Beschnittzugabe ist beschädigt; das Album wird ohne Beschnittzugabe geladen.");
      }
    } else if (entry.Tag == KPdfATag) {
      if (!DecodePdfA(entry.Data, Settings.PdfA)) {
        Settings.PdfA = TPdfA::None;
        warn("Die Wahl von PDF/A ist beschädigt; das Album wird ohne PDF/A geladen.");
      }
    } else if (entry.Tag == KTemplateTag) {
      if (IsValidUtf8(entry.Data)) {
        Settings.TextTemplate = std::string(entry.Data);
      } else {
        Settings.TextTemplate.clear();
        warn("Die Vorlage für Vorgabetexte ist beschädigt und wurde nicht geladen.");
      }
    } else if (entry.Tag == KTurnsTag) {
      if (!DecodeTurns(entry.Data, Album))
        warn("Die Drehungen der Fotos sind beschädigt; die Fotos werden ungedreht gezeigt.");
    } else if (entry.Tag == KSectionsTag) {
      if (!DecodeSections(entry.Data, Settings.Book.Marks)) {
        Settings.Book.Marks.clear();
        warn("Die Abschnitte sind beschädigt; das Album wird ohne Abschnitte geladen.");
      }
    } else if (entry.Tag == KBookTag) {
      if (!DecodeBook(entry.Data, Settings.Book)) {
        std::vector<TSectionMark> marks = std::move(Settings.Book.Marks);
        Settings.Book = TBookSettings();
        Settings.Book.Marks = std::move(marks);
        warn("Titelseite, Rückseite, Inhaltsverzeichnis und Buchmodus sind beschädigt; das Album wird "
             "ohne sie geladen.");
      }
    } else if (entry.Tag == KPlacementTag) {
      if (!DecodePlacements(entry.Data, Album))
        warn("Die Einstellungen der Fotos (Füllen, Groß, Ganze Seite) sind beschädigt; die Fotos werden "
             "eingepasst gezeigt.");
    } else if (entry.Tag == KPageLayoutTag) {
      layoutDamaged = !DecodePageLayout(entry.Data, Settings.PageLayout) || layoutDamaged;
    } else if (entry.Tag == KPhotosPerPageTag) {
      layoutDamaged = !DecodeWhole(entry.Data, KPhotosPerPageLimits, Settings.PhotosPerPage) || layoutDamaged;
    } else if (entry.Tag == KCropBudgetTag) {
      layoutDamaged = !DecodeWhole(entry.Data, KCropBudgetLimits, Settings.CropBudget) || layoutDamaged;
    } else if (entry.Tag == KNameTag) {
      if (IsValidUtf8(entry.Data)) {
        Settings.CapED = std::string(entry.Data);
      } else {
        Settings.CapED = TLayoutSettings{}.CapED;
        warn("Der Name des Albums ist beschädigt; das Album heißt „Familienfotos“.");
      }
    } else if (entry.Tag == KRawNamesTag) {
      // The names themselves were taken when the photos were made (RawFileNames).
      std::string_view flags;
      if (!DecodePhotoBytes(entry.Data, Album.Pics.Count, 1, flags))
        warn("Die Angabe, welche Dateinamen Bytes des Systems sind, ist beschädigt; die Dateinamen "
             "werden als Text gelesen.");
    } else {
      known = false;
    }
    Album.StoredEntries.push_back({entry.Tag, known, known ? std::string() : std::string(entry.Data)});
  }
  if (layoutDamaged) {
    Settings.PageLayout = defaults.PageLayout;
    Settings.PhotosPerPage = defaults.PhotosPerPage;
    Settings.CropBudget = defaults.CropBudget;
    warn("Die Seitenaufteilung ist beschädigt; das Album wird im Raster geladen.");
  }
  if (Extensions.Damaged)
    warn("Das Ende der Albumdatei ist beschädigt; was dort gespeichert war, wurde nicht geladen.");
  return warning;
}

std::vector<bool> RawFileNames(const TAlbumExtensions& Extensions, size_t PhotoCount) {
  std::vector<bool> raw(PhotoCount, false);
  if (PhotoCount > UINT32_MAX) return raw;
  for (const TAlbumEntry& entry : Extensions.Entries) {
    if (entry.Tag != KRawNamesTag) continue;
    std::string_view flags;
    const bool ok = DecodePhotoBytes(entry.Data, static_cast<uint32_t>(PhotoCount), 1, flags);
    for (size_t i = 0; i < PhotoCount; ++i) raw[i] = ok && flags[i] != 0;
  }
  return raw;
}
