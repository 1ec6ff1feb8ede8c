#include "registry_sandbox.h"

#include <cstdlib>

namespace gb::test {

void useRegistryFolder(const std::string& folder) {
    setenv("GLOWBRIDGE_REGISTRY_DIR", folder.c_str(), 1);
}

} // namespace gb::test
