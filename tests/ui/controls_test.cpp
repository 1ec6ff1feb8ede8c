// The control wrappers and the dialog framework against the backend of the build: the headless
// twins natively, the real controls under Wine. Every check runs inside the open dialog, as a step
// of the scripted user.

#include "platform/event_loop.h"
#include "tests/ui/test_dialog_ids.h"
#include "ui/framework/data_exchange.h"
#include "ui/framework/dialog.h"
#include "ui/framework/scripted_user.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace gb::ui {
namespace {

using platform::IdCancel;
using platform::IdOk;

const std::vector<std::string> Unsorted = {"Zulu", "alpha", "10", "Mike", "Charlie", "9", "bravo"};
const std::vector<std::string> Sorted = {"10", "9", "alpha", "bravo", "Charlie", "Mike", "Zulu"};

class ControlsDlg : public Dialog {
public:
    ControlsDlg() : Dialog(IDD_TEST_CONTROLS) {
        OnCommand(IDC_CHECK, [this] { ++checkClicks; });
        OnNotify(IDC_SORTED_LIST, Notify::DoubleClicked, [this](int) { ++doubleClicks; });
        OnNotify(IDC_SORTED_COMBO, Notify::SelectionChanged, [this](int) { ++selectionChanges; });
        OnNotify(IDC_SORTED_VIEW, Notify::ColumnClicked, [this](int c) { lastColumn = c; });
    }

    int checkClicks = 0;
    int doubleClicks = 0;
    int selectionChanges = 0;
    int lastColumn = -1;
    bool exchangeNumbers = false;
    std::int32_t intValue = 0;
    double doubleValue = 0;

protected:
    void DoDataExchange(DataExchange& dx) override {
        if (!exchangeNumbers) return;
        dx.Text(IDC_TEXT_EDIT, intValue);
        dx.MinMax(intValue, INT_MIN, INT_MAX);
        dx.Text(IDC_NUMBER_EDIT, doubleValue);
        dx.MinMax(doubleValue, -99999.0, 99999.0);
    }
};

class Controls : public ::testing::Test {
protected:
    // Runs `body` inside the open dialog, then cancels it.
    void inDialog(const std::function<void(ControlsDlg&)>& body) {
        user.expectDialog(IDD_TEST_CONTROLS)
            .then([&](Dialog& d) { body(static_cast<ControlsDlg&>(d)); })
            .click(IdCancel);
        EXPECT_EQ(dlg.DoModal(), IdCancel);
        EXPECT_EQ(user.problems(), std::vector<std::string>{});
    }

    static std::vector<std::string> entries(const ListControl& list) {
        std::vector<std::string> out;
        for (int i = 0; i < list.GetCount(); ++i)
            out.push_back(list.GetText(i));
        return out;
    }
    static std::vector<std::string> rows(const ListView& view, int column = 0) {
        std::vector<std::string> out;
        for (int i = 0; i < view.GetItemCount(); ++i)
            out.push_back(view.GetItemText(i, column));
        return out;
    }

    ScriptedUser user;
    ScopedUser scope{user};
    ControlsDlg dlg;
};

TEST_F(Controls, SortedKindsInsertIgnoringCaseByCharacterAndKeepItemData) {
    inDialog([](ControlsDlg& d) {
        ComboBox sorted = d.GetComboBox(IDC_SORTED_COMBO);
        ComboBox unsorted = d.GetComboBox(IDC_UNSORTED_COMBO);
        ListBox list = d.GetListBox(IDC_SORTED_LIST);
        ListView view = d.GetListView(IDC_SORTED_VIEW);
        view.InsertColumn(0, "Entry", ColumnAlign::Left, 90);
        for (std::size_t i = 0; i < Unsorted.size(); ++i) {
            const ItemData data = static_cast<ItemData>(i) + 100;
            ASSERT_TRUE(sorted.SetItemData(sorted.AddString(Unsorted[i]), data));
            ASSERT_TRUE(list.SetItemData(list.AddString(Unsorted[i]), data));
            unsorted.AddString(Unsorted[i]);
            view.InsertItem(static_cast<int>(i), Unsorted[i], data);
        }
        EXPECT_EQ(entries(sorted), Sorted);
        EXPECT_EQ(entries(list), Sorted);
        EXPECT_EQ(rows(view), Sorted);
        EXPECT_EQ(entries(unsorted), Unsorted);
        // "alpha" went in second: its data followed it to position 2.
        EXPECT_EQ(sorted.GetItemData(2), 101);
        EXPECT_EQ(list.GetItemData(2), 101);
        EXPECT_EQ(view.GetItemData(2), 101);
        EXPECT_EQ(unsorted.InsertString(0, "first"), 0);
        EXPECT_EQ(unsorted.GetText(0), "first");
    });
}

TEST_F(Controls, SelectionByExactTextIgnoresCaseButNotPrefixesAndKeepsDuplicates) {
    inDialog([](ControlsDlg& d) {
        ComboBox combo = d.GetComboBox(IDC_SORTED_COMBO);
        for (const std::string& s : Unsorted)
            combo.AddString(s);
        EXPECT_EQ(combo.GetCurSel(), -1);
        EXPECT_EQ(combo.GetSelectedText(), "");
        EXPECT_EQ(combo.FindStringExact(-1, "ALPHA"), 2);
        EXPECT_EQ(combo.FindStringExact(-1, "alp"), -1);
        EXPECT_EQ(combo.SelectStringExact("mike"), 5);
        EXPECT_EQ(combo.GetSelectedText(), "Mike");
        EXPECT_EQ(combo.GetWindowText(), "Mike");
        EXPECT_EQ(combo.SelectStringExact("Mik"), -1);
        EXPECT_EQ(combo.GetSelectedText(), "Mike");
        combo.SetCurSel(-1);
        EXPECT_EQ(combo.GetCurSel(), -1);

        ListBox list = d.GetListBox(IDC_SORTED_LIST);
        list.AddString("b.exe");
        list.AddString("A.EXE");
        list.AddString("b.exe");
        EXPECT_EQ(entries(list), (std::vector<std::string>{"A.EXE", "b.exe", "b.exe"}));
        EXPECT_EQ(list.FindStringExact(1, "B.EXE"), 2);
        EXPECT_EQ(list.FindStringExact(2, "b.exe"), 1);
        EXPECT_EQ(list.DeleteString(0), 2);
        list.ResetContent();
        EXPECT_EQ(list.GetCount(), 0);
    });
}

int byData(ItemData a, ItemData b, ItemData direction) {
    return static_cast<int>((a - b) * direction);
}

TEST_F(Controls, ListViewColumnsRowsSortingAndSingleSelection) {
    inDialog([](ControlsDlg& d) {
        ListView view = d.GetListView(IDC_PLAIN_VIEW);
        EXPECT_EQ(view.InsertColumn(0, "Entry", ColumnAlign::Left, 90), 0);
        EXPECT_EQ(view.InsertColumn(1, "QP# On", ColumnAlign::Right, 55), 1);
        EXPECT_EQ(view.GetColumnCount(), 2);
        EXPECT_EQ(view.GetColumnHeading(1), "QP# On");
        view.SetExtendedStyle(LvGridLines | LvFullRowSelect, LvGridLines | LvFullRowSelect);
        EXPECT_EQ(view.GetExtendedStyle() & (LvGridLines | LvFullRowSelect),
                  LvGridLines | LvFullRowSelect);

        // Not sorted by the control: each row goes where it is put.
        for (int i = 0; i < 4; ++i) {
            const int row = view.InsertItem(0, "row" + std::to_string(i), i);
            EXPECT_EQ(row, 0);
            EXPECT_TRUE(view.SetItemText(row, 1, "00" + std::to_string(i)));
        }
        EXPECT_EQ(rows(view), (std::vector<std::string>{"row3", "row2", "row1", "row0"}));
        ASSERT_TRUE(view.SortItems(byData, 1));
        EXPECT_EQ(rows(view, 1), (std::vector<std::string>{"000", "001", "002", "003"}));
        ASSERT_TRUE(view.SortItems(byData, -1));
        EXPECT_EQ(rows(view), (std::vector<std::string>{"row3", "row2", "row1", "row0"}));
        EXPECT_EQ(view.GetItemData(0), 3);

        EXPECT_EQ(view.GetNextSelected(), -1);
        view.SetSelected(0, true);
        view.SetSelected(2, true);
        EXPECT_EQ(view.GetNextSelected(), 2);
        EXPECT_EQ(view.GetNextSelected(2), -1);
        EXPECT_TRUE(view.SetItemData(2, 42));
        EXPECT_EQ(view.GetItemData(2), 42);
        EXPECT_TRUE(view.DeleteItem(2));
        EXPECT_EQ(view.GetItemCount(), 3);
        EXPECT_EQ(view.GetNextSelected(), -1);
        view.DeleteAllItems();
        EXPECT_EQ(view.GetItemCount(), 0);
    });
}

TEST_F(Controls, DigitsOnlyAndLimitsApplyToTypingNotToSettingText) {
    inDialog([this](ControlsDlg& d) {
        DialogWindow* w = d.Window();
        Edit digits = d.GetEdit(IDC_DIGITS_EDIT);
        w->userType(IDC_DIGITS_EDIT, "12a-3 4");
        EXPECT_EQ(digits.GetWindowText(), "1234");
        digits.SetWindowText("-5x");
        EXPECT_EQ(digits.GetWindowText(), "-5x");
        w->userType(IDC_DIGITS_EDIT, "");
        EXPECT_EQ(digits.GetWindowText(), "");

        Edit text = d.GetEdit(IDC_TEXT_EDIT);
        text.LimitText(3);
        EXPECT_EQ(text.GetLimitText(), 3u);
        w->userType(IDC_TEXT_EDIT, "abcdef");
        EXPECT_EQ(text.GetWindowText(), "abc");
        text.SetWindowText("abcdef");
        EXPECT_EQ(text.GetWindowText(), "abcdef");
        EXPECT_EQ(d.GetFocusId(), IDC_TEXT_EDIT);
        d.GotoDlgCtrl(IDC_DIGITS_EDIT);
        EXPECT_EQ(d.GetFocusId(), IDC_DIGITS_EDIT);
        (void)this;
    });
}

TEST_F(Controls, ClicksSelectionsAndColumnsReachTheirHandlers) {
    user.expectDialog(IDD_TEST_CONTROLS)
        .then([](Dialog& d) {
            d.GetListBox(IDC_SORTED_LIST).AddString("one");
            d.GetListBox(IDC_SORTED_LIST).AddString("two");
            d.GetComboBox(IDC_SORTED_COMBO).AddString("x");
            d.GetListView(IDC_SORTED_VIEW).InsertColumn(0, "A", ColumnAlign::Left, 40);
            d.GetListView(IDC_SORTED_VIEW).InsertColumn(1, "B", ColumnAlign::Right, 40);
        })
        .click(IDC_CHECK)
        .doubleClick(IDC_SORTED_LIST, "two")
        .select(IDC_SORTED_COMBO, "x")
        .clickColumn(IDC_SORTED_VIEW, 1)
        .then([](Dialog& d) {
            EXPECT_TRUE(d.GetCheckBox(IDC_CHECK).GetCheck());
            EXPECT_EQ(d.GetListBox(IDC_SORTED_LIST).GetSelectedText(), "two");
            EXPECT_EQ(d.GetFocusId(), IDC_SORTED_COMBO);
        })
        .click(IDC_CHECK)
        .then([](Dialog& d) { EXPECT_FALSE(d.GetCheckBox(IDC_CHECK).GetCheck()); })
        .click(IdCancel);
    EXPECT_EQ(dlg.DoModal(), IdCancel);
    EXPECT_EQ(user.problems(), std::vector<std::string>{});
    EXPECT_EQ(dlg.checkClicks, 2);
    EXPECT_EQ(dlg.doubleClicks, 1);
    EXPECT_EQ(dlg.selectionChanges, 1);
    EXPECT_EQ(dlg.lastColumn, 1);
}

TEST_F(Controls, NumberExchangeRefusesNanInfinityAndRangeWithTheFrameworkMessage) {
    dlg.exchangeNumbers = true;
    dlg.doubleValue = 1.0;
    const unsigned style = platform::MbOk | platform::MbIconWarning;
    user.expectDialog(IDD_TEST_CONTROLS)
        .expectText(IDC_NUMBER_EDIT, "1")
        .then([](Dialog& d) {
            d.GetEdit(IDC_TEXT_EDIT).SetWindowText("-2147483648");
            d.GetEdit(IDC_NUMBER_EDIT).SetWindowText("nan");
            EXPECT_FALSE(d.UpdateData(true));
        })
        .expectBox("Please enter a number.", "Glowbridge", style)
        .expectFocus(IDC_NUMBER_EDIT)
        .then([](Dialog& d) {
            EXPECT_EQ(static_cast<ControlsDlg&>(d).intValue, INT_MIN);
            d.GetEdit(IDC_NUMBER_EDIT).SetWindowText("1e999");
            EXPECT_FALSE(d.UpdateData(true));
            d.GetEdit(IDC_NUMBER_EDIT).SetWindowText("99999.5");
            EXPECT_FALSE(d.UpdateData(true));
            d.GetEdit(IDC_TEXT_EDIT).SetWindowText("2147483648");
            EXPECT_FALSE(d.UpdateData(true));
            d.GetEdit(IDC_TEXT_EDIT).SetWindowText("2147483647");
            d.GetEdit(IDC_NUMBER_EDIT).SetWindowText(" -99999 ");
            EXPECT_TRUE(d.UpdateData(true));
        })
        .expectBox("Please enter a number.", "Glowbridge", style)
        .expectBox("Please enter a number between -99999 and 99999.", "Glowbridge", style)
        .expectBox("Please enter an integer.", "Glowbridge", style)
        .expectFocus(IDC_TEXT_EDIT)
        .expectNoBox()
        .click(IdCancel);
    EXPECT_EQ(dlg.DoModal(), IdCancel);
    EXPECT_EQ(user.problems(), std::vector<std::string>{});
    EXPECT_EQ(dlg.intValue, INT_MAX);
    EXPECT_EQ(dlg.doubleValue, -99999.0);
    ASSERT_EQ(user.boxes().size(), 4u);
    EXPECT_EQ(user.boxes()[0].dialogId, static_cast<unsigned>(IDD_TEST_CONTROLS));
}

// A dialog that ends itself as it opens, as an editor with nothing to offer does.
class SelfCancellingDlg : public ControlsDlg {
protected:
    bool OnInitDialog() override {
        ControlsDlg::OnInitDialog();
        MessageBox("No more entries to add!", "Information", platform::MbOk);
        PostCommand(IdCancel);
        return true;
    }
};

TEST_F(Controls, APostedCancelEndsTheDialogBeforeTheUserMeetsIt) {
    SelfCancellingDlg self;
    EXPECT_EQ(self.DoModal(), IdCancel);
    EXPECT_EQ(user.problems(), std::vector<std::string>{});
    ASSERT_EQ(user.boxes().size(), 1u);
    EXPECT_EQ(user.boxes()[0].text, "No more entries to add!");
    EXPECT_EQ(user.boxes()[0].dialogId, static_cast<unsigned>(IDD_TEST_CONTROLS));
}

TEST_F(Controls, DialogsWithoutOrLeftOpenByTheirScriptAreCancelledAndReported) {
    EXPECT_EQ(dlg.DoModal(), IdCancel);
    user.expectDialog(IDD_TEST_CONTROLS).expectOpen();
    EXPECT_EQ(dlg.DoModal(), IdCancel);
    user.expectDialog(IDD_TEST_CONTROLS + 1);
    EXPECT_EQ(dlg.DoModal(), IdCancel);
    EXPECT_EQ(user.problems(), (std::vector<std::string>{
                                   "dialog 900 opened without a script for it",
                                   "dialog 900 left open by its script",
                                   "dialog 900 opened without a script for it",
                                   "script for dialog 901 not used",
                               }));
}

// Like a person, this user leaves the dialog to whatever else happens.
class IdleUser : public ScriptedUser {
public:
    void dialogOpened(Dialog&) override {}
};

int g_ticks = 0;

void endAfterThreeTicks(platform::TimerId) {
    if (++g_ticks == 3) Dialog::Innermost()->EndDialog(IdOk);
}

TEST(ModalRun, TimersKeepFiringWhileADialogIsOpen) {
    IdleUser idle;
    ScopedUser scope(idle);
    ControlsDlg dlg;
    g_ticks = 0;
    const platform::TimerId timer = platform::setThreadTimer(20, endAfterThreeTicks);
    ASSERT_NE(timer, 0u);
    EXPECT_EQ(dlg.DoModal(), IdOk);
    platform::killThreadTimer(timer);
    EXPECT_EQ(g_ticks, 3);
}

TEST_F(Controls, LowerLayersBoxesReachTheInstalledUser) {
    user.queueAnswer(platform::IdNo);
    EXPECT_EQ(platform::messageBox(nullptr, "Delete?", "Question",
                                   platform::MbYesNo | platform::MbIconWarning),
              platform::IdNo);
    EXPECT_EQ(platform::messageBox(nullptr, "Again?", "Question",
                                   platform::MbYesNo | platform::MbDefButton2),
              platform::IdNo);
    ASSERT_EQ(user.boxes().size(), 2u);
    EXPECT_EQ(user.boxes()[0].caption, "Question");
    EXPECT_EQ(user.boxes()[1].dialogId, 0u);
}

} // namespace
} // namespace gb::ui
