// Every file operation of every kind of INI write is made to fail in turn. Whatever fails, the
// file afterwards holds its old bytes or the new content, never less, and the result code names
// the step that failed.

#include "settings/ini_file_io.h"
#include "settings/profile_store.h"
#include "settings_files.h"

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

using gb::ProfileStore;
using namespace gb::test;

namespace {

// Passes every call to the C library except the one numbered failAt, which fails the way the
// system would: an open returns null, a write stores half its bytes, a close still closes.
class FaultyIo : public gb::IniFileIo {
public:
    FaultyIo(std::string ini, std::string bak) : ini_(std::move(ini)), bak_(std::move(bak)) {}

    int failAt = -1;
    std::vector<std::string> steps;    // what each call was
    std::vector<std::int32_t> outcome; // the code the store must report when that call fails

    std::FILE* open(const char* path, const char* mode) override {
        const std::string role = std::string(path == bak_ ? "backup " : "file ") + mode;
        // Opening a file that is not there fails anyway; the store then creates it.
        const std::int32_t code =
            role == "file rb"     ? (fileExists(path) ? ProfileStore::CannotRead : ProfileStore::Ok)
            : role == "backup rb" ? ProfileStore::CannotReadBackup
                                  : ProfileStore::CannotWrite;
        if (fails("open " + role, code)) return nullptr;
        std::FILE* file = IniFileIo::open(path, mode);
        if (file != nullptr) roles_[file] = role;
        return file;
    }
    int readLine(std::FILE* file, char* buffer, int capacity) override {
        const bool backup = roles_[file] == "backup rb";
        if (fails(backup ? "read backup" : "read file",
                  backup ? ProfileStore::CannotWrite : ProfileStore::CannotRead))
            return -1;
        return IniFileIo::readLine(file, buffer, capacity);
    }
    bool write(std::FILE* file, const char* text, std::size_t length) override {
        if (fails("write", ProfileStore::CannotWrite)) {
            IniFileIo::write(file, text, length / 2);
            return false;
        }
        return IniFileIo::write(file, text, length);
    }
    bool close(std::FILE* file) override {
        const std::string role = roles_[file];
        roles_.erase(file);
        const bool written = role == "file wb" || role == "file ab";
        const bool failed =
            fails("close " + role, written ? ProfileStore::CannotWrite : ProfileStore::Ok);
        return IniFileIo::close(file) && !failed;
    }
    bool rename(const char* from, const char* to) override {
        if (fails(std::string("rename ") + (from == ini_ ? "file" : "backup"),
                  ProfileStore::CannotRename))
            return false;
        return IniFileIo::rename(from, to);
    }
    bool remove(const char* path) override {
        if (fails(std::string("remove ") + (path == bak_ ? "backup" : "file"), ProfileStore::Ok))
            return false;
        return IniFileIo::remove(path);
    }
    std::int64_t size(const char* path) override {
        if (fails("size", ProfileStore::Ok)) return -1;
        return IniFileIo::size(path);
    }
    bool truncate(const char* path, std::int64_t length) override {
        if (fails("truncate", ProfileStore::Ok)) return false;
        return IniFileIo::truncate(path, length);
    }

private:
    bool fails(const std::string& what, std::int32_t code) {
        steps.push_back(what);
        outcome.push_back(code);
        return static_cast<int>(steps.size()) - 1 == failAt;
    }

    std::string ini_, bak_;
    std::map<std::FILE*, std::string> roles_;
};

struct Scenario {
    const char* name;
    std::optional<std::string> before; // no value: the file does not exist yet
    std::function<bool(ProfileStore&)> change;
};

class IniFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ini = folder.file("cockpit.ini");
        bak = folder.file("cockpit.bak");
    }
    void prepare(const Scenario& s) {
        std::remove(ini.c_str());
        std::remove(bak.c_str());
        if (s.before) writeBytes(ini, *s.before);
    }

    // Runs the scenario once cleanly, then once per step with that step failing.
    void runMatrix(const Scenario& s) {
        prepare(s);
        FaultyIo clean(ini, bak);
        ProfileStore store(ini.c_str(), nullptr);
        store.SetFileIo(&clean);
        ASSERT_TRUE(s.change(store)) << s.name;
        const std::string after = readBytes(ini);
        ASSERT_FALSE(fileExists(bak));

        std::map<std::int32_t, int> codes;
        for (int step = 0; step < static_cast<int>(clean.steps.size()); ++step) {
            prepare(s);
            FaultyIo faulty(ini, bak);
            faulty.failAt = step;
            ProfileStore failing(ini.c_str(), nullptr);
            failing.SetFileIo(&faulty);
            const bool stored = s.change(failing);
            const std::int32_t expected = clean.outcome[step];
            const std::string where =
                std::string(s.name) + ", step " + std::to_string(step) + ": " + clean.steps[step];
            ++codes[failing.lastError];
            EXPECT_EQ(failing.lastError, expected) << where;
            EXPECT_EQ(stored, expected == ProfileStore::Ok) << where;
            if (expected == ProfileStore::Ok) {
                EXPECT_EQ(readBytes(ini), after) << where;
                if (clean.steps[step] != "remove backup" || step == 0) {
                    EXPECT_FALSE(fileExists(bak)) << where;
                }
            } else {
                EXPECT_EQ(fileExists(ini), s.before.has_value()) << where;
                if (s.before) {
                    EXPECT_EQ(readBytes(ini), *s.before) << where;
                }
                EXPECT_FALSE(fileExists(bak)) << where;
            }
        }
        std::string summary;
        for (const auto& [code, count] : codes) {
            summary += ' ';
            summary += std::to_string(code);
            summary += " x";
            summary += std::to_string(count);
        }
        std::printf("%-16s %3zu steps, results:%s\n", s.name, clean.steps.size(), summary.c_str());
    }

    TempFolder folder;
    std::string ini, bak;
};

TEST_F(IniFaults, EveryStepOfEveryWriteKind) {
    const std::string profile = golden("profile.ini");
    const Scenario scenarios[] = {
        {"replace", profile, [](ProfileStore& s) { return s.SetInt(nullptr, "QUARNDevice", 2); }},
        {"insert", profile,
         [](ProfileStore& s) { return s.SetString("Settings", "ConfigFile", "cockpit.dat"); }},
        {"insert at end", std::string("[A]\nx=1\n[B]"),
         [](ProfileStore& s) { return s.SetString("B", "k", "v"); }},
        {"append section", profile,
         [](ProfileStore& s) { return s.SetString("HSI Data", "Altitude", "PH 3 0"); }},
        {"create file", std::nullopt,
         [](ProfileStore& s) { return s.SetInt("General", "F4ReadTimer", 250); }},
        {"delete key", profile,
         [](ProfileStore& s) { return s.DeleteKey("Settings", "F4CheckTimer"); }},
        {"delete section", profile, [](ProfileStore& s) { return s.DeleteSection("Settings"); }},
    };
    for (const Scenario& s : scenarios)
        runMatrix(s);
}

// The failure the old writer missed: the disk fills up part way through the copy.
TEST_F(IniFaults, FullDiskDuringTheCopyKeepsTheOldFile) {
    const std::string profile = golden("profile.ini");
    writeBytes(ini, profile);
    FaultyIo faulty(ini, bak);
    ProfileStore store(ini.c_str(), nullptr);
    store.SetFileIo(&faulty);
    faulty.failAt = 0;
    // Find the fifth write of a clean run and fail there.
    {
        FaultyIo probe(ini, bak);
        ProfileStore clean(ini.c_str(), nullptr);
        clean.SetFileIo(&probe);
        ASSERT_TRUE(clean.SetInt(nullptr, "QUARNDevice", 2));
        writeBytes(ini, profile);
        int writes = 0;
        for (std::size_t i = 0; i < probe.steps.size(); ++i)
            if (probe.steps[i] == "write" && ++writes == 5) faulty.failAt = static_cast<int>(i);
    }
    EXPECT_FALSE(store.SetInt(nullptr, "QUARNDevice", 2));
    EXPECT_EQ(store.lastError, ProfileStore::CannotWrite);
    EXPECT_EQ(readBytes(ini), profile);
    EXPECT_FALSE(fileExists(bak));
    EXPECT_EQ(store.GetInt(nullptr, "QUARNDevice", 0), 1);
}

} // namespace
