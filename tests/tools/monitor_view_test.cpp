#include "cockpit/element_catalog.h"
#include "tools/monitor/monitor_view.h"

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

} // namespace
