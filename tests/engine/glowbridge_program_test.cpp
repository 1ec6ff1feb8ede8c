// The native program end to end, as a user runs it: the stand-in simulator started as
// EFALCON.EXE, the card emulator program, and glowbridge between them, three processes on the
// real clock. Everything is checked from outside: the tray's lines, the emulator's packet lines
// and the debug log.

#include "settings/settings_files.h"
#include "support/child_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

using gb::test::ChildProcess;
using gb::test::readBytes;
using gb::test::TempFolder;
using gb::test::writeBytes;

namespace {

// A child's output as read so far, searched from a cursor: a match leaves the cursor on the
// matching line, so several items of one line (one batch packet) can be found one after the other.
class Output {
public:
    explicit Output(ChildProcess& process) : process_(process) {}

    // Looks at the lines from the cursor on, reading more until `timeoutMs` have passed.
    bool waitFor(const std::function<bool(const std::string&)>& match, int timeoutMs,
                 bool stayOnMatch = false) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            for (; cursor_ < lines_.size(); ++cursor_) {
                if (match(lines_[cursor_])) {
                    if (!stayOnMatch) ++cursor_;
                    return true;
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            std::string line;
            if (left <= 0 || !process_.readLine(line, static_cast<int>(left))) return false;
            lines_.push_back(line);
        }
    }
    bool waitForLine(const std::string& wanted, int timeoutMs) {
        return waitFor([&](const std::string& line) { return line == wanted; }, timeoutMs);
    }
    // A batch the card took with this item in it ("20 05": QProc 5; "10 0A 01 00 00 00":
    // Pigeon-hole 10 = 01 00 00 00).
    bool waitForItem(const std::string& item, int timeoutMs) {
        return waitFor(
            [&](const std::string& line) {
                return line.find("write USB1") != std::string::npos &&
                       line.find(" " + item + " ") != std::string::npos;
            },
            timeoutMs, true);
    }
    bool waitForText(const std::string& text, int timeoutMs) {
        return waitFor(
            [&](const std::string& line) { return line.find(text) != std::string::npos; },
            timeoutMs);
    }
    // Lines between the last two searches' ends that equal `line`.
    int countSince(std::size_t from, const std::string& line) const {
        int count = 0;
        for (std::size_t i = from; i < cursor_ && i < lines_.size(); ++i)
            count += lines_[i] == line;
        return count;
    }
    std::size_t cursor() const { return cursor_; }

private:
    ChildProcess& process_;
    std::vector<std::string> lines_;
    std::size_t cursor_ = 0;
};

class GlowbridgeProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        sockets = folder.file("quarn");
        std::filesystem::create_directories(sockets);
        setenv("QUARNIO_EMULATOR", sockets.c_str(), 1);
        ASSERT_TRUE(
            emulator.start(GB_QUARN_EMULATOR, {"--device", "1", "--address", sockets, "--plain"}));
        std::string line;
        ASSERT_TRUE(emulator.readUntil("quarn-emulator: USB card", line, 10000));
        ini = folder.file("Glowbridge.ini");
        debugFile = folder.file("Glowbridge.txt");
        writeBytes(ini, "[Settings]\nQUARNDevice=1\nF4CheckProc=EFALCON.EXE\n"
                        "F4CheckTimer=4000\nF4ReadTimer=100\nDebugFile=" +
                            debugFile +
                            "\n[Eyebrow Lights]\nMasterCaution=5,6\n"
                            "[Caution Lights]\nFwdFuelLow=10,0,0b00000001\n"
                            "[Primary Data]\nKIAS=20,0,0.5,0\n");
    }
    void TearDown() override {
        unsetenv("QUARNIO_EMULATOR");
        emulator.interrupt();
        emulator.wait(5000);
    }

    bool startGlowbridge(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args{"/ini=" + ini};
        args.insert(args.end(), extra.begin(), extra.end());
        return glowbridge.start(GB_GLOWBRIDGE, args);
    }

    TempFolder folder;
    std::string sockets;
    std::string ini;
    std::string debugFile;
    ChildProcess emulator;
    ChildProcess glowbridge;
};

TEST_F(GlowbridgeProgramTest, TheCardsLampsFollowTheSimulatorFromAttachToDetach) {
    ChildProcess simulator;
    ASSERT_TRUE(simulator.start(GB_EFALCON, {"--commands", "--quiet"}));
    std::string line;
    ASSERT_TRUE(simulator.readUntil("falcon-sim: holding", line, 10000));
    simulator.writeLine("Eyebrow Lights/MasterCaution=on");
    simulator.writeLine("Caution Lights/FwdFuelLow=on");
    simulator.writeLine("Primary Data/KIAS=100");

    ASSERT_TRUE(startGlowbridge({"/debug"}));
    // Nobody types: the end of input must not end the program.
    glowbridge.closeInput();
    Output tray(glowbridge);
    Output card(emulator);
    ASSERT_TRUE(tray.waitForLine("tray: icon IDI_TRAY_IDLE", 10000));
    const std::size_t opened = tray.cursor();
    ASSERT_TRUE(tray.waitForLine("tray: icon IDI_TRAY_TRANSFER", 15000));
    // Attached on the third tick; that tick's tooltip follows the icon.
    EXPECT_EQ(tray.countSince(opened, "tray: tooltip Calls: QP=0 PH=0"), 2);
    EXPECT_TRUE(tray.waitForLine("tray: default ID_TRANSFER_STOP", 1000));

    EXPECT_TRUE(card.waitForItem("20 05", 3000));
    EXPECT_TRUE(card.waitForItem("10 0A 01 00 00 00", 3000));
    // The speed's first cycle sends the byte as it was; a later one the new value.
    EXPECT_TRUE(card.waitForItem("10 14 00 00 00 00", 3000));
    EXPECT_TRUE(card.waitForItem("10 14 32 00 00 00", 3000));
    simulator.writeLine("Eyebrow Lights/MasterCaution=off");
    simulator.writeLine("Caution Lights/FwdFuelLow=off");
    EXPECT_TRUE(card.waitForItem("20 06", 3000));
    EXPECT_TRUE(card.waitForItem("10 0A 00 00 00 00", 3000));

    // The simulator ends: detached at the next check tick, blue icon, counts kept.
    simulator.writeLine("quit");
    EXPECT_EQ(simulator.wait(5000), 0);
    ASSERT_TRUE(tray.waitForLine("tray: icon IDI_TRAY_IDLE", 6000));
    EXPECT_TRUE(tray.waitForLine("tray: default ID_TRANSFER_START", 1000));
    EXPECT_FALSE(tray.waitForText("tray: tooltip", 500));

    // Ctrl-C closes as WM_CLOSE does: the card is closed and the icon removed.
    ASSERT_TRUE(glowbridge.interrupt());
    EXPECT_TRUE(tray.waitForLine("tray: remove", 3000));
    EXPECT_EQ(glowbridge.wait(3000), 0);
    EXPECT_TRUE(card.waitForText("close USB1", 3000));

    const std::string log = readBytes(debugFile);
    EXPECT_EQ(log.find(std::string(99, '-') + "\n00000001: "), 0u) << log.substr(0, 300);
    EXPECT_NE(log.find(": MasterCaution=On\n"), std::string::npos);
    EXPECT_NE(log.find(": FwdFuelLow=On [10,0,0b00000001]\n"), std::string::npos);
    EXPECT_NE(log.find(": KIAS=[20,0,0x00000032 (50)] (100.000000)\n"), std::string::npos);
    EXPECT_NE(log.find(": MasterCaution=Off\n"), std::string::npos);
}

// With SafeOutputs=1 a Ctrl-C while transferring turns the lamps and gauges off before the card
// is closed.
TEST_F(GlowbridgeProgramTest, WithSafeOutputsCtrlCTurnsTheCardsOutputsOffFirst) {
    std::string settings = readBytes(ini);
    settings.insert(settings.find('\n') + 1, "SafeOutputs=1\n");
    writeBytes(ini, settings);
    ChildProcess simulator;
    ASSERT_TRUE(simulator.start(GB_EFALCON, {"--commands", "--quiet"}));
    std::string line;
    ASSERT_TRUE(simulator.readUntil("falcon-sim: holding", line, 10000));
    simulator.writeLine("Eyebrow Lights/MasterCaution=on");
    simulator.writeLine("Caution Lights/FwdFuelLow=on");
    simulator.writeLine("Primary Data/KIAS=100");

    ASSERT_TRUE(startGlowbridge());
    glowbridge.closeInput();
    Output tray(glowbridge);
    Output card(emulator);
    ASSERT_TRUE(tray.waitForLine("tray: icon IDI_TRAY_TRANSFER", 15000));
    EXPECT_TRUE(card.waitForItem("20 05", 3000));
    EXPECT_TRUE(card.waitForItem("10 0A 01 00 00 00", 3000));
    EXPECT_TRUE(card.waitForItem("10 14 32 00 00 00", 3000));

    ASSERT_TRUE(glowbridge.interrupt());
    EXPECT_TRUE(card.waitForItem("20 06", 3000));
    EXPECT_TRUE(card.waitForItem("10 0A 00 00 00 00", 3000));
    EXPECT_TRUE(card.waitForItem("10 14 00 00 00 00", 3000));
    EXPECT_TRUE(card.waitForText("close USB1", 3000));
    EXPECT_TRUE(tray.waitForLine("tray: remove", 3000));
    EXPECT_EQ(glowbridge.wait(3000), 0);
    simulator.writeLine("quit");
    EXPECT_EQ(simulator.wait(5000), 0);
}

TEST_F(GlowbridgeProgramTest, ExitFromTheMenuAndCommandsTheMenuGreys) {
    ASSERT_TRUE(startGlowbridge());
    Output tray(glowbridge);
    ASSERT_TRUE(tray.waitForLine("tray: icon IDI_TRAY_IDLE", 10000));
    glowbridge.writeLine("stop");
    EXPECT_TRUE(tray.waitForLine("tray: greyed ID_TRANSFER_STOP", 3000));
    glowbridge.writeLine("exit");
    // Exit skips the close handler's blue icon.
    EXPECT_TRUE(tray.waitFor(
        [](const std::string& l) { return l == "tray: remove" || l.find("tray: icon") == 0; },
        3000));
    EXPECT_EQ(tray.countSince(0, "tray: remove"), 1);
    EXPECT_EQ(glowbridge.wait(3000), 0);
    Output card(emulator);
    EXPECT_TRUE(card.waitForText("close USB1", 3000));
}

// The dialogs take the same input channel as the tray: while one is open, lines act on it.
TEST_F(GlowbridgeProgramTest, TheGeneralConfigurationIsDrivenFromTheInputAndWritesTheSettings) {
    ASSERT_TRUE(startGlowbridge());
    Output out(glowbridge);
    ASSERT_TRUE(out.waitForLine("tray: icon IDI_TRAY_IDLE", 10000));
    glowbridge.writeLine("general");
    ASSERT_TRUE(out.waitForText("[dialog 134 \" Glowbridge Configuration\"]", 5000));
    // Labels come as they stand in the dialog, before the controls they name.
    ASSERT_TRUE(out.waitForLine("  - Process-&Check", 3000));
    ASSERT_TRUE(out.waitForLine("  1014: \"4000\"", 3000));
    // A line that names no control is answered, and the dialog stays open.
    glowbridge.writeLine("click 4242");
    EXPECT_TRUE(out.waitForLine("no control 4242", 3000));
    glowbridge.writeLine("type 1014 2500");
    EXPECT_TRUE(out.waitForText("1014*: \"2500\"", 3000));
    glowbridge.writeLine("click 1");
    EXPECT_TRUE(out.waitForLine("[dialog closed]", 3000));
    // Closed, the channel is the tray's again.
    glowbridge.writeLine("about");
    EXPECT_TRUE(out.waitForText("[dialog 100 \" About Glowbridge\"]", 3000));
    glowbridge.writeLine("click 1");
    EXPECT_TRUE(out.waitForLine("[dialog closed]", 3000));
    glowbridge.writeLine("exit");
    EXPECT_EQ(glowbridge.wait(5000), 0);
    const std::string settings = readBytes(ini);
    EXPECT_NE(settings.find("F4CheckTimer=2500\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("F4ReadTimer=100\n"), std::string::npos) << settings;
}

TEST_F(GlowbridgeProgramTest, KilledAndStartedAgainItOpensTheCardAgain) {
    ASSERT_TRUE(startGlowbridge());
    Output tray(glowbridge);
    ASSERT_TRUE(tray.waitForLine("tray: icon IDI_TRAY_IDLE", 10000));
    glowbridge.kill();
    glowbridge.wait(3000);
    ChildProcess again;
    ASSERT_TRUE(again.start(GB_GLOWBRIDGE, {"/ini=" + ini}));
    Output trayAgain(again);
    EXPECT_TRUE(trayAgain.waitForLine("tray: icon IDI_TRAY_IDLE", 10000));
    again.writeLine("exit");
    EXPECT_EQ(again.wait(5000), 0);
}

TEST_F(GlowbridgeProgramTest, WithoutItsSettingsItEndsAfterTheLoadersMessage) {
    writeBytes(ini, "[Settings]\nQUARNDevice=1\n");
    ASSERT_TRUE(startGlowbridge());
    Output tray(glowbridge);
    EXPECT_TRUE(tray.waitForLine("tray: remove", 10000));
    EXPECT_EQ(glowbridge.wait(5000), 1);
}

// --version alone answers and ends before anything starts: no tray, no settings read.
TEST(GlowbridgeProgramVersion, AloneItShowsTheVersionAndEnds) {
    ChildProcess glowbridge;
    ASSERT_TRUE(glowbridge.start(GB_GLOWBRIDGE, {"--version"}));
    std::string line;
    ASSERT_TRUE(glowbridge.readLine(line, 10000));
    EXPECT_TRUE(std::regex_match(line, std::regex("Glowbridge [0-9]+\\.[0-9]+\\.[0-9]+"))) << line;
    EXPECT_FALSE(glowbridge.readLine(line, 10000)) << line;
    EXPECT_EQ(glowbridge.wait(5000), 0);
}

} // namespace
