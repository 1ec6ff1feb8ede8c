// Runs the INI store over arbitrary file bytes: lookups and enumeration, then one write, key delete
// or section delete on names taken from the file itself or made up. A write that fails leaves
// the old bytes; one that succeeds changes only what it must (every other line byte-identical),
// reads back what it wrote, and changes nothing when repeated.
//
// Input: four control bytes, then the file.

#include "platform/runtime.h"
#include "settings/profile_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using gb::ProfileStore;
using Lines = std::vector<std::string>;

const std::string kMark = "\xEF\xBB\xBF";

void check(bool condition) {
    if (!condition) __builtin_trap();
}

const std::string& iniPath() {
    static const std::string path = [] {
        const auto folder = std::filesystem::temp_directory_path() /
                            ("gb-ini-fuzz-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder);
        return (folder / "fuzz.ini").string();
    }();
    return path;
}

std::string readAll() {
    std::ifstream in(iniPath(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Lines as the store splits them (the input is far shorter than its 32000-byte pieces), each
// with its line end; a byte-order mark is set apart.
Lines split(std::string bytes, bool* mark) {
    *mark = bytes.compare(0, kMark.size(), kMark) == 0;
    if (*mark) bytes.erase(0, kMark.size());
    Lines lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
        lines.push_back(bytes.substr(start, next - start));
        start = next;
    }
    return lines;
}

std::string lineEndOf(const std::string& line) {
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) return "\r\n";
    if (!line.empty() && line.back() == '\n') return "\n";
    return "";
}

std::string keyOf(const std::string& line) {
    std::size_t n = 0;
    while (n < line.size() && line[n] != '=' && static_cast<unsigned char>(line[n]) >= 32)
        ++n;
    return line.substr(0, n);
}

bool isHeaderOf(const std::string& line, const std::string& section) {
    return line.size() > section.size() + 1 && line[0] == '[' &&
           line.compare(1, section.size(), section) == 0 && line[section.size() + 1] == ']';
}

// The lines the change touched: old and new, without the common start and end.
void middles(const Lines& before, const Lines& after, Lines* gone, Lines* added) {
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    gone->assign(before.begin() + static_cast<long>(head), before.end() - static_cast<long>(tail));
    added->assign(after.begin() + static_cast<long>(head), after.end() - static_cast<long>(tail));
}

// A stored entry: a new line, a replaced line, one after a last line that had no line end, or a
// new section at the end.
void checkWrite(const std::string& old, const std::string& now, const std::string& section,
                const std::string& key, const std::string& value) {
    if (now == old) return;
    bool oldMark = false;
    bool newMark = false;
    const Lines before = split(old, &oldMark);
    const Lines after = split(now, &newMark);
    check(oldMark == newMark);
    Lines gone;
    Lines added;
    middles(before, after, &gone, &added);
    const std::string end = gb::platform::textLineEnd();
    const std::string entry = key + "=" + value;
    if (gone.empty() && added.size() == 1 && added[0] == entry + end) return;
    if (gone.size() == 1 && keyOf(gone[0]) == key && added.size() == 1) {
        const std::string kept = lineEndOf(gone[0]);
        check(added[0] == entry + (kept.empty() ? end : kept));
        return;
    }
    // What may precede the new lines at the end: the old last line, given a line end, or a blank
    // line when the old file ended with one.
    Lines lead;
    const bool lastOpen = !before.empty() && lineEndOf(before.back()).empty();
    if (lastOpen) {
        check(gone.size() == 1 && gone[0] == before.back());
        lead.push_back(before.back() + end);
    } else {
        check(gone.empty());
    }
    Lines inserted = lead;
    inserted.push_back(entry + end);
    if (lastOpen && added == inserted) return;
    Lines appended = lead;
    // The store counts a file of nothing but a byte-order mark as one line.
    if (!lastOpen && !old.empty()) appended.push_back(end);
    appended.push_back("[" + section + "]" + end);
    appended.push_back(entry + end);
    check(added == appended);
}

void checkDeleteKey(const std::string& old, const std::string& now, const std::string& key) {
    bool oldMark = false;
    bool newMark = false;
    const Lines before = split(old, &oldMark);
    const Lines after = split(now, &newMark);
    check(oldMark == newMark);
    Lines gone;
    Lines added;
    middles(before, after, &gone, &added);
    check(added.empty() && gone.size() == 1 && keyOf(gone[0]) == key);
}

// The first "[section]" header goes with every line up to the next line that begins with "[".
void checkDeleteSection(const std::string& old, const std::string& now,
                        const std::string& section) {
    bool mark = false;
    const Lines before = split(old, &mark);
    std::size_t at = 0;
    while (at < before.size() && !isHeaderOf(before[at], section))
        ++at;
    check(at + 1 < before.size());
    std::size_t next = at + 1;
    while (next < before.size() && before[next][0] != '[')
        ++next;
    std::string expected = mark ? kMark : "";
    for (std::size_t i = 0; i < before.size(); ++i)
        if (i < at || i >= next) expected += before[i];
    check(now == expected);
}

std::string pick(const std::vector<std::string>& found, std::uint8_t choice,
                 const char* const* madeUp, std::size_t madeUpCount) {
    if (!found.empty() && choice % 4 != 3) return found[choice % found.size()];
    return madeUp[(choice / 4) % madeUpCount];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 20000) return 0;
    std::uint8_t control[4] = {};
    const std::size_t head = size < 4 ? size : 4;
    std::memcpy(control, data, head);
    const std::string old(reinterpret_cast<const char*>(data) + head, size - head);
    {
        std::ofstream out(iniPath(), std::ios::binary | std::ios::trunc);
        out << old;
    }
    std::remove((iniPath().substr(0, iniPath().size() - 4) + ".bak").c_str());

    ProfileStore store(iniPath().c_str(), nullptr);
    check(store.writable == 1);

    // Names the file holds, found by enumeration; every lookup leaves the file alone.
    char name[1100];
    std::vector<std::string> sections;
    for (int i = 0; i < 16; ++i) {
        const int length = store.EnumSections(i, "*", name, 1024);
        if (store.lastError != ProfileStore::Ok) break;
        check(length >= 0 && length <= 1024 &&
              std::strlen(name) == static_cast<std::size_t>(length));
        sections.emplace_back(name, static_cast<std::size_t>(length));
    }
    static const char* const kSections[] = {"Settings", "A", "New", "a]b", "x\ny", ""};
    const std::string section = pick(sections, control[0], kSections, std::size(kSections));
    std::vector<std::string> keys;
    for (int i = 0; i < 16; ++i) {
        store.EnumKeys(i, section.c_str(), "*", name, 1024);
        if (store.lastError != ProfileStore::Ok) break;
        keys.emplace_back(name);
    }
    static const char* const kKeys[] = {"k", "Section", "a=b", "#c", "[d]", "e\r", " f", ""};
    const std::string key = pick(keys, control[1], kKeys, std::size(kKeys));
    static const char* const kValues[] = {"",     "v",    "-2147483648",  "a b",
                                          "x=y",  "[z]",  "#c",           "a\nb",
                                          "a\rb", "\x1A", "\xEF\xBB\xBF", "1,2,0b101"};
    const std::string value = kValues[control[2] % std::size(kValues)];

    std::uint8_t bytes[4];
    store.GetString(section.c_str(), key.c_str(), name, 1024, "dflt");
    store.GetInt(section.c_str(), key.c_str(), INT32_MIN);
    store.GetBool(section.c_str(), key.c_str(), true);
    store.GetBinary(section.c_str(), key.c_str(), bytes, control[3] % 5, nullptr);
    check(readAll() == old);

    switch (control[3] % 4) {
    case 0:
    case 1: {
        const bool stored = store.SetString(section.c_str(), key.c_str(), value.c_str());
        const std::string now = readAll();
        check(stored == (store.lastError == ProfileStore::Ok));
        if (!stored) {
            check(now == old);
            break;
        }
        checkWrite(old, now, section, key, value);
        check(store.GetString(section.c_str(), key.c_str(), nullptr) == value);
        check(store.SetString(section.c_str(), key.c_str(), value.c_str()));
        check(readAll() == now);
        break;
    }
    case 2: {
        const bool deleted = store.DeleteKey(section.c_str(), key.c_str());
        const std::string now = readAll();
        if (deleted)
            checkDeleteKey(old, now, key);
        else
            check(now == old);
        break;
    }
    case 3: {
        const bool deleted = store.DeleteSection(section.c_str());
        const std::string now = readAll();
        if (deleted)
            checkDeleteSection(old, now, section);
        else
            check(now == old);
        break;
    }
    }
    check(!std::filesystem::exists(iniPath().substr(0, iniPath().size() - 4) + ".bak"));
    return 0;
}
