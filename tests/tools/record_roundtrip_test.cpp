// glowbridge-monitor --record with falcon-sim, as processes: a played flight recorded, the
// recording played again and recorded again gives the same sequence of element states; the
// recording ends cleanly on Ctrl-C, survives SIGKILL, and a FILE that cannot be written is
// refused before anything else.

#include "platform/runtime.h"
#include "support/child_process.h"
#include "support/temp_folder.h"
#include "tools/simulator/flight_script.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using gb::test::ChildProcess;
using gb::test::hostPath;
using gb::test::TempFolder;

namespace {

constexpr int kTimeoutMs = 60000; // only against a hung child

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

using State = std::map<std::string, std::string>; // label -> value

// The states a recording passes through, one per recorded time, without repeats and without
// the untouched block some readers catch before the first step is played.
std::vector<State> statesOf(const std::string& recording) {
    std::vector<State> states;
    State state;
    std::string time;
    auto close = [&] {
        if (time.empty() || (!states.empty() && states.back() == state)) return;
        bool untouched = true;
        for (const auto& [label, value] : state)
            untouched = untouched && (value == "off" || value == "0");
        if (!(states.empty() && untouched)) states.push_back(state);
    };
    std::istringstream lines(recording);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t space = line.find(' ');
        const std::size_t equals = line.find('=', space);
        if (equals == std::string::npos) continue; // "t=... end"
        if (line.compare(0, space, time) != 0) {
            close();
            time = line.substr(0, space);
        }
        state[line.substr(space + 1, equals - space - 1)] = line.substr(equals + 1);
    }
    close();
    return states;
}

// Records a flight script that falcon-sim plays once; the recording's text.
std::string recordPlayed(const std::string& script, const std::string& recording) {
    ChildProcess monitor;
    EXPECT_TRUE(
        monitor.start(hostPath(GB_MONITOR_EXE), {"--wait", "60", "--until-gone", "--interval", "20",
                                                 "--machine", "--record", recording}));
    ChildProcess simulator;
    EXPECT_TRUE(simulator.start(hostPath(GB_SIMULATOR_EXE),
                                {"--quiet", "--once", "--tick", "5", "--play", script}));
    // The monitor first: waiting for it reads its output, which would fill its pipe otherwise.
    EXPECT_EQ(monitor.wait(kTimeoutMs), 0);
    EXPECT_EQ(simulator.wait(kTimeoutMs), 0);
    return readAll(recording);
}

TEST(MonitorRecordProgram, ARecordingPlaysBackToTheSameStates) {
    if (gb::platform::runningUnderWine())
        GTEST_SKIP() << "under Wine the monitor cannot see the block go (--until-gone)";
    TempFolder scratch;
    // One field a step, far apart, so that no reader can see half a step.
    const std::string script = scratch.file("flight.txt");
    writeFile(script, "t=0 Primary Data/KIAS=12.5\n"
                      "t=0.4 Caution Lights/Hook=on\n"
                      "t=0.8 Gear Lights/Left=1.0\n" // down in layout 100, not in 200
                      "t=1.2 Primary Data/Altitude=-12345.678\n"
                      "t=1.6 Secondary Data/UFCTacanChannel=-2147483648\n"
                      "t=2.0 Gear Lights/Handle=on\n"
                      "t=2.4 Primary Data/KIAS=355.123456\n"
                      "t=2.8 Caution Lights/Hook=off\n"
                      "t=3.2 end\n");
    const std::string first = recordPlayed(script, scratch.file("first.txt"));
    const std::string second = recordPlayed(scratch.file("first.txt"), scratch.file("second.txt"));
    const std::vector<State> played = statesOf(first);
    ASSERT_GE(played.size(), 8u) << first;
    EXPECT_EQ(played.front().at("Primary Data/KIAS"), "12.5");
    EXPECT_EQ(played.back().at("Primary Data/KIAS"), "355.123444"); // the float the block holds
    EXPECT_EQ(played.back().at("Secondary Data/UFCTacanChannel"), "-2147483648");
    EXPECT_EQ(played.back().at("Gear Lights/Left"), "1.0");
    EXPECT_EQ(played.back().at("Gear Lights/Handle"), "on");
    EXPECT_EQ(statesOf(second), played) << first << "\n----\n" << second;
    EXPECT_EQ(first.substr(first.rfind('\n', first.size() - 2) + 1).find(" end\n") !=
                  std::string::npos,
              true);
}

TEST(MonitorRecordProgram, CtrlCEndsTheRecordingAndSigkillLeavesAPlayableOne) {
    if (gb::platform::runningUnderWine())
        GTEST_SKIP() << "a console Ctrl-C cannot reach a child under ctest in Wine";
    TempFolder scratch;
    ChildProcess simulator;
    ASSERT_TRUE(simulator.start(hostPath(GB_SIMULATOR_EXE),
                                {"--commands", "Eyebrow Lights/MasterCaution=on"}));
    std::string line;
    ASSERT_TRUE(simulator.readUntil("falcon-sim: holding", line, kTimeoutMs));

    for (const bool interrupt : {true, false}) {
        SCOPED_TRACE(interrupt ? "Ctrl-C" : "SIGKILL");
        const std::string path = scratch.file(interrupt ? "ended.txt" : "killed.txt");
        writeFile(path, "an older file, overwritten as --help says\n");
        ChildProcess monitor;
        ASSERT_TRUE(monitor.start(hostPath(GB_MONITOR_EXE),
                                  {"--record", path, "--interval", "20", "--machine"}));
        // Its second snapshot is on its way once the first is in the file.
        ASSERT_TRUE(monitor.readUntil("0\tEyebrow Lights", line, kTimeoutMs));
        ASSERT_TRUE(simulator.writeLine("Caution Lights/Hook=on"));
        ASSERT_TRUE(simulator.readUntil("falcon-sim: Caution Lights/Hook=on", line, kTimeoutMs));
        std::string text;
        for (int i = 0; i < 500 && text.find("Hook=on") == std::string::npos; ++i) {
            monitor.readLine(line, 20); // keeps its output flowing
            text = readAll(path);
        }
        if (interrupt) {
            ASSERT_TRUE(monitor.interrupt());
            EXPECT_EQ(monitor.wait(kTimeoutMs), 0);
        } else {
            monitor.kill();
        }
        text = readAll(path);
        EXPECT_EQ(text.rfind("# Recorded by glowbridge-monitor", 0), 0u) << text;
        EXPECT_NE(text.find("t=0 Eyebrow Lights/MasterCaution=on\n"), std::string::npos);
        EXPECT_NE(text.find(" Caution Lights/Hook=on\n"), std::string::npos) << text;
        EXPECT_EQ(text.back(), '\n'); // whole lines only
        EXPECT_EQ(text.find(" end\n") != std::string::npos, interrupt);
        const gb::sim::FlightScript script = gb::sim::parseFlightScript(text, 200);
        EXPECT_TRUE(script.errors.empty()) << text;
        ASSERT_TRUE(simulator.writeLine("Caution Lights/Hook=off"));
    }
    simulator.closeInput();
    EXPECT_EQ(simulator.wait(kTimeoutMs), 0);
}

TEST(MonitorRecordProgram, AFileThatCannotBeWrittenIsRefusedAtOnce) {
    TempFolder scratch;
    for (const std::string& path : {scratch.path(), scratch.file("no-such-folder/flight.txt")}) {
        SCOPED_TRACE(path);
        ChildProcess monitor;
        // No simulator runs: the refusal comes before the block is looked for, or the wait
        // would hold the monitor for a minute.
        ASSERT_TRUE(monitor.start(hostPath(GB_MONITOR_EXE), {"--wait", "60", "--record", path}));
        EXPECT_EQ(monitor.wait(20000), 1);
        monitor.kill();
    }
}

} // namespace
