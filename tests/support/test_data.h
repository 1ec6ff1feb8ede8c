#pragma once
// Where the golden files live. The build passes the folder in; under Wine a Unix path is still
// readable through Wine's Z: drive.

#include <string>

namespace gb::test {

inline std::string dataPath(const std::string& name) {
    return std::string(GB_TEST_DATA_DIR) + "/" + name;
}

} // namespace gb::test
