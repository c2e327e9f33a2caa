#pragma once
// New photos for the album: the entries for picture files with the texts new photos get, and the
// pictures among files and folders dropped onto the window.
//
// Both may take long for thousands of files (a text template with a date reads every file, a folder of
// 50,000 entries is looked at one by one), so both report progress and stop when asked; they touch
// nothing but what they are given and may run on a thread of their own.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "album/LayoutSettings.h"
#include "album/PhotoRecords.h"

// Progress: files done of all files.
using TFilesProgress = std::function<void(size_t Done, size_t Total)>;

// One entry per path, in order, each with its NewPhotoText (TextTemplate.h), into Records. False when
// Cancel was set or memory ran out; Records then holds the entries made so far.
bool MakePhotoRecords(const std::vector<std::string>& Paths, const TLayoutSettings& Settings,
                      TPhotoRecords& Records, const std::atomic<bool>* Cancel = nullptr,
                      const TFilesProgress& Progress = {});

// The places photos inserted one after another before the photo at Gap take (Gap .. Gap + Count - 1).
std::vector<uint32_t> PlacesAt(uint32_t Gap, size_t Count);

struct TDroppedFiles {
  std::vector<std::string> Pictures;  // in the order to add them
  std::vector<std::string> Refused;   // files left out: not pictures Quirvel reads, or gone
  bool Cancelled = false;
};

// The pictures among Paths, in their order: a folder stands for the pictures directly in it (not in
// its subfolders), in natural name order (PhotoSort.h); a file for itself. Files that are not pictures
// (IsPictureFile), cannot be read or have vanished are named in Refused; a folder that cannot be read
// too. Folders among a folder's entries are passed over.
TDroppedFiles CollectDroppedFiles(const std::vector<std::string>& Paths,
                                  const std::atomic<bool>* Cancel = nullptr,
                                  const TFilesProgress& Progress = {});

// The German message naming the refused files: one line each, at most KRefusedNamed of them and then
// how many more; empty when none was refused.
std::string RefusedFilesMessage(const std::vector<std::string>& Refused);
constexpr size_t KRefusedNamed = 20;
