#pragma once
// A strict JSON reader for tests of machine-readable output (RFC 8259): one value and nothing
// else, strings of well-formed UTF-8 with no raw control character, escapes decoded to UTF-8 with
// surrogate pairs joined (a lone surrogate is refused), numbers in JSON's own grammar.

#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gb::test {

struct Json {
    enum Type {
        Null,
        Bool,
        Number,
        String,
        Array,
        Object
    };
    Type type = Null;
    bool boolean = false;
    double number = 0;
    std::string text;               // a string's decoded bytes, or a number as written
    std::vector<Json> items;        // an array's items, or an object's member values
    std::vector<std::string> names; // an object's member names, beside their values in items

    // Member or item; a null value when there is none.
    const Json& operator[](const std::string& key) const;
    const Json& operator[](std::size_t i) const;
    bool has(const std::string& key) const;
    static const Json& none();
};

inline const Json& Json::none() {
    static const Json null;
    return null;
}

inline const Json& Json::operator[](const std::string& key) const {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == key) return items[i];
    return none();
}

inline const Json& Json::operator[](std::size_t i) const {
    return i < items.size() ? items[i] : none();
}

inline bool Json::has(const std::string& key) const {
    for (const std::string& name : names)
        if (name == key) return true;
    return false;
}

class JsonReader {
public:
    // True when `text` is one JSON value, optionally surrounded by whitespace.
    static bool parse(std::string_view text, Json& out, std::string& error) {
        JsonReader r(text);
        r.skipSpace();
        if (!r.value(out, 0)) {
            error = r.error_ + " at byte " + std::to_string(r.pos_);
            return false;
        }
        r.skipSpace();
        if (r.pos_ != text.size()) {
            error = "text after the value at byte " + std::to_string(r.pos_);
            return false;
        }
        return true;
    }

private:
    explicit JsonReader(std::string_view text) : s_(text) {}

    bool fail(const char* what) {
        error_ = what;
        return false;
    }
    int peek() const { return pos_ < s_.size() ? static_cast<unsigned char>(s_[pos_]) : -1; }
    void skipSpace() {
        while (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')
            ++pos_;
    }
    bool literal(std::string_view word) {
        if (s_.substr(pos_, word.size()) != word) return fail("bad literal");
        pos_ += word.size();
        return true;
    }

    bool value(Json& out, int depth) {
        if (depth > 64) return fail("nested too deep");
        switch (peek()) {
        case '{':
            return object(out, depth);
        case '[':
            return array(out, depth);
        case '"':
            out.type = Json::String;
            return string(out.text);
        case 't':
            out.type = Json::Bool;
            out.boolean = true;
            return literal("true");
        case 'f':
            out.type = Json::Bool;
            return literal("false");
        case 'n':
            out.type = Json::Null;
            return literal("null");
        default:
            return number(out);
        }
    }

    bool object(Json& out, int depth) {
        out.type = Json::Object;
        ++pos_;
        skipSpace();
        if (peek() == '}') return ++pos_, true;
        for (;;) {
            skipSpace();
            std::string name;
            if (peek() != '"' || !string(name)) return fail("member name expected");
            skipSpace();
            if (peek() != ':') return fail("':' expected");
            ++pos_;
            skipSpace();
            Json member;
            if (!value(member, depth + 1)) return false;
            out.names.push_back(std::move(name));
            out.items.push_back(std::move(member));
            skipSpace();
            if (peek() == ',') {
                ++pos_;
                continue;
            }
            if (peek() == '}') return ++pos_, true;
            return fail("',' or '}' expected");
        }
    }

    bool array(Json& out, int depth) {
        out.type = Json::Array;
        ++pos_;
        skipSpace();
        if (peek() == ']') return ++pos_, true;
        for (;;) {
            skipSpace();
            Json item;
            if (!value(item, depth + 1)) return false;
            out.items.push_back(std::move(item));
            skipSpace();
            if (peek() == ',') {
                ++pos_;
                continue;
            }
            if (peek() == ']') return ++pos_, true;
            return fail("',' or ']' expected");
        }
    }

    bool digits() {
        const std::size_t start = pos_;
        while (peek() >= '0' && peek() <= '9')
            ++pos_;
        return pos_ > start;
    }

    bool number(Json& out) {
        const std::size_t start = pos_;
        if (peek() == '-') ++pos_;
        if (peek() == '0') {
            ++pos_;
        } else if (!digits()) {
            return fail("value expected");
        }
        if (peek() == '.') {
            ++pos_;
            if (!digits()) return fail("digit expected after '.'");
        }
        if (peek() == 'e' || peek() == 'E') {
            ++pos_;
            if (peek() == '+' || peek() == '-') ++pos_;
            if (!digits()) return fail("digit expected in exponent");
        }
        out.type = Json::Number;
        out.text = std::string(s_.substr(start, pos_ - start));
        out.number = std::strtod(out.text.c_str(), nullptr);
        return true;
    }

    static void appendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool hex4(unsigned& code) {
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const int c = peek();
            int v = -1;
            if (c >= '0' && c <= '9') v = c - '0';
            if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
            if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
            if (v < 0) return fail("bad \\u escape");
            code = code * 16 + static_cast<unsigned>(v);
            ++pos_;
        }
        return true;
    }

    // One well-formed UTF-8 sequence (RFC 3629) copied to out.
    bool utf8(std::string& out) {
        const int c = peek();
        int length = 0;
        int low = 0x80;
        int high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF)
            length = 2;
        else if (c >= 0xE0 && c <= 0xEF)
            length = 3, low = c == 0xE0 ? 0xA0 : 0x80, high = c == 0xED ? 0x9F : 0xBF;
        else if (c >= 0xF0 && c <= 0xF4)
            length = 4, low = c == 0xF0 ? 0x90 : 0x80, high = c == 0xF4 ? 0x8F : 0xBF;
        else
            return fail("byte that is not UTF-8");
        if (pos_ + static_cast<std::size_t>(length) > s_.size()) return fail("cut UTF-8");
        for (int i = 1; i < length; ++i) {
            const int b = static_cast<unsigned char>(s_[pos_ + static_cast<std::size_t>(i)]);
            if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF))
                return fail("malformed UTF-8");
        }
        out.append(s_.substr(pos_, static_cast<std::size_t>(length)));
        pos_ += static_cast<std::size_t>(length);
        return true;
    }

    bool string(std::string& out) {
        ++pos_; // the opening quote
        for (;;) {
            const int c = peek();
            if (c < 0) return fail("unterminated string");
            if (c == '"') return ++pos_, true;
            if (c < 0x20) return fail("raw control character in a string");
            if (c >= 0x80) {
                if (!utf8(out)) return false;
                continue;
            }
            ++pos_;
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            const int e = peek();
            ++pos_;
            switch (e) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned code = 0;
                if (!hex4(code)) return false;
                if (code >= 0xDC00 && code <= 0xDFFF) return fail("lone low surrogate");
                if (code >= 0xD800 && code <= 0xDBFF) {
                    unsigned low = 0;
                    if (peek() != '\\' || (++pos_, peek() != 'u')) return fail("lone surrogate");
                    ++pos_;
                    if (!hex4(low)) return false;
                    if (low < 0xDC00 || low > 0xDFFF) return fail("lone high surrogate");
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                appendUtf8(out, code);
                break;
            }
            default:
                return fail("bad escape");
            }
        }
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    std::string error_;
};

} // namespace gb::test
