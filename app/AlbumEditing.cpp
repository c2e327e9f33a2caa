#include "app/AlbumEditing.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>

#include "album/AlbumFile.h"
#include "app/CommandLine.h"
#include "app/Signals.h"
#include "platform/TextEncoding.h"

namespace {

const char* const KUnchanged = " Das Album wurde nicht geändert.";

// True when the file's permissions forbid writing it, for this user or, as root, for everyone (root
// may write anything, but a file made read-only is meant to stay as it is).
bool IsReadOnly(const std::string& FileName) {
  struct stat info {};
  if (::stat(FileName.c_str(), &info) != 0) return false;
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
  return ::access(FileName.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS);
}

}  // namespace

void OpenAlbumForEditing(const std::string& FileName, bool Force, TAlbumToEdit& Edit) {
  Edit.FileName = FileName;
  const TAlbumFileResult loaded = OpenAlbumFile(FileName, Edit.Album, Edit.Settings);
  if (!loaded.Ok) throw TCommandError(loaded.Message);
  if (const std::string damage = DamagedAlbumText(Edit.Album); !damage.empty()) {
    if (!Force)
      throw TCommandError("Fehler: " + damage + " Mit --force wird es trotzdem geschrieben." + KUnchanged);
    std::cerr << "Warnung: " << damage << '\n';
  }
  if (IsReadOnly(FileName))
    throw TCommandError("Fehler: Die Albumdatei " + Quoted(FileName) + " ist schreibgeschützt." + KUnchanged);
}

void WriteEditedAlbum(const TAlbumToEdit& Edit) {
  // The writing itself is short and replaces the file in one step, so it is not broken off.
  if (InterruptFlag().load()) throw TCommandError(std::string("Abgebrochen:") + KUnchanged);
  const TAlbumFileResult saved = SaveAlbumFile(Edit.FileName, Edit.Album, Edit.Settings);
  if (!saved.Ok) throw TCommandError(saved.Message);
}

uint32_t PhotoNumber(const std::string& Arg, uint32_t Count, bool AfterLast) {
  uint64_t number = 0;
  bool digits = !Arg.empty() && Arg.size() <= 10;
  for (char c : Arg) {
    if (c < '0' || c > '9') digits = false;
    if (digits) number = number * 10 + static_cast<uint64_t>(c - '0');
  }
  if (!digits) throw TUsageError("Fehler: " + Quoted(Arg) + " ist keine Fotonummer (1, 2, ...).");
  const uint64_t last = uint64_t{Count} + (AfterLast ? 1 : 0);
  if (number < 1 || number > last) {
    const std::string range = last == 0 ? "; das Album hat keine Fotos" : "; möglich ist 1 bis " + std::to_string(last);
    throw TCommandError("Fehler: Die Nummer " + Arg + " gibt es nicht" + range + "." + KUnchanged);
  }
  return static_cast<uint32_t>(number);
}

const std::string& TextValue(const std::string& Value, std::string_view Option) {
  if (!IsValidUtf8(Value))
    throw TCommandError("Fehler: Der Text zu " + std::string(Option) +
                        " ist kein gültiges UTF-8; das Album speichert Texte in UTF-8.");
  return Value;
}

std::string PhotoCount(size_t Count) { return std::to_string(Count) + (Count == 1 ? " Foto" : " Fotos"); }
