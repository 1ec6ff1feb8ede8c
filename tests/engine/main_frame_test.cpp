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

// The usual three definitions and an inverted QP flag: MAIN GEN lights while the generator is
// off, so with nothing set in the block its output is on.
const std::string kSafeDefinitions =
    std::string(kDefinitions) + "[Power Lights]\nMainGen=c,12,13\n";

class SafeOutputsTest : public FrameFixture {
protected:
    // Attached, after the cycles that sent: MasterCaution (QP 5), MainGen (QP 12, inverted),
    // FwdFuelLow (bit 0x01 of Pigeon-hole 10) and KIAS 84 (byte 42 of Pigeon-hole 20).
    void attachWithOutputsOn(const std::string& settings) {
        writeSettings(settings, kSafeDefinitions);
        ASSERT_TRUE(block.ok());
        block.set({"Eyebrow Lights/MasterCaution=on", "Caution Lights/FwdFuelLow=on",
                   "Primary Data/KIAS=84"});
        ASSERT_TRUE(createFrame());
        running = true;
        ASSERT_EQ(ticksUntilAttached(3), 3);
        runFor(260);
        ASSERT_TRUE(cardShows({5, 12}, 0x01, 42));
    }

    // The card's last QProcs (newest last), byte 0 of Pigeon-holes 10 and 20.
    ::testing::AssertionResult cardShows(std::vector<int> lastQProcs, int ph10, int ph20) {
        std::vector<int> seen;
        for (std::size_t i = lastQProcs.size(); i > 0 && i <= card().qprocCount(); --i)
            seen.push_back(card().recentQProc(i - 1));
        if (seen != lastQProcs || card().pigeonHole(10)[0] != ph10 ||
            card().pigeonHole(20)[0] != ph20) {
            std::ostringstream text;
            text << "QProcs";
            for (int qp : seen)
                text << " " << qp;
            text << ", PH 10 " << int{card().pigeonHole(10)[0]} << ", PH 20 "
                 << int{card().pigeonHole(20)[0]};
            return ::testing::AssertionFailure() << text.str();
        }
        return ::testing::AssertionSuccess();
    }

    void expectNothingSentAtStopOrClose() {
        const std::uint64_t items = card().itemCount();
        frame->onCommand(ID_TRANSFER_STOP);
        runFor(1000);
        EXPECT_EQ(card().itemCount(), items);
        EXPECT_TRUE(cardShows({5, 12}, 0x01, 42));
        frame->onCommand(ID_TRANSFER_START);
        runFor(1000); // unchanged flags are not sent again; the speed's Pigeon-hole is
        const std::uint64_t qprocs = card().qprocCount();
        platform::postClose(frame->window());
        runFor(10);
        EXPECT_FALSE(frame->isWindowAlive());
        EXPECT_FALSE(port->isOpen(1));
        EXPECT_EQ(card().qprocCount(), qprocs);
        EXPECT_TRUE(cardShows({5, 12}, 0x01, 42));
        frame.reset();
        EXPECT_EQ(platform::runMessageLoop(), 0);
    }

    SimulatorBlock block;
};

TEST_F(SafeOutputsTest, StopTurnsTheOutputsOffAndStartSendsWhatIsOnAgain) {
    attachWithOutputsOn("SafeOutputs=1\n");
    EXPECT_TRUE(frame->safeOutputs());
    const std::uint64_t qprocs = card().qprocCount();

    frame->onCommand(ID_TRANSFER_STOP);
    EXPECT_FALSE(frame->source().isAttached());
    runFor(60); // the library's polls hand the queue to the card
    // Off QProcs in list order, the inverted flag's too: 6, then MainGen's 13.
    EXPECT_TRUE(cardShows({6, 13}, 0, 0));
    EXPECT_EQ(card().qprocCount(), qprocs + 2);
    EXPECT_TRUE(iconIs(IDI_TRAY_IDLE));

    frame->onCommand(ID_TRANSFER_START);
    ASSERT_TRUE(frame->source().isAttached());
    runFor(130);
    EXPECT_TRUE(cardShows({5, 12}, 0x01, 0)); // the speed is held back one cycle
    runFor(100);
    EXPECT_TRUE(cardShows({5, 12}, 0x01, 42));
    EXPECT_EQ(card().qprocCount(), qprocs + 4);
}

TEST_F(SafeOutputsTest, TheSimulatorEndingTurnsTheOutputsOffAndItsReturnLightsThem) {
    attachWithOutputsOn("SafeOutputs=1\nAnalogHoldBack=0\n");
    running = false;
    runFor(4000);
    ASSERT_FALSE(frame->source().isAttached());
    runFor(60);
    EXPECT_TRUE(cardShows({6, 13}, 0, 0));
    // Waiting: nothing more goes to the card.
    const std::uint64_t items = card().itemCount();
    runFor(1000);
    EXPECT_EQ(card().itemCount(), items);

    running = true;
    ASSERT_EQ(ticksUntilAttached(3), 3);
    runFor(130); // without the hold-back the speed comes in the first cycle
    EXPECT_TRUE(cardShows({5, 12}, 0x01, 42));
}

TEST_F(SafeOutputsTest, OffByDefaultTheCardKeepsWhatItWasSent) {
    attachWithOutputsOn("");
    EXPECT_FALSE(frame->safeOutputs());
    EXPECT_TRUE(frame->analogHoldBack());
    expectNothingSentAtStopOrClose();
}

TEST_F(SafeOutputsTest, ZeroKeepsWhatTheCardWasSent) {
    attachWithOutputsOn("SafeOutputs=0\n");
    expectNothingSentAtStopOrClose();
}

TEST_F(SafeOutputsTest, CloseWaitsForTheOffStatesToReachTheCardThenClosesIt) {
    attachWithOutputsOn("SafeOutputs=1\n");
    trayLines.clear();
    platform::postClose(frame->window());
    runFor(10);
    // Detached and the outputs queued; the card stays open for the library's polls.
    EXPECT_TRUE(frame->isWindowAlive());
    EXPECT_TRUE(frame->isClosing());
    EXPECT_FALSE(frame->source().isAttached());
    EXPECT_TRUE(port->isOpen(1));
    // Nothing starts anew meanwhile, and a second close changes nothing.
    running = true;
    frame->onCommand(ID_TRANSFER_START);
    frame->tray().OnTrayNotification(IDR_TRAYMENU, ui::TrayLeftButtonDoubleClick);
    platform::postClose(frame->window());
    runFor(kSafeCloseDelayMs - 20);
    trayLines.clear();
    EXPECT_FALSE(frame->source().isAttached());
    EXPECT_TRUE(cardShows({6, 13}, 0, 0));
    EXPECT_TRUE(frame->isWindowAlive());

    runFor(20);
    EXPECT_FALSE(frame->isWindowAlive());
    EXPECT_FALSE(frame->isClosing());
    EXPECT_FALSE(port->isOpen(1));
    EXPECT_EQ(trayLines, (std::vector<std::string>{"tray: icon IDI_TRAY_IDLE"}));
    frame.reset();
    EXPECT_EQ(platform::runMessageLoop(), 0);
}

TEST_F(SafeOutputsTest, ExitWaitsTooAndTheDestructorClosesTheCard) {
    attachWithOutputsOn("SafeOutputs=1\n");
    trayLines.clear();
    platform::postCommand(frame->window(), ID_APP_EXIT);
    runFor(kSafeCloseDelayMs - 20);
    EXPECT_TRUE(frame->isClosing());
    EXPECT_FALSE(frame->isCommandEnabled(ID_APP_EXIT));
    runFor(30);
    EXPECT_FALSE(frame->isWindowAlive());
    EXPECT_TRUE(cardShows({6, 13}, 0, 0));
    EXPECT_TRUE(trayLines.empty()); // Exit shows no blue icon
    EXPECT_TRUE(port->isOpen(1));
    frame.reset();
    EXPECT_FALSE(port->isOpen(1));
    EXPECT_EQ(platform::runMessageLoop(), 0);
}

// Nothing to turn off: after Stop the outputs are off already; with the card closed nothing can
// be sent. Either way the close is at once.
TEST_F(SafeOutputsTest, CloseIsImmediateWhenNothingIsSent) {
    attachWithOutputsOn("SafeOutputs=1\n");
    frame->onCommand(ID_TRANSFER_STOP);
    runFor(60);
    const std::uint64_t items = card().itemCount();
    platform::postClose(frame->window());
    runFor(10);
    EXPECT_FALSE(frame->isWindowAlive());
    EXPECT_EQ(card().itemCount(), items);
    frame.reset();
    EXPECT_EQ(platform::runMessageLoop(), 0);

    writeSettings("SafeOutputs=1\n", kSafeDefinitions);
    boxes.clear();
    ASSERT_TRUE(createFrame("/dev=255"));
    ASSERT_EQ(ticksUntilAttached(3), 3);
    runFor(200);
    frame->onCommand(ID_APP_EXIT);
    EXPECT_FALSE(frame->isWindowAlive());
    EXPECT_FALSE(frame->source().isAttached()); // the pass ran, its sends refused
    EXPECT_EQ(frame->binding().qpCalls(), 0);
    frame.reset();
    EXPECT_EQ(platform::runMessageLoop(), 0);
}

TEST_F(SafeOutputsTest, WithoutHoldBackTheSpeedGoesOutInTheFirstCycle) {
    writeSettings("AnalogHoldBack=0\n", kSafeDefinitions);
    block.set({"Primary Data/KIAS=84"});
    ASSERT_TRUE(createFrame());
    EXPECT_FALSE(frame->analogHoldBack());
    EXPECT_FALSE(frame->safeOutputs());
    running = true;
    ASSERT_EQ(ticksUntilAttached(3), 3);
    runFor(130);
    EXPECT_EQ(card().pigeonHole(20)[0], 42);
    // Every read reaches the card, also while the value keeps changing.
    for (int kias : {86, 88, 90}) {
        block.set({("Primary Data/KIAS=" + std::to_string(kias)).c_str()});
        runFor(100);
        EXPECT_EQ(card().pigeonHole(20)[0], kias / 2);
    }
}

// The two keys are numbers: 0 is off, any other number on (the registry's DWORD reading too);
// text that is not a number reads as 0.
TEST_F(SafeOutputsTest, SettingValuesReadAsNumbersWithZeroOff) {
    struct Case {
        const char* value;
        bool on;
    };
    const Case cases[] = {
        {"1", true},
        {"0", false},
        {"2", true},
        {"-1", true},
        {"2147483647", true},
        {"-2147483648", true},
        {"99999999999999", true},
        {"abc", false},
        {"", false},
        {"1abc", true},
        {" 0x1", false},
        {"true", false},
        {"00000001", true},
        {"+0", false},
    };
    for (const Case& c : cases) {
        for (const char* key : {"SafeOutputs", "AnalogHoldBack"}) {
            writeSettings(std::string(key) + "=" + c.value + "\n");
            ProfileStore settings;
            settings.SetIniFile(folder.file("Glowbridge.ini").c_str());
            CMainFrame read(settings, commandLine, services);
            const bool value =
                std::string(key) == "SafeOutputs" ? read.safeOutputs() : read.analogHoldBack();
            EXPECT_EQ(value, c.on) << key << "=" << c.value;
        }
    }
    // Absent: SafeOutputs off, AnalogHoldBack on.
    writeSettings("");
    ProfileStore settings;
    settings.SetIniFile(folder.file("Glowbridge.ini").c_str());
    CMainFrame read(settings, commandLine, services);
    EXPECT_FALSE(read.safeOutputs());
    EXPECT_TRUE(read.analogHoldBack());
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
