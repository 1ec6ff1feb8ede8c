#pragma once
// Facts about the environment the program runs in.

namespace gb::platform {

// True when the Windows build runs under Wine. Some Windows behaviour differs there (small file
// mappings are rounded up to a page), and tests that depend on it say so.
bool runningUnderWine();

// The line end of the platform's text files, as its C runtime's text mode writes "\n": CR LF on
// Windows, LF elsewhere.
const char* textLineEnd();

} // namespace gb::platform
