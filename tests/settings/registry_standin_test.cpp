// The native registry stand-in as a file: a writer killed at any moment leaves a whole tree,
// a damaged file is refused rather than overwritten, and writers in two processes lose nothing.

#include "platform/registry.h"
#include "registry_sandbox.h"
#include "settings/profile_store.h"
#include "settings_files.h"
#include "support/child_process.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>

using gb::ProfileStore;
using namespace gb::test;

namespace {

// Built by appending: g++ 12 warns falsely (-Wrestrict) on "literal" + string at -O2.
std::string keyName(int writer, int n) {
    std::string name(1, 'w');
    name += std::to_string(writer);
    name += '_';
    name += std::to_string(n);
    return name;
}

std::string valueFor(int n) {
    return std::string(4000, static_cast<char>('0' + n % 10)) + "#" + std::to_string(n);
}

class RegistryStandIn : public ::testing::Test {
protected:
    void SetUp() override { useRegistryFolder(folder.path()); }
    std::string storeFile() const { return folder.file("HKEY_CURRENT_USER.reg"); }

    TempFolder folder;
    ProfileStore store{"Software\\Veltrona", "Glowbridge", nullptr};
};

TEST_F(RegistryStandIn, KilledWriterLeavesAWholeTree) {
    // Kills at growing moments until twelve of them left a value to check; a run that checks
    // nothing must fail rather than pass.
    constexpr int kWanted = 12;
    int checked = 0;
    for (int round = 0; round < 5 * kWanted && checked < kWanted; ++round) {
        ChildProcess writer;
        ASSERT_TRUE(writer.startCopy([] {
            ProfileStore store("Software\\Veltrona", "Glowbridge", nullptr);
            // Going on from the last count keeps "Count is Value's number or one less" true
            // across writers, however early a kill comes.
            for (int n = store.GetInt("Crash", "Count", 0) + 1;; ++n) {
                store.SetString("Crash", "Value", valueFor(n).c_str());
                store.SetInt("Crash", "Count", n);
            }
        }));
        usleep(static_cast<useconds_t>(8000 + (round % kWanted) * 4000));
        writer.kill();

        // The first write creates the file with the key alone; from then on the file must load.
        if (!fileExists(storeFile())) continue;
        const std::string value = store.GetString("Crash", "Value", "");
        if (store.lastError == ProfileStore::KeyNotFound && checked == 0) continue;
        ASSERT_EQ(store.lastError, ProfileStore::Ok) << "round " << round;
        ++checked;
        const int n = std::atoi(value.c_str() + value.find('#') + 1);
        EXPECT_EQ(value, valueFor(n)) << "round " << round;
        const int count = store.GetInt("Crash", "Count", 0);
        EXPECT_TRUE(count == n || count == n - 1) << count << " after value " << n;
    }
    EXPECT_EQ(checked, kWanted) << "kills that left a value to check";
    EXPECT_TRUE(store.SetInt("Crash", "Count", 1));
    EXPECT_FALSE(fileExists(storeFile() + ".new"));
}

TEST_F(RegistryStandIn, DamagedFileIsRefusedNotOverwritten) {
    ASSERT_TRUE(store.SetInt(nullptr, "F4ReadTimer", 100));
    std::string damaged = readBytes(storeFile());
    damaged.resize(damaged.size() - 4); // the END line is missing
    writeBytes(storeFile(), damaged);
    EXPECT_EQ(store.GetInt(nullptr, "F4ReadTimer", 7), 7);
    EXPECT_EQ(store.lastError, ProfileStore::SectionNotFound);
    EXPECT_FALSE(store.SetInt(nullptr, "F4ReadTimer", 200));
    EXPECT_EQ(readBytes(storeFile()), damaged);
}

TEST_F(RegistryStandIn, LeftoverTemporaryFileIsIgnored) {
    ASSERT_TRUE(store.SetInt(nullptr, "F4ReadTimer", 100));
    writeBytes(storeFile() + ".new", "GLOWBRIDGE-REGISTRY 1\nK Soft");
    EXPECT_EQ(store.GetInt(nullptr, "F4ReadTimer", 7), 100);
    EXPECT_TRUE(store.SetInt(nullptr, "F4ReadTimer", 200));
    EXPECT_EQ(store.GetInt(nullptr, "F4ReadTimer", 7), 200);
    EXPECT_FALSE(fileExists(storeFile() + ".new"));
}

TEST_F(RegistryStandIn, WritersInTwoProcessesLoseNothing) {
    ChildProcess writers[2];
    for (int c = 0; c < 2; ++c) {
        ASSERT_TRUE(writers[c].startCopy([c] {
            ProfileStore writer("Software\\Veltrona", "Glowbridge", nullptr);
            for (int n = 0; n < 15; ++n)
                writer.SetInt("Parallel", keyName(c, n).c_str(), n);
        }));
    }
    for (ChildProcess& writer : writers)
        EXPECT_EQ(writer.wait(60000), 0);
    for (int c = 0; c < 2; ++c)
        for (int n = 0; n < 15; ++n)
            EXPECT_EQ(store.GetInt("Parallel", keyName(c, n).c_str(), -1), n);
}

// The caller's bytes end where its size says: nothing past them is read (ASan would report it).
TEST_F(RegistryStandIn, StringDataIsReadNoFurtherThanItsSize) {
    using namespace gb::platform;
    RegistryKey key = nullptr;
    ASSERT_EQ(regCreateKey(registryRoot(HkeyCurrentUser), "Software\\Veltrona\\Bare", &key),
              RegSuccess);
    const auto exact = std::make_unique<char[]>(3);
    std::memcpy(exact.get(), "abc", 3);
    EXPECT_EQ(regSetValue(key, "Exact", RegSz, exact.get(), 3), RegSuccess);
    EXPECT_EQ(regSetText(key, "Text", RegSz, "abc"), RegSuccess);
    char data[8] = {};
    std::uint32_t type = 0;
    std::uint32_t size = sizeof data;
    EXPECT_EQ(regQueryValue(key, "Exact", &type, data, &size), RegSuccess);
    EXPECT_EQ(std::string(data, size), "abc");
    size = sizeof data;
    EXPECT_EQ(regQueryValue(key, "Text", &type, data, &size), RegSuccess);
    EXPECT_EQ(std::string(data, size), std::string("abc", 4));
    regCloseKey(key);
}

TEST_F(RegistryStandIn, LivesUnderTheUsersConfigurationFolder) {
    unsetenv("GLOWBRIDGE_REGISTRY_DIR");
    setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
    EXPECT_TRUE(store.SetInt(nullptr, "F4ReadTimer", 100));
    EXPECT_TRUE(fileExists(folder.file("glowbridge/registry/HKEY_CURRENT_USER.reg")));
    const std::string text = readBytes(folder.file("glowbridge/registry/HKEY_CURRENT_USER.reg"));
    EXPECT_NE(text.find("K Software\\Veltrona\\Glowbridge\\Settings\n"), std::string::npos);
    EXPECT_NE(text.find("V 4 64000000 F4ReadTimer\n"), std::string::npos);
}

} // namespace
