#pragma once
// Opening a document the way the desktop opens it, and finding the files shipped next to the
// program.
//
// Windows: ShellExecuteA "open" (the user's browser for an .html file). Native: the path goes to
// standard output as one line "open: <path>", and when a graphical display is there, xdg-open is
// started for it without waiting.

namespace gb::platform {

// Opens `path` with the desktop's viewer for its kind. False when nothing could be started (the
// native line is printed all the same).
bool shellOpen(const char* path);

// The path of `fileName` in the folder that holds the running program (where the files shipped
// with it lie). False when the folder is unknown or the path does not fit `capacity` bytes.
bool programFilePath(const char* fileName, char* buffer, int capacity);

} // namespace gb::platform
