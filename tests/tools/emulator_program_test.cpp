// The emulator program as its own process: the device library reaches it through the emulator
// client over a socket (a named pipe on Windows), and the program's packet log shows what
// arrived.

#include "platform/device_port.h"
#include "platform/event_loop.h"
#include "platform/runtime.h"
#include "quarnio/library.h"
#include "quarnio/quarnio.h"
#include "support/child_process.h"
#include "support/quarnio_session.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>

namespace gb::emu {
namespace {

using gb::test::ChildOutput;
using gb::test::ChildProcess;

class EmulatorProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(scratch_.path().empty());
        address_ = gb::test::emulatorAddress(scratch_);
        logFile_ = scratch_.file("emulator.log");
        client_ = gb::platform::makeEmulatorClient(address_.c_str());
        // The program runs on the real clock, so the library does too.
        session_.emplace(*client_, gb::test::QuarnioSessionOptions{false, true});
        ASSERT_TRUE(session_->loaded());
    }
    void TearDown() override {
        session_.reset();
        child_.kill();
    }

    // Starts the program for one device; unless `once` is false, it ends when the library
    // closes the device.
    void start(int device, std::vector<std::string> extra, bool once = true) {
        std::vector<std::string> args = {"--device",  std::to_string(device),
                                         "--address", address_,
                                         "--plain",   "--seconds",
                                         "60",        "--log",
                                         logFile_};
        if (once) args.push_back("--once");
        args.insert(args.end(), extra.begin(), extra.end());
        // Its packet lines go to the test's output; the test reads the log file.
        ASSERT_TRUE(
            child_.start(gb::test::hostPath(QUARN_EMULATOR_PROGRAM), args, ChildOutput::Shared));
    }

    // Opens the device once the program listens (it takes a moment to start).
    int openWhenReady(int device) {
        int slot = -4;
        for (int attempt = 0; attempt < 400 && slot == -4; ++attempt) {
            slot = _OpenDevice(device);
            if (slot == -4) gb::platform::sleepMilliseconds(25);
        }
        return slot;
    }

    // Starts a program that serves until told "quit", and waits until it listens.
    bool startServing(ChildProcess& child, int device, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--device",  std::to_string(device),
                                         "--address", address_,
                                         "--plain",   "--seconds",
                                         "60",        "--log",
                                         logFile_};
        args.insert(args.end(), extra.begin(), extra.end());
        std::string line;
        return child.start(gb::test::hostPath(QUARN_EMULATOR_PROGRAM), args,
                           ChildOutput::CapturedWithErrors) &&
               child.readUntil("quarn-emulator: USB card, device " + std::to_string(device), line,
                               20000);
    }

    // Runs the program to its end (it is expected to refuse to start): exit code and lines.
    int runRefused(std::vector<std::string> args, std::vector<std::string>& lines) {
        ChildProcess other;
        if (!other.start(gb::test::hostPath(QUARN_EMULATOR_PROGRAM), args,
                         ChildOutput::CapturedWithErrors))
            return -2;
        // A short wait: a program that wrongly starts would serve for a minute.
        for (std::string line; other.readLine(line, 5000);)
            lines.push_back(line);
        return other.wait(5000);
    }

    std::string log() const {
        std::ifstream in(logFile_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The program's exit after the device was closed, and its full log.
    std::string finish() {
        EXPECT_EQ(child_.wait(20000), 0);
        return log();
    }

    gb::test::TempFolder scratch_{"gb-emulator"};
    std::string address_;
    std::string logFile_;
    std::unique_ptr<gb::platform::DevicePortBackend> client_;
    std::optional<gb::test::QuarnioSession> session_;
    ChildProcess child_;
};

bool containsLine(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& line : lines)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

TEST_F(EmulatorProgram, UsbBatchArrivesWithinTwoPolls) {
    start(1, {});
    int slot = openWhenReady(1);
    ASSERT_GE(slot, 0);
    ASSERT_EQ(_SendQP(slot, 5), 0);
    ASSERT_EQ(_SendPH(slot, 3, 1, 2, 3, 4), 0);
    const std::string batch = "write USB1 06 00 20 05 10 03 01 02 03 04 FF (00 x53)";
    // Two poll periods and a little; the loop's timer does the polling.
    for (int tries = 0; tries < 50 && log().find(batch) == std::string::npos; ++tries) {
        gb::platform::runMessageLoopFor(65);
    }
    EXPECT_EQ(_CloseDevice(slot), 0);
    std::string text = finish();
    EXPECT_NE(text.find("open  USB1 accepted"), std::string::npos) << text;
    EXPECT_NE(text.find("write USB1 06 0E 00 FF"), std::string::npos) << text;
    EXPECT_NE(text.find("read  USB1 08 04"), std::string::npos) << text;
    EXPECT_NE(text.find("write USB1 05 80 FF"), std::string::npos) << text;
    EXPECT_NE(text.find(batch), std::string::npos) << text;
    EXPECT_NE(text.find("close USB1 closed"), std::string::npos) << text;
}

TEST_F(EmulatorProgram, SlowIsaCardWithEventsAndInputs) {
    start(0, {"--slow", "20", "--event", "21 05", "--input", "2:A1B2"});
    int slot = openWhenReady(0);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(_GetData(slot), 0);
    std::uint8_t record[10] = {};
    ASSERT_EQ(_GetEvent(slot, record), 0);
    EXPECT_EQ(record[1], 0x21);
    EXPECT_EQ(record[2], 0x05);
    std::uint8_t state[64] = {};
    ASSERT_EQ(_GetAnalogs(slot, state), 0);
    EXPECT_EQ(state[2], 0xA1);
    EXPECT_EQ(state[3], 0xB2);
    std::uint8_t reply[4] = {};
    EXPECT_EQ(_SendCommand(slot, 0x05, 0x10, 0x12, 0x34, reply, 3), 0);
    EXPECT_EQ(reply[0], 0x07);
    EXPECT_EQ(_CloseDevice(slot), 0);
    std::string text = finish();
    EXPECT_NE(text.find("write ISA0 15"), std::string::npos) << text; // acknowledgements
}

TEST_F(EmulatorProgram, ScriptedAnswersAndASecondOpenRefused) {
    std::string script = scratch_.file("answers.txt");
    {
        std::ofstream out(script);
        out << "dev 3\n08 04 5A\n01 00 00\n20 09 FF\n";
    }
    start(3, {"--script", script});
    int slot = openWhenReady(3);
    ASSERT_GE(slot, 0);
    // The device object is held: a second open for writing is refused, as the driver does.
    EXPECT_EQ(client_->open("\\\\.\\QUARNUSBDevice2"), gb::platform::InvalidDeviceHandle);
    EXPECT_EQ(_GetData(slot), 0);
    std::uint8_t record[10] = {};
    ASSERT_EQ(_GetEvent(slot, record), 0);
    EXPECT_EQ(record[1], 0x20);
    EXPECT_EQ(record[2], 0x09);
    EXPECT_EQ(_CloseDevice(slot), 0);
    std::string text = finish();
    EXPECT_NE(text.find("read  USB3 08 04 5A"), std::string::npos) << text;
}

// A program that closes its card and opens it again at once finds the emulator ready, as it
// finds the driver: the endpoint has taken the new connection before it has seen the old one go.
TEST_F(EmulatorProgram, CloseAndReopenAtOnce) {
    start(1, {}, false);
    int slot = openWhenReady(1);
    ASSERT_GE(slot, 0);
    ASSERT_EQ(_CloseDevice(slot), 0);
    int failures = 0;
    for (int cycle = 0; cycle < 20; ++cycle) {
        slot = _OpenDevice(1);
        if (slot < 0) {
            ++failures;
            ADD_FAILURE() << "cycle " << cycle << ": _OpenDevice(1) = " << slot;
            continue;
        }
        EXPECT_EQ(_CloseDevice(slot), 0);
    }
    EXPECT_EQ(failures, 0);
    // While it is open, a second client is still refused at once.
    slot = _OpenDevice(1);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(client_->open("\\\\.\\QUARNUSBDevice0"), gb::platform::InvalidDeviceHandle);
    EXPECT_EQ(_CloseDevice(slot), 0);
}

TEST_F(EmulatorProgram, WrongAnswerCodesRefuseTheOpen) {
    start(2, {"--wrong-codes"});
    int slot = openWhenReady(2);
    EXPECT_EQ(slot, -1); // the library closed the device again, which ends the program
    std::string text = finish();
    EXPECT_NE(text.find("read  USB2 08 44"), std::string::npos) << text;
}

// With the user's definition file, each batch line names what its items stand for.
TEST_F(EmulatorProgram, DefinitionsLabelTheBatchLines) {
    const std::string definitions = scratch_.file("Glowbridge.ini");
    {
        // As an editor on Windows may save it: byte-order mark and CR LF line ends.
        std::ofstream out(definitions, std::ios::binary);
        out << "\xEF\xBB\xBF[Eyebrow Lights]\r\nMasterCaution=5,6\r\n"
               "[Caution Lights]\r\nFwdFuelLow=3,1,0b00000001\r\nHook=3,1,0b00000010\r\n"
               "[Primary Data]\r\nKIAS=3,2,0.5,0\r\n[Secondary Data]\r\nRPM=3,3,2.55\r\n";
    }
    start(1, {"--definitions", definitions});
    int slot = openWhenReady(1);
    ASSERT_GE(slot, 0);
    ASSERT_EQ(_SendQP(slot, 5), 0);
    ASSERT_EQ(_SendPH(slot, 3, 0x00, 0x02, 125, 200), 0);
    ASSERT_EQ(_SendQP(slot, 6), 0);
    ASSERT_EQ(_SendQP(slot, 40), 0);
    const std::string batch =
        "write USB1 06 00 20 05 10 03 00 02 7D C8 20 06 20 28 FF (00 x49)  | MasterCaution ON "
        "(QProc 5); PH 3: FwdFuelLow off, Hook on, KIAS 250 (byte 125), RPM byte 200; "
        "MasterCaution OFF (QProc 6)\n";
    for (int tries = 0; tries < 50 && log().find(batch) == std::string::npos; ++tries) {
        gb::platform::runMessageLoopFor(65);
    }
    EXPECT_EQ(_CloseDevice(slot), 0);
    std::string text = finish();
    EXPECT_NE(text.find(batch), std::string::npos) << text;
    // Packets other than batches are left as they were.
    EXPECT_NE(text.find("write USB1 05 80 FF 00 (00 x60)\n"), std::string::npos) << text;
}

// A definition file Glowbridge would not start with is not half used: the program says why and
// ends before it listens.
TEST_F(EmulatorProgram, DefinitionsThatCannotBeUsedAreRefused) {
    const std::string faulty = scratch_.file("faulty.ini");
    {
        std::ofstream out(faulty, std::ios::binary);
        out << "[Eyebrow Lights]\nMasterCaution=5\nTFFail=300\n";
    }
    const std::string empty = scratch_.file("empty.ini");
    {
        std::ofstream out(empty, std::ios::binary);
        out << "[Settings]\nQUARNDevice=1\n";
    }
    for (const std::string& file : {faulty, empty, scratch_.path(), scratch_.file("missing.ini")}) {
        ChildProcess child;
        ASSERT_TRUE(child.start(
            gb::test::hostPath(QUARN_EMULATOR_PROGRAM),
            {"--device", "1", "--address", address_, "--plain", "--definitions", file}));
        EXPECT_EQ(child.wait(20000), 2) << file;
        std::string line;
        EXPECT_FALSE(child.readLine(line, 1000)) << file << ": " << line;
    }
    EXPECT_EQ(_OpenDevice(1), -4); // nobody listens
}

// One emulator per device: a second one is refused with a message and leaves the first one's
// endpoint alone, so the first still takes opens after the second has gone. One that was killed
// leaves nothing that keeps the next from starting.
TEST_F(EmulatorProgram, SecondEmulatorForTheSameDeviceIsRefused) {
    ASSERT_TRUE(startServing(child_, 1));
    std::vector<std::string> lines;
    EXPECT_EQ(
        runRefused({"--device", "1", "--address", address_, "--plain", "--seconds", "60"}, lines),
        1);
    EXPECT_TRUE(containsLine(lines, "quarn-emulator: another quarn-emulator serves this device at"))
        << testing::PrintToString(lines);

    int slot = openWhenReady(1);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(_SendQP(slot, 9), 0);
    EXPECT_EQ(_CloseDevice(slot), 0);
    EXPECT_NE(log().find("open  USB1 accepted"), std::string::npos) << log();

    // Another device at the same address is no rival.
    ChildProcess neighbour;
    ASSERT_TRUE(startServing(neighbour, 2));
    neighbour.writeLine("quit");
    EXPECT_EQ(neighbour.wait(20000), 0);

    child_.kill();
    ChildProcess restarted;
    ASSERT_TRUE(startServing(restarted, 1));
    slot = openWhenReady(1);
    EXPECT_GE(slot, 0);
    EXPECT_EQ(_CloseDevice(slot), 0);
    restarted.writeLine("quit");
    EXPECT_EQ(restarted.wait(20000), 0);
    // Natively its socket went with it; nothing but the log is left in the folder.
    if (!gb::platform::runningUnderWine()) {
        for (const auto& entry : std::filesystem::directory_iterator(scratch_.path()))
            EXPECT_EQ(entry.path().filename(), "emulator.log");
    }
}

// A script the program cannot use is refused at the start, not served as a card that never
// answers.
TEST_F(EmulatorProgram, UnusableScriptIsRefused) {
    std::vector<std::string> lines;
    EXPECT_EQ(
        runRefused({"--device", "1", "--address", address_, "--script", scratch_.path()}, lines),
        2);
    EXPECT_TRUE(containsLine(lines, scratch_.path() + " is a folder, not a script"))
        << testing::PrintToString(lines);

    const std::string script = scratch_.file("answers.txt");
    {
        std::ofstream out(script);
        out << "dev 3\n08 04 5A\n";
    }
    lines.clear();
    EXPECT_EQ(runRefused({"--device", "1", "--address", address_, "--script", script}, lines), 2);
    EXPECT_TRUE(containsLine(lines, script + " has no answers for device 1"))
        << testing::PrintToString(lines);
}

// "input" takes its bytes with blanks between them, as "event" does.
TEST_F(EmulatorProgram, InputCommandTakesBytesWithBlanks) {
    ASSERT_TRUE(startServing(child_, 1));
    ASSERT_TRUE(child_.writeLine("input 4:01 02 0A"));
    std::string line;
    ASSERT_TRUE(child_.readUntil("quarn-emulator: input", line, 20000));
    EXPECT_EQ(line, "quarn-emulator: input set");
    int slot = openWhenReady(1);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(_GetData(slot), 0);
    std::uint8_t state[64] = {};
    ASSERT_EQ(_GetAnalogs(slot, state), 0);
    EXPECT_EQ(state[4], 0x01);
    EXPECT_EQ(state[5], 0x02);
    EXPECT_EQ(state[6], 0x0A);
    EXPECT_EQ(_CloseDevice(slot), 0);
    child_.writeLine("quit");
    EXPECT_EQ(child_.wait(20000), 0);
}

// Arguments are quoted with control and high bytes escaped; --version names the program.
TEST_F(EmulatorProgram, MessagesEscapeArgumentsAndVersionIsShown) {
    std::vector<std::string> lines;
    EXPECT_EQ(
        runRefused({"--device", "1", "--address", address_, "--script", "\x1b[2Jx\x9b"}, lines), 2);
    EXPECT_TRUE(containsLine(lines, "cannot read script \\x1B[2Jx\\x9B"))
        << testing::PrintToString(lines);
    lines.clear();
    EXPECT_EQ(runRefused({"--version"}, lines), 0);
    ASSERT_EQ(lines.size(), 1u) << testing::PrintToString(lines);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("quarn-emulator [0-9]+\\.[0-9]+\\.[0-9]+")))
        << lines[0];
}

} // namespace
} // namespace gb::emu
