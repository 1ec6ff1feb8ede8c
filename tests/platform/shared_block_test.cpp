#include "platform/runtime.h"
#include "platform/shared_block.h"
#include "support/temp_folder.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

using namespace gb::platform;

namespace {
constexpr const char* kName = "GlowbridgeTestBlock";
}

TEST(SharedBlock, MissingBlockDoesNotOpen) {
    EXPECT_EQ(openSharedBlock("GlowbridgeNoSuchBlock"), nullptr);
}

TEST(SharedBlock, ReaderSeesWriterChangesLive) {
    void* writerView = nullptr;
    SharedBlockHandle writer = createSharedBlock(kName, 1240, &writerView);
    ASSERT_NE(writer, nullptr);
    ASSERT_NE(writerView, nullptr);

    SharedBlockHandle reader = openSharedBlock(kName);
    ASSERT_NE(reader, nullptr);
    const void* view = mapSharedBlockView(reader, 1240);
    ASSERT_NE(view, nullptr);

    const auto* bytes = static_cast<const std::uint8_t*>(view);
    EXPECT_EQ(bytes[0x6C], 0); // a new block is zeroed
    static_cast<std::uint8_t*>(writerView)[0x6C] = 0x5A;
    EXPECT_EQ(bytes[0x6C], 0x5A);

    unmapSharedBlockView(view, 1240);
    closeSharedBlock(reader);
    destroySharedBlock(writer, writerView, 1240);
}

TEST(SharedBlock, ViewLargerThanBlockIsRefused) {
    void* writerView = nullptr;
    SharedBlockHandle writer = createSharedBlock(kName, 1240, &writerView);
    ASSERT_NE(writer, nullptr);
    SharedBlockHandle reader = openSharedBlock(kName);
    ASSERT_NE(reader, nullptr);

    // Wine rounds a mapping up to a whole page, so only a view past the page is refused there.
    if (!runningUnderWine()) {
        EXPECT_EQ(mapSharedBlockView(reader, 1264), nullptr);
    }
    EXPECT_EQ(mapSharedBlockView(reader, 8192), nullptr);
    const void* exact = mapSharedBlockView(reader, 1240);
    EXPECT_NE(exact, nullptr);
    unmapSharedBlockView(exact, 1240);

    closeSharedBlock(reader);
    destroySharedBlock(writer, writerView, 1240);
}

// One publisher per name: a second is refused and changes nothing, and the first one's end
// removes the block (nobody else holds it).
TEST(SharedBlock, SecondPublisherIsRefusedAndLeavesTheFirstOneAlone) {
    const std::string name = gb::test::uniqueName("GlowbridgeBlock");
    void* firstView = nullptr;
    SharedBlockCreated created = SharedBlockCreated::Failed;
    SharedBlockHandle first = createSharedBlock(name.c_str(), 1240, &firstView, &created);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(created, SharedBlockCreated::New);
    static_cast<std::uint8_t*>(firstView)[7] = 0xA5;

    void* secondView = nullptr;
    EXPECT_EQ(createSharedBlock(name.c_str(), 1264, &secondView, &created), nullptr);
    EXPECT_EQ(created, SharedBlockCreated::Busy);
    EXPECT_EQ(secondView, nullptr);

    SharedBlockHandle reader = openSharedBlock(name.c_str());
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(sharedBlockState(reader, 1240), SharedBlockState::Live);
    const auto* bytes = static_cast<const std::uint8_t*>(mapSharedBlockView(reader, 1240));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes[7], 0xA5); // not zeroed by the refused one
    unmapSharedBlockView(bytes, 1240);
    closeSharedBlock(reader);

    destroySharedBlock(first, firstView, 1240);
    SharedBlockHandle gone = openSharedBlock(name.c_str());
    EXPECT_EQ(gone, nullptr);
    closeSharedBlock(gone);

    // Free again once the first one has ended.
    SharedBlockHandle again = createSharedBlock(name.c_str(), 1264, &secondView, &created);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(created, SharedBlockCreated::New);
    destroySharedBlock(again, secondView, 1264);
}
