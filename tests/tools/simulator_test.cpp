// The stand-in simulator's assignments and flight scripts, checked by what the program's own
// reader makes of the block they write.

#include "cockpit/element_table.h"
#include "cockpit/shared_memory_source.h"
#include "platform/runtime.h"
#include "platform/shared_block.h"
#include "support/published_block.h"
#include "support/scripted_message_boxes.h"
#include "tools/simulator/assignment.h"
#include "tools/simulator/flight_script.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace gb;
using namespace gb::sim;

namespace {

// A simulator block of one layout, published under the real name, with the reader attached.
class PublishedBlock {
public:
    explicit PublishedBlock(std::int32_t layout) : published(blockSizeOf(layout)) {
        image.layout = layout;
        image.size = published.size();
        image.bytes = published.bytes();
        attached = published.ok() && source.attach();
    }
    ~PublishedBlock() { source.detach(); }
    PublishedBlock(const PublishedBlock&) = delete;
    PublishedBlock& operator=(const PublishedBlock&) = delete;

    // Applies assignments as the simulator's command line does; false when one is refused.
    bool set(std::initializer_list<const char*> texts) {
        for (const char* text : texts) {
            ParseResult parsed = parseAssignment(text, image.layout, false);
            if (parsed.status != ParseStatus::Ok) {
                ADD_FAILURE() << text << ": " << parsed.message;
                return false;
            }
            applyAssignment(parsed.assignment, image);
        }
        return true;
    }

    test::PublishedBlock published; // first: made before and removed after everything else
    test::ScriptedMessageBoxes boxes;
    BlockImage image;
    SharedMemorySource source;
    bool attached = false;
};

// Layouts a reader can tell apart here: Wine rounds small blocks up to a page, so there every
// block reads as layout 200 and only that one is checked.
std::vector<std::int32_t> readableLayouts() {
    if (platform::runningUnderWine()) return {kLayout200};
    return {kLayout100, kLayout110, kLayout200};
}

ParseStatus statusOf(std::string_view text, std::int32_t layout = kLayout200, bool ramp = false) {
    return parseAssignment(text, layout, ramp).status;
}

TEST(SimulatorAssignment, NamesAndValuesAreCheckedAgainstTheCatalogue) {
    EXPECT_EQ(statusOf("Eyebrow Lights/MasterCaution=on"), ParseStatus::Ok);
    EXPECT_EQ(statusOf("  eyebrow LIGHTS / mastercaution = OFF "), ParseStatus::Ok);
    EXPECT_EQ(statusOf("Eyebrow Lights/MasterCaution"), ParseStatus::Syntax);
    EXPECT_EQ(statusOf("MasterCaution=on"), ParseStatus::Syntax);
    EXPECT_EQ(statusOf("Eyebrow Light/MasterCaution=on"), ParseStatus::UnknownGroup);
    EXPECT_EQ(statusOf("Caution Lights/MasterCaution=on"), ParseStatus::UnknownElement);
    EXPECT_EQ(statusOf("Gear Lights/Gear Lights=on"), ParseStatus::UnknownElement);
    EXPECT_EQ(statusOf("Eyebrow Lights/MasterCaution=yes"), ParseStatus::BadValue);
    EXPECT_EQ(statusOf("Eyebrow Lights/MasterCaution="), ParseStatus::BadValue);
    EXPECT_EQ(statusOf("Primary Data/KIAS=fast"), ParseStatus::BadValue);
    EXPECT_EQ(statusOf("Secondary Data/UFCTacanChannel=1.5"), ParseStatus::BadValue);
    EXPECT_EQ(statusOf("Secondary Data/UFCTacanChannel=2147483648"), ParseStatus::BadValue);
    EXPECT_EQ(statusOf("Secondary Data/UFCTacanChannel=-0x80000000"), ParseStatus::Ok);
    // Elements with nothing of their own in the block.
    EXPECT_EQ(statusOf("Eyebrow Lights/Ovrd=on"), ParseStatus::NotSettable);
    EXPECT_EQ(statusOf("Primary Data/Alt100=3"), ParseStatus::NotSettable);
    EXPECT_EQ(statusOf("Primary Data/KIAS10=3"), ParseStatus::NotSettable);
    EXPECT_EQ(statusOf("Speed Lights/Good=350"), ParseStatus::BadValue);
    // Elements the layout does not carry.
    EXPECT_EQ(statusOf("Caution Lights/ElecSys=on", kLayout100), ParseStatus::NotInLayout);
    EXPECT_EQ(statusOf("Secondary Data/TrimPitch=1", kLayout110), ParseStatus::NotInLayout);
    EXPECT_EQ(statusOf("Secondary Data/TrimPitch=1", kLayout200), ParseStatus::Ok);

    // A NUL would end the name or the number early, so "KIAS=1<NUL>2" would set 1.
    using namespace std::string_literals;
    EXPECT_EQ(statusOf("Primary Data/KIAS=1\0 2"s), ParseStatus::Syntax);
    EXPECT_EQ(statusOf("Caution Lights\0x/Hook=on"s), ParseStatus::Syntax);
    EXPECT_EQ(statusOf("Caution Lights/Hook=on\0"s), ParseStatus::Syntax);

    const ParseResult unknown = parseAssignment("Caution Lights/Nope=on", kLayout200, false);
    EXPECT_EQ(unknown.message, "no element \"Nope\" in group \"Caution Lights\"");
}

TEST(SimulatorAssignment, RawWritesStayInsideTheBlock) {
    EXPECT_EQ(statusOf("@0x6C:u32=0x1"), ParseStatus::Ok);
    EXPECT_EQ(statusOf("@108:F32=250"), ParseStatus::Ok);
    EXPECT_EQ(statusOf("@0x4EC:u32=1"), ParseStatus::Ok); // last word of layout 200
    EXPECT_EQ(statusOf("@0x4ED:u32=1"), ParseStatus::OutsideBlock);
    EXPECT_EQ(statusOf("@0x78:u32=1", kLayout100), ParseStatus::Ok);
    EXPECT_EQ(statusOf("@0x79:u32=1", kLayout100), ParseStatus::OutsideBlock);
    EXPECT_EQ(statusOf("@0x7B:u8=1", kLayout100), ParseStatus::Ok);
    EXPECT_EQ(statusOf("@0xFFFFFFFF:u8=1"), ParseStatus::OutsideBlock);
    EXPECT_EQ(statusOf("@0x6C=1"), ParseStatus::Syntax);
    EXPECT_EQ(statusOf("@zz:u32=1"), ParseStatus::Syntax);
    EXPECT_EQ(statusOf("@-4:u32=1"), ParseStatus::Syntax);
    EXPECT_EQ(statusOf("@0x6C:u64=1"), ParseStatus::Syntax);
    EXPECT_EQ(statusOf("@0x6C:u8=256"), ParseStatus::BadValue);
    EXPECT_EQ(statusOf("@0x6C:u32=-1"), ParseStatus::BadValue);
    EXPECT_EQ(statusOf("@0x6C:i32=-1"), ParseStatus::Ok);
    EXPECT_EQ(statusOf("@0x6C:u32=0x"), ParseStatus::BadValue);

    std::uint8_t bytes[124] = {};
    BlockImage image{bytes, sizeof bytes, kLayout100};
    applyAssignment(parseAssignment("@0x6C:u32=0x11", kLayout100, false).assignment, image);
    applyAssignment(parseAssignment("@0x6C:set=0x100", kLayout100, false).assignment, image);
    applyAssignment(parseAssignment("@0x6C:clear=0x1", kLayout100, false).assignment, image);
    EXPECT_EQ(image.loadU32(0x6C), 0x110u);
    applyAssignment(parseAssignment("@0x7B:u8=0xAB", kLayout100, false).assignment, image);
    EXPECT_EQ(bytes[0x7B], 0xAB);
}

TEST(SimulatorAssignment, RampsOnlyWhereAllowedAndOnlyForNumbers) {
    EXPECT_EQ(statusOf("Primary Data/KIAS=0..350", kLayout200, false), ParseStatus::BadValue);
    const ParseResult kias = parseAssignment("Primary Data/KIAS=100..-300", kLayout200, true);
    ASSERT_EQ(kias.status, ParseStatus::Ok);
    EXPECT_TRUE(kias.assignment.ramp);
    EXPECT_EQ(kias.assignment.from, 100.0);
    EXPECT_EQ(kias.assignment.to, -300.0);
    EXPECT_EQ(statusOf("Eyebrow Lights/MasterCaution=0..1", kLayout200, true),
              ParseStatus::BadValue);
    EXPECT_EQ(statusOf("@0x6C:set=1..2", kLayout200, true), ParseStatus::BadValue);
    EXPECT_EQ(statusOf("Primary Data/KIAS=1..", kLayout200, true), ParseStatus::BadValue);

    std::uint8_t bytes[1264] = {};
    BlockImage image{bytes, sizeof bytes, kLayout200};
    applyAssignment(kias.assignment, image, 0.25);
    EXPECT_EQ(image.loadF32(kKiasOffset), 0.0f);
    applyAssignment(kias.assignment, image, 1.0);
    EXPECT_EQ(image.loadF32(kKiasOffset), -300.0f);
    const ParseResult channel =
        parseAssignment("Secondary Data/UFCTacanChannel=1..4", kLayout200, true);
    applyAssignment(channel.assignment, image, 0.9);
    std::int32_t value = 0;
    std::memcpy(&value, bytes + 0x2F4, 4);
    EXPECT_EQ(value, 3); // whole channels on the way
}

TEST(SimulatorAssignment, WhatItWritesGlowbridgeReadsInEveryLayout) {
    for (std::int32_t layout : readableLayouts()) {
        SCOPED_TRACE(layout);
        PublishedBlock block(layout);
        ASSERT_TRUE(block.attached);
        ASSERT_EQ(block.source.layoutVersion(), layout);
        ASSERT_TRUE(block.set({"Eyebrow Lights/FLCS=on", "Primary Data/Altitude=-12345",
                               "Secondary Data/FuelFlow=12.5"}));
        EXPECT_TRUE(block.source.readFlag(9));
        EXPECT_TRUE(block.source.readFlag(14)); // the same bit drives Caution Lights/FlcsFault
        EXPECT_EQ(block.source.readScaled(122, 1.0, 0), 3); // Alt100
        EXPECT_EQ(block.source.readScaled(134, 10.0, 3), 128);
        ASSERT_TRUE(block.set({"Caution Lights/FlcsFault=off"}));
        EXPECT_FALSE(block.source.readFlag(9));

        if (layout == kLayout100) continue;
        ASSERT_TRUE(block.set({"Power Lights/EPURun=on", "Other Lights/AVTRMode=on",
                               "Secondary Data/AUXTacanChannel=-42"}));
        EXPECT_TRUE(block.source.readFlag(78));
        EXPECT_TRUE(block.source.readFlag(98));
        EXPECT_EQ(block.source.readValue(146), -42.0);
        EXPECT_FALSE(block.source.readFlag(100)); // HSI Flags/ToTrue shares AVTRMode's word
        if (layout == kLayout200) {
            ASSERT_TRUE(block.set({"HSI Flags/Off=on", "Secondary Data/TrimYaw=-0.5"}));
            EXPECT_TRUE(block.source.readFlag(105));
            EXPECT_FALSE(block.source.readFlag(106)); // ADI Flags/Off is another bit
            EXPECT_EQ(block.source.readValue(150), -0.5);
        }
    }
}

TEST(SimulatorAssignment, GearLightsFollowTheirPositions) {
    for (std::int32_t layout : readableLayouts()) {
        SCOPED_TRACE(layout);
        PublishedBlock block(layout);
        ASSERT_TRUE(block.attached);
        auto lights = [&] {
            return std::vector<bool>{block.source.readFlag(52), block.source.readFlag(53),
                                     block.source.readFlag(54), block.source.readFlag(55)};
        };
        ASSERT_TRUE(block.set({"Gear Lights/Left=on"}));
        if (layout == kLayout100) {
            // One position for all three gears; the handle lights while the gear travels.
            EXPECT_EQ(lights(), (std::vector<bool>{true, true, true, false}));
            ASSERT_TRUE(block.set({"Gear Lights/Handle=on"}));
            EXPECT_EQ(lights(), (std::vector<bool>{false, false, false, true}));
            ASSERT_TRUE(block.set({"Gear Lights/Handle=off"}));
            EXPECT_EQ(lights(), (std::vector<bool>{false, false, false, false}));
            ASSERT_TRUE(block.set({"Gear Lights/Nose=1.0", "Gear Lights/Handle=off"}));
            EXPECT_EQ(lights(), (std::vector<bool>{true, true, true, false}));
        } else {
            EXPECT_EQ(lights(), (std::vector<bool>{true, false, false, false}));
            ASSERT_TRUE(block.set(
                {"Gear Lights/Nose=on", "Gear Lights/Right=on", "Gear Lights/Handle=on"}));
            EXPECT_EQ(lights(), (std::vector<bool>{true, true, true, true}));
            // Positions at the reader's thresholds: 1.5 lights the nose, 1.3 (as a float,
            // just below) does not light a main gear.
            ASSERT_TRUE(block.set({"Gear Lights/Nose=1.5", "Gear Lights/Left=1.3",
                                   "Gear Lights/Right=0", "Gear Lights/Handle=off"}));
            EXPECT_EQ(lights(), (std::vector<bool>{false, true, false, false}));
        }
    }
}

TEST(SimulatorAssignment, EachSpeedLightLightsAloneAndOffLeavesTheOthers) {
    PublishedBlock block(readableLayouts().front());
    ASSERT_TRUE(block.attached);
    const char* lights[] = {"TooLow", "VeryLow", "Low", "Good", "High", "VeryHigh"};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(lights[i]);
        const std::string on = std::string("Speed Lights/") + lights[i] + "=on";
        ASSERT_TRUE(block.set({on.c_str()}));
        for (int j = 0; j < 6; ++j)
            EXPECT_EQ(block.source.readFlag(113 + j), i == j) << j;
        const std::string otherOff = std::string("Speed Lights/") + lights[(i + 1) % 6] + "=off";
        ASSERT_TRUE(block.set({otherOff.c_str()}));
        EXPECT_TRUE(block.source.readFlag(113 + i)); // another light's off changes nothing
        const std::string off = std::string("Speed Lights/") + lights[i] + "=off";
        ASSERT_TRUE(block.set({off.c_str()}));
        for (int j = 0; j < 6; ++j)
            EXPECT_FALSE(block.source.readFlag(113 + j)) << j;
    }
}

TEST(FlightScript, ParsesStepsSpansAndTheEnd) {
    const FlightScript script = parseFlightScript("# a flight\n"
                                                  "\n"
                                                  "t=5 Eyebrow Lights/MasterCaution=on  # late\n"
                                                  "T=0 Primary Data/KIAS=0\r\n"
                                                  "t=1..3 Primary Data/KIAS=0..300\n"
                                                  "t=0 Eyebrow Lights/MasterCaution=off\n"
                                                  "t=8 end\n",
                                                  kLayout200);
    ASSERT_TRUE(script.errors.empty()) << script.errors.front();
    ASSERT_EQ(script.steps.size(), 4u);
    // By start time; equal times in the file's order.
    EXPECT_EQ(script.steps[0].line, 4);
    EXPECT_EQ(script.steps[1].line, 6);
    EXPECT_EQ(script.steps[2].line, 5);
    EXPECT_EQ(script.steps[2].end, 3.0);
    EXPECT_EQ(script.steps[3].line, 3);
    EXPECT_EQ(script.length, 8.0);
    EXPECT_EQ(parseFlightScript("t=1..6 Primary Data/KIAS=0..3", kLayout200).length, 6.0);

    // A byte-order mark before the first line, as Windows editors write it.
    const FlightScript marked =
        parseFlightScript("\xEF\xBB\xBFt=0 Caution Lights/Hook=on\r\nt=1 end\r\n", kLayout200);
    EXPECT_TRUE(marked.errors.empty()) << marked.errors.front();
    EXPECT_EQ(marked.steps.size(), 1u);
}

TEST(FlightScript, ReportsEveryBadLineAndSkipsWhatTheLayoutLacks) {
    const FlightScript script = parseFlightScript("Primary Data/KIAS=0\n"
                                                  "t=x Primary Data/KIAS=0\n"
                                                  "t=-1 Primary Data/KIAS=0\n"
                                                  "t=3..1 Primary Data/KIAS=0..1\n"
                                                  "t=1..2 Primary Data/KIAS=5\n"
                                                  "t=1 Primary Data/KIAS=0..5\n"
                                                  "t=1 Primary Data/Speed=5\n"
                                                  "t=1\n"
                                                  "t=2 Caution Lights/ElecSys=on\n"
                                                  "t=4 Primary Data/KIAS=1\n"
                                                  "t=3 end\n",
                                                  kLayout100);
    const std::vector<std::string> expected = {
        "line 1: expected t=<seconds> first, e.g. \"t=2.5 Caution Lights/MasterCaution=on\"",
        "line 2: bad time \"t=x\" (seconds from 0, or a span t=from..to with to >= from)",
        "line 3: bad time \"t=-1\" (seconds from 0, or a span t=from..to with to >= from)",
        "line 4: bad time \"t=3..1\" (seconds from 0, or a span t=from..to with to >= from)",
        "line 5: a time span needs a value ramp from..to",
        "line 6: a value ramp needs a time span t=from..to",
        "line 7: no element \"Speed\" in group \"Primary Data\"",
        "line 8: nothing to do after the time",
        "line 11: the flight ends before its last step does",
    };
    EXPECT_EQ(script.errors, expected);
    ASSERT_EQ(script.warnings.size(), 1u);
    EXPECT_EQ(script.warnings[0],
              "line 9: Caution Lights/ElecSys is not in layout 100 (needs 110 or later); skipped");
    EXPECT_EQ(parseFlightScript("# nothing\n", kLayout200).errors,
              std::vector<std::string>{"no steps"});
}

TEST(FlightScript, PlayerWritesStepsWhenDueAndRampsOnTheWay) {
    const FlightScript script = parseFlightScript("t=0 Primary Data/KIAS=50\n"
                                                  "t=1..3 Primary Data/KIAS=100..300\n"
                                                  "t=2 Eyebrow Lights/MasterCaution=on\n"
                                                  "t=4 end\n",
                                                  kLayout200);
    ASSERT_TRUE(script.errors.empty());
    std::uint8_t bytes[1264] = {};
    BlockImage image{bytes, sizeof bytes, kLayout200};
    FlightPlayer player(script);
    std::vector<int> started;

    player.advance(0.5, image, &started);
    EXPECT_EQ(started, std::vector<int>{0});
    EXPECT_EQ(image.loadF32(kKiasOffset), 50.0f);
    started.clear();
    player.advance(2.0, image, &started);
    EXPECT_EQ(started, (std::vector<int>{1, 2}));
    EXPECT_EQ(image.loadF32(kKiasOffset), 200.0f);
    EXPECT_EQ(image.loadU32(0x6C), 1u);
    EXPECT_FALSE(player.finished());

    // A late tick still ends a ramp on its final value, and finished steps stay written once.
    image.storeU32(0x6C, 0);
    started.clear();
    player.advance(9.0, image, &started);
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(image.loadF32(kKiasOffset), 300.0f);
    EXPECT_EQ(image.loadU32(0x6C), 0u);
    EXPECT_TRUE(player.finished());

    player.restart();
    EXPECT_FALSE(player.finished());
    player.advance(0.0, image);
    EXPECT_EQ(image.loadF32(kKiasOffset), 50.0f);
}

} // namespace
