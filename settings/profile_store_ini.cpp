// The INI backend: lookups by name and by index, section enumeration, and the writer, which
// appends a new section in place or rewrites the whole file through its ".bak" copy.
//
// Files are read and written in binary on every build. Lines split as the Windows runtime's text
// mode splits them, but NUL and Ctrl-Z are ordinary bytes (unless the store is told to end the
// text at a Ctrl-Z, as the definition loader does), and a rewrite copies every line it does not
// change byte for byte, line end included. A UTF-8 byte-order mark at the start of the
// file is skipped when reading and kept when rewriting. New lines end in the platform's line end.

#include "platform/runtime.h"
#include "settings/ini_file_io.h"
#include "settings/profile_store.h"

#include <cstring>
#include <string>
#include <vector>

namespace gb {

namespace {

constexpr int kLineCapacity = 32000;
constexpr int kHeaderLineCapacity = 1024;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kByteOrderMarkSize = 3;
constexpr char kTextEnd = '\x1A';

struct Entry {
    const char* name;
    int nameLength;
    const char* value;
    int valueLength;
};

// Key: up to the first "=" or control character, blanks included. Value: after the first "=",
// without the blanks around it, up to the line end.
Entry parseEntry(const char* line) {
    Entry entry{line, 0, "", 0};
    while (line[entry.nameLength] != '=' &&
           static_cast<unsigned char>(line[entry.nameLength]) >= 32)
        ++entry.nameLength;
    const char* equals = std::strchr(line, '=');
    if (equals == nullptr) return entry;
    const char* value = equals + 1;
    while (*value == ' ' || *value == '\t')
        ++value;
    const char* end = value;
    while (*end != '\0' && *end != '\r' && *end != '\n')
        ++end;
    while (end > value && (end[-1] == ' ' || end[-1] == '\t'))
        --end;
    entry.value = value;
    entry.valueLength = static_cast<int>(end - value);
    return entry;
}

// The exact header "[name]": same bytes, same case, "]" right after the name.
bool isHeaderOf(const char* line, const char* name) {
    const std::size_t length = std::strlen(name);
    return line[0] == '[' && std::memchr(name, ']', length) == nullptr &&
           std::strncmp(line + 1, name, length) == 0 && line[1 + length] == ']';
}

int copyOut(char* buffer, int capacity, const char* text, int length) {
    const int count = length < capacity ? length : capacity;
    std::memcpy(buffer, text, static_cast<std::size_t>(count));
    buffer[count] = '\0';
    return count;
}

// The line end a line was read with: CR LF, LF, or none (the last line, or a piece of a longer
// line).
const char* lineEndOf(const char* line, std::size_t length) {
    if (length >= 2 && line[length - 2] == '\r' && line[length - 1] == '\n') return "\r\n";
    if (length >= 1 && line[length - 1] == '\n') return "\n";
    return nullptr;
}

// A key the file cannot hold: the reader's key name would end early at a control character or
// "=", or the line would read as a header or a comment, so it could never be found again.
bool unfitKey(const char* key) {
    if (key[0] == '[' || key[0] == '#' || key[0] == ';') return true;
    for (const char* p = key; *p != '\0'; ++p)
        if (*p == '=' || static_cast<unsigned char>(*p) < 32) return true;
    return false;
}

// Owns one open stream of the store's file operations and closes it on every path.
class OpenFile {
public:
    OpenFile(IniFileIo& io, std::FILE* file) : io_(io), file_(file) {}
    ~OpenFile() { close(); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    std::FILE* get() const { return file_; }
    bool close() {
        if (file_ == nullptr) return true;
        std::FILE* file = file_;
        file_ = nullptr;
        return io_.close(file);
    }

private:
    IniFileIo& io_;
    std::FILE* file_;
};

// The lines of an open file, as the file seam reads them, with a byte-order mark at the start of
// the file set apart from the first line. With `stopAtTextEnd`, a Ctrl-Z ends the text: the line
// holding it ends before it, and no line follows.
class LineReader {
public:
    LineReader(IniFileIo& io, std::FILE* file, int capacity, bool stopAtTextEnd = false)
        : io_(io), file_(file), capacity_(capacity),
          buffer_(static_cast<std::size_t>(capacity) + 1), stopAtTextEnd_(stopAtTextEnd) {}

    // 1 with the next line in text() and size(), 0 at the end, -1 on a read error.
    int next() {
        if (textEndSeen_) return 0;
        const int got = io_.readLine(file_, buffer_.data(), capacity_);
        if (got <= 0) return got;
        text_ = buffer_.data();
        size_ = static_cast<std::size_t>(got);
        byteOrderMark_ = first_ && size_ >= kByteOrderMarkSize &&
                         std::memcmp(text_, kByteOrderMark, kByteOrderMarkSize) == 0;
        first_ = false;
        if (byteOrderMark_) {
            text_ += kByteOrderMarkSize;
            size_ -= kByteOrderMarkSize;
        }
        if (stopAtTextEnd_) {
            if (const void* end = std::memchr(text_, kTextEnd, size_)) {
                textEndSeen_ = true;
                size_ = static_cast<std::size_t>(static_cast<const char*>(end) - text_);
                buffer_[static_cast<std::size_t>(text_ - buffer_.data()) + size_] = '\0';
                if (size_ == 0) return 0;
            }
        }
        return 1;
    }
    // Reading stopped at a Ctrl-Z.
    bool textEndSeen() const { return textEndSeen_; }
    // The line's bytes with their line end, zero-terminated; parsing stops at a NUL in them.
    const char* text() const { return text_; }
    std::size_t size() const { return size_; }
    // The file starts with a byte-order mark, and this is its first line.
    bool byteOrderMark() const { return byteOrderMark_; }

private:
    IniFileIo& io_;
    std::FILE* file_;
    int capacity_;
    std::vector<char> buffer_;
    bool stopAtTextEnd_;
    bool textEndSeen_ = false;
    const char* text_ = "";
    std::size_t size_ = 0;
    bool first_ = true;
    bool byteOrderMark_ = false;
};

} // namespace

// By name when `pattern` is null: the value goes to `buffer`. By index otherwise: the index-th
// entry whose key matches the pattern; its key goes to `buffer` and its value to valueBuffer.
int ProfileStore::iniLookup(const char* sectionName, const char* key, const char* pattern,
                            int index, char* buffer, int capacity) {
    lastError = Ok;
    sectionLine = 0;
    keyLine = 0;
    textEndSeen_ = false;
    if (!iniMode()) {
        lastError = NoIniFile;
        return 0;
    }
    OpenFile file(*fileIo, fileIo->open(iniPath, "rb"));
    if (file.get() == nullptr) {
        lastError = CannotRead;
        return 0;
    }
    LineReader lines(*fileIo, file.get(), kLineCapacity, ctrlZEndsText_);
    const char* wanted = sectionOr(sectionName);
    int got;
    while ((got = lines.next()) == 1) {
        ++sectionLine;
        if (isHeaderOf(lines.text(), wanted)) break;
    }
    if (got != 1) {
        // A read error is reported as unreadable, not as a missing section that a write would
        // then append a second time.
        keyLine = sectionLine;
        textEndSeen_ = lines.textEndSeen();
        lastError = got < 0 ? CannotRead : SectionNotFound;
        return 0;
    }
    keyLine = sectionLine;
    const char* name = pattern != nullptr ? pattern : key;
    if (name == nullptr || name[0] == '\0') {
        lastError = KeyNotFound;
        return 0;
    }
    const int keyLength = static_cast<int>(std::strlen(name));
    int matches = 0;
    while ((got = lines.next()) == 1) {
        ++keyLine;
        const char* line = lines.text();
        if (line[0] == '[') break;
        if (line[0] == '#' || line[0] == ';') continue;
        const Entry entry = parseEntry(line);
        if (pattern == nullptr) {
            if (entry.nameLength == keyLength &&
                std::memcmp(entry.name, key, static_cast<std::size_t>(keyLength)) == 0)
                return copyOut(buffer, capacity, entry.value, entry.valueLength);
            continue;
        }
        if (MatchPattern(entry.name, entry.nameLength, pattern, true) < 0 || matches++ != index)
            continue;
        if (capacity == 0) return 0;
        const int nameCount = copyOut(buffer, capacity, entry.name, entry.nameLength);
        valueBuffer[0] = '\0';
        const int valueCount = copyOut(valueBuffer, ValueCapacity, entry.value, entry.valueLength);
        return valueCount > 0 ? valueCount : nameCount;
    }
    lastError = got < 0 ? CannotRead : KeyNotFound;
    return 0;
}

bool ProfileStore::iniWrite(const char* sectionName, const char* key, const char* value) {
    lastError = Ok;
    if (!iniMode()) {
        lastError = NoIniFile;
        return false;
    }
    if (writable != 1) {
        lastError = NotWritable;
        return false;
    }
    // What the file cannot hold is refused rather than reported stored: a key or section that
    // could never be found again (every later write would add another line), and a value whose
    // line end would split its line.
    if (key == nullptr || key[0] == '\0' || unfitKey(key)) {
        lastError = KeyNotFound;
        return false;
    }
    const char* header = sectionOr(sectionName);
    if (std::strpbrk(header, "\r\n]") != nullptr) {
        lastError = SectionNotFound;
        return false;
    }
    if (std::strpbrk(value, "\r\n") != nullptr) {
        lastError = CannotWrite;
        return false;
    }
    std::vector<char> stored(ValueCapacity + 1);
    const int length = iniLookup(sectionName, key, nullptr, 0, stored.data(), ValueCapacity);
    if (lastError == Ok) {
        if (static_cast<std::size_t>(length) == std::strlen(value) &&
            std::memcmp(stored.data(), value, static_cast<std::size_t>(length)) == 0)
            return true;
        return iniRewrite(key, value, Rewrite::Replace, keyLine);
    }
    // Appended, the section would lie behind the Ctrl-Z, where the reader never looks.
    if (lastError == SectionNotFound && textEndSeen_)
        return iniRewrite(key, value, Rewrite::SectionBeforeTextEnd, 0, header);
    if (lastError == SectionNotFound || !IniFileExists())
        return iniAppendSection(sectionName, key, value);
    if (lastError == KeyNotFound) return iniRewrite(key, value, Rewrite::Insert, sectionLine + 1);
    // The file exists but cannot be read: nothing can be stored, and the caller must know.
    lastError = CannotRead;
    return false;
}

// Appends "[section]" and the entry; on any failure the file is cut back to what it held.
bool ProfileStore::iniAppendSection(const char* sectionName, const char* key, const char* value) {
    lastError = Ok;
    const bool hadLines = sectionLine > 0;
    const std::int64_t oldSize = fileIo->size(iniPath);
    OpenFile file(*fileIo, fileIo->open(iniPath, "ab"));
    if (file.get() == nullptr) {
        lastError = CannotWrite;
        return false;
    }
    const std::string lineEnd = platform::textLineEnd();
    const std::string header = std::string("[") + sectionOr(sectionName) + "]" + lineEnd;
    const std::string entry = std::string(key) + "=" + value + lineEnd;
    bool written = !hadLines || fileIo->write(file.get(), lineEnd.data(), lineEnd.size());
    written = written && fileIo->write(file.get(), header.data(), header.size());
    written = written && fileIo->write(file.get(), entry.data(), entry.size());
    const bool closed = file.close();
    if (written && closed) return true;
    if (oldSize < 0)
        fileIo->remove(iniPath);
    else
        fileIo->truncate(iniPath, oldSize);
    lastError = CannotWrite;
    return false;
}

// Copies the file through "<name cut at its last dot>.bak", changing only the target line. Every
// write and the close of the new file are checked: on a failure the backup goes back under the
// file's own name, so the file never ends up with less than it had.
bool ProfileStore::iniRewrite(const char* key, const char* value, Rewrite mode, std::uint32_t line,
                              const char* sectionName) {
    lastError = Ok;
    std::string backup = iniPath;
    const std::size_t dot = backup.rfind('.');
    if (dot != std::string::npos) backup.resize(dot);
    backup += ".bak";

    fileIo->remove(backup.c_str());
    if (!fileIo->rename(iniPath, backup.c_str())) {
        lastError = CannotRename;
        return false;
    }
    auto restore = [&](std::int32_t code) {
        fileIo->remove(iniPath);
        fileIo->rename(backup.c_str(), iniPath);
        lastError = code;
        return false;
    };
    OpenFile in(*fileIo, fileIo->open(backup.c_str(), "rb"));
    if (in.get() == nullptr) return restore(CannotReadBackup);
    OpenFile out(*fileIo, fileIo->open(iniPath, "wb"));
    if (out.get() == nullptr) {
        in.close();
        return restore(CannotWrite);
    }

    const char* newLineEnd = platform::textLineEnd();
    const bool withEntry = mode == Rewrite::Insert || mode == Rewrite::Replace ||
                           mode == Rewrite::SectionBeforeTextEnd;
    const std::string entry = withEntry ? std::string(key) + "=" + value : std::string();

    auto put = [&](const char* text, std::size_t length) {
        return fileIo->write(out.get(), text, length);
    };
    auto putText = [&](const char* text) { return put(text, std::strlen(text)); };
    // What an append writes: a line end when the file has lines, the header, the entry.
    auto putSection = [&](bool hadLines) {
        const std::string header = std::string("[") + sectionName + "]";
        return (!hadLines || putText(newLineEnd)) && put(header.data(), header.size()) &&
               putText(newLineEnd) && put(entry.data(), entry.size()) && putText(newLineEnd);
    };
    bool sectionPut = false;
    LineReader lines(*fileIo, in.get(), kLineCapacity);
    std::uint32_t number = 0;
    bool ok = true;
    bool skipping = false;
    bool lastHadEnd = true;
    int got = 0;
    while (ok && (got = lines.next()) == 1) {
        ++number;
        const char* text = lines.text();
        const std::size_t length = lines.size();
        const char* lineEnd = lineEndOf(text, length);
        lastHadEnd = lineEnd != nullptr;
        // The mark stays at the start of the file whatever becomes of the first line.
        if (lines.byteOrderMark()) ok = put(kByteOrderMark, kByteOrderMarkSize);
        if (mode == Rewrite::SectionBeforeTextEnd && !sectionPut) {
            if (const void* mark = std::memchr(text, kTextEnd, length)) {
                // The text before the Ctrl-Z, the section, then the Ctrl-Z and all after it.
                const std::size_t before =
                    static_cast<std::size_t>(static_cast<const char*>(mark) - text);
                ok = ok && put(text, before) && putSection(before > 0 || number > 1) &&
                     put(text + before, length - before);
                sectionPut = true;
                continue;
            }
        }
        if (skipping && text[0] != '[') continue;
        skipping = false;
        if (number != line) {
            ok = ok && put(text, length);
            continue;
        }
        switch (mode) {
        case Rewrite::Insert:
            ok = ok && put(entry.data(), entry.size()) && putText(newLineEnd) && put(text, length);
            break;
        case Rewrite::Replace: {
            // The replaced line keeps its own line end; where a Ctrl-Z ends the text on it, the
            // Ctrl-Z and the rest of the line stay behind the new entry.
            const void* mark = ctrlZEndsText_ ? std::memchr(text, kTextEnd, length) : nullptr;
            const std::size_t at =
                mark != nullptr ? static_cast<std::size_t>(static_cast<const char*>(mark) - text)
                                : length;
            ok = ok && put(entry.data(), entry.size()) &&
                 (mark != nullptr ? put(text + at, length - at)
                                  : putText(lineEnd != nullptr ? lineEnd : newLineEnd));
            break;
        }
        case Rewrite::DeleteKey:
            break;
        case Rewrite::DeleteSection:
            skipping = true;
            break;
        case Rewrite::SectionBeforeTextEnd:
            break;
        }
    }
    if (ok && got < 0) ok = false;
    // The Ctrl-Z has gone since the lookup: the section goes at the end, as an append puts it.
    if (ok && mode == Rewrite::SectionBeforeTextEnd && !sectionPut) ok = putSection(number > 0);
    if (ok && mode == Rewrite::Insert && line == number + 1)
        ok = (lastHadEnd || putText(newLineEnd)) && put(entry.data(), entry.size()) &&
             putText(newLineEnd);
    in.close();
    const bool closed = out.close();
    if (!ok || !closed) return restore(CannotWrite);
    if (deleteBackup == 1) fileIo->remove(backup.c_str());
    return true;
}

bool ProfileStore::iniDeleteKey(const char* sectionName, const char* key) {
    if (writable != 1) {
        lastError = NotWritable;
        return false;
    }
    std::vector<char> stored(ValueCapacity + 1);
    iniLookup(sectionName, key, nullptr, 0, stored.data(), ValueCapacity);
    if (lastError != Ok) return false;
    return iniRewrite(key, "", Rewrite::DeleteKey, keyLine);
}

// Located with an index lookup for any entry, so a header with no line at all below it is
// reported as -3 and stays.
bool ProfileStore::iniDeleteSection(const char* sectionName) {
    if (writable != 1) {
        lastError = NotWritable;
        return false;
    }
    char unused[1];
    iniLookup(sectionName, nullptr, "*", 0, unused, 0);
    if (lastError != Ok) return false;
    return iniRewrite(nullptr, "", Rewrite::DeleteSection, sectionLine);
}

int ProfileStore::iniEnumSections(int index, const char* pattern, char* buffer, int capacity) {
    OpenFile file(*fileIo, fileIo->open(iniPath, "rb"));
    if (file.get() == nullptr) {
        lastError = CannotRead;
        return 0;
    }
    LineReader lines(*fileIo, file.get(), kHeaderLineCapacity);
    int matches = 0;
    int got;
    while ((got = lines.next()) == 1) {
        const char* line = lines.text();
        if (line[0] != '[') continue;
        const char* close = std::strchr(line + 1, ']');
        if (close == nullptr) continue;
        const int length = static_cast<int>(close - line - 1);
        if (MatchPattern(line + 1, length, pattern, true) < 0 || matches++ != index) continue;
        return copyOut(buffer, capacity, line + 1, length);
    }
    lastError = got < 0 ? CannotRead : SectionNotFound;
    return 0;
}

} // namespace gb
