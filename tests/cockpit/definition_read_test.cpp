// A definition file that opens but cannot be read (a folder natively, a file without read
// permission, an I/O error part way through) is reported as one that cannot be opened: never as
// an empty file ("No data to transfer, abort!", 0), never as a shorter one.

#include "cockpit/definition_file.h"

#include "cockpit/element_catalog.h"
#include "support/scripted_message_boxes.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace gb {
namespace {

namespace fs = std::filesystem;

const char kGood[] = "[Eyebrow Lights]\nMasterCaution=5\n";

void write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string openMessage(const std::string& path) {
    return "Can't find/open \"" + path + "\"!";
}

// The single box a file that cannot be read gets, and its result.
void expectUnreadable(const std::string& path, const DefinitionParseOptions& options = {}) {
    SCOPED_TRACE(path);
    test::ScriptedMessageBoxes boxes;
    DefinitionList list;
    clearSeen();
    EXPECT_EQ(parseDefinitionFile(list, path.c_str(), nullptr, options), -2);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, openMessage(path));
    EXPECT_EQ(boxes.shown()[0].caption, "Definitionfile error");
    EXPECT_EQ(boxes.shown()[0].style, platform::MbOk);
    EXPECT_EQ(list.count, 0);
}

TEST(DefinitionFileRead, FolderIsAFileThatCannotBeOpened) {
    test::TempFolder folder("gb-defread");
    const std::string path = folder.file("Glowbridge.ini");
    ASSERT_TRUE(fs::create_directory(path));
    expectUnreadable(path);
    DefinitionParseOptions everyFault;
    everyFault.continueAfterError = true;
    expectUnreadable(path, everyFault);
}

TEST(DefinitionFileRead, FileWithoutReadPermissionCannotBeOpened) {
    test::TempFolder folder("gb-defread");
    const std::string path = folder.file("Glowbridge.ini");
    write(path, kGood);
    fs::permissions(path, fs::perms::none);
    // An administrator (root natively; everyone under Wine, which maps no permissions) reads it
    // anyway: then there is no failure to see.
    if (std::ifstream(path, std::ios::binary).get() != std::char_traits<char>::eof()) {
        fs::permissions(path, fs::perms::owner_all);
        GTEST_SKIP() << "the file stays readable for this user";
    }
    expectUnreadable(path);
    fs::permissions(path, fs::perms::owner_all);
}

// Hands the file on in reads of at most `chunk` bytes and fails the read numbered `failAt`
// (0-based).
class FailingReads : public DefinitionFileIo {
public:
    FailingReads(int chunk, int failAt) : chunk_(chunk), failAt_(failAt) {}
    int read(std::FILE* file, char* buffer, int capacity) override {
        if (reads_++ == failAt_) return -1;
        return DefinitionFileIo::read(file, buffer, capacity < chunk_ ? capacity : chunk_);
    }

private:
    int chunk_;
    int failAt_;
    int reads_ = 0;
};

TEST(DefinitionFileRead, ReadErrorIsNeverTheEndOfTheFile) {
    test::TempFolder folder("gb-defread");
    const std::string path = folder.file("Glowbridge.ini");
    write(path, "[Eyebrow Lights]\nMasterCaution=5\nTFFail=3,1,0b1\n[Primary Data]\nKIAS=10,2\n");

    {
        FailingReads io(4096, 0); // before the first byte
        DefinitionParseOptions options;
        options.fileIo = &io;
        expectUnreadable(path, options);
    }

    // Three reads of 15 bytes end in "TFFail=3,1,0", which would pass for a whole PH flag line;
    // the fourth read fails.
    FailingReads io(15, 3);
    DefinitionParseOptions options;
    options.fileIo = &io;
    test::ScriptedMessageBoxes boxes;
    DefinitionList list;
    clearSeen();
    EXPECT_EQ(parseDefinitionFile(list, path.c_str(), nullptr, options), -2);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, openMessage(path));
    // What was read before the failure stays, as before a faulty line; the program ends anyway.
    ASSERT_EQ(list.count, 1);
    EXPECT_STREQ(list.items[0]->elementName, "MasterCaution");
    EXPECT_EQ(list.phHigh, -1);
    EXPECT_EQ(ElementCatalog[0].seen, 1);
    EXPECT_EQ(ElementCatalog[1].seen, 0);

    // Going on past faulty lines still stops at a read error; the first fault keeps its code.
    write(path, "[Eyebrow Lights]\nNoSuch=1\nMasterCaution=5\nTFFail=3,1,0b1\n");
    FailingReads late(26, 1);
    options.fileIo = &late;
    options.continueAfterError = true;
    boxes.clear();
    DefinitionList all;
    EXPECT_EQ(parseDefinitionFile(all, path.c_str(), nullptr, options), -3);
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[1].text, openMessage(path));
    EXPECT_EQ(all.count, 0);
}

TEST(DefinitionFileRead, ReadsInSmallPiecesLikeOneBlock) {
    test::TempFolder folder("gb-defread");
    const std::string path = folder.file("Glowbridge.ini");
    write(path,
          "\xEF\xBB\xBF[Eyebrow Lights]\r\nMasterCaution=5\r\nTFFail=3,1,0b1\r\n\x1AKIAS=1\n");
    for (const int chunk : {1, 2, 3, 4096}) {
        SCOPED_TRACE(chunk);
        FailingReads io(chunk, -1);
        DefinitionParseOptions options;
        options.fileIo = &io;
        bool mark = false;
        options.byteOrderMark = &mark;
        test::ScriptedMessageBoxes boxes;
        DefinitionList list;
        EXPECT_EQ(parseDefinitionFile(list, path.c_str(), nullptr, options), 2);
        EXPECT_TRUE(mark);
        EXPECT_TRUE(boxes.shown().empty());
    }
}

} // namespace
} // namespace gb
