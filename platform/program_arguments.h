#pragma once
// The program's command-line arguments as one text, without the program name, in the form the
// Windows program receives them: what follows the program name on the process's command line.

#include <string>

namespace gb::platform {

// Hands main's arguments over. The native backend builds the text from them (it has no command
// line of its own); the Windows backend reads the process's command line and ignores them. The
// pointers must stay valid for the program's life, as main's argv does.
void setProgramArguments(int argc, char** argv);

// The arguments without the program name. Windows: GetCommandLineA() after the program name, as
// the C runtime splits it. Natively: argv[1..] joined with single spaces, an argument holding a
// blank or a tab (or an empty one) enclosed in double quotes so it stays one argument.
std::string programArguments();

// The two rules above as pure functions, shared by the backends and tested on both builds.
// The text after the program name and the blanks that follow it. A name that starts with a
// double quote runs to the next one (so a quoted path may hold blanks), any other to the first
// blank.
const char* skipProgramName(const char* commandLine);
std::string joinArguments(int argc, const char* const* argv);

} // namespace gb::platform
