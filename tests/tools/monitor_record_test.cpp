// Recordings replayed: what the monitor records from a block, played by the stand-in simulator's
// own script player into a fresh block, reads back through the program's reader exactly as it
// was read, snapshot by snapshot.

#include "cockpit/element_catalog.h"
#include "cockpit/element_table.h"
#include "cockpit/shared_memory_source.h"
#include "platform/runtime.h"
#include "support/published_block.h"
#include "support/scripted_message_boxes.h"
#include "tools/monitor/monitor_view.h"
#include "tools/monitor/recorder.h"
#include "tools/simulator/flight_script.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using namespace gb;
using namespace gb::monitor;

namespace {

std::vector<std::int32_t> readableLayouts() {
    if (platform::runningUnderWine()) return {kLayout200};
    return {kLayout100, kLayout110, kLayout200};
}

std::vector<int> positionsOf(std::vector<std::string> names) {
    std::vector<int> positions;
    std::string error;
    EXPECT_TRUE(selectElements(names, positions, error)) << error;
    return positions;
}

void putFloat(test::PublishedBlock& block, std::uint32_t offset, float value) {
    block.setFloat(offset, value);
}

TEST(MonitorRecording, ReplaysEveryReadingBitForBit) {
    const std::vector<int> all = positionsOf({});
    for (std::int32_t layout : readableLayouts()) {
        SCOPED_TRACE(layout);
        test::PublishedBlock published(blockSizeOf(layout));
        test::ScriptedMessageBoxes boxes;
        SharedMemorySource source;
        ASSERT_TRUE(published.ok() && source.attach());
        ASSERT_EQ(source.layoutVersion(), layout);

        Recorder recorder;
        recorder.watch(all, layout);
        std::string recording = recorder.header();
        std::vector<std::string> readings;
        std::mt19937 random(20240 + layout);
        auto snapshot = [&] {
            readings.push_back(formatMachine(source, all, {}));
            recorder.snapshot(published.bytes(), 0.125 * static_cast<double>(readings.size() - 1),
                              recording);
        };
        // Random bytes everywhere: NaNs with payloads, denormals, every bit pattern of the words.
        for (std::size_t i = 0; i < published.size(); ++i)
            published.bytes()[i] = static_cast<std::uint8_t>(random());
        snapshot();
        // Then a few words at a time, and the values a script could misread.
        for (int step = 0; step < 40; ++step) {
            for (int n = 0; n < 3; ++n) {
                const std::uint32_t offset =
                    static_cast<std::uint32_t>(random() % (published.size() / 4)) * 4;
                published.setWord(offset, static_cast<std::uint32_t>(random()));
            }
            snapshot();
        }
        const float specials[] = {1.0f,
                                  0.0f,
                                  -0.0f,
                                  std::numeric_limits<float>::quiet_NaN(),
                                  -std::numeric_limits<float>::quiet_NaN(),
                                  std::numeric_limits<float>::infinity(),
                                  -std::numeric_limits<float>::infinity(),
                                  std::numeric_limits<float>::denorm_min(),
                                  std::numeric_limits<float>::max(),
                                  1.29999995f,
                                  0.5f};
        const std::uint32_t floats[] = {kKiasOffset,     kAltitudeOffset, kGearPositionOffset,
                                        kLeftGearOffset, kNoseGearOffset, kRightGearOffset};
        for (float value : specials) {
            for (std::uint32_t offset : floats)
                if (offset + 4 <= published.size()) putFloat(published, offset, value);
            snapshot();
        }
        if (layout >= kLayout110) { // the TACAN channels are whole numbers
            const std::uint32_t channel = offsetIn(ElementTable[145], layout);
            for (std::int32_t value : {std::numeric_limits<std::int32_t>::min(),
                                       std::numeric_limits<std::int32_t>::max(), 0, -1}) {
                published.setInt(channel, value);
                snapshot();
            }
        }
        snapshot(); // nothing changed: no lines
        recording += recorder.endLine(0.125 * static_cast<double>(readings.size()));

        const sim::FlightScript script = sim::parseFlightScript(recording, layout);
        ASSERT_TRUE(script.errors.empty()) << script.errors.front();
        EXPECT_TRUE(script.warnings.empty());
        EXPECT_EQ(script.length, 0.125 * static_cast<double>(readings.size()));

        // Played into a block that holds something else entirely.
        published.fill(0xA5);
        sim::BlockImage image{published.bytes(), published.size(), layout};
        sim::FlightPlayer player(script);
        for (std::size_t i = 0; i < readings.size(); ++i) {
            player.advance(0.125 * static_cast<double>(i), image);
            ASSERT_EQ(formatMachine(source, all, {}), readings[i]) << "snapshot " << i;
        }
        source.detach();
    }
}

TEST(MonitorRecording, ComputedElementsAreRecordedThroughWhatTheyFollowOnce) {
    const std::vector<int> watched = positionsOf(
        {"Gear Lights/Handle", "Speed Lights/Good", "Primary Data/KIAS1000", "Primary Data/KIAS",
         "Gear Lights/Nose", "Primary Data/Alt100", "Eyebrow Lights/FLCS",
         "Caution Lights/FlcsFault", "Caution Lights/FwdFuelLow"});
    auto labels = [&](std::int32_t layout) {
        std::vector<std::string> out;
        for (const RecordedField& f : recordedFields(watched, layout))
            out.push_back(f.label);
        return out;
    };
    // Layout 100: one gear position shows gears and handle; FwdFuelLow is not in the block;
    // FLCS and FlcsFault are one bit.
    EXPECT_EQ(labels(kLayout100),
              (std::vector<std::string>{"Gear Lights/Left", "Primary Data/KIAS",
                                        "Primary Data/Altitude", "Eyebrow Lights/FLCS"}));
    EXPECT_EQ(labels(kLayout200),
              (std::vector<std::string>{"Gear Lights/Handle", "Primary Data/KIAS",
                                        "Gear Lights/Nose", "Primary Data/Altitude",
                                        "Eyebrow Lights/FLCS", "Caution Lights/FwdFuelLow"}));
    // Elements no layout carries need nothing.
    EXPECT_TRUE(recordedFields(positionsOf({"Other Lights"}), kLayout100).size() <
                recordedFields(positionsOf({"Other Lights"}), kLayout200).size());
}

TEST(MonitorRecording, WritesOnlyChangesWithTheirTime) {
    std::vector<std::uint8_t> block(blockSizeOf(kLayout200), 0);
    Recorder recorder;
    recorder.watch(positionsOf({"Caution Lights/Hook", "Gear Lights/Left", "Primary Data/KIAS"}),
                   kLayout200);
    std::string out;
    EXPECT_EQ(recorder.snapshot(block.data(), 0.0, out), 3u);
    EXPECT_EQ(out,
              "t=0 Caution Lights/Hook=off\nt=0 Gear Lights/Left=0\nt=0 Primary Data/KIAS=0\n");
    out.clear();
    EXPECT_EQ(recorder.snapshot(block.data(), 0.1, out), 0u);
    EXPECT_EQ(out, "");
    const float down = 1.0f; // "=1" would be read as "on", which is 1.5 in this layout
    const float kias = 123.456789f;
    std::memcpy(block.data() + kLeftGearOffset, &down, 4);
    std::memcpy(block.data() + kKiasOffset, &kias, 4);
    std::memset(block.data() + offsetIn(ElementTable[41], kLayout200), 0xFF, 4); // Hook and more
    EXPECT_EQ(recorder.snapshot(block.data(), 2.5004, out), 3u);
    EXPECT_EQ(out, "t=2.5 Caution Lights/Hook=on\nt=2.5 Gear Lights/Left=1.0\n"
                   "t=2.5 Primary Data/KIAS=123.456787\n");
    EXPECT_EQ(recorder.endLine(1.0), "t=2.5 end\n"); // never before the last change
    EXPECT_EQ(recorder.endLine(61.25), "t=61.25 end\n");

    out.clear();
    recorder.forget(); // the block came back: everything again
    EXPECT_EQ(recorder.snapshot(block.data(), 70.0, out), 3u);
    EXPECT_EQ(scriptTime(0.0005), "t=0.001");
    EXPECT_EQ(scriptTime(-1.0), "t=0");
    EXPECT_EQ(scriptTime(std::nan("")), "t=0");
    EXPECT_EQ(scriptTime(600.0), "t=600");
}

} // namespace
