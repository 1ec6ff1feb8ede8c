// The stand-in simulator and the monitor as two processes (two Wine processes in the Windows
// build): what one writes into "FalconSharedMemoryArea", the other reads as Glowbridge would,
// and the test's own SharedMemorySource agrees with both.

#include "cockpit/element_table.h"
#include "cockpit/shared_memory_source.h"
#include "cockpit/text_utils.h"
#include "platform/runtime.h"
#include "platform/shared_block.h"
#include "support/child_process.h"
#include "support/scripted_message_boxes.h"
#include "support/temp_folder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using gb::test::ChildOutput;
using gb::test::ChildProcess;
using gb::test::hostPath;

namespace {

constexpr int kTimeoutMs = 30000; // only against a hung child; a healthy run takes well under 1 s

struct Reading {
    std::string group;
    std::string element;
    std::string flag;
    double value = 0.0;
    long scaled = 0;
};

// Index -> reading, from the monitor's tab-separated output; `layout` from its header line.
bool parseMachineOutput(const std::vector<std::string>& lines, int& layout,
                        std::map<int, Reading>& readings) {
    layout = 0;
    for (const std::string& line : lines) {
        if (line.rfind("# layout ", 0) == 0) {
            layout = std::atoi(line.c_str() + 9);
            continue;
        }
        std::vector<std::string> fields;
        std::stringstream stream(line);
        for (std::string field; std::getline(stream, field, '\t');)
            fields.push_back(field);
        if (fields.size() != 6) return false;
        Reading r{fields[1], fields[2], fields[3], std::strtod(fields[4].c_str(), nullptr),
                  std::strtol(fields[5].c_str(), nullptr, 10)};
        readings[std::atoi(fields[0].c_str())] = r;
    }
    return layout != 0;
}

// Runs a program to its end, its standard error with its output into `lines`; its exit code.
// `timeoutMs` short where a faulty program would run on instead of refusing.
int runToEnd(const char* program, const std::vector<std::string>& args,
             std::vector<std::string>& lines, int timeoutMs = kTimeoutMs) {
    ChildProcess child;
    if (!child.start(hostPath(program), args, ChildOutput::CapturedWithErrors)) return -2;
    for (std::string line; child.readLine(line, timeoutMs);)
        lines.push_back(line);
    return child.wait(timeoutMs);
}

// Runs the monitor once in its machine form; its exit code, and its lines in `lines` (with its
// standard error when `errors`).
int runMonitor(const std::vector<std::string>& args, std::vector<std::string>& lines,
               bool errors = false) {
    ChildProcess monitor;
    if (!monitor.start(hostPath(GB_MONITOR_EXE), args,
                       errors ? ChildOutput::CapturedWithErrors : ChildOutput::Captured))
        return -2;
    for (std::string line; monitor.readLine(line, kTimeoutMs);)
        lines.push_back(line);
    return monitor.wait(kTimeoutMs);
}

std::vector<std::string> assignmentsFor(int layout) {
    std::vector<std::string> a = {
        "eyebrow lights/MASTERCAUTION=on", // names in any case
        "Caution Lights/Hook=on",
        "Primary Data/KIAS=355", // Speed Lights/Good
        "Primary Data/Altitude=-12345",
        "Gear Lights/Nose=on",
        "@0x50:f32=1234.5", // Secondary Data/FuelFlow
        "@0x6C:set=0x100",  // Eyebrow Lights/OilPress
    };
    if (layout >= 110) {
        a.insert(a.end(), {"Caution Lights/FwdFuelLow=on", "Power Lights/EPURun=on",
                           "Other Lights/AVTRMode=on", "Secondary Data/UFCTacanChannel=77",
                           "Gear Lights/Handle=on"});
    }
    if (layout >= 200) {
        a.insert(a.end(), {"Other Flags/AOAOff=on", "Secondary Data/TrimPitch=0.25"});
    }
    return a;
}

class SimulatorAndMonitor : public testing::TestWithParam<int> {};

TEST_P(SimulatorAndMonitor, AgreeOnWhatTheBlockHolds) {
    const int layout = GetParam();
    // Wine rounds the block up to a page, so every reader there sees layout 200; the other
    // layouts' offsets differ from 0x0DC on, so they are exercised natively only.
    if (gb::platform::runningUnderWine() && layout != 200)
        GTEST_SKIP() << "under Wine every small block reads as layout 200";

    ChildProcess simulator;
    std::vector<std::string> args = {"--layout", std::to_string(layout), "--commands"};
    for (const std::string& a : assignmentsFor(layout))
        args.push_back(a);
    // Started under the name the process watch looks for.
    ASSERT_TRUE(simulator.start(hostPath(GB_SIMULATOR_ALIAS), args));
    std::string line;
    ASSERT_TRUE(simulator.readUntil("falcon-sim: holding", line, kTimeoutMs));
    EXPECT_NE(line.find("layout " + std::to_string(layout)), std::string::npos) << line;

    std::vector<std::string> lines;
    ASSERT_EQ(runMonitor({"--once", "--machine"}, lines), 0);
    int seenLayout = 0;
    std::map<int, Reading> readings;
    ASSERT_TRUE(parseMachineOutput(lines, seenLayout, readings));
    EXPECT_EQ(seenLayout, layout);
    EXPECT_EQ(readings.size(), 159u); // every catalogued element

    {
        // The test attaches too: the monitor must show exactly what the program's reader reads.
        gb::test::ScriptedMessageBoxes boxes;
        gb::SharedMemorySource source;
        ASSERT_TRUE(source.attach());
        for (const auto& [index, r] : readings) {
            SCOPED_TRACE(r.group + "/" + r.element);
            EXPECT_EQ(r.flag, source.readFlag(index) ? "On" : "Off");
            EXPECT_EQ(static_cast<float>(r.value), static_cast<float>(source.readValue(index)));
            EXPECT_EQ(r.scaled, source.readScaled(index, 1.0, 0));
        }
        EXPECT_TRUE(boxes.shown().empty());
    }

    // And what the simulator was told to write.
    auto flag = [&](int index) { return readings[index].flag; };
    EXPECT_EQ(flag(0), "On");   // MasterCaution
    EXPECT_EQ(flag(41), "On");  // Hook
    EXPECT_EQ(flag(8), "On");   // OilPress, by raw offset
    EXPECT_EQ(flag(1), "Off");  // TFFail
    EXPECT_EQ(flag(116), "On"); // Speed Lights/Good at KIAS 355
    EXPECT_EQ(flag(115), "Off");
    EXPECT_EQ(readings[125].value, 355.0);
    EXPECT_EQ(readings[119].value, -12345.0);
    EXPECT_EQ(readings[122].scaled, 3);     // Alt100 of height 12345
    EXPECT_EQ(readings[121].scaled, 2);     // Alt1000
    EXPECT_EQ(readings[134].value, 1234.5); // FuelFlow
    EXPECT_EQ(flag(53), "On");              // Nose gear
    if (layout == 100) {
        EXPECT_EQ(flag(52), "On");  // one gear position for all three
        EXPECT_EQ(flag(20), "Off"); // FwdFuelLow: not in layout 100
    } else {
        EXPECT_EQ(flag(52), "Off");           // each gear its own position
        EXPECT_EQ(flag(55), "On");            // Handle
        EXPECT_EQ(flag(20), "On");            // FwdFuelLow
        EXPECT_EQ(flag(78), "On");            // EPURun: 0x080 in layout 110, 0x07C in 200
        EXPECT_EQ(flag(98), "On");            // AVTRMode: 0x0DC in layout 110, 0x0E8 in 200
        EXPECT_EQ(readings[145].value, 77.0); // UFCTacanChannel
    }
    EXPECT_EQ(flag(112), layout == 200 ? "On" : "Off");         // AOAOff
    EXPECT_EQ(readings[148].value, layout == 200 ? 0.25 : 0.0); // TrimPitch

    // Scaling as a definition would, and a selection by name.
    lines.clear();
    ASSERT_EQ(
        runMonitor({"--once", "--machine", "--multi", "10", "--offset", "3", "primary data/kias"},
                   lines),
        0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "125\tPrimary Data\tKIAS\tOff\t355\t3553");

    // A change while both run.
    ASSERT_TRUE(simulator.writeLine("Eyebrow Lights/MasterCaution=off"));
    ASSERT_TRUE(
        simulator.readUntil("falcon-sim: Eyebrow Lights/MasterCaution=off", line, kTimeoutMs));
    lines.clear();
    ASSERT_EQ(runMonitor({"--once", "--machine", "Eyebrow Lights/MasterCaution"}, lines), 0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "0\tEyebrow Lights\tMasterCaution\tOff\t0\t0");

    // Ctrl-C: the simulator releases the block and ends normally. Wine can deliver a console
    // Ctrl-Break only with a console, which a test under ctest lacks; there the end of the
    // command input ends it the same way.
    if (gb::platform::runningUnderWine()) {
        simulator.closeInput();
    } else {
        ASSERT_TRUE(simulator.interrupt());
    }
    EXPECT_TRUE(simulator.readUntil("falcon-sim: released", line, kTimeoutMs));
    EXPECT_EQ(simulator.wait(kTimeoutMs), 0);
    gb::platform::SharedBlockHandle gone = gb::platform::openSharedBlock(gb::kSharedBlockName);
    EXPECT_EQ(gone, nullptr);
    if (gone != nullptr) gb::platform::closeSharedBlock(gone);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SimulatorAndMonitor, testing::Values(100, 110, 200),
                         [](const testing::TestParamInfo<int>& info) {
                             return "Layout" + std::to_string(info.param);
                         });

// Starts the simulator and waits until it holds the block.
bool startSimulator(ChildProcess& simulator, const std::vector<std::string>& args) {
    std::string line;
    return simulator.start(hostPath(GB_SIMULATOR_EXE), args, ChildOutput::CapturedWithErrors) &&
           simulator.readUntil("falcon-sim: holding", line, kTimeoutMs);
}

bool containsLine(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& line : lines)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

// Two simulators at once: the second is refused and changes nothing; the block goes with the
// first one.
TEST(SimulatorAndMonitor, SecondSimulatorIsRefusedAndTheFirstKeepsItsBlock) {
    ChildProcess first;
    ASSERT_TRUE(startSimulator(first, {"--layout", "110", "--commands", "Primary Data/KIAS=250"}));

    ChildProcess second;
    ASSERT_TRUE(second.start(hostPath(GB_SIMULATOR_EXE), {"--layout", "200", "Primary Data/KIAS=1"},
                             ChildOutput::CapturedWithErrors));
    std::vector<std::string> said;
    for (std::string line; second.readLine(line, kTimeoutMs);)
        said.push_back(line);
    EXPECT_EQ(second.wait(kTimeoutMs), 1);
    EXPECT_TRUE(containsLine(said, "falcon-sim: another simulator holds FalconSharedMemoryArea"))
        << testing::PrintToString(said);
    EXPECT_FALSE(containsLine(said, "holding"));

    std::vector<std::string> lines;
    ASSERT_EQ(runMonitor({"--once", "--machine", "Primary Data/KIAS"}, lines), 0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], gb::platform::runningUnderWine() ? "# layout 200 size 1264"
                                                         : "# layout 110 size 1240");
    EXPECT_EQ(lines[1], "125\tPrimary Data\tKIAS\tOff\t250\t250");

    first.closeInput();
    EXPECT_EQ(first.wait(kTimeoutMs), 0);
    gb::platform::SharedBlockHandle gone = gb::platform::openSharedBlock(gb::kSharedBlockName);
    EXPECT_EQ(gone, nullptr);
    gb::platform::closeSharedBlock(gone);
}

// A simulator killed outright leaves its block behind natively. A watching monitor says so and,
// with --until-gone, ends; a monitor started later does not show the orphan; a restarted
// simulator replaces it and the monitor moves to the new block.
TEST(SimulatorAndMonitor, KilledSimulatorIsNoticedAndARestartReplacesItsBlock) {
    ChildProcess killed;
    ASSERT_TRUE(startSimulator(killed, {"--layout", "110", "Primary Data/KIAS=250"}));
    ChildProcess watcher;
    ASSERT_TRUE(watcher.start(hostPath(GB_MONITOR_EXE), {"--machine", "--until-gone", "--interval",
                                                         "20", "Primary Data/KIAS"}));
    std::string line;
    ASSERT_TRUE(watcher.readUntil("125\t", line, kTimeoutMs)); // it shows the block

    killed.kill(); // SIGKILL natively, TerminateProcess on Windows
    ASSERT_TRUE(watcher.readUntil("# FalconSharedMemoryArea", line, kTimeoutMs));
    EXPECT_EQ(line, "# FalconSharedMemoryArea is left over: the simulator that held it is gone");
    EXPECT_EQ(watcher.wait(kTimeoutMs), 0);

    std::vector<std::string> lines;
    EXPECT_EQ(runMonitor({"--once", "--machine"}, lines, true), 1);
    // Natively the orphan is still there; on Windows it went with its last handle.
    EXPECT_TRUE(containsLine(lines, gb::platform::runningUnderWine()
                                        ? "FalconSharedMemoryArea is not there"
                                        : "FalconSharedMemoryArea is left over"))
        << testing::PrintToString(lines);

    // A live monitor waits through the orphan for the next simulator.
    ChildProcess waiting;
    ASSERT_TRUE(waiting.start(hostPath(GB_MONITOR_EXE),
                              {"--machine", "--interval", "20", "Primary Data/KIAS"}));
    if (!gb::platform::runningUnderWine()) {
        ASSERT_TRUE(waiting.readUntil("# FalconSharedMemoryArea is left over", line, kTimeoutMs));
    }
    ChildProcess restarted;
    ASSERT_TRUE(restarted.start(hostPath(GB_SIMULATOR_EXE),
                                {"--layout", "200", "--commands", "Primary Data/KIAS=300"},
                                ChildOutput::CapturedWithErrors));
    std::vector<std::string> said;
    while (restarted.readLine(line, kTimeoutMs) && line.rfind("falcon-sim: holding", 0) != 0)
        said.push_back(line);
    ASSERT_EQ(line.rfind("falcon-sim: holding", 0), 0u) << testing::PrintToString(said);
    if (!gb::platform::runningUnderWine()) {
        EXPECT_TRUE(containsLine(said, "falcon-sim: replaced FalconSharedMemoryArea, left by a "
                                       "simulator that is gone"))
            << testing::PrintToString(said);
    }
    // (It may catch the new block zeroed, before the simulator has written it.)
    EXPECT_TRUE(waiting.readUntil("125\tPrimary Data\tKIAS\tOff\t300\t300", line, kTimeoutMs));
    waiting.kill();

    lines.clear();
    ASSERT_EQ(runMonitor({"--once", "--machine", "Primary Data/KIAS"}, lines), 0);
    EXPECT_EQ(lines, (std::vector<std::string>{"# layout 200 size 1264",
                                               "125\tPrimary Data\tKIAS\tOff\t300\t300"}));
    restarted.closeInput();
    EXPECT_EQ(restarted.wait(kTimeoutMs), 0);
    gb::platform::SharedBlockHandle gone = gb::platform::openSharedBlock(gb::kSharedBlockName);
    EXPECT_EQ(gone, nullptr);
    gb::platform::closeSharedBlock(gone);
}

TEST(SimulatorAndMonitor, MonitorWithoutSimulatorSaysSoAndFails) {
    std::vector<std::string> lines;
    EXPECT_EQ(runMonitor({"--once", "--machine"}, lines), 1);
    EXPECT_TRUE(lines.empty());
}

TEST(SimulatorAndMonitor, CommandsApplyLiveAndTheEndOfInputEndsCleanly) {
    ChildProcess simulator;
    ASSERT_TRUE(simulator.start(hostPath(GB_SIMULATOR_EXE), {"--commands", "--layout", "200"}));
    std::string line;
    ASSERT_TRUE(simulator.readUntil("falcon-sim: holding", line, kTimeoutMs));
    // A bad command is reported and skipped; the simulator runs on.
    ASSERT_TRUE(simulator.writeLine("Primary Data/Speed=3"));
    ASSERT_TRUE(simulator.writeLine("secondary data/ufctacanchannel=-0x10"));
    ASSERT_TRUE(
        simulator.readUntil("falcon-sim: Secondary Data/UFCTacanChannel=-0x10", line, kTimeoutMs));
    std::vector<std::string> lines;
    ASSERT_EQ(runMonitor({"--once", "--machine", "Secondary Data/UFCTacanChannel"}, lines), 0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "145\tSecondary Data\tUFCTacanChannel\tOff\t-16\t-16");

    simulator.closeInput();
    EXPECT_TRUE(simulator.readUntil("falcon-sim: released", line, kTimeoutMs));
    EXPECT_EQ(simulator.wait(kTimeoutMs), 0);
}

TEST(SimulatorAndMonitor, BadInputIsRefusedBeforeAnythingIsPublished) {
    ChildProcess simulator;
    ASSERT_TRUE(simulator.start(hostPath(GB_SIMULATOR_EXE), {"Caution Lights/NoSuchLight=on"}));
    std::string line;
    EXPECT_FALSE(simulator.readUntil("falcon-sim: holding", line, kTimeoutMs));
    EXPECT_EQ(simulator.wait(kTimeoutMs), 2);

    std::vector<std::string> lines;
    EXPECT_EQ(runMonitor({"--once", "No Such Group"}, lines), 2);
}

// Every number on the command line is checked on its exact value before it is used: NaN, an
// infinity or a value a cast would wrap are refused with what was typed, and nothing runs.
TEST(SimulatorAndMonitor, NumbersOutsideTheirRangeAreRefused) {
    struct Case {
        const char* program;
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {GB_SIMULATOR_EXE, {"--tick", "nan"}, "--tick takes 1 to 10000 milliseconds, not \"nan\""},
        {GB_SIMULATOR_EXE, {"--tick", "0"}, "--tick takes 1 to 10000 milliseconds, not \"0\""},
        {GB_SIMULATOR_EXE, {"--tick", "4294967346"}, "not \"4294967346\""}, // 50 after a wrap
        {GB_SIMULATOR_EXE, {"--layout", "nan"}, "--layout takes 100, 110 or 200, not \"nan\""},
        {GB_SIMULATOR_EXE, {"--layout", "1e20"}, "--layout takes 100, 110 or 200, not \"1e20\""},
        {GB_SIMULATOR_EXE, {"--layout", "4294967496"}, "not \"4294967496\""}, // 200 after a wrap
        {GB_SIMULATOR_EXE, {"--seconds", "nan"}, "--seconds takes 0 to 1000000000 seconds"},
        {GB_SIMULATOR_EXE, {"--seconds", "inf"}, "--seconds takes 0 to 1000000000 seconds"},
        {GB_MONITOR_EXE, {"--count", "1e300"}, "--count takes a whole number from 1 to 2147483647"},
        {GB_MONITOR_EXE, {"--count", "4294967296"}, "not \"4294967296\""},
        {GB_MONITOR_EXE, {"--count", "0"}, "not \"0\""},
        {GB_MONITOR_EXE, {"--interval", "1e20"}, "--interval takes 10 to 3600000 milliseconds"},
        {GB_MONITOR_EXE, {"--interval", "nan"}, "--interval takes 10 to 3600000 milliseconds"},
        {GB_MONITOR_EXE, {"--wait", "nan"}, "--wait takes 0 to 1000000000 seconds"},
        {GB_MONITOR_EXE, {"--offset", "2147483648"}, "--offset takes a whole number from"},
        {GB_MONITOR_EXE, {"--offset", "-2147483649"}, "--offset takes a whole number from"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        if (std::string(c.program) == GB_MONITOR_EXE) args.push_back("--once");
        SCOPED_TRACE(testing::PrintToString(args));
        std::vector<std::string> lines;
        EXPECT_EQ(runToEnd(c.program, args, lines, 5000), 2);
        EXPECT_TRUE(containsLine(lines, c.message)) << testing::PrintToString(lines);
        EXPECT_FALSE(containsLine(lines, "holding"));
    }
}

// --multi is read as a definition file reads its Multi, so the scaled column is what Glowbridge
// would send for such a definition: "inf" has no number (0), "1e999" is too large (infinite).
TEST(SimulatorAndMonitor, MultiIsReadAsADefinitionReadsIt) {
    ChildProcess simulator;
    ASSERT_TRUE(startSimulator(simulator, {"--commands", "Primary Data/KIAS=250"}));
    gb::test::ScriptedMessageBoxes boxes;
    gb::SharedMemorySource source;
    ASSERT_TRUE(source.attach());
    for (const char* multi : {"inf", "1e999", "-1e999", "2.5x", "0.5"}) {
        SCOPED_TRACE(multi);
        std::vector<std::string> lines;
        ASSERT_EQ(runToEnd(GB_MONITOR_EXE,
                           {"--once", "--machine", "--multi", multi, "--offset", "3",
                            "Primary Data/KIAS"},
                           lines),
                  0);
        const std::int32_t expected = source.readScaled(125, gb::parseDecimalDouble(multi), 3);
        EXPECT_TRUE(
            containsLine(lines, "125\tPrimary Data\tKIAS\tOff\t250\t" + std::to_string(expected)))
            << testing::PrintToString(lines);
        // Where the reading differs from the plain number, the monitor says what it took.
        EXPECT_EQ(containsLine(lines, std::string("--multi \"") + multi + "\" reads as"),
                  std::string(multi) != "0.5")
            << testing::PrintToString(lines);
    }
    EXPECT_EQ(source.readScaled(125, gb::parseDecimalDouble("inf"), 3), 3);
    source.detach();
    simulator.closeInput();
    EXPECT_EQ(simulator.wait(kTimeoutMs), 0);
}

// A folder or a missing file where a flight script is expected is named as such.
TEST(SimulatorAndMonitor, FlightScriptThatIsAFolderOrMissingIsNamed) {
    gb::test::TempFolder scratch("gb-sim");
    std::vector<std::string> lines;
    EXPECT_EQ(runToEnd(GB_SIMULATOR_EXE, {"--play", scratch.path()}, lines, 5000), 1);
    EXPECT_TRUE(containsLine(lines, scratch.path() + " is a folder, not a flight script"))
        << testing::PrintToString(lines);
    EXPECT_FALSE(containsLine(lines, "no steps"));
    lines.clear();
    EXPECT_EQ(runToEnd(GB_SIMULATOR_EXE, {"--play", scratch.file("none.txt")}, lines, 5000), 1);
    EXPECT_TRUE(containsLine(lines, "cannot read " + scratch.file("none.txt")))
        << testing::PrintToString(lines);
}

// What a user typed is quoted in messages with control and high bytes escaped, so a stray
// escape sequence in an argument cannot drive the terminal.
TEST(SimulatorAndMonitor, MessagesEscapeBinaryBytesOfArguments) {
    std::vector<std::string> lines;
    EXPECT_EQ(runToEnd(GB_SIMULATOR_EXE, {"Caution Lights/\x1b[2J\x01Hook=on"}, lines, 5000), 2);
    EXPECT_TRUE(containsLine(lines, "\\x1B[2J\\x01Hook")) << testing::PrintToString(lines);
    lines.clear();
    EXPECT_EQ(runToEnd(GB_SIMULATOR_EXE, {"--tick", "\x1b]0;x\x07"}, lines, 5000), 2);
    EXPECT_TRUE(containsLine(lines, "not \"\\x1B]0;x\\x07\"")) << testing::PrintToString(lines);
    lines.clear();
    EXPECT_EQ(runToEnd(GB_MONITOR_EXE, {"--once", "Gear\x1b[31m"}, lines, 5000), 2);
    EXPECT_TRUE(containsLine(lines, "no group \"Gear\\x1B[31m\"")) << testing::PrintToString(lines);
    for (const std::string& line : lines)
        EXPECT_EQ(line.find('\x1b'), std::string::npos) << line;
}

TEST(SimulatorAndMonitor, VersionIsShown) {
    for (const char* program : {GB_SIMULATOR_EXE, GB_MONITOR_EXE}) {
        std::vector<std::string> lines;
        EXPECT_EQ(runToEnd(program, {"--version"}, lines, 5000), 0);
        ASSERT_EQ(lines.size(), 1u) << testing::PrintToString(lines);
        EXPECT_TRUE(
            std::regex_match(lines[0], std::regex("(falcon-sim|glowbridge-monitor) [0-9]+\\.[0-9]+"
                                                  "\\.[0-9]+")))
            << lines[0];
    }
}

} // namespace
