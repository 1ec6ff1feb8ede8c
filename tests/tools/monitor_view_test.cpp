#include "cockpit/element_catalog.h"
#include "cockpit/element_table.h"
#include "support/published_block.h"
#include "support/scripted_message_boxes.h"
#include "tools/monitor/monitor_view.h"

#include <cstdint>
#include <gtest/gtest.h>

using gb::monitor::selectElements;

namespace {

std::vector<int> indexesOf(const std::vector<int>& positions) {
    std::vector<int> indexes;
    for (int pos : positions)
        indexes.push_back(gb::ElementCatalog[pos].elementIndex);
    return indexes;
}

TEST(MonitorSelection, NamesGroupsAndAll) {
    std::vector<int> positions;
    std::string error;
    ASSERT_TRUE(selectElements({}, positions, error));
    EXPECT_EQ(positions.size(), 159u);
    ASSERT_TRUE(selectElements({"ALL"}, positions, error));
    EXPECT_EQ(positions.size(), 159u);

    // In the order given, each element once; groups in catalogue order.
    ASSERT_TRUE(selectElements(
        {"primary data/kias", "gear lights", " Gear Lights / Nose ", "ADI Flags", "hsi flags/off"},
        positions, error));
    EXPECT_EQ(indexesOf(positions),
              (std::vector<int>{125, 52, 53, 54, 55, 107, 110, 108, 109, 106, 105}));
    ASSERT_TRUE(selectElements({"ADI Data"}, positions, error)); // the last group
    EXPECT_EQ(indexesOf(positions), (std::vector<int>{164, 165}));
}

TEST(MonitorSelection, UnknownNamesSayWhatThereIs) {
    std::vector<int> positions;
    std::string error;
    EXPECT_FALSE(selectElements({"Gear Lights/Tail"}, positions, error));
    EXPECT_EQ(error, "no element \"Tail\" in group \"Gear Lights\"; it has: Left, Nose, Right, "
                     "Handle");
    EXPECT_FALSE(selectElements({"Gear"}, positions, error));
    EXPECT_EQ(error.rfind("no group \"Gear\"; the groups are: Eyebrow Lights, Caution Lights", 0),
              0u);
    EXPECT_FALSE(selectElements({"Gear Lights/"}, positions, error));
}

// An integer element is shown exactly: a 32-bit integer has more digits than a float keeps.
TEST(MonitorView, IntegerElementsShowEveryDigit) {
    gb::test::PublishedBlock block(gb::kBlockSizeL200);
    ASSERT_TRUE(block.ok());
    gb::test::ScriptedMessageBoxes boxes;
    gb::SharedMemorySource source;
    ASSERT_TRUE(source.attach());
    std::vector<int> positions;
    std::string error;
    ASSERT_TRUE(
        selectElements({"Secondary Data/UFCTacanChannel", "Primary Data/KIAS"}, positions, error));
    const std::uint32_t tacan = gb::ElementTable[145].offsetL200;
    block.setFloat(gb::ElementTable[125].offsetL200, 123456.78f);

    block.setInt(tacan, INT32_MAX);
    EXPECT_EQ(gb::monitor::formatMachine(source, positions, {}),
              "# layout 200 size 1264\n"
              "145\tSecondary Data\tUFCTacanChannel\tOff\t2147483647\t2147483647\n"
              "125\tPrimary Data\tKIAS\tOff\t123456.781\t123456\n");
    const std::string table = gb::monitor::formatTable(source, positions, {});
    EXPECT_NE(table.find(
                  "  145  Secondary Data/UFCTacanChannel                2147483647   2147483647\n"),
              std::string::npos)
        << table;
    EXPECT_NE(table.find(
                  "  125  Primary Data/KIAS                               123456.8       123456\n"),
              std::string::npos)
        << table;

    block.setInt(tacan, INT32_MIN);
    EXPECT_NE(gb::monitor::formatMachine(source, positions, {1.0, -1})
                  .find("\tUFCTacanChannel\tOff\t-2147483648\t2147483647\n"),
              std::string::npos);
    EXPECT_NE(
        gb::monitor::formatTable(source, positions, {})
            .find("  145  Secondary Data/UFCTacanChannel               -2147483648  -2147483648\n"),
        std::string::npos);
    source.detach();
}

} // namespace
