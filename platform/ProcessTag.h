#pragma once
// The mark by which the program knows what one of its runs may leave behind when it is killed
// outright (SIGKILL, a crash, a second Ctrl-C): a name holding the tag "quirvel-PID-XXXXXX", PID
// being the process that made it and XXXXXX six random letters and digits. The private temporary
// folder is named by such a tag, and so is a PDF being written beside its target.
//
// A tagged leftover is stale once no process with its PID runs. A PID taken over by an unrelated
// process keeps the leftover until that process ends too; and since a run in another PID namespace
// sharing the folder may carry a PID we cannot see, the owner also holds an advisory lock (flock) on
// what it made for as long as it lives, which the kernel drops when the process dies. The sweeps only
// remove what is tagged, belongs to the user running us, is stale and unlocked.

#include <sys/types.h>

#include <string>
#include <string_view>

// "quirvel-" followed by our PID and "-": the tag without its random part.
std::string ProcessTagPrefix();
// ProcessTagPrefix() and six random letters and digits.
std::string NewProcessTag();
// The PID in Tag when Tag is exactly of the form above (quirvel-PID-XXXXXX), else 0.
pid_t ProcessTagPid(std::string_view Tag);
// True when Pid is not ours and no process with that PID runs.
bool ProcessGone(pid_t Pid);
