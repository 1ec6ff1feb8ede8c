#include "cockpit/definition_file.h"

#include "cockpit/binding_rules.h"
#include "cockpit/element_catalog.h"
#include "cockpit/text_utils.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace gb {

namespace {

const char kCaption[] = "Definitionfile error";
constexpr int kPieceLength = 1023;
constexpr int kNameLength = 63;

// The Windows runtime's text-mode reading, done by hand so that both builds split and number the
// lines of a file identically: CR LF becomes LF, a lone CR stays, Ctrl-Z ends the file, and a
// read takes at most 1023 characters up to and including LF (fgets). A UTF-8 byte-order mark
// that starts the file is skipped, so that a header on the first line is recognised. A read error
// ends the reading like the end of the file, but is remembered, and the piece it cut short is
// dropped.
class TextModeReader {
public:
    TextModeReader(DefinitionFileIo& io, std::FILE* file) : io_(&io), file_(file) {}
    TextModeReader(const char* data, std::size_t size) : data_(data), size_(size) {}

    // Call before the first piece: true when the file began with the mark (now skipped).
    bool skipByteOrderMark() {
        static const int mark[] = {0xEF, 0xBB, 0xBF};
        int seen[3];
        int n = 0;
        while (n < 3 && (seen[n] = raw()) == mark[n])
            ++n;
        if (n == 3) return true;
        // Put back what was read, the byte that differed included, last first.
        for (int i = (n < 3 && seen[n] >= 0) ? n : n - 1; i >= 0; --i)
            pushBack(seen[i]);
        return false;
    }

    bool readPiece(char* buffer, int length) {
        int n = 0;
        while (n < length) {
            const int c = next();
            if (c < 0) break;
            buffer[n++] = static_cast<char>(c);
            if (c == '\n') break;
        }
        if (failed_) n = 0;
        buffer[n] = '\0';
        return n > 0;
    }

    // The file could not be read to its end.
    bool failed() const { return failed_; }

private:
    int raw() {
        if (pending_ > 0) return pushedBack_[--pending_];
        if (file_ == nullptr)
            return position_ < size_ ? static_cast<unsigned char>(data_[position_++]) : -1;
        if (position_ == size_) {
            if (failed_ || atEnd_) return -1;
            const int n = io_->read(file_, block_, sizeof block_);
            if (n <= 0) {
                failed_ = n < 0;
                atEnd_ = true;
                return -1;
            }
            position_ = 0;
            size_ = static_cast<std::size_t>(n);
        }
        return static_cast<unsigned char>(block_[position_++]);
    }

    void pushBack(int c) { pushedBack_[pending_++] = c; }

    int next() {
        if (ended_) return -1;
        int c = raw();
        if (c == 0x1A) c = -1;
        if (c == '\r') {
            const int after = raw();
            if (after == '\n') return '\n';
            if (after >= 0) pushBack(after);
        }
        if (c < 0) ended_ = true;
        return c;
    }

    DefinitionFileIo* io_ = nullptr;
    std::FILE* file_ = nullptr;
    const char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t position_ = 0;
    char block_[4096];
    int pushedBack_[3] = {};
    int pending_ = 0;
    bool ended_ = false;
    bool atEnd_ = false;
    bool failed_ = false;
};

int show(platform::WindowHandle owner, const std::string& text, int code) {
    platform::messageBox(owner, text.c_str(), kCaption, platform::MbOk);
    return code;
}

std::string format(const char* pattern, int a, int b) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

std::string quote(const char* text) {
    return std::string("\"") + text + "\"";
}

int checkPigeonHole(std::int32_t phNumber, std::int32_t phByte, int line,
                    platform::WindowHandle owner) {
    if (!isPhNumber(phNumber))
        return show(
            owner, format("Illegal PH# %d in line %d, PH# must between 0 and 255!", phNumber, line),
            -6);
    if (!isPhByte(phByte))
        return show(
            owner,
            format("Illegal PH-byte %d in line %d, PH-byte must between 0 and 3!", phByte, line),
            -6);
    return 0;
}

void widenPigeonHoles(DefinitionList& list, std::int32_t phNumber) {
    if (phNumber < list.phLow) list.phLow = phNumber;
    if (phNumber > list.phHigh) list.phHigh = phNumber;
}

// One key line of a known section: fills d from the value tokens, or shows the message and
// returns the negative code.
int readValue(Definition& d, const char* key, TokenList& tokens, int line,
              platform::WindowHandle owner, DefinitionList& list) {
    const std::string lineText = std::to_string(line);
    if (d.kind != DefinitionAnalog) {
        const char* first = tokens.get(0);
        if ((first[0] == 'c' || first[0] == 'C') && first[1] == '\0') {
            d.invert = 1;
            tokens.remove(0);
        }
        const int n = tokens.count();
        if (n < 1 || n > 3)
            return show(owner,
                        quote(key) + " in line " + lineText +
                            " is an flag and he must have one of the following syntax:\n\t" + key +
                            "=QP(On)#[,QP(Off)#]\n\t" + key + "=PH#,Index#,Bit",
                        -4);
        if (n <= 2) {
            const std::int32_t qpOn = parseNumber(tokens.get(0));
            // Widened so that the default of the largest number cannot overflow.
            const std::int64_t qpOff =
                n == 2 ? parseNumber(tokens.get(1)) : static_cast<std::int64_t>(qpOn) + 1;
            for (const std::int64_t qp : {static_cast<std::int64_t>(qpOn), qpOff}) {
                if (!isQpNumber(qp)) {
                    // A qpOff beyond 32 bits comes only with a qpOn that fails first.
                    return show(owner,
                                format("Illegal QP# %d in line %d, QP# must between 0 and 255!",
                                       static_cast<std::int32_t>(qp), line),
                                -5);
                }
            }
            d.qpOn = static_cast<std::int16_t>(qpOn);
            d.qpOff = static_cast<std::int16_t>(qpOff);
            return 0;
        }
        const std::int32_t phNumber = parseNumber(tokens.get(0));
        const std::int32_t phByte = parseNumber(tokens.get(1));
        d.bitMask = static_cast<std::uint32_t>(parseNumber(tokens.get(2)));
        if (const int code = checkPigeonHole(phNumber, phByte, line, owner)) return code;
        d.phNumber = static_cast<std::int16_t>(phNumber);
        d.phByte = static_cast<std::int16_t>(phByte);
        widenPigeonHoles(list, phNumber);
        return 0;
    }
    const int n = tokens.count();
    if (n < 2 || n > 4)
        return show(owner,
                    quote(key) + " in line " + lineText +
                        " is an analog value and he must have the following syntax:\n\t" + key +
                        "=PH#,Index#[,Multi[,Offset]]",
                    -7);
    const std::int32_t phNumber = parseNumber(tokens.get(0));
    const std::int32_t phByte = parseNumber(tokens.get(1));
    if (n >= 3) d.multi = parseDecimalDouble(tokens.get(2));
    if (n == 4) d.offset = parseNumber(tokens.get(3));
    if (const int code = checkPigeonHole(phNumber, phByte, line, owner)) return code;
    d.phNumber = static_cast<std::int16_t>(phNumber);
    d.phByte = static_cast<std::int16_t>(phByte);
    widenPigeonHoles(list, phNumber);
    return 0;
}

// The header's name as the INI writer matches it: "[" in the first column, the text up to the
// first "]". "" when the writer would not see the line as this header.
void writerSection(const char* raw, char (&out)[sizeof Definition::fileSection]) {
    out[0] = '\0';
    if (raw[0] != '[') return;
    const char* close = std::strchr(raw + 1, ']');
    if (close == nullptr) return;
    const std::size_t length = static_cast<std::size_t>(close - raw - 1);
    if (length >= sizeof out || std::memchr(raw + 1, '\n', length) != nullptr) return;
    std::memcpy(out, raw + 1, length);
    out[length] = '\0';
}

// The entry's key as the INI writer matches it: from the first column up to the first "=" or
// control character. "" when it is empty or too long to keep.
void writerKey(const char* raw, char (&out)[sizeof Definition::fileKey]) {
    std::size_t length = 0;
    while (raw[length] != '=' && static_cast<unsigned char>(raw[length]) >= 32)
        ++length;
    if (length >= sizeof out) length = 0;
    std::memcpy(out, raw, length);
    out[length] = '\0';
}

// `path` names the file for the message a read error shows.
int parseLines(DefinitionList& list, TextModeReader& reader, const char* path,
               platform::WindowHandle owner, const DefinitionParseOptions& options) {
    const bool byteOrderMark = reader.skipByteOrderMark();
    if (options.byteOrderMark != nullptr) *options.byteOrderMark = byteOrderMark;
    char text[kPieceLength + 1];
    // The line as read, for the spelling the writer needs; text is trimmed in place.
    char raw[kPieceLength + 1];
    char sectionText[sizeof Definition::fileSection] = {};
    int section = -1;
    int line = 0;
    int firstError = 0;
    TokenList tokens(",");

    if (options.currentLine != nullptr) *options.currentLine = 0;
    while (reader.readPiece(text, kPieceLength)) {
        ++line;
        std::memcpy(raw, text, std::strlen(text) + 1);
        if (options.currentLine != nullptr) *options.currentLine = line;
        int length = trimSet(text, -1, " \r\n\t");
        length = cutComment(text, length, "#", '"');
        if (length < 1) continue;

        if (text[0] == '[') {
            char name[kNameLength + 1];
            int n = 0;
            for (const char* p = text + 1; *p != '\0' && *p != ']' && n < kNameLength; ++p)
                name[n++] = *p;
            name[n] = '\0';
            section = findGroup(name);
            writerSection(raw, sectionText);
            continue;
        }
        if (section < 0) continue;

        char key[kNameLength + 1];
        int n = 0;
        while (n < kNameLength && text[n] != '\0' && text[n] != '=') {
            key[n] = text[n];
            ++n;
        }
        if (text[n] != '=') continue;
        key[n] = '\0';
        char* value = text + n + 1;
        if (trimSet(key, n, " \t") == 0) continue;
        if (trimSet(value, -1, " \t") == 0) continue;

        Definition d;
        if (key[0] == '@') {
            d.trace = 1;
            if (trimSet(key, -1, "@") == 0) continue;
        }
        tokens.split(value);

        int code = 0;
        const int entry = findElement(section, key);
        if (entry < 0) {
            code = show(owner,
                        "Illegal definition " + quote(key) + " in section " +
                            quote(ElementCatalog[section].groupName) + " in line " +
                            std::to_string(line) + "!",
                        -3);
        } else {
            const CatalogEntry& element = ElementCatalog[entry];
            d.kind = element.kind;
            d.elementIndex = element.elementIndex;
            d.groupName = ElementCatalog[section].groupName;
            d.elementName = element.elementName;
            std::memcpy(d.fileSection, sectionText, sizeof d.fileSection);
            writerKey(raw, d.fileKey);
            code = readValue(d, key, tokens, line, owner, list);
            if (code == 0) {
                const int pos = list.addDefinition(d, owner);
                if (pos < 0) {
                    code = -8;
                } else {
                    if (options.lineOfDefinition != nullptr) options.lineOfDefinition[pos] = line;
                    markSeen(entry);
                }
            }
        }
        if (code != 0) {
            if (!options.continueAfterError) return code;
            if (firstError == 0) firstError = code;
        }
    }
    if (options.currentLine != nullptr) *options.currentLine = 0;
    if (reader.failed()) {
        const int code = show(owner, "Can't find/open " + quote(path) + "!", -2);
        return firstError != 0 ? firstError : code;
    }
    if (firstError != 0) return firstError;
    if (list.count == 0) {
        platform::messageBox(owner, "No data to transfer, abort!", kCaption,
                             platform::MbOk | platform::MbIconInformation);
    }
    return list.count;
}

} // namespace

int parseDefinitionFile(DefinitionList& list, const char* path, platform::WindowHandle owner,
                        const DefinitionParseOptions& options) {
    if (path == nullptr || path[0] == '\0') return show(owner, "No configuration file!", -1);
    DefinitionFileIo& io =
        options.fileIo != nullptr ? *options.fileIo : DefinitionFileIo::standard();
    std::FILE* file = io.open(path);
    if (file == nullptr) return show(owner, "Can't find/open " + quote(path) + "!", -2);
    TextModeReader reader(io, file);
    const int result = parseLines(list, reader, path, owner, options);
    io.close(file);
    return result;
}

int parseDefinitionText(DefinitionList& list, const char* data, std::size_t size,
                        platform::WindowHandle owner, const DefinitionParseOptions& options) {
    TextModeReader reader(data, size);
    return parseLines(list, reader, "", owner, options);
}

} // namespace gb
