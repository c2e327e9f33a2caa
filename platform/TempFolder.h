#pragma once
// The program's own folder for temporary files.
//
// It is created on first use inside $TMPDIR (or /tmp) with a random name and owner-only access
// (mkdtemp, mode 0700), so no other user can predict, read or replace what we put there. It is removed
// with everything in it when the process ends normally.

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
