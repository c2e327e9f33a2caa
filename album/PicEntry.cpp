#include "album/PicEntry.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "imaging/pictaro/Pictaro.h"

namespace {

char* CopyText(std::string_view Value) {
  char* copy = static_cast<char*>(std::malloc(Value.size() + 1));
  if (!copy) return nullptr;
  std::memcpy(copy, Value.data(), Value.size());
  copy[Value.size()] = '\0';
  return copy;
}

bool Replace(char*& Field, std::string_view Value) {
  char* copy = CopyText(Value);
  if (!copy) return false;
  std::free(Field);
  Field = copy;
  return true;
}

}  // namespace

bool SetEntryFileName(TPicEntry& Entry, std::string_view Value) { return Replace(Entry.FileName, Value); }

bool SetEntryText(TPicEntry& Entry, std::string_view Value) { return Replace(Entry.Text, Value); }

void ClearEntryText(TPicEntry& Entry) {
  std::free(Entry.Text);
  Entry.Text = nullptr;
}

void ReleaseEntry(TPicEntry& Entry) {
  std::free(Entry.FileName);
  std::free(Entry.Text);
  deldib(Entry.Thumbnail);
  std::memset(&Entry, 0, sizeof Entry);
}

namespace {
int16_t FocusStep(double Fraction) {
  if (!(Fraction >= 0)) Fraction = 0;  // NaN too
  if (Fraction > 1) Fraction = 1;
  return static_cast<int16_t>(std::lround(Fraction * KFocusSteps) - KFocusSteps / 2);
}
}  // namespace

void SetEntryFocus(TPicEntry& Entry, double X, double Y) {
  Entry.FocusX = FocusStep(X);
  Entry.FocusY = FocusStep(Y);
}
