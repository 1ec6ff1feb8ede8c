#include "registry_sandbox.h"

namespace gb::test {

// The real registry: each test's key is unique and deleted afterwards, so there is nothing to
// redirect.
void useRegistryFolder(const std::string&) {}

} // namespace gb::test
