// The native block's ownership as other processes see it: a publisher killed with SIGKILL, a
// block removed or shrunk under its reader. These need a second process killed at will (a forked
// copy) and the object's own calls; under Wine the simulator tests cover the killed publisher.

#include "platform/shared_block.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

using namespace gb::platform;

namespace {

// Waits up to 10 s for a block that a child publishes.
SharedBlockHandle openWhenThere(const std::string& name) {
    for (int i = 0; i < 1000; ++i) {
        if (SharedBlockHandle block = openSharedBlock(name.c_str())) {
            if (sharedBlockState(block, 1) == SharedBlockState::Live) return block;
            closeSharedBlock(block);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return nullptr;
}

} // namespace

TEST(SharedBlockOwnership, KilledPublishersBlockIsSeenAsLeftOverAndReplaced) {
    const std::string name = gb::test::uniqueName("GlowbridgeBlock");
    gb::test::ChildProcess publisher;
    ASSERT_TRUE(publisher.startCopy([&] {
        void* view = nullptr;
        if (createSharedBlock(name.c_str(), 1264, &view) == nullptr) return;
        static_cast<std::uint8_t*>(view)[0] = 0x11;
        std::this_thread::sleep_for(std::chrono::seconds(60));
    }));
    SharedBlockHandle reader = openWhenThere(name);
    ASSERT_NE(reader, nullptr);
    const auto* old = static_cast<const std::uint8_t*>(mapSharedBlockView(reader, 1264));
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old[0], 0x11);

    // A live publisher is not displaced.
    void* view = nullptr;
    SharedBlockCreated created = SharedBlockCreated::Failed;
    EXPECT_EQ(createSharedBlock(name.c_str(), 1264, &view, &created), nullptr);
    EXPECT_EQ(created, SharedBlockCreated::Busy);

    publisher.kill(); // SIGKILL: no chance to clean up
    EXPECT_EQ(sharedBlockState(reader, 1264), SharedBlockState::OwnerGone);
    SharedBlockHandle fresh = openSharedBlock(name.c_str());
    ASSERT_NE(fresh, nullptr); // the orphan is still there under the name
    EXPECT_EQ(sharedBlockState(fresh, 0), SharedBlockState::OwnerGone);
    closeSharedBlock(fresh);

    SharedBlockHandle restarted = createSharedBlock(name.c_str(), 1240, &view, &created);
    ASSERT_NE(restarted, nullptr);
    EXPECT_EQ(created, SharedBlockCreated::ReplacedOrphan);
    static_cast<std::uint8_t*>(view)[0] = 0x22;
    EXPECT_EQ(sharedBlockState(reader, 1264), SharedBlockState::Replaced);
    EXPECT_EQ(old[0], 0x11); // the reader's view still maps the old block, intact

    destroySharedBlock(restarted, view, 1240);
    EXPECT_EQ(sharedBlockState(reader, 1264), SharedBlockState::Removed);
    unmapSharedBlockView(old, 1264);
    closeSharedBlock(reader);
}

TEST(SharedBlockOwnership, PublisherRemovesOnlyItsOwnBlock) {
    const std::string name = gb::test::uniqueName("GlowbridgeBlock");
    void* firstView = nullptr;
    SharedBlockHandle first = createSharedBlock(name.c_str(), 124, &firstView);
    ASSERT_NE(first, nullptr);
    // Someone removes the name behind the publisher's back and another publisher takes it.
    ASSERT_EQ(shm_unlink(("/" + name).c_str()), 0);
    void* secondView = nullptr;
    SharedBlockHandle second = createSharedBlock(name.c_str(), 1240, &secondView);
    ASSERT_NE(second, nullptr);

    destroySharedBlock(first, firstView, 124);
    SharedBlockHandle reader = openSharedBlock(name.c_str());
    ASSERT_NE(reader, nullptr) << "the first publisher removed the second one's block";
    EXPECT_EQ(sharedBlockState(reader, 1240), SharedBlockState::Live);
    closeSharedBlock(reader);
    destroySharedBlock(second, secondView, 1240);
}

TEST(SharedBlockOwnership, ShrunkBlockReadsZerosInsteadOfEndingTheReader) {
    const std::string name = gb::test::uniqueName("GlowbridgeBlock");
    void* writerView = nullptr;
    SharedBlockHandle writer = createSharedBlock(name.c_str(), 8192, &writerView);
    ASSERT_NE(writer, nullptr);
    std::memset(writerView, 0x7E, 8192);
    SharedBlockHandle reader = openSharedBlock(name.c_str());
    ASSERT_NE(reader, nullptr);
    const auto* bytes = static_cast<const volatile std::uint8_t*>(mapSharedBlockView(reader, 8192));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes[5000], 0x7E);

    // Shrunk by a misbehaving writer: reading past the new end would raise SIGBUS.
    const int fd = shm_open(("/" + name).c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 100), 0);
    close(fd);
    EXPECT_EQ(sharedBlockState(reader, 8192), SharedBlockState::Shrunk);
    EXPECT_EQ(bytes[50], 0x7E); // still inside the object
    EXPECT_EQ(bytes[5000], 0);
    EXPECT_EQ(bytes[8191], 0);

    unmapSharedBlockView(const_cast<const std::uint8_t*>(bytes), 8192);
    closeSharedBlock(reader);
    // The writer's own view is not guarded; it is only unmapped.
    destroySharedBlock(writer, writerView, 8192);
}
