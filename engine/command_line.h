#pragma once
// The program's command line: normalised once at start-up, then asked for the switches "/ini",
// "/debug" and "/dev". A switch may be written with "-" in place of "/" and in any letter case.

#include <cstdint>

namespace gb {

class CommandLine {
public:
    static constexpr int kTextSize = 10000;
    // Longer command lines are cut; the rest is ignored.
    static constexpr int kMaxLength = kTextSize - 1;

    CommandLine() = default;
    virtual ~CommandLine() = default;

    // Replaces the text with the normalised form of `raw` (null: empty): tabs count as blanks,
    // no leading blanks, runs of blanks outside double quotes become one, quotes are kept, at most
    // one trailing blank, at most kMaxLength characters.
    void parse(const char* raw);

    // Looks for the switch `name` ("/ini"; its leading "/" or "-" is not compared) among the
    // blank-separated arguments, the leftmost first. An argument is a switch when, without one
    // enclosing double quote at each end, it starts with "/" or "-"; its name runs to the first
    // "=" or its end and must equal `name` ignoring ASCII case. The value is what follows "=",
    // without one leading double quote: `valueStart` and `valueLength` locate it in text().
    bool findArgument(const char* name, int& valueStart, int& valueLength) const;

    // Only the switch's presence counts: "/debug=0" is true as well.
    bool hasSwitch(const char* name, bool defaultValue) const;

    // The value read as the C runtime's atoi reads it: leading white space, an optional sign,
    // digits up to the first other character; no digits give 0. Values beyond the 32-bit range
    // saturate at INT32_MIN / INT32_MAX, as the Windows runtime does. `defaultValue` when the
    // switch is absent.
    std::int32_t getSwitchInt(const char* name, std::int32_t defaultValue) const;

    // Copies into `buffer` (cut to bufferSize - 1 characters and zero-terminated) the value when
    // it is not empty; the requested name without its "/" when the switch has no value ("/ini"
    // alone gives "ini"); `defaultText` when the switch is absent. Returns the characters copied.
    int getSwitchString(const char* name, char* buffer, int bufferSize,
                        const char* defaultText) const;

    const char* text() const { return text_; }
    std::int32_t length() const { return length_; }

private:
    std::int32_t length_ = 0;
    char text_[kTextSize] = {};
};

// The program's one command line, empty until start-up parses the program's arguments into it.
CommandLine& programCommandLine();

} // namespace gb
