#include "cockpit/definition_file.h"
#include "cockpit/definition_list.h"

#include "cockpit/element_catalog.h"
#include "support/scripted_message_boxes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace gb {
namespace {

Definition flag(std::int16_t qpOn, std::int16_t qpOff) {
    Definition d;
    d.groupName = "Eyebrow Lights";
    d.elementName = "MasterCaution";
    d.qpOn = qpOn;
    d.qpOff = qpOff;
    return d;
}

TEST(DefinitionList, AppendsUpToCapacityAndRemovesClosingTheGap) {
    DefinitionList list;
    test::ScriptedMessageBoxes boxes;
    for (int i = 0; i < DefinitionList::kCapacity; ++i)
        ASSERT_EQ(list.addDefinition(flag(static_cast<std::int16_t>(i % 256), 0)), i);
    EXPECT_EQ(list.addDefinition(flag(1, 2)), -1);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "More than 1000 elements!");
    EXPECT_EQ(boxes.shown()[0].caption, "Definition error");
    EXPECT_EQ(list.count, 1000);
    EXPECT_EQ(list.phLow, 9999); // appending leaves the range alone
    EXPECT_EQ(list.phHigh, -1);

    EXPECT_TRUE(list.removeDefinition(1));
    EXPECT_FALSE(list.removeDefinition(999));
    EXPECT_EQ(list.count, 999);
    EXPECT_EQ(list.at(1)->qpOn, 2);
    EXPECT_EQ(list.at(999), nullptr);
    EXPECT_EQ(list.addDefinition(flag(7, 8)), 999);
}

// A written line must read back to the binding it was written from.
Definition readBack(const Definition& d, const std::string& value) {
    const std::string file =
        std::string("[") + d.groupName + "]\n" + d.elementName + "=" + value + "\n";
    DefinitionList list;
    test::ScriptedMessageBoxes boxes;
    clearSeen();
    const int result = parseDefinitionText(list, file.data(), file.size());
    EXPECT_EQ(result, 1) << file;
    EXPECT_TRUE(boxes.shown().empty()) << file;
    return result == 1 ? *list.items[0] : Definition{};
}

void expectSameBinding(const Definition& written, const Definition& read) {
    EXPECT_EQ(formOf(read), formOf(written));
    EXPECT_EQ(read.invert, written.invert);
    EXPECT_EQ(read.qpOn, written.qpOn);
    EXPECT_EQ(read.qpOff, written.qpOff);
    EXPECT_EQ(read.phNumber, written.phNumber);
    EXPECT_EQ(read.phByte, written.phByte);
    EXPECT_EQ(read.bitMask & 0xFF, written.bitMask & 0xFF);
    EXPECT_EQ(read.multi, written.multi);
    EXPECT_EQ(read.offset, written.offset);
}

TEST(DefinitionValue, QuotedFormsForEachBinding) {
    EXPECT_EQ(definitionValue(flag(12, 13)), "12,13");
    Definition ph;
    ph.phNumber = 3;
    ph.phByte = 1;
    ph.bitMask = 0x10;
    EXPECT_EQ(definitionValue(ph), "3,1,0b00010000");
    ph.bitMask = 0x1FF;
    EXPECT_EQ(definitionValue(ph), "3,1,0b11111111");
    Definition analog;
    analog.kind = DefinitionAnalog;
    analog.phNumber = 7;
    analog.phByte = 0;
    EXPECT_EQ(definitionValue(analog), "7,0,1.000000,0");
    analog.multi = 2.5;
    analog.offset = -3;
    EXPECT_EQ(definitionValue(analog), "7,0,2.500000,-3");
    EXPECT_EQ(definitionValue(Definition{}), kDeletedDefinitionValue);
}

TEST(DefinitionValue, WrittenLinesReadBackToTheSameBinding) {
    Definition inverted = flag(5, 9);
    inverted.invert = 1;
    for (const Definition& d : {flag(0, 0), flag(255, 0), flag(12, 13), inverted}) {
        SCOPED_TRACE(definitionValue(d));
        expectSameBinding(d, readBack(d, definitionValue(d)));
    }

    Definition ph;
    ph.groupName = "Caution Lights";
    ph.elementName = "FlcsFault";
    for (std::uint32_t mask : {0x00u, 0x01u, 0x80u, 0xFFu, 0xFFFFFFFFu}) {
        for (std::uint8_t invert : {0, 1}) {
            ph.phNumber = 255;
            ph.phByte = 3;
            ph.bitMask = mask;
            ph.invert = invert;
            SCOPED_TRACE(definitionValue(ph));
            expectSameBinding(ph, readBack(ph, definitionValue(ph)));
        }
    }

    Definition analog;
    analog.kind = DefinitionAnalog;
    analog.groupName = "Primary Data";
    analog.elementName = "KIAS";
    analog.phNumber = 10;
    analog.phByte = 2;
    for (double multi :
         {1.0, 0.5, -10.0, 0.1, 1.0 / 3.0, 1e-7, 99999.0, -0.000001, 1e300, HUGE_VAL, -HUGE_VAL}) {
        for (std::int32_t offset : {0, -3, INT32_MAX, INT32_MIN}) {
            analog.multi = multi;
            analog.offset = offset;
            SCOPED_TRACE(definitionValue(analog));
            expectSameBinding(analog, readBack(analog, definitionValue(analog)));
        }
    }
}

TEST(DefinitionValue, DeletedLineIsIgnoredAtTheNextStart) {
    const std::string file =
        std::string("[Eyebrow Lights]\nMasterCaution=") + kDeletedDefinitionValue + "\nTFFail=1\n";
    DefinitionList list;
    test::ScriptedMessageBoxes boxes;
    EXPECT_EQ(parseDefinitionText(list, file.data(), file.size()), 1);
    EXPECT_STREQ(list.items[0]->elementName, "TFFail");
}

} // namespace
} // namespace gb
