#include "album/AlbumFile.h"

#include <new>

#include "album/ByteReader.h"
#include "album/ByteWriter.h"
#include "album/DiskText.h"
#include "album/FontRecord.h"
#include "platform/SafeFile.h"

namespace {

const char* const KNotAnAlbum = "Fehler: Die Datei ist keine gültige Quirvel Datei...";
const char* const KCannotOpen = "Fehler: Konnte Datei nicht öffnen...";
const char* const KCannotCreate = "Fehler: Konnte Datei nicht erstellen...";

TAlbumFileResult Failure(std::string Message) { return TAlbumFileResult{false, std::move(Message), {}}; }

TAlbumFileResult Incomplete(const std::string& Where) {
  return Failure("Fehler: Die Datei ist unvollständig oder beschädigt: sie endet " + Where +
                 ". Das Album wurde nicht geladen.");
}

bool ReadFlag(TByteReader& In, bool& Value) {
  uint8_t byte;
  if (!In.ReadU8(byte)) return false;
  Value = byte != 0;
  return true;
}

// Settings 1 to 10 are always present; a file ending inside them is incomplete.
bool ReadBaseSettings(TByteReader& In, TAlbumImage& Image) {
  return ReadFlag(In, Image.TextCheck) && ReadFlag(In, Image.CaptionCheck) && In.ReadDouble(Image.RandXEd) &&
         In.ReadDouble(Image.RandYEd) && In.ReadDouble(Image.SpaceHED) && In.ReadDouble(Image.SpaceVEd) &&
         ReadFlag(In, Image.ShowPDFCheck) && In.ReadI32(Image.CountXEd) && In.ReadI32(Image.CountYEd) &&
         ReadFlag(In, Image.PageNrCheck);
}

// Reads the optional groups: a group is skipped, with all later ones, when the file ends before it;
// a file ending inside one is refused.
bool ReadGroups(TByteReader& In, TAlbumImage& Image) {
  if (In.AtEnd()) return true;
  if (!ReadFlag(In, Image.CaptionOnAllPages) || !ReadFlag(In, Image.FilenamesCheck) ||
      !ReadFlag(In, Image.PathCheck))
    return false;
  Image.HasG1 = true;
  if (In.AtEnd()) return true;
  if (!In.ReadDouble(Image.PageWidthEd) || !In.ReadDouble(Image.PageHeightEd) || !In.ReadDouble(Image.XMalEd))
    return false;
  Image.HasG2 = true;
  if (In.AtEnd()) return true;
  if (!ReadFlag(In, Image.ZoomInFotosCheck)) return false;
  Image.HasG3 = true;
  if (In.AtEnd()) return true;
  if (!In.ReadU32(Image.Shape1) || !In.ReadU32(Image.Shape2) || !ReadFlag(In, Image.RahmenCheck))
    return false;
  Image.HasG4 = true;
  if (In.AtEnd()) return true;
  if (!In.ReadI32(Image.PictureDpi) || !ReadFlag(In, Image.KeepJpeg)) return false;
  Image.HasG5 = true;
  Image.Extensions = ParseExtensions(In);
  return true;
}

void ApplySettings(const TAlbumImage& Image, TLayoutSettings& Settings) {
  AssignFont(Settings.HeadingFont, Image.HeadingFont);
  AssignFont(Settings.TextFont, Image.TextFont);
  Settings.TextCheck = Image.TextCheck;
  Settings.CaptionCheck = Image.CaptionCheck;
  Settings.RandXEd = ClampDecimal(Image.RandXEd, KMarginLimits);
  Settings.RandYEd = ClampDecimal(Image.RandYEd, KMarginLimits);
  Settings.SpaceHED = ClampDecimal(Image.SpaceHED, KMarginLimits);
  Settings.SpaceVEd = ClampDecimal(Image.SpaceVEd, KMarginLimits);
  Settings.ShowPDFCheck = Image.ShowPDFCheck;
  Settings.CountXEd = ClampWhole(Image.CountXEd, KCountLimits);
  Settings.CountYEd = ClampWhole(Image.CountYEd, KCountLimits);
  Settings.PageNrCheck = Image.PageNrCheck;
  if (Image.HasG1) {
    Settings.CaptionOnAllPages = Image.CaptionOnAllPages;
    Settings.FilenamesCheck = Image.FilenamesCheck;
    Settings.PathCheck = Image.PathCheck;
  }
  if (Image.HasG2) {
    Settings.PageWidthEd = ClampDecimal(Image.PageWidthEd, KPageSizeLimits);
    Settings.PageHeightEd = ClampDecimal(Image.PageHeightEd, KPageSizeLimits);
    Settings.XMalEd = ClampWhole(Image.XMalEd, KCountLimits);
  }
  if (Image.HasG3) Settings.ZoomInFotosCheck = Image.ZoomInFotosCheck;
  if (Image.HasG4) {
    Settings.Shape1 = Image.Shape1;
    Settings.Shape2 = Image.Shape2;
    Settings.RahmenCheck = Image.RahmenCheck;
  }
  // A file without G5 was saved with its settings at their defaults (or before they existed).
  const TLayoutSettings defaults;
  Settings.PictureDpi = Image.HasG5 ? ClampPictureDpi(Image.PictureDpi) : defaults.PictureDpi;
  Settings.KeepJpeg = Image.HasG5 ? Image.KeepJpeg : defaults.KeepJpeg;
}

struct TDecodedPhoto {
  std::string FileName;
  std::string Text;
};

}  // namespace

std::string EncodeAlbum(const TAlbumModel& Album, const TLayoutSettings& Settings) {
  std::string out;
  PutU32(out, AlbumMagic);
  PutI32(out, static_cast<int32_t>(Album.Pics.Count));
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) {
    const TPicEntry& entry = Album.Pics[static_cast<int32_t>(i)];
    const std::string name = TextToDisk(EntryFileName(entry));
    const std::string text = TextToDisk(EntryText(entry));
    PutU32(out, static_cast<uint32_t>(name.size()));
    PutBytes(out, name);
    PutU32(out, static_cast<uint32_t>(text.size()));
    PutBytes(out, text);
  }
  WriteFontRec(out, Settings.HeadingFont);
  WriteFontRec(out, Settings.TextFont);
  PutFlag(out, Settings.TextCheck);
  PutFlag(out, Settings.CaptionCheck);
  PutDouble(out, Settings.RandXEd);
  PutDouble(out, Settings.RandYEd);
  PutDouble(out, Settings.SpaceHED);
  PutDouble(out, Settings.SpaceVEd);
  PutFlag(out, Settings.ShowPDFCheck);
  PutI32(out, Settings.CountXEd);
  PutI32(out, Settings.CountYEd);
  PutFlag(out, Settings.PageNrCheck);
  PutFlag(out, Settings.CaptionOnAllPages);
  PutFlag(out, Settings.FilenamesCheck);
  PutFlag(out, Settings.PathCheck);
  PutDouble(out, Settings.PageWidthEd);
  PutDouble(out, Settings.PageHeightEd);
  PutDouble(out, static_cast<double>(Settings.XMalEd));
  PutFlag(out, Settings.ZoomInFotosCheck);
  PutU32(out, Settings.Shape1);
  PutU32(out, Settings.Shape2);
  PutFlag(out, Settings.RahmenCheck);
  const TLayoutSettings defaults;
  const std::string extensions = EncodeExtensions(Album, Settings);
  if (Settings.PictureDpi != defaults.PictureDpi || Settings.KeepJpeg != defaults.KeepJpeg ||
      !extensions.empty()) {
    PutI32(out, Settings.PictureDpi);
    PutFlag(out, Settings.KeepJpeg);
  }
  out += extensions;
  return out;
}

TAlbumFileResult ParseAlbum(std::string_view Bytes, TAlbumImage& Image) {
  TByteReader in(Bytes);
  uint32_t magic = 0;
  if (!in.ReadU32(magic) || magic != AlbumMagic) return Failure(KNotAnAlbum);
  int32_t count = 0;
  if (!in.ReadI32(count)) return Incomplete("vor der Anzahl der Fotos");
  for (int32_t i = 0; i < count; ++i) {
    // Each record needs at least its two lengths, so a huge count fails here at once instead of
    // after a long loop; nothing has been allocated for it.
    if (in.Left() < 8) return Incomplete("im Foto " + std::to_string(i + 1));
    uint32_t nameLength = 0, textLength = 0;
    TAlbumImage::TPhoto photo;
    if (!in.ReadU32(nameLength) || !in.ReadBytes(nameLength, photo.FileName) || !in.ReadU32(textLength) ||
        !in.ReadBytes(textLength, photo.Text))
      return Incomplete("im Foto " + std::to_string(i + 1));
    Image.Photos.push_back(photo);
  }
  if (!ReadFontRec(in, Image.HeadingFont)) return Incomplete("in der Schriftart der Überschrift");
  if (!ReadFontRec(in, Image.TextFont)) return Incomplete("in der Schriftart der Fototexte");
  if (!ReadBaseSettings(in, Image) || !ReadGroups(in, Image)) return Incomplete("in den Einstellungen");
  return {};
}

TAlbumFileResult LoadAlbumBytes(std::string_view Bytes, TAlbumModel& Album, TLayoutSettings& Settings) {
  TAlbumImage image;
  std::vector<TDecodedPhoto> photos;
  try {
    const TAlbumFileResult parsed = ParseAlbum(Bytes, image);
    if (!parsed.Ok) return parsed;
    photos.reserve(image.Photos.size());
    // A file name that is the system's bytes stays those bytes; any other is text.
    const std::vector<bool> raw = RawFileNames(image.Extensions, image.Photos.size());
    for (size_t i = 0; i < image.Photos.size(); ++i) {
      const TAlbumImage::TPhoto& photo = image.Photos[i];
      photos.push_back({raw[i] ? std::string(photo.FileName) : TextFromDisk(photo.FileName),
                        TextFromDisk(photo.Text)});
    }
  } catch (const std::bad_alloc&) {
    return Failure("Fehler: Nicht genug Arbeitsspeicher, um das Album zu laden.");
  }

  Album.FreeAllPics();
  for (const TDecodedPhoto& photo : photos) {
    TPicEntry* entry = Album.Pics.Append();
    if (!entry || !SetEntryFileName(*entry, photo.FileName) || !SetEntryText(*entry, photo.Text)) {
      Album.FreeAllPics();
      return Failure("Fehler: Nicht genug Arbeitsspeicher, um das Album zu laden.");
    }
  }
  ApplySettings(image, Settings);
  TAlbumFileResult result;
  result.Warning = ApplyExtensions(image.Extensions, Album, Settings);
  Album.Damage = result.Warning;
  return result;
}

std::string DamagedAlbumText(const TAlbumModel& Album) {
  if (Album.Damage.empty()) return {};
  return "Die Albumdatei ist beschädigt: " + Album.Damage + " Wird das Album geschrieben, geht das verloren.";
}

TAlbumFileResult OpenAlbumFile(const std::string& FileName, TAlbumModel& Album, TLayoutSettings& Settings) {
  std::string bytes;
  const TFileResult read = ReadWholeFile(FileName, bytes);
  if (read.Status == TFileStatus::CannotOpen) return Failure(KCannotOpen);
  if (!read.Ok()) return Failure("Fehler: Konnte Datei nicht lesen: " + SystemErrorText(read.Errno));
  return LoadAlbumBytes(bytes, Album, Settings);
}

TAlbumFileResult SaveAlbumFile(const std::string& FileName, const TAlbumModel& Album,
                               const TLayoutSettings& Settings) {
  const TFileResult written = ReplaceFileSafely(FileName, EncodeAlbum(Album, Settings));
  switch (written.Status) {
    case TFileStatus::Ok: return {};
    case TFileStatus::CannotCreate: return Failure(KCannotCreate);
    case TFileStatus::RenameFailed:
      return Failure("Fehler: Konnte die Datei nicht ersetzen: " + SystemErrorText(written.Errno) +
                     " Eine vorhandene Datei ist unverändert.");
    default:
      return Failure("Fehler: Konnte Datei nicht schreiben: " + SystemErrorText(written.Errno) +
                     " Eine vorhandene Datei ist unverändert.");
  }
}
