#pragma once
// The command `quirvel preview`: album pages as PNG pictures, as the window's preview draws them.

#include "app/CommandLine.h"

void AddPreviewCommand(TCommandLine& CommandLine);
