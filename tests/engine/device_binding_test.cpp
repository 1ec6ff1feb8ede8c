#include "engine/device_binding.h"
#include "platform/event_loop.h"
#include "platform/message_box.h"
#include "platform/module_loader.h"
#include "quarnio/library.h"
#include "quarnio/quarnio.h"
#include "support/scripted_message_boxes.h"
#include "tools/card_emulator/emulated_port.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using gb::DeviceBinding;
using gb::DeviceProcedures;

namespace {

constexpr const char* kInitCaption = "Could not init QUARN.DLL";
constexpr const char* kLoadFailed = "Failure to load QUARNIO.DLL";
constexpr const char* kProceduresMissing = "Failure loading QUARNIO.DLL procedures";

// One test module's record of the calls it received (see fake_quarnio.c).
class FakeModule {
public:
    explicit FakeModule(const char* fileName)
        : module_(gb::platform::loadModule(fileName)),
          count_(reinterpret_cast<int (*)()>(gb::platform::findSymbol(module_, "fakeCallCount"))),
          call_(reinterpret_cast<const int* (*)(int)>(
              gb::platform::findSymbol(module_, "fakeCall"))) {}

    bool ok() const { return count_ != nullptr && call_ != nullptr; }
    int count() const { return count_(); }
    // Call i as "procedure:arg,arg,...", with only the arguments that procedure takes.
    std::string call(int i) const {
        const int* c = call_(i);
        if (c == nullptr) return "none";
        static const int argCount[] = {0, 1, 1, 2, 6, 1};
        std::string text = std::to_string(c[0]) + ":";
        for (int a = 1; a <= argCount[c[0]]; ++a)
            text.append(a > 1 ? "," : "").append(std::to_string(c[a]));
        return text;
    }
    std::vector<std::string> callsSince(int first) const {
        std::vector<std::string> calls;
        for (int i = first; i < count(); ++i)
            calls.push_back(call(i));
        return calls;
    }

private:
    void* module_;
    int (*count_)();
    const int* (*call_)(int);
};

class DeviceBindingTest : public ::testing::Test {
protected:
    gb::test::ScriptedMessageBoxes boxes;

    void expectOneBox(const char* text, const char* caption) {
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].text, text);
        EXPECT_EQ(boxes.shown()[0].caption, caption);
        EXPECT_EQ(boxes.shown()[0].style, 0u); // OK only, no icon
        boxes.clear();
    }

    static void expectRefusesEverything(DeviceBinding& binding) {
        std::uint8_t bytes[64] = {};
        EXPECT_FALSE(binding.isOpen());
        EXPECT_EQ(binding.deviceSlot(), -1);
        EXPECT_FALSE(binding.sendQP(1));
        EXPECT_FALSE(binding.sendPH(1, 1, 2, 3, 4));
        EXPECT_FALSE(binding.sendPHBytes(1, bytes, 4));
        EXPECT_FALSE(binding.getAnalogs(bytes));
    }
};

} // namespace

TEST_F(DeviceBindingTest, MissingModuleReportsAndRefusesSends) {
    DeviceBinding binding;
    EXPECT_FALSE(binding.open(3, "gb-no-such-quarnio-module"));
    expectOneBox(kLoadFailed, kInitCaption);
    expectRefusesEverything(binding);
    EXPECT_EQ(binding.qpCalls(), 0);
    EXPECT_EQ(binding.phCalls(), 0);
    binding.close(); // nothing to close
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(DeviceBindingTest, DeviceLibraryLoadsByItsPlainName) {
    EXPECT_STREQ(gb::platform::deviceLibraryName(),
                 GB_WINDOWS_BUILD ? "QUARNIO.DLL" : "libquarnio.so");
    if (gb::platform::loadModule(gb::platform::deviceLibraryName()) != nullptr)
        GTEST_SKIP() << "a device library is on this test's search path";
    DeviceBinding binding;
    EXPECT_FALSE(binding.open(255));
    expectOneBox(kLoadFailed, kInitCaption);
}

TEST_F(DeviceBindingTest, ModuleLackingOneProcedureIsNeverCalled) {
    FakeModule partial(GB_FAKE_QUARNIO_PARTIAL);
    ASSERT_TRUE(partial.ok());
    const int before = partial.count();
    DeviceBinding binding;
    EXPECT_FALSE(binding.open(1, GB_FAKE_QUARNIO_PARTIAL));
    expectOneBox(kProceduresMissing, kInitCaption);
    expectRefusesEverything(binding);
    EXPECT_EQ(partial.count(), before);
    // Trying again binds nothing either.
    EXPECT_FALSE(binding.open(1, GB_FAKE_QUARNIO_PARTIAL));
    expectOneBox(kProceduresMissing, kInitCaption);
    EXPECT_EQ(partial.count(), before);
}

TEST_F(DeviceBindingTest, GuardedWrappersOverACompleteModule) {
    FakeModule fake(GB_FAKE_QUARNIO);
    ASSERT_TRUE(fake.ok());
    const int first = fake.count();
    {
        DeviceBinding binding;
        ASSERT_TRUE(binding.open(2, GB_FAKE_QUARNIO));
        EXPECT_TRUE(boxes.shown().empty());
        EXPECT_TRUE(binding.isOpen());
        EXPECT_EQ(binding.deviceSlot(), 5);
        EXPECT_TRUE(binding.open(3, GB_FAKE_QUARNIO)); // already open: no second library call

        EXPECT_FALSE(binding.sendQP(-1));
        EXPECT_FALSE(binding.sendQP(INT32_MIN));
        EXPECT_TRUE(binding.sendQP(0));
        EXPECT_TRUE(binding.sendQP(INT32_MAX)); // no upper bound here
        EXPECT_EQ(binding.qpCalls(), 2);

        EXPECT_FALSE(binding.sendPH(-1, 1, 2, 3, 4));
        EXPECT_FALSE(binding.sendPH(256, 1, 2, 3, 4));
        EXPECT_FALSE(binding.sendPH(INT32_MAX, 1, 2, 3, 4));
        EXPECT_TRUE(binding.sendPH(255, 0x1FF, -1, 256, INT32_MIN + 7));
        const std::uint8_t bytes[4] = {7, 9, 11, 13};
        EXPECT_TRUE(binding.sendPHBytes(0, bytes, 2));
        EXPECT_TRUE(binding.sendPHBytes(1, bytes, 4));
        EXPECT_FALSE(binding.sendPHBytes(1, bytes, 0));
        EXPECT_FALSE(binding.sendPHBytes(1, bytes, 5));
        EXPECT_FALSE(binding.sendPHBytes(1, bytes, -1));
        EXPECT_FALSE(binding.sendPHBytes(1, nullptr, 4));
        EXPECT_FALSE(binding.sendPHBytes(256, bytes, 4));
        EXPECT_EQ(binding.phCalls(), 3);

        std::uint8_t analogs[64] = {};
        EXPECT_TRUE(binding.getAnalogs(analogs));
        EXPECT_EQ(analogs[0], 0xA5);
        EXPECT_EQ(analogs[63], 0xA5);
        EXPECT_FALSE(binding.getAnalogs(nullptr));
    } // destruction closes the card
    EXPECT_EQ(fake.callsSince(first),
              (std::vector<std::string>{"1:2", "3:5,0", "3:5,2147483647", "4:5,255,255,255,0,7",
                                        "4:5,0,7,9,0,0", "4:5,1,7,9,11,13", "5:5", "2:5"}));
}

TEST_F(DeviceBindingTest, ClosedCardRefusesAndCountsNothing) {
    FakeModule fake(GB_FAKE_QUARNIO);
    ASSERT_TRUE(fake.ok());
    DeviceBinding binding;
    ASSERT_TRUE(binding.open(0, GB_FAKE_QUARNIO));
    EXPECT_TRUE(binding.sendQP(4));
    binding.close();
    const int afterClose = fake.count();
    expectRefusesEverything(binding);
    EXPECT_EQ(binding.qpCalls(), 1);
    EXPECT_EQ(binding.phCalls(), 0);
    binding.close();
    EXPECT_EQ(fake.count(), afterClose);
    // The binding can be opened again; the program itself never does.
    EXPECT_TRUE(binding.open(7, GB_FAKE_QUARNIO));
    EXPECT_EQ(fake.call(fake.count() - 1), "1:7");
}

TEST_F(DeviceBindingTest, OpenRefusedByTheLibrary) {
    FakeModule fake(GB_FAKE_QUARNIO);
    ASSERT_TRUE(fake.ok());
    for (int card : {255, -1, INT32_MIN, INT32_MAX}) {
        DeviceBinding binding;
        const int before = fake.count();
        EXPECT_FALSE(binding.open(card, GB_FAKE_QUARNIO));
        expectOneBox("Error, can't open QUARN device!", "Could not open QUARN");
        expectRefusesEverything(binding);
        EXPECT_EQ(fake.callsSince(before),
                  std::vector<std::string>{std::string("1:").append(std::to_string(card))});
    }
}

TEST_F(DeviceBindingTest, IncompleteProceduresAtHandAreNotCalled) {
    DeviceProcedures procedures;
    procedures.openDevice = [](int) {
        ADD_FAILURE() << "a procedure of an incomplete set was called";
        return 0;
    };
    procedures.closeDevice = [](int) { return 0; };
    procedures.sendQP = [](int, int) { return 0; };
    procedures.sendPH = [](int, int, int, int, int, int) { return 0; };
    DeviceBinding binding;
    EXPECT_FALSE(binding.open(1, procedures));
    expectOneBox(kProceduresMissing, kInitCaption);
    EXPECT_FALSE(binding.isOpen());
}

// The real library, linked in and running over the emulated card: what the binding sends is what
// the card's Pigeon-holes and QProc log hold afterwards.
TEST_F(DeviceBindingTest, DrivesTheEmulatedCardThroughTheLibrary) {
    gb::emu::ScopedEmulatedPort port;
    const bool simulated = gb::platform::useSimulatedClock(true);
    quarnio::unloadForTests();
    ASSERT_TRUE(quarnio::loadEntry(1));

    const DeviceProcedures library{_OpenDevice, _CloseDevice, _SendQP, _SendPH, _GetAnalogs};
    {
        DeviceBinding binding;
        ASSERT_TRUE(binding.open(1, library));
        EXPECT_GE(binding.deviceSlot(), 0);
        const std::uint8_t input[3] = {0x10, 0x20, 0x30};
        port->card(1).setInput(0, input, 3);

        EXPECT_TRUE(binding.sendQP(5));
        const std::uint8_t bytes[2] = {7, 9};
        EXPECT_TRUE(binding.sendPHBytes(3, bytes, 2));
        EXPECT_TRUE(binding.sendPH(255, 0x1FF, -1, 128, 1));
        if (simulated) {
            gb::platform::runMessageLoopFor(60);
        } else {
            _GetData(binding.deviceSlot());
            _GetData(binding.deviceSlot());
        }
        const std::uint8_t* ph3 = port->card(1).pigeonHole(3);
        EXPECT_EQ(std::vector<int>(ph3, ph3 + 4), (std::vector<int>{7, 9, 0, 0}));
        const std::uint8_t* ph255 = port->card(1).pigeonHole(255);
        EXPECT_EQ(std::vector<int>(ph255, ph255 + 4), (std::vector<int>{255, 255, 128, 1}));
        ASSERT_EQ(port->card(1).qprocCount(), 1u);
        EXPECT_EQ(port->card(1).recentQProc(0), 5);

        std::uint8_t analogs[64] = {};
        EXPECT_TRUE(binding.getAnalogs(analogs));
        EXPECT_EQ(analogs[0], 0x10);
        EXPECT_EQ(analogs[2], 0x30);
        EXPECT_TRUE(port->isOpen(1));
    }
    EXPECT_FALSE(port->isOpen(1)); // the binding's destruction released the card

    // The default card number 255 is not a card the library knows.
    DeviceBinding binding;
    EXPECT_FALSE(binding.open(255, library));
    expectOneBox("Error, can't open QUARN device!", "Could not open QUARN");

    _CloseAllHandles(0);
    quarnio::loadEntry(0);
    quarnio::unloadForTests();
    gb::platform::useSimulatedClock(false);
}
