// The album reader followed by the album writer: whatever loads must save to a file and open again as
// the same album, photos and settings alike.
//
// The second load starts from settings that differ from the first load's in every field the file
// holds, so a setting the writer leaves out or the reader skips shows up as a difference.

#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "album/AlbumFile.h"
#include "platform/TempFolder.h"

namespace {

// Every field the album file holds, changed; the fields it does not hold stay as they are.
TLayoutSettings Disturbed(TLayoutSettings S) {
  for (TFontSpec* font : {&S.HeadingFont, &S.TextFont}) {
    font->Name += "x";
    font->Charset ^= 1;
    font->Color ^= 1;
    font->Pitch ^= 1;
    SetFontSize(*font, font->Size == 7 ? 8 : 7);
    font->Style ^= KFontBold;
  }
  S.TextCheck = !S.TextCheck, S.CaptionCheck = !S.CaptionCheck, S.ShowPDFCheck = !S.ShowPDFCheck;
  S.PageNrCheck = !S.PageNrCheck, S.CaptionOnAllPages = !S.CaptionOnAllPages;
  S.FilenamesCheck = !S.FilenamesCheck, S.PathCheck = !S.PathCheck;
  S.ZoomInFotosCheck = !S.ZoomInFotosCheck, S.RahmenCheck = !S.RahmenCheck;
  for (double* mm : {&S.RandXEd, &S.RandYEd, &S.SpaceHED, &S.SpaceVEd}) *mm = *mm == 1.5 ? 2.5 : 1.5;
  for (double* mm : {&S.PageWidthEd, &S.PageHeightEd}) *mm = *mm == 99.5 ? 98.5 : 99.5;
  for (int32_t* n : {&S.CountXEd, &S.CountYEd, &S.XMalEd}) *n = *n == 7 ? 8 : 7;
  S.Shape1 ^= 1, S.Shape2 ^= 1;
  S.PictureDpi = S.PictureDpi == 300 ? 150 : 300, S.KeepJpeg = !S.KeepJpeg;
  S.CapED += "x";
  return S;
}

bool SamePhotos(const TAlbumModel& A, const TAlbumModel& B) {
  if (A.Pics.Count != B.Pics.Count) return false;
  for (uint32_t i = 0; i < A.Pics.Count; ++i) {
    const TPicEntry& a = A.Pics[static_cast<int32_t>(i)];
    const TPicEntry& b = B.Pics[static_cast<int32_t>(i)];
    if (EntryFileName(a) != EntryFileName(b) || EntryText(a) != EntryText(b)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view bytes(reinterpret_cast<const char*>(Data), Size);
  TAlbumModel first;
  TLayoutSettings firstSettings = FirstStartSettings();
  if (!LoadAlbumBytes(bytes, first, firstSettings).Ok) return 0;

  static const std::string file = TempFolder() + "fuzz-roundtrip.qvl";
  FuzzCheck(SaveAlbumFile(file, first, firstSettings).Ok, "the album cannot be saved");
  TAlbumModel second;
  TLayoutSettings secondSettings = Disturbed(firstSettings);
  const TAlbumFileResult reloaded = OpenAlbumFile(file, second, secondSettings);
  FuzzCheck(reloaded.Ok, "a saved album does not open");
  FuzzCheck(SamePhotos(first, second), "photos changed on saving and loading");
  FuzzCheck(secondSettings.HeadingFont == firstSettings.HeadingFont, "heading font changed");
  FuzzCheck(secondSettings.TextFont == firstSettings.TextFont, "text font changed");
  FuzzCheck(secondSettings == firstSettings, "settings changed on saving and loading");
  return 0;
}
