#pragma once
// The command `quirvel export`: writes an album, or a set of photos, as a PDF photo album.

#include "app/CommandLine.h"

void AddExportCommand(TCommandLine& CommandLine);
