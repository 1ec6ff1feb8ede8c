#pragma once
// glowbridge-lint: checks a definition file with the program's own loader and shows what the
// program will make of it.

#include <string>

namespace gb {

struct LintReport {
    std::string output;
    // The loader's result: the number of definitions, or its negative code.
    int result = 0;
    int exitStatus = 0;
};

// Exit statuses: 0 good file; 1..8 for the loader's codes -1..-8; 9 no definition at all;
// 64 wrong arguments.
int lintExitStatus(int loaderResult);
constexpr int kLintUsageStatus = 64;

enum class LintFormat {
    // For people: a note when the file starts with a UTF-8 byte-order mark; for a good file every
    // definition as the program will use it and the Pigeon-hole range; otherwise the message box
    // the program would show, caption included.
    Text,
    // For scripts and editors: one JSON object holding everything the loader left behind, also
    // after a fault: the file name, result and exit status, whether a byte-order mark was skipped,
    // phLow and phHigh as they stand, every definition read with its line, every field and the
    // value the list dialogs would write for it, the catalogue entries marked seen, and every
    // message box with caption, text, style and the line it concerns.
    Json,
};

// Reads the file as the program does and returns the report glowbridge-lint prints. With
// `everyFault` the loader goes on past faulty lines and every one's message is listed.
LintReport lintDefinitionFile(const char* path, bool everyFault,
                              LintFormat format = LintFormat::Text);

} // namespace gb
