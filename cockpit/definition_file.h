#pragma once
// The definition file loader. The file is shaped like an INI file: sections name catalogue groups,
// keys name elements, values are "[c,]QP(On)#[,QP(Off)#]", "[c,]PH#,Index#,Bit" or
// "PH#,Index#[,Multi[,Offset]]". Section and key names ignore case; "@" before a key traces it;
// "#" outside double quotes starts a comment. Every problem is shown in a message box (owner
// `owner`) and ends the read with a negative code:
//   -1 no path, -2 cannot open, -3 unknown element, -4 flag syntax, -5 QP# range,
//   -6 PH# or PH-byte range, -7 analog syntax, -8 list full or no memory.
// The file is read in the Windows runtime's text mode on every build (CR LF ends a line like LF,
// Ctrl-Z ends the file) and in pieces of at most 1023 characters, each numbered as a line. A UTF-8
// byte-order mark at the start of the file is skipped. A file that opens but cannot be read to its
// end (a folder natively, an I/O error) counts as one that cannot be opened (-2): the lines before
// the failure have been read and stay, as before a faulty line, and the rest is never taken for
// the end of the file.

#include "cockpit/definition_file_io.h"
#include "cockpit/definition_list.h"

#include <cstddef>
#include <cstdint>

namespace gb {

struct DefinitionParseOptions {
    // The program stops at the first faulty line. A checking tool can go on to show every faulty
    // line; the result is then the first error's code.
    bool continueAfterError = false;
    // When set, receives the file line of each accepted definition, by list position.
    std::int32_t* lineOfDefinition = nullptr;
    // When set, receives whether the file began with a UTF-8 byte-order mark (which is skipped).
    bool* byteOrderMark = nullptr;
    // When set, holds the number of the line being read while the loader works on it, so that
    // whoever answers a message box knows the line it concerns; 0 while a message concerns the
    // whole file (no line, cannot be read, no definition).
    int* currentLine = nullptr;
    // The file operations; the C library's when null.
    DefinitionFileIo* fileIo = nullptr;
};

// Reads the file into `list`: the number of definitions in it (0 after showing "No data to
// transfer, abort!"), or a negative code. Definitions before a faulty line stay in the list and
// their catalogue entries stay marked as seen.
int parseDefinitionFile(DefinitionList& list, const char* path,
                        platform::WindowHandle owner = nullptr,
                        const DefinitionParseOptions& options = {});

// The same loader over the bytes of a file already in memory (tests, fuzzing).
int parseDefinitionText(DefinitionList& list, const char* data, std::size_t size,
                        platform::WindowHandle owner = nullptr,
                        const DefinitionParseOptions& options = {});

} // namespace gb
