#pragma once
// The text routines of the definition-file parser. Their edge behaviour decides which lines are
// accepted and how values read, so it is fixed here exactly. All texts are 8-bit and
// zero-terminated; case folding is ASCII only. Numbers read the same on every build: 32-bit
// conversions with the Windows C runtime's results, '.' as the decimal point whatever the locale.

#include <cstdint>

namespace gb {

// An ordered list of tokens made by splitting one text at a separator. The list keeps its entry
// array and token buffers between splits, so splitting line after line allocates almost nothing.
class TokenList {
public:
    TokenList(const char* separator = nullptr, const char* text = nullptr);
    ~TokenList();
    TokenList(const TokenList&) = delete;
    TokenList& operator=(const TokenList&) = delete;

    // Takes 1..31 characters and returns the length; -1 for an empty text, -2 for 32 or more
    // characters (the separator is then unchanged).
    int setSeparator(const char* separator);
    // 0 turns quoting off. While a quote is open no separator is recognised, and `get` drops one
    // quote character at each end of a token.
    void setQuote(char quote) { quote_ = quote; }

    // Replaces the tokens; returns the new count. Tokens are not trimmed; "a," gives "a" and "".
    int split(const char* text);
    int count() const { return count_; }
    // A zero-terminated copy of token i (negative counts from the end), valid until the next
    // `get`. Out of range gives "".
    const char* get(int i);
    // Removes token i (negative counts from the end); the new count, or -1 when out of range.
    int remove(int i);

private:
    struct Entry {
        std::int32_t bufferSize;
        std::int32_t length;
        char* buffer; // not zero-terminated
    };

    bool addToken(const char* text, int length);

    std::int32_t entryGrowth_ = 256;
    std::int32_t bufferGrowth_ = 32;
    char* scratch_ = nullptr;
    std::int32_t scratchSize_ = 0;
    std::int32_t separatorLength_ = 1;
    char separator_[32] = "\t";
    char quote_ = 0;
    std::int32_t count_ = 0;
    std::int32_t capacity_ = 0;
    Entry* entries_ = nullptr;
};

// Removes the characters of `set` from both ends of the first `length` characters (-1: the whole
// text), moves the rest to the start and zero-terminates it. Returns the new length.
int trimSet(char* text, int length, const char* set);

// Cuts the text at the first character of `set` outside quotes (each `quote` character toggles;
// 0 = no quoting) by writing a zero there. Returns the length up to the cut, or the length when
// nothing was cut.
int cutComment(char* text, int length, const char* set, char quote);

// A definition-file number: second character 'b'/'B' reads the rest as binary (any character
// other than '1' is a zero bit, the last 32 digits count), 'x'/'X' reads the rest as hexadecimal,
// anything else reads the whole token as a decimal. The first character is never looked at.
std::int32_t parseNumber(const char* token);

// Leading white space, optional sign, decimal digits; saturates at the signed 32-bit range.
std::int32_t parseDecimal32(const char* text);

// Leading white space, optional sign, optional "0x", hexadecimal digits, as an unsigned 32-bit
// value; saturates at 0xFFFFFFFF, and a '-' negates modulo 2^32.
std::uint32_t parseHex32(const char* text);

// A decimal floating-point number with '.' as the decimal point and an optional exponent, after
// leading white space; no number gives 0. Too large gives +-HUGE_VAL, too small 0.
double parseDecimalDouble(const char* text);

} // namespace gb
