#pragma once
// The program's own folder for temporary files.
//
// It is created on first use inside $TMPDIR (or /tmp) as "quirvel-PID-XXXXXX", PID being the creating
// process and XXXXXX random, with owner-only access (mkdtemp, mode 0700), so no other user can predict,
// read or replace what we put there. The process holds an advisory lock (flock) on the folder for as long
// as it lives, and removes the folder with everything in it when it ends normally.
//
// A run that was killed outright (SIGKILL, a crash) leaves its folder behind; RemoveStaleTempFolders, at
// the next start, removes such folders.

#include <cstddef>
#include <string>

// The private temporary folder, ending in "/". Throws TSystemError when it cannot be created.
const std::string& TempFolder();

// The first name TempFolder() + Prefix + N + Ext, N = 0, 1, 2, ..., that names no existing file. The
// name is only chosen; nothing is created.
std::string UniqueTempFileName(const std::string& Prefix, const std::string& Ext);

// Like UniqueTempFileName, but creates the file, empty, with O_CREAT | O_EXCL and mode 0600, so that
// two calls never return the same name even before either file is written. Throws TSystemError when
// no file can be created.
std::string CreateUniqueTempFile(const std::string& Prefix, const std::string& Ext);

// True when Path is this process's private temporary folder or lies inside it (also when the folder
// could not be made), for messages that must say which disk failed.
bool IsTempFolderPath(const std::string& Path);

// Removes the private temporary folders of earlier runs that ended without cleaning up. A folder in
// $TMPDIR (or /tmp) is removed only when all of this holds: its name has the form above; it is a folder,
// not a symbolic link; it belongs to the user running us; no process with its PID runs; and nobody holds
// its lock (a run in another PID namespace that shares the temporary directory keeps its folder). A PID
// taken over by an unrelated process keeps the folder until that process ends too. Returns how many
// folders were removed; failures are ignored (the folder stays for a later start).
size_t RemoveStaleTempFolders();
