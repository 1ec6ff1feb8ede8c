// quarnio-demo as a user runs it: its options, its refusals, its word on a failed open, and the
// documented pair of commands (emulator in the background, demo at once) pasted together.

#include "support/child_process.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using gb::test::ChildOutput;
using gb::test::ChildProcess;

struct DemoRun {
    int exitCode = -1;
    std::vector<std::string> lines;

    bool saw(const std::string& text) const {
        for (const std::string& line : lines)
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
};

// Runs the demo to its end; a demo that still runs after `timeoutMs` is killed (exit code -1).
DemoRun runDemo(const std::vector<std::string>& args, int timeoutMs = 20000) {
    DemoRun run;
    ChildProcess demo;
    if (!demo.start(gb::test::hostPath(QUARNIO_DEMO_PROGRAM), args)) return run;
    run.exitCode = demo.wait(timeoutMs);
    if (run.exitCode == -1) demo.kill();
    std::string line;
    while (demo.readLine(line, 100))
        run.lines.push_back(line);
    return run;
}

class QuarnioDemo : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(scratch_.path().empty());
        address_ = gb::test::emulatorAddress(scratch_);
        gb::test::setEnvironment("QUARNIO_EMULATOR", address_);
    }
    void TearDown() override { gb::test::setEnvironment("QUARNIO_EMULATOR", ""); }

    std::string log() const {
        std::ifstream in(scratch_.file("emulator.log"));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    bool startEmulator(ChildProcess& emulator, int device) {
        return emulator.start(gb::test::hostPath(QUARN_EMULATOR_PROGRAM),
                              {"--device", std::to_string(device), "--address", address_, "--plain",
                               "--once", "--seconds", "30", "--log", scratch_.file("emulator.log")},
                              ChildOutput::Shared);
    }

    gb::test::TempFolder scratch_{"gb-quarnio-demo"};
    std::string address_;
};

TEST_F(QuarnioDemo, HelpAndVersionLoadNothing) {
    DemoRun help = runDemo({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    ASSERT_FALSE(help.lines.empty());
    EXPECT_EQ(help.lines[0].rfind("usage: quarnio-demo", 0), 0u) << help.lines[0];
    EXPECT_TRUE(help.saw("--device <n>"));
    EXPECT_TRUE(help.saw("QUARNIO_EMULATOR"));

    DemoRun version = runDemo({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    ASSERT_EQ(version.lines.size(), 1u);
    EXPECT_EQ(version.lines[0].rfind("quarnio-demo ", 0), 0u) << version.lines[0];
}

// Every value outside its range is refused at once, before the library is loaded; none of them
// may turn into a loop that runs for weeks.
TEST_F(QuarnioDemo, RefusesValuesOutsideTheirRange) {
    const std::vector<std::vector<std::string>> refused = {
        {"no-such-library", "-1"},
        {"no-such-library", "0"},
        {"no-such-library", "4294967296"},
        {"no-such-library", "4294967396"}, // 100 once 32 bits wrap
        {"no-such-library", "3600001"},
        {"no-such-library", "2147483647"},
        {"no-such-library", "-2147483648"},
        {"no-such-library", "18446744073709551617"}, // 1 once 64 bits wrap
        {"no-such-library", "inf"},
        {"no-such-library", "nan"},
        {"no-such-library", "abc"},
        {"no-such-library", "12abc"},
        {"no-such-library", " 5"},
        {"no-such-library", "+5"},
        {"no-such-library", ""},
        {"no-such-library", "100", "extra"},
        {"--device", "8"},
        {"--device", "-1"},
        {"--device", "2147483648"},
        {"--device"},
        {"--wait", "601"},
        {"--wait", "-1"},
        {"--bogus"},
    };
    for (const auto& args : refused) {
        std::string shown;
        for (const std::string& a : args)
            shown += "[" + a + "] ";
        DemoRun run = runDemo(args, 10000);
        EXPECT_EQ(run.exitCode, 2) << shown;
        EXPECT_TRUE(run.lines.empty()) << shown << run.lines[0];
    }
}

TEST_F(QuarnioDemo, MissingDeviceIsExplained) {
    DemoRun run = runDemo({"--wait", "0"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.saw("_OpenDevice(1) = -4"));
    EXPECT_TRUE(run.saw("the device object could not be opened"));
    EXPECT_TRUE(run.saw("QUARNIO_EMULATOR is \"" + address_ + "\""));
    EXPECT_TRUE(run.saw("quarn-emulator --device 1"));

    // Without an emulator named, nothing is waited for: the driver does not come later.
    gb::test::setEnvironment("QUARNIO_EMULATOR", "");
    run = runDemo({"--device", "0"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.saw("_OpenDevice(0) = -4"));
    EXPECT_TRUE(run.saw("QUARNIO_EMULATOR is not set"));
}

// The documented commands pasted together: the demo starts before the emulator listens, waits
// for it, and the emulator (--once) ends when the demo closes the card.
TEST_F(QuarnioDemo, DemoStartedBeforeTheEmulatorWaitsForIt) {
    ChildProcess demo;
    ASSERT_TRUE(demo.start(gb::test::hostPath(QUARNIO_DEMO_PROGRAM), {"--device", "3"}));
    std::string line;
    ASSERT_FALSE(demo.readLine(line, 300)) << line; // still waiting for the device
    ChildProcess emulator;
    ASSERT_TRUE(startEmulator(emulator, 3));
    EXPECT_EQ(demo.wait(20000), 0);
    DemoRun run;
    while (demo.readLine(line, 100))
        run.lines.push_back(line);
    EXPECT_TRUE(run.saw("_OpenDevice(3) = 0"));
    EXPECT_EQ(emulator.wait(20000), 0);
    EXPECT_NE(log().find("write USB3 06 00 20 05 10 03 01 02 03 04 FF"), std::string::npos)
        << log();
}

} // namespace
