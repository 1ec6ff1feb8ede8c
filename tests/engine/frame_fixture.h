#pragma once
// The main frame on the simulated clock, with everything outside the program stood in for: a
// settings file in a folder of its own, the simulator's block published in this process, a
// process list the test switches, the device library linked in over the in-process card
// emulator, scripted message boxes and the console tray's lines recorded.

#include "cockpit/element_table.h"
#include "engine/application.h"
#include "engine/command_line.h"
#include "engine/main_frame.h"
#include "platform/event_loop.h"
#include "quarnio/library.h"
#include "quarnio/quarnio.h"
#include "settings/profile_store.h"
#include "settings/settings_files.h"
#include "support/published_block.h"
#include "support/scripted_message_boxes.h"
#include "tools/card_emulator/emulated_port.h"
#include "tools/simulator/assignment.h"
#include "ui/framework/headless/console_tray.h"
#include "ui/resource.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace gb::test {

// The simulator's block under its real name, written as the stand-in simulator writes it.
class SimulatorBlock {
public:
    explicit SimulatorBlock(std::int32_t layout = 200) : block_(blockSizeOf(layout)) {
        image.layout = layout;
        image.size = block_.size();
        image.bytes = block_.bytes();
    }

    bool ok() const { return block_.ok(); }
    bool set(std::initializer_list<const char*> texts) {
        for (const char* text : texts) {
            sim::ParseResult parsed = sim::parseAssignment(text, image.layout, false);
            if (parsed.status != sim::ParseStatus::Ok) {
                ADD_FAILURE() << text << ": " << parsed.message;
                return false;
            }
            sim::applyAssignment(parsed.assignment, image);
        }
        return true;
    }

    sim::BlockImage image;

private:
    PublishedBlock block_;
};

// The definitions most cases use: a QP flag, a PH flag and an analog value.
inline constexpr const char kDefinitions[] = "[Eyebrow Lights]\n"
                                             "MasterCaution=5,6\n"
                                             "[Caution Lights]\n"
                                             "FwdFuelLow=10,0,0b00000001\n"
                                             "[Primary Data]\n"
                                             "KIAS=20,0,0.5,0\n";

class FrameFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::useSimulatedClock(true));
        running = false;
        quarnio::unloadForTests();
        ASSERT_TRUE(quarnio::loadEntry(1));
        ui::setTrayLineWriter(
            [](void* context, const char* line) {
                static_cast<FrameFixture*>(context)->trayLines.emplace_back(line);
            },
            this);
        ui::setTrayCommandSink({platform::postCommand, platform::sendCommand});
        services.isProcessRunning = [](const char*) { return running; };
        services.procedures = &libraryProcedures;
        services.openDocument = [](const char* path) {
            openedDocuments.emplace_back(path);
            return true;
        };
        openedDocuments.clear();
    }

    void TearDown() override {
        frame.reset();
        _CloseAllHandles(0);
        quarnio::loadEntry(0);
        quarnio::unloadForTests();
        ui::setTrayLineWriter(nullptr, nullptr);
        ui::setTrayCommandSink({});
        platform::useSimulatedClock(false);
    }

    // The settings file: [Settings] with the given lines, the debug file in the folder, then
    // the definitions.
    std::string writeSettings(const std::string& settingsLines,
                              const std::string& definitions = kDefinitions) {
        const std::string path = folder.file("Glowbridge.ini");
        writeBytes(path, "[Settings]\nQUARNDevice=1\nF4CheckProc=EFALCON.EXE\nDebugFile=" +
                             debugPath() + "\n" + settingsLines + definitions);
        return path;
    }
    std::string debugPath() const { return folder.file("debug.txt"); }

    // Creates the frame over the settings file as start-up would; false when creation failed.
    bool createFrame(const std::string& arguments = "") {
        commandLine.parse(arguments.c_str());
        store = std::make_unique<ProfileStore>();
        store->SetIniFile(folder.file("Glowbridge.ini").c_str());
        frame = std::make_unique<CMainFrame>(*store, commandLine, services);
        return frame->LoadFrame();
    }

    void runFor(std::uint32_t ms) { platform::runMessageLoopFor(ms); }
    // Runs check ticks (4000 ms by default) until attached; the ticks it took, 0 if none did.
    int ticksUntilAttached(int most, std::uint32_t period = 4000) {
        for (int tick = 1; tick <= most; ++tick) {
            runFor(period);
            if (frame->source().isAttached()) return tick;
        }
        return 0;
    }

    bool iconIs(unsigned resource) {
        return frame->tray().GetIconData().icon == ui::CSystemTray::LoadTrayIcon(resource);
    }
    std::string tooltip() { return frame->tray().GetIconData().tip; }
    bool trayLine(const std::string& line) const {
        for (const std::string& l : trayLines)
            if (l == line) return true;
        return false;
    }

    emu::Card& card() { return port->card(1); }

    static inline bool running = false;
    static inline std::vector<std::string> openedDocuments;
    static inline const DeviceProcedures libraryProcedures{_OpenDevice, _CloseDevice, _SendQP,
                                                           _SendPH, _GetAnalogs};

    TempFolder folder{"gb-frame"};
    ScriptedMessageBoxes boxes;
    emu::ScopedEmulatedPort port;
    FrameServices services;
    CommandLine commandLine;
    std::unique_ptr<ProfileStore> store;
    std::unique_ptr<CMainFrame> frame;
    std::vector<std::string> trayLines;
};

} // namespace gb::test
