// Scenarios of the test dialogs: what their buttons send reaches the emulated card through the
// device binding and the device library, each send confirmed by one beep. The same scenarios run
// natively (headless controls) and under Wine (real dialogs).

#include "engine/device_binding.h"
#include "platform/beep.h"
#include "platform/event_loop.h"
#include "support/quarnio_session.h"
#include "tools/card_emulator/emulated_port.h"
#include "ui/dialog_ids.h"
#include "ui/dialogs/analog_data_dlg.h"
#include "ui/dialogs/ph_flag_dlg.h"
#include "ui/dialogs/qp_flag_dlg.h"
#include "ui/dialogs/test_dlg.h"
#include "ui/framework/number_checks.h"
#include "ui/framework/scripted_user.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace gb::ui {
namespace {

using platform::IdCancel;
using platform::IdOk;

constexpr int kCard = 1;

struct Tone {
    unsigned frequency;
    unsigned duration;
    bool operator==(const Tone&) const = default;
};

class BeepCounter : public platform::BeepListener {
public:
    BeepCounter() : previous_(platform::setBeepListener(this)) {}
    ~BeepCounter() override { platform::setBeepListener(previous_); }
    void beeped(unsigned frequency, unsigned duration) override {
        tones.push_back({frequency, duration});
    }
    std::vector<Tone> tones;

private:
    platform::BeepListener* previous_;
};

std::vector<Tone> beeps(std::size_t n) {
    return std::vector<Tone>(n, Tone{1000, 10});
}

class TestDialogs : public ::testing::Test {
protected:
    TestDialogs() {
        clearSeen();
        card.open(kCard,
                  DeviceProcedures{_OpenDevice, _CloseDevice, _SendQP, _SendPH, _GetAnalogs});
    }
    ~TestDialogs() override { card.close(); }

    // Lets the library's poll send what it queued.
    void poll() {
        if (session.simulatedClock()) {
            platform::runMessageLoopFor(60);
        } else {
            _GetData(card.deviceSlot());
            _GetData(card.deviceSlot());
        }
    }
    std::vector<int> pigeonHole(int ph) {
        const std::uint8_t* b = port.card(kCard).pigeonHole(ph);
        return {b[0], b[1], b[2], b[3]};
    }
    void expectNoProblems() { EXPECT_EQ(user.problems(), std::vector<std::string>{}); }

    emu::EmulatedPort port;
    test::QuarnioSession session{port};
    DeviceBinding card;
    BeepCounter beeper;
    ScriptedUser user;
    ScopedUser scope{user};
};

TEST_F(TestDialogs, QpFlagOnAndOffCallTheirQProcs) {
    ASSERT_TRUE(session.loaded());
    ASSERT_TRUE(card.isOpen());
    CTestFlagDlg dlg(card);
    dlg.testRecord.setElementText("MasterCaution");
    dlg.testRecord.qpOn = 10;
    dlg.testRecord.qpOff = 11;
    user.expectDialog(IDD_TEST_FLAG)
        .then([](Dialog& d) {
            EXPECT_EQ(d.GetWindowText(), " MasterCaution");
            EXPECT_EQ(d.Window()->childIds(),
                      (std::vector<int>{-1, IDC_SEND_ON, IDC_SEND_OFF, IdCancel}));
            EXPECT_EQ(d.GetControl(IDC_SEND_ON).GetWindowText(), "Send &ON to QUARN");
            EXPECT_EQ(d.GetControl(IDC_SEND_OFF).GetWindowText(), "Send O&FF to QUARN");
            EXPECT_EQ(d.GetControl(IdCancel).GetWindowText(), "&Exit");
        })
        .click(IDC_SEND_ON)
        .click(IDC_SEND_OFF)
        .click(IdCancel);
    dlg.DoModal();
    poll();
    expectNoProblems();
    ASSERT_EQ(port.card(kCard).qprocCount(), 2u);
    EXPECT_EQ(port.card(kCard).recentQProc(1), 10);
    EXPECT_EQ(port.card(kCard).recentQProc(0), 11);
    EXPECT_EQ(card.qpCalls(), 2);
    EXPECT_EQ(card.phCalls(), 0);
    EXPECT_EQ(beeper.tones, beeps(2));
}

// The whole Pigeon-hole is written: the pattern's low 8 bits in its byte, zeros elsewhere.
TEST_F(TestDialogs, PhFlagOnWritesThePatternByteAndOffClearsThePigeonHole) {
    CTestFlagDlg dlg(card);
    dlg.testRecord.setElementText("TFFail");
    dlg.testRecord.phNumber = 20;
    dlg.testRecord.phByte = 2;
    dlg.testRecord.bitMask = 0x181;
    user.expectDialog(IDD_TEST_FLAG).click(IDC_SEND_ON).click(IdCancel);
    dlg.DoModal();
    poll();
    EXPECT_EQ(pigeonHole(20), (std::vector<int>{0, 0, 0x81, 0}));
    user.expectDialog(IDD_TEST_FLAG).click(IDC_SEND_OFF).click(IdCancel);
    dlg.DoModal();
    poll();
    EXPECT_EQ(pigeonHole(20), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(port.card(kCard).pigeonHoleWrites(20), 2u);
    EXPECT_EQ(port.card(kCard).qprocCount(), 0u);
    EXPECT_EQ(card.phCalls(), 2);
    EXPECT_EQ(beeper.tones, beeps(2));
    expectNoProblems();
}

TEST_F(TestDialogs, WithTheCardClosedEveryButtonStillBeepsAndNothingIsSent) {
    card.close();
    CTestFlagDlg flag(card);
    flag.testRecord.qpOn = 1;
    flag.testRecord.qpOff = 2;
    user.expectDialog(IDD_TEST_FLAG).click(IDC_SEND_ON).click(IDC_SEND_OFF).click(IdCancel);
    flag.DoModal();
    CTestAnalogDlg analog(card);
    analog.testRecord.phNumber = 5;
    analog.testRecord.phByte = 0;
    user.expectDialog(IDD_TEST_ANALOG)
        .type(IDC_CARD_VALUE, "7")
        .click(IDC_SEND_VALUE)
        .click(IdCancel);
    analog.DoModal();
    poll();
    expectNoProblems();
    EXPECT_TRUE(user.boxes().empty());
    EXPECT_EQ(beeper.tones, beeps(3));
    EXPECT_EQ(card.qpCalls() + card.phCalls(), 0);
    EXPECT_EQ(port.card(kCard).qprocCount(), 0u);
    EXPECT_EQ(port.card(kCard).pigeonHoleWrites(5), 0u);
}

class AnalogTest : public TestDialogs {
protected:
    AnalogTest() {
        dlg.testRecord.setElementText("KIAS");
        dlg.testRecord.phNumber = 30;
        dlg.testRecord.phByte = 1;
        dlg.testRecord.multiplier = 2.5;
        dlg.testRecord.offset = 3;
    }
    CTestAnalogDlg dlg{card};
};

TEST_F(AnalogTest, ConvertScalesTruncatesAndAddsTheOffset) {
    user.expectDialog(IDD_TEST_ANALOG)
        .then([](Dialog& d) {
            EXPECT_EQ(d.GetWindowText(), " KIAS");
            EXPECT_EQ(d.Window()->childIds(),
                      (std::vector<int>{-1, -1, IDC_FALCON_VALUE, IDC_CONVERT, -1, IDC_CARD_VALUE,
                                        IDC_SEND_VALUE, IdCancel}));
            EXPECT_EQ(d.GetControl(IDC_SEND_VALUE).GetWindowText(), "&Send to QUARN");
        })
        .expectText(IDC_FALCON_VALUE, "0")
        .expectText(IDC_CARD_VALUE, "0")
        .type(IDC_FALCON_VALUE, "10.3")
        .click(IDC_CONVERT)
        .expectText(IDC_CARD_VALUE, "28")
        .type(IDC_FALCON_VALUE, "-10.3")
        .click(IDC_CONVERT)
        .expectText(IDC_CARD_VALUE, "-22")
        .click(IdCancel);
    dlg.DoModal();
    EXPECT_TRUE(beeper.tones.empty()); // converting sends nothing
    EXPECT_EQ(card.phCalls(), 0);

    dlg.testRecord.multiplier = 1;
    dlg.testRecord.offset = 0;
    user.expectDialog(IDD_TEST_ANALOG)
        .type(IDC_FALCON_VALUE, "7.9")
        .click(IDC_CONVERT)
        .expectText(IDC_CARD_VALUE, "7")
        .type(IDC_FALCON_VALUE, "-7.9")
        .click(IDC_CONVERT)
        .expectText(IDC_CARD_VALUE, "-7")
        .click(IdCancel);
    dlg.DoModal();
    expectNoProblems();
}

// Products beyond 32 bits become INT32_MIN, as the transfer's conversion gives, and the offset
// wraps at 32 bits instead of overflowing.
TEST_F(AnalogTest, ConvertAtTheLimitsOfThirtyTwoBits) {
    dlg.testRecord.multiplier = 99999;
    dlg.testRecord.offset = INT_MAX;
    user.expectDialog(IDD_TEST_ANALOG)
        .type(IDC_FALCON_VALUE, "1e300")
        .click(IDC_CONVERT)
        .expectText(IDC_CARD_VALUE, "-1") // INT32_MIN + INT32_MAX
        .type(IDC_FALCON_VALUE, "1")
        .click(IDC_CONVERT)
        .expectText(IDC_CARD_VALUE, "-2147383650") // 99999 + INT32_MAX, wrapped
        .click(IdCancel);
    dlg.DoModal();
    dlg.testRecord.multiplier = -1;
    dlg.testRecord.offset = INT_MIN;
    user.expectDialog(IDD_TEST_ANALOG)
        .type(IDC_FALCON_VALUE, "-2147483647")
        .click(IDC_CONVERT)
        .expectText(IDC_CARD_VALUE, "-1")
        .click(IdCancel);
    dlg.DoModal();
    expectNoProblems();
    EXPECT_TRUE(user.boxes().empty());
}

TEST_F(AnalogTest, UnreadableValuesAreReportedAndNeitherConvertedNorSent) {
    for (const char* typed : {"nan", "inf", "-inf", "1e999", "", "1,5"}) {
        user.expectDialog(IDD_TEST_ANALOG)
            .type(IDC_FALCON_VALUE, typed)
            .click(IDC_CONVERT)
            .expectBox(doubleMessage(), "Glowbridge", platform::MbOk | platform::MbIconWarning)
            .expectFocus(IDC_FALCON_VALUE)
            .expectText(IDC_CARD_VALUE, "0")
            .click(IDC_SEND_VALUE)
            .expectBox(doubleMessage(), "Glowbridge", platform::MbOk | platform::MbIconWarning)
            .click(IdCancel);
        dlg.DoModal();
    }
    user.expectDialog(IDD_TEST_ANALOG)
        .then([](Dialog& d) { d.GetEdit(IDC_CARD_VALUE).SetWindowText("2147483648"); })
        .click(IDC_SEND_VALUE)
        .expectBox(intMessage(), "Glowbridge", platform::MbOk | platform::MbIconWarning)
        .expectFocus(IDC_CARD_VALUE)
        .click(IdCancel);
    dlg.DoModal();
    poll();
    expectNoProblems();
    EXPECT_TRUE(beeper.tones.empty());
    EXPECT_EQ(card.phCalls(), 0);
    EXPECT_EQ(port.card(kCard).pigeonHoleWrites(30), 0u);
}

// What edit 1024 shows is sent, converted or typed, as its low 8 bits.
TEST_F(AnalogTest, SendWritesTheShownValuesLowByte) {
    user.expectDialog(IDD_TEST_ANALOG).click(IDC_SEND_VALUE).click(IdCancel);
    dlg.DoModal();
    poll();
    EXPECT_EQ(pigeonHole(30), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(port.card(kCard).pigeonHoleWrites(30), 1u);

    user.expectDialog(IDD_TEST_ANALOG)
        .type(IDC_CARD_VALUE, "300")
        .click(IDC_SEND_VALUE)
        .click(IdCancel);
    dlg.DoModal();
    poll();
    EXPECT_EQ(pigeonHole(30), (std::vector<int>{0, 44, 0, 0}));

    user.expectDialog(IDD_TEST_ANALOG)
        .type(IDC_FALCON_VALUE, "-10.3")
        .click(IDC_CONVERT)
        .click(IDC_SEND_VALUE)
        .click(IdCancel);
    dlg.DoModal();
    poll();
    EXPECT_EQ(pigeonHole(30), (std::vector<int>{0, 0xEA, 0, 0})); // -22

    // The edit takes no typed sign, but shows negative results; the 32-bit ends.
    for (const auto& [shown, low] : {std::pair{"2147483647", 0xFF}, std::pair{"-2147483648", 0},
                                     std::pair{"-2147483647", 1}}) {
        user.expectDialog(IDD_TEST_ANALOG)
            .then([shown = shown](Dialog& d) { d.GetEdit(IDC_CARD_VALUE).SetWindowText(shown); })
            .click(IDC_SEND_VALUE)
            .click(IdCancel);
        dlg.DoModal();
        poll();
        EXPECT_EQ(pigeonHole(30), (std::vector<int>{0, low, 0, 0})) << shown;
    }
    EXPECT_EQ(beeper.tones, beeps(6));
    expectNoProblems();
}

// From the editors: "&Test..." checks first, then hands the binding under edit to the test
// dialog; the editor stays open and its entry unchanged.
TEST_F(TestDialogs, EditorsTestTheBindingUnderEdit) {
    CQpFlagDlg qp(card);
    qp.catalog = ElementCatalog;
    qp.entry.elementName = "MasterCaution";
    qp.entry.groupName = "Eyebrow Lights";
    qp.entry.qpOn = 5;
    qp.entry.qpOff = 6;
    user.expectDialog(IDD_QP_FLAG)
        .select(IDC_QP_ON, "010")
        .select(IDC_QP_OFF, "011")
        .click(IDC_TEST)
        .expectOpen()
        .click(IdCancel);
    user.expectDialog(IDD_TEST_FLAG)
        .expectText(0, " MasterCaution")
        .click(IDC_SEND_ON)
        .click(IDC_SEND_OFF)
        .click(IdCancel);
    EXPECT_EQ(qp.DoModal(), IdCancel);
    poll();
    ASSERT_EQ(port.card(kCard).qprocCount(), 2u);
    EXPECT_EQ(port.card(kCard).recentQProc(1), 10);
    EXPECT_EQ(port.card(kCard).recentQProc(0), 11);
    EXPECT_EQ(qp.entry.qpOn, 5);

    CPhFlagDlg ph(card);
    ph.catalog = ElementCatalog;
    ph.entry.elementName = "TFFail";
    ph.entry.phNumber = 20;
    ph.entry.phByte = 1;
    user.expectDialog(IDD_PH_FLAG)
        .select(IDC_PH_BYTE, "3")
        .click(IDC_BINARY_FORMAT)
        .type(IDC_BITS, "10000001")
        .click(IDC_TEST)
        .click(IdCancel);
    user.expectDialog(IDD_TEST_FLAG).expectText(0, " TFFail").click(IDC_SEND_ON).click(IdCancel);
    EXPECT_EQ(ph.DoModal(), IdCancel);
    poll();
    EXPECT_EQ(pigeonHole(20), (std::vector<int>{0, 0, 0, 0x81}));
    EXPECT_EQ(port.card(kCard).qprocCount(), 2u);
    EXPECT_EQ(ph.entry.phByte, 1);

    std::uint8_t usage[256] = {};
    CAnalogDataDlg analog(card);
    analog.catalog = ElementCatalog;
    analog.phUsage = usage;
    analog.entry.kind = DefinitionAnalog;
    analog.entry.elementName = "KIAS";
    analog.entry.phNumber = 30;
    analog.entry.phByte = 1;
    user.expectDialog(IDD_ANALOG_DATA)
        .type(IDC_MULTIPLIER, "2.5")
        .type(IDC_OFFSET, "3")
        .click(IDC_TEST)
        .click(IdCancel);
    user.expectDialog(IDD_TEST_ANALOG)
        .expectText(0, " KIAS")
        .type(IDC_FALCON_VALUE, "10.3")
        .click(IDC_CONVERT)
        .expectText(IDC_CARD_VALUE, "28")
        .click(IDC_SEND_VALUE)
        .click(IdCancel);
    EXPECT_EQ(analog.DoModal(), IdCancel);
    poll();
    EXPECT_EQ(pigeonHole(30), (std::vector<int>{0, 28, 0, 0}));
    EXPECT_EQ(analog.entry.multi, 1.0);
    EXPECT_EQ(beeper.tones, beeps(4));
    expectNoProblems();
}

} // namespace
} // namespace gb::ui
