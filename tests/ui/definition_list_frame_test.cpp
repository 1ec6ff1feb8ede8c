// The list dialog as the program opens it from the tray menu: over the running frame's
// definitions, with the transfer going on while it is open.

#include "cockpit/element_catalog.h"
#include "engine/frame_fixture.h"
#include "ui/dialog_ids.h"
#include "ui/dialogs/definition_list_dlg.h"
#include "ui/framework/scripted_user.h"

namespace gb::test {
namespace {

// The program's way into the list dialog; the other dialogs are not under test here.
class ProgramLists : public FrameDialogs {
public:
    bool runGeneralConfig(GeneralValues&) override { return false; }
    void runDefinitionList(int mode, CMainFrame& frame) override {
        ui::runDefinitionListFor(mode, frame);
    }
    void runAbout() override {}
};

class DefinitionListFromTheFrame : public FrameFixture {
protected:
    void SetUp() override {
        clearSeen();
        FrameFixture::SetUp();
    }
};

TEST_F(DefinitionListFromTheFrame, AnAddedFlagIsSentAtTheNextTickAndWrittenToTheFile) {
    writeSettings("F4CheckTimer=4000\nF4ReadTimer=100\n");
    SimulatorBlock block;
    ASSERT_TRUE(block.ok());
    block.set({"Eyebrow Lights/MasterCaution=on", "Eyebrow Lights/TFFail=on"});
    ASSERT_TRUE(createFrame());
    ProgramLists dialogs;
    frame->setDialogs(&dialogs);
    running = true;
    ASSERT_EQ(ticksUntilAttached(3), 3);
    runFor(160);
    ASSERT_EQ(card().qprocCount(), 1u);
    EXPECT_EQ(card().recentQProc(0), 5);

    ui::ScriptedUser user;
    ui::ScopedUser scope(user);
    user.expectDialog(IDD_DEFINITION_LIST)
        .then([this](ui::Dialog& d) {
            EXPECT_EQ(d.GetWindowText(), " Configuration and testing flags over QProc");
            EXPECT_FALSE(frame->listDialogIdle());
            EXPECT_FALSE(frame->isCommandEnabled(ID_CONFIG_ANALOG));
        })
        .click(IDC_DEFLIST_ADD)
        .then([this](ui::Dialog&) {
            // The transfer goes on while the dialog is open, with the new flag.
            runFor(200);
            ASSERT_EQ(card().qprocCount(), 2u);
            EXPECT_EQ(card().recentQProc(0), 30);
        })
        .click(platform::IdOk);
    user.expectDialog(IDD_QP_FLAG)
        .select(IDC_ELEMENT, "TFFail")
        .select(IDC_QP_ON, "030")
        .select(IDC_QP_OFF, "031")
        .click(platform::IdOk);
    frame->onCommand(ID_CONFIG_QPFLAGS);
    EXPECT_EQ(user.problems(), std::vector<std::string>{});
    EXPECT_TRUE(frame->listDialogIdle());
    ASSERT_EQ(frame->definitionList().count, 4);

    // The definitions live in the settings file itself, and the line went under its section.
    const std::string settings = readBytes(folder.file("Glowbridge.ini"));
    EXPECT_NE(settings.find(asWritten("[Eyebrow Lights]\nTFFail=30,31\nMasterCaution=5,6\n")),
              std::string::npos);
    block.set({"Eyebrow Lights/TFFail=off"});
    runFor(100);
    EXPECT_EQ(card().recentQProc(0), 31);
}

} // namespace
} // namespace gb::test
