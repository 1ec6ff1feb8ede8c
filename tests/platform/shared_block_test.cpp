#include "platform/runtime.h"
#include "platform/shared_block.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>

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
