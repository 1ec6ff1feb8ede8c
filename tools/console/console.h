#pragma once
// Console services the tools share: a stop request from Ctrl-C, and whether standard output is a
// terminal that understands cursor control (live views redraw in place only there).

namespace gb::tools {

// Catches Ctrl-C (and, natively, SIGTERM) from now on; the program then sees stopRequested().
void installStopHandler();
bool stopRequested();

// True when standard output is an interactive terminal that takes ANSI cursor sequences (on
// Windows after switching virtual-terminal processing on).
bool stdoutIsAnsiTerminal();

// Sleeps up to `ms` milliseconds, waking early when a stop is requested.
void sleepUnlessStopped(int ms);

} // namespace gb::tools
