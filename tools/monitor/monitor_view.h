#pragma once
// What the monitor shows: the elements a user names, read through the program's own
// SharedMemorySource, as a table for people or as tab-separated lines for scripts.

#include "cockpit/shared_memory_source.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gb::monitor {

// Turns names into catalogue positions, in the order given, each element once. A name is
// "Group/Element", a whole "Group", or "all"; case is ignored. No names means all. False with
// a message for a name that is not in the catalogue.
bool selectElements(const std::vector<std::string>& names, std::vector<int>& positions,
                    std::string& error);

struct Scaling {
    double multi = 1.0;
    std::int32_t offset = 0;
};

// One line a selected element: index, then its name, then what Glowbridge reads.
std::string formatTable(const SharedMemorySource& source, const std::vector<int>& positions,
                        const Scaling& scaling);

// "# layout <L> size <bytes>", then one line an element, tab-separated:
// index, group, element, flag state (On/Off), value, scaled value.
std::string formatMachine(const SharedMemorySource& source, const std::vector<int>& positions,
                          const Scaling& scaling);

} // namespace gb::monitor
