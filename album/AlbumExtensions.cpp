#include "album/AlbumExtensions.h"

#include "album/ByteReader.h"
#include "album/ByteWriter.h"

namespace {

// Each entry needs at least its tag and its length.
constexpr size_t KEntryHead = 8;

void PutEntry(std::string& Out, uint32_t Tag, std::string_view Data) {
  PutU32(Out, Tag);
  PutU32(Out, static_cast<uint32_t>(Data.size()));
  PutBytes(Out, Data);
}

}  // namespace

std::string EncodeExtensions(const TAlbumModel& Album, const TLayoutSettings& Settings) {
  (void)Album, (void)Settings;
  std::string entries;
  uint32_t count = 0;
  // Each kind of entry appends itself here with PutEntry when it is not at its default.
  (void)PutEntry;
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
  (void)Album, (void)Settings;
  std::string warning;
  // Each kind of entry is decoded here from its tag; an entry that makes no sense leaves its default
  // and adds its German sentence to the warning.
  if (Extensions.Damaged)
    warning += "Das Ende der Albumdatei ist beschädigt; was dort gespeichert war, wurde nicht geladen.";
  return warning;
}
