#pragma once
// Whether a photo can be read: one verdict that the export, the page preview and the print check all
// go by, so that a photo left out of the PDF is left out of the preview and named by the check, and
// every later photo's page and place agree between the three.
//
// A photo is readable when its header reads (ReadDibHeader, as LoadPicture would open it) and its
// picture decodes through the end of its coded data: a JPEG that ends early or whose scan stops at a
// marker is not readable, whatever scale it is asked at, and neither is any other picture its decoder
// refuses. Deciding that costs a decode (a JPEG at 1/8 scale, which still reads every scan), so the
// verdict is kept per file as long as the file stays the same: same path, size, modification time and
// inode. A changed or replaced file is judged again.
//
// Safe to call from any thread; the remembered verdicts are shared by the whole process.

#include <string>

#include "imaging/pictaro/Pictaro.h"

// FileName's header as ReadDibHeader reads it with LoadPicture's format, with Status NotAPicture when
// the header reads but the picture does not decode. Decodes only when no verdict is remembered for the
// file as it is now.
TPictureHeader PhotoReadability(const std::string& FileName);

// The remembered verdict for FileName as it is now: 1 readable, 0 not, -1 none remembered.
int RememberedReadability(const std::string& FileName);

// Remembers the verdict of a decode that read FileName's coded data to its end (the export's own
// loading does): Readable for a picture that came out, false for one the decoder refused.
void RememberReadability(const std::string& FileName, bool Readable);
