#pragma once
// The running processes' executable names as the system reports them.
//
// Windows: the process snapshot's szExeFile, the executable's file name. Natively the name the
// program was started as: the file name given to exec, so a program started through a link or a
// copy named EFALCON.EXE reports EFALCON.EXE (not the link's target). The kernel keeps that name
// cut to 15 characters (/proc/PID/stat); a cut name is completed from the base name of the first
// argument, or else of the executable file, when that begins with it. Zombies (ended, not yet
// reaped) are not listed.

#include <string>
#include <vector>

namespace gb::platform {

// Called for each process in snapshot order; returning true stops the walk.
using ProcessNameVisitor = bool (*)(const char* exeName, void* context);

// Walks a snapshot of the running processes. False when no snapshot could be taken.
bool visitProcessNames(ProcessNameVisitor visitor, void* context);

// Whether a process whose reported name equals `name` runs, ignoring the case of ASCII letters
// and comparing whole names (no directory is removed from either side). A snapshot that cannot be
// taken counts as "not running".
bool isProcessRunning(const char* name);

// Every reported name, in snapshot order, for a selection list. False when no snapshot could be
// taken (names is then empty).
bool listProcessNames(std::vector<std::string>& names);

// Equal ignoring the case of ASCII letters, whole text against whole text.
bool sameProcessName(const char* a, const char* b);

} // namespace gb::platform
