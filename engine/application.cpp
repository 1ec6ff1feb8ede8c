#include "engine/application.h"

#include "engine/command_line.h"
#include "platform/event_loop.h"
#include "platform/registry.h"
#include "settings/profile_store.h"

namespace gb {

ProfileStore& programProfileStore() {
    static ProfileStore store;
    return store;
}

void chooseSettingsStore(ProfileStore& store, const CommandLine& commandLine) {
    store.SetRootKey(platform::HkeyCurrentUser);
    store.SetRegistryPath(kRegistryBase, kApplicationName);
    char iniName[260];
    commandLine.getSwitchString("/ini", iniName, sizeof iniName, kDefaultIniFile);
    // SetIniFile applies the ".ini" rule; asking about the name it made, and falling back when
    // that file is missing, keeps the question and the answer about the same file.
    if (!store.SetIniFile(iniName) || !store.IniFileExists()) store.SetIniFile(nullptr);
    char section[100];
    store.GetString("Settings", "Section", section, sizeof section - 1, "Settings");
    store.SetSection(section);
}

CGlowbridgeApp::CGlowbridgeApp(const FrameServices& services)
    : CGlowbridgeApp(programCommandLine(), programProfileStore(), services) {}

CGlowbridgeApp::CGlowbridgeApp(CommandLine& commandLine, ProfileStore& store,
                               const FrameServices& services)
    : commandLine_(commandLine), store_(store), services_(services) {}

CGlowbridgeApp::~CGlowbridgeApp() {
    ExitInstance();
}

bool CGlowbridgeApp::InitInstance(const char* arguments, FrameDialogs* dialogs) {
    commandLine_.parse(arguments);
    chooseSettingsStore(store_, commandLine_);
    frame_ = std::make_unique<CMainFrame>(store_, commandLine_, services_);
    frame_->setDialogs(dialogs);
    if (!frame_->LoadFrame()) {
        frame_.reset();
        return false;
    }
    return true;
}

int CGlowbridgeApp::Run() {
    if (frame_ == nullptr) return ExitInstance();
    const int code = platform::runMessageLoop();
    ExitInstance();
    return code < 0 ? 0 : code;
}

int CGlowbridgeApp::ExitInstance() {
    frame_.reset();
    return 0;
}

} // namespace gb
