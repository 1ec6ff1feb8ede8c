// The process list as the process watch and the selection dialog see it, with children of this
// program started under other file names: through a link natively, as a copy on Windows.

#include "platform/process_list.h"
#include "scratch_dir.h"
#include "support/child_process.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

using gb::platform::isProcessRunning;
using gb::platform::listProcessNames;
using gb::platform::sameProcessName;
using gb::test::ChildProcess;

namespace {

constexpr int kWaitMs = 15000; // only against a hung system; a child shows up in milliseconds

// The child's part: run under another name, stay until killed.
TEST(ProcessListChild, DISABLED_StaysAlive) {
    std::this_thread::sleep_for(std::chrono::seconds(60));
}

bool placeProgramAs(const std::string& path) {
    std::error_code error;
    if (GB_WINDOWS_BUILD) {
        std::filesystem::copy_file(gb::test::hostPath(GB_TEST_PROGRAM), path, error);
    } else {
        std::filesystem::create_symlink(GB_TEST_PROGRAM, path, error);
    }
    return !error;
}

bool startChild(ChildProcess& child, const std::string& path) {
    return child.start(path, {"--gtest_filter=ProcessListChild.DISABLED_StaysAlive",
                              "--gtest_also_run_disabled_tests"});
}

bool waitUntil(const char* name, bool running) {
    for (int waited = 0; waited < kWaitMs; waited += 20) {
        if (isProcessRunning(name) == running) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

bool listed(const std::string& name) {
    std::vector<std::string> names;
    EXPECT_TRUE(listProcessNames(names));
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

TEST(ProcessList, NamesCompareWholeIgnoringAsciiCase) {
    EXPECT_TRUE(sameProcessName("EFALCON.EXE", "efalcon.exe"));
    EXPECT_TRUE(sameProcessName("", ""));
    EXPECT_FALSE(sameProcessName("EFALCON.EXE", "EFALCON.EX"));
    EXPECT_FALSE(sameProcessName("EFALCON", "EFALCON.EXE"));
    EXPECT_FALSE(sameProcessName("C:\\FALCON4\\EFALCON.EXE", "EFALCON.EXE"));
    EXPECT_FALSE(sameProcessName("\xC4"
                                 "X.EXE",
                                 "\xE4"
                                 "x.exe")); // ASCII letters only
    EXPECT_TRUE(sameProcessName("\xC4"
                                "X.EXE",
                                "\xC4"
                                "x.exe"));
    EXPECT_FALSE(sameProcessName(nullptr, ""));
    EXPECT_FALSE(sameProcessName("", nullptr));
}

TEST(ProcessList, ReportsThisProgramByItsFileNameOnly) {
    std::vector<std::string> names;
    ASSERT_TRUE(listProcessNames(names));
    EXPECT_FALSE(names.empty());
    // Natively the name is longer than the kernel's 15 characters and must still come whole.
    EXPECT_TRUE(listed(GB_TEST_PROGRAM_NAME)) << GB_TEST_PROGRAM_NAME;
    std::string upper = GB_TEST_PROGRAM_NAME;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    EXPECT_TRUE(isProcessRunning(upper.c_str()));
    EXPECT_FALSE(isProcessRunning(GB_TEST_PROGRAM)); // no directory in a reported name
    EXPECT_FALSE(isProcessRunning(std::string(GB_TEST_PROGRAM_NAME).substr(0, 15).c_str()));
    EXPECT_FALSE(isProcessRunning(""));
    EXPECT_FALSE(isProcessRunning(nullptr));
}

TEST(ProcessList, ChildStartedAsEfalconIsFoundByThatName) {
    gb::test::ScratchDir dir;
    const std::string path = dir.file("EFALCON.EXE");
    ASSERT_TRUE(placeProgramAs(path));
    ChildProcess child;
    ASSERT_TRUE(startChild(child, path));
    EXPECT_TRUE(waitUntil("efalcon.exe", true));
    EXPECT_TRUE(listed("EFALCON.EXE"));
    EXPECT_FALSE(isProcessRunning(path.c_str()));
    child.kill();
}

TEST(ProcessList, KilledChildIsGoneAndFoundAgainAfterARestart) {
    gb::test::ScratchDir dir;
    // A name nobody else runs, longer than the kernel keeps.
    const std::string name =
        std::string("GB-WATCHED-")
            .append(std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()))
            .append(".EXE");
    const std::string path = dir.file(name);
    ASSERT_TRUE(placeProgramAs(path));
    for (int run = 0; run < 2; ++run) {
        ChildProcess child;
        ASSERT_TRUE(startChild(child, path));
        EXPECT_TRUE(waitUntil(name.c_str(), true)) << "run " << run;
        child.kill();
        EXPECT_TRUE(waitUntil(name.c_str(), false)) << "run " << run;
    }
}
