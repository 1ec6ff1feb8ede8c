// The main frame end to end in one process, on the simulated clock: the check ticks find the
// simulator, the frame attaches, and the emulated card receives what the cockpit shows.

#include "frame_fixture.h"

#include <cstdio>
#include <fstream>
#include <sstream>

using namespace gb;
using namespace gb::test;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int countOf(const std::string& text, const std::string& what) {
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

class MainFrameTest : public FrameFixture {};

TEST_F(MainFrameTest, AttachesOnTheThirdTickAndTheCardFollowsTheCockpit) {
    writeSettings("F4CheckTimer=4000\nF4ReadTimer=100\n");
    SimulatorBlock block;
    ASSERT_TRUE(block.ok());
    block.set({"Eyebrow Lights/MasterCaution=on", "Caution Lights/FwdFuelLow=on",
               "Primary Data/KIAS=100"});
    ASSERT_TRUE(createFrame());
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(iconIs(IDI_TRAY_IDLE));
    EXPECT_EQ(tooltip(), "Glowbridge (ISA) 2.101 SP2");
    EXPECT_EQ(frame->tray().GetDefaultItem(), unsigned{ID_TRANSFER_START});

    running = true;
    runFor(4000);
    EXPECT_EQ(tooltip(), "Calls: QP=0 PH=0");
    EXPECT_FALSE(frame->source().isAttached());
    runFor(4000);
    EXPECT_FALSE(frame->source().isAttached());
    runFor(4000);
    ASSERT_TRUE(frame->source().isAttached());
    EXPECT_TRUE(iconIs(IDI_TRAY_TRANSFER));
    EXPECT_EQ(frame->tray().GetDefaultItem(), unsigned{ID_TRANSFER_STOP});

    // First cycle: the lit flags go out; the new speed is held back one cycle.
    runFor(160);
    ASSERT_EQ(card().qprocCount(), 1u);
    EXPECT_EQ(card().recentQProc(0), 5);
    EXPECT_EQ(card().pigeonHole(10)[0], 0x01);
    EXPECT_EQ(card().pigeonHole(20)[0], 0);
    runFor(100);
    EXPECT_EQ(card().pigeonHole(20)[0], 50); // 100 kt x 0.5

    block.set({"Eyebrow Lights/MasterCaution=off", "Caution Lights/FwdFuelLow=off"});
    runFor(100);
    ASSERT_EQ(card().qprocCount(), 2u);
    EXPECT_EQ(card().recentQProc(0), 6);
    EXPECT_EQ(card().pigeonHole(10)[0], 0);

    // The fourth check tick comes before the read tick due at the same time.
    runFor(4000 - 360 - 50);
    char expected[64];
    std::snprintf(expected, sizeof expected, "Calls: QP=%ld PH=%ld",
                  static_cast<long>(frame->binding().qpCalls()),
                  static_cast<long>(frame->binding().phCalls()));
    runFor(50);
    EXPECT_EQ(tooltip(), expected);
    EXPECT_EQ(frame->binding().qpCalls(), 2);
    EXPECT_GT(frame->binding().phCalls(), 30);

    // The simulator ends: detached at the next tick, blue icon, the counts stay in the tooltip.
    running = false;
    runFor(4000);
    EXPECT_FALSE(frame->source().isAttached());
    EXPECT_TRUE(iconIs(IDI_TRAY_IDLE));
    EXPECT_EQ(frame->tray().GetDefaultItem(), unsigned{ID_TRANSFER_START});
    EXPECT_EQ(tooltip(), expected);
    const std::uint64_t items = card().itemCount();
    runFor(1000);
    EXPECT_EQ(card().itemCount(), items);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(MainFrameTest, StopSurvivesTheSimulatorsRestartUntilStart) {
    writeSettings("");
    SimulatorBlock block;
    ASSERT_TRUE(createFrame());
    running = true;
    ASSERT_EQ(ticksUntilAttached(5), 3);

    ASSERT_TRUE(platform::postCommand(frame->window(), ID_TRANSFER_STOP));
    runFor(10);
    EXPECT_FALSE(frame->source().isAttached());
    EXPECT_TRUE(frame->transferStopped());
    EXPECT_TRUE(iconIs(IDI_TRAY_IDLE));

    running = false;
    runFor(8000);
    running = true;
    EXPECT_EQ(ticksUntilAttached(6), 0);

    // A double click runs the default item, "Start transfer": attached at once, no delay.
    frame->tray().OnTrayNotification(IDR_TRAYMENU, ui::TrayLeftButtonDoubleClick);
    EXPECT_TRUE(frame->source().isAttached());
    EXPECT_FALSE(frame->transferStopped());
    EXPECT_TRUE(iconIs(IDI_TRAY_TRANSFER));
    // And again: now the default item is "Stop transfer".
    frame->tray().OnTrayNotification(IDR_TRAYMENU, ui::TrayLeftButtonDoubleClick);
    EXPECT_FALSE(frame->source().isAttached());
}

TEST_F(MainFrameTest, DisabledCommandsAreNotCarriedOutHoweverTheyArrive) {
    writeSettings("");
    SimulatorBlock block;
    // Card 255 is no card: the binding shows its message and the icon stays red.
    ASSERT_TRUE(createFrame("/dev=255"));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "Error, can't open QUARN device!");
    EXPECT_TRUE(iconIs(IDI_TRAY_NOCARD));
    EXPECT_FALSE(frame->isCommandEnabled(ID_TRANSFER_START));
    EXPECT_FALSE(frame->isCommandEnabled(ID_TRANSFER_STOP));

    platform::postCommand(frame->window(), ID_TRANSFER_START);
    platform::postCommand(frame->window(), ID_TRANSFER_STOP);
    runFor(10);
    frame->tray().OnTrayNotification(IDR_TRAYMENU, ui::TrayLeftButtonDoubleClick);
    frame->onCommand(ID_TRANSFER_START);
    EXPECT_FALSE(frame->source().isAttached());
    EXPECT_FALSE(frame->transferStopped());
    EXPECT_TRUE(iconIs(IDI_TRAY_NOCARD));

    // The automatic attach still runs with the card closed; the sends are refused.
    running = true;
    ASSERT_EQ(ticksUntilAttached(3), 3);
    EXPECT_TRUE(frame->isCommandEnabled(ID_TRANSFER_STOP));
    frame->onCommand(ID_TRANSFER_STOP);
    EXPECT_TRUE(frame->transferStopped());
    // Stopped with the card closed: "Start transfer" stays disabled, nothing attaches again.
    frame->onCommand(ID_TRANSFER_START);
    EXPECT_EQ(ticksUntilAttached(4), 0);
    EXPECT_EQ(frame->binding().qpCalls(), 0);
    EXPECT_EQ(card().itemCount(), 0u);
}

// Records the dialogs the frame opens; each run tries to open its own dialog again.
class NestingDialogs : public FrameDialogs {
public:
    explicit NestingDialogs(CMainFrame*& frame) : frame_(frame) {}
    bool runGeneralConfig(GeneralValues& values) override {
        ++generalRuns;
        seenIdle = frame_->generalDialogIdle();
        platform::postCommand(frame_->window(), ID_CONFIG_GENERAL);
        platform::postCommand(frame_->window(), ID_CONFIG_QPFLAGS);
        platform::runMessageLoopFor(20);
        values.checkPeriod = newCheck;
        values.readPeriod = newRead;
        std::snprintf(values.checkProcess, sizeof values.checkProcess, "%s", "falcon.exe");
        return answerOk;
    }
    void runDefinitionList(int mode, CMainFrame& frame) override {
        modes.push_back(mode);
        EXPECT_FALSE(frame.listDialogIdle());
        for (unsigned command :
             {ID_CONFIG_QPFLAGS, ID_CONFIG_PHFLAGS, ID_CONFIG_ANALOG, ID_CONFIG_GENERAL})
            platform::postCommand(frame.window(), command);
        platform::runMessageLoopFor(20);
    }
    void runAbout() override { ++aboutRuns; }

    int generalRuns = 0;
    int aboutRuns = 0;
    bool seenIdle = true;
    bool answerOk = true;
    std::uint32_t newCheck = 4000;
    std::uint32_t newRead = 100;
    std::vector<int> modes;

private:
    CMainFrame*& frame_;
};

TEST_F(MainFrameTest, ADialogCannotBeOpenedTwiceAndGeneralOkWritesTheSettings) {
    writeSettings("F4CheckTimer=4000\nF4ReadTimer=100\n");
    ASSERT_TRUE(createFrame());
    CMainFrame* raw = frame.get();
    NestingDialogs dialogs(raw);
    frame->setDialogs(&dialogs);

    // The list's own commands are refused while it is open; the general dialog opens, and
    // refuses itself and the lists in turn.
    dialogs.answerOk = false;
    platform::postCommand(frame->window(), ID_CONFIG_PHFLAGS);
    runFor(50);
    EXPECT_EQ(dialogs.modes, (std::vector<int>{1}));
    EXPECT_EQ(dialogs.generalRuns, 1);
    EXPECT_FALSE(dialogs.seenIdle);
    EXPECT_TRUE(frame->listDialogIdle());
    EXPECT_TRUE(frame->generalDialogIdle());
    // Cancel changes nothing.
    EXPECT_EQ(frame->checkProcess(), std::string("EFALCON.EXE"));
    frame->onCommand(ID_CONFIG_ANALOG);
    EXPECT_EQ(dialogs.modes, (std::vector<int>{1, 2}));
    EXPECT_EQ(dialogs.generalRuns, 2);

    dialogs.answerOk = true;
    dialogs.newRead = 500;
    frame->onCommand(ID_CONFIG_GENERAL);
    // Inside it, the general command is refused and a list opens, which refuses the general.
    EXPECT_EQ(dialogs.generalRuns, 3);
    EXPECT_EQ(dialogs.modes, (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(frame->readPeriod(), 500u);
    EXPECT_EQ(frame->checkProcess(), std::string("falcon.exe"));
    EXPECT_EQ(store->GetInt(nullptr, "F4ReadTimer", std::int32_t{0}), 500);
    EXPECT_EQ(store->GetInt(nullptr, "F4CheckTimer", std::int32_t{0}), 4000);
    EXPECT_STREQ(store->GetString(nullptr, "F4CheckProc", ""), "falcon.exe");

    frame->onCommand(ID_APP_ABOUT);
    EXPECT_EQ(dialogs.aboutRuns, 1);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(MainFrameTest, WithoutDialogsTheCommandsSaySoAndAboutShowsTheVersion) {
    writeSettings("");
    ASSERT_TRUE(createFrame());
    for (unsigned command :
         {ID_CONFIG_GENERAL, ID_CONFIG_QPFLAGS, ID_CONFIG_PHFLAGS, ID_CONFIG_ANALOG, ID_APP_ABOUT})
        frame->onCommand(command);
    ASSERT_EQ(boxes.shown().size(), 5u);
    for (int i = 0; i < 4; ++i)
        EXPECT_NE(boxes.shown()[i].text.find("not available"), std::string::npos);
    EXPECT_EQ(boxes.shown()[4].text, "Glowbridge Version 2.101");
    EXPECT_EQ(boxes.shown()[4].caption, " About Glowbridge");
    EXPECT_TRUE(frame->generalDialogIdle());
    EXPECT_TRUE(frame->listDialogIdle());
    // Settings are written only by the dialog's OK.
    EXPECT_EQ(readFile(folder.file("Glowbridge.ini")).find("F4CheckTimer"), std::string::npos);
}

TEST_F(MainFrameTest, HelpOpensTheGuideShippedNextToTheProgram) {
    writeSettings("");
    ASSERT_TRUE(createFrame());
    frame->onCommand(ID_HELP_FINDER);
    // The test program has no guide beside it: the user is told, nothing is opened.
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, "Help");
    EXPECT_NE(boxes.shown()[0].text.find("Glowbridge-Guide.html"), std::string::npos);
    EXPECT_TRUE(openedDocuments.empty());
}

// A new check period restarts CHECK_TIMER at once; a new read period waits for the next attach.
TEST_F(MainFrameTest, GeneralOkRestartsTheCheckTimerButNotTheReadTimer) {
    writeSettings("F4CheckTimer=4000\nF4ReadTimer=100\n");
    SimulatorBlock block;
    ASSERT_TRUE(createFrame());
    CMainFrame* raw = frame.get();
    NestingDialogs dialogs(raw);
    frame->setDialogs(&dialogs);
    dialogs.newCheck = 4000;
    dialogs.newRead = 500;

    running = true;
    ASSERT_EQ(ticksUntilAttached(3), 3);
    runFor(1000);
    std::int32_t before = frame->binding().phCalls();
    runFor(1000);
    const std::int32_t perSecondAt100 = frame->binding().phCalls() - before;
    EXPECT_EQ(perSecondAt100, 10); // the analog value's Pigeon-hole goes out on every cycle

    frame->onCommand(ID_CONFIG_GENERAL);
    before = frame->binding().phCalls();
    runFor(1000);
    EXPECT_EQ(frame->binding().phCalls() - before, perSecondAt100);

    // Detach and attach again: now the new read period runs.
    frame->onCommand(ID_TRANSFER_STOP);
    frame->onCommand(ID_TRANSFER_START);
    before = frame->binding().phCalls();
    runFor(1000);
    EXPECT_EQ(frame->binding().phCalls() - before, 2);

    // Lowering the check period to 100 ms: the next automatic attach follows on the 101st tick
    // of 100 ms, not of 4 s.
    frame->onCommand(ID_TRANSFER_STOP);
    dialogs.newCheck = 100;
    frame->onCommand(ID_CONFIG_GENERAL);
    EXPECT_EQ(store->GetInt(nullptr, "F4CheckTimer", std::int32_t{0}), 100);
    frame->onCommand(ID_TRANSFER_START);
    running = false;
    runFor(100);
    ASSERT_FALSE(frame->source().isAttached());
    running = true;
    EXPECT_EQ(ticksUntilAttached(200, 100), 101);
}

TEST_F(MainFrameTest, ZeroAndNegativePeriodsFromTheSettingsNeitherSpinNorDivideByZero) {
    writeSettings("F4CheckTimer=0\nF4ReadTimer=-1\n");
    SimulatorBlock block;
    ASSERT_TRUE(createFrame());
    EXPECT_EQ(frame->checkPeriod(), 0u);
    EXPECT_EQ(frame->readPeriod(), 0xFFFFFFFFu);
    running = true;
    // 0 counts as 1 ms in the attach delay: 10001 ticks, each clamped to 10 ms by the loop.
    runFor(100000);
    EXPECT_FALSE(frame->source().isAttached());
    runFor(20);
    ASSERT_TRUE(frame->source().isAttached());
    // READ_TIMER at the longest period Windows keeps: no cycle soon.
    runFor(10000);
    EXPECT_EQ(card().qprocCount(), 0u);
    EXPECT_EQ(frame->binding().phCalls(), 0);
}

TEST_F(MainFrameTest, ExitDestroysWithoutTheBlueIconAndTheDestructorClosesTheCard) {
    writeSettings("");
    SimulatorBlock block;
    ASSERT_TRUE(createFrame());
    running = true;
    ASSERT_EQ(ticksUntilAttached(3), 3);
    trayLines.clear();

    platform::postCommand(frame->window(), ID_APP_EXIT);
    runFor(10);
    EXPECT_FALSE(frame->isWindowAlive());
    EXPECT_TRUE(trayLines.empty());
    EXPECT_TRUE(port->isOpen(1));
    // No timer reaches a destroyed frame.
    runFor(8000);
    EXPECT_TRUE(frame->source().isAttached());

    frame.reset();
    EXPECT_FALSE(port->isOpen(1));
    EXPECT_EQ(trayLines, (std::vector<std::string>{"tray: remove"}));
    EXPECT_EQ(platform::runMessageLoop(), 0); // the quit the frame posted
}

TEST_F(MainFrameTest, CloseStopsTheTimersClosesTheCardAndShowsBlueBeforeTheIconGoes) {
    writeSettings("");
    SimulatorBlock block;
    ASSERT_TRUE(createFrame());
    running = true;
    ASSERT_EQ(ticksUntilAttached(3), 3);
    trayLines.clear();

    platform::postClose(frame->window());
    runFor(10);
    EXPECT_FALSE(frame->isWindowAlive());
    EXPECT_FALSE(port->isOpen(1));
    EXPECT_EQ(trayLines, (std::vector<std::string>{"tray: icon IDI_TRAY_IDLE"}));
    frame.reset();
    EXPECT_EQ(trayLines.back(), "tray: remove");
    EXPECT_EQ(platform::runMessageLoop(), 0);
}

// A stand-in library whose QProc call pumps messages, as a message box inside a cycle would.
int pumpingQProcCalls = 0;
int standInOpen(int) {
    return 0;
}
int standInClose(int) {
    return 0;
}
int pumpingSendQP(int, int) {
    ++pumpingQProcCalls;
    platform::runMessageLoopFor(250);
    return 0;
}
int standInSendPH(int, int, int, int, int, int) {
    return 0;
}
int standInGetAnalogs(int, void*) {
    return 0;
}

TEST_F(MainFrameTest, AReadTickInsideARunningCycleIsDroppedAndLogged) {
    writeSettings("");
    const DeviceProcedures pumping{standInOpen, standInClose, pumpingSendQP, standInSendPH,
                                   standInGetAnalogs};
    services.procedures = &pumping;
    pumpingQProcCalls = 0;
    SimulatorBlock block;
    block.set({"Eyebrow Lights/MasterCaution=on"});
    ASSERT_TRUE(createFrame());
    const bool firstLines = debugLineCount() == 0; // lines are numbered per process
    running = true;
    ASSERT_EQ(ticksUntilAttached(3), 3);
    runFor(100);
    EXPECT_EQ(pumpingQProcCalls, 1);
    EXPECT_FALSE(frame->inCycle());
    const std::string log = readFile(debugPath());
    // Two ticks fell due inside the 250 ms the call took; without /debug nothing else is logged.
    EXPECT_EQ(countOf(log, "Read-Check too slow\n"), 2);
    EXPECT_EQ(log.find("MasterCaution"), std::string::npos);
    if (firstLines) {
        EXPECT_EQ(log.find(std::string(99, '-') + "\n00000001: Read-Check too slow"), 0u);
    }
}

TEST_F(MainFrameTest, DebugModeAsksFirstAndLogsEveryChange) {
    writeSettings("");
    SimulatorBlock block;
    block.set({"Eyebrow Lights/MasterCaution=on", "Primary Data/KIAS=100"});
    const bool firstLines = debugLineCount() == 0;
    ASSERT_TRUE(createFrame("/debug=0"));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "Debug mode is active!");
    EXPECT_EQ(boxes.shown()[0].caption, "Information");
    EXPECT_EQ(boxes.shown()[0].style, platform::MbOk | platform::MbIconInformation);
    running = true;
    ASSERT_EQ(ticksUntilAttached(3), 3);
    runFor(200);
    const std::string log = readFile(debugPath());
    EXPECT_NE(log.find(": MasterCaution=On\n"), std::string::npos);
    if (firstLines) {
        EXPECT_EQ(log.find(std::string(99, '-') + "\n00000001: MasterCaution=On\n"), 0u);
    }
    EXPECT_NE(log.find(": KIAS=[20,0,0x00000032 (50)] (100.000000)\n"), std::string::npos);
}

TEST_F(MainFrameTest, AFaultyOrEmptyDefinitionFileEndsStartUpAfterItsMessage) {
    writeSettings("", "[Eyebrow Lights]\nNoSuchLamp=5\n");
    EXPECT_FALSE(createFrame());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, "Definitionfile error");
    EXPECT_FALSE(frame->isWindowAlive());
    EXPECT_EQ(trayLines.back(), "tray: icon IDI_TRAY_NOCARD");
    frame.reset();
    EXPECT_EQ(trayLines.back(), "tray: remove");
    EXPECT_FALSE(port->isOpen(1));

    boxes.clear();
    writeSettings("", "");
    EXPECT_FALSE(createFrame());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, "Definitionfile error");
}

TEST_F(MainFrameTest, ATrayTheShellRefusesEndsStartUpWithoutAMessage) {
    writeSettings("");
    ui::setTrayShellRefuses(true);
    EXPECT_FALSE(createFrame());
    ui::setTrayShellRefuses(false);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_FALSE(port->isOpen(1));
}

} // namespace
