#include "tools/console/arguments.h"
#include "tools/deflint/lint.h"

#include <cstdio>
#include <cstring>

namespace {

const char kHelp[] =
    "Usage: glowbridge-lint [--all] [--json] <definition file>\n"
    "\n"
    "Reads a Glowbridge definition file with Glowbridge's own loader. For a good file it prints\n"
    "each definition as Glowbridge will use it (group, element, form, QP#s or PH#/byte/mask or\n"
    "PH#/byte/multi/offset, trace, invert) and the range of Pigeon-holes sent. For a faulty file\n"
    "it prints the message box Glowbridge would show, with its caption; Glowbridge stops at that\n"
    "line and ends.\n"
    "\n"
    "  --all      go on past faulty lines and show the message of every faulty line\n"
    "  --json     print one JSON object for scripts and editors instead: file, result,\n"
    "             exitStatus, everyFault, byteOrderMark, phLow, phHigh, definitions (each with\n"
    "             its line, form, written value and every field), seen (catalogue entries\n"
    "             bound), messages (caption, text, style, icon, line or null)\n"
    "  --version  the version\n"
    "  --help     this text\n"
    "\n"
    "Exit status: 0 the file is good. Otherwise the loader's result code, negated:\n"
    "  1 no file name, 2 file cannot be opened, 3 element not in its section's group,\n"
    "  4 flag value syntax, 5 QP# outside 0..255, 6 PH# outside 0..255 or PH-byte outside 0..3,\n"
    "  7 analog value syntax, 8 more than 1000 definitions;\n"
    "  9 no definition at all (Glowbridge shows \"No data to transfer, abort!\" and ends),\n"
    "  64 wrong arguments. With --all the status is that of the first faulty line.\n";

} // namespace

int main(int argc, char** argv) {
    bool everyFault = false;
    gb::LintFormat format = gb::LintFormat::Text;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("glowbridge-lint %s\n", gb::tools::toolsVersion());
            return 0;
        }
        if (std::strcmp(argv[i], "--all") == 0) {
            everyFault = true;
        } else if (std::strcmp(argv[i], "--json") == 0) {
            format = gb::LintFormat::Json;
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            std::fprintf(stderr, "glowbridge-lint: unknown option %s\n\n%s",
                         gb::tools::printable(argv[i]).c_str(), kHelp);
            return gb::kLintUsageStatus;
        } else if (path == nullptr) {
            path = argv[i];
        } else {
            std::fprintf(stderr, "glowbridge-lint: one definition file at a time\n\n%s", kHelp);
            return gb::kLintUsageStatus;
        }
    }
    if (path == nullptr) {
        std::fputs(kHelp, stderr);
        return gb::kLintUsageStatus;
    }
    const gb::LintReport report = gb::lintDefinitionFile(path, everyFault, format);
    // The text report quotes the file's lines, which may hold any byte; JSON escapes its own.
    std::fputs(format == gb::LintFormat::Text ? gb::tools::printable(report.output, true).c_str()
                                              : report.output.c_str(),
               stdout);
    return report.exitStatus;
}
