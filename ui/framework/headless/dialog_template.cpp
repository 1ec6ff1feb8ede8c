#include "ui/framework/headless/dialog_template.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace gb::ui::headless {

namespace {

struct Token {
    enum Kind {
        Word,
        String,
        Comma,
        Bar
    } kind;
    std::string text;
};

// Splits resource script text into words, quoted strings (with "" for a quote), commas and bars;
// comments and preprocessor lines are skipped.
std::vector<Token> tokenize(const std::string& s) {
    std::vector<Token> out;
    std::size_t i = 0;
    const std::size_t n = s.size();
    bool lineStart = true;
    while (i < n) {
        const char c = s[i];
        if (c == '\n') {
            lineStart = true;
            ++i;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (lineStart && c == '#') {
            while (i < n && s[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '/') {
            while (i < n && s[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            const std::size_t end = s.find("*/", i + 2);
            i = end == std::string::npos ? n : end + 2;
        } else if (c == '"') {
            std::string text;
            ++i;
            while (i < n) {
                if (s[i] == '"' && i + 1 < n && s[i + 1] == '"') {
                    text += '"';
                    i += 2;
                } else if (s[i] == '"') {
                    ++i;
                    break;
                } else {
                    text += s[i++];
                }
            }
            out.push_back({Token::String, text});
            lineStart = false;
        } else if (c == ',') {
            out.push_back({Token::Comma, ","});
            ++i;
            lineStart = false;
        } else if (c == '|') {
            out.push_back({Token::Bar, "|"});
            ++i;
            lineStart = false;
        } else {
            std::string word;
            while (i < n && !std::isspace(static_cast<unsigned char>(s[i])) && s[i] != ',' &&
                   s[i] != '|' && s[i] != '"') {
                word += s[i++];
            }
            out.push_back({Token::Word, word});
            lineStart = false;
        }
    }
    return out;
}

// One argument of a statement: a string, or words joined by bars (NOT applies to the next word).
struct Argument {
    bool isString = false;
    std::string text;
    std::vector<std::string> words;
};

class Reader {
public:
    Reader(const std::vector<Token>& tokens, const std::map<std::string, long>& names)
        : t_(tokens), names_(names) {}

    bool atEnd() const { return pos_ >= t_.size(); }
    const Token& peek() const { return t_[pos_]; }
    void skip() { ++pos_; }
    std::string word() { return !atEnd() && peek().kind == Token::Word ? t_[pos_++].text : ""; }

    // Reads the comma-separated arguments that follow a keyword.
    std::vector<Argument> arguments() {
        std::vector<Argument> args;
        for (;;) {
            Argument a;
            if (atEnd()) break;
            if (peek().kind == Token::String) {
                a.isString = true;
                a.text = t_[pos_++].text;
            } else {
                bool expectWord = true;
                while (!atEnd() &&
                       (expectWord ? peek().kind == Token::Word : peek().kind == Token::Bar)) {
                    if (expectWord) {
                        std::string w = t_[pos_++].text;
                        if (w == "NOT" && !atEnd() && peek().kind == Token::Word) {
                            a.words.push_back("NOT " + t_[pos_++].text);
                        } else {
                            a.words.push_back(w);
                        }
                    } else {
                        ++pos_;
                    }
                    expectWord = !expectWord;
                }
            }
            args.push_back(a);
            if (atEnd() || peek().kind != Token::Comma) break;
            ++pos_;
        }
        return args;
    }

    bool number(const Argument& a, long& value) const {
        if (a.isString || a.words.size() != 1) return false;
        const std::string& w = a.words[0];
        auto it = names_.find(w);
        if (it != names_.end()) {
            value = it->second;
            return true;
        }
        char* end = nullptr;
        value = std::strtol(w.c_str(), &end, 0);
        return end != w.c_str() && *end == '\0';
    }

private:
    const std::vector<Token>& t_;
    const std::map<std::string, long>& names_;
    std::size_t pos_ = 0;
};

std::map<std::string, long> readNames(const std::string& header) {
    std::map<std::string, long> names{{"IDOK", 1}, {"IDCANCEL", 2}, {"IDC_STATIC", -1}};
    std::size_t i = 0;
    while (i < header.size()) {
        std::size_t end = header.find('\n', i);
        if (end == std::string::npos) end = header.size();
        const std::string line = header.substr(i, end - i);
        i = end + 1;
        char name[128];
        char value[64];
        if (std::sscanf(line.c_str(), " #define %127s %63s", name, value) == 2) {
            char* stop = nullptr;
            const long v = std::strtol(value, &stop, 0);
            if (stop != value && *stop == '\0') names[name] = v;
        }
    }
    return names;
}

std::vector<std::string> styleWords(const Argument& a) {
    std::vector<std::string> out;
    for (const std::string& w : a.words) {
        if (w.rfind("NOT ", 0) != 0) out.push_back(w);
    }
    return out;
}

bool readControl(Reader& r, const std::string& keyword, ControlTemplate& c) {
    const std::vector<Argument> args = r.arguments();
    long id = 0;
    // Layout: [text,] id, x, y, w, h [, style ...], or CONTROL text, id, class, style, x, y, w, h.
    if (keyword == "CONTROL") {
        if (args.size() < 8 || !args[2].isString || !r.number(args[1], id)) return false;
        c.text = args[0].text;
        c.styles = styleWords(args[3]);
        std::string cls = args[2].text;
        std::transform(cls.begin(), cls.end(), cls.begin(), ::toupper);
        if (cls == "SYSLISTVIEW32") {
            c.kind = ControlKind::ListView;
        } else if (cls == "BUTTON") {
            c.kind = c.hasStyle("BS_AUTOCHECKBOX") ? ControlKind::CheckBox : ControlKind::Button;
        } else if (cls == "EDIT") {
            c.kind = ControlKind::Edit;
        } else if (cls == "COMBOBOX") {
            c.kind = ControlKind::ComboBox;
        } else if (cls == "LISTBOX") {
            c.kind = ControlKind::ListBox;
        } else {
            c.kind = ControlKind::Static;
        }
        c.id = static_cast<int>(id);
        return true;
    }
    const bool hasText = keyword != "EDITTEXT" && keyword != "LISTBOX" && keyword != "COMBOBOX";
    const std::size_t first = hasText ? 1 : 0;
    if (args.size() < first + 5 || !r.number(args[first], id)) return false;
    if (hasText) c.text = args[0].text;
    c.id = static_cast<int>(id);
    if (args.size() > first + 5) c.styles = styleWords(args[first + 5]);
    if (keyword == "EDITTEXT") {
        c.kind = ControlKind::Edit;
    } else if (keyword == "LISTBOX") {
        c.kind = ControlKind::ListBox;
    } else if (keyword == "COMBOBOX") {
        c.kind = ControlKind::ComboBox;
    } else if (keyword == "PUSHBUTTON" || keyword == "DEFPUSHBUTTON") {
        c.kind = ControlKind::Button;
    } else if (keyword == "AUTOCHECKBOX") {
        c.kind = ControlKind::CheckBox;
    } else if (keyword == "GROUPBOX" || keyword == "LTEXT" || keyword == "RTEXT" ||
               keyword == "CTEXT") {
        c.kind = ControlKind::Static;
    } else {
        return false;
    }
    return true;
}

} // namespace

bool ControlTemplate::hasStyle(const char* name) const {
    return std::find(styles.begin(), styles.end(), name) != styles.end();
}

bool readDialogTemplate(const std::string& script, const std::string& idHeader, unsigned id,
                        DialogTemplate& out) {
    const std::map<std::string, long> names = readNames(idHeader);
    const std::vector<Token> tokens = tokenize(script);
    Reader r(tokens, names);
    while (!r.atEnd()) {
        if (r.peek().kind != Token::Word) {
            r.skip();
            continue;
        }
        const std::string name = r.word();
        if (r.atEnd() || r.peek().kind != Token::Word) continue;
        const std::string kind = r.peek().text;
        if (kind != "DIALOG" && kind != "DIALOGEX") continue;
        r.word();
        r.arguments(); // position and size
        Argument nameArg;
        nameArg.words = {name};
        long number = 0;
        const bool wanted = r.number(nameArg, number) && static_cast<unsigned>(number) == id;
        DialogTemplate t;
        t.id = id;
        // Options up to BEGIN.
        for (std::string w = r.word(); !w.empty() && w != "BEGIN" && w != "{"; w = r.word()) {
            const std::vector<Argument> args = r.arguments();
            if (w == "CAPTION" && !args.empty()) t.caption = args[0].text;
            if (w == "STYLE" && !args.empty()) t.styles = styleWords(args[0]);
        }
        for (std::string w = r.word(); !w.empty() && w != "END" && w != "}"; w = r.word()) {
            ControlTemplate c;
            if (!readControl(r, w, c)) return false;
            t.controls.push_back(c);
        }
        if (wanted) {
            out = t;
            return true;
        }
    }
    return false;
}

} // namespace gb::ui::headless

namespace gb::ui::headless {

// Generated from ui/dialogs.rc and ui/dialog_ids.h at configure time.
extern const char* const embeddedDialogScript;
extern const char* const embeddedDialogIds;

namespace {
struct Script {
    const char* script;
    const char* ids;
};
std::vector<Script>& addedScripts() {
    static std::vector<Script> scripts;
    return scripts;
}
} // namespace

bool addDialogScript(const char* script, const char* idHeader) {
    addedScripts().push_back({script, idHeader});
    return true;
}

bool findDialogTemplate(unsigned id, DialogTemplate& out) {
    if (readDialogTemplate(embeddedDialogScript, embeddedDialogIds, id, out)) return true;
    for (const Script& s : addedScripts()) {
        if (readDialogTemplate(s.script, s.ids, id, out)) return true;
    }
    return false;
}

} // namespace gb::ui::headless
