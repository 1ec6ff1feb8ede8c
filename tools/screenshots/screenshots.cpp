// glowbridge-screenshots: opens every dialog of the program and its tray menu with the sample's
// settings and definitions, and writes a picture of each as it shows, for the documentation.
//
//   glowbridge-screenshots [--sample INI] [--fonts DIR] OUTDIR [NAME...]   writes OUTDIR/NAME.bmp
//   glowbridge-screenshots --list                                         the names, one a line
//
// --fonts adds the font files of a folder for this run only: Wine's own MS Sans Serif, Tahoma and
// Marlett (Debian's fonts-wine), which the dialogs and captions ask for, so the pictures look as
// on Windows whatever fonts the prefix has.
//
// Each dialog runs modally as in the program; a scripted user takes the picture from inside the
// modal loop once the dialog has opened, then closes it. A label, button or group box whose text
// does not fit its control is reported and fails the run, as the picture would show it cut.
// scripts/screenshots.sh runs this under Wine and turns the pictures into docs/screenshots/*.png;
// CI compares them with the committed ones (tools/screenshots/shots.py).
//
// A new picture is one entry in kShots.

#include "cockpit/definition_file.h"
#include "cockpit/definition_list.h"
#include "cockpit/element_catalog.h"
#include "engine/device_binding.h"
#include "platform/event_loop.h"
#include "settings/profile_store.h"
#include "tools/screenshots/window_capture.h"
#include "ui/dialog_ids.h"
#include "ui/dialogs/about_dlg.h"
#include "ui/dialogs/analog_data_dlg.h"
#include "ui/dialogs/definition_list_dlg.h"
#include "ui/dialogs/general_config_dlg.h"
#include "ui/dialogs/ph_flag_dlg.h"
#include "ui/dialogs/process_select_dlg.h"
#include "ui/dialogs/qp_flag_dlg.h"
#include "ui/dialogs/test_dlg.h"
#include "ui/framework/scripted_user.h"
#include "ui/resource.h"
#include "ui/system_tray.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace gb::shots {

namespace {

using ui::Dialog;
using ui::DialogScript;

// What every picture draws on: the sample's settings and definitions, a card binding that is
// never opened (nothing reaches a card), and where the pictures go.
class Studio {
public:
    std::string sample;
    std::string outDir;
    std::string checkProcess = "EFALCON.EXE";
    std::uint32_t checkPeriod = 4000;
    std::uint32_t readPeriod = 100;
    DefinitionList definitions;
    DeviceBinding card;
    std::vector<std::string> problems;

    bool load() {
        ProfileStore settings(sample.c_str(), "Settings");
        checkProcess = settings.GetString(nullptr, "F4CheckProc", checkProcess.c_str());
        checkPeriod = settings.GetInt(nullptr, "F4CheckTimer", checkPeriod);
        readPeriod = settings.GetInt(nullptr, "F4ReadTimer", readPeriod);
        return parseDefinitionFile(definitions, sample.c_str()) > 0;
    }

    // The sample's definition of group/element; a problem when the sample has none.
    Definition definition(const char* group, const char* element) {
        for (int i = 0; i < definitions.count; ++i) {
            const Definition& d = *definitions.items[i];
            if (std::strcmp(d.groupName, group) == 0 && std::strcmp(d.elementName, element) == 0)
                return d;
        }
        problems.push_back(std::string("the sample defines no ") + group + "/" + element);
        return {};
    }

    // The list dialogs work on the sample's definitions; nothing here changes one, so the sample
    // file is never written.
    ui::DefinitionListContext listContext() {
        return {definitions, sample.c_str(), ElementCatalog, card};
    }

    std::string path(const std::string& name) const { return outDir + "\\" + name + ".bmp"; }

    // Runs the dialog modally; once it has opened, `prepare` acts as a person would, the picture
    // is taken and the dialog closed.
    void show(Dialog& dialog, const std::string& name,
              const std::function<void(DialogScript&)>& prepare = {}) {
        ui::ScriptedUser user;
        ui::ScopedUser scope(user);
        DialogScript& script = user.expectDialog(dialog.TemplateId());
        if (prepare) prepare(script);
        script.expectNoBox().then([&](Dialog& open) {
            activate(open.Window()->handle());
            if (!captureWindows({open.Window()->handle()}, path(name)))
                problems.push_back("cannot capture " + name);
            for (const std::string& text : clippedTexts(open.Window()->handle()))
                problems.push_back(name + ": a text does not fit: " + text);
            open.EndDialog(platform::IdCancel);
        });
        dialog.DoModal();
        for (const std::string& p : user.problems())
            problems.push_back(name + ": " + p);
    }
};

bool sampleProcesses(std::vector<std::string>& names) {
    names = {"explorer.exe", "svchost.exe",  "EFALCON.EXE", "taskmgr.exe", "Glowbridge.exe",
             "winlogon.exe", "services.exe", "lsass.exe",   "csrss.exe",   "spoolsv.exe"};
    return true;
}

// The right click on the tray icon while the card is open and no transfer runs: the pop-up with
// "&Start transfer" in bold and "&Stop transfer" greyed, "&Configuration" opened by the keyboard.
class TrayMenuShot : public platform::LoopWindowHandler {
public:
    explicit TrayMenuShot(Studio& studio) : studio_(studio) {}

    void run(const std::string& name) {
        name_ = name;
        window_ = platform::createLoopWindow(this);
        ui::CSystemTray tray;
        tray.Create(nullptr, WM_TRAYNOTIFY, "Glowbridge (ISA) 2.101 SP2",
                    ui::CSystemTray::InformationIcon(), IDR_TRAYMENU);
        tray.SetMenuDefaultItem(ID_TRANSFER_START, false);
        tray.SetIcon(IDI_TRAY_IDLE);
        tray.SetTargetWindow(window_, this);
        placeCursor(40, 40);
        platform::setWindowTimer(window_, 1, 200);
        // Returns when the menu closes.
        if (tray.OnTrayNotification(IDR_TRAYMENU, ui::TrayRightButtonUp) != 1)
            studio_.problems.push_back(name + ": the tray menu did not open");
        platform::killWindowTimer(window_, 1);
        platform::destroyLoopWindow(window_);
        if (step_ != Step::Done)
            studio_.problems.push_back(name + ": the menu closed before its picture");
    }

    void onTimer(unsigned) override {
        // While the menu is tracked, its loop dispatches this timer.
        const std::vector<WindowHandle> menus = shownMenus();
        if (step_ == Step::OpenSubMenu && !menus.empty()) {
            // About, Help, Configuration; Right opens the sub-menu.
            for (int i = 0; i < 3; ++i)
                pressMenuKey(window_, MenuKey::Down);
            pressMenuKey(window_, MenuKey::Right);
            step_ = Step::Capture;
        } else if (step_ == Step::Capture && menus.size() == 2) {
            if (!captureWindows(menus, studio_.path(name_)))
                studio_.problems.push_back("cannot capture " + name_);
            step_ = Step::Done;
            endMenu();
        } else if (++ticks_ > 25) {
            studio_.problems.push_back(name_ + ": the menu and its sub-menu did not show");
            step_ = Step::Done;
            endMenu();
        }
    }
    void onCommand(unsigned command) override {
        studio_.problems.push_back(name_ + ": unexpected command " + std::to_string(command));
    }
    void onClose() override {}
    bool isCommandEnabled(unsigned command) override { return command != ID_TRANSFER_STOP; }

private:
    Studio& studio_;
    std::string name_;
    platform::LoopWindow window_ = nullptr;
    enum class Step {
        OpenSubMenu,
        Capture,
        Done,
    } step_ = Step::OpenSubMenu;
    int ticks_ = 0;
};

struct Shot {
    const char* name;
    void (*take)(Studio& studio, const std::string& name);
};

const Shot kShots[] = {
    {"tray-menu", [](Studio& s, const std::string& name) { TrayMenuShot(s).run(name); }},
    {"general-config",
     [](Studio& s, const std::string& name) {
         ui::CGeneralConfigDlg dlg(nullptr, sampleProcesses);
         dlg.checkProcess = s.checkProcess;
         dlg.checkPeriod = s.checkPeriod;
         dlg.readPeriod = s.readPeriod;
         s.show(dlg, name);
     }},
    {"process-select",
     [](Studio& s, const std::string& name) {
         ui::CProcessSelectDlg dlg(nullptr, sampleProcesses);
         s.show(dlg, name, [](DialogScript& d) { d.select(IDC_PROCESS_LIST, "EFALCON.EXE"); });
     }},
    {"qp-flag-list",
     [](Studio& s, const std::string& name) {
         ui::CDefinitionListDlg dlg(ui::CDefinitionListDlg::QpFlags, s.listContext());
         s.show(dlg, name);
     }},
    {"ph-flag-list",
     [](Studio& s, const std::string& name) {
         ui::CDefinitionListDlg dlg(ui::CDefinitionListDlg::PhFlags, s.listContext());
         s.show(dlg, name);
     }},
    {"analog-list",
     [](Studio& s, const std::string& name) {
         ui::CDefinitionListDlg dlg(ui::CDefinitionListDlg::AnalogValues, s.listContext());
         s.show(dlg, name);
     }},
    {"qp-flag",
     [](Studio& s, const std::string& name) {
         ui::CQpFlagDlg dlg(s.card);
         dlg.catalog = ElementCatalog;
         dlg.entry = s.definition("Eyebrow Lights", "MasterCaution");
         s.show(dlg, name);
     }},
    {"ph-flag",
     [](Studio& s, const std::string& name) {
         ui::CPhFlagDlg dlg(s.card);
         dlg.catalog = ElementCatalog;
         dlg.entry = s.definition("Caution Lights", "Hook");
         s.show(dlg, name, [](DialogScript& d) { d.click(IDC_BINARY_FORMAT); });
     }},
    {"analog-data",
     [](Studio& s, const std::string& name) {
         ui::CAnalogDataDlg dlg(s.card);
         dlg.catalog = ElementCatalog;
         dlg.entry = s.definition("Primary Data", "KIAS");
         s.show(dlg, name);
     }},
    {"test-flag",
     [](Studio& s, const std::string& name) {
         ui::CTestFlagDlg dlg(s.card);
         const Definition d = s.definition("Eyebrow Lights", "MasterCaution");
         dlg.testRecord.setElementText(d.elementName);
         dlg.testRecord.qpOn = d.qpOn;
         dlg.testRecord.qpOff = d.qpOff;
         s.show(dlg, name);
     }},
    {"test-analog",
     [](Studio& s, const std::string& name) {
         ui::CTestAnalogDlg dlg(s.card);
         const Definition d = s.definition("Primary Data", "KIAS");
         dlg.testRecord.setElementText(d.elementName);
         dlg.testRecord.phNumber = d.phNumber;
         dlg.testRecord.phByte = d.phByte;
         dlg.testRecord.multiplier = d.multi;
         dlg.testRecord.offset = d.offset;
         s.show(dlg, name,
                [](DialogScript& d) { d.type(IDC_FALCON_VALUE, "250").click(IDC_CONVERT); });
     }},
    {"about",
     [](Studio& s, const std::string& name) {
         ui::CAboutDlg dlg;
         s.show(dlg, name);
     }},
};

int usage() {
    std::fprintf(stderr, "usage: glowbridge-screenshots [--sample INI] [--fonts DIR] OUTDIR "
                         "[NAME...]\n"
                         "       glowbridge-screenshots --list\n");
    return 2;
}

} // namespace

} // namespace gb::shots

int main(int argc, char** argv) {
    using namespace gb::shots;
    Studio studio;
    studio.sample = "Glowbridge.ini";
    std::vector<std::string> names;
    std::string fonts;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--list") {
            for (const Shot& shot : kShots)
                std::printf("%s\n", shot.name);
            return 0;
        } else if (arg == "--sample" && i + 1 < argc) {
            studio.sample = argv[++i];
        } else if (arg == "--fonts" && i + 1 < argc) {
            fonts = argv[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            return usage();
        } else if (studio.outDir.empty()) {
            studio.outDir = arg;
        } else {
            names.push_back(arg);
        }
    }
    if (studio.outDir.empty()) return usage();
    if (!fonts.empty() && !useWineFonts(fonts)) {
        std::fprintf(stderr, "glowbridge-screenshots: Wine's fonts are not in %s\n", fonts.c_str());
        return 1;
    }
    gb::ui::setApplicationTitle("Glowbridge");
    if (!studio.load()) {
        std::fprintf(stderr, "glowbridge-screenshots: cannot read the definitions of %s\n",
                     studio.sample.c_str());
        return 1;
    }
    int taken = 0;
    for (const Shot& shot : kShots) {
        bool wanted = names.empty();
        for (const std::string& n : names)
            wanted = wanted || n == shot.name;
        if (!wanted) continue;
        const std::size_t before = studio.problems.size();
        shot.take(studio, shot.name);
        if (studio.problems.size() == before) {
            std::printf("%s\n", studio.path(shot.name).c_str());
            ++taken;
        }
    }
    for (const std::string& p : studio.problems)
        std::fprintf(stderr, "glowbridge-screenshots: %s\n", p.c_str());
    std::fflush(stdout);
    return studio.problems.empty() && taken > 0 ? 0 : 1;
}
