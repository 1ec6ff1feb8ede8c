// A long evening of flying: the simulator starts and stops a hundred times, the frame attaches
// and detaches each time, and nothing the frame opens is left behind.

#include "frame_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace gb;
using namespace gb::test;

namespace {

int openFileCount() {
    int count = 0;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        ++count;
    return count;
}

// File-backed mappings only (the shared block is one): the allocator's anonymous mappings come
// and go with the heap, more so under the sanitizers.
int fileMappingCount() {
    std::ifstream maps("/proc/self/maps");
    int count = 0;
    std::string line;
    while (std::getline(maps, line)) {
        std::istringstream fields(line);
        std::string range, permissions, offset, device, inode;
        fields >> range >> permissions >> offset >> device >> inode;
        count += inode != "0";
    }
    return count;
}

int blockMappingCount() {
    std::ifstream maps("/proc/self/maps");
    int count = 0;
    std::string line;
    while (std::getline(maps, line))
        count += line.find(kSharedBlockName) != std::string::npos;
    return count;
}

class FrameSoakTest : public FrameFixture {};

TEST_F(FrameSoakTest, AHundredSimulatorRunsLeaveNothingOpen) {
    writeSettings("F4CheckTimer=4000\nF4ReadTimer=100\n");
    ASSERT_TRUE(createFrame());
    int filesAfterFirst = 0;
    int mappingsAfterFirst = 0;
    std::uint64_t qprocs = 0;
    for (int run = 1; run <= 100; ++run) {
        {
            SimulatorBlock block;
            ASSERT_TRUE(block.ok());
            block.set({"Eyebrow Lights/MasterCaution=on", "Primary Data/KIAS=200"});
            running = true;
            ASSERT_EQ(ticksUntilAttached(3), 3) << "run " << run;
            runFor(300);
            block.set({"Eyebrow Lights/MasterCaution=off"});
            runFor(300);
            running = false;
        }
        runFor(4000);
        ASSERT_FALSE(frame->source().isAttached()) << "run " << run;
        ASSERT_EQ(blockMappingCount(), 0) << "run " << run;
        ASSERT_TRUE(iconIs(IDI_TRAY_IDLE));
        qprocs += 2;
        ASSERT_EQ(card().qprocCount(), qprocs) << "run " << run;
        if (run == 1) {
            filesAfterFirst = openFileCount();
            mappingsAfterFirst = fileMappingCount();
        }
    }
    EXPECT_LE(openFileCount(), filesAfterFirst);
    EXPECT_LE(fileMappingCount(), mappingsAfterFirst);
    EXPECT_EQ(card().pigeonHole(20)[0], 100);
    EXPECT_TRUE(boxes.shown().empty());
}

} // namespace
