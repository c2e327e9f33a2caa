#include "album/AlbumExtensions.h"

#include "album/ByteReader.h"
#include "album/ByteWriter.h"

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

}  // namespace

std::string EncodeExtensions(const TAlbumModel& Album, const TLayoutSettings& Settings) {
  (void)Album;
  std::string entries;
  uint32_t count = 0;
  // Each kind of entry appends itself here with PutEntry when it is not at its default.
  if (Settings.Bleed != 0) {
    std::string bleed;
    PutDouble(bleed, Settings.Bleed);
    PutEntry(entries, count, KBleedTag, bleed);
  }
  if (Settings.PdfA != TPdfA::None) PutEntry(entries, count, KPdfATag, PdfAChoice(Settings.PdfA).Name);
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

std::string ApplyExtensions(const TAlbumExtensions& Extensions, TAlbumModel& Album, TLayoutSettings& Settings) {
  (void)Album;
  std::string warning;
  const auto warn = [&warning](const char* Sentence) {
    if (!warning.empty()) warning += ' ';
    warning += Sentence;
  };
  Settings.Bleed = 0;
  Settings.PdfA = TPdfA::None;
  // Each kind of entry is decoded here from its tag; an entry that makes no sense leaves its default
  // and adds its German sentence to the warning.
  for (const TAlbumEntry& entry : Extensions.Entries) {
    if (entry.Tag == KBleedTag) {
      if (!DecodeBleed(entry.Data, Settings.Bleed))
        warn("Die Beschnittzugabe ist beschädigt; das Album wird ohne Beschnittzugabe geladen.");
    } else if (entry.Tag == KPdfATag) {
      if (!DecodePdfA(entry.Data, Settings.PdfA))
        warn("Die Wahl von PDF/A ist beschädigt; das Album wird ohne PDF/A geladen.");
    }
  }
  if (Extensions.Damaged)
    warn("Das Ende der Albumdatei ist beschädigt; was dort gespeichert war, wurde nicht geladen.");
  return warning;
}
