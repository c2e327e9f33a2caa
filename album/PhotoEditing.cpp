#include "album/PhotoEditing.h"

#include "platform/TextEncoding.h"

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string_view FileNamePart(std::string_view Path) {
  const size_t cut = Path.rfind('/');
  return cut == std::string_view::npos ? Path : Path.substr(cut + 1);
}

std::string PathAsText(std::string_view Path) {
  return IsValidUtf8(Path) ? std::string(Path) : Cp1252ToUtf8(Path);
}

std::string DefaultPhotoText(std::string_view FilePath, bool WithPath) {
  const std::string Path = PathAsText(FilePath);
  std::string text;
  text.reserve(Path.size() + Path.size() / 49 + 1);
  size_t position = 0;  // of the character that starts at the current byte
  for (char c : Path) {
    // Positions count characters, not bytes: the bytes after a character's first one do not count.
    if (!IsContinuationByte(c) && ++position % 50 == 0) text.push_back('\r');
    text.push_back(c);
  }
  if (WithPath) return text;
  return std::string(FileNamePart(text));
}

size_t AddPhotos(TAlbumModel& Album, const std::vector<std::string>& Paths, bool FilenamesCheck,
                 bool PathCheck) {
  size_t added = 0;
  for (const std::string& path : Paths) {
    std::string text;
    if (FilenamesCheck) text = DefaultPhotoText(path, PathCheck);
    TPicEntry* entry = Album.Pics.Append();
    if (!entry) break;
    if (!SetEntryFileName(*entry, path) || (FilenamesCheck && !SetEntryText(*entry, text))) {
      ReleaseEntry(*entry);
      Album.Pics.Delete(static_cast<int32_t>(Album.Pics.Count) - 1);
      break;
    }
    ++added;
  }
  return added;
}

TDeleteResult DeleteCurrentPhoto(TAlbumModel& Album) {
  TDeleteResult result;
  if (!Album.HasCurrent()) return result;
  const int32_t index = Album.CurPic - 1;
  ReleaseEntry(*Album.Pics.Seek(index));
  Album.Pics.Delete(index);
  result.Deleted = true;
  if (Album.HasCurrent()) result.TextToShow = std::string(EntryText(Album.Pics[Album.CurPic - 1]));
  return result;
}

bool MovePhotoForward(TAlbumModel& Album) {
  if (Album.CurPic < 2 || !Album.HasCurrent()) return false;
  Album.Pics.Exchange(Album.CurPic - 1, Album.CurPic - 2);
  --Album.CurPic;
  return true;
}

bool MovePhotoBack(TAlbumModel& Album) {
  if (!Album.HasCurrent() || static_cast<uint32_t>(Album.CurPic) >= Album.Pics.Count) return false;
  Album.Pics.Exchange(Album.CurPic - 1, Album.CurPic);
  ++Album.CurPic;
  return true;
}

bool SetCurrentPhotoText(TAlbumModel& Album, std::string_view Text) {
  if (!Album.HasCurrent()) return false;
  return SetEntryText(*Album.Pics.Seek(Album.CurPic - 1), Text);
}

std::string WithJpegExtension(std::string_view Filter) {
  static constexpr std::string_view KPattern = "*.JPG;";
  std::string out;
  size_t i = 0;
  while (i < Filter.size()) {
    bool match = Filter.size() - i >= KPattern.size();
    for (size_t k = 0; match && k < KPattern.size(); ++k) match = AsciiUpper(Filter[i + k]) == KPattern[k];
    if (match) {
      out += "*.JPG;*.JPEG;";
      i += KPattern.size();
    } else {
      out.push_back(Filter[i++]);
    }
  }
  return out;
}

std::string BoxTextOfPhotoText(std::string_view Text) {
  std::string box;
  box.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != '\r') {
      box += Text[i];
    } else {
      box += '\n';
      if (i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
    }
  }
  return box;
}

std::string PhotoTextOfBoxText(std::string_view BoxText) {
  std::string text;
  text.reserve(BoxText.size() + BoxText.size() / 16);
  for (char c : BoxText) {
    if (c == '\r') continue;
    if (c == '\n') text += '\r';
    text += c;
  }
  return text;
}
