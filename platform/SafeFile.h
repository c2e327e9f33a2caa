#pragma once
// Whole-file reading and crash-safe replacing, for the album file and the other files we write.
//
// ReplaceFileSafely never leaves a half-written file under the target's name: the bytes go into a new
// file beside the target (same folder, so the final rename stays on one file system; unique name,
// created with O_EXCL), are flushed to the disk with fsync, and only then renamed over the target. On
// any failure the temporary file is removed and the target is exactly as it was.

#include <sys/types.h>

#include <string>

enum class TFileStatus {
  Ok,
  CannotOpen,    // reading: missing, not a regular file, no permission
  ReadFailed,    // reading: an input/output error after opening
  CannotCreate,  // writing: the temporary file could not be created in the target's folder
  WriteFailed,   // writing: write or fsync failed (a full disk, a quota, an I/O error)
  RenameFailed,  // writing: the finished file could not take the target's name
};

struct TFileResult {
  TFileStatus Status = TFileStatus::Ok;
  int Errno = 0;
  bool Ok() const { return Status == TFileStatus::Ok; }
};

// Reads the regular file FileName completely into Bytes.
TFileResult ReadWholeFile(const std::string& FileName, std::string& Bytes);

// Replaces (or creates) FileName with Bytes as described above. A new file gets the permissions
// 0666 minus the umask; a replaced file keeps its permissions. When FileName is a symbolic link, the
// file it points to is replaced and the link stays.
TFileResult ReplaceFileSafely(const std::string& FileName, const std::string& Bytes);

// A German description of an errno value, for messages.
std::string SystemErrorText(int Errno);

// Flushes a written file's data to the disk (fsync): 0, or the errno of the failure. A file renamed
// into place before this could show up empty under its new name after a power cut.
int SyncToDisk(int Fd);
// Makes a rename inside the folder of Path durable; a failure cannot lose data any more and is not
// reported.
void SyncFolderOf(const std::string& Path);

// Tests replace the write call to reach the "disk full" path; nullptr restores ::write.
using TWriteFunction = ssize_t (*)(int Fd, const void* Data, size_t Count);
void SetWriteFunction(TWriteFunction Function);
// Tests replace the sync call to see what is synced and to reach its failure; nullptr restores
// ::fsync. The function returns 0 or -1 with errno set, as fsync does.
using TSyncFunction = int (*)(int Fd);
void SetSyncFunction(TSyncFunction Function);
