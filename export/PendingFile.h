#pragma once
// TPendingFile: the temporary name under which a PDF is written before it takes its real name.
//
// A document written straight to its chosen name would leave a half-written PDF there when the disk
// fills up or the export is cancelled. Instead the writer writes to a fresh file beside the target (same
// folder, so the final rename stays on one file system), and Commit renames it over the target only
// after the document was ended completely. The destructor removes a file that was never committed.
//
// The temporary name is the target's with ".TAG.part" appended, TAG a process tag (ProcessTag.h:
// "quirvel-PID-XXXXXX"), and the file holds an advisory lock for as long as it is ours. A run killed
// outright leaves its file behind; RemoveStalePendingFiles, called by the next export into the same
// folder, removes it.

#include <atomic>
#include <cstddef>
#include <string>

class TPendingFile {
 public:
  // Creates an empty, unique file next to Target (O_EXCL, mode 0666 less the umask) and locks it. When
  // that fails, or Target is a folder, Created() is false and Errno tells why.
  explicit TPendingFile(std::string Target);
  ~TPendingFile();
  TPendingFile(const TPendingFile&) = delete;
  TPendingFile& operator=(const TPendingFile&) = delete;

  bool Created() const { return !FTemp.empty(); }
  int Errno() const { return FErrno; }
  const std::string& Target() const { return FTarget; }
  // The name to write to.
  const std::string& TempName() const { return FTemp; }

  // Flushes the written file to the disk, then renames it to Target, replacing a file of that name.
  // False (errno in Errno) when the flush or the rename fails, or (ECANCELED) when Cancel is set once
  // the flush is done; the temporary file is then removed by the destructor and Target is untouched.
  bool Commit(const std::atomic<bool>* Cancel = nullptr);

 private:
  std::string FTarget;
  std::string FTemp;
  int FLock = -1;  // the temporary file, opened only to hold its lock
  int FErrno = 0;
  bool FCommitted = false;
};

// Removes the temporary files that runs killed before they could clean up left in Folder: regular
// files (not links) of the user running us, named "*.TAG.part" with a process tag whose process is
// gone, and locked by nobody. Nothing else is touched. Returns how many were removed; failures are
// ignored (the file stays for a later export).
size_t RemoveStalePendingFiles(const std::string& Folder);
