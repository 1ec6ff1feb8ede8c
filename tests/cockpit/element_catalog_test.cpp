#include "cockpit/element_catalog.h"
#include "cockpit/element_table.h"
#include "element_rows.h"

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

using namespace gb;

namespace {

const char* kindName(ElementKind kind) {
    switch (kind) {
    case ElementKind::Absent:
        return "Absent";
    case ElementKind::BitFlag:
        return "BitFlag";
    case ElementKind::FloatValue:
        return "FloatValue";
    case ElementKind::IntValue:
        return "IntValue";
    case ElementKind::Computed:
        return "Computed";
    }
    return "?";
}

// The catalogue order follows from the element list: groups as they first appear, elements by
// index, except two groups whose order the definition files have always used.
std::vector<std::pair<std::string, int>>
expectedCatalogue(const std::vector<test::ElementRow>& rows) {
    const std::map<std::string, std::vector<int>> reordered = {
        {"ADI Flags", {107, 110, 108, 109, 106}},
        {"Other Flags", {112, 111}},
    };
    std::vector<std::pair<std::string, int>> order; // group, index
    for (const test::ElementRow& row : rows) {
        if (row.element.empty()) continue;
        order.emplace_back(row.group, row.index);
    }
    for (const auto& [group, indexes] : reordered) {
        std::size_t i = 0;
        while (i < order.size() && order[i].first != group)
            ++i;
        for (const int index : indexes)
            order[i++].second = index;
    }
    return order;
}

} // namespace

TEST(ElementTable, EveryRowMatchesTheElementList) {
    const std::vector<test::ElementRow> rows = test::loadElementRows();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kElementCount));
    for (const test::ElementRow& row : rows) {
        SCOPED_TRACE("element " + std::to_string(row.index) + " " + row.element);
        ASSERT_GE(row.index, 0);
        ASSERT_LT(row.index, kElementCount);
        const ElementRecord& record = ElementTable[row.index];
        EXPECT_EQ(record.index, row.index);
        EXPECT_STREQ(kindName(record.kind), row.kind.c_str());
        // The list leaves minLayout open for Absent and Computed; the records hold 0 and 100.
        const int minLayout = row.kind == "Absent"     ? 0
                              : row.kind == "Computed" ? 100
                                                       : row.minLayout;
        EXPECT_EQ(record.minLayout, minLayout);
        EXPECT_EQ(record.offsetL200, row.offsetL200);
        EXPECT_EQ(record.offsetL110, row.offsetL110);
        EXPECT_EQ(record.offsetL100, row.offsetL100);
        EXPECT_EQ(record.mask, row.mask);
    }
}

TEST(ElementCatalog, OrderNamesKindsAndTerminator) {
    const std::vector<test::ElementRow> rows = test::loadElementRows();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kElementCount));
    const auto order = expectedCatalogue(rows);
    ASSERT_EQ(order.size(), static_cast<std::size_t>(kCatalogElements));

    int groups = 0;
    std::string previousGroup;
    for (int pos = 0; pos < kCatalogElements; ++pos) {
        const CatalogEntry& entry = ElementCatalog[pos];
        const auto& [group, index] = order[pos];
        SCOPED_TRACE("position " + std::to_string(pos));
        ASSERT_NE(entry.groupName, nullptr);
        ASSERT_NE(entry.elementName, nullptr);
        EXPECT_EQ(entry.elementIndex, index);
        EXPECT_EQ(entry.elementName, rows[index].element);
        // Only a group's first entry names the group.
        EXPECT_STREQ(entry.groupName, group != previousGroup ? group.c_str() : "");
        groups += group != previousGroup ? 1 : 0;
        previousGroup = group;
        EXPECT_STREQ(groupOf(pos), group.c_str());
        // Flags are what BitFlag, Absent and the flag selectors give; values the rest.
        const std::string& kind = rows[index].kind;
        const bool value = kind == "FloatValue" || kind == "IntValue" ||
                           (kind == "Computed" && rows[index].mask > kLastFlagSelector);
        EXPECT_EQ(entry.kind, value ? CatalogValue : CatalogFlag);
        EXPECT_EQ(entry.seen, 0);
    }
    EXPECT_EQ(groups, kCatalogGroups);

    const CatalogEntry& end = ElementCatalog[kCatalogElements];
    EXPECT_STREQ(end.groupName, "");
    EXPECT_STREQ(end.elementName, "");
    EXPECT_EQ(end.seen, 0);
    EXPECT_EQ(end.kind, 0);
    EXPECT_EQ(end.elementIndex, 0);
}

TEST(ElementCatalog, GroupLookupIgnoresCaseAndFindsOnlyGroups) {
    EXPECT_EQ(findGroup("Eyebrow Lights"), 0);
    EXPECT_EQ(findGroup("eyebrow lights"), 0);
    const int adiData = findGroup("ADI DATA");
    ASSERT_GE(adiData, 0);
    EXPECT_STREQ(ElementCatalog[adiData].groupName, "ADI Data");
    EXPECT_EQ(ElementCatalog[adiData].elementIndex, 164);

    EXPECT_EQ(findGroup("MasterCaution"), -1); // an element, not a group
    EXPECT_EQ(findGroup("Eyebrow Lights "), -1);
    EXPECT_EQ(findGroup("Eyebrow"), -1);
    EXPECT_EQ(findGroup(""), -1);
    EXPECT_EQ(findGroup(nullptr), -1);
}

TEST(ElementCatalog, ElementLookupStaysWithinItsGroup) {
    const int hsiFlags = findGroup("hsi flags");
    const int adiFlags = findGroup("adi flags");
    ASSERT_GE(hsiFlags, 0);
    ASSERT_GE(adiFlags, 0);
    // Both groups have an "Off"; the group decides which one.
    const int hsiOff = findElement(hsiFlags, "off");
    const int adiOff = findElement(adiFlags, "OFF");
    ASSERT_GE(hsiOff, 0);
    ASSERT_GE(adiOff, 0);
    EXPECT_EQ(ElementCatalog[hsiOff].elementIndex, 105);
    EXPECT_EQ(ElementCatalog[adiOff].elementIndex, 106);

    // The group's first and last elements are found; the next group's first is not.
    EXPECT_EQ(findElement(hsiFlags, "ToTrue"), hsiFlags);
    EXPECT_EQ(findElement(findGroup("Other Flags"), "VVIOff"), findGroup("Other Flags") + 1);
    EXPECT_EQ(findElement(hsiFlags, "Aux"), -1);
    const int adiData = findGroup("ADI Data");
    EXPECT_EQ(ElementCatalog[findElement(adiData, "ilsverpos")].elementIndex, 165);

    EXPECT_EQ(findElement(findGroup("Gear Lights"), "Gear Lights"), -1);
    EXPECT_EQ(findElement(0, "MasterCautio"), -1);
    EXPECT_EQ(findElement(0, ""), -1);
    EXPECT_EQ(findElement(0, nullptr), -1);
    // Only a group's first entry starts a lookup.
    EXPECT_EQ(findElement(1, "TFFail"), -1);
    EXPECT_EQ(findElement(-1, "TFFail"), -1);
    EXPECT_EQ(findElement(kCatalogElements, "TFFail"), -1);
}

TEST(ElementCatalog, MarkingSeenAndGroupOfEdges) {
    clearSeen();
    const int pos = findElement(findGroup("Caution Lights"), "LEFlaps");
    ASSERT_GE(pos, 0);
    EXPECT_EQ(ElementCatalog[pos].elementIndex, 29);
    markSeen(pos);
    markSeen(-1);
    markSeen(kCatalogElements); // the terminator stays as it is
    int seen = 0;
    for (const CatalogEntry& entry : ElementCatalog)
        seen += entry.seen;
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(ElementCatalog[pos].seen, 1);
    EXPECT_EQ(ElementCatalog[kCatalogElements].seen, 0);
    clearSeen();
    EXPECT_EQ(ElementCatalog[pos].seen, 0);

    EXPECT_STREQ(groupOf(-1), "");
    EXPECT_STREQ(groupOf(kCatalogEntries), "");
}

std::vector<std::string> namesAt(const std::vector<int>& positions,
                                 const CatalogEntry* catalog = ElementCatalog) {
    std::vector<std::string> names;
    for (int pos : positions)
        names.push_back(catalog[pos].elementName);
    return names;
}

TEST(ElementCatalog, GroupsOfAKindAndElementsOfAGroup) {
    const std::vector<int> all = groupsOfKind(kAnyKind);
    ASSERT_EQ(all.size(), static_cast<std::size_t>(kCatalogGroups));
    const std::vector<int> flags = groupsOfKind(CatalogFlag);
    const std::vector<int> values = groupsOfKind(CatalogValue);
    EXPECT_EQ(flags.size(), 13u);
    ASSERT_EQ(values.size(), 4u);
    EXPECT_STREQ(ElementCatalog[flags.front()].groupName, "Eyebrow Lights");
    EXPECT_STREQ(ElementCatalog[flags.back()].groupName, "Speed Lights");
    EXPECT_STREQ(ElementCatalog[values.front()].groupName, "Primary Data");
    EXPECT_STREQ(ElementCatalog[values.back()].groupName, "ADI Data");
    EXPECT_TRUE(groupsOfKind(7).empty());

    std::size_t elements = 0;
    for (int group : all) {
        const std::vector<int> members = elementsOfGroup(group);
        ASSERT_FALSE(members.empty());
        EXPECT_EQ(members.front(), group);
        for (int pos : members)
            EXPECT_STREQ(groupOf(pos), ElementCatalog[group].groupName);
        elements += members.size();
    }
    EXPECT_EQ(elements, static_cast<std::size_t>(kCatalogElements));
    EXPECT_EQ(allElements().size(), static_cast<std::size_t>(kCatalogElements));
    EXPECT_EQ(namesAt(elementsOfGroup(findGroup("ADI Flags"))),
              (std::vector<std::string>{"Aux", "BackupOff", "GS", "Loc", "Off"}));
    EXPECT_EQ(
        namesAt(elementsOfGroup(findGroup("ADI Data"))),
        (std::vector<std::string>{"ILSHorPos", "ILSVerPos"})); // the last group ends at the end
    // Not a group's first entry, or outside: nothing.
    EXPECT_TRUE(elementsOfGroup(1).empty());
    EXPECT_TRUE(elementsOfGroup(-1).empty());
    EXPECT_TRUE(elementsOfGroup(kCatalogElements).empty());
    EXPECT_TRUE(elementsOfGroup(100000).empty());
}

TEST(ElementCatalog, UnboundElementsFollowTheSeenMarks) {
    clearSeen();
    const int gear = findGroup("Gear Lights");
    markSeen(findElement(gear, "Nose"));
    EXPECT_EQ(namesAt(unboundElements(CatalogFlag, "Gear Lights")),
              (std::vector<std::string>{"Left", "Right", "Handle"}));
    // The group is named exactly, as the dialogs hold it.
    EXPECT_TRUE(unboundElements(CatalogFlag, "gear lights").empty());
    EXPECT_TRUE(unboundElements(CatalogValue, "Gear Lights").empty());
    EXPECT_TRUE(unboundElements(CatalogFlag, "No Such Group").empty());
    // No group: every group of the kind; "Off" once per group while both are free.
    const std::vector<int> flags = unboundElements(CatalogFlag, "");
    EXPECT_EQ(flags.size(), 111u); // 112 flags less Nose
    EXPECT_EQ(unboundElements(CatalogFlag, nullptr), flags);
    EXPECT_EQ(unboundElements(CatalogValue, "").size(), 47u);
    markSeen(findElement(findGroup("HSI Flags"), "Off"));
    const std::vector<int> left = unboundElements(CatalogFlag, nullptr);
    ASSERT_EQ(left.size(), 110u);
    int offs = 0;
    for (int pos : left) {
        if (std::string(ElementCatalog[pos].elementName) == "Off") {
            ++offs;
            EXPECT_EQ(ElementCatalog[pos].elementIndex, 106);
        }
    }
    EXPECT_EQ(offs, 1);
    clearSeen();

    EXPECT_EQ(findElementIndex(106), findElement(findGroup("ADI Flags"), "Off"));
    EXPECT_EQ(findElementIndex(0), 0);
    EXPECT_EQ(findElementIndex(2), -1); // a table row without a name
    EXPECT_EQ(findElementIndex(-1), -1);
    EXPECT_EQ(findElementIndex(166), -1);
}

// The queries walk whatever catalogue they are given, up to its own end.
TEST(ElementCatalog, QueriesWalkAnotherCatalogueToItsEnd) {
    const CatalogEntry small[] = {{"Lamps", "A", 0, CatalogFlag, 3},
                                  {"", "B", 1, CatalogFlag, 4},
                                  {"Dials", "C", 0, CatalogValue, 9},
                                  {"", "", 0, 0, 0}};
    EXPECT_EQ(groupsOfKind(kAnyKind, small), (std::vector<int>{0, 2}));
    EXPECT_EQ(groupsOfKind(CatalogValue, small), (std::vector<int>{2}));
    EXPECT_EQ(elementsOfGroup(0, small), (std::vector<int>{0, 1}));
    EXPECT_EQ(elementsOfGroup(2, small), (std::vector<int>{2}));
    EXPECT_TRUE(elementsOfGroup(3, small).empty());
    EXPECT_EQ(allElements(small).size(), 3u);
    EXPECT_EQ(namesAt(unboundElements(CatalogFlag, "", small), small),
              (std::vector<std::string>{"A"}));
    EXPECT_EQ(findElementIndex(9, small), 2);
    EXPECT_EQ(findElementIndex(0, small), -1);
}

TEST(ElementTable, LayoutSizesAndOffsets) {
    EXPECT_EQ(blockSizeOf(100), 124u);
    EXPECT_EQ(blockSizeOf(110), 1240u);
    EXPECT_EQ(blockSizeOf(200), 1264u);
    EXPECT_EQ(blockSizeOf(0), 0u);
    EXPECT_EQ(blockSizeOf(150), 0u);

    const ElementRecord& epuRun = ElementTable[78]; // differs between 110 and 200
    EXPECT_EQ(offsetIn(epuRun, 200), 0x07Cu);
    EXPECT_EQ(offsetIn(epuRun, 110), 0x080u);
    EXPECT_EQ(offsetIn(epuRun, 100), 0u);
    EXPECT_EQ(offsetIn(ElementTable[148], 110), 0u); // TrimPitch needs 200
    EXPECT_EQ(offsetIn(ElementTable[0], 100), 0x06Cu);
    EXPECT_EQ(offsetIn(ElementTable[52], 200), 0u); // computed: no field of its own
    EXPECT_EQ(offsetIn(ElementTable[4], 200), 0u);  // absent
}
