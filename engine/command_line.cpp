#include "engine/command_line.h"

#include "cockpit/text_utils.h"

#include <cstring>

namespace gb {

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int copyCut(char* buffer, int bufferSize, const char* text, int length) {
    if (buffer == nullptr || bufferSize <= 0) return 0;
    const int n = length < bufferSize - 1 ? length : bufferSize - 1;
    std::memcpy(buffer, text, static_cast<std::size_t>(n));
    buffer[n] = '\0';
    return n;
}

} // namespace

void CommandLine::parse(const char* raw) {
    int out = 0;
    bool quoted = false;
    for (const char* p = raw != nullptr ? raw : ""; *p != '\0' && out < kMaxLength; ++p) {
        const char c = *p == '\t' ? ' ' : *p;
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ' ' && !quoted && (out == 0 || text_[out - 1] == ' ')) {
            continue;
        }
        text_[out++] = c;
    }
    text_[out] = '\0';
    length_ = out;
}

bool CommandLine::findArgument(const char* name, int& valueStart, int& valueLength) const {
    valueStart = 0;
    valueLength = 0;
    if (name == nullptr) return false;
    if (*name == '/' || *name == '-') ++name;
    const int nameLength = static_cast<int>(std::strlen(name));

    int pos = 0;
    while (pos < length_) {
        // One argument: up to a blank outside double quotes.
        int start = pos;
        bool quoted = false;
        while (pos < length_ && (quoted || text_[pos] != ' ')) {
            if (text_[pos] == '"') quoted = !quoted;
            ++pos;
        }
        int end = pos;
        ++pos;
        if (end > start && text_[start] == '"') ++start;
        if (end > start && text_[end - 1] == '"') --end;
        if (end == start || (text_[start] != '/' && text_[start] != '-')) continue;

        const int nameStart = start + 1;
        int nameEnd = nameStart;
        while (nameEnd < end && text_[nameEnd] != '=')
            ++nameEnd;
        if (nameEnd - nameStart != nameLength) continue;
        bool same = true;
        for (int i = 0; i < nameLength && same; ++i)
            same = lowerAscii(text_[nameStart + i]) == lowerAscii(name[i]);
        if (!same) continue;

        if (nameEnd < end) {
            int value = nameEnd + 1;
            if (value < end && text_[value] == '"') ++value;
            valueStart = value;
            valueLength = end - value;
        } else {
            valueStart = end;
        }
        return true;
    }
    return false;
}

bool CommandLine::hasSwitch(const char* name, bool defaultValue) const {
    int start = 0;
    int length = 0;
    return findArgument(name, start, length) ? true : defaultValue;
}

std::int32_t CommandLine::getSwitchInt(const char* name, std::int32_t defaultValue) const {
    int start = 0;
    int length = 0;
    if (!findArgument(name, start, length)) return defaultValue;
    char value[kTextSize];
    copyCut(value, sizeof value, text_ + start, length);
    return parseDecimal32(value);
}

int CommandLine::getSwitchString(const char* name, char* buffer, int bufferSize,
                                 const char* defaultText) const {
    int start = 0;
    int length = 0;
    if (!findArgument(name, start, length)) {
        const char* text = defaultText != nullptr ? defaultText : "";
        return copyCut(buffer, bufferSize, text, static_cast<int>(std::strlen(text)));
    }
    if (length > 0) return copyCut(buffer, bufferSize, text_ + start, length);
    if (*name == '/' || *name == '-') ++name;
    return copyCut(buffer, bufferSize, name, static_cast<int>(std::strlen(name)));
}

CommandLine& programCommandLine() {
    static CommandLine commandLine;
    return commandLine;
}

} // namespace gb
