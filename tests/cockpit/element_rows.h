#pragma once
// Reads tests/data/cockpit/element_table.txt: the element list written out independently of the
// compiled tables, one row per element index.

#include "support/test_data.h"

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace gb::test {

struct ElementRow {
    int index = -1;
    std::string group; // "" when the index has no name
    std::string element;
    std::string kind;             // "Absent", "BitFlag", "FloatValue", "IntValue", "Computed"
    int minLayout = 0;            // 0 for "-"
    std::uint32_t offsetL200 = 0; // 0 for "-"
    std::uint32_t offsetL110 = 0;
    std::uint32_t offsetL100 = 0;
    std::uint32_t mask = 0; // bit mask or selector; 0 for "-"

    std::uint32_t offsetIn(int layout) const {
        return layout == 200 ? offsetL200 : layout == 110 ? offsetL110 : offsetL100;
    }
};

inline std::uint32_t parseRowNumber(const std::string& field) {
    if (field == "-") return 0;
    if (field.rfind("selector ", 0) == 0) return std::stoul(field.substr(9));
    return std::stoul(field, nullptr, 0);
}

// Empty when the file is missing or a row is malformed; callers assert on the count.
inline std::vector<ElementRow> loadElementRows() {
    std::vector<ElementRow> rows;
    std::ifstream in(dataPath("cockpit/element_table.txt"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string field; std::getline(split, field, '|');)
            fields.push_back(field);
        if (fields.size() != 9) return {};
        ElementRow row;
        row.index = std::stoi(fields[0]);
        row.group = fields[1] == "-" ? "" : fields[1];
        row.element = fields[2] == "-" ? "" : fields[2];
        row.kind = fields[3];
        row.minLayout = static_cast<int>(parseRowNumber(fields[4]));
        row.offsetL200 = parseRowNumber(fields[5]);
        row.offsetL110 = parseRowNumber(fields[6]);
        row.offsetL100 = parseRowNumber(fields[7]);
        row.mask = parseRowNumber(fields[8]);
        rows.push_back(row);
    }
    return rows;
}

} // namespace gb::test
