#pragma once
// Keeps registry tests away from the user's own settings. Natively the stand-in's folder is
// pointed at a test folder; on Windows the tests work below a key of their own and delete it.

#include <string>

namespace gb::test {

void useRegistryFolder(const std::string& folder);

} // namespace gb::test
