#pragma once
// The command `quirvel check`: the print check of an album, or of a set of photos, without writing it.

#include "app/CommandLine.h"

void AddCheckCommand(TCommandLine& CommandLine);
