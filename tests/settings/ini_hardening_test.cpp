// Bytes golden files never hold (NUL, Ctrl-Z, a byte-order mark, line ends inside values), files
// that cannot be read, and read-only files: a write changes the one line it means to change and
// leaves every other byte as it was, or refuses and leaves the file alone.

#include "platform/file_attributes.h"
#include "platform/runtime.h"
#include "settings/ini_file_io.h"
#include "settings/profile_store.h"
#include "settings_files.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using gb::ProfileStore;
using namespace gb::test;

namespace {

const std::string kMark = "\xEF\xBB\xBF";

class IniHardening : public ::testing::Test {
protected:
    void SetUp() override {
        path = folder.file("glowbridge.ini");
        store = std::make_unique<ProfileStore>(path.c_str(), nullptr);
    }
    void put(const std::string& text) { writeBytes(path, text); }
    std::string bytes() const { return readBytes(path); }
    std::string backup() const { return folder.file("glowbridge.bak"); }
    std::string lines() const {
        return std::to_string(store->sectionLine) + "," + std::to_string(store->keyLine);
    }

    TempFolder folder;
    std::string path;
    std::unique_ptr<ProfileStore> store;
};

TEST_F(IniHardening, NulByteStaysInItsLine) {
    const std::string before("[A]\nk=1\0junk\nm=2\n", 17);
    put(before);
    EXPECT_EQ(store->GetInt("A", "k", 9), 1);
    EXPECT_EQ(store->GetInt("A", "m", 9), 2);
    EXPECT_TRUE(store->SetInt("A", "m", 3));
    EXPECT_EQ(bytes(), std::string("[A]\nk=1\0junk\nm=3\n", 17));
    // The line with the NUL is the one replaced: all of it goes, nothing after it.
    EXPECT_TRUE(store->SetInt("A", "k", 4));
    EXPECT_EQ(bytes(), "[A]\nk=4\nm=3\n");
}

TEST_F(IniHardening, CtrlZIsAnOrdinaryByte) {
    put("[A]\nk=1\n\x1A\n[B]\nm=2\n");
    EXPECT_EQ(store->GetInt("B", "m", 9), 2);
    EXPECT_TRUE(store->SetInt("A", "k", 2));
    EXPECT_EQ(bytes(), "[A]\nk=2\n\x1A\n[B]\nm=2\n");
    // The section after the Ctrl-Z is found, not appended a second time.
    EXPECT_TRUE(store->SetInt("B", "m", 5));
    EXPECT_EQ(bytes(), "[A]\nk=2\n\x1A\n[B]\nm=5\n");
    put("[A]\nk=1\x1Atail\n");
    EXPECT_STREQ(store->GetString("A", "k", nullptr), "1\x1Atail");
}

// The definition file's writer reads as its loader does: nothing behind a Ctrl-Z counts, and a
// new section goes in front of it, so the next start reads it. The Ctrl-Z and what follows it
// stay as they were.
TEST_F(IniHardening, CtrlZEndsTheTextWhenTold) {
    const std::string n = gb::platform::textLineEnd();
    store->SetCtrlZEndsText(true);
    put("[A]\nk=1\n\x1A\n[B]\nm=2\n");
    EXPECT_EQ(store->GetInt("B", "m", 9), 9);
    EXPECT_EQ(store->lastError, ProfileStore::SectionNotFound);
    EXPECT_TRUE(store->SetInt("B", "m", 5));
    EXPECT_EQ(bytes(), "[A]\nk=1\n" + n + "[B]" + n + "m=5" + n + "\x1A\n[B]\nm=2\n");
    EXPECT_EQ(store->GetInt("B", "m", 9), 5);
    EXPECT_FALSE(fileExists(backup()));

    // The usual DOS end of file: one Ctrl-Z after the last line, or right after its text.
    put("[A]\r\nk=1\r\n\x1A");
    EXPECT_TRUE(store->SetString("C", "x", "y"));
    EXPECT_EQ(bytes(), "[A]\r\nk=1\r\n" + n + "[C]" + n + "x=y" + n + "\x1A");
    put("[A]\nk=1\x1A");
    EXPECT_TRUE(store->SetString("C", "x", "y"));
    EXPECT_EQ(bytes(), "[A]\nk=1" + n + "[C]" + n + "x=y" + n + "\x1A");
    put(kMark + "\x1A");
    EXPECT_TRUE(store->SetString("C", "x", "y"));
    EXPECT_EQ(bytes(), kMark + "[C]" + n + "x=y" + n + "\x1A");

    // A value ends at the Ctrl-Z; replacing it keeps the Ctrl-Z and the rest of its line.
    put("[A]\nk=1\x1A[B]\nm=2\n");
    EXPECT_STREQ(store->GetString("A", "k", nullptr), "1");
    EXPECT_TRUE(store->SetInt("A", "k", 7));
    EXPECT_EQ(bytes(), "[A]\nk=7\x1A[B]\nm=2\n");
    EXPECT_TRUE(store->SetString("A", "j", "3"));
    EXPECT_EQ(bytes(), "[A]\nj=3" + n + "k=7\x1A[B]\nm=2\n");

    // Told nothing, the store reads on and appends at the very end.
    store->SetCtrlZEndsText(false);
    put("[A]\nk=1\n\x1A");
    EXPECT_TRUE(store->SetString("C", "x", "y"));
    EXPECT_EQ(bytes(), "[A]\nk=1\n\x1A" + n + "[C]" + n + "x=y" + n);
}

TEST_F(IniHardening, EachLineKeepsItsOwnLineEnd) {
    const std::string lineEnd = gb::platform::textLineEnd();
    EXPECT_EQ(lineEnd, textLineEnd());
    put("[A]\r\nk=1\r\nj=1\nlone=a\rb\r\n[B]\nm=2");
    EXPECT_STREQ(store->GetString("A", "k", nullptr), "1");
    EXPECT_STREQ(store->GetString("A", "lone", nullptr), "a");
    EXPECT_TRUE(store->SetInt("A", "k", 2));
    EXPECT_TRUE(store->SetInt("A", "j", 2));
    EXPECT_EQ(bytes(), "[A]\r\nk=2\r\nj=2\nlone=a\rb\r\n[B]\nm=2");
    // A replaced last line without a line end gets one; a new line gets the platform's.
    EXPECT_TRUE(store->SetInt("B", "m", 3));
    EXPECT_TRUE(store->SetInt("A", "new", 1));
    EXPECT_EQ(bytes(), "[A]\r\nnew=1" + lineEnd + "k=2\r\nj=2\nlone=a\rb\r\n[B]\nm=3" + lineEnd);
    EXPECT_TRUE(store->DeleteKey("A", "j"));
    EXPECT_TRUE(store->SetString("C", "c", "x"));
    EXPECT_EQ(bytes(), "[A]\r\nnew=1" + lineEnd + "k=2\r\nlone=a\rb\r\n[B]\nm=3" + lineEnd +
                           lineEnd + "[C]" + lineEnd + "c=x" + lineEnd);
    EXPECT_FALSE(fileExists(backup()));
}

TEST_F(IniHardening, ByteOrderMarkIsSkippedAndKept) {
    put(kMark + "[Settings]\nSection=Flight\n[Flight]\nF4ReadTimer=50\n");
    EXPECT_STREQ(store->GetString("Settings", "Section", nullptr), "Flight");
    EXPECT_EQ(store->sectionLine, 1u);
    char name[64];
    EXPECT_EQ(store->EnumSections(0, "*", name, 63), 8);
    EXPECT_STREQ(name, "Settings");
    // Found in place: no second [Settings] at the end.
    EXPECT_TRUE(store->SetString("Settings", "Section", "Ground"));
    EXPECT_TRUE(store->SetString("Settings", "ConfigFile", "cockpit.dat"));
    const std::string lineEnd = textLineEnd();
    EXPECT_EQ(bytes(), kMark + "[Settings]\nConfigFile=cockpit.dat" + lineEnd +
                           "Section=Ground\n[Flight]\nF4ReadTimer=50\n");
    // The mark stays at the start when the first line itself goes.
    EXPECT_TRUE(store->DeleteSection("Settings"));
    EXPECT_EQ(bytes(), kMark + "[Flight]\nF4ReadTimer=50\n");
    EXPECT_EQ(store->GetInt("Flight", "F4ReadTimer", 0), 50);
    // Only a mark at the very start is one.
    put("[A]\n" + kMark + "[B]\nk=1\n");
    EXPECT_EQ(store->GetInt("B", "k", 9), 9);
    EXPECT_EQ(store->lastError, ProfileStore::SectionNotFound);
}

TEST_F(IniHardening, RefusesTextTheFileCannotHold) {
    const std::string before = "[A]\nk=v\n";
    put(before);
    for (const char* value : {"a\nb", "a\rb", "ab\r\n", "\n"}) {
        EXPECT_FALSE(store->SetString("A", "k", value)) << value;
        EXPECT_EQ(store->lastError, ProfileStore::CannotWrite) << value;
        EXPECT_FALSE(store->SetString("A", "new", value)) << value;
        EXPECT_FALSE(store->SetString("New", "k", value)) << value;
        EXPECT_EQ(store->lastError, ProfileStore::CannotWrite) << value;
    }
    for (const char* key : {"k\n", "k\r", "\nk", "k=v", "=", "k\tx", "[B]", "#k", ";k"}) {
        EXPECT_FALSE(store->SetString("A", key, "v")) << key;
        EXPECT_EQ(store->lastError, ProfileStore::KeyNotFound) << key;
        EXPECT_FALSE(store->SetInt("New", key, 1)) << key;
    }
    for (const char* section : {"A\nB", "A\r", "A]", "]", "x]y"}) {
        EXPECT_FALSE(store->SetString(section, "k", "v")) << section;
        EXPECT_EQ(store->lastError, ProfileStore::SectionNotFound) << section;
    }
    ASSERT_TRUE(store->SetSection("Cur]rent"));
    EXPECT_FALSE(store->SetInt(nullptr, "k", 1));
    EXPECT_EQ(store->lastError, ProfileStore::SectionNotFound);
    EXPECT_EQ(bytes(), before);
    EXPECT_FALSE(fileExists(backup()));

    // Blanks and tabs inside, and a blank before a key, are text the file holds.
    EXPECT_TRUE(store->SetString("A", "k", "a b\tc"));
    EXPECT_TRUE(store->SetString("A", " k", "x"));
    EXPECT_TRUE(store->SetString("A", "k", "a b\tc"));
    EXPECT_STREQ(store->GetString("A", "k", nullptr), "a b\tc");
    EXPECT_EQ(bytes(), "[A]\n k=x" + textLineEnd() + "k=a b\tc\n");
    // Missing files are not created for refused text either.
    const std::string fresh = folder.file("fresh.ini");
    ProfileStore created(fresh.c_str(), nullptr);
    EXPECT_FALSE(created.SetString(nullptr, "k", "a\nb"));
    EXPECT_FALSE(fileExists(fresh));
}

TEST_F(IniHardening, DeletesOnAReadOnlyFileAreRefused) {
    const std::string before = "[A]\nk=1\nj=2\n[B]\nm=3\n";
    put(before);
    ASSERT_TRUE(gb::platform::setFileReadOnly(path.c_str(), true));
    ProfileStore readOnly(path.c_str(), nullptr);
    ASSERT_EQ(readOnly.writable, 0);
    EXPECT_FALSE(readOnly.DeleteKey("A", "k"));
    EXPECT_EQ(readOnly.lastError, ProfileStore::NotWritable);
    EXPECT_FALSE(readOnly.DeleteSection("B"));
    EXPECT_EQ(readOnly.lastError, ProfileStore::NotWritable);
    EXPECT_TRUE(gb::platform::fileAttributes(path.c_str()).readOnly);
    EXPECT_FALSE(fileExists(backup()));
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(readOnly.GetInt("A", "k", 0), 1);

    // Writable again, the next rewrite goes through (a read-only ".bak" used to block it).
    ASSERT_TRUE(gb::platform::setFileReadOnly(path.c_str(), false));
    ProfileStore writable(path.c_str(), nullptr);
    EXPECT_TRUE(writable.DeleteKey("A", "k"));
    EXPECT_TRUE(writable.SetInt("A", "j", 5));
    EXPECT_EQ(bytes(), "[A]\nj=5\n[B]\nm=3\n");
    EXPECT_FALSE(fileExists(backup()));
}

TEST_F(IniHardening, GetBinaryLooksUpEvenWithNoRoom) {
    put("[A]\nk=00\n");
    EXPECT_EQ(store->GetInt("A", "k", 9), 0);
    EXPECT_EQ(lines(), "1,2");
    std::uint8_t buffer[2] = {7, 7};
    EXPECT_EQ(store->GetBinary("B", "k", buffer, 0, nullptr), 0);
    EXPECT_EQ(store->lastError, ProfileStore::SectionNotFound);
    EXPECT_EQ(lines(), "2,2");
    EXPECT_EQ(store->GetBinary("A", "missing", nullptr, 0, nullptr), 0);
    EXPECT_EQ(store->lastError, ProfileStore::KeyNotFound);
    EXPECT_EQ(store->GetBinary("A", "k", buffer, 0, buffer), 0);
    EXPECT_EQ(store->lastError, ProfileStore::Ok);
    EXPECT_EQ(lines(), "1,2");
    EXPECT_EQ(buffer[0], 7);
    EXPECT_EQ(store->GetBinary("A", "k", buffer, 2, nullptr), 1);
    EXPECT_EQ(buffer[0], 0);
}

// Every operation on a file that cannot be read says so with -6: nothing passes as a missing
// section or key, and no write appends to what it could not read.
class FailingReads : public gb::IniFileIo {
public:
    bool failOpen = false;
    int failReadAt = -1; // 0-based read call that fails
    std::FILE* open(const char* path, const char* mode) override {
        if (failOpen && mode[0] == 'r') return nullptr;
        return IniFileIo::open(path, mode);
    }
    int readLine(std::FILE* file, char* buffer, int capacity) override {
        if (reads_++ == failReadAt) return -1;
        return IniFileIo::readLine(file, buffer, capacity);
    }
    void reset() { reads_ = 0; }

private:
    int reads_ = 0;
};

void expectReadFailureEverywhere(
    ProfileStore& store, const std::string& where,
    const std::function<void()>& beforeEach = [] {}) {
    char text[64];
    std::uint8_t data[4];
    const auto check = [&](const char* what) {
        EXPECT_EQ(store.lastError, ProfileStore::CannotRead) << where << ": " << what;
    };
    beforeEach();
    EXPECT_STREQ(store.GetString("A", "k", "dflt"), "dflt");
    check("GetString");
    beforeEach();
    EXPECT_EQ(store.GetInt("B", "m", 9), 9);
    check("GetInt");
    beforeEach();
    EXPECT_EQ(store.GetBinary("A", "k", data, 4, nullptr), 0);
    check("GetBinary");
    beforeEach();
    EXPECT_EQ(store.EnumSections(1, "*", text, 63), 0);
    check("EnumSections");
    beforeEach();
    EXPECT_EQ(store.EnumKeys(0, "A", "*", text, 63), 0);
    check("EnumKeys");
    beforeEach();
    EXPECT_FALSE(store.SetString("B", "m", "new"));
    check("SetString");
    beforeEach();
    EXPECT_FALSE(store.SetString("Missing", "k", "new"));
    check("SetString, new section");
    beforeEach();
    EXPECT_FALSE(store.DeleteKey("A", "k"));
    check("DeleteKey");
    beforeEach();
    EXPECT_FALSE(store.DeleteSection("A"));
    check("DeleteSection");
}

TEST_F(IniHardening, UnreadableFileIsNeverTakenForAnEmptyOne) {
    const std::string before = "[A]\nk=1\n[B]\nm=2\n";
    put(before);
    FailingReads io;
    store->SetFileIo(&io);
    io.failOpen = true;
    expectReadFailureEverywhere(*store, "open fails");
    io.failOpen = false;
    for (int at : {0, 1}) {
        io.failReadAt = at;
        expectReadFailureEverywhere(*store, "read " + std::to_string(at) + " fails",
                                    [&] { io.reset(); });
    }
    EXPECT_EQ(bytes(), before);
    EXPECT_FALSE(fileExists(backup()));

    // A folder where the file should be.
    const std::string folderPath = folder.file("folder.ini");
    std::filesystem::create_directory(folderPath);
    ProfileStore onFolder(folderPath.c_str(), nullptr);
    expectReadFailureEverywhere(onFolder, "folder");
    EXPECT_TRUE(std::filesystem::is_directory(folderPath));
    EXPECT_TRUE(std::filesystem::is_empty(folderPath));
}

} // namespace
