// Scenarios of the definition list dialog in its three kinds, with the real editors nested in it,
// written once: natively against the headless controls, under Wine against the real ones. Every
// change is checked where it lands: the rows, the DefinitionList in memory, the definition file's
// bytes, and the file read back by the real definition loader as the next start reads it.

#include "cockpit/definition_file.h"
#include "cockpit/element_catalog.h"
#include "engine/device_binding.h"
#include "platform/file_attributes.h"
#include "settings/settings_files.h"
#include "ui/dialog_ids.h"
#include "ui/dialogs/definition_list_dlg.h"
#include "ui/framework/scripted_user.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace gb::ui {
namespace {

using namespace std::string_literals;
using platform::IdCancel;
using platform::IdNo;
using platform::IdOk;
using platform::IdYes;
using test::asWritten;
using test::fileExists;
using test::readBytes;
using test::writeBytes;

constexpr int Exit = IdOk;
constexpr unsigned DeleteQuestion =
    platform::MbYesNo | platform::MbIconWarning | platform::MbDefButton2;

// The bindings of a list as "Group/Element=value", the value as the dialogs write it ("c," for
// an inverted flag), "@" before a traced one.
std::vector<std::string> describe(const DefinitionList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count; ++i) {
        const Definition& d = *list.items[i];
        out.push_back(std::string(d.trace != 0 ? "@" : "") + d.groupName + "/" + d.elementName +
                      "=" + definitionValue(d));
    }
    return out;
}

// The rows as shown: the column texts joined by "|", then " #" and the row's item data.
std::vector<std::string> rowsOf(Dialog& d) {
    const ListView view = d.GetListView(IDC_DEFLIST_VIEW);
    const int columns = view.GetColumnCount();
    std::vector<std::string> rows;
    for (int r = 0; r < view.GetItemCount(); ++r) {
        std::string row;
        for (int c = 0; c < columns; ++c) {
            if (c > 0) row += '|';
            row += view.GetItemText(r, c);
        }
        rows.push_back(row + " #" + std::to_string(view.GetItemData(r)));
    }
    return rows;
}

std::vector<std::string> entriesOf(const ComboBox& box) {
    std::vector<std::string> out;
    for (int i = 0; i < box.GetCount(); ++i)
        out.push_back(box.GetText(i));
    return out;
}

// QP flags, PH flags and analog values in three groups; the flag in Caution Lights is inverted.
const std::string kDefinitions = "[Eyebrow Lights]\n"
                                 "MasterCaution=5\n"
                                 "TFFail=3,1,0b00010000\n"
                                 "EngFire=2,9\n"
                                 "[Caution Lights]\n"
                                 "FwdFuelLow=c,12,13\n"
                                 "ElecSys=3,2,16\n"
                                 "[Primary Data]\n"
                                 "KIAS=10,2,0.5,-3\n"
                                 "Mach=11,0\n";

class DefinitionListDialog : public ::testing::Test {
protected:
    void SetUp() override { clearSeen(); }
    void TearDown() override { clearSeen(); }

    // Writes the definition file (text-mode line ends, as an editor on this system saves it)
    // and loads it as the program's start does.
    void load(const std::string& text, const std::string& tail = "") {
        writeBytes(path, asWritten(text) + tail);
        ASSERT_GT(parseDefinitionFile(list, path.c_str()), 0);
    }

    int run(int kind) {
        dlg = std::make_unique<CDefinitionListDlg>(
            kind, DefinitionListContext{list, path.c_str(), ElementCatalog, binding});
        return dlg->DoModal();
    }

    // The file as the next start reads it; the catalogue's marks stay as the dialog left them.
    std::vector<std::string> reloaded() {
        std::uint8_t seen[kCatalogEntries];
        for (int i = 0; i < kCatalogEntries; ++i)
            seen[i] = ElementCatalog[i].seen;
        clearSeen();
        DefinitionList next;
        parseDefinitionFile(next, path.c_str());
        for (int i = 0; i < kCatalogEntries; ++i)
            ElementCatalog[i].seen = seen[i];
        return describe(next);
    }

    static bool seen(const char* group, const char* element) {
        const int pos = findElement(findGroup(group), element);
        return pos >= 0 && ElementCatalog[pos].seen == 1;
    }

    void expectNoProblems() { EXPECT_EQ(user.problems(), std::vector<std::string>{}); }

    test::TempFolder folder{"gb-deflist"};
    // Not ".ini": the dialog must write the file it was given, not "defs.txt.ini".
    std::string path = folder.file("defs.txt");
    DefinitionList list;
    DeviceBinding binding;
    ScriptedUser user;
    ScopedUser scope{user};
    std::unique_ptr<CDefinitionListDlg> dlg;
};

TEST_F(DefinitionListDialog, EachKindOpensWithItsTitleColumnsGroupsAndRows) {
    load(kDefinitions);
    struct Kind {
        int listKind;
        const char* title;
        std::vector<std::string> headings;
        std::size_t groups;
        std::vector<std::string> rows;
    };
    const Kind kinds[] = {
        {0,
         " Configuration and testing flags over QProc",
         {"Entry", "QP# On", "QP# Off"},
         13,
         {"EngFire|002|009 #2", "FwdFuelLow|012|013 #3", "MasterCaution|005|006 #0"}},
        {1,
         " Configuration and testing flags over Pigeon-holes",
         {"Entry", "PH#", "ID", "Bit"},
         13,
         {"ElecSys|003|2|16 #4", "TFFail|003|1|16 #1"}},
        {2,
         " Configuration and testing analog datas",
         {"Entry", "PH#", "ID", "Multipl.", "Offset"},
         4,
         {"KIAS|010|2|0.500000|-3 #5", "Mach|011|0|1.000000|0 #6"}},
    };
    for (const Kind& k : kinds) {
        user.expectDialog(IDD_DEFINITION_LIST)
            .then([&k](Dialog& d) {
                EXPECT_EQ(d.GetWindowText(), k.title);
                const ListView view = d.GetListView(IDC_DEFLIST_VIEW);
                std::vector<std::string> headings;
                for (int c = 0; c < view.GetColumnCount(); ++c)
                    headings.push_back(view.GetColumnHeading(c));
                EXPECT_EQ(headings, k.headings);
                EXPECT_EQ(view.GetExtendedStyle() & (LvGridLines | LvFullRowSelect),
                          LvGridLines | LvFullRowSelect);
                const ComboBox groups = d.GetComboBox(IDC_DEFLIST_GROUP);
                const std::vector<std::string> entries = entriesOf(groups);
                ASSERT_EQ(entries.size(), k.groups + 1);
                EXPECT_EQ(entries[0], "All datas");
                EXPECT_EQ(entries[1], k.listKind == 2 ? "Primary Data" : "Eyebrow Lights");
                EXPECT_EQ(groups.GetCurSel(), 0);
                EXPECT_EQ(rowsOf(d), k.rows);
                EXPECT_EQ(
                    d.Window()->childIds(),
                    (std::vector<int>{-1, IDC_DEFLIST_GROUP, IDC_DEFLIST_VIEW, IDC_DEFLIST_ADD,
                                      IDC_DEFLIST_MODIFY, IDC_DEFLIST_DELETE, Exit}));
                EXPECT_EQ(d.GetControl(IDC_DEFLIST_ADD).GetWindowText(), "&Add...");
                EXPECT_EQ(d.GetControl(IDC_DEFLIST_MODIFY).GetWindowText(), "&Modify...");
                EXPECT_EQ(d.GetControl(IDC_DEFLIST_DELETE).GetWindowText(), "&Delete");
                EXPECT_EQ(d.GetControl(Exit).GetWindowText(), "&Exit");
            })
            .click(Exit);
        EXPECT_EQ(run(k.listKind), IdOk);
    }
    // A kind out of range shows analog values, as the menu's third command does.
    user.expectDialog(IDD_DEFINITION_LIST)
        .expectText(0, " Configuration and testing analog datas")
        .click(Exit);
    run(7);
    expectNoProblems();
    EXPECT_EQ(readBytes(path), asWritten(kDefinitions));
}

// The group filter, and an Add and a Modify that end with Cancel: the rows are rebuilt for the
// filter and nothing else moves.
TEST_F(DefinitionListDialog, GroupFilterAndCancelledEditorsChangeNothing) {
    load(kDefinitions);
    user.expectDialog(IDD_DEFINITION_LIST)
        .select(IDC_DEFLIST_GROUP, "Caution Lights")
        .then([](Dialog& d) {
            EXPECT_EQ(rowsOf(d), std::vector<std::string>{"FwdFuelLow|012|013 #3"});
        })
        .click(IDC_DEFLIST_ADD)
        .select(IDC_DEFLIST_VIEW, "FwdFuelLow")
        .click(IDC_DEFLIST_MODIFY)
        .then([](Dialog& d) {
            EXPECT_EQ(rowsOf(d), std::vector<std::string>{"FwdFuelLow|012|013 #3"});
        })
        .select(IDC_DEFLIST_GROUP, "Gear Lights")
        .then([](Dialog& d) { EXPECT_TRUE(rowsOf(d).empty()); })
        .select(IDC_DEFLIST_GROUP, "All datas")
        .then([](Dialog& d) { EXPECT_EQ(rowsOf(d).size(), 3u); })
        .click(Exit);
    // The editor for Add offers the group's unbound flags only, sorted.
    user.expectDialog(IDD_QP_FLAG)
        .then([](Dialog& d) {
            const std::vector<std::string> offered = entriesOf(d.GetComboBox(IDC_ELEMENT));
            EXPECT_EQ(offered.size(), 27u);
            EXPECT_EQ(offered.front(), "AftFuelLow");
            EXPECT_EQ(std::count(offered.begin(), offered.end(), "FwdFuelLow"), 0);
            EXPECT_EQ(std::count(offered.begin(), offered.end(), "MasterCaution"), 0);
        })
        .select(IDC_ELEMENT, "Hook")
        .select(IDC_QP_ON, "040")
        .select(IDC_QP_OFF, "041")
        .click(IdCancel);
    user.expectDialog(IDD_QP_FLAG)
        .expectText(IDC_ELEMENT, "FwdFuelLow")
        .select(IDC_QP_ON, "099")
        .click(IdCancel);
    EXPECT_EQ(run(0), IdOk);
    expectNoProblems();
    EXPECT_TRUE(user.boxes().empty());
    EXPECT_EQ(list.count, 7);
    EXPECT_EQ(list.items[3]->qpOn, 12);
    EXPECT_FALSE(seen("Caution Lights", "Hook"));
    EXPECT_EQ(readBytes(path), asWritten(kDefinitions));
}

// The line goes under the catalogue's spelling; a missing section is appended at the end of the
// definition file itself. The element is bound from then on and not offered again.
TEST_F(DefinitionListDialog, AddWritesTheLineAndBindsTheElement) {
    const std::string text = "[Caution Lights]\nFwdFuelLow=12\n";
    load(text);
    user.expectDialog(IDD_DEFINITION_LIST)
        .select(IDC_DEFLIST_GROUP, "Eyebrow Lights")
        .click(IDC_DEFLIST_ADD)
        .then([](Dialog& d) {
            EXPECT_EQ(rowsOf(d), std::vector<std::string>{"MasterCaution|007|008 #1"});
        })
        .click(IDC_DEFLIST_ADD)
        .click(Exit);
    user.expectDialog(IDD_QP_FLAG)
        .select(IDC_ELEMENT, "MasterCaution")
        .select(IDC_QP_ON, "007")
        .select(IDC_QP_OFF, "008")
        .click(IdOk);
    user.expectDialog(IDD_QP_FLAG)
        .then([](Dialog& d) {
            EXPECT_LT(d.GetComboBox(IDC_ELEMENT).FindStringExact(-1, "MasterCaution"), 0);
            EXPECT_GE(d.GetComboBox(IDC_ELEMENT).FindStringExact(-1, "TFFail"), 0);
        })
        .click(IdCancel);
    run(0);
    expectNoProblems();
    EXPECT_TRUE(user.boxes().empty());
    EXPECT_EQ(describe(list), (std::vector<std::string>{"Caution Lights/FwdFuelLow=12,13",
                                                        "Eyebrow Lights/MasterCaution=7,8"}));
    EXPECT_TRUE(seen("Eyebrow Lights", "MasterCaution"));
    EXPECT_EQ(readBytes(path), asWritten(text + "\n[Eyebrow Lights]\nMasterCaution=7,8\n"));
    EXPECT_FALSE(fileExists(path + ".ini"));
    EXPECT_EQ(reloaded(), describe(list));
}

// A PH flag on a Pigeon-hole beyond those in use widens the range the transfer sends; a second
// line for an existing section goes directly below its header.
TEST_F(DefinitionListDialog, AddedPigeonHoleIsSentFromNowOn) {
    load(kDefinitions);
    ASSERT_EQ(list.phLow, 3);
    ASSERT_EQ(list.phHigh, 11);
    user.expectDialog(IDD_DEFINITION_LIST).click(IDC_DEFLIST_ADD).click(Exit);
    user.expectDialog(IDD_PH_FLAG)
        .select(IDC_ELEMENT, "Hook")
        .select(IDC_PH_NUMBER, "200")
        .select(IDC_PH_BYTE, "3")
        .type(IDC_BITS, "129")
        .click(IdOk);
    run(1);
    expectNoProblems();
    EXPECT_EQ(list.phHigh, 200);
    EXPECT_EQ(list.phLow, 3);
    ASSERT_EQ(list.count, 8);
    EXPECT_EQ(describe(list).back(), "Caution Lights/Hook=200,3,0b10000001");
    std::string expected = kDefinitions;
    expected.insert(expected.find("FwdFuelLow"), "Hook=200,3,0b10000001\n");
    EXPECT_EQ(readBytes(path), asWritten(expected));
    EXPECT_EQ(reloaded(), (std::vector<std::string>{
                              "Eyebrow Lights/MasterCaution=5,6",
                              "Eyebrow Lights/TFFail=3,1,0b00010000",
                              "Eyebrow Lights/EngFire=2,9",
                              "Caution Lights/Hook=200,3,0b10000001",
                              "Caution Lights/FwdFuelLow=c,12,13",
                              "Caution Lights/ElecSys=3,2,0b00010000",
                              "Primary Data/KIAS=10,2,0.500000,-3",
                              "Primary Data/Mach=11,0,1.000000,0",
                          }));
}

// The line is found as the file spells it: the header's case, the trace marker, the blank before
// "=". Modifying replaces that line and deleting empties it, so the next start reads one
// definition, or none, and keeps the trace; an inverted flag stays inverted.
TEST_F(DefinitionListDialog, ModifyAndDeleteHitTheLineAsTheFileSpellsIt) {
    const std::string text = "[eyebrow LIGHTS]\n"
                             "@mastercaution =5\n"
                             "  TFFail=3,1,16\n"
                             "[Caution Lights]\n"
                             "FwdFuelLow=c,12,13\n"
                             "EngFault = 20\n";
    load(text);
    user.expectDialog(IDD_DEFINITION_LIST)
        .select(IDC_DEFLIST_VIEW, "MasterCaution")
        .click(IDC_DEFLIST_MODIFY)
        .doubleClick(IDC_DEFLIST_VIEW, "FwdFuelLow")
        .then([](Dialog& d) {
            EXPECT_EQ(rowsOf(d),
                      (std::vector<std::string>{"EngFault|020|021 #3", "FwdFuelLow|030|031 #2",
                                                "MasterCaution|007|008 #0"}));
        })
        .select(IDC_DEFLIST_VIEW, "EngFault")
        .answerNextBox(IdYes)
        .click(IDC_DEFLIST_DELETE)
        .click(Exit);
    user.expectDialog(IDD_QP_FLAG)
        .then([](Dialog& d) {
            EXPECT_EQ(entriesOf(d.GetComboBox(IDC_ELEMENT)),
                      std::vector<std::string>{"MasterCaution"});
        })
        .select(IDC_QP_ON, "007")
        .select(IDC_QP_OFF, "008")
        .click(IdOk);
    user.expectDialog(IDD_QP_FLAG).select(IDC_QP_ON, "030").select(IDC_QP_OFF, "031").click(IdOk);
    run(0);
    expectNoProblems();
    EXPECT_EQ(list.items[0]->trace, 1);
    EXPECT_EQ(list.items[2]->invert, 1);
    EXPECT_EQ(readBytes(path), asWritten("[eyebrow LIGHTS]\n"
                                         "@mastercaution =7,8\n"
                                         "  TFFail=3,1,16\n"
                                         "[Caution Lights]\n"
                                         "FwdFuelLow=c,30,31\n"
                                         "EngFault =\n"));
    EXPECT_EQ(reloaded(), (std::vector<std::string>{"@Eyebrow Lights/MasterCaution=7,8",
                                                    "Eyebrow Lights/TFFail=3,1,0b00010000",
                                                    "Caution Lights/FwdFuelLow=c,30,31"}));

    // The indented PH flag and the traced QP flag go for good.
    user.expectDialog(IDD_DEFINITION_LIST)
        .select(IDC_DEFLIST_VIEW, "TFFail")
        .answerNextBox(IdYes)
        .click(IDC_DEFLIST_DELETE)
        .click(Exit);
    run(1);
    user.expectDialog(IDD_DEFINITION_LIST)
        .select(IDC_DEFLIST_VIEW, "MasterCaution")
        .answerNextBox(IdYes)
        .click(IDC_DEFLIST_DELETE)
        .click(Exit);
    run(0);
    expectNoProblems();
    EXPECT_EQ(reloaded(), std::vector<std::string>{"Caution Lights/FwdFuelLow=c,30,31"});
    EXPECT_EQ(readBytes(path), asWritten("[eyebrow LIGHTS]\n"
                                         "@mastercaution =\n"
                                         "  TFFail=\n"
                                         "[Caution Lights]\n"
                                         "FwdFuelLow=c,30,31\n"
                                         "EngFault =\n"));
}

// Delete asks first (No keeps everything); after Yes the key stays with nothing after "=", the
// row and the record go, and the rows left still reach their own records, also after a sort.
// The element is free to bind again, and binding it reuses its line.
TEST_F(DefinitionListDialog, DeleteAsksAndTheRowsLeftStillActOnTheirRecords) {
    load(kDefinitions);
    user.expectDialog(IDD_DEFINITION_LIST)
        .click(IDC_DEFLIST_DELETE) // nothing selected: nothing happens
        .click(IDC_DEFLIST_MODIFY)
        .expectNoBox()
        .select(IDC_DEFLIST_VIEW, "MasterCaution")
        .answerNextBox(IdNo)
        .click(IDC_DEFLIST_DELETE)
        .expectBox("You will delete the \"MasterCaution\"-Entry?", "Question", DeleteQuestion)
        .then([](Dialog& d) { EXPECT_EQ(rowsOf(d).size(), 3u); })
        .answerNextBox(IdYes)
        .click(IDC_DEFLIST_DELETE)
        .expectBox("You will delete the \"MasterCaution\"-Entry?", "Question", DeleteQuestion)
        .then([](Dialog& d) {
            EXPECT_EQ(rowsOf(d),
                      (std::vector<std::string>{"EngFire|002|009 #1", "FwdFuelLow|012|013 #2"}));
        })
        .clickColumn(IDC_DEFLIST_VIEW, 1)
        .clickColumn(IDC_DEFLIST_VIEW, 1)
        .select(IDC_DEFLIST_VIEW, "FwdFuelLow")
        .click(IDC_DEFLIST_MODIFY)
        .select(IDC_DEFLIST_VIEW, "EngFire")
        .answerNextBox(IdYes)
        .click(IDC_DEFLIST_DELETE)
        .then([](Dialog& d) {
            EXPECT_EQ(rowsOf(d), std::vector<std::string>{"FwdFuelLow|044|045 #1"});
        })
        .select(IDC_DEFLIST_GROUP, "Eyebrow Lights")
        .click(IDC_DEFLIST_ADD)
        .click(Exit);
    user.expectDialog(IDD_QP_FLAG)
        .expectText(IDC_ELEMENT, "FwdFuelLow")
        .select(IDC_QP_ON, "044")
        .select(IDC_QP_OFF, "045")
        .click(IdOk);
    user.expectDialog(IDD_QP_FLAG)
        .then([](Dialog& d) {
            const ComboBox elements = d.GetComboBox(IDC_ELEMENT);
            EXPECT_GE(elements.FindStringExact(-1, "MasterCaution"), 0);
            EXPECT_GE(elements.FindStringExact(-1, "EngFire"), 0);
        })
        .select(IDC_ELEMENT, "MasterCaution")
        .select(IDC_QP_ON, "007")
        .select(IDC_QP_OFF, "008")
        .click(IdOk);
    run(0);
    expectNoProblems();
    EXPECT_EQ(user.boxes().size(), 3u);
    const std::vector<std::string> expected = {
        "Eyebrow Lights/TFFail=3,1,0b00010000",  "Caution Lights/FwdFuelLow=c,44,45",
        "Caution Lights/ElecSys=3,2,0b00010000", "Primary Data/KIAS=10,2,0.500000,-3",
        "Primary Data/Mach=11,0,1.000000,0",     "Eyebrow Lights/MasterCaution=7,8"};
    EXPECT_EQ(describe(list), expected);
    EXPECT_TRUE(seen("Eyebrow Lights", "MasterCaution"));
    EXPECT_FALSE(seen("Eyebrow Lights", "EngFire"));
    EXPECT_EQ(readBytes(path), asWritten("[Eyebrow Lights]\n"
                                         "MasterCaution=7,8\n"
                                         "TFFail=3,1,0b00010000\n"
                                         "EngFire=\n"
                                         "[Caution Lights]\n"
                                         "FwdFuelLow=c,44,45\n"
                                         "ElecSys=3,2,16\n"
                                         "[Primary Data]\n"
                                         "KIAS=10,2,0.5,-3\n"
                                         "Mach=11,0\n"));
    // The file's order, not the list's: MasterCaution's line was reused.
    EXPECT_EQ(reloaded(), (std::vector<std::string>{expected[5], expected[0], expected[1],
                                                    expected[2], expected[3], expected[4]}));
}

// A first click on a header sorts ascending, a second descending, another column starts
// ascending; the rows keep their records.
TEST_F(DefinitionListDialog, SortingTwiceTurnsTheOrderAround) {
    load(kDefinitions + "[Gear Lights]\nNose=7,1\n");
    auto order = [](std::vector<std::string> names) {
        return [names](Dialog& d) {
            std::vector<std::string> shown;
            const ListView view = d.GetListView(IDC_DEFLIST_VIEW);
            for (int r = 0; r < view.GetItemCount(); ++r)
                shown.push_back(view.GetItemText(r, 0));
            EXPECT_EQ(shown, names);
        };
    };
    CDefinitionListDlg* open = nullptr;
    user.expectDialog(IDD_DEFINITION_LIST)
        .then([&open](Dialog& d) { open = static_cast<CDefinitionListDlg*>(&d); })
        .then(order({"EngFire", "FwdFuelLow", "MasterCaution", "Nose"}))
        .clickColumn(IDC_DEFLIST_VIEW, 1)
        .then(order({"EngFire", "MasterCaution", "Nose", "FwdFuelLow"}))
        .then([&open](Dialog&) {
            EXPECT_TRUE(open->sortToggle[1]);
            EXPECT_FALSE(open->sortToggle[0]);
        })
        .clickColumn(IDC_DEFLIST_VIEW, 1)
        .then(order({"FwdFuelLow", "Nose", "MasterCaution", "EngFire"}))
        .clickColumn(IDC_DEFLIST_VIEW, 2)
        .then(order({"Nose", "MasterCaution", "EngFire", "FwdFuelLow"}))
        .clickColumn(IDC_DEFLIST_VIEW, 2)
        .then(order({"FwdFuelLow", "EngFire", "MasterCaution", "Nose"}))
        .clickColumn(IDC_DEFLIST_VIEW, 0)
        .then(order({"EngFire", "FwdFuelLow", "MasterCaution", "Nose"}))
        .clickColumn(IDC_DEFLIST_VIEW, 0)
        .then(order({"Nose", "MasterCaution", "FwdFuelLow", "EngFire"}))
        .then([](Dialog& d) {
            EXPECT_EQ(rowsOf(d),
                      (std::vector<std::string>{"Nose|007|001 #7", "MasterCaution|005|006 #0",
                                                "FwdFuelLow|012|013 #3", "EngFire|002|009 #2"}));
        })
        .click(Exit);
    run(0);
    expectNoProblems();
}

TEST_F(DefinitionListDialog, NothingLeftToAddClosesTheEditorAndAddsNothing) {
    const std::string text = "[Gear Lights]\nLeft=1\nNose=3\nRight=5\nHandle=7\n";
    load(text);
    user.expectDialog(IDD_DEFINITION_LIST)
        .select(IDC_DEFLIST_GROUP, "Gear Lights")
        .click(IDC_DEFLIST_ADD)
        .expectBox("No more entries to add!", "Information", platform::MbOk)
        .then([](Dialog& d) { EXPECT_EQ(rowsOf(d).size(), 4u); })
        .click(Exit);
    run(0);
    expectNoProblems();
    EXPECT_EQ(list.count, 4);
    EXPECT_EQ(readBytes(path), asWritten(text));
}

// The analog editor's offer follows the bytes in use as they change during the run: a full
// Pigeon-hole is left out, a deleted or moved definition's byte is free again.
TEST_F(DefinitionListDialog, PigeonHoleUsageFollowsAddModifyAndDelete) {
    load("[Primary Data]\nKIAS=10,0\nMach=10,1\nAltitude=10,2\n");
    auto offersTen = [](std::vector<std::string> bytes) {
        return [bytes](Dialog& d) {
            const int ten = d.GetComboBox(IDC_PH_NUMBER).FindStringExact(-1, "010");
            if (bytes.empty()) {
                EXPECT_LT(ten, 0);
                return;
            }
            ASSERT_GE(ten, 0);
            d.Window()->userSelect(IDC_PH_NUMBER, ten);
            EXPECT_EQ(entriesOf(d.GetComboBox(IDC_PH_BYTE)), bytes);
        };
    };
    user.expectDialog(IDD_DEFINITION_LIST)
        .click(IDC_DEFLIST_ADD) // Heading on byte 3 fills Pigeon-hole 10
        .click(IDC_DEFLIST_ADD) // nothing left on 10
        .select(IDC_DEFLIST_VIEW, "Mach")
        .click(IDC_DEFLIST_MODIFY) // moves to 11,0: byte 1 is free
        .click(IDC_DEFLIST_ADD)
        .select(IDC_DEFLIST_VIEW, "KIAS")
        .answerNextBox(IdYes)
        .click(IDC_DEFLIST_DELETE) // byte 0 is free
        .click(IDC_DEFLIST_ADD)
        .click(Exit);
    user.expectDialog(IDD_ANALOG_DATA)
        .then(offersTen({"3"}))
        .select(IDC_ELEMENT, "Heading")
        .select(IDC_PH_BYTE, "3")
        .click(IdOk);
    user.expectDialog(IDD_ANALOG_DATA).then(offersTen({})).click(IdCancel);
    user.expectDialog(IDD_ANALOG_DATA)
        .then(offersTen({"1"})) // its own Pigeon-hole and byte, though the hole is full
        .select(IDC_PH_NUMBER, "011")
        .select(IDC_PH_BYTE, "0")
        .click(IdOk);
    user.expectDialog(IDD_ANALOG_DATA).then(offersTen({"1"})).click(IdCancel);
    user.expectDialog(IDD_ANALOG_DATA).then(offersTen({"0", "1"})).click(IdCancel);
    run(2);
    expectNoProblems();
    EXPECT_EQ(dlg->phUsage[10], 0x0C);
    EXPECT_EQ(dlg->phUsage[11], 0x01);
    // Heading's line went directly below the header.
    EXPECT_EQ(reloaded(), (std::vector<std::string>{"Primary Data/Heading=10,3,1.000000,0",
                                                    "Primary Data/Mach=11,0,1.000000,0",
                                                    "Primary Data/Altitude=10,2,1.000000,0"}));
}

// Numbers at the ends of their ranges show as the formats give them and go back to the file
// unchanged when another field is edited.
TEST_F(DefinitionListDialog, ExtremeNumbersShowAndRoundTrip) {
    load("[Primary Data]\nKIAS=10,2,-99999,-2147483648\nMach=11,0,1e308,2147483647\n"
         "[Caution Lights]\nHook=255,3,0xFFFFFFFF\n");
    user.expectDialog(IDD_DEFINITION_LIST)
        .then([](Dialog& d) {
            const std::vector<std::string> rows = rowsOf(d);
            ASSERT_EQ(rows.size(), 2u);
            EXPECT_EQ(rows[0], "KIAS|010|2|-99999.000000|-2147483648 #0");
            EXPECT_EQ(rows[1].substr(0, 14), "Mach|011|0|100");
            EXPECT_EQ(rows[1].substr(rows[1].size() - 21), ".000000|2147483647 #1");
        })
        .select(IDC_DEFLIST_VIEW, "KIAS")
        .click(IDC_DEFLIST_MODIFY)
        .select(IDC_DEFLIST_VIEW, "Mach")
        .answerNextBox(IdYes)
        .click(IDC_DEFLIST_DELETE)
        .click(Exit);
    user.expectDialog(IDD_ANALOG_DATA)
        .expectText(IDC_OFFSET, "-2147483648")
        .select(IDC_PH_BYTE, "3")
        .click(IdOk);
    run(2);
    user.expectDialog(IDD_DEFINITION_LIST)
        .expectText(0, " Configuration and testing flags over Pigeon-holes")
        .then([](Dialog& d) { EXPECT_EQ(rowsOf(d), std::vector<std::string>{"Hook|255|3|-1 #1"}); })
        .click(Exit);
    run(1);
    expectNoProblems();
    EXPECT_EQ(reloaded(),
              (std::vector<std::string>{"Primary Data/KIAS=10,3,-99999.000000,-2147483648",
                                        "Caution Lights/Hook=255,3,0b11111111"}));
}

// Bytes no golden file holds: a BOM, a NUL and a CR inside lines, a Ctrl-Z with more text after
// it. The lines the dialog does not touch keep their bytes; the next start reads every change.
TEST_F(DefinitionListDialog, AFileWithOddBytesKeepsThemAndTakesTheChanges) {
    const std::string text = "\xEF\xBB\xBF# definitions\n"
                             "[Eyebrow Lights]\n"
                             "MasterCaution=5\n"
                             "TFFail=3,1,16\0 note\n"
                             "[Caution Lights]\n"
                             "FwdFuelLow=12\r13\n"
                             "ElecSys=3,2,1\r6\n"s;
    const std::string tail = "\x1A[Primary Data]\nKIAS=10,2\n";
    load(text, tail);
    ASSERT_EQ(describe(list), (std::vector<std::string>{"Eyebrow Lights/MasterCaution=5,6",
                                                        "Eyebrow Lights/TFFail=3,1,0b00010000",
                                                        "Caution Lights/FwdFuelLow=12,13",
                                                        "Caution Lights/ElecSys=3,2,0b00000001"}));
    user.expectDialog(IDD_DEFINITION_LIST)
        .select(IDC_DEFLIST_VIEW, "MasterCaution")
        .click(IDC_DEFLIST_MODIFY)
        .select(IDC_DEFLIST_VIEW, "FwdFuelLow")
        .click(IDC_DEFLIST_MODIFY)
        .click(IDC_DEFLIST_ADD)
        .click(Exit);
    user.expectDialog(IDD_QP_FLAG).select(IDC_QP_ON, "007").select(IDC_QP_OFF, "008").click(IdOk);
    user.expectDialog(IDD_QP_FLAG).select(IDC_QP_ON, "020").select(IDC_QP_OFF, "021").click(IdOk);
    user.expectDialog(IDD_QP_FLAG)
        .select(IDC_ELEMENT, "AOAAbove")
        .select(IDC_QP_ON, "030")
        .select(IDC_QP_OFF, "031")
        .click(IdOk);
    run(0);
    expectNoProblems();
    EXPECT_TRUE(user.boxes().empty());
    EXPECT_EQ(readBytes(path), asWritten("\xEF\xBB\xBF# definitions\n"
                                         "[Eyebrow Lights]\n"
                                         "MasterCaution=7,8\n"
                                         "TFFail=3,1,16\0 note\n"
                                         "[Caution Lights]\n"
                                         "FwdFuelLow=20,21\n"
                                         "ElecSys=3,2,1\r6\n"
                                         "\n"
                                         "[HUD Lights]\n"
                                         "AOAAbove=30,31\n"s) +
                                   tail);
    EXPECT_EQ(reloaded(), describe(list));
}

// A definition file that cannot be written (read-only, or a folder by now): the change holds in
// memory, and the user is told that it will not outlive the program.
TEST_F(DefinitionListDialog, AFileThatCannotBeWrittenIsReported) {
    load(kDefinitions);
    ASSERT_TRUE(platform::setFileReadOnly(path.c_str(), true));
    user.expectDialog(IDD_DEFINITION_LIST)
        .select(IDC_DEFLIST_VIEW, "MasterCaution")
        .click(IDC_DEFLIST_MODIFY)
        .expectBox("Can't write \"MasterCaution\" in section \"Eyebrow Lights\" of \"" + path +
                       "\" (error -12)!\nThe change holds only until the program ends.",
                   "Definitionfile error", platform::MbOk | platform::MbIconWarning)
        .then([](Dialog& d) { EXPECT_EQ(rowsOf(d)[2], "MasterCaution|007|008 #0"); })
        .click(Exit);
    user.expectDialog(IDD_QP_FLAG).select(IDC_QP_ON, "007").select(IDC_QP_OFF, "008").click(IdOk);
    run(0);
    ASSERT_TRUE(platform::setFileReadOnly(path.c_str(), false));
    expectNoProblems();
    EXPECT_EQ(list.items[0]->qpOn, 7);
    EXPECT_EQ(readBytes(path), asWritten(kDefinitions));

    const std::string loaded = path;
    path = folder.file("folder.txt");
    std::filesystem::create_directory(path);
    user.expectDialog(IDD_DEFINITION_LIST)
        .select(IDC_DEFLIST_VIEW, "Mach")
        .answerNextBox(IdYes)
        .click(IDC_DEFLIST_DELETE)
        .expectBox("You will delete the \"Mach\"-Entry?", "Question", DeleteQuestion)
        .expectBox("Can't write \"Mach\" in section \"Primary Data\" of \"" + path +
                       "\" (error -6)!\nThe change holds only until the program ends.",
                   "Definitionfile error", platform::MbOk | platform::MbIconWarning)
        .click(Exit);
    run(2);
    expectNoProblems();
    EXPECT_EQ(list.count, 6);
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(readBytes(loaded), asWritten(kDefinitions));
}

} // namespace
} // namespace gb::ui
