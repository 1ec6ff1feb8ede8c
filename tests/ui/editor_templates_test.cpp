// The templates of the editors, the test dialogs and the About box as the resource script gives
// them to both backends: sizes, font, labels and the styles the dialogs' behaviour relies on.

#include "ui/dialog_ids.h"
#include "ui/framework/headless/dialog_template.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace gb::ui::headless {

extern const char* const embeddedDialogScript;

namespace {

std::vector<std::string> labels(const DialogTemplate& t) {
    std::vector<std::string> out;
    for (const ControlTemplate& c : t.controls) {
        if (c.kind == ControlKind::Static) out.push_back(c.text);
    }
    return out;
}

const ControlTemplate& control(const DialogTemplate& t, int id) {
    for (const ControlTemplate& c : t.controls) {
        if (c.id == id) return c;
    }
    static const ControlTemplate none;
    ADD_FAILURE() << "no control " << id;
    return none;
}

// Size, font, centring and system menu, from the script's own text.
void expectFrame(const char* name, const char* size, bool centred) {
    const std::string script = embeddedDialogScript;
    const std::size_t at = script.find(std::string(name) + " DIALOG 0, 0, " + size + "\n");
    ASSERT_NE(at, std::string::npos) << name;
    const std::string head = script.substr(at, script.find("BEGIN", at) - at);
    EXPECT_NE(head.find("FONT 8, \"MS Sans Serif\""), std::string::npos) << name;
    EXPECT_NE(head.find("WS_SYSMENU"), std::string::npos) << name;
    EXPECT_EQ(head.find("DS_CENTER") != std::string::npos, centred) << name;
}

TEST(EditorTemplates, QpFlag) {
    expectFrame("IDD_QP_FLAG", "188, 78", true);
    DialogTemplate t;
    ASSERT_TRUE(findDialogTemplate(140, t));
    EXPECT_EQ(labels(t), (std::vector<std::string>{"Flag", "&Element", "&QP-# On", "Q&P-# Off"}));
    EXPECT_TRUE(control(t, IDC_ELEMENT).hasStyle("CBS_SORT"));
    EXPECT_TRUE(control(t, IDC_ELEMENT).hasStyle("WS_VSCROLL"));
    EXPECT_TRUE(control(t, IDC_QP_ON).hasStyle("CBS_DROPDOWNLIST"));
    EXPECT_FALSE(control(t, IDC_QP_ON).hasStyle("CBS_SORT"));
    EXPECT_TRUE(control(t, IDC_QP_OFF).hasStyle("CBS_SORT"));
    EXPECT_EQ(control(t, 1).text, "&OK");
    EXPECT_EQ(control(t, 2).text, "&Cancel");
}

TEST(EditorTemplates, PhFlagAndAnalogData) {
    expectFrame("IDD_PH_FLAG", "195, 98", true);
    expectFrame("IDD_ANALOG_DATA", "195, 98", true);
    DialogTemplate t;
    ASSERT_TRUE(findDialogTemplate(139, t));
    EXPECT_EQ(labels(t), (std::vector<std::string>{"Flag", "&Element", "&PH-#", "PH-&Index",
                                                   "&Bit(s) to send"}));
    EXPECT_TRUE(control(t, IDC_ELEMENT).hasStyle("CBS_SORT"));
    EXPECT_FALSE(control(t, IDC_PH_NUMBER).hasStyle("CBS_SORT"));
    EXPECT_TRUE(control(t, IDC_PH_BYTE).hasStyle("CBS_SORT"));
    EXPECT_TRUE(control(t, IDC_BITS).hasStyle("ES_NUMBER"));
    EXPECT_EQ(control(t, IDC_BINARY_FORMAT).kind, ControlKind::CheckBox);
    EXPECT_EQ(control(t, 1).text, "&OK");

    ASSERT_TRUE(findDialogTemplate(137, t));
    EXPECT_EQ(labels(t), (std::vector<std::string>{"Analog data", "&Element", "&PH-#", "PH-&Index",
                                                   "&Multiplicator", "Off&set"}));
    EXPECT_FALSE(control(t, IDC_MULTIPLIER).hasStyle("ES_NUMBER"));
    EXPECT_TRUE(control(t, IDC_OFFSET).hasStyle("ES_NUMBER"));
    EXPECT_FALSE(control(t, IDC_PH_NUMBER).hasStyle("CBS_SORT"));
    EXPECT_TRUE(control(t, IDC_PH_BYTE).hasStyle("CBS_SORT"));
    EXPECT_EQ(control(t, 1).text, "OK");
}

TEST(EditorTemplates, TestDialogsAndAbout) {
    expectFrame("IDD_TEST_FLAG", "180, 65", false);
    expectFrame("IDD_TEST_ANALOG", "196, 77", false);
    expectFrame("IDD_ABOUTBOX", "170, 62", true);
    DialogTemplate t;
    ASSERT_TRUE(findDialogTemplate(141, t));
    EXPECT_EQ(labels(t), std::vector<std::string>{"Input falcon flags"});
    ASSERT_TRUE(findDialogTemplate(138, t));
    EXPECT_EQ(labels(t),
              (std::vector<std::string>{"Input falcon value", "&Falcon value", "Q&UARN value"}));
    EXPECT_TRUE(control(t, IDC_CARD_VALUE).hasStyle("ES_NUMBER"));
    EXPECT_FALSE(control(t, IDC_FALCON_VALUE).hasStyle("ES_NUMBER"));
    EXPECT_EQ(control(t, IDC_CONVERT).text, "&Convert");

    ASSERT_TRUE(findDialogTemplate(100, t));
    EXPECT_EQ(t.caption, " About Glowbridge");
    ASSERT_EQ(t.controls.size(), 3u);
    EXPECT_TRUE(t.controls[0].hasStyle("SS_BITMAP"));
    EXPECT_EQ(t.controls[1].text, "Glowbridge Version 2.101");
    EXPECT_NE(std::string(embeddedDialogScript).find("CONTROL         IDB_ABOUT,"),
              std::string::npos);
}

} // namespace
} // namespace gb::ui::headless
