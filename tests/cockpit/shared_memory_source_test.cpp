#include "cockpit/element_table.h"
#include "cockpit/shared_memory_source.h"
#include "element_rows.h"
#include "platform/message_box.h"
#include "platform/runtime.h"
#include "platform/shared_block.h"
#include "support/published_block.h"
#include "support/scripted_message_boxes.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace gb;

namespace {

constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr const char* kCaption = "Failure opening Memoryarea";
constexpr const char* kNotRunning = "Make sure, that Falcon iBeta/eRazor 1.10 is running!";
constexpr const char* kCannotMap = "Can't connect pointer to Falcon Memoryarea!";

// The simulator's side: the real named block, written through the creator's view.
using SimulatorBlock = test::PublishedBlock;

// Every test answers the message boxes itself: under Wine a real box would wait for a user.
class SharedMemorySourceTest : public ::testing::Test {
protected:
    // Wine rounds a mapping up to a whole page, so a view of 1264 bytes maps on any small block
    // and every block attaches as layout 200 there; only the native build tells sizes apart.
    static bool sizesTellLayoutsApart() { return !platform::runningUnderWine(); }

    std::unique_ptr<SimulatorBlock> publish(std::size_t bytes) {
        auto block = std::make_unique<SimulatorBlock>(bytes);
        EXPECT_TRUE(block->ok()) << "cannot create the simulator block";
        return block;
    }

    void expectOneBox(const char* text) {
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].text, text);
        EXPECT_EQ(boxes.shown()[0].caption, kCaption);
        EXPECT_EQ(boxes.shown()[0].style, static_cast<unsigned>(platform::MbOk));
        boxes.clear();
    }

    test::ScriptedMessageBoxes boxes;
};

#define SKIP_WITHOUT_EXACT_SIZES()                                                                 \
    if (!sizesTellLayoutsApart())                                                                  \
    GTEST_SKIP() << "Wine rounds small file mappings up to a page, so the layout cannot be told "  \
                    "by size there"

} // namespace

TEST(TruncateToInt32, TowardZeroAndOutOfRangeGivesIntMin) {
    EXPECT_EQ(truncateToInt32(2.99), 2);
    EXPECT_EQ(truncateToInt32(-2.99), -2);
    EXPECT_EQ(truncateToInt32(-0.5), 0);
    EXPECT_EQ(truncateToInt32(2147483647.9), kIntMax);
    EXPECT_EQ(truncateToInt32(-2147483648.9), kIntMin);
    EXPECT_EQ(truncateToInt32(2147483648.0), kIntMin);
    EXPECT_EQ(truncateToInt32(-2147483649.0), kIntMin);
    EXPECT_EQ(truncateToInt32(1e300), kIntMin);
    EXPECT_EQ(truncateToInt32(std::numeric_limits<double>::infinity()), kIntMin);
    EXPECT_EQ(truncateToInt32(-std::numeric_limits<double>::infinity()), kIntMin);
    EXPECT_EQ(truncateToInt32(std::numeric_limits<double>::quiet_NaN()), kIntMin);
}

TEST_F(SharedMemorySourceTest, NoSimulatorBlockReportsAndStaysDetached) {
    platform::SharedBlockHandle other = platform::openSharedBlock(kSharedBlockName);
    if (other != nullptr) platform::closeSharedBlock(other);
    ASSERT_EQ(other, nullptr) << kSharedBlockName
                              << " exists already: another program (a simulator stand-in?) "
                                 "publishes it while this test runs";
    SharedMemorySource source;
    EXPECT_FALSE(source.attach());
    expectOneBox(kNotRunning);
    EXPECT_FALSE(source.isAttached());
    EXPECT_EQ(source.layoutVersion(), 0);
    EXPECT_EQ(source.data(), nullptr);
    // Each failed attach reports again; the caller decides how often to retry.
    EXPECT_FALSE(source.attach());
    expectOneBox(kNotRunning);

    // The simulator starts later: the next attempt succeeds without a box.
    auto block = publish(kBlockSizeL200);
    EXPECT_TRUE(source.attach());
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(source.layoutVersion(), 200);
}

TEST_F(SharedMemorySourceTest, BlockSmallerThanEveryLayoutReportsAndRetriesLater) {
    SKIP_WITHOUT_EXACT_SIZES();
    auto block = publish(123);
    SharedMemorySource source;
    EXPECT_FALSE(source.attach());
    expectOneBox(kCannotMap);
    EXPECT_FALSE(source.isAttached());
    EXPECT_EQ(source.layoutVersion(), 0);
    EXPECT_EQ(source.readFlag(0), false);

    block.reset();
    block = publish(kBlockSizeL100);
    EXPECT_TRUE(source.attach());
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(source.layoutVersion(), 100);
}

TEST_F(SharedMemorySourceTest, LayoutFollowsBlockSize) {
    SKIP_WITHOUT_EXACT_SIZES();
    const struct {
        std::size_t bytes;
        std::int32_t layout;
    } cases[] = {{124, 100}, {1240, 110}, {1264, 200}, {1263, 110}, {4096, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.bytes) + " bytes");
        auto block = publish(c.bytes);
        SharedMemorySource source;
        ASSERT_TRUE(source.attach());
        EXPECT_EQ(source.layoutVersion(), c.layout);
        EXPECT_EQ(source.mappedSize(), blockSizeOf(c.layout));
        EXPECT_NE(source.data(), nullptr);
    }
    EXPECT_TRUE(boxes.shown().empty());
}

// Each element alone in an otherwise zeroed block, at the offset the element list gives for the
// layout: carried elements read back, the others read off / 0 even with every bit set.
static void checkEveryElement(SimulatorBlock& block, std::size_t bytes, std::int32_t layout) {
    const std::vector<test::ElementRow> rows = test::loadElementRows();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kElementCount));
    SharedMemorySource source;
    ASSERT_TRUE(source.attach());
    ASSERT_EQ(source.layoutVersion(), layout);
    for (const test::ElementRow& row : rows) {
        SCOPED_TRACE("element " + std::to_string(row.index) + " " + row.element);
        const std::int32_t i = row.index;
        const bool carried =
            (row.kind == "BitFlag" || row.kind == "FloatValue" || row.kind == "IntValue") &&
            row.minLayout <= layout;
        if (!carried) {
            if (row.kind == "Computed") continue; // checked on their own below
            block.fill(0xFF);
            EXPECT_FALSE(source.readFlag(i));
            EXPECT_EQ(source.readScaled(i, 1.0, 0), 0);
            EXPECT_EQ(source.readValue(i), 0.0);
            continue;
        }
        const std::uint32_t offset = row.offsetIn(layout);
        ASSERT_LT(offset + 4, bytes + 1);
        block.fill(0);
        if (row.kind == "BitFlag") {
            EXPECT_FALSE(source.readFlag(i));
            block.setWord(offset, row.mask);
            EXPECT_TRUE(source.readFlag(i));
            block.setWord(offset, ~row.mask);
            EXPECT_FALSE(source.readFlag(i));
            EXPECT_EQ(source.readScaled(i, 1.0, 0), 0);
            EXPECT_EQ(source.readValue(i), 0.0);
        } else if (row.kind == "FloatValue") {
            block.setFloat(offset, static_cast<float>(i) + 0.25f);
            EXPECT_EQ(source.readValue(i), i + 0.25);
            EXPECT_EQ(source.readScaled(i, 4.0, 1), 4 * i + 2);
            EXPECT_FALSE(source.readFlag(i)); // a value has no mask
        } else {
            block.setInt(offset, -i);
            EXPECT_EQ(source.readValue(i), -i);
            EXPECT_EQ(source.readScaled(i, 3.0, 1), -3 * i + 1);
        }
    }
}

TEST_F(SharedMemorySourceTest, Layout200ReadsEveryElementAtItsOffset) {
    auto block = publish(kBlockSizeL200);
    checkEveryElement(*block, kBlockSizeL200, 200);
}

TEST_F(SharedMemorySourceTest, Layout110ReadsEveryElementAtItsOffset) {
    SKIP_WITHOUT_EXACT_SIZES();
    auto block = publish(kBlockSizeL110);
    checkEveryElement(*block, kBlockSizeL110, 110);
}

TEST_F(SharedMemorySourceTest, Layout100ReadsEveryElementAtItsOffset) {
    SKIP_WITHOUT_EXACT_SIZES();
    auto block = publish(kBlockSizeL100);
    checkEveryElement(*block, kBlockSizeL100, 100);
}

TEST_F(SharedMemorySourceTest, GearLightsFromTheSingleGearPositionInLayout100) {
    SKIP_WITHOUT_EXACT_SIZES();
    auto block = publish(kBlockSizeL100);
    SharedMemorySource source;
    ASSERT_TRUE(source.attach());
    auto lights = [&] {
        return std::string(source.readFlag(52) ? "L" : "-") + (source.readFlag(53) ? "N" : "-") +
               (source.readFlag(54) ? "R" : "-") + (source.readFlag(55) ? "H" : "-");
    };
    block->setFloat(kGearPositionOffset, 1.0f);
    EXPECT_EQ(lights(), "LNR-");
    block->setFloat(kGearPositionOffset, 0.0f);
    EXPECT_EQ(lights(), "----");
    block->setFloat(kGearPositionOffset, 0.5f);
    EXPECT_EQ(lights(), "---H");
    block->setFloat(kGearPositionOffset, -0.5f);
    EXPECT_EQ(lights(), "----");
    block->setFloat(kGearPositionOffset, std::nanf(""));
    EXPECT_EQ(lights(), "----");
}

TEST_F(SharedMemorySourceTest, GearLightsPerWheelInLayout200) {
    auto block = publish(kBlockSizeL200);
    SharedMemorySource source;
    ASSERT_TRUE(source.attach());
    block->setFloat(kGearPositionOffset, 1.0f); // not read in this layout
    EXPECT_FALSE(source.readFlag(52));
    EXPECT_FALSE(source.readFlag(53));
    // 1.3 stored as a float lies just below the double threshold 1.3.
    block->setFloat(kLeftGearOffset, 1.3f);
    block->setFloat(kRightGearOffset, 1.3f);
    block->setFloat(kNoseGearOffset, 1.5f);
    EXPECT_FALSE(source.readFlag(52));
    EXPECT_TRUE(source.readFlag(53));
    EXPECT_FALSE(source.readFlag(54));
    block->setFloat(kLeftGearOffset, 1.31f);
    block->setFloat(kRightGearOffset, 1.31f);
    block->setFloat(kNoseGearOffset, 1.49f);
    EXPECT_TRUE(source.readFlag(52));
    EXPECT_FALSE(source.readFlag(53));
    EXPECT_TRUE(source.readFlag(54));
    EXPECT_FALSE(source.readFlag(55));
    block->setWord(kLightBits2Offset, kGearHandleBit);
    EXPECT_TRUE(source.readFlag(55));
    EXPECT_EQ(source.readScaled(55, 1.0, 0), 0);
}

TEST_F(SharedMemorySourceTest, SpeedLightsByFiftyKnotBands) {
    auto block = publish(kBlockSizeL200);
    SharedMemorySource source;
    ASSERT_TRUE(source.attach());
    const char* names[] = {"TooLow", "VeryLow", "Low", "Good", "High", "VeryHigh"};
    const struct {
        float kias;
        const char* lit; // "" when none
    } cases[] = {
        {0.0f, "TooLow"},    {129.9f, "TooLow"}, {130.0f, "VeryLow"},  {229.9f, "VeryLow"},
        {230.0f, ""},        {279.9f, ""},       {280.0f, "Low"},      {330.0f, "Good"},
        {380.0f, ""},        {429.9f, ""},       {430.0f, "High"},     {480.0f, "VeryHigh"},
        {1e12f, "VeryHigh"}, {-20.5f, "TooLow"}, {-21.0f, "VeryHigh"}, {std::nanf(""), "VeryHigh"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("KIAS " + std::to_string(c.kias));
        block->setFloat(kKiasOffset, c.kias);
        for (int light = 0; light < 6; ++light)
            EXPECT_EQ(source.readFlag(113 + light), std::string(c.lit) == names[light])
                << names[light];
    }
}

TEST_F(SharedMemorySourceTest, ScaledValuesTruncateAndWrap) {
    auto block = publish(kBlockSizeL200);
    SharedMemorySource source;
    ASSERT_TRUE(source.attach());
    constexpr std::int32_t kAltitude = 119, kTrimPitch = 148, kUfcTacan = 145;

    block->setFloat(0x0DC, 12.5f);
    EXPECT_EQ(source.readScaled(kTrimPitch, 10.0, 3), 128);
    EXPECT_EQ(source.readScaled(kTrimPitch, -1.0, 3), -9);
    block->setFloat(0x0DC, 12.7f); // stored slightly below 12.7
    EXPECT_EQ(source.readScaled(kTrimPitch, 10.0, 0), 126);
    EXPECT_EQ(source.readValue(kTrimPitch), static_cast<double>(12.7f));

    block->setInt(0x2F4, 7);
    EXPECT_EQ(source.readScaled(kUfcTacan, 2.9, 0), 14); // the multiplier is truncated first
    EXPECT_EQ(source.readScaled(kUfcTacan, -2.9, 1), -13);
    EXPECT_EQ(source.readValue(kUfcTacan), 7.0);

    // Out of range or NaN products give INT_MIN on both builds; sums wrap at 32 bits.
    block->setFloat(kAltitudeOffset, 3e9f);
    EXPECT_EQ(source.readScaled(kAltitude, 1.0, 0), kIntMin);
    EXPECT_EQ(source.readScaled(kAltitude, -1.0, 5), kIntMin + 5);
    EXPECT_EQ(source.readScaled(kAltitude, 1.0, -1), kIntMax);
    block->setFloat(kAltitudeOffset, std::nanf(""));
    EXPECT_EQ(source.readScaled(kAltitude, 1.0, 0), kIntMin);
    block->setFloat(kAltitudeOffset, 100.0f);
    EXPECT_EQ(source.readScaled(kAltitude, std::numeric_limits<double>::quiet_NaN(), 0), kIntMin);
    EXPECT_EQ(source.readScaled(kAltitude, 1.0, kIntMax), kIntMin + 99);
    block->setInt(0x2F4, 0x40000000);
    EXPECT_EQ(source.readScaled(kUfcTacan, 4.0, 0), 0);
    block->setInt(0x2F4, kIntMax);
    EXPECT_EQ(source.readScaled(kUfcTacan, 1.0, 1), kIntMin);
    block->setInt(0x2F4, 7);
    EXPECT_EQ(source.readScaled(kUfcTacan, 1e10, 0), kIntMin); // 7 * INT_MIN wraps to INT_MIN

    // Neither flags nor absent elements nor bad indexes have a value.
    block->fill(0xFF);
    EXPECT_EQ(source.readScaled(0, 1.0, 0), 0);
    EXPECT_EQ(source.readScaled(4, 1.0, 0), 0);
    EXPECT_EQ(source.readScaled(113, 1.0, 0), 0);
    EXPECT_EQ(source.readScaled(-1, 1.0, 0), 0);
    EXPECT_EQ(source.readScaled(166, 1.0, 0), 0);
    EXPECT_EQ(source.readValue(-1), 0.0);
    EXPECT_EQ(source.readValue(166), 0.0);
    EXPECT_EQ(source.readValue(52), 0.0);
    EXPECT_FALSE(source.readFlag(-1));
    EXPECT_FALSE(source.readFlag(166));
    EXPECT_FALSE(source.readFlag(120)); // a digit is never a flag
}

TEST_F(SharedMemorySourceTest, DigitsOfNegatedAltitudeAndSpeed) {
    auto block = publish(kBlockSizeL200);
    SharedMemorySource source;
    ASSERT_TRUE(source.attach());
    constexpr std::int32_t kAlt10000 = 120, kAlt1000 = 121, kAlt100 = 122, kAlt10 = 123;
    constexpr std::int32_t kKias1000 = 126, kKias100 = 127, kKias10 = 128;

    block->setFloat(kAltitudeOffset, -12345.0f);
    EXPECT_EQ(source.readScaled(kAlt10000, 1.0, 0), 1);
    EXPECT_EQ(source.readScaled(kAlt1000, 1.0, 0), 2);
    EXPECT_EQ(source.readScaled(kAlt100, 1.0, 0), 3);
    EXPECT_EQ(source.readScaled(kAlt10, 1.0, 0), 4);
    EXPECT_EQ(source.readValue(kAlt100), -12345.0);
    EXPECT_EQ(source.readScaled(kAlt100, 1.0, 100), 4);
    // A positive height gives negative digits.
    block->setFloat(kAltitudeOffset, 12345.0f);
    EXPECT_EQ(source.readScaled(kAlt1000, 1.0, 0), -2);
    // An out-of-range product is INT_MIN: -2147483648 / 10000 % 10 = -8 on both builds.
    block->setFloat(kAltitudeOffset, 3e9f);
    EXPECT_EQ(source.readScaled(kAlt10000, 1.0, 0), -8);

    block->setFloat(kKiasOffset, 257.0f);
    EXPECT_EQ(source.readScaled(kKias1000, -10.0, 0), 0);
    EXPECT_EQ(source.readScaled(kKias100, -10.0, 0), 2);
    EXPECT_EQ(source.readScaled(kKias10, -10.0, 0), 5);
    EXPECT_EQ(source.readValue(kKias10), 257.0);
}

TEST_F(SharedMemorySourceTest, SecondAttachKeepsTheFirstLayout) {
    auto block = publish(kBlockSizeL200);
    SharedMemorySource source;
    ASSERT_TRUE(source.attach());
    const std::uint8_t* data = source.data();
    // The simulator restarts with a smaller block; the attachment is not re-examined.
    block.reset();
    block = publish(kBlockSizeL100);
    EXPECT_TRUE(source.attach());
    EXPECT_EQ(source.layoutVersion(), 200);
    EXPECT_EQ(source.data(), data);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(SharedMemorySourceTest, DetachRefusesReadsThroughStalePointers) {
    auto block = publish(kBlockSizeL200);
    SharedMemorySource source;
    ASSERT_TRUE(source.attach());
    block->setWord(0x06C, 0x00000001);
    block->setFloat(0x0DC, 2.0f);
    EXPECT_TRUE(source.readFlag(0));
    EXPECT_EQ(source.readValue(148), 2.0);

    source.detach();
    EXPECT_FALSE(source.isAttached());
    EXPECT_EQ(source.layoutVersion(), 0);
    EXPECT_EQ(source.data(), nullptr);
    EXPECT_NE(ElementTable[0].live, nullptr); // stale, and never followed
    EXPECT_FALSE(source.readFlag(0));
    EXPECT_EQ(source.readValue(148), 0.0);
    EXPECT_EQ(source.readScaled(148, 1.0, 0), 0);
    source.detach();
    EXPECT_TRUE(source.attach());
    EXPECT_TRUE(source.readFlag(0));
}

TEST_F(SharedMemorySourceTest, ReattachToSmallerLayoutUnbindsWhatItDoesNotCarry) {
    SKIP_WITHOUT_EXACT_SIZES();
    auto block = publish(kBlockSizeL200);
    SharedMemorySource source;
    ASSERT_TRUE(source.attach());
    EXPECT_NE(ElementTable[148].live, nullptr);
    source.detach();

    block.reset();
    block = publish(kBlockSizeL110);
    ASSERT_TRUE(source.attach());
    EXPECT_EQ(source.layoutVersion(), 110);
    EXPECT_EQ(ElementTable[148].live, nullptr);
    block->setFloat(0x0DC, 2.0f); // the HSI flag word in this layout
    EXPECT_EQ(source.readValue(148), 0.0);
    block->setWord(0x0DC, 0x00002000);
    EXPECT_TRUE(source.readFlag(98)); // AVTRMode
}
