#pragma once
// TPendingFile: the temporary name under which a PDF is written before it takes its real name.
//
// A document written straight to its chosen name would leave a half-written PDF there when the disk
// fills up or the export is cancelled. Instead the writer writes to a fresh file beside the target (same
// folder, so the final rename stays on one file system), and Commit renames it over the target only
// after the document was ended completely. The destructor removes a file that was never committed.

#include <string>

class TPendingFile {
 public:
  // Creates an empty, unique file next to Target (O_EXCL, mode 0666 less the umask). When that fails,
  // or Target is a folder, Created() is false and Errno tells why.
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
  // False (errno in Errno) when the flush or the rename fails; the temporary file is then removed by
  // the destructor and Target is untouched.
  bool Commit();

 private:
  std::string FTarget;
  std::string FTemp;
  int FErrno = 0;
  bool FCommitted = false;
};
