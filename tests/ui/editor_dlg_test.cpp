// Scenarios of the three definition editors, written once: natively against the headless
// controls, under Wine against the real dialogs from the resource script.

#include "cockpit/definition_file.h"
#include "cockpit/definition_list.h"
#include "cockpit/element_catalog.h"
#include "engine/device_binding.h"
#include "settings/profile_store.h"
#include "support/temp_folder.h"
#include "ui/dialog_ids.h"
#include "ui/dialogs/analog_data_dlg.h"
#include "ui/dialogs/ph_flag_dlg.h"
#include "ui/dialogs/qp_flag_dlg.h"
#include "ui/framework/number_checks.h"
#include "ui/framework/scripted_user.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace gb::ui {
namespace {

using platform::IdCancel;
using platform::IdOk;

constexpr unsigned Exclamation = platform::MbOk | platform::MbIconWarning;

std::vector<std::string> entriesOf(Dialog& d, int id) {
    const ComboBox box = d.GetComboBox(id);
    std::vector<std::string> out;
    for (int i = 0; i < box.GetCount(); ++i)
        out.push_back(box.GetText(i));
    return out;
}

int catalogPos(const char* group, const char* element) {
    return findElement(findGroup(group), element);
}

void markAllSeenBut(std::initializer_list<int> unbound) {
    for (int i = 0; i < kCatalogElements; ++i)
        markSeen(i);
    for (int pos : unbound)
        ElementCatalog[pos].seen = 0;
}

// A Definition as the list dialog prepares it for an add.
Definition newDefinition(std::int32_t kind, const char* group) {
    Definition d;
    d.kind = kind;
    d.groupName = group;
    d.elementName = "";
    return d;
}

Definition existing(const char* group, const char* element) {
    const int pos = catalogPos(group, element);
    Definition d;
    d.kind = ElementCatalog[pos].kind;
    d.elementIndex = ElementCatalog[pos].elementIndex;
    d.groupName = ElementCatalog[findGroup(group)].groupName;
    d.elementName = ElementCatalog[pos].elementName;
    return d;
}

class Editors : public ::testing::Test {
protected:
    Editors() { clearSeen(); }
    ~Editors() override { clearSeen(); }

    void expectNoProblems() { EXPECT_EQ(user.problems(), std::vector<std::string>{}); }

    DeviceBinding card; // never opened: nothing here reaches a card
    ScriptedUser user;
    ScopedUser scope{user};
};

// QP flags.

TEST_F(Editors, QpFlagTemplateAndModifyModeShowOnlyTheDefinitionsElement) {
    CQpFlagDlg dlg(card);
    dlg.catalog = ElementCatalog;
    dlg.entry = existing("Eyebrow Lights", "MasterCaution");
    dlg.entry.qpOn = 5;
    dlg.entry.qpOff = 6;
    user.expectDialog(IDD_QP_FLAG)
        .then([](Dialog& d) {
            EXPECT_EQ(d.GetWindowText(), " Define flag over QProc");
            EXPECT_EQ(d.Window()->childIds(),
                      (std::vector<int>{-1, -1, IDC_ELEMENT, -1, IDC_QP_ON, -1, IDC_QP_OFF, IdOk,
                                        IdCancel, IDC_TEST}));
            EXPECT_EQ(d.GetControl(IDC_TEST).GetWindowText(), "&Test...");
            EXPECT_EQ(entriesOf(d, IDC_ELEMENT), std::vector<std::string>{"MasterCaution"});
            const std::vector<std::string> qps = entriesOf(d, IDC_QP_ON);
            ASSERT_EQ(qps.size(), 256u);
            EXPECT_EQ(qps.front(), "000");
            EXPECT_EQ(qps[7], "007");
            EXPECT_EQ(qps.back(), "255");
            EXPECT_EQ(entriesOf(d, IDC_QP_OFF), qps);
        })
        .expectText(IDC_ELEMENT, "MasterCaution")
        .expectText(IDC_QP_ON, "005")
        .expectText(IDC_QP_OFF, "006")
        .select(IDC_QP_OFF, "005")
        .click(IdOk)
        .expectNoBox();
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    EXPECT_EQ(dlg.entry.qpOn, 5); // On and Off may be equal
    EXPECT_EQ(dlg.entry.qpOff, 5);
    EXPECT_STREQ(dlg.entry.elementName, "MasterCaution");
}

// Modifying keeps what the file said beyond the binding, so an inverted flag stays inverted
// when its line is written back.
TEST_F(Editors, ModifyingAnInvertedTracedFlagKeepsInvertAndTrace) {
    CQpFlagDlg dlg(card);
    dlg.catalog = ElementCatalog;
    dlg.entry = existing("Eyebrow Lights", "MasterCaution");
    dlg.entry.invert = 1;
    dlg.entry.trace = 1;
    dlg.entry.lastValue = 1;
    dlg.entry.qpOn = 5;
    dlg.entry.qpOff = 9;
    user.expectDialog(IDD_QP_FLAG).select(IDC_QP_ON, "012").select(IDC_QP_OFF, "013").click(IdOk);
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    EXPECT_EQ(dlg.entry.invert, 1);
    EXPECT_EQ(dlg.entry.trace, 1);
    EXPECT_EQ(dlg.entry.lastValue, 1u);
    EXPECT_EQ(definitionValue(dlg.entry), "c,12,13");
}

TEST_F(Editors, AddUnderAGroupOffersItsUnboundFlagsSortedAndFillsTheElement) {
    markSeen(catalogPos("Gear Lights", "Nose"));
    CQpFlagDlg dlg(card);
    dlg.catalog = ElementCatalog;
    dlg.addMode = 1;
    dlg.entry = newDefinition(DefinitionFlag, "Gear Lights");
    user.expectDialog(IDD_QP_FLAG)
        .then([](Dialog& d) {
            EXPECT_EQ(entriesOf(d, IDC_ELEMENT),
                      (std::vector<std::string>{"Handle", "Left", "Right"}));
        })
        .expectText(IDC_ELEMENT, "")
        .expectText(IDC_QP_ON, "") // -1 forms "-01", which no entry has
        .expectText(IDC_QP_OFF, "")
        .click(IdOk)
        .expectBox("You must define an element!", "Input error", Exclamation)
        .expectFocus(IDC_ELEMENT)
        .select(IDC_ELEMENT, "Right")
        .click(IdOk)
        .expectBox("You must define an QP-#!", "Input error", Exclamation)
        .expectFocus(IDC_QP_ON)
        .select(IDC_QP_ON, "007")
        .click(IdOk)
        .expectBox("You must define an QP-#!", "Input error", Exclamation)
        .expectFocus(IDC_QP_OFF)
        .expectOpen()
        .click(IDC_TEST) // the same check: no test dialog opens
        .expectBox("You must define an QP-#!", "Input error", Exclamation)
        .expectFocus(IDC_QP_OFF)
        .select(IDC_QP_OFF, "008")
        .click(IdOk)
        .expectNoBox();
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    EXPECT_STREQ(dlg.entry.groupName, "Gear Lights");
    EXPECT_STREQ(dlg.entry.elementName, "Right");
    EXPECT_EQ(dlg.entry.elementIndex, 54);
    EXPECT_EQ(dlg.entry.qpOn, 7);
    EXPECT_EQ(dlg.entry.qpOff, 8);
    EXPECT_EQ(ElementCatalog[catalogPos("Gear Lights", "Right")].seen, 0); // the editor marks none
}

// Nothing to offer: the box, then the dialog ends with Cancel before anyone meets it.
TEST_F(Editors, AddWithNoElementLeftSaysSoAndCancels) {
    for (const char* group : {"Gear Lights", "No Such Group", "gear lights"}) {
        for (const char* e : {"Left", "Nose", "Right", "Handle"})
            markSeen(catalogPos("Gear Lights", e));
        CQpFlagDlg dlg(card);
        dlg.catalog = ElementCatalog;
        dlg.addMode = 1;
        dlg.entry = newDefinition(DefinitionFlag, group);
        const Definition before = dlg.entry;
        const std::size_t shown = user.boxes().size();
        EXPECT_EQ(dlg.DoModal(), IdCancel) << group;
        ASSERT_EQ(user.boxes().size(), shown + 1) << group;
        EXPECT_EQ(user.boxes().back().text, "No more entries to add!");
        EXPECT_EQ(user.boxes().back().caption, "Information");
        EXPECT_EQ(user.boxes().back().style, platform::MbOk);
        EXPECT_EQ(dlg.entry.elementName, before.elementName);
    }
    expectNoProblems();
    // A whole catalogue bound, for each editor kind, and a missing catalogue.
    markAllSeenBut({});
    CPhFlagDlg ph(card);
    ph.catalog = ElementCatalog;
    ph.addMode = 1;
    ph.entry = newDefinition(DefinitionFlag, "");
    EXPECT_EQ(ph.DoModal(), IdCancel);
    CAnalogDataDlg analog(card);
    analog.addMode = 1;
    analog.entry = newDefinition(DefinitionAnalog, "");
    EXPECT_EQ(analog.DoModal(), IdCancel);
    EXPECT_EQ(user.boxes().size(), 5u);
    expectNoProblems();
}

// "Off" is in "HSI Flags" and "ADI Flags"; with only the ADI one unbound, the one "Off" offered
// binds that one.
TEST_F(Editors, AnElementNameInTwoGroupsBindsTheUnboundOne) {
    markAllSeenBut({catalogPos("ADI Flags", "Off"), catalogPos("Caution Lights", "Hook")});
    CPhFlagDlg dlg(card);
    dlg.catalog = ElementCatalog;
    dlg.addMode = 1;
    dlg.entry = newDefinition(DefinitionFlag, "");
    user.expectDialog(IDD_PH_FLAG)
        .then([](Dialog& d) {
            EXPECT_EQ(entriesOf(d, IDC_ELEMENT), (std::vector<std::string>{"Hook", "Off"}));
        })
        .select(IDC_ELEMENT, "Off")
        .select(IDC_PH_NUMBER, "003")
        .select(IDC_PH_BYTE, "1")
        .type(IDC_BITS, "16")
        .click(IdOk);
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    EXPECT_STREQ(dlg.entry.groupName, "ADI Flags");
    EXPECT_EQ(dlg.entry.elementIndex, 106);
    EXPECT_EQ(definitionValue(dlg.entry), "3,1,0b00010000");
}

// PH flags.

TEST_F(Editors, PhFlagModifyShowsItsBindingAndTakesTheNewOne) {
    CPhFlagDlg dlg(card);
    dlg.catalog = ElementCatalog;
    dlg.entry = existing("Eyebrow Lights", "TFFail");
    dlg.entry.phNumber = 3;
    dlg.entry.phByte = 0;
    dlg.entry.bitMask = 0x10;
    dlg.entry.invert = 1;
    user.expectDialog(IDD_PH_FLAG)
        .then([](Dialog& d) {
            EXPECT_EQ(d.GetWindowText(), " Define flag over Pigeon-hole");
            EXPECT_EQ(d.Window()->childIds(),
                      (std::vector<int>{-1, -1, IDC_ELEMENT, -1, IDC_PH_NUMBER, -1, IDC_PH_BYTE, -1,
                                        IDC_BITS, IdOk, IdCancel, IDC_TEST, IDC_BINARY_FORMAT}));
            EXPECT_EQ(d.GetControl(IDC_BINARY_FORMAT).GetWindowText(), "Bi&nary format");
            EXPECT_EQ(d.GetEdit(IDC_BITS).GetLimitText(), 8u);
            const std::vector<std::string> phs = entriesOf(d, IDC_PH_NUMBER);
            ASSERT_EQ(phs.size(), 255u); // PH# 0 is not offered
            EXPECT_EQ(phs.front(), "001");
            EXPECT_EQ(entriesOf(d, IDC_PH_BYTE), (std::vector<std::string>{"0", "1", "2", "3"}));
            EXPECT_FALSE(d.GetCheckBox(IDC_BINARY_FORMAT).GetCheck());
        })
        .expectText(IDC_PH_NUMBER, "003")
        .expectText(IDC_PH_BYTE, "0")
        .expectText(IDC_BITS, "16")
        .select(IDC_PH_NUMBER, "020")
        .select(IDC_PH_BYTE, "1")
        .type(IDC_BITS, "129")
        .click(IdOk);
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    EXPECT_EQ(dlg.entry.phNumber, 20);
    EXPECT_EQ(dlg.entry.phByte, 1);
    EXPECT_EQ(dlg.entry.bitMask, 0x81u);
    EXPECT_EQ(dlg.entry.invert, 1);
    EXPECT_EQ(dlg.entry.qpOn, -1);

    // Opened again on the result: 020, 1 and 129.
    user.expectDialog(IDD_PH_FLAG)
        .expectText(IDC_PH_NUMBER, "020")
        .expectText(IDC_PH_BYTE, "1")
        .expectText(IDC_BITS, "129")
        .click(IdCancel);
    EXPECT_EQ(dlg.DoModal(), IdCancel);
    expectNoProblems();
}

TEST_F(Editors, BinaryFormatSwitchesTheNotationBothWays) {
    CPhFlagDlg dlg(card);
    dlg.catalog = ElementCatalog;
    dlg.entry = existing("Eyebrow Lights", "TFFail");
    dlg.entry.phNumber = 3;
    dlg.entry.phByte = 2;
    user.expectDialog(IDD_PH_FLAG)
        .expectText(IDC_BITS, "0")
        .type(IDC_BITS, "255")
        .click(IDC_BINARY_FORMAT)
        .expectText(IDC_BITS, "11111111")
        .expectFocus(IDC_BITS)
        .click(IDC_BINARY_FORMAT)
        .expectText(IDC_BITS, "255")
        .type(IDC_BITS, "16")
        .click(IDC_BINARY_FORMAT)
        .expectText(IDC_BITS, "00010000")
        .click(IDC_BINARY_FORMAT)
        .type(IDC_BITS, "300") // only the low 8 bits survive
        .click(IDC_BINARY_FORMAT)
        .expectText(IDC_BITS, "00101100")
        .type(IDC_BITS, "10000001")
        .click(IDC_BINARY_FORMAT)
        .expectText(IDC_BITS, "129")
        .click(IDC_BINARY_FORMAT)
        .click(IdOk); // read as binary on OK
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    EXPECT_EQ(dlg.binaryFormat, 1);
    EXPECT_EQ(dlg.entry.bitMask, 0x81u);
}

// In binary notation a typed 2 is dropped at once; typing goes on at the end of the text.
TEST_F(Editors, TheBitsEditKeepsOnlyTheDigitsOfItsNotation) {
    CPhFlagDlg dlg(card);
    dlg.catalog = ElementCatalog;
    dlg.entry = existing("Eyebrow Lights", "TFFail");
    dlg.entry.phNumber = 3;
    dlg.entry.phByte = 2;
    user.expectDialog(IDD_PH_FLAG)
        .click(IDC_BINARY_FORMAT)
        .expectText(IDC_BITS, "00000000")
        .type(IDC_BITS, "1021")
        .expectText(IDC_BITS, "101")
        .type(IDC_BITS, "2")
        .expectText(IDC_BITS, "")
        .then([](Dialog& d) {
            // Text set from elsewhere is filtered too.
            d.GetEdit(IDC_BITS).SetWindowText("1x0 2");
        })
        .expectText(IDC_BITS, "10")
        .click(IdOk);
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    EXPECT_EQ(dlg.entry.bitMask, 2u); // an empty text would give 0: a pattern of 0 is accepted
}

// A pattern with bit 31 set shows unsigned: "%d" would show a minus sign that the filter drops,
// turning 0xFFFFFFFF into 1 without a word. Too long for the edit, it must be retyped.
TEST_F(Editors, AWidePatternFromTheFileIsNeverChangedSilently) {
    CPhFlagDlg dlg(card);
    dlg.catalog = ElementCatalog;
    dlg.entry = existing("Eyebrow Lights", "TFFail");
    dlg.entry.phNumber = 3;
    dlg.entry.phByte = 1;
    dlg.entry.bitMask = 0xFFFFFFFFu;
    user.expectDialog(IDD_PH_FLAG)
        .expectText(IDC_BITS, "4294967295")
        .click(IdOk)
        .expectBox(maxCharsMessage(8), "Glowbridge", Exclamation)
        .expectFocus(IDC_BITS)
        .type(IDC_BITS, "255")
        .click(IdOk);
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    EXPECT_EQ(dlg.entry.bitMask, 255u);
}

// PH# 0 can come from the file but is not offered: saving needs another PH#.
TEST_F(Editors, APhFlagOnPigeonHoleZeroOpensWithNoneSelected) {
    CPhFlagDlg dlg(card);
    dlg.catalog = ElementCatalog;
    dlg.entry = existing("Eyebrow Lights", "TFFail");
    dlg.entry.phNumber = 0;
    dlg.entry.phByte = 0;
    user.expectDialog(IDD_PH_FLAG)
        .expectText(IDC_PH_NUMBER, "")
        .expectText(IDC_PH_BYTE, "0")
        .click(IdOk)
        .expectBox("You must define an PH-#!", "Input error", Exclamation)
        .expectFocus(IDC_PH_NUMBER)
        .then([](Dialog& d) { d.GetComboBox(IDC_PH_BYTE).SetCurSel(-1); })
        .select(IDC_PH_NUMBER, "255")
        .click(IdOk)
        .expectBox("You must define an PH-Index!", "Input error", Exclamation)
        .expectFocus(IDC_PH_BYTE)
        .click(IdCancel);
    const Definition before = dlg.entry;
    EXPECT_EQ(dlg.DoModal(), IdCancel);
    expectNoProblems();
    EXPECT_EQ(dlg.entry.phNumber, before.phNumber);
}

// Analog values.

class AnalogEditor : public Editors {
protected:
    AnalogEditor() {
        dlg.catalog = ElementCatalog;
        dlg.phUsage = usage;
        dlg.entry = existing("Primary Data", "KIAS");
        dlg.entry.phNumber = 11;
        dlg.entry.phByte = 2;
        dlg.entry.multi = 1.0;
        usage[10] = 0xF; // full, someone else's
        usage[11] = 0xF; // full, the definition's own byte 2 among them
        usage[12] = 0x5; // bytes 0 and 2 used
    }

    std::uint8_t usage[256] = {};
    CAnalogDataDlg dlg{card};
};

TEST_F(AnalogEditor, OffersFreePigeonHolesAndBytesAndTheDefinitionsOwn) {
    user.expectDialog(IDD_ANALOG_DATA)
        .then([](Dialog& d) {
            EXPECT_EQ(d.GetWindowText(), " Define analog data");
            EXPECT_EQ(d.Window()->childIds(),
                      (std::vector<int>{-1, -1, IDC_ELEMENT, -1, IDC_PH_NUMBER, -1, IDC_PH_BYTE, -1,
                                        IDC_MULTIPLIER, -1, IDC_OFFSET, IdOk, IdCancel, IDC_TEST}));
            EXPECT_EQ(d.GetControl(IdOk).GetWindowText(), "OK");
            const std::vector<std::string> phs = entriesOf(d, IDC_PH_NUMBER);
            EXPECT_EQ(phs.size(), 254u);
            EXPECT_EQ(std::vector<std::string>(phs.begin() + 8, phs.begin() + 11),
                      (std::vector<std::string>{"009", "011", "012"}));
            EXPECT_EQ(entriesOf(d, IDC_PH_BYTE), std::vector<std::string>{"2"});
        })
        .expectText(IDC_ELEMENT, "KIAS")
        .expectText(IDC_PH_NUMBER, "011")
        .expectText(IDC_PH_BYTE, "2")
        .expectText(IDC_MULTIPLIER, "1")
        .expectText(IDC_OFFSET, "0")
        .type(IDC_MULTIPLIER, "2.5")
        .select(IDC_PH_NUMBER, "012")
        .then([](Dialog& d) {
            EXPECT_EQ(entriesOf(d, IDC_PH_BYTE), (std::vector<std::string>{"1", "3"}));
        })
        .expectText(IDC_PH_BYTE, "1")      // the remembered "2" is gone: the first is chosen
        .expectText(IDC_MULTIPLIER, "2.5") // typed values survive the refill
        .select(IDC_PH_BYTE, "3")
        .select(IDC_PH_NUMBER, "013")
        .expectText(IDC_PH_BYTE, "3") // still offered: kept
        .click(IdOk)
        .expectNoBox();
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    EXPECT_EQ(dlg.entry.phNumber, 13);
    EXPECT_EQ(dlg.entry.phByte, 3);
    EXPECT_EQ(dlg.entry.multi, 2.5);
    EXPECT_EQ(usage[13], 0); // the table is the list dialog's
}

struct MultiplierCase {
    const char* typed;
    std::string message;
    const char* caption;
};

class AnalogMultiplier : public AnalogEditor,
                         public ::testing::WithParamInterface<MultiplierCase> {};

TEST_P(AnalogMultiplier, IsRefusedOnceAndNothingElseHappens) {
    const MultiplierCase c = GetParam();
    user.expectDialog(IDD_ANALOG_DATA)
        .type(IDC_MULTIPLIER, c.typed)
        .click(IdOk)
        .expectBox(c.message, c.caption, Exclamation)
        .expectNoBox()
        .expectFocus(IDC_MULTIPLIER)
        .click(IDC_TEST) // the same check: no test dialog opens
        .expectBox(c.message, c.caption, Exclamation)
        .expectNoBox()
        .click(IdCancel);
    EXPECT_EQ(dlg.DoModal(), IdCancel);
    expectNoProblems();
    EXPECT_EQ(dlg.entry.multi, 1.0);
}

INSTANTIATE_TEST_SUITE_P(
    Values, AnalogMultiplier,
    ::testing::Values(MultiplierCase{"0", "Multiplicator can't zero!", "Input error"},
                      MultiplierCase{"-0.0", "Multiplicator can't zero!", "Input error"},
                      MultiplierCase{"100000", rangeMessage(-99999.0, 99999.0), "Glowbridge"},
                      MultiplierCase{"-99999.5", rangeMessage(-99999.0, 99999.0), "Glowbridge"},
                      MultiplierCase{"nan", doubleMessage(), "Glowbridge"},
                      MultiplierCase{"inf", doubleMessage(), "Glowbridge"},
                      MultiplierCase{"-inf", doubleMessage(), "Glowbridge"},
                      MultiplierCase{"1e999", doubleMessage(), "Glowbridge"},
                      MultiplierCase{"", doubleMessage(), "Glowbridge"},
                      MultiplierCase{"2,5", doubleMessage(), "Glowbridge"}));

TEST_F(AnalogEditor, TheMultiplierBoundsAndTheOffsetsLimitsAreKept) {
    for (const auto& [typed, value] :
         {std::pair{"99999", 99999.0}, std::pair{"-99999", -99999.0}, std::pair{"1e-7", 1e-7}}) {
        for (const std::int32_t offset : {INT_MIN, INT_MAX}) {
            dlg.entry.offset = offset;
            user.expectDialog(IDD_ANALOG_DATA)
                .expectText(IDC_OFFSET, std::to_string(offset))
                .type(IDC_MULTIPLIER, typed)
                .click(IdOk)
                .expectNoBox();
            EXPECT_EQ(dlg.DoModal(), IdOk);
            EXPECT_EQ(dlg.entry.multi, value);
            EXPECT_EQ(dlg.entry.offset, offset);
        }
    }
    expectNoProblems();
}

// The offset edit takes digits only: a typed minus sign is dropped, and a number beyond 32 bits is
// not an integer.
TEST_F(AnalogEditor, TheOffsetTakesNoTypedSignAndNothingBeyondThirtyTwoBits) {
    user.expectDialog(IDD_ANALOG_DATA)
        .type(IDC_OFFSET, "-12")
        .expectText(IDC_OFFSET, "12")
        .type(IDC_OFFSET, "2147483648")
        .click(IdOk)
        .expectBox(intMessage(), "Glowbridge", Exclamation)
        .expectFocus(IDC_OFFSET)
        .type(IDC_OFFSET, "2147483647")
        .click(IdOk);
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    EXPECT_EQ(dlg.entry.offset, INT_MAX);
}

// The file may hold a multiplier the editor does not accept (1e999 reads as infinity, 1e6 is
// beyond the editor's range): it shows, is refused on OK and is never replaced without the user.
TEST_F(AnalogEditor, AMultiplierFromTheFileOutsideTheRangeMustBeRetyped) {
    for (const double multi : {HUGE_VAL, -HUGE_VAL, 1e6}) {
        dlg.entry.multi = multi;
        const std::string message =
            std::isinf(multi) ? doubleMessage() : rangeMessage(-99999.0, 99999.0);
        user.expectDialog(IDD_ANALOG_DATA)
            .click(IdOk)
            .expectBox(message, "Glowbridge", Exclamation)
            .expectFocus(IDC_MULTIPLIER)
            .click(IdCancel);
        EXPECT_EQ(dlg.DoModal(), IdCancel);
        EXPECT_EQ(dlg.entry.multi, multi);
        user.expectDialog(IDD_ANALOG_DATA).type(IDC_MULTIPLIER, "-2").click(IdOk).expectNoBox();
        EXPECT_EQ(dlg.DoModal(), IdOk);
        EXPECT_EQ(dlg.entry.multi, -2.0);
    }
    expectNoProblems();
}

TEST_F(AnalogEditor, AddOffersAnalogElementsOnlyAndNeedsAPigeonHoleAndAByte) {
    markAllSeenBut({catalogPos("Secondary Data", "RPM"), catalogPos("Caution Lights", "Hook"),
                    catalogPos("HSI Data", "DesiredCourse")});
    dlg.addMode = 1;
    dlg.entry = newDefinition(DefinitionAnalog, "");
    user.expectDialog(IDD_ANALOG_DATA)
        .then([](Dialog& d) {
            EXPECT_EQ(entriesOf(d, IDC_ELEMENT),
                      (std::vector<std::string>{"DesiredCourse", "RPM"}));
            EXPECT_EQ(entriesOf(d, IDC_PH_BYTE), std::vector<std::string>{});
        })
        .expectText(IDC_MULTIPLIER, "1")
        .select(IDC_ELEMENT, "RPM")
        .click(IdOk)
        .expectBox("You must define an PH-#!", "Input error", Exclamation)
        .expectFocus(IDC_PH_NUMBER)
        .then([](Dialog& d) {
            const std::vector<std::string> phs = entriesOf(d, IDC_PH_NUMBER);
            EXPECT_EQ(std::count(phs.begin(), phs.end(), "010"), 0); // full
            EXPECT_EQ(std::count(phs.begin(), phs.end(), "011"), 0); // full, and not its own now
        })
        .select(IDC_PH_NUMBER, "012")
        .expectText(IDC_PH_BYTE, "1")
        .type(IDC_MULTIPLIER, "0.5")
        .type(IDC_OFFSET, "3")
        .click(IdOk);
    EXPECT_EQ(dlg.DoModal(), IdOk);
    expectNoProblems();
    EXPECT_STREQ(dlg.entry.groupName, "Secondary Data");
    EXPECT_STREQ(dlg.entry.elementName, "RPM");
    EXPECT_EQ(dlg.entry.phNumber, 12);
    EXPECT_EQ(dlg.entry.phByte, 1);
    EXPECT_EQ(dlg.entry.multi, 0.5);
    EXPECT_EQ(dlg.entry.offset, 3);
    EXPECT_EQ(definitionValue(dlg.entry), "12,1,0.500000,3");
}

// What the editors give back is what the list dialogs write into the definition file: written
// through the store and read again at the next start, each binding comes back as edited, and an
// inverted flag stays inverted.
TEST_F(Editors, EditedBindingsWrittenToTheFileReadBackAsEdited) {
    test::TempFolder folder("gb-editors");
    const std::string path = folder.file("Glowbridge.ini");
    {
        std::FILE* f = std::fopen(path.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("[Eyebrow Lights]\nMasterCaution=c,5,9\nTFFail=C,3,0,0b00010000\n"
                   "[Primary Data]\nKIAS=10,2,0.5,-3\n",
                   f);
        std::fclose(f);
    }
    DefinitionList list;
    ASSERT_EQ(parseDefinitionFile(list, path.c_str()), 3);

    CQpFlagDlg qp(card);
    qp.catalog = ElementCatalog;
    qp.entry = *list.at(0);
    user.expectDialog(IDD_QP_FLAG).select(IDC_QP_ON, "012").select(IDC_QP_OFF, "013").click(IdOk);
    ASSERT_EQ(qp.DoModal(), IdOk);

    CPhFlagDlg ph(card);
    ph.catalog = ElementCatalog;
    ph.entry = *list.at(1);
    user.expectDialog(IDD_PH_FLAG)
        .expectText(IDC_BITS, "16")
        .select(IDC_PH_NUMBER, "020")
        .select(IDC_PH_BYTE, "1")
        .type(IDC_BITS, "129")
        .click(IdOk);
    ASSERT_EQ(ph.DoModal(), IdOk);

    std::uint8_t usage[256] = {};
    CAnalogDataDlg analog(card);
    analog.catalog = ElementCatalog;
    analog.phUsage = usage;
    analog.entry = *list.at(2);
    user.expectDialog(IDD_ANALOG_DATA)
        .expectText(IDC_MULTIPLIER, "0.5")
        .expectText(IDC_OFFSET, "-3")
        .select(IDC_PH_NUMBER, "255")
        .select(IDC_PH_BYTE, "3")
        .type(IDC_MULTIPLIER, "-1e-7")
        .click(IdOk);
    ASSERT_EQ(analog.DoModal(), IdOk);
    expectNoProblems();

    for (const Definition* d : {&qp.entry, &ph.entry, &analog.entry}) {
        ProfileStore store(path.c_str());
        EXPECT_TRUE(store.SetString(d->groupName, d->elementName, definitionValue(*d).c_str()));
    }
    clearSeen();
    DefinitionList again;
    ASSERT_EQ(parseDefinitionFile(again, path.c_str()), 3);
    const Definition& q = *again.at(0);
    EXPECT_EQ(q.invert, 1);
    EXPECT_EQ(q.qpOn, 12);
    EXPECT_EQ(q.qpOff, 13);
    const Definition& p = *again.at(1);
    EXPECT_EQ(p.invert, 1);
    EXPECT_EQ(p.phNumber, 20);
    EXPECT_EQ(p.phByte, 1);
    EXPECT_EQ(p.bitMask, 0x81u);
    const Definition& a = *again.at(2);
    EXPECT_STREQ(a.elementName, "KIAS");
    EXPECT_EQ(a.phNumber, 255);
    EXPECT_EQ(a.phByte, 3);
    EXPECT_EQ(a.multi, -1e-7);
    EXPECT_EQ(a.offset, -3);
    EXPECT_EQ(again.phLow, 20);
    EXPECT_EQ(again.phHigh, 255);
}

} // namespace
} // namespace gb::ui
