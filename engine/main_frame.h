#pragma once
// CMainFrame: the program's one window, never shown. It owns everything that runs: the settings
// it read at construction, the definitions, the card's binding, the shared-memory source, the
// Pigeon-hole image, the tray icon and the window timers (CHECK_TIMER 0 runs the process watch,
// READ_TIMER 1 the transfer cycle while attached, SAFE_CLOSE_TIMER 2 ends a close that turned the
// outputs off). It is glue: timers and commands come in from the loop window, calls go out to the
// engine, the cockpit reader and the tray.

#include "cockpit/definition_list.h"
#include "cockpit/shared_memory_source.h"
#include "engine/device_binding.h"
#include "engine/process_watch.h"
#include "engine/transfer_cycle.h"
#include "platform/event_loop.h"
#include "ui/system_tray.h"

#include <cstdint>

namespace gb {

class CommandLine;
class ProfileStore;
class CMainFrame;

constexpr unsigned CHECK_TIMER = 0;
constexpr unsigned READ_TIMER = 1;
// With "SafeOutputs", a close while transferring waits this long before the card is closed, so
// that the device library's poll (every 30 ms) hands the off states to the card: enough polls to
// empty a full output queue even on the ISA card's shorter batches.
constexpr unsigned SAFE_CLOSE_TIMER = 2;
constexpr std::uint32_t kSafeCloseDelayMs = 500;

// The texts the frame shows.
inline constexpr const char kTrayTooltip[] = "Glowbridge (ISA) 2.101 SP2";
inline constexpr const char kAboutLine[] = "Glowbridge Version 2.101";
inline constexpr const char kAboutCaption[] = " About Glowbridge";
inline constexpr const char kGuideFileName[] = "Glowbridge-Guide.html";

// What the general configuration dialog shows and edits.
struct GeneralValues {
    std::uint32_t checkPeriod = 0;
    std::uint32_t readPeriod = 0;
    char checkProcess[260] = {};
};

// The dialogs the frame opens from its menu. The program plugs them in; without them the
// commands tell the user that the dialog is not available.
class FrameDialogs {
public:
    virtual ~FrameDialogs() = default;
    // Runs the general configuration dialog modally over `values`; true when it ended with OK.
    virtual bool runGeneralConfig(GeneralValues& values) = 0;
    // Runs the definition list dialog modally: mode 0 QP flags, 1 PH flags, 2 analog values.
    virtual void runDefinitionList(int mode, CMainFrame& frame) = 0;
    virtual void runAbout() = 0;
};

// What the frame takes from the system, replaceable by tests.
struct FrameServices {
    // The process test of each CHECK_TIMER tick.
    bool (*isProcessRunning)(const char* name) = nullptr; // null: platform::isProcessRunning
    // Procedures to open the card with instead of loading the device library by name (the
    // library linked into a test, or a stand-in).
    const DeviceProcedures* procedures = nullptr;
    // Opens the user guide; null: platform::shellOpen.
    bool (*openDocument)(const char* path) = nullptr;
};

class CMainFrame final : public platform::LoopWindowHandler, private ProcessWatchHost {
public:
    // Reads the settings from `store` (current section) and the switches from `commandLine`.
    CMainFrame(ProfileStore& store, const CommandLine& commandLine,
               const FrameServices& services = {});
    // Definitions last to first, then the tray icon goes, the shared memory is detached and the
    // card closed.
    ~CMainFrame() override;
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // The framework's LoadFrame: creates the hidden window and runs OnCreate. False when either
    // fails (a message has been shown where there is one to show); the frame is then left
    // without a window.
    bool LoadFrame();

    // The dialogs the menu opens (null: none).
    void setDialogs(FrameDialogs* dialogs) { dialogs_ = dialogs; }

    // The loop window's messages.
    void onTimer(unsigned id) override;
    void onCommand(unsigned command) override;
    void onClose() override;
    // The commands' enable rules (menu greying, the tray's console and onCommand itself).
    bool isCommandEnabled(unsigned command) override;

    // The base class's close processing: the window goes and the program's loop ends. What the
    // window owned stays until the frame is deleted.
    void DestroyWindow();

    platform::LoopWindow window() const { return window_; }
    bool isWindowAlive() const { return window_ != nullptr; }
    ui::CSystemTray& tray() { return tray_; }
    DefinitionList& definitionList() { return definitions_; }
    DeviceBinding& binding() { return binding_; }
    SharedMemorySource& source() { return source_; }
    PigeonHoleImage& pigeonHoles() { return phSlots_; }
    const char* definitionFile() const { return definitionFile_; }
    const char* debugFile() const { return debugFile_; }
    const char* checkProcess() const { return checkProcess_; }
    bool debugMode() const { return debugMode_; }
    std::int32_t deviceNumber() const { return deviceNumber_; }
    std::uint32_t checkPeriod() const { return checkPeriod_; }
    std::uint32_t readPeriod() const { return readPeriod_; }
    bool safeOutputs() const { return safeOutputs_; }
    bool analogHoldBack() const { return analogHoldBack_; }
    // True between a close or Exit that turned the outputs off and the end of its delay.
    bool isClosing() const { return closing_ != Closing::No; }
    bool transferStopped() const { return watch_.transferStopped(); }
    bool inCycle() const { return inCycle_; }
    bool generalDialogIdle() const { return generalDialogIdle_; }
    bool listDialogIdle() const { return listDialogIdle_; }
    const ProcessWatch& processWatch() const { return watch_; }

private:
    int OnCreate();
    void onConfigGeneral();
    void onConfigList(int mode);
    void onAbout();
    void onHelp();
    void dialogNotAvailable(const char* what);
    TransferLogging transferLogging();
    // Detaches, first turning every output off when "SafeOutputs" is on; the sends accepted.
    int detachSafely();
    // WM_CLOSE and Exit while transferring with "SafeOutputs": stop the timers, turn the outputs
    // off and, when something was sent, give the library time to deliver it before the card is
    // closed. False when there was nothing to wait for.
    enum class Closing : std::uint8_t {
        No,
        Close,
        Exit
    };
    bool beginSafeClose(Closing how);
    // The close itself: WM_CLOSE closes the card and shows the blue icon first; both then destroy
    // the window.
    void endClose(Closing how);

    // ProcessWatchHost.
    bool attach() override;
    void detach() override;
    bool isAttached() const override;
    void startReadTimer(std::uint32_t periodMs) override;
    void killReadTimer() override;
    void setIcon(int iconId) override;
    void setMenuDefaultItem(unsigned command) override;
    void setTooltipText(const char* text) override;
    std::int32_t qpCalls() const override;
    std::int32_t phCalls() const override;
    bool isCardOpen() const override;

    // Fields in the order the frame has always kept them; the destructor relies on the tray
    // coming after the source, and the source after the binding.
    DefinitionList definitions_;
    char definitionFile_[260] = {};
    DeviceBinding binding_;
    SharedMemorySource source_;
    bool debugMode_ = false;
    char debugFile_[260] = {};
    bool inCycle_ = false;
    std::int32_t deviceNumber_ = 0;
    std::uint32_t readPeriod_ = 0;
    std::uint32_t checkPeriod_ = 0;
    char checkProcess_[260] = {};
    bool safeOutputs_ = false;   // "SafeOutputs": turn every output off before a detach
    bool analogHoldBack_ = true; // "AnalogHoldBack": analog values wait for a second equal read
    Closing closing_ = Closing::No;
    PigeonHoleImage phSlots_{};
    ui::CSystemTray tray_;
    bool generalDialogIdle_ = true;
    bool listDialogIdle_ = true;

    ProcessWatch watch_;
    ProfileStore& store_;
    FrameServices services_;
    FrameDialogs* dialogs_ = nullptr;
    platform::LoopWindow window_ = nullptr;
};

} // namespace gb
