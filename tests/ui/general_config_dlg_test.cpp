// Scenarios of the general configuration and process selection dialogs, written once: natively
// against the headless controls, under Wine against the real dialogs from the resource script.

#include "ui/dialog_ids.h"
#include "ui/dialogs/general_config_dlg.h"
#include "ui/framework/dialog_console.h"
#include "ui/framework/scripted_user.h"

#include <gtest/gtest.h>

namespace gb::ui {
namespace {

using platform::IdCancel;
using platform::IdOk;

constexpr unsigned Exclamation = platform::MbOk | platform::MbIconWarning;

class GeneralConfig : public ::testing::Test {
protected:
    GeneralConfig() {
        dlg.checkProcess = "EFALCON.EXE";
        dlg.checkPeriod = 4000;
        dlg.readPeriod = 100;
    }

    void expectNoProblems() { EXPECT_EQ(user.problems(), std::vector<std::string>{}); }

    std::vector<std::string> running = {"explorer.exe", "EFALCON.EXE", "svchost.exe", "svchost.exe",
                                        "Aux.exe"};
    ScriptedUser user;
    ScopedUser scope{user};
    CGeneralConfigDlg dlg{nullptr, [this](std::vector<std::string>& names) {
                              names = running;
                              return true;
                          }};
};

TEST_F(GeneralConfig, OpensWithItsTemplateAndTheFields) {
    user.expectDialog(IDD_GENERAL_CONFIG)
        .then([](Dialog& d) {
            EXPECT_EQ(d.GetWindowText(), " Glowbridge Configuration");
            EXPECT_EQ(
                d.Window()->childIds(),
                (std::vector<int>{-1, -1, IDC_CHECK_PROCESS, IDC_SEARCH_PROCESS, -1, -1,
                                  IDC_CHECK_PERIOD, -1, -1, IDC_READ_PERIOD, -1, IdOk, IdCancel}));
            EXPECT_EQ(d.GetControl(IDC_SEARCH_PROCESS).GetWindowText(), "&Search...");
            EXPECT_EQ(d.GetControl(IdOk).GetWindowText(), "&OK");
            EXPECT_EQ(d.GetEdit(IDC_CHECK_PROCESS).GetLimitText(), 259u);
            EXPECT_EQ(d.GetFocusId(), IDC_CHECK_PROCESS);
        })
        .expectText(IDC_CHECK_PROCESS, "EFALCON.EXE")
        .expectText(IDC_CHECK_PERIOD, "4000")
        .expectText(IDC_READ_PERIOD, "100")
        .click(IdCancel);
    EXPECT_EQ(dlg.DoModal(), IdCancel);
    expectNoProblems();
}

struct Refusal {
    int control;
    const char* typed;
    const char* message;
};

void PrintTo(const Refusal& r, std::ostream* os) {
    *os << r.control << " \"" << r.typed << "\"";
}

class GeneralConfigRange : public GeneralConfig, public ::testing::WithParamInterface<Refusal> {};

TEST_P(GeneralConfigRange, OkIsRefusedWithTheRangeMessageAndTheDialogStaysOpen) {
    const Refusal r = GetParam();
    user.expectDialog(IDD_GENERAL_CONFIG)
        .type(r.control, r.typed)
        .click(IdOk)
        .expectBox(r.message, "Glowbridge", Exclamation)
        .expectFocus(r.control)
        .expectOpen()
        .click(IdCancel);
    EXPECT_EQ(dlg.DoModal(), IdCancel);
    expectNoProblems();
    ASSERT_EQ(user.boxes().size(), 1u);
    EXPECT_EQ(user.boxes()[0].dialogId, static_cast<unsigned>(IDD_GENERAL_CONFIG));
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, GeneralConfigRange,
    ::testing::Values(
        Refusal{IDC_CHECK_PERIOD, "99", "Please enter an integer between 100 and 10000."},
        Refusal{IDC_CHECK_PERIOD, "10001", "Please enter an integer between 100 and 10000."},
        Refusal{IDC_READ_PERIOD, "49", "Please enter an integer between 50 and 2000."},
        Refusal{IDC_READ_PERIOD, "2001", "Please enter an integer between 50 and 2000."},
        Refusal{IDC_READ_PERIOD, "", "Please enter a positive integer."}));

// An edit without horizontal scrolling takes no more digits than it shows, so a number too large
// for 32 bits can only arrive by setting the text.
TEST_F(GeneralConfig, ANumberBeyondThirtyTwoBitsIsNotANumber) {
    user.expectDialog(IDD_GENERAL_CONFIG)
        .then([](Dialog& d) { d.GetEdit(IDC_CHECK_PERIOD).SetWindowText("4294967296"); })
        .click(IdOk)
        .expectBox("Please enter a positive integer.", "Glowbridge", Exclamation)
        .expectFocus(IDC_CHECK_PERIOD)
        .click(IdCancel);
    EXPECT_EQ(dlg.DoModal(), IdCancel);
    expectNoProblems();
    EXPECT_EQ(dlg.checkPeriod, 4000u);
}

TEST_F(GeneralConfig, TheBoundsThemselvesAreAccepted) {
    for (const auto& [check, read] : {std::pair{"100", "50"}, std::pair{"10000", "2000"}}) {
        user.expectDialog(IDD_GENERAL_CONFIG)
            .type(IDC_CHECK_PERIOD, check)
            .type(IDC_READ_PERIOD, read)
            .click(IdOk)
            .expectNoBox();
        EXPECT_EQ(dlg.DoModal(), IdOk);
        EXPECT_EQ(std::to_string(dlg.checkPeriod), check);
        EXPECT_EQ(std::to_string(dlg.readPeriod), read);
    }
    expectNoProblems();
}

TEST_F(GeneralConfig, TheFirstFailingCheckStopsTheExchangeAfterStoringWhatCameBefore) {
    user.expectDialog(IDD_GENERAL_CONFIG)
        .type(IDC_CHECK_PROCESS, "SIM.EXE")
        .type(IDC_CHECK_PERIOD, "50")
        .type(IDC_READ_PERIOD, "5")
        .click(IdOk)
        .expectBox("Please enter an integer between 100 and 10000.", "Glowbridge", Exclamation)
        .expectNoBox()
        .click(IdCancel);
    EXPECT_EQ(dlg.DoModal(), IdCancel);
    expectNoProblems();
    EXPECT_EQ(dlg.checkProcess, "SIM.EXE");
    EXPECT_EQ(dlg.checkPeriod, 50u);
    EXPECT_EQ(dlg.readPeriod, 100u);
}

TEST_F(GeneralConfig, CancelChangesNothingAfterTyping) {
    user.expectDialog(IDD_GENERAL_CONFIG)
        .type(IDC_CHECK_PROCESS, "OTHER.EXE")
        .type(IDC_CHECK_PERIOD, "5000")
        .type(IDC_READ_PERIOD, "200")
        .click(IdCancel);
    EXPECT_EQ(dlg.DoModal(), IdCancel);
    expectNoProblems();
    EXPECT_TRUE(user.boxes().empty());
    EXPECT_EQ(dlg.checkProcess, "EFALCON.EXE");
    EXPECT_EQ(dlg.checkPeriod, 4000u);
    EXPECT_EQ(dlg.readPeriod, 100u);
}

TEST_F(GeneralConfig, DigitsOnlyEditsDropTypedSignsButTakeSetText) {
    user.expectDialog(IDD_GENERAL_CONFIG)
        .type(IDC_CHECK_PERIOD, "-2500")
        .expectText(IDC_CHECK_PERIOD, "2500")
        .then([](Dialog& d) { d.GetEdit(IDC_READ_PERIOD).SetWindowText("-75"); })
        .click(IdOk)
        .expectBox("Please enter a positive integer.", "Glowbridge", Exclamation)
        .expectFocus(IDC_READ_PERIOD)
        .type(IDC_READ_PERIOD, "75")
        .click(IdOk);
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    EXPECT_EQ(dlg.checkPeriod, 2500u);
    EXPECT_EQ(dlg.readPeriod, 75u);
}

TEST_F(GeneralConfig, SearchThenCancelKeepsTheNameButRefreshesEveryControl) {
    user.expectDialog(IDD_GENERAL_CONFIG)
        .type(IDC_CHECK_PROCESS, "typed.exe")
        .type(IDC_CHECK_PERIOD, "777")
        .click(IDC_SEARCH_PROCESS)
        .expectText(IDC_CHECK_PROCESS, "EFALCON.EXE")
        .expectText(IDC_CHECK_PERIOD, "4000")
        .expectText(IDC_READ_PERIOD, "100")
        .click(IdCancel);
    user.expectDialog(IDD_PROCESS_SELECT)
        .then([](Dialog& d) { EXPECT_EQ(d.GetWindowText(), " Select Falcon Process"); })
        .select(IDC_PROCESS_LIST, "Aux.exe")
        .click(IdCancel);
    EXPECT_EQ(dlg.DoModal(), IdCancel);
    expectNoProblems();
    EXPECT_EQ(dlg.checkProcess, "EFALCON.EXE");
}

TEST_F(GeneralConfig, SearchListsEveryProcessSortedAndADoubleClickPicksOne) {
    user.expectDialog(IDD_GENERAL_CONFIG)
        .click(IDC_SEARCH_PROCESS)
        .expectText(IDC_CHECK_PROCESS, "svchost.exe")
        .expectText(IDC_CHECK_PERIOD, "4000")
        .click(IdOk);
    user.expectDialog(IDD_PROCESS_SELECT)
        .then([](Dialog& d) {
            ListBox list = d.GetListBox(IDC_PROCESS_LIST);
            std::vector<std::string> shown;
            for (int i = 0; i < list.GetCount(); ++i)
                shown.push_back(list.GetText(i));
            EXPECT_EQ(shown, (std::vector<std::string>{"Aux.exe", "EFALCON.EXE", "explorer.exe",
                                                       "svchost.exe", "svchost.exe"}));
            EXPECT_EQ(list.GetCurSel(), -1);
        })
        .doubleClick(IDC_PROCESS_LIST, "svchost.exe");
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    EXPECT_EQ(dlg.checkProcess, "svchost.exe");
}

TEST_F(GeneralConfig, OkWithoutASelectionAsksForOneAndKeepsTheListOpen) {
    user.expectDialog(IDD_GENERAL_CONFIG).click(IDC_SEARCH_PROCESS).click(IdOk);
    user.expectDialog(IDD_PROCESS_SELECT)
        .click(IdOk)
        .expectBox("Please select a process", "Error", Exclamation)
        .expectFocus(IDC_PROCESS_LIST)
        .expectOpen()
        .select(IDC_PROCESS_LIST, "EFALCON.EXE")
        .click(IdOk);
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    ASSERT_EQ(user.boxes().size(), 1u);
    EXPECT_EQ(user.boxes()[0].dialogId, static_cast<unsigned>(IDD_PROCESS_SELECT));
    EXPECT_EQ(dlg.checkProcess, "EFALCON.EXE");
}

TEST_F(GeneralConfig, NoSnapshotLeavesTheListEmpty) {
    CGeneralConfigDlg noList(nullptr, [](std::vector<std::string>&) { return false; });
    user.expectDialog(IDD_GENERAL_CONFIG).click(IDC_SEARCH_PROCESS).click(IdCancel);
    user.expectDialog(IDD_PROCESS_SELECT)
        .then([](Dialog& d) { EXPECT_EQ(d.GetListBox(IDC_PROCESS_LIST).GetCount(), 0); })
        .click(IdCancel);
    EXPECT_EQ(noList.DoModal(), IdCancel);
    expectNoProblems();
}

TEST_F(GeneralConfig, TheDefaultListShowsTheSystemsSnapshotWithThisProgramInIt) {
    CProcessSelectDlg select;
    user.expectDialog(IDD_PROCESS_SELECT)
        .then([](Dialog& d) {
            ListBox list = d.GetListBox(IDC_PROCESS_LIST);
            bool found = false;
            for (int i = 0; i < list.GetCount(); ++i) {
                found = found || list.GetText(i).rfind("ui_dialogs_test", 0) == 0;
            }
            EXPECT_TRUE(found);
        })
        .click(IdCancel);
    EXPECT_EQ(select.DoModal(), IdCancel);
    expectNoProblems();
}

TEST_F(GeneralConfig, AFullLengthProcessNameSurvivesOkAndTypingStopsThere) {
    const std::string stored = "C:\\" + std::string(252, 'x') + ".EXE";
    ASSERT_EQ(stored.size(), 259u);
    dlg.checkProcess = stored;
    user.expectDialog(IDD_GENERAL_CONFIG).click(IdOk).expectNoBox();
    EXPECT_EQ(dlg.DoModal(), IdOk);
    EXPECT_EQ(dlg.checkProcess, stored);

    user.expectDialog(IDD_GENERAL_CONFIG)
        .type(IDC_CHECK_PROCESS, std::string(300, 'y'))
        .click(IdOk)
        .expectNoBox();
    EXPECT_EQ(dlg.DoModal(), IdOk);
    EXPECT_EQ(dlg.checkProcess, std::string(259, 'y'));
    expectNoProblems();
}

TEST_F(GeneralConfig, ANameLongerThanTheSettingHoldsIsReportedNotCut) {
    dlg.checkProcess = std::string(260, 'z');
    user.expectDialog(IDD_GENERAL_CONFIG)
        .click(IdOk)
        .expectBox("Please enter no more than 259 characters.", "Glowbridge", Exclamation)
        .expectFocus(IDC_CHECK_PROCESS)
        .type(IDC_CHECK_PROCESS, "SHORT.EXE")
        .click(IdOk);
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    EXPECT_EQ(dlg.checkProcess, "SHORT.EXE");
}

TEST_F(GeneralConfig, ConsoleLinesDriveTheInnermostOpenDialog) {
    std::string reply;
    EXPECT_FALSE(runDialogCommand("show", reply));
    user.expectDialog(IDD_GENERAL_CONFIG).then([&reply](Dialog&) {
        ASSERT_TRUE(runDialogCommand("type 1014 250", reply));
        EXPECT_NE(reply.find("[dialog 134 \" Glowbridge Configuration\"]"), std::string::npos);
        EXPECT_NE(reply.find("1014*: \"250\""), std::string::npos) << reply;
        runDialogCommand("click 99", reply);
        EXPECT_EQ(reply, "no control 99\n");
        runDialogCommand("column 1014 2147483648", reply);
        EXPECT_EQ(reply, "no column \"2147483648\"\n");
        runDialogCommand("frobnicate", reply);
        EXPECT_EQ(reply.rfind("usage:", 0), 0u);
        runDialogCommand("click 1011", reply);
        EXPECT_NE(reply.find("1010: \"Aux.exe\""), std::string::npos) << reply;
        runDialogCommand("click 1", reply);
        EXPECT_EQ(reply, "[dialog closed]\n");
    });
    user.expectDialog(IDD_PROCESS_SELECT).then([&reply](Dialog&) {
        runDialogCommand("select 1012 nothing.exe", reply);
        EXPECT_EQ(reply, "no entry \"nothing.exe\"\n");
        runDialogCommand("dblclick 1012 Aux.exe", reply);
    });
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    // Search put the fields back into the controls: the typed 250 was never accepted.
    EXPECT_EQ(dlg.checkPeriod, 4000u);
    EXPECT_EQ(dlg.checkProcess, "Aux.exe");
}

} // namespace
} // namespace gb::ui
