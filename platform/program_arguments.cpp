#include "platform/program_arguments.h"

#include <cstring>

namespace gb::platform {

const char* skipProgramName(const char* commandLine) {
    if (commandLine == nullptr) return "";
    // As Windows splits off the program name (CommandLineToArgvW, the C runtime's WinMain
    // argument): a leading double quote runs to the next one, with no escapes; otherwise the name
    // ends at the first blank or control character. Bytes above 0x7F belong to the name.
    const auto blank = [](const char* p) {
        return *p != '\0' && static_cast<unsigned char>(*p) <= ' ';
    };
    const char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"') ++p;
    } else {
        while (*p != '\0' && !blank(p))
            ++p;
    }
    while (blank(p))
        ++p;
    return p;
}

std::string joinArguments(int argc, const char* const* argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i] != nullptr ? argv[i] : "";
        if (i > 1) text += ' ';
        const bool quote = *arg == '\0' || std::strpbrk(arg, " \t") != nullptr;
        if (quote) text += '"';
        text += arg;
        if (quote) text += '"';
    }
    return text;
}

} // namespace gb::platform
