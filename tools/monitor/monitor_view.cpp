#include "tools/monitor/monitor_view.h"

#include "cockpit/element_catalog.h"
#include "cockpit/element_table.h"
#include "platform/ascii.h"

#include <algorithm>
#include <cstdio>

namespace gb::monitor {

namespace {

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

void add(std::vector<int>& positions, int pos) {
    if (std::find(positions.begin(), positions.end(), pos) == positions.end())
        positions.push_back(pos);
}

void addGroup(std::vector<int>& positions, int group) {
    for (int pos : elementsOfGroup(group))
        add(positions, pos);
}

std::string groupList() {
    std::string list;
    for (int pos : groupsOfKind(kAnyKind)) {
        if (!list.empty()) list += ", ";
        list += ElementCatalog[pos].groupName;
    }
    return list;
}

std::string elementList(int group) {
    std::string list;
    for (int pos : elementsOfGroup(group)) {
        if (!list.empty()) list += ", ";
        list += ElementCatalog[pos].elementName;
    }
    return list;
}

// Why an element reads off / 0 whatever the block holds, or "" when it is read from the block.
const char* availability(const ElementRecord& record, std::int32_t layout) {
    if (record.kind == ElementKind::Absent) return "absent";
    if (record.kind == ElementKind::Computed || record.minLayout <= layout) return "";
    return record.minLayout == kLayout200 ? "needs 200" : "needs 110";
}

// An integer element's value exactly (a 32-bit integer has more digits than %g shows); a
// float's with `digits` significant digits.
std::string formatValue(const ElementRecord& record, double value, int digits) {
    if (record.kind == ElementKind::IntValue) return std::to_string(truncateToInt32(value));
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
    return buffer;
}

} // namespace

bool selectElements(const std::vector<std::string>& names, std::vector<int>& positions,
                    std::string& error) {
    positions.clear();
    if (names.empty()) {
        for (int pos : allElements())
            add(positions, pos);
        return true;
    }
    for (const std::string& raw : names) {
        const std::string name = trimmed(raw);
        if (ascii::equalIgnoringCase(name, "all")) {
            for (int pos : allElements())
                add(positions, pos);
            continue;
        }
        const std::size_t slash = name.find('/');
        const std::string groupName = trimmed(name.substr(0, slash));
        const int group = findGroup(groupName.c_str());
        if (group < 0) {
            error = "no group \"" + groupName + "\"; the groups are: " + groupList();
            return false;
        }
        if (slash == std::string::npos) {
            addGroup(positions, group);
            continue;
        }
        const std::string elementName = trimmed(name.substr(slash + 1));
        const int pos = findElement(group, elementName.c_str());
        if (pos < 0) {
            error = "no element \"" + elementName + "\" in group \"" +
                    ElementCatalog[group].groupName + "\"; it has: " + elementList(group);
            return false;
        }
        add(positions, pos);
    }
    return true;
}

std::string formatTable(const SharedMemorySource& source, const std::vector<int>& positions,
                        const Scaling& scaling) {
    std::string out;
    char line[160];
    std::snprintf(line, sizeof line,
                  "FalconSharedMemoryArea: layout %d (%zu bytes)   scaled = trunc(value x %g) "
                  "+ %d\n",
                  static_cast<int>(source.layoutVersion()), blockSizeOf(source.layoutVersion()),
                  scaling.multi, static_cast<int>(scaling.offset));
    out += line;
    std::snprintf(line, sizeof line, "%5s  %-34s %-5s %15s %12s\n", "Index", "Element", "State",
                  "Value", "Scaled");
    out += line;
    for (int pos : positions) {
        const CatalogEntry& entry = ElementCatalog[pos];
        const ElementRecord& record = ElementTable[entry.elementIndex];
        const std::string name = std::string(groupOf(pos)) + "/" + entry.elementName;
        const char* note = availability(record, source.layoutVersion());
        if (entry.kind == CatalogFlag) {
            std::snprintf(line, sizeof line, "%5d  %-34s %-5s %28s%s\n",
                          static_cast<int>(entry.elementIndex), name.c_str(),
                          source.readFlag(entry.elementIndex) ? "On" : "Off", "", note);
        } else {
            const double value = source.readValue(entry.elementIndex);
            const std::int32_t scaled =
                source.readScaled(entry.elementIndex, scaling.multi, scaling.offset);
            std::snprintf(line, sizeof line, "%5d  %-34s %-5s %15s %12d  %s\n",
                          static_cast<int>(entry.elementIndex), name.c_str(), "",
                          formatValue(record, value, 7).c_str(), static_cast<int>(scaled), note);
        }
        // Trailing blanks of rows without a note would only clutter a copied table.
        std::string row = line;
        const std::size_t end = row.find_last_not_of(' ', row.size() - 2);
        out += row.substr(0, end + 1) + "\n";
    }
    return out;
}

std::string formatMachine(const SharedMemorySource& source, const std::vector<int>& positions,
                          const Scaling& scaling) {
    std::string out = "# layout " + std::to_string(source.layoutVersion()) + " size " +
                      std::to_string(blockSizeOf(source.layoutVersion())) + "\n";
    for (int pos : positions) {
        const CatalogEntry& entry = ElementCatalog[pos];
        const std::int32_t index = entry.elementIndex;
        out += std::to_string(index) + "\t" + groupOf(pos) + "\t" + entry.elementName + "\t" +
               (source.readFlag(index) ? "On" : "Off") + "\t" +
               formatValue(ElementTable[index], source.readValue(index), 9) + "\t" +
               std::to_string(source.readScaled(index, scaling.multi, scaling.offset)) + "\n";
    }
    return out;
}

} // namespace gb::monitor
