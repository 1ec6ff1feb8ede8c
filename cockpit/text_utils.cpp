#include "cockpit/text_utils.h"

#include "platform/ascii.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <new>

namespace gb {

namespace {

const char kEmpty[] = "";

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool inSet(const char* set, char c) {
    return c != '\0' && std::strchr(set, c) != nullptr;
}

} // namespace

TokenList::TokenList(const char* separator, const char* text) {
    if (separator != nullptr) setSeparator(separator);
    if (text != nullptr) split(text);
}

TokenList::~TokenList() {
    for (int i = 0; i < capacity_; ++i)
        delete[] entries_[i].buffer;
    delete[] entries_;
    delete[] scratch_;
}

int TokenList::setSeparator(const char* separator) {
    const std::size_t length = separator != nullptr ? std::strlen(separator) : 0;
    if (length == 0) return -1;
    if (length >= sizeof separator_) return -2;
    std::memcpy(separator_, separator, length + 1);
    separatorLength_ = static_cast<std::int32_t>(length);
    return separatorLength_;
}

bool TokenList::addToken(const char* text, int length) {
    if (count_ == capacity_) {
        const int grown = capacity_ + entryGrowth_;
        Entry* entries = new (std::nothrow) Entry[grown];
        if (entries == nullptr) return false;
        for (int i = 0; i < capacity_; ++i)
            entries[i] = entries_[i];
        for (int i = capacity_; i < grown; ++i)
            entries[i] = Entry{0, 0, nullptr};
        delete[] entries_;
        entries_ = entries;
        capacity_ = grown;
    }
    Entry& entry = entries_[count_];
    if (entry.bufferSize <= length) {
        // The next multiple of the growth step above the length, so a token always fits.
        const int size = (length / bufferGrowth_ + 1) * bufferGrowth_;
        char* buffer = new (std::nothrow) char[size];
        if (buffer == nullptr) return false;
        delete[] entry.buffer;
        entry.buffer = buffer;
        entry.bufferSize = size;
    }
    std::memcpy(entry.buffer, text, static_cast<std::size_t>(length));
    entry.length = length;
    ++count_;
    return true;
}

int TokenList::split(const char* text) {
    count_ = 0;
    if (text == nullptr) return 0;
    const int length = static_cast<int>(std::strlen(text));
    int pos = 0;
    bool endedOnSeparator = false;
    bool inQuote = false;
    while (pos < length) {
        int scan = pos;
        int next = length;
        endedOnSeparator = false;
        while (scan < length) {
            if (quote_ != 0 && text[scan] == quote_) {
                inQuote = !inQuote;
            } else if (!inQuote && length - scan >= separatorLength_ &&
                       std::memcmp(text + scan, separator_, separatorLength_) == 0) {
                endedOnSeparator = true;
                next = scan + separatorLength_;
                break;
            }
            ++scan;
        }
        if (!addToken(text + pos, scan - pos)) return count_;
        pos = next;
    }
    if (endedOnSeparator) addToken(text, 0);
    return count_;
}

const char* TokenList::get(int i) {
    if (i < 0) i += count_;
    if (i < 0 || i >= count_) return kEmpty;
    const Entry& entry = entries_[i];
    const char* start = entry.buffer;
    int length = entry.length;
    if (quote_ != 0 && length > 0 && start[0] == quote_) {
        ++start;
        --length;
    }
    if (quote_ != 0 && length > 0 && start[length - 1] == quote_) --length;
    if (scratchSize_ <= length) {
        char* scratch = new (std::nothrow) char[length + 1];
        if (scratch == nullptr) return kEmpty;
        delete[] scratch_;
        scratch_ = scratch;
        scratchSize_ = length + 1;
    }
    if (length > 0) std::memcpy(scratch_, start, static_cast<std::size_t>(length));
    scratch_[length] = '\0';
    return scratch_;
}

int TokenList::remove(int i) {
    if (i < 0) i += count_;
    if (i < 0 || i >= count_) return -1;
    // The removed entry's buffer moves behind the last token so the next split can reuse it.
    const Entry removed = entries_[i];
    for (int k = i; k < count_ - 1; ++k)
        entries_[k] = entries_[k + 1];
    entries_[count_ - 1] = removed;
    return --count_;
}

int trimSet(char* text, int length, const char* set) {
    if (text == nullptr) return 0;
    if (length < 0) length = static_cast<int>(std::strlen(text));
    if (set == nullptr) set = kEmpty;
    int begin = 0;
    int end = length;
    while (begin < end && inSet(set, text[begin]))
        ++begin;
    while (end > begin && inSet(set, text[end - 1]))
        --end;
    const int kept = end - begin;
    if (begin > 0 && kept > 0) std::memmove(text, text + begin, static_cast<std::size_t>(kept));
    text[kept] = '\0';
    return kept;
}

int cutComment(char* text, int length, const char* set, char quote) {
    if (text == nullptr) return 0;
    if (length < 0) length = static_cast<int>(std::strlen(text));
    if (set == nullptr || set[0] == '\0') return length;
    bool inQuote = false;
    for (int i = 0; i < length; ++i) {
        if (quote != 0 && text[i] == quote) {
            inQuote = !inQuote;
        } else if (!inQuote && inSet(set, text[i])) {
            text[i] = '\0';
            return i;
        }
    }
    return length;
}

std::int32_t parseDecimal32(const char* text) {
    const char* p = text;
    while (isSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    // Accumulate the magnitude up to just past the 32-bit range, then clamp like the C runtime.
    std::int64_t magnitude = 0;
    for (; isDigit(*p); ++p) {
        if (magnitude <= 0x80000000LL) magnitude = magnitude * 10 + (*p - '0');
    }
    if (negative)
        return magnitude >= 0x80000000LL ? INT32_MIN : static_cast<std::int32_t>(-magnitude);
    return magnitude > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(magnitude);
}

std::uint32_t parseHex32(const char* text) {
    const char* p = text;
    while (isSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (p[0] == '0' && ascii::toLower(p[1]) == 'x' && ascii::hexDigitValue(p[2]) >= 0) p += 2;
    std::uint64_t value = 0;
    bool overflow = false;
    for (; ascii::hexDigitValue(*p) >= 0; ++p) {
        value = value * 16 + static_cast<unsigned>(ascii::hexDigitValue(*p));
        if (value > 0xFFFFFFFFULL) {
            overflow = true;
            value = 0xFFFFFFFFULL;
        }
    }
    if (overflow) return 0xFFFFFFFFU;
    const auto result = static_cast<std::uint32_t>(value);
    return negative ? 0U - result : result;
}

double parseDecimalDouble(const char* text) {
    const char* p = text;
    while (isSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    const char* start = p;
    int intDigits = 0;    // significant digits before the point
    int leadingZeros = 0; // zeros right after the point when there are none before it
    bool anyDigit = false;
    bool significant = false;
    for (; isDigit(*p); ++p) {
        anyDigit = true;
        if (*p != '0') significant = true;
        if (significant) ++intDigits;
    }
    if (*p == '.') {
        ++p;
        for (; isDigit(*p); ++p) {
            anyDigit = true;
            if (*p != '0') significant = true;
            if (!significant) ++leadingZeros;
        }
    }
    if (!anyDigit) return 0.0;
    long exponent = 0;
    if (*p == 'e' || *p == 'E') {
        const char* e = p + 1;
        bool expNegative = false;
        if (*e == '+' || *e == '-') expNegative = *e++ == '-';
        if (isDigit(*e)) {
            for (; isDigit(*e); ++e) {
                if (exponent < 100000) exponent = exponent * 10 + (*e - '0');
            }
            if (expNegative) exponent = -exponent;
            p = e;
        }
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(start, p, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        if (!significant) {
            value = 0.0;
        } else {
            const long magnitude = (intDigits > 0 ? intDigits : -leadingZeros) + exponent;
            value = magnitude > 0 ? HUGE_VAL : 0.0;
        }
    } else if (error != std::errc() || end != p) {
        value = 0.0;
    }
    return negative ? -value : value;
}

std::int32_t parseNumber(const char* token) {
    if (token == nullptr || token[0] == '\0') return 0;
    const char kind = ascii::toLower(token[1]);
    if (kind == 'b') {
        std::uint32_t value = 0;
        for (const char* p = token + 2; *p != '\0'; ++p)
            value = (value << 1) | (*p == '1' ? 1U : 0U);
        return static_cast<std::int32_t>(value);
    }
    if (kind == 'x') return static_cast<std::int32_t>(parseHex32(token + 2));
    return parseDecimal32(token);
}

} // namespace gb
