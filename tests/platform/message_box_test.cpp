#include "platform/message_box.h"
#include "support/scripted_message_boxes.h"

#include <gtest/gtest.h>

using namespace gb::platform;
using gb::test::ScriptedMessageBoxes;

TEST(MessageBox, DefaultButtonFollowsButtonSetAndDefaultFlag) {
    EXPECT_EQ(defaultButton(MbOk), IdOk);
    EXPECT_EQ(defaultButton(MbOk | MbIconError), IdOk);
    EXPECT_EQ(defaultButton(MbOkCancel), IdOk);
    EXPECT_EQ(defaultButton(MbOkCancel | MbDefButton2), IdCancel);
    EXPECT_EQ(defaultButton(MbYesNo | MbIconQuestion), IdYes);
    EXPECT_EQ(defaultButton(MbYesNo | MbDefButton2), IdNo);
    EXPECT_EQ(defaultButton(MbYesNoCancel | MbDefButton3), IdCancel);
}

TEST(MessageBox, ResponderRecordsBoxesAndAnswersInOrder) {
    ScriptedMessageBoxes boxes;
    boxes.queueAnswer(IdNo);
    EXPECT_EQ(messageBox(nullptr, "Delete?", "Question", MbYesNo | MbIconQuestion), IdNo);
    // Script exhausted: the default button answers.
    EXPECT_EQ(messageBox(nullptr, "Gone", "Info", MbOkCancel | MbDefButton2), IdCancel);
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].caption, "Question");
    EXPECT_EQ(boxes.shown()[0].text, "Delete?");
    EXPECT_EQ(boxes.shown()[0].style, MbYesNo | MbIconQuestion);
    EXPECT_EQ(boxes.shown()[1].style, MbOkCancel | MbDefButton2);
}

TEST(MessageBox, NestedRespondersRestoreTheOuterOne) {
    ScriptedMessageBoxes outer;
    {
        ScriptedMessageBoxes inner;
        messageBox(nullptr, "inner", "c", MbOk);
        EXPECT_EQ(inner.shown().size(), 1u);
    }
    messageBox(nullptr, "outer", "c", MbOk);
    ASSERT_EQ(outer.shown().size(), 1u);
    EXPECT_EQ(outer.shown()[0].text, "outer");
}
