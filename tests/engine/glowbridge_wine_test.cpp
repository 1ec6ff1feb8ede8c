// Glowbridge.exe as a user runs it on Windows, here under Wine: QUARNIO.DLL beside it reaching
// quarn-emulator.exe over its named pipe, the stand-in simulator started as EFALCON.EXE, the icon
// really in the shell's tray. The test plays the shell: it finds the tray's hidden window and
// posts it the notification a double click makes, and it closes the program as the system does,
// with WM_CLOSE to its main window.

#include "settings/settings_files.h"
#include "support/child_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using gb::test::ChildProcess;
using gb::test::readBytes;
using gb::test::TempFolder;
using gb::test::writeBytes;

namespace {

constexpr UINT kTrayNotify = WM_USER + 10;
constexpr WPARAM kTrayIconId = 130;

// Reads the child's lines until one holds `text`, for at most `timeoutMs` in all.
bool waitForText(ChildProcess& process, const std::string& text, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string line;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || !process.readLine(line, static_cast<int>(left))) return false;
        if (line.find(text) != std::string::npos) return true;
    }
}

bool waitForItem(ChildProcess& emulator, const std::string& item, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string line;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || !emulator.readLine(line, static_cast<int>(left))) return false;
        if (line.find("write USB1") != std::string::npos &&
            line.find(" " + item + " ") != std::string::npos)
            return true;
    }
}

HWND waitForWindow(const char* className, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (HWND window = FindWindowA(className, nullptr)) return window;
        Sleep(50);
    }
    return nullptr;
}

// The emulator, the simulator with MASTER CAUTION on, and Glowbridge over a settings file with
// that lamp as QProc 5 (on) and 6 (off), the frame's and the tray's windows found.
class GlowbridgeUnderWine : public ::testing::Test {
protected:
    void start(const std::string& settingsLines = "") {
        const std::string prefix = gb::test::emulatorAddress(folder);
        const std::string variable = "QUARNIO_EMULATOR=" + prefix;
        _putenv(variable.c_str());

        ASSERT_TRUE(emulator.start(gb::test::hostPath(GB_QUARN_EMULATOR),
                                   {"--device", "1", "--address", prefix, "--plain"}));
        std::string line;
        ASSERT_TRUE(emulator.readUntil("quarn-emulator: USB card", line, 20000));

        ASSERT_TRUE(simulator.start(gb::test::hostPath(GB_EFALCON), {"--commands", "--quiet"}));
        ASSERT_TRUE(simulator.readUntil("falcon-sim: holding", line, 20000));
        simulator.writeLine("Eyebrow Lights/MasterCaution=on");

        const std::string ini = folder.file("Glowbridge.ini");
        writeBytes(ini, "[Settings]\r\nQUARNDevice=1\r\nF4CheckProc=EFALCON.EXE\r\n"
                        "F4CheckTimer=4000\r\nF4ReadTimer=100\r\nDebugFile=" +
                            folder.file("Glowbridge.txt") + "\r\n" + settingsLines +
                            "[Eyebrow Lights]\r\nMasterCaution=5,6\r\n");
        ASSERT_TRUE(glowbridge.start(gb::test::hostPath(GB_GLOWBRIDGE), {"/ini=" + ini}));

        // The icon was added (the frame comes up only then) and its window takes notifications.
        tray = waitForWindow("GlowbridgeTrayWindow", 20000);
        ASSERT_NE(tray, nullptr);
        frame = waitForWindow("GlowbridgeLoopWindow", 5000);
        ASSERT_NE(frame, nullptr);
    }

    void TearDown() override {
        simulator.writeLine("quit");
        simulator.wait(5000);
        emulator.interrupt();
        if (emulator.wait(5000) < 0) emulator.kill();
        _putenv("QUARNIO_EMULATOR=");
    }

    TempFolder folder;
    ChildProcess emulator;
    ChildProcess simulator;
    ChildProcess glowbridge;
    HWND tray = nullptr;
    HWND frame = nullptr;
};

TEST_F(GlowbridgeUnderWine, TrayDoubleClicksStopAndStartTheTransferAndWmCloseEndsIt) {
    ASSERT_NO_FATAL_FAILURE(start());
    // Attached on the third check tick: the lamp's QProc reaches the card.
    ASSERT_TRUE(waitForItem(emulator, "20 05", 20000));

    // A double click runs the default item, now "Stop transfer".
    ASSERT_TRUE(PostMessageA(tray, kTrayNotify, kTrayIconId, WM_LBUTTONDBLCLK));
    Sleep(500);
    simulator.writeLine("Eyebrow Lights/MasterCaution=off");
    EXPECT_FALSE(waitForItem(emulator, "20 06", 1500));
    // A notification for another icon id is not ours.
    ASSERT_TRUE(PostMessageA(tray, kTrayNotify, kTrayIconId + 1, WM_LBUTTONDBLCLK));
    EXPECT_FALSE(waitForItem(emulator, "20 06", 1000));
    // Again: "Start transfer", at once and without the process delay.
    ASSERT_TRUE(PostMessageA(tray, kTrayNotify, kTrayIconId, WM_LBUTTONDBLCLK));
    EXPECT_TRUE(waitForItem(emulator, "20 06", 3000));

    ASSERT_TRUE(PostMessageA(frame, WM_CLOSE, 0, 0));
    EXPECT_EQ(glowbridge.wait(10000), 0);
    EXPECT_TRUE(waitForText(emulator, "close USB1", 5000));
    EXPECT_EQ(FindWindowA("GlowbridgeTrayWindow", nullptr), nullptr);
}

// With SafeOutputs=1, WM_CLOSE while transferring first turns the lamp off, and the card takes
// its Off QProc before it is closed.
TEST_F(GlowbridgeUnderWine, WithSafeOutputsWmCloseTurnsTheLampOffBeforeTheCardCloses) {
    ASSERT_NO_FATAL_FAILURE(start("SafeOutputs=1\r\n"));
    ASSERT_TRUE(waitForItem(emulator, "20 05", 20000));
    ASSERT_TRUE(PostMessageA(frame, WM_CLOSE, 0, 0));
    EXPECT_TRUE(waitForItem(emulator, "20 06", 5000));
    EXPECT_TRUE(waitForText(emulator, "close USB1", 5000));
    EXPECT_EQ(glowbridge.wait(10000), 0);
    EXPECT_EQ(FindWindowA("GlowbridgeTrayWindow", nullptr), nullptr);
}

} // namespace
