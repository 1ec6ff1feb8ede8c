// Registry mode, the same cases natively (file-backed stand-in in a test folder) and under Wine
// (the real registry, below a unique key under HKEY_CURRENT_USER\Software that is deleted after).

#include "platform/registry.h"
#include "registry_sandbox.h"
#include "settings/profile_store.h"
#include "settings_files.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>

using gb::ProfileStore;
using namespace gb::platform;
using namespace gb::test;

namespace {

class RegistryStore : public ::testing::Test {
protected:
    void SetUp() override {
        useRegistryFolder(folder.path());
        base = "Software\\" + uniqueName("GlowbridgeTest");
        appPath = base + "\\Glowbridge";
        store = std::make_unique<ProfileStore>(base.c_str(), "Glowbridge", "Settings");
    }
    void TearDown() override {
        regDeleteTree(registryRoot(HkeyCurrentUser), base.c_str());
        RegistryKey gone = nullptr;
        EXPECT_EQ(regOpenKey(registryRoot(HkeyCurrentUser), base.c_str(), &gone), RegFileNotFound);
    }

    // Stores a value of any type directly, as another program or an older version might have.
    void putRaw(const char* sectionName, const char* name, std::uint32_t type, const void* data,
                std::uint32_t size) {
        RegistryKey key = nullptr;
        const std::string path = appPath + "\\" + sectionName;
        ASSERT_EQ(regCreateKey(registryRoot(HkeyCurrentUser), path.c_str(), &key), RegSuccess);
        ASSERT_EQ(regSetValue(key, name, type, data, size), RegSuccess);
        regCloseKey(key);
    }
    void putRawText(const char* sectionName, const char* name, std::uint32_t type,
                    const char* text) {
        putRaw(sectionName, name, type, text, static_cast<std::uint32_t>(std::strlen(text)));
    }
    // Type and size as stored.
    std::pair<std::uint32_t, std::uint32_t> rawInfo(const char* sectionName, const char* name) {
        RegistryKey key = nullptr;
        const std::string path = appPath + "\\" + sectionName;
        std::uint32_t type = 0, size = 0;
        if (regOpenKey(registryRoot(HkeyCurrentUser), path.c_str(), &key) == RegSuccess) {
            regQueryValue(key, name, &type, nullptr, &size);
            regCloseKey(key);
        }
        return {type, size};
    }
    bool keyExists(const std::string& path) {
        RegistryKey key = nullptr;
        if (regOpenKey(registryRoot(HkeyCurrentUser), path.c_str(), &key) != RegSuccess)
            return false;
        regCloseKey(key);
        return true;
    }

    TempFolder folder;
    std::string base, appPath;
    std::unique_ptr<ProfileStore> store;
};

TEST_F(RegistryStore, IntegersAreDwords) {
    EXPECT_TRUE(store->SetInt(nullptr, "F4ReadTimer", 100));
    EXPECT_EQ(rawInfo("Settings", "F4ReadTimer"), std::make_pair(RegDword, 4u));
    EXPECT_EQ(store->GetInt(nullptr, "F4ReadTimer", 0), 100);
    EXPECT_EQ(store->lastError, ProfileStore::Ok);
    EXPECT_TRUE(store->SetInt(nullptr, "Big", static_cast<std::uint32_t>(3000000000u)));
    EXPECT_EQ(store->GetInt(nullptr, "Big", 0u), 3000000000u);
    EXPECT_TRUE(store->SetInt(nullptr, "Neg", static_cast<std::int32_t>(-5)));
    EXPECT_EQ(store->GetInt(nullptr, "Neg", 0), -5);
    EXPECT_EQ(store->GetInt(nullptr, "Neg", 0u), 4294967291u);
    // Key and value names ignore case, as in any registry.
    EXPECT_EQ(store->GetInt("SETTINGS", "f4readtimer", 0), 100);
}

// The store passes the characters without their zero; the registry keeps the zero that follows
// them, and the count read back is the stored size.
TEST_F(RegistryStore, StringsAreRegSzReadRaw) {
    EXPECT_TRUE(store->SetString(nullptr, "DebugFile", "C:\\Glowbridge.txt"));
    EXPECT_EQ(rawInfo("Settings", "DebugFile"), std::make_pair(RegSz, 18u));
    char text[64];
    EXPECT_EQ(store->GetString(nullptr, "DebugFile", text, 63, nullptr), 18);
    EXPECT_STREQ(text, "C:\\Glowbridge.txt");
    EXPECT_EQ(store->GetString(nullptr, "DebugFile", text, 5, nullptr), 5);
    EXPECT_STREQ(text, "C:\\Gl");
    EXPECT_STREQ(store->GetString(nullptr, "DebugFile", "x"), "C:\\Glowbridge.txt");

    EXPECT_TRUE(store->SetString(nullptr, "Empty", ""));
    EXPECT_EQ(store->GetString(nullptr, "Empty", text, 63, "default"), 0);
    EXPECT_EQ(store->lastError, ProfileStore::Ok);
    EXPECT_STREQ(text, "");

    const char unterminated[] = {'a', 'b', 'c', 'X'};
    putRaw("Settings", "Bare", RegSz, unterminated, 3);
    EXPECT_EQ(store->GetString(nullptr, "Bare", text, 63, nullptr), 3);
    EXPECT_STREQ(text, "abc");
    putRawText("Settings", "Expand", RegExpandSz, "%SystemRoot%\\Glowbridge.txt");
    EXPECT_STREQ(store->GetString(nullptr, "Expand", nullptr), "%SystemRoot%\\Glowbridge.txt");
}

TEST_F(RegistryStore, MissingAndWrongTypesGiveTheDefault) {
    char text[64];
    EXPECT_EQ(store->GetInt(nullptr, "F4ReadTimer", 100), 100);
    EXPECT_EQ(store->lastError, ProfileStore::SectionNotFound);
    ASSERT_TRUE(store->SetInt(nullptr, "F4ReadTimer", 250));
    EXPECT_EQ(store->GetString(nullptr, "Missing", text, 63, "dflt"), 4);
    EXPECT_EQ(store->lastError, ProfileStore::KeyNotFound);

    EXPECT_EQ(store->GetString(nullptr, "F4ReadTimer", text, 63, "dflt"), 4);
    EXPECT_EQ(store->lastError, ProfileStore::WrongType);
    EXPECT_STREQ(text, "dflt");
    ASSERT_TRUE(store->SetString(nullptr, "F4CheckProc", "EFALCON.EXE"));
    EXPECT_EQ(store->GetInt(nullptr, "F4CheckProc", 7), 7);
    EXPECT_EQ(store->lastError, ProfileStore::WrongType);
    std::uint8_t bytes[4] = {1, 2, 3, 4};
    const std::uint8_t fallback[4] = {9, 9, 9, 9};
    EXPECT_EQ(store->GetBinary(nullptr, "F4CheckProc", bytes, 4, fallback), 4);
    EXPECT_EQ(store->lastError, ProfileStore::WrongType);
    EXPECT_EQ(bytes[0], 9);
    EXPECT_EQ(store->GetBinary(nullptr, "F4CheckProc", bytes, 4, nullptr), 0);

    ProfileStore unset(nullptr, nullptr);
    EXPECT_EQ(unset.GetInt(nullptr, "F4ReadTimer", 3), 3);
    EXPECT_EQ(unset.lastError, ProfileStore::NoRegistryPath);
    EXPECT_FALSE(unset.SetInt(nullptr, "F4ReadTimer", 3));
    EXPECT_EQ(unset.lastError, ProfileStore::NoRegistryPath);
    EXPECT_EQ(unset.EnumSections(0, "*", text, 63), 0);
    EXPECT_EQ(unset.lastError, ProfileStore::NoRegistryPath);

    store->writable = 0;
    EXPECT_FALSE(store->SetInt(nullptr, "F4ReadTimer", 1));
    EXPECT_EQ(store->lastError, ProfileStore::NotWritable);
}

TEST_F(RegistryStore, BooleansAreTextOrNumbers) {
    EXPECT_TRUE(store->SetBool(nullptr, "Flag", true));
    EXPECT_EQ(rawInfo("Settings", "Flag"), std::make_pair(RegDword, 4u));
    EXPECT_TRUE(store->GetBool(nullptr, "Flag", false));
    EXPECT_TRUE(store->SetBool(nullptr, "Flag", false));
    EXPECT_FALSE(store->GetBool(nullptr, "Flag", true));
    const char* texts[][2] = {{"true", "1"}, {"TRUE", "1"}, {"false", "0"}, {"1", "1"},
                              {"17", "1"},   {"0", "0"},    {"yes", "0"}};
    for (const auto& t : texts) {
        ASSERT_TRUE(store->SetString(nullptr, "Text", t[0]));
        EXPECT_EQ(store->GetBool(nullptr, "Text", t[1][0] == '0'), t[1][0] == '1') << t[0];
    }
    EXPECT_TRUE(store->GetBool(nullptr, "Missing", true));
    EXPECT_FALSE(store->GetBool(nullptr, "Missing", false));
}

TEST_F(RegistryStore, BinaryIsRegBinary) {
    const std::uint8_t data[] = {0x00, 0xAB, 0x7F, 0x10, 0xFF};
    EXPECT_TRUE(store->SetBinary(nullptr, "Blob", data, 5));
    EXPECT_EQ(rawInfo("Settings", "Blob"), std::make_pair(RegBinary, 5u));
    std::uint8_t out[8] = {};
    EXPECT_EQ(store->GetBinary(nullptr, "Blob", out, 8, nullptr), 5);
    EXPECT_EQ(std::memcmp(out, data, 5), 0);
    EXPECT_EQ(store->GetBinary(nullptr, "Blob", out, 3, nullptr), 3);
    char text[8];
    EXPECT_EQ(store->GetString(nullptr, "Blob", text, 7, ""), 0);
    EXPECT_EQ(store->lastError, ProfileStore::WrongType);
}

TEST_F(RegistryStore, DeletesValuesAndWholeSectionTrees) {
    ASSERT_TRUE(store->SetInt(nullptr, "F4ReadTimer", 100));
    EXPECT_TRUE(store->DeleteKey(nullptr, "F4ReadTimer"));
    EXPECT_EQ(store->GetInt(nullptr, "F4ReadTimer", 5), 5);
    EXPECT_EQ(store->lastError, ProfileStore::KeyNotFound);
    EXPECT_FALSE(store->DeleteKey(nullptr, "F4ReadTimer"));
    EXPECT_EQ(store->lastError, ProfileStore::CannotDeleteValue);
    EXPECT_TRUE(store->DeleteKey("NoSuchSection", "F4ReadTimer"));

    ASSERT_TRUE(store->SetInt("Cockpit", "Lamps", 3));
    putRawText("Cockpit\\Panel\\Lamp", "Colour", RegSz, "amber");
    putRawText("Cockpit\\Panel\\Gauge", "Range", RegSz, "0-100");
    putRawText("Cockpit\\Other", "x", RegSz, "y");
    EXPECT_TRUE(store->DeleteSection("Cockpit"));
    EXPECT_FALSE(keyExists(appPath + "\\Cockpit"));
    EXPECT_TRUE(keyExists(appPath + "\\Settings"));
    EXPECT_TRUE(store->DeleteSection("Cockpit"));
    EXPECT_EQ(store->lastError, ProfileStore::Ok);

    EXPECT_EQ(regDeleteTree(registryRoot(HkeyCurrentUser), ""), RegBadKey);
    EXPECT_EQ(regDeleteTree(registryRoot(HkeyCurrentUser), (base + "\\Nothing").c_str()),
              RegFileNotFound);
}

TEST_F(RegistryStore, EnumeratesSectionsAndKeys) {
    ASSERT_TRUE(store->SetInt("Settings", "F4ReadTimer", 100));
    ASSERT_TRUE(store->SetInt("Settings", "F4CheckTimer", 4000));
    ASSERT_TRUE(store->SetString("Settings", "DebugFile", "C:\\Glowbridge.txt"));
    ASSERT_TRUE(store->SetString("Cockpit", "Section", "x"));
    ASSERT_TRUE(store->SetString("alpha", "Section", "x"));

    char name[300];
    std::string sections;
    for (int i = 0; store->EnumSections(i, "*", name, 299) > 0; ++i)
        sections += std::string(name) + ",";
    EXPECT_EQ(sections, "alpha,Cockpit,Settings,");
    EXPECT_EQ(store->lastError, ProfileStore::KeyNotFound);
    EXPECT_EQ(store->EnumSections(0, "?ockpit", name, 299), 7);
    EXPECT_STREQ(name, "Cockpit");
    EXPECT_EQ(store->EnumSections(1, "?ockpit", name, 299), 0);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(store->EnumSections(0, "S*", name, 3), 3);
    EXPECT_STREQ(name, "Set");

    std::set<std::string> keys;
    for (int i = 0; store->EnumKeys(i, "Settings", "F4*", name, 299) > 0; ++i)
        keys.insert(name);
    EXPECT_EQ(keys, (std::set<std::string>{"F4CheckTimer", "F4ReadTimer"}));
    EXPECT_EQ(store->lastError, ProfileStore::KeyNotFound);
    EXPECT_EQ(store->EnumKeys(3, "Settings", "*", name, 299), 0);
    EXPECT_EQ(store->lastError, ProfileStore::KeyNotFound);
    EXPECT_EQ(store->EnumKeys(0, "Missing", "*", name, 299), 0);
    EXPECT_EQ(store->lastError, ProfileStore::SectionNotFound);
}

// Start-up: with no INI file present everything goes to the registry; once the file exists the
// store reads only the file.
TEST_F(RegistryStore, StartUpPrefersAnExistingIniFile) {
    const std::string ini = folder.file("Glowbridge.ini");
    EXPECT_FALSE(store->IniFileExists(ini.c_str()));
    EXPECT_TRUE(store->SetString("Settings", "Section", "Flight"));
    EXPECT_STREQ(store->GetString("Settings", "Section", "Settings"), "Flight");

    writeBytes(ini, "[Settings]\nSection=Ground\n");
    ASSERT_TRUE(store->IniFileExists(ini.c_str()));
    ASSERT_TRUE(store->SetIniFile(ini.c_str()));
    EXPECT_STREQ(store->GetString("Settings", "Section", "Settings"), "Ground");
    EXPECT_EQ(store->GetInt("Settings", "F4ReadTimer", 100), 100);
    EXPECT_TRUE(store->SetIniFile(nullptr));
    EXPECT_STREQ(store->GetString("Settings", "Section", "Settings"), "Flight");
}

} // namespace
