#include "platform/file_attributes.h"
#include "platform/runtime.h"
#include "settings/profile_store.h"
#include "settings_files.h"

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using gb::ProfileStore;
using namespace gb::test;

namespace {

class IniStore : public ::testing::Test {
protected:
    void SetUp() override {
        path = folder.file("glowbridge.ini");
        writeBytes(path, golden("profile.ini"));
        store = std::make_unique<ProfileStore>(path.c_str(), nullptr);
    }
    std::string bytes() const { return readBytes(path); }
    std::string backup() const { return folder.file("glowbridge.bak"); }

    TempFolder folder;
    std::string path;
    std::unique_ptr<ProfileStore> store;
};

TEST_F(IniStore, ReadsEntriesAsTheFileSpellsThem) {
    char value[64];
    // The lower-case header is another section; a header with a blank before "[" is an entry.
    EXPECT_STREQ(store->GetString("settings", "Section", "none"), "lower");
    EXPECT_STREQ(store->GetString("Settings", "Section", "none"), "none");
    EXPECT_EQ(store->lastError, ProfileStore::KeyNotFound);
    EXPECT_STREQ(store->GetString("SETTINGS", "Section", "none"), "none");
    EXPECT_EQ(store->lastError, ProfileStore::SectionNotFound);
    EXPECT_STREQ(store->GetString(nullptr, "F4CheckProc", nullptr), "EFALCON.EXE");

    // A blank before "=" belongs to the key; blanks around the value are dropped.
    EXPECT_EQ(store->GetInt(nullptr, "F4ReadTimer", 7), 7);
    EXPECT_EQ(store->lastError, ProfileStore::KeyNotFound);
    EXPECT_EQ(store->GetInt(nullptr, "F4ReadTimer ", 7), 50);
    EXPECT_EQ(store->GetString(nullptr, "F4CheckTimer", value, 63, nullptr), 3);
    EXPECT_STREQ(value, "100");
    EXPECT_EQ(store->GetString(nullptr, "F4CheckTimer", value, 2, nullptr), 2);
    EXPECT_STREQ(value, "10");

    // Empty value: an empty string and success, not the default; an empty number reads 0.
    EXPECT_EQ(store->GetString(nullptr, "DebugFile", value, 63, "C:\\Glowbridge.txt"), 0);
    EXPECT_EQ(store->lastError, ProfileStore::Ok);
    EXPECT_STREQ(value, "");
    EXPECT_EQ(store->GetInt(nullptr, "DebugFile", 9), 0);
    EXPECT_EQ(store->GetString(nullptr, "ConfigFile", value, 63, "cockpit.dat"), 11);
    EXPECT_STREQ(value, "cockpit.dat");
    EXPECT_EQ(store->lastError, ProfileStore::KeyNotFound);

    // Comments are skipped, trailing text is part of the value, keys are case-sensitive.
    EXPECT_STREQ(store->GetString(nullptr, "; DebugFile", "-"), "-");
    EXPECT_STREQ(store->GetString(nullptr, "QUARNDevice", nullptr), "1 ; first card");
    EXPECT_EQ(store->GetInt(nullptr, "QUARNDevice", 0), 1);
    EXPECT_EQ(store->GetInt(nullptr, "quarndevice", 4), 4);
    EXPECT_EQ(store->GetInt(nullptr, "", 4), 4);
    EXPECT_EQ(store->lastError, ProfileStore::KeyNotFound);
    EXPECT_EQ(bytes(), golden("profile.ini"));
}

TEST_F(IniStore, EachWriteKindGivesItsGoldenFile) {
    EXPECT_TRUE(store->SetInt(nullptr, "QUARNDevice", 2));
    EXPECT_EQ(bytes(), golden("after_replace.ini"));
    EXPECT_FALSE(fileExists(backup()));

    writeBytes(path, golden("profile.ini"));
    EXPECT_TRUE(store->SetString("Settings", "ConfigFile", "C:\\Falcon\\cockpit.dat"));
    EXPECT_TRUE(store->SetString("Caution Lights", "Gear", "QP 1 2"));
    EXPECT_EQ(bytes(), golden("after_insert.ini"));

    writeBytes(path, golden("profile.ini"));
    EXPECT_TRUE(store->SetString("HSI Data", "Altitude", "PH 3 0"));
    EXPECT_EQ(bytes(), golden("after_append.ini"));
    EXPECT_STREQ(store->GetString("HSI Data", "Altitude", nullptr), "PH 3 0");

    writeBytes(path, golden("profile.ini"));
    EXPECT_TRUE(store->DeleteKey("Settings", "F4CheckTimer"));
    EXPECT_EQ(bytes(), golden("after_delete_key.ini"));
    EXPECT_FALSE(store->DeleteKey("Settings", "F4CheckTimer"));
    EXPECT_EQ(store->lastError, ProfileStore::KeyNotFound);

    writeBytes(path, golden("profile.ini"));
    EXPECT_TRUE(store->DeleteSection("Settings"));
    EXPECT_EQ(bytes(), golden("after_delete_section.ini"));

    writeBytes(path, golden("profile.ini"));
    EXPECT_TRUE(store->DeleteSection("Caution Lights"));
    EXPECT_EQ(bytes(), golden("after_delete_last_section.ini"));
    EXPECT_FALSE(store->DeleteSection("Caution Lights"));
    EXPECT_EQ(store->lastError, ProfileStore::SectionNotFound);
    EXPECT_FALSE(fileExists(backup()));
}

TEST_F(IniStore, WritesTextModeLineEnds) {
    EXPECT_EQ(textLineEnd(), gb::platform::runningUnderWine() ? "\r\n" : "\n");
    ASSERT_TRUE(store->SetInt(nullptr, "QUARNDevice", 2));
    EXPECT_NE(bytes().find("QUARNDevice=2" + textLineEnd()), std::string::npos);
}

TEST_F(IniStore, UnchangedValueLeavesTheFileAlone) {
    const auto past = std::filesystem::last_write_time(path) - std::chrono::hours(24);
    std::filesystem::last_write_time(path, past);
    EXPECT_TRUE(store->SetInt(nullptr, "F4CheckTimer", 100));
    EXPECT_TRUE(store->SetString(nullptr, "DebugFile", ""));
    EXPECT_EQ(std::filesystem::last_write_time(path), past);
    EXPECT_EQ(bytes(), golden("profile.ini"));
    EXPECT_FALSE(fileExists(backup()));
}

TEST_F(IniStore, NewKeyGoesDirectlyBelowAHeaderOnTheLastLine) {
    writeBytes(path, "[A]\nx=1\n[B]");
    EXPECT_TRUE(store->SetString("B", "k", "v"));
    // The lines there keep their LF; the new line ends like every new line.
    EXPECT_EQ(bytes(), "[A]\nx=1\n[B]" + textLineEnd() + "k=v" + textLineEnd());
    writeBytes(path, asWritten("[A]\n[B]\n"));
    EXPECT_TRUE(store->SetString("B", "k", "v"));
    EXPECT_TRUE(store->SetString("B", "j", "w"));
    EXPECT_EQ(bytes(), asWritten("[A]\n[B]\nj=w\nk=v\n"));
    // A header with no line below it cannot be found by the section delete.
    writeBytes(path, asWritten("[A]\nx=1\n[B]\n"));
    EXPECT_FALSE(store->DeleteSection("B"));
    EXPECT_EQ(store->lastError, ProfileStore::KeyNotFound);
}

TEST_F(IniStore, MissingFileIsCreatedWithoutALeadingBlankLine) {
    const std::string fresh = folder.file("fresh.ini");
    ProfileStore created(fresh.c_str(), "General");
    EXPECT_FALSE(created.IniFileExists());
    EXPECT_EQ(created.GetInt(nullptr, "F4ReadTimer", 100), 100);
    EXPECT_EQ(created.lastError, ProfileStore::CannotRead);
    EXPECT_TRUE(created.SetInt(nullptr, "F4ReadTimer", 250));
    EXPECT_EQ(readBytes(fresh), asWritten("[General]\nF4ReadTimer=250\n"));
    EXPECT_FALSE(created.DeleteKey(nullptr, "Missing"));
    EXPECT_EQ(created.lastError, ProfileStore::KeyNotFound);
}

TEST_F(IniStore, UnreadableFileReportsFailureInsteadOfSuccess) {
    // A folder under the file's name exists but cannot be read as a file.
    const std::string blocked = folder.file("blocked.ini");
    std::filesystem::create_directory(blocked);
    ProfileStore unreadable(blocked.c_str(), nullptr);
    EXPECT_TRUE(unreadable.IniFileExists());
    EXPECT_FALSE(unreadable.SetString(nullptr, "Section", "Flight"));
    EXPECT_EQ(unreadable.lastError, ProfileStore::CannotRead);
    EXPECT_TRUE(std::filesystem::is_directory(blocked));
}

TEST_F(IniStore, RefusesWritesToAReadOnlyFileAndEntriesWithoutAKey) {
    ASSERT_TRUE(gb::platform::setFileReadOnly(path.c_str(), true));
    ProfileStore readOnly(path.c_str(), nullptr);
    EXPECT_EQ(readOnly.writable, 0);
    EXPECT_FALSE(readOnly.SetInt(nullptr, "QUARNDevice", 3));
    EXPECT_EQ(readOnly.lastError, ProfileStore::NotWritable);
    EXPECT_EQ(readOnly.GetInt(nullptr, "QUARNDevice", 0), 1);
    ASSERT_TRUE(gb::platform::setFileReadOnly(path.c_str(), false));

    EXPECT_FALSE(store->SetString(nullptr, "", "orphan"));
    EXPECT_EQ(store->lastError, ProfileStore::KeyNotFound);
    EXPECT_FALSE(store->SetString("Nowhere", nullptr, "orphan"));
    EXPECT_EQ(bytes(), golden("profile.ini"));
}

TEST_F(IniStore, BooleansReadAsWordsOrNumbers) {
    writeBytes(path, "[B]\nt=true\nT=TRUE\nf=false\nF=False\none=1\nmany=17\nzero=0\n"
                     "yes=yes\nlong=trueish\nempty=\n");
    EXPECT_TRUE(store->GetBool("B", "t", false));
    EXPECT_TRUE(store->GetBool("B", "T", false));
    EXPECT_FALSE(store->GetBool("B", "f", true));
    EXPECT_FALSE(store->GetBool("B", "F", true));
    EXPECT_TRUE(store->GetBool("B", "one", false));
    EXPECT_TRUE(store->GetBool("B", "many", false));
    EXPECT_FALSE(store->GetBool("B", "zero", true));
    EXPECT_FALSE(store->GetBool("B", "yes", true));
    EXPECT_FALSE(store->GetBool("B", "long", true));
    EXPECT_TRUE(store->GetBool("B", "empty", true));
    EXPECT_TRUE(store->GetBool("B", "missing", true));
    EXPECT_TRUE(store->SetBool("B", "t", true));
    EXPECT_STREQ(store->GetString("B", "t", nullptr), "1");
}

TEST_F(IniStore, NumbersAndBinaryReadTheSameOnEveryBuild) {
    EXPECT_TRUE(store->SetInt("N", "neg", static_cast<std::int32_t>(-5)));
    EXPECT_TRUE(store->SetInt("N", "big", static_cast<std::uint32_t>(3000000000u)));
    EXPECT_STREQ(store->GetString("N", "neg", nullptr), "-5");
    EXPECT_STREQ(store->GetString("N", "big", nullptr), "3000000000");
    EXPECT_EQ(store->GetInt("N", "big", 0u), 3000000000u);
    EXPECT_EQ(store->GetInt("N", "big", 0), INT32_MAX);
    EXPECT_EQ(store->GetInt("N", "neg", 0u), 4294967291u);

    const std::uint8_t data[] = {0x00, 0xAB, 0x7F, 0x10};
    EXPECT_TRUE(store->SetBinary("N", "bin", data, 4));
    EXPECT_STREQ(store->GetString("N", "bin", nullptr), "00AB7F10");
    std::uint8_t out[6] = {};
    const std::uint8_t fallback[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_EQ(store->GetBinary("N", "bin", out, 6, fallback), 4);
    EXPECT_EQ(out[1], 0xAB);
    EXPECT_EQ(out[4], 9);
    EXPECT_EQ(store->GetBinary("N", "bin", out, 2, nullptr), 2);
    EXPECT_TRUE(store->SetString("N", "lower", "0aff"));
    EXPECT_EQ(store->GetBinary("N", "lower", out, 6, nullptr), 2);
    EXPECT_EQ(out[1], 0xFF);
    EXPECT_EQ(store->GetBinary("N", "missing", out, 6, fallback), 6);
    EXPECT_EQ(out[0], 9);
}

TEST_F(IniStore, EnumerationMatchesItsGoldenListing) {
    std::string listing;
    char name[300];
    auto sections = [&](const char* pattern) {
        listing += std::string("sections \"") + pattern + "\"\n";
        for (int i = 0;; ++i) {
            const int length = store->EnumSections(i, pattern, name, 299);
            if (store->lastError != ProfileStore::Ok) {
                listing += std::to_string(i) + " " + std::to_string(store->lastError) + "\n";
                return;
            }
            listing += std::to_string(i) + " " + std::to_string(length) + " [" + name + "]\n";
        }
    };
    auto keys = [&](const char* label, const char* sectionName, const char* pattern) {
        listing += std::string("keys ") + label + " \"" + pattern + "\"\n";
        for (int i = 0;; ++i) {
            const int result = store->EnumKeys(i, sectionName, pattern, name, 299);
            if (store->lastError != ProfileStore::Ok) {
                listing += std::to_string(i) + " " + std::to_string(store->lastError) + "\n";
                return;
            }
            listing += std::to_string(i) + " " + std::to_string(result) + " [" + name + "] [" +
                       store->valueBuffer + "]\n";
        }
    };
    sections("*");
    sections("?ettings");
    sections("C*s");
    keys("Settings", "Settings", "*");
    keys("Settings", "Settings", "F4*");
    keys("\"Caution Lights\"", "Caution Lights", "*");
    keys("Missing", "Missing", "*");
    EXPECT_EQ(listing, readBytes(dataPath("settings/enumeration.txt")));

    EXPECT_EQ(store->EnumSections(0, "*", name, 3), 3);
    EXPECT_STREQ(name, "set");
    EXPECT_EQ(store->EnumKeys(0, "Settings", "*", name, 0), 0);
    EXPECT_EQ(store->lastError, ProfileStore::Ok);
}

TEST(ProfileStoreNames, IniFileNameRule) {
    ProfileStore store;
    const char* cases[][2] = {{"abcd", "abcd.ini"},
                              {"cfg.txt", "cfg.txt.ini"},
                              {"cfg.INI", "cfg.INI"},
                              {"x.inf", "x.inf"},
                              {".ini", ".ini.ini"},
                              {"a.in", "a.in.ini"},
                              {"Glowbridge", "Glowbridge.ini"}};
    for (const auto& c : cases) {
        EXPECT_TRUE(store.SetIniFile(c[0]));
        EXPECT_STREQ(store.GetIniFile(), c[1]) << c[0];
    }
    char copy[8];
    EXPECT_EQ(store.GetIniFile(copy, 7), 7);
    EXPECT_STREQ(copy, "Glowbri");

    const std::string longest(259, 'n');
    EXPECT_TRUE(store.SetIniFile(longest.c_str()));
    EXPECT_EQ(std::string(store.GetIniFile()), longest + ".ini");
    EXPECT_FALSE(store.SetIniFile((longest + "n").c_str()));
    EXPECT_STREQ(store.GetIniFile(), "");
    EXPECT_TRUE(store.SetIniFile(nullptr));
    EXPECT_EQ(store.GetInt(nullptr, "x", 3), 3);
    EXPECT_EQ(store.lastError, ProfileStore::NoRegistryPath);
    EXPECT_FALSE(store.IniFileExists());
    EXPECT_FALSE(store.IniFileExists(""));
}

// The exact form keeps every name as given, writes there and honours read-only as SetIniFile does.
TEST(ProfileStoreNames, ExactIniFileNameSkipsTheRule) {
    TempFolder folder;
    const std::string defs = folder.file("defs.txt");
    writeBytes(defs, asWritten("[Eyebrow Lights]\nMasterCaution=5\n"));
    ProfileStore store;
    ASSERT_TRUE(store.SetIniFileExact(defs.c_str()));
    EXPECT_EQ(std::string(store.GetIniFile()), defs);
    EXPECT_TRUE(store.SetString("Eyebrow Lights", "MasterCaution", "7,8"));
    EXPECT_EQ(readBytes(defs), asWritten("[Eyebrow Lights]\nMasterCaution=7,8\n"));
    EXPECT_FALSE(std::filesystem::exists(defs + ".ini"));

    for (const char* name : {"abcd", "x", ".ini", "cfg.INI"}) {
        EXPECT_TRUE(store.SetIniFileExact(name));
        EXPECT_STREQ(store.GetIniFile(), name);
    }
    const std::string longest(259, 'n');
    EXPECT_TRUE(store.SetIniFileExact(longest.c_str()));
    EXPECT_EQ(std::string(store.GetIniFile()), longest);
    EXPECT_FALSE(store.SetIniFileExact((longest + "n").c_str()));
    EXPECT_STREQ(store.GetIniFile(), "");
    EXPECT_TRUE(store.SetIniFileExact(nullptr));
    EXPECT_STREQ(store.GetIniFile(), "");

    // SetIniFile itself keeps its rule.
    EXPECT_TRUE(store.SetIniFile(defs.c_str()));
    EXPECT_EQ(std::string(store.GetIniFile()), defs + ".ini");
}

TEST(ProfileStoreNames, SectionAndRegistryPathLimits) {
    ProfileStore store(nullptr, "Flight");
    char name[300];
    EXPECT_EQ(store.GetSection(name, 299), 6);
    EXPECT_STREQ(name, "Flight");
    EXPECT_FALSE(store.SetSection(std::string(260, 's').c_str()));
    EXPECT_STREQ(store.section, "Settings");
    EXPECT_TRUE(store.SetSection(std::string(259, 's').c_str()));
    EXPECT_TRUE(store.SetSection(nullptr));
    EXPECT_STREQ(store.section, "Settings");

    EXPECT_TRUE(store.SetRegistryPath("Software\\Veltrona", "Glowbridge"));
    EXPECT_STREQ(store.GetRegistryPath(), "Software\\Veltrona\\Glowbridge");
    EXPECT_TRUE(store.SetRegistryPath("Software\\Veltrona", ""));
    EXPECT_STREQ(store.GetRegistryPath(), "Software\\Veltrona");
    EXPECT_FALSE(store.SetRegistryPath(std::string(250, 'b').c_str(), "123456789"));
    EXPECT_STREQ(store.GetRegistryPath(), "");
    EXPECT_TRUE(store.SetRegistryPath(std::string(250, 'b').c_str(), "12345678"));
    EXPECT_TRUE(store.SetRegistryPath(nullptr, "x"));
    EXPECT_STREQ(store.GetRegistryPath(), "");

    ProfileStore registry("Software\\Veltrona", "Glowbridge", "Cockpit");
    EXPECT_STREQ(registry.registryPath, "Software\\Veltrona\\Glowbridge");
    EXPECT_STREQ(registry.section, "Cockpit");
    EXPECT_EQ(registry.GetRootKey(), 0x80000001u);
    EXPECT_EQ(registry.writable, 1);
    EXPECT_EQ(registry.deleteBackup, 1);
}

TEST(ProfileStoreNames, MatchPattern) {
    EXPECT_GE(ProfileStore::MatchPattern("MasterCaution", "*", true), 0);
    EXPECT_GE(ProfileStore::MatchPattern("", "*", true), 0);
    EXPECT_GE(ProfileStore::MatchPattern("MasterCaution", "Master*", true), 0);
    EXPECT_GE(ProfileStore::MatchPattern("MasterCaution", "*Caution", true), 0);
    EXPECT_GE(ProfileStore::MatchPattern("MasterCaution", "M?ster*ion", true), 0);
    EXPECT_GE(ProfileStore::MatchPattern("abcabc", "*bc", true), 0);
    EXPECT_LT(ProfileStore::MatchPattern("MasterCaution", "master*", true), 0);
    EXPECT_GE(ProfileStore::MatchPattern("MasterCaution", "master*", false), 0);
    EXPECT_LT(ProfileStore::MatchPattern("Master", "Master?", true), 0);
    EXPECT_LT(ProfileStore::MatchPattern("Masters", "Master", true), 0);
    EXPECT_LT(ProfileStore::MatchPattern("", "?", true), 0);
    EXPECT_GE(ProfileStore::MatchPattern("Gear=", 4, "Gear", true), 0);
    EXPECT_EQ(ProfileStore::MatchPattern("abc", "a*", true) >> 12, 2);
}

} // namespace
