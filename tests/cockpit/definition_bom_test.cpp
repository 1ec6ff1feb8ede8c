// A definition file saved by an editor that starts it with a UTF-8 byte-order mark: the header on
// the first line is still a header, from a file and from memory alike.

#include "cockpit/definition_file.h"

#include "cockpit/element_catalog.h"
#include "support/scripted_message_boxes.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <string>

namespace gb {
namespace {

const std::string kMark = "\xEF\xBB\xBF";

int parseText(DefinitionList& list, const std::string& text, bool* mark) {
    clearSeen();
    DefinitionParseOptions options;
    options.byteOrderMark = mark;
    return parseDefinitionText(list, text.data(), text.size(), nullptr, options);
}

TEST(DefinitionFileByteOrderMark, FirstSectionIsRead) {
    test::ScriptedMessageBoxes boxes;
    DefinitionList list;
    bool mark = false;
    ASSERT_EQ(parseText(list, kMark + "[Eyebrow Lights]\nMasterCaution=5\n", &mark), 1);
    EXPECT_TRUE(mark);
    EXPECT_EQ(list.items[0]->qpOn, 5);
    EXPECT_TRUE(boxes.shown().empty());

    const std::string path = test::dataPath("definitions/bom.ini");
    DefinitionList fromFile;
    DefinitionParseOptions options;
    options.byteOrderMark = &mark;
    mark = false;
    clearSeen();
    EXPECT_EQ(parseDefinitionFile(fromFile, path.c_str(), nullptr, options), 2);
    EXPECT_TRUE(mark);
    EXPECT_STREQ(fromFile.items[0]->elementName, "MasterCaution");
}

TEST(DefinitionFileByteOrderMark, OnlyAWholeMarkAtTheStartIsSkipped) {
    test::ScriptedMessageBoxes boxes;
    bool mark = true;
    // Without a mark nothing is lost, also for files shorter than one.
    for (const std::string& text : {std::string("[Eyebrow Lights]\nMasterCaution=5\n"),
                                    std::string("\xEF\xBB"), std::string("\xEF"), std::string()}) {
        DefinitionList list;
        const int result = parseText(list, text, &mark);
        EXPECT_FALSE(mark);
        EXPECT_EQ(result, text.size() > 3 ? 1 : 0);
    }
    // Part of a mark is not one: the header then has text before "[".
    DefinitionList partial;
    EXPECT_EQ(parseText(partial, "\xEF\xBB[Eyebrow Lights]\nMasterCaution=5\n", &mark), 0);
    EXPECT_FALSE(mark);
    // A second mark, or one further on, is text like any other.
    DefinitionList twice;
    EXPECT_EQ(parseText(twice, kMark + kMark + "[Eyebrow Lights]\nMasterCaution=5\n", &mark), 0);
    EXPECT_TRUE(mark);
}

} // namespace
} // namespace gb
