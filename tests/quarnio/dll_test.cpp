// QUARNIO.DLL as a user program sees it: loaded by name, entry points resolved by name, the poll
// timer created by DllMain and dispatched by the program's own message loop.

#include "support/child_process.h"
#include "support/temp_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const EntryPoints[] = {"_OpenDevice",
                                   "_CloseDevice",
                                   "_CloseAllHandles",
                                   "_GetDeviceInfo",
                                   "_InitQUARN",
                                   "_BlindSend",
                                   "_SendQP",
                                   "_SendPH",
                                   "_SendPHint",
                                   "_SendCommand",
                                   "_GetCurrentButtonStates",
                                   "_ReadQuarn",
                                   "_WriteQuarn",
                                   "_GetPointers",
                                   "_WritePointers",
                                   "_GetData",
                                   "_GetAnalogs",
                                   "_GetEvent",
                                   "_StartPolling",
                                   "_StopPolling",
                                   "_StartUSBIntPoll",
                                   "_StopUSBIntPoll"};

using IntFn = int (*)(int);
using InfoFn = int (*)(int, void*);

template <typename F> F entry(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class QuarnioDll : public ::testing::Test {
protected:
    void SetUp() override {
        // The driver backend, not an emulator, must serve this process.
        _putenv("QUARNIO_EMULATOR=");
        module = LoadLibraryA("QUARNIO.DLL");
        ASSERT_NE(module, nullptr) << "error " << GetLastError();
    }
    void TearDown() override {
        if (module != nullptr) FreeLibrary(module);
    }
    HMODULE module = nullptr;
};

// Runs the thread's message loop for `ms` and counts the thread-timer ticks of timers other than
// the loop's own stop timer. The test program creates no other timers, so they are the DLL's.
int otherTimerTicks(UINT ms) {
    UINT_PTR stop = SetTimer(nullptr, 0, ms, nullptr);
    if (stop == 0) return -1;
    int ticks = 0;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
            if (msg.wParam == stop) break;
            ++ticks;
        }
        DispatchMessageA(&msg);
    }
    KillTimer(nullptr, stop);
    return ticks;
}

} // namespace

TEST_F(QuarnioDll, ExportsEveryEntryPointByName) {
    for (const char* name : EntryPoints) {
        EXPECT_NE(reinterpret_cast<void*>(GetProcAddress(module, name)), nullptr) << name;
    }
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(module, "OpenDevice")), nullptr);
}

TEST_F(QuarnioDll, WithoutTheDriverNoDeviceOpens) {
    auto open = entry<IntFn>(module, "_OpenDevice");
    auto info = entry<InfoFn>(module, "_GetDeviceInfo");
    auto close = entry<IntFn>(module, "_CloseDevice");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open(8), -6);
    EXPECT_EQ(open(1), -4);
    EXPECT_EQ(open(0), -4);
    EXPECT_EQ(close(0), -2);
    std::uint8_t record[84];
    ASSERT_EQ(info(1, record), 0);
    EXPECT_EQ(record[0], 0xFF); // invalid handle
    EXPECT_EQ(record[4], 0);    // open count
    EXPECT_EQ(info(8, record), -6);
}

TEST_F(QuarnioDll, PollTimerTicksWhileTheProgramsLoopRuns) {
    int ticks = otherTimerTicks(1000);
    // About 33 ticks at 30 ms; a loaded machine stretches them.
    EXPECT_GE(ticks, 15);
    EXPECT_LE(ticks, 40);

    // Unloading kills the timer: no tick reaches a procedure that is gone.
    FreeLibrary(module);
    module = nullptr;
    EXPECT_EQ(otherTimerTicks(200), 0);
}

// The Windows library reaches the emulator program over its named pipe when QUARNIO_EMULATOR
// names it, and its timer sends the queued batch.
TEST(QuarnioDllEmulator, BatchReachesTheEmulatorProgram) {
    gb::test::TempFolder scratch;
    const std::string address = gb::test::uniqueName("quarnio-dll-test");
    const std::string logFile = scratch.file("emulator.log");
    // The emulator ends when the library closes the device.
    gb::test::ChildProcess emulator;
    ASSERT_TRUE(emulator.start(gb::test::hostPath(QUARN_EMULATOR_PROGRAM),
                               {"--device", "1", "--address", address, "--plain", "--once",
                                "--seconds", "30", "--log", logFile},
                               gb::test::ChildOutput::Shared))
        << "quarn-emulator.exe did not start";
    const std::string pipe = "\\\\.\\pipe\\" + address + "\\QUARNUSBDevice0";
    for (int i = 0; i < 100 && !WaitNamedPipeA(pipe.c_str(), 50); ++i)
        Sleep(50);

    const std::string variable = "QUARNIO_EMULATOR=" + address;
    _putenv(variable.c_str());
    HMODULE module = LoadLibraryA("QUARNIO.DLL");
    ASSERT_NE(module, nullptr);
    auto open = entry<IntFn>(module, "_OpenDevice");
    auto close = entry<IntFn>(module, "_CloseDevice");
    auto sendQP = entry<int (*)(int, int)>(module, "_SendQP");
    auto sendPH = entry<int (*)(int, int, int, int, int, int)>(module, "_SendPH");
    int slot = open(1);
    EXPECT_EQ(slot, 0);
    if (slot >= 0) {
        EXPECT_EQ(sendQP(slot, 5), 0);
        EXPECT_EQ(sendPH(slot, 3, 1, 2, 3, 4), 0);
        otherTimerTicks(200);
        EXPECT_EQ(close(slot), 0);
    }
    FreeLibrary(module);
    _putenv("QUARNIO_EMULATOR=");
    if (emulator.wait(5000) == -1) emulator.kill();

    char text[65536] = {};
    FILE* log = std::fopen(logFile.c_str(), "rb");
    ASSERT_NE(log, nullptr);
    std::fread(text, 1, sizeof text - 1, log);
    std::fclose(log);
    EXPECT_NE(std::strstr(text, "06 00 20 05 10 03 01 02 03 04 FF"), nullptr) << text;
}
