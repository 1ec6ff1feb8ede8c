#include "engine/main_frame.h"

#include "cockpit/definition_file.h"
#include "engine/command_line.h"
#include "platform/file_attributes.h"
#include "platform/message_box.h"
#include "platform/process_list.h"
#include "platform/shell_open.h"
#include "settings/profile_store.h"
#include "ui/resource.h"

#include <cstdio>
#include <cstring>

namespace gb {

namespace {

// Cut to the field, as the frame's 260-byte fields always were.
void copyPath(char (&out)[260], const char* text) {
    std::size_t length = text != nullptr ? std::strlen(text) : 0;
    if (length > sizeof out - 1) length = sizeof out - 1;
    if (length > 0) std::memcpy(out, text, length);
    out[length] = '\0';
}

} // namespace

CMainFrame::CMainFrame(ProfileStore& store, const CommandLine& commandLine,
                       const FrameServices& services)
    : watch_(*this), store_(store), services_(services) {
    debugMode_ = commandLine.hasSwitch("/debug", false);
    deviceNumber_ =
        commandLine.getSwitchInt("/dev", store.GetInt(nullptr, "QUARNDevice", std::int32_t{255}));
    checkPeriod_ = store.GetInt(nullptr, "F4CheckTimer", std::uint32_t{4000});
    readPeriod_ = store.GetInt(nullptr, "F4ReadTimer", std::uint32_t{100});
    // Any number but 0 switches them on, as the registry's DWORDs would; text that is no number
    // reads as 0.
    safeOutputs_ = store.GetInt(nullptr, "SafeOutputs", std::int32_t{0}) != 0;
    analogHoldBack_ = store.GetInt(nullptr, "AnalogHoldBack", std::int32_t{1}) != 0;
    store.GetString(nullptr, "F4CheckProc", checkProcess_, sizeof checkProcess_ - 1,
                    "C:\\PROGRAMME\\SPIELE\\FALCON4\\EFALCON.EXE");
    store.GetString(nullptr, "DebugFile", debugFile_, sizeof debugFile_ - 1, "C:\\Glowbridge.txt");
    // In INI mode the definitions default to the settings file itself; in registry mode there is
    // no default and the loader reports the missing file.
    char iniFile[260];
    copyPath(iniFile, store.GetIniFile());
    store.GetString(nullptr, "ConfigFile", definitionFile_, sizeof definitionFile_ - 1, iniFile);
}

CMainFrame::~CMainFrame() {
    if (window_ != nullptr) {
        platform::destroyLoopWindow(window_);
        window_ = nullptr;
    }
    while (definitions_.count > 0)
        definitions_.removeDefinition(definitions_.count - 1);
}

bool CMainFrame::LoadFrame() {
    window_ = platform::createLoopWindow(this);
    if (window_ == nullptr) return false;
    if (OnCreate() < 0) {
        platform::destroyLoopWindow(window_);
        window_ = nullptr;
        return false;
    }
    return true;
}

int CMainFrame::OnCreate() {
    if (!tray_.Create(nullptr, WM_TRAYNOTIFY, kTrayTooltip, ui::CSystemTray::InformationIcon(),
                      IDR_TRAYMENU))
        return -1;
    tray_.SetTargetWindow(window_, this);
    tray_.SetMenuDefaultItem(ID_TRANSFER_START, false);
    tray_.SetIcon(static_cast<unsigned>(IDI_TRAY_NOCARD));

    // The loader has shown its message for an error or an empty file.
    if (parseDefinitionFile(definitions_, definitionFile_, window_) < 1) return -1;

    if (debugMode_)
        platform::messageBox(window_, "Debug mode is active!", "Information",
                             platform::MbOk | platform::MbIconInformation);

    const bool opened = services_.procedures != nullptr
                            ? binding_.open(deviceNumber_, *services_.procedures)
                            : binding_.open(deviceNumber_);
    if (opened) tray_.SetIcon(static_cast<unsigned>(IDI_TRAY_IDLE));

    platform::setWindowTimer(window_, CHECK_TIMER, checkPeriod_);
    return 0;
}

void CMainFrame::onTimer(unsigned id) {
    if (id == CHECK_TIMER) {
        bool (*running)(const char*) = services_.isProcessRunning != nullptr
                                           ? services_.isProcessRunning
                                           : platform::isProcessRunning;
        watch_.checkTick(running(checkProcess_), checkPeriod_, readPeriod_);
    } else if (id == READ_TIMER) {
        TransferOptions options;
        options.analogHoldBack = analogHoldBack_;
        readTimerTick(inCycle_, source_, definitions_, phSlots_, binding_, transferLogging(),
                      options);
    } else if (id == SAFE_CLOSE_TIMER) {
        if (window_ != nullptr) platform::killWindowTimer(window_, SAFE_CLOSE_TIMER);
        if (closing_ != Closing::No) endClose(closing_);
    }
}

TransferLogging CMainFrame::transferLogging() {
    return TransferLogging{debugMode_, debugFile_, &DebugLog::process()};
}

bool CMainFrame::isCommandEnabled(unsigned command) {
    // Closing: the card is about to go, nothing may start anew.
    if (closing_ != Closing::No) return false;
    switch (command) {
    case ID_TRANSFER_START:
        return watch_.canStart();
    case ID_TRANSFER_STOP:
        return watch_.canStop();
    case ID_CONFIG_GENERAL:
        return generalDialogIdle_;
    case ID_CONFIG_QPFLAGS:
    case ID_CONFIG_PHFLAGS:
    case ID_CONFIG_ANALOG:
        return listDialogIdle_;
    default:
        return true;
    }
}

// A disabled command is dropped here, whichever way it came: the menu greys it, but a double
// click on the tray sends the default item as it stands, and anyone may post a command.
void CMainFrame::onCommand(unsigned command) {
    if (!isCommandEnabled(command)) return;
    switch (command) {
    case ID_TRANSFER_START:
        watch_.startTransfer(readPeriod_);
        break;
    case ID_TRANSFER_STOP:
        watch_.stopTransfer();
        break;
    case ID_CONFIG_GENERAL:
        onConfigGeneral();
        break;
    case ID_CONFIG_QPFLAGS:
        onConfigList(0);
        break;
    case ID_CONFIG_PHFLAGS:
        onConfigList(1);
        break;
    case ID_CONFIG_ANALOG:
        onConfigList(2);
        break;
    case ID_APP_ABOUT:
        onAbout();
        break;
    case ID_HELP_FINDER:
        onHelp();
        break;
    case ID_APP_EXIT:
        // Straight to the base close (after the outputs' delay with "SafeOutputs"): no blue
        // icon, the card is closed by the destructor.
        if (!beginSafeClose(Closing::Exit)) endClose(Closing::Exit);
        break;
    default:
        break;
    }
}

void CMainFrame::onClose() {
    // A second close request while the off states are on their way changes nothing.
    if (window_ == nullptr || closing_ != Closing::No) return;
    platform::killWindowTimer(window_, CHECK_TIMER);
    platform::killWindowTimer(window_, READ_TIMER);
    if (!beginSafeClose(Closing::Close)) endClose(Closing::Close);
}

bool CMainFrame::beginSafeClose(Closing how) {
    if (!safeOutputs_ || !source_.isAttached() || window_ == nullptr) return false;
    platform::killWindowTimer(window_, CHECK_TIMER);
    platform::killWindowTimer(window_, READ_TIMER);
    // Nothing accepted (the card is closed): nothing to wait for.
    if (detachSafely() == 0) return false;
    closing_ = how;
    if (platform::setWindowTimer(window_, SAFE_CLOSE_TIMER, kSafeCloseDelayMs)) return true;
    closing_ = Closing::No;
    return false;
}

void CMainFrame::endClose(Closing how) {
    closing_ = Closing::No;
    if (how == Closing::Close) {
        binding_.close();
        tray_.SetIcon(static_cast<unsigned>(IDI_TRAY_IDLE));
    }
    DestroyWindow();
}

void CMainFrame::DestroyWindow() {
    if (window_ == nullptr) return;
    platform::destroyLoopWindow(window_);
    window_ = nullptr;
    platform::postQuitMessage(0);
}

void CMainFrame::onConfigGeneral() {
    generalDialogIdle_ = false;
    GeneralValues values;
    values.checkPeriod = checkPeriod_;
    values.readPeriod = readPeriod_;
    copyPath(values.checkProcess, checkProcess_);
    bool ok = false;
    if (dialogs_ != nullptr)
        ok = dialogs_->runGeneralConfig(values);
    else
        dialogNotAvailable("general configuration");
    if (ok) {
        const bool checkChanged = values.checkPeriod != checkPeriod_;
        checkPeriod_ = values.checkPeriod;
        readPeriod_ = values.readPeriod;
        copyPath(checkProcess_, values.checkProcess);
        store_.SetInt(nullptr, "F4CheckTimer", checkPeriod_);
        store_.SetInt(nullptr, "F4ReadTimer", readPeriod_);
        store_.SetString(nullptr, "F4CheckProc", checkProcess_);
        // The new check period takes effect now: kept at the old one, a change from 4000 ms to
        // 100 ms would make the next attach wait 101 ticks of 4 seconds. READ_TIMER keeps its
        // period until the next attach.
        if (checkChanged && window_ != nullptr)
            platform::setWindowTimer(window_, CHECK_TIMER, checkPeriod_);
    }
    generalDialogIdle_ = true;
}

void CMainFrame::onConfigList(int mode) {
    listDialogIdle_ = false;
    if (dialogs_ != nullptr)
        dialogs_->runDefinitionList(mode, *this);
    else
        dialogNotAvailable(mode == 0   ? "QProc flag list"
                           : mode == 1 ? "Pigeon-hole flag list"
                                       : "analog value list");
    listDialogIdle_ = true;
}

void CMainFrame::onAbout() {
    if (dialogs_ != nullptr) {
        dialogs_->runAbout();
        return;
    }
    platform::messageBox(window_, kAboutLine, kAboutCaption,
                         platform::MbOk | platform::MbIconInformation);
}

// The user guide ships next to the program.
void CMainFrame::onHelp() {
    char path[1024];
    const bool found = platform::programFilePath(kGuideFileName, path, sizeof path) &&
                       platform::fileAttributes(path).exists;
    bool (*open)(const char*) =
        services_.openDocument != nullptr ? services_.openDocument : platform::shellOpen;
    if (found && open(path)) return;
    char text[1100];
    std::snprintf(text, sizeof text, "Can't open the user guide \"%s\"!",
                  found ? path : kGuideFileName);
    platform::messageBox(window_, text, "Help", platform::MbOk | platform::MbIconWarning);
}

void CMainFrame::dialogNotAvailable(const char* what) {
    char text[160];
    std::snprintf(text, sizeof text, "The %s dialog is not available in this version.", what);
    platform::messageBox(window_, text, "Glowbridge", platform::MbOk | platform::MbIconInformation);
}

bool CMainFrame::attach() {
    return source_.attach();
}

void CMainFrame::detach() {
    detachSafely();
}

int CMainFrame::detachSafely() {
    int sent = 0;
    if (safeOutputs_ && source_.isAttached())
        sent = turnOutputsOff(definitions_, phSlots_, binding_, transferLogging());
    source_.detach();
    return sent;
}

bool CMainFrame::isAttached() const {
    return source_.isAttached();
}

void CMainFrame::startReadTimer(std::uint32_t periodMs) {
    if (window_ != nullptr) platform::setWindowTimer(window_, READ_TIMER, periodMs);
}

void CMainFrame::killReadTimer() {
    if (window_ != nullptr) platform::killWindowTimer(window_, READ_TIMER);
}

void CMainFrame::setIcon(int iconId) {
    tray_.SetIcon(static_cast<unsigned>(iconId));
}

void CMainFrame::setMenuDefaultItem(unsigned command) {
    tray_.SetMenuDefaultItem(command, false);
}

void CMainFrame::setTooltipText(const char* text) {
    tray_.SetTooltipText(text);
}

std::int32_t CMainFrame::qpCalls() const {
    return binding_.qpCalls();
}

std::int32_t CMainFrame::phCalls() const {
    return binding_.phCalls();
}

bool CMainFrame::isCardOpen() const {
    return binding_.isOpen();
}

} // namespace gb
