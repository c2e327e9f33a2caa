#pragma once
// Whole-file reading, and the one way the program writes a file: TSafeFile.
//
// TSafeFile never leaves a half-written file under the target's name. Where the target is a regular
// file or absent, the bytes go into a new file beside it (same folder, so the final rename stays on one
// file system), which is flushed to the disk and only then renamed over the target by Commit. Before
// that, and on any failure, the target is exactly as it was; the destructor removes a temporary file
// that was never committed.
//
// - Links: a symbolic link is written through. The file it points to (in the end, after a chain of
//   links) is replaced and the link stays; a dangling link gets the file it names.
// - Mode and owner: a replaced file keeps its permission bits (and, where the system allows, its owner
//   and group); a new file gets NewFileMode (0666) less the umask.
// - Anything else: a folder is refused (EISDIR), and so is a block device or a socket (ENXIO). A named
//   pipe or a character device is written to directly, without a temporary file: the writer waits for
//   a reader of the pipe and for room in it, and stops waiting when the cancel flag is set (ECANCELED).
//   With DashIsStandardOutput, the name "-" means standard output, written to directly as well.
//   Nothing is ever renamed over anything but a regular file.
// - Inputs: a target that is one of the files in Inputs (the same file, by device and inode, under
//   whatever name) is refused before anything is created (EEXIST, ReplacesInput()).
// - Temporary name: the target's own name with ".TAG.part" appended, TAG a process tag
//   (ProcessTag.h); where the file system's name limit leaves no room for that, the target's name is
//   shortened inside the temporary one, so any name the folder can hold can be written. The file holds
//   an advisory lock while it is ours. A run killed outright leaves its file; the first TSafeFile of a
//   later run in that folder removes it (RemoveStaleTemporaries).
//
// Threads: every TSafeFile is used by one thread at a time; several may live at once.

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

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

// The files a command reads, which none of its outputs may replace. Files are told apart by device and
// inode, so a link or another spelling of an input's name is that input too.
class TInputFiles {
 public:
  // Adds the file Path leads to; a name that leads to no file is left out.
  void Add(const std::string& Path);
  // The name Add was given for the file Path leads to; empty when Path is none of the inputs.
  std::string Find(const std::string& Path) const;
  bool Empty() const { return FFiles.empty(); }

 private:
  struct TEntry {
    dev_t Device;
    ino_t Inode;
    std::string Name;
  };
  std::vector<TEntry> FFiles;
};

struct TSafeFileOptions {
  // Ends waiting for a pipe's reader or room in it, and is checked once more before Commit's rename.
  const std::atomic<bool>* Cancel = nullptr;
  // "-" names standard output rather than a file of that name.
  bool DashIsStandardOutput = false;
  // Files the target must not be (see above).
  const TInputFiles* Inputs = nullptr;
  // The permissions of a new file, less the umask.
  mode_t NewFileMode = 0666;
  // False for a file that may be lost in a power cut (a cache entry): Commit then does not wait for
  // the disk.
  bool Durable = true;
};

class TSafeFile {
 public:
  // Opens the way to Target as described above. When that fails, Created() is false and Errno()
  // tells why (ENAMETOOLONG: the folder cannot hold a name that long).
  explicit TSafeFile(std::string Target, TSafeFileOptions Options = {});
  // Removes the temporary file unless Commit gave it the target's name.
  ~TSafeFile();
  TSafeFile(const TSafeFile&) = delete;
  TSafeFile& operator=(const TSafeFile&) = delete;

  bool Created() const { return FFd >= 0; }
  int Errno() const { return FErrno; }
  // True when the target was refused because it is one of the inputs; InputName() names that input.
  bool ReplacesInput() const { return !FInput.empty(); }
  const std::string& InputName() const { return FInput; }
  // The name as given.
  const std::string& Target() const { return FTarget; }
  // The temporary file's name; empty when the target is written to directly.
  const std::string& TempName() const { return FTemp; }
  bool Direct() const { return FTemp.empty(); }
  // The descriptor to write to, -1 when not Created().
  int Fd() const { return FFd; }

  // Writes all of Data; 0, or the errno of the failure (ENOSPC for a write that makes no progress,
  // ECANCELED when the cancel flag ended a wait). Retries after signals.
  int Write(const void* Data, size_t Size);
  // Flushes the file to the disk and renames it to the target, or for a direct target closes it.
  // False (Errno() tells why) when that fails, or (ECANCELED) when the cancel flag is set once the
  // flush is done; the target is then untouched.
  bool Commit();

 private:
  void OpenDirect(const std::string& Name, bool Pipe);
  void OpenBeside(const std::string& Final);
  int WaitUntilWritable();
  bool Cancelled() const { return FOptions.Cancel && FOptions.Cancel->load(); }

  std::string FTarget;
  TSafeFileOptions FOptions;
  std::string FFolder;  // the folder of the file finally replaced, with a trailing '/', or empty
  std::string FFinal;   // that file's name inside FFolder
  std::string FTemp;    // the temporary file's full name
  std::string FInput;
  int FFd = -1;
  int FErrno = 0;
  bool FOwnStream = true;  // false for standard output, whose open description others share
  bool FWaits = false;     // a pipe or device: writes wait for room, and the cancel flag ends that
  bool FCommitted = false;
};

// A stdio stream that writes to File through its Write, for writers that want a FILE. fclose it before
// File's Commit; closing it leaves File open. nullptr when the stream cannot be made.
std::FILE* SafeFileStream(TSafeFile& File);

// Reads the regular file FileName completely into Bytes.
TFileResult ReadWholeFile(const std::string& FileName, std::string& Bytes);

// Replaces (or creates) FileName with Bytes through a TSafeFile: CannotCreate when it cannot be
// opened, WriteFailed or RenameFailed when writing or the commit fails.
TFileResult ReplaceFileSafely(const std::string& FileName, const std::string& Bytes);

// Removes the temporary files that runs killed before they could clean up left in Folder: regular
// files (not links) of the user running us, named "*.TAG.part" with a process tag whose process is
// gone, and locked by nobody. Nothing else is touched. Returns how many were removed; failures are
// ignored (the file stays for a later run).
size_t RemoveStaleTemporaries(const std::string& Folder);

// The temporary file name for a file named Name in a folder whose names may be MaxName bytes long:
// Name + "." + Tag + ".part", with Name cut short (at a character's end) as far as needed.
std::string TemporaryNameFor(const std::string& Name, const std::string& Tag, size_t MaxName);

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
