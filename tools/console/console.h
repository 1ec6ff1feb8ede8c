#pragma once
// Console services the tools share: a stop request from Ctrl-C, and whether standard output is a
// terminal that understands cursor control (live views redraw in place only there).

namespace gb::tools {

// Catches Ctrl-C (and, natively, SIGTERM) from now on; the program then sees stopRequested().
void installStopHandler();
bool stopRequested();

// True when standard output is an interactive terminal that takes ANSI cursor sequences (on
// Windows after switching virtual-terminal processing on). Natively TERM=dumb says it does not.
bool stdoutIsAnsiTerminal();

// The two halves of that check for a program that lets its user force a live view: whether
// standard output is a terminal (a console on Windows), and switching the cursor sequences on
// (virtual-terminal processing on Windows; natively nothing to do). enableAnsiEscapes is false
// when the output cannot take them.
bool stdoutIsTerminal();
bool enableAnsiEscapes();

// Sleeps up to `ms` milliseconds, waking early when a stop is requested.
void sleepUnlessStopped(int ms);

} // namespace gb::tools
