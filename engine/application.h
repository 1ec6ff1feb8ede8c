#pragma once
// The application object: start-up picks the settings store (an INI file when the "/ini" file,
// default "Glowbridge.ini", exists; the registry below "Software\Veltrona\Glowbridge" otherwise),
// the settings section, and creates the hidden main frame. The framework's own parts of
// start-up (three-dimensional controls, the framework's profile and recent-file list) have no
// counterpart here: the program uses nothing of them.

#include "engine/main_frame.h"

#include <memory>

namespace gb {

class CommandLine;
class ProfileStore;

// The program's settings store, one per process; registry mode until start-up says otherwise.
ProfileStore& programProfileStore();

inline constexpr const char kRegistryBase[] = "Software\\Veltrona";
inline constexpr const char kApplicationName[] = "Glowbridge";
inline constexpr const char kDefaultIniFile[] = "Glowbridge.ini";

// Points `store` at the registry key and, when the "/ini" file exists, at that file, then selects
// the section that "Section" in section "Settings" names. The file is asked about under the name
// the store will use (with ".ini" added where the store adds it), so "/ini=cockpit" uses an
// existing cockpit.ini and is not fooled by a file named plain "cockpit".
void chooseSettingsStore(ProfileStore& store, const CommandLine& commandLine);

class CGlowbridgeApp {
public:
    // Start-up against the program's command line and store, or ones a test gives.
    explicit CGlowbridgeApp(const FrameServices& services = {});
    CGlowbridgeApp(CommandLine& commandLine, ProfileStore& store,
                   const FrameServices& services = {});
    ~CGlowbridgeApp();
    CGlowbridgeApp(const CGlowbridgeApp&) = delete;
    CGlowbridgeApp& operator=(const CGlowbridgeApp&) = delete;

    // Parses `arguments` (the command line without the program name), chooses the store and
    // creates the main frame. False when the frame could not be created; the program then ends.
    bool InitInstance(const char* arguments, FrameDialogs* dialogs = nullptr);

    // Runs the loop until the main frame is gone; then ExitInstance. The exit code.
    int Run();
    // Deletes the main frame (the card is closed, the tray icon removed). The exit code, 0.
    int ExitInstance();

    CMainFrame* mainFrame() const { return frame_.get(); }

private:
    CommandLine& commandLine_;
    ProfileStore& store_;
    FrameServices services_;
    std::unique_ptr<CMainFrame> frame_;
};

} // namespace gb
