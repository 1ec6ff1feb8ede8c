// Start-up: which settings store, which section, which switches, and what the frame reads.

#include "engine/application.h"
#include "engine/command_line.h"
#include "engine/main_frame.h"
#include "platform/event_loop.h"
#include "settings/profile_store.h"
#include "settings/registry_sandbox.h"
#include "settings/settings_files.h"
#include "support/scripted_message_boxes.h"
#include "ui/framework/headless/console_tray.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <memory>

using namespace gb;
using namespace gb::test;

namespace {

int standInOpen(int device) {
    return device >= 0 && device <= 7 ? 0 : -6;
}
int standInClose(int) {
    return 0;
}
int standInSendQP(int, int) {
    return 0;
}
int standInSendPH(int, int, int, int, int, int) {
    return 0;
}
int standInGetAnalogs(int, void*) {
    return 0;
}
const DeviceProcedures kStandIn{standInOpen, standInClose, standInSendQP, standInSendPH,
                                standInGetAnalogs};

constexpr const char kOneDefinition[] = "[Eyebrow Lights]\nMasterCaution=5,6\n";

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousFolder_ = std::filesystem::current_path();
        std::filesystem::current_path(folder.path());
        useRegistryFolder(folder.file("registry"));
        ui::setTrayLineWriter([](void*, const char*) {}, nullptr);
        services.procedures = &kStandIn;
        services.isProcessRunning = [](const char*) { return false; };
    }
    void TearDown() override {
        app.reset();
        ui::setTrayLineWriter(nullptr, nullptr);
        std::filesystem::current_path(previousFolder_);
    }

    bool start(const char* arguments) {
        app = std::make_unique<CGlowbridgeApp>(commandLine, store, services);
        return app->InitInstance(arguments);
    }
    // Only the store and the frame's settings, without a window.
    std::unique_ptr<CMainFrame> settingsFor(const char* arguments) {
        commandLine.parse(arguments);
        chooseSettingsStore(store, commandLine);
        return std::make_unique<CMainFrame>(store, commandLine, services);
    }
    std::string lastBoxText() const {
        return boxes.shown().empty() ? "" : boxes.shown().back().text;
    }

    TempFolder folder;
    ScriptedMessageBoxes boxes;
    CommandLine commandLine;
    ProfileStore store;
    FrameServices services;
    std::unique_ptr<CGlowbridgeApp> app;

private:
    std::filesystem::path previousFolder_;
};

TEST_F(StartUpTest, NoArgumentsAndNoIniFileMeansTheRegistryAndNoDefinitionFile) {
    EXPECT_FALSE(start(""));
    EXPECT_STREQ(store.GetIniFile(), "");
    EXPECT_STREQ(store.GetRegistryPath(), "Software\\Veltrona\\Glowbridge");
    EXPECT_EQ(store.GetRootKey(), 0x80000001u);
    char section[100];
    store.GetSection(section, 99);
    EXPECT_STREQ(section, "Settings");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "No configuration file!");
    EXPECT_EQ(boxes.shown()[0].caption, "Definitionfile error");
    EXPECT_EQ(app->mainFrame(), nullptr);
}

TEST_F(StartUpTest, RegistryModeReadsTheSettingsAndTheNamedDefinitionFile) {
    writeBytes(folder.file("cockpit.txt"), kOneDefinition);
    {
        ProfileStore registry("Software\\Veltrona", "Glowbridge", "Settings");
        ASSERT_TRUE(registry.SetString(nullptr, "ConfigFile", folder.file("cockpit.txt").c_str()));
        ASSERT_TRUE(registry.SetInt(nullptr, "QUARNDevice", std::int32_t{2}));
        ASSERT_TRUE(registry.SetInt(nullptr, "F4CheckTimer", std::int32_t{2500}));
    }
    ASSERT_TRUE(start("/debug"));
    CMainFrame& frame = *app->mainFrame();
    EXPECT_EQ(frame.definitionFile(), folder.file("cockpit.txt"));
    EXPECT_EQ(frame.deviceNumber(), 2);
    EXPECT_EQ(frame.checkPeriod(), 2500u);
    EXPECT_EQ(frame.readPeriod(), 100u);
    EXPECT_STREQ(frame.debugFile(), "C:\\Glowbridge.txt");
    EXPECT_STREQ(frame.checkProcess(), "C:\\PROGRAMME\\SPIELE\\FALCON4\\EFALCON.EXE");
    EXPECT_EQ(frame.definitionList().count, 1);
    EXPECT_EQ(lastBoxText(), "Debug mode is active!");
    EXPECT_TRUE(frame.binding().isOpen());
    // Defaults are never written back.
    ProfileStore registry("Software\\Veltrona", "Glowbridge", "Settings");
    EXPECT_EQ(registry.GetInt(nullptr, "F4ReadTimer", std::int32_t{-5}), -5);
}

TEST_F(StartUpTest, GlowbridgeIniInTheWorkingFolderHoldsSettingsAndDefinitions) {
    writeBytes(folder.file("Glowbridge.ini"),
               std::string("[Settings]\nQUARNDevice=4\n") + kOneDefinition);
    ASSERT_TRUE(start(""));
    EXPECT_STREQ(store.GetIniFile(), "Glowbridge.ini");
    EXPECT_STREQ(app->mainFrame()->definitionFile(), "Glowbridge.ini");
    EXPECT_EQ(app->mainFrame()->deviceNumber(), 4);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(StartUpTest, AnIniNameThatDoesNotExistMeansTheRegistry) {
    writeBytes(folder.file("Glowbridge.ini"), std::string("[Settings]\n") + kOneDefinition);
    EXPECT_FALSE(start("/ini=missing.ini"));
    EXPECT_STREQ(store.GetIniFile(), "");
    EXPECT_EQ(lastBoxText(), "No configuration file!");
}

// The store adds ".ini" to "cockpit"; the question whether the file exists is asked about that
// same name.
TEST_F(StartUpTest, TheIniNameIsCheckedAsTheStoreWillUseIt) {
    writeBytes(folder.file("cockpit.ini"),
               std::string("[Settings]\nQUARNDevice=3\n") + kOneDefinition);
    ASSERT_TRUE(start("/ini=cockpit"));
    EXPECT_STREQ(store.GetIniFile(), "cockpit.ini");
    EXPECT_EQ(app->mainFrame()->deviceNumber(), 3);
    EXPECT_STREQ(app->mainFrame()->definitionFile(), "cockpit.ini");
}

TEST_F(StartUpTest, AFileNamedWithoutTheExtensionDoesNotSelectAMissingIniFile) {
    writeBytes(folder.file("cockpit"), std::string("[Settings]\nQUARNDevice=3\n") + kOneDefinition);
    EXPECT_FALSE(start("-INI=cockpit"));
    EXPECT_STREQ(store.GetIniFile(), "");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "No configuration file!");
}

TEST_F(StartUpTest, IniWithoutAValueOffersTheNameIni) {
    writeBytes(folder.file("ini.ini"), std::string("[Settings]\n") + kOneDefinition);
    ASSERT_TRUE(start("/ini"));
    EXPECT_STREQ(store.GetIniFile(), "ini.ini");
}

TEST_F(StartUpTest, AQuotedIniPathMayHoldBlanks) {
    std::filesystem::create_directories(folder.file("my settings"));
    const std::string path = folder.file("my settings/cockpit.ini");
    writeBytes(path, std::string("[Settings]\n") + kOneDefinition);
    const std::string arguments = "/debug \t /ini=\"" + path + "\"  /dev=1";
    ASSERT_TRUE(start(arguments.c_str()));
    EXPECT_EQ(std::string(store.GetIniFile()), path);
}

TEST_F(StartUpTest, TheSectionEntryRedirectsEveryOtherSetting) {
    writeBytes(folder.file("Glowbridge.ini"),
               std::string("[Settings]\nSection=Cockpit\nQUARNDevice=1\nF4ReadTimer=300\n"
                           "[Cockpit]\nQUARNDevice=6\nF4CheckTimer=20000\n"
                           "F4CheckProc=falcon.exe\nDebugFile=fly.log\n") +
                   kOneDefinition);
    std::unique_ptr<CMainFrame> frame = settingsFor("");
    char section[100];
    store.GetSection(section, 99);
    EXPECT_STREQ(section, "Cockpit");
    EXPECT_EQ(frame->deviceNumber(), 6);
    EXPECT_EQ(frame->checkPeriod(), 20000u);
    EXPECT_EQ(frame->readPeriod(), 100u);
    EXPECT_STREQ(frame->checkProcess(), "falcon.exe");
    EXPECT_STREQ(frame->debugFile(), "fly.log");
    EXPECT_STREQ(frame->definitionFile(), "Glowbridge.ini");
}

TEST_F(StartUpTest, TheDevAndDebugSwitches) {
    writeBytes(folder.file("Glowbridge.ini"), "[Settings]\nQUARNDevice=5\n");
    struct Case {
        const char* arguments;
        std::int32_t device;
        bool debug;
    };
    for (const Case& c :
         {Case{"", 5, false}, Case{"/DEV=3", 3, false}, Case{"/dev", 0, false},
          Case{"-dev=abc", 0, false}, Case{"/device=3", 5, false}, Case{"/debug=0", 5, true},
          Case{"-DEBUG /dev=7 /dev=2", 7, true}, Case{"/dev=2147483647", INT_MAX, false},
          Case{"/dev=-2147483648", INT_MIN, false}, Case{"/dev=99999999999", INT_MAX, false}}) {
        std::unique_ptr<CMainFrame> frame = settingsFor(c.arguments);
        EXPECT_EQ(frame->deviceNumber(), c.device) << c.arguments;
        EXPECT_EQ(frame->debugMode(), c.debug) << c.arguments;
    }
}

TEST_F(StartUpTest, SettingsAreTakenAsTheyStandAtTheIntegerEdges) {
    writeBytes(folder.file("Glowbridge.ini"),
               "[Settings]\nQUARNDevice=-2147483648\nF4CheckTimer=4294967295\n"
               "F4ReadTimer=-1\nF4CheckProc=\n");
    std::unique_ptr<CMainFrame> frame = settingsFor("");
    EXPECT_EQ(frame->deviceNumber(), INT_MIN);
    EXPECT_EQ(frame->checkPeriod(), 0xFFFFFFFFu);
    EXPECT_EQ(frame->readPeriod(), 0xFFFFFFFFu);
    EXPECT_STREQ(frame->checkProcess(), "");
}

TEST_F(StartUpTest, ADirectoryNamedAsTheIniFileEndsStartUpWithTheLoadersMessage) {
    std::filesystem::create_directories(folder.file("settings.ini"));
    EXPECT_FALSE(start("/ini=settings.ini"));
    EXPECT_STREQ(store.GetIniFile(), "settings.ini");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, "Definitionfile error");
}

TEST_F(StartUpTest, ACommandLineBeyondTheLimitIsCut) {
    writeBytes(folder.file("Glowbridge.ini"), "[Settings]\nQUARNDevice=5\n");
    // 9992 + 7 characters fit the 9999 kept; three more cut the switch to "/de".
    EXPECT_EQ(settingsFor((std::string(9992, 'x') + " /dev=3").c_str())->deviceNumber(), 3);
    EXPECT_EQ(settingsFor((std::string(9995, 'x') + " /dev=3").c_str())->deviceNumber(), 5);
}

} // namespace
