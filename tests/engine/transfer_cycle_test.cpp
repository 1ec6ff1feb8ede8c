// The transfer cycle over the simulator's real published block, sending through a binding whose
// procedures record every call; at the end the same over the device library and the emulated
// card.

#include "cockpit/element_table.h"
#include "engine/transfer_cycle.h"
#include "platform/event_loop.h"
#include "platform/shared_block.h"
#include "quarnio/library.h"
#include "quarnio/quarnio.h"
#include "scratch_dir.h"
#include "support/scripted_message_boxes.h"
#include "tools/card_emulator/emulated_port.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

using namespace gb;

namespace {

constexpr int kMasterCaution = 0; // bit 0x1 of the word at 0x06C
constexpr int kTfFail = 1;        // bit 0x2 of the same word
constexpr std::uint32_t kLightBitsOffset = 0x06C;
constexpr int kKias = 125;         // float at 0x034
constexpr int kTacanChannel = 145; // signed 32-bit at 0x2F4 in layout 200
constexpr std::uint32_t kTacanOffset = 0x2F4;

// Every library call the binding makes, as text.
std::vector<std::string> g_calls;

const DeviceProcedures kRecording{
    [](int device) {
        g_calls.push_back(std::string("open ").append(std::to_string(device)));
        return 0;
    },
    [](int) { return 0; },
    [](int, int qp) {
        g_calls.push_back(std::string("QP ").append(std::to_string(qp)));
        return 0;
    },
    [](int, int ph, int b0, int b1, int b2, int b3) {
        const int bytes[4] = {b0, b1, b2, b3};
        std::string call = std::string("PH ").append(std::to_string(ph));
        for (int i = 0; i < 4; ++i)
            call.append(i == 0 ? " " : ",").append(std::to_string(bytes[i]));
        g_calls.push_back(call);
        return 0;
    },
    [](int, void* buffer) {
        std::memset(buffer, 0, 64);
        g_calls.push_back("analogs");
        return 0;
    },
};

Definition qpFlag(int element, int on, int off, bool invert = false) {
    Definition d;
    d.elementIndex = element;
    d.elementName = element == kMasterCaution ? "MasterCaution" : "TFFail";
    d.qpOn = static_cast<std::int16_t>(on);
    d.qpOff = static_cast<std::int16_t>(off);
    d.invert = invert ? 1 : 0;
    return d;
}

Definition phFlag(int element, int ph, int byte, std::uint32_t mask) {
    Definition d = qpFlag(element, -1, -1);
    d.phNumber = static_cast<std::int16_t>(ph);
    d.phByte = static_cast<std::int16_t>(byte);
    d.bitMask = mask;
    return d;
}

Definition analog(int element, int ph, int byte, double multi = 1.0, std::int32_t offset = 0) {
    Definition d;
    d.kind = DefinitionAnalog;
    d.elementIndex = element;
    d.elementName = element == kKias ? "KIAS" : "UFCTacanChannel";
    d.phNumber = static_cast<std::int16_t>(ph);
    d.phByte = static_cast<std::int16_t>(byte);
    d.multi = multi;
    d.offset = offset;
    return d;
}

class TransferCycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        handle_ = platform::createSharedBlock(kSharedBlockName, kBlockSizeL200, &view_);
        ASSERT_NE(handle_, nullptr) << "cannot publish the simulator block";
        ASSERT_TRUE(source.attach());
        ASSERT_TRUE(binding.open(1, kRecording));
        g_calls.clear();
    }
    void TearDown() override {
        source.detach();
        if (handle_ != nullptr) platform::destroySharedBlock(handle_, view_, kBlockSizeL200);
    }

    // Adds d and widens the Pigeon-hole range as the loader does.
    void add(const Definition& d) {
        ASSERT_GE(list.addDefinition(d), 0);
        if (d.phNumber >= 0) {
            list.phLow = std::min<std::int32_t>(list.phLow, d.phNumber);
            list.phHigh = std::max<std::int32_t>(list.phHigh, d.phNumber);
        }
    }

    void setFlag(int element, bool on) {
        const std::uint32_t mask = element == kMasterCaution ? 0x1 : 0x2;
        std::uint32_t word;
        std::memcpy(&word, bytes() + kLightBitsOffset, 4);
        word = on ? word | mask : word & ~mask;
        std::memcpy(bytes() + kLightBitsOffset, &word, 4);
    }
    void setKias(float value) { std::memcpy(bytes() + kKiasOffset, &value, 4); }
    void setTacan(std::int32_t value) { std::memcpy(bytes() + kTacanOffset, &value, 4); }

    // One cycle; the calls it made, without the analog fetch that starts every cycle.
    std::vector<std::string> cycle() {
        g_calls.clear();
        runTransferCycle(source, list, image, binding, logging, options);
        EXPECT_FALSE(g_calls.empty());
        if (!g_calls.empty()) {
            EXPECT_EQ(g_calls.front(), "analogs");
            g_calls.erase(g_calls.begin());
        }
        return g_calls;
    }

    // The safe pass; the calls it made.
    std::vector<std::string> safePass(int expectAccepted) {
        g_calls.clear();
        EXPECT_EQ(turnOutputsOff(list, image, binding, logging), expectAccepted);
        return g_calls;
    }

    std::uint8_t* bytes() { return static_cast<std::uint8_t*>(view_); }

    test::ScriptedMessageBoxes boxes;
    SharedMemorySource source;
    DefinitionList list;
    PigeonHoleImage image{};
    DeviceBinding binding;
    TransferLogging logging;
    TransferOptions options;

private:
    void* view_ = nullptr;
    platform::SharedBlockHandle handle_ = nullptr;
};

using Calls = std::vector<std::string>;

} // namespace

TEST(BitString, LowBitsMostSignificantFirst) {
    EXPECT_STREQ(bitString(5, 8), "00000101");
    EXPECT_STREQ(bitString(0x1FF, 8), "11111111");
    EXPECT_STREQ(bitString(0x80000001u, 32), "10000000000000000000000000000001");
    EXPECT_STREQ(bitString(5, 1), "1");
    EXPECT_STREQ(bitString(5, 0), "");
    EXPECT_STREQ(bitString(5, 40), "");
    EXPECT_STREQ(bitString(5, 33), "");
    EXPECT_STREQ(bitString(5, -1), "");
    EXPECT_STREQ(bitString(5, INT_MIN), "");
    // One shared buffer: the next call overwrites the text.
    const char* first = bitString(1, 4);
    EXPECT_EQ(bitString(2, 4), first);
    EXPECT_STREQ(first, "0010");
}

TEST_F(TransferCycleTest, QpFlagCallsOnceForEachChange) {
    add(qpFlag(kMasterCaution, 5, 6));
    EXPECT_EQ(cycle(), Calls{}); // off, as last processed
    setFlag(kMasterCaution, true);
    EXPECT_EQ(cycle(), Calls{"QP 5"});
    EXPECT_EQ(cycle(), Calls{});
    setFlag(kMasterCaution, false);
    EXPECT_EQ(cycle(), Calls{"QP 6"});
    EXPECT_EQ(cycle(), Calls{});
    EXPECT_EQ(binding.qpCalls(), 2);
}

TEST_F(TransferCycleTest, InvertedFlagIsSentInTheFirstCycle) {
    add(qpFlag(kMasterCaution, 5, 6, true));
    EXPECT_EQ(cycle(), Calls{"QP 5"});
    setFlag(kMasterCaution, true);
    EXPECT_EQ(cycle(), Calls{"QP 6"});
}

TEST_F(TransferCycleTest, NegativeOffQProcSendsNothingButKeepsTheState) {
    add(qpFlag(kMasterCaution, 5, -1));
    setFlag(kMasterCaution, true);
    EXPECT_EQ(cycle(), Calls{"QP 5"});
    setFlag(kMasterCaution, false);
    EXPECT_EQ(cycle(), Calls{});
    EXPECT_EQ(list.items[0]->lastValue, 0u);
    // A flag with neither form keeps its state too, and sends nothing.
    add(qpFlag(kTfFail, -1, -1));
    setFlag(kTfFail, true);
    EXPECT_EQ(cycle(), Calls{});
    EXPECT_EQ(list.items[1]->lastValue, 1u);
}

TEST_F(TransferCycleTest, PhFlagsSharingAByteGoOutInOneWrite) {
    add(phFlag(kMasterCaution, 10, 2, 0x01));
    add(phFlag(kTfFail, 10, 2, 0x80));
    image[10].bytes[0] = 0x11;
    image[10].bytes[1] = 0x22;
    image[10].bytes[3] = 0x44;
    EXPECT_EQ(cycle(), Calls{});
    setFlag(kMasterCaution, true);
    setFlag(kTfFail, true);
    EXPECT_EQ(cycle(), Calls{"PH 10 17,34,129,68"});
    EXPECT_EQ(image[10].pending, 0);
    setFlag(kMasterCaution, false);
    EXPECT_EQ(cycle(), Calls{"PH 10 17,34,128,68"});
    EXPECT_EQ(cycle(), Calls{});
}

TEST_F(TransferCycleTest, PhFlagMasksBeyondTheByteTouchOnlyItsLowBits) {
    add(phFlag(kMasterCaution, 0, 0, 0xFFFFFF01u));
    add(phFlag(kTfFail, 0, 3, 0x100)); // nothing of it lies in a byte
    setFlag(kMasterCaution, true);
    setFlag(kTfFail, true);
    EXPECT_EQ(cycle(), Calls{"PH 0 1,0,0,0"});
    setFlag(kMasterCaution, false);
    EXPECT_EQ(cycle(), Calls{"PH 0 0,0,0,0"});
}

TEST_F(TransferCycleTest, AnalogValueIsHeldBackOneCycleAndSentEveryCycle) {
    add(analog(kKias, 10, 2));
    image[10].bytes[0] = 9;
    setKias(42.5f);
    EXPECT_EQ(cycle(), Calls{"PH 10 9,0,0,0"}); // the new value waits
    EXPECT_EQ(cycle(), Calls{"PH 10 9,0,42,0"});
    EXPECT_EQ(cycle(), Calls{"PH 10 9,0,42,0"});
    EXPECT_EQ(list.items[0]->lastValue, 42u);

    // A value that changes on every cycle never reaches its byte.
    for (float v : {1.0f, 2.0f, 3.0f, 4.0f}) {
        setKias(v);
        EXPECT_EQ(cycle(), Calls{"PH 10 9,0,42,0"});
    }
}

TEST_F(TransferCycleTest, WithoutHoldBackAnAnalogValueIsWrittenInTheCycleThatReadsIt) {
    options.analogHoldBack = false;
    add(analog(kKias, 10, 2));
    image[10].bytes[0] = 9;
    setKias(42.5f);
    EXPECT_EQ(cycle(), Calls{"PH 10 9,0,42,0"});
    EXPECT_EQ(cycle(), Calls{"PH 10 9,0,42,0"});
    // A value that changes on every cycle follows every read.
    for (int v : {1, 2, 3, 4}) {
        setKias(static_cast<float>(v));
        EXPECT_EQ(cycle(), Calls{std::string("PH 10 9,0,").append(std::to_string(v)).append(",0")});
    }
    EXPECT_EQ(list.items[0]->lastValue, 4u);
    // Flags do not care.
    add(qpFlag(kMasterCaution, 5, 6));
    setFlag(kMasterCaution, true);
    EXPECT_EQ(cycle(), (Calls{"QP 5", "PH 10 9,0,4,0"}));
    EXPECT_EQ(cycle(), Calls{"PH 10 9,0,4,0"});
}

TEST_F(TransferCycleTest, AnalogResultsSendTheirLowEightBitsUnclamped) {
    add(analog(kTacanChannel, 20, 0));
    add(analog(kKias, 21, 1, -1.0));
    struct Case {
        std::int32_t tacan;
        float kias;
        int tacanByte;
        int kiasByte;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {300, -300.0f, 44, 44}, {-1, 1.0f, 255, 255},         {INT_MAX, 2.9f, 255, 254},
        {INT_MIN, nan, 0, 0},   {INT_MIN + 255, inf, 255, 0}, {256, -inf, 0, 0},
    };
    for (const Case& c : cases) {
        setTacan(c.tacan);
        setKias(c.kias);
        cycle();
        EXPECT_EQ(
            cycle(),
            (Calls{std::string("PH 20 ").append(std::to_string(c.tacanByte)).append(",0,0,0"),
                   std::string("PH 21 0,").append(std::to_string(c.kiasByte)).append(",0,0")}))
            << c.tacan << " " << c.kias;
        EXPECT_EQ(list.items[0]->lastValue, static_cast<std::uint32_t>(c.tacan));
    }
}

TEST_F(TransferCycleTest, QProcsGoInListOrderThenPigeonHolesAscending) {
    add(analog(kKias, 12, 0));
    add(qpFlag(kTfFail, 7, 8));
    add(analog(kTacanChannel, 3, 1));
    add(qpFlag(kMasterCaution, 1, 2));
    add(phFlag(kMasterCaution, 7, 3, 0x4));
    setFlag(kMasterCaution, true);
    setFlag(kTfFail, true);
    EXPECT_EQ(cycle(), (Calls{"QP 7", "QP 1", "PH 3 0,0,0,0", "PH 7 0,0,0,4", "PH 12 0,0,0,0"}));
    EXPECT_EQ(cycle(), (Calls{"PH 3 0,0,0,0", "PH 12 0,0,0,0"}));
}

TEST_F(TransferCycleTest, OnlyThePigeonHoleRangeIsSentAndPendingClearsAnyway) {
    add(phFlag(kMasterCaution, 10, 0, 0x1));
    add(phFlag(kTfFail, 40, 0, 0x1));
    list.phHigh = 39; // a range that misses Pigeon-hole 40
    setFlag(kMasterCaution, true);
    setFlag(kTfFail, true);
    EXPECT_EQ(cycle(), Calls{"PH 10 1,0,0,0"});
    EXPECT_EQ(image[40].pending, 1); // outside the range: neither sent nor cleared

    // Card closed: the send is refused, the change is not sent later.
    binding.close();
    setFlag(kMasterCaution, false);
    runTransferCycle(source, list, image, binding, logging);
    EXPECT_EQ(image[10].pending, 0);
    EXPECT_EQ(binding.phCalls(), 1);
    ASSERT_TRUE(binding.open(1, kRecording));
    EXPECT_EQ(cycle(), Calls{});

    // No Pigeon-hole in use.
    list.phLow = 9999;
    list.phHigh = -1;
    setFlag(kMasterCaution, true);
    EXPECT_EQ(cycle(), Calls{});
    EXPECT_EQ(image[10].pending, 1);
}

TEST_F(TransferCycleTest, OutOfRangeSlotsAreSkippedNotWritten) {
    // The loader refuses these; a record changed in place must still not write past the image.
    Definition wide = analog(kKias, 300, 0);
    Definition badByte = phFlag(kMasterCaution, 5, 7, 0xFF);
    Definition negativeByte = analog(kTacanChannel, 5, -2);
    ASSERT_GE(list.addDefinition(wide), 0);
    ASSERT_GE(list.addDefinition(badByte), 0);
    ASSERT_GE(list.addDefinition(negativeByte), 0);
    list.phLow = -5;
    list.phHigh = 10000;
    setKias(12.0f);
    setFlag(kMasterCaution, true);
    EXPECT_EQ(cycle(), Calls{});
    EXPECT_EQ(list.items[0]->lastValue, 12u);
    EXPECT_EQ(list.items[1]->lastValue, 1u);
    for (const PigeonHoleSlot& slot : image)
        EXPECT_EQ(slot.pending, 0);
}

TEST_F(TransferCycleTest, DetachedSourceReadsOffAndZero) {
    add(qpFlag(kMasterCaution, 5, 6, true));
    add(analog(kKias, 1, 0));
    setKias(50.0f);
    source.detach();
    EXPECT_EQ(cycle(), (Calls{"QP 5", "PH 1 0,0,0,0"}));
    EXPECT_EQ(list.items[1]->lastValue, 0u);
}

TEST_F(TransferCycleTest, LogsChangesInDebugModeAndTracedDefinitionsAlways) {
    test::ScratchDir dir;
    const std::string path = dir.file("debug.txt");
    DebugLog log;
    logging.log = &log;
    logging.debugFile = path.c_str();

    add(qpFlag(kMasterCaution, 5, 6));
    add(phFlag(kTfFail, 10, 2, 0x81));
    add(analog(kKias, 10, 1, 2.0, -3));
    setFlag(kMasterCaution, true);
    setFlag(kTfFail, true);
    setKias(-12.75f);

    // Without debug mode and without traced definitions nothing is written.
    cycle();
    EXPECT_EQ(log.lineCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(path));

    logging.debugMode = true;
    setFlag(kMasterCaution, false);
    setFlag(kTfFail, false);
    cycle();
    std::string text = test::ScratchDir::read(path);
    EXPECT_NE(text.find("00000001: MasterCaution=Off"), std::string::npos) << text;
    EXPECT_NE(text.find("00000002: TFFail=Off [10,2,0b00000000]"), std::string::npos) << text;
    EXPECT_NE(text.find("00000003: KIAS=[10,1,0xFFFFFFE4 (-28)] (-12.750000)"), std::string::npos)
        << text;

    // Unchanged flags are not logged, analog values are logged on every cycle.
    cycle();
    EXPECT_EQ(log.lineCount(), 4);

    // Debug mode off: only the traced definition.
    logging.debugMode = false;
    list.items[0]->trace = 1;
    setFlag(kMasterCaution, true);
    setFlag(kTfFail, true);
    cycle();
    EXPECT_EQ(log.lineCount(), 5);
    text = test::ScratchDir::read(path);
    EXPECT_NE(text.find("00000005: MasterCaution=On"), std::string::npos) << text;

    // No log at all: nothing, even for a traced definition.
    logging.log = nullptr;
    setFlag(kMasterCaution, false);
    cycle();
    EXPECT_EQ(log.lineCount(), 5);
}

TEST_F(TransferCycleTest, ReadTimerTickIsGuardedAgainstReentry) {
    test::ScratchDir dir;
    const std::string path = dir.file("debug.txt");
    DebugLog log;
    logging.log = &log;
    logging.debugFile = path.c_str();
    add(qpFlag(kMasterCaution, 5, 6));
    setFlag(kMasterCaution, true);

    bool inCycle = true;
    EXPECT_EQ(readTimerTick(inCycle, source, list, image, binding, logging), ReadTick::Dropped);
    EXPECT_TRUE(inCycle);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_NE(test::ScratchDir::read(path).find("00000001: Read-Check too slow"),
              std::string::npos);

    inCycle = false;
    EXPECT_EQ(readTimerTick(inCycle, source, list, image, binding, logging), ReadTick::Ran);
    EXPECT_FALSE(inCycle);
    EXPECT_EQ(g_calls, (Calls{"analogs", "QP 5"}));

    source.detach();
    g_calls.clear();
    EXPECT_EQ(readTimerTick(inCycle, source, list, image, binding, logging), ReadTick::NotAttached);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(log.lineCount(), 1);
}

TEST_F(TransferCycleTest, SafePassTurnsEveryOutputOffAndTheNextCycleSendsWhatIsOn) {
    add(qpFlag(kMasterCaution, 5, 6));
    add(qpFlag(kTfFail, 7, 8)); // stays off
    add(phFlag(kMasterCaution, 10, 2, 0x01));
    add(phFlag(kTfFail, 10, 2, 0x80)); // off, but its bit set by hand below
    add(analog(kKias, 12, 1));
    add(analog(kTacanChannel, 3, 0));
    image[10].bytes[0] = 0x11; // bytes no definition uses are kept
    setFlag(kMasterCaution, true);
    setKias(42.0f);
    setTacan(-1);
    cycle();
    EXPECT_EQ(cycle(), (Calls{"PH 3 255,0,0,0", "PH 12 0,42,0,0"}));
    image[10].bytes[2] |= 0x80;

    // Only the QP flag that is on calls its Off QProc; every used Pigeon-hole goes once.
    EXPECT_EQ(safePass(4), (Calls{"QP 6", "PH 3 0,0,0,0", "PH 10 17,0,0,0", "PH 12 0,0,0,0"}));
    for (int i = 0; i < list.count; ++i)
        EXPECT_EQ(list.items[i]->lastValue, 0u) << i;
    for (const PigeonHoleSlot& slot : image)
        EXPECT_EQ(slot.pending, 0);
    EXPECT_EQ(binding.qpCalls(), 2);

    // Again: nothing is on, the Pigeon-holes are written once more.
    EXPECT_EQ(safePass(3), (Calls{"PH 3 0,0,0,0", "PH 10 17,0,0,0", "PH 12 0,0,0,0"}));

    // Attached again with the cockpit unchanged: what is on goes out again, the analog values
    // held back one cycle as after any change.
    EXPECT_EQ(cycle(), (Calls{"QP 5", "PH 3 0,0,0,0", "PH 10 17,0,1,0", "PH 12 0,0,0,0"}));
    EXPECT_EQ(cycle(), (Calls{"PH 3 255,0,0,0", "PH 12 0,42,0,0"}));
}

TEST_F(TransferCycleTest, SafePassWithoutHoldBackGivesTheValuesBackInTheFirstCycle) {
    options.analogHoldBack = false;
    add(analog(kKias, 12, 1));
    setKias(42.0f);
    EXPECT_EQ(cycle(), Calls{"PH 12 0,42,0,0"});
    EXPECT_EQ(safePass(1), Calls{"PH 12 0,0,0,0"});
    EXPECT_EQ(cycle(), Calls{"PH 12 0,42,0,0"});
    // A value of 0 is what the pass left: the same either way.
    setKias(0.0f);
    EXPECT_EQ(safePass(1), Calls{"PH 12 0,0,0,0"});
    options.analogHoldBack = true;
    EXPECT_EQ(cycle(), Calls{"PH 12 0,0,0,0"});
}

// lastValue is the output's state: an inverted flag whose element is off is an output that is
// on, and the pass turns the output off, not the element.
TEST_F(TransferCycleTest, SafePassTurnsAnInvertedFlagsOutputOffAndItComesBack) {
    add(qpFlag(kMasterCaution, 5, 6, true)); // element off: output on
    add(qpFlag(kTfFail, 7, 8, true));
    add(phFlag(kTfFail, 10, 0, 0x04));
    list.items[2]->invert = 1;
    setFlag(kTfFail, true); // element on: both outputs of TFFail off
    EXPECT_EQ(cycle(), Calls{"QP 5"});
    EXPECT_EQ(safePass(2), (Calls{"QP 6", "PH 10 0,0,0,0"}));
    EXPECT_EQ(list.items[0]->lastValue, 0u);
    EXPECT_EQ(cycle(), Calls{"QP 5"});
    EXPECT_EQ(cycle(), Calls{});

    // The element comes on while detached: the output stays off, nothing goes at the attach.
    safePass(2);
    setFlag(kMasterCaution, true);
    EXPECT_EQ(cycle(), Calls{});
    // An inverted PH flag: element off lights the bit; the pass clears it, the cycle sets it.
    setFlag(kTfFail, false);
    EXPECT_EQ(cycle(), (Calls{"QP 7", "PH 10 4,0,0,0"}));
    EXPECT_EQ(safePass(2), (Calls{"QP 8", "PH 10 0,0,0,0"}));
    EXPECT_EQ(cycle(), (Calls{"QP 7", "PH 10 4,0,0,0"}));
}

TEST_F(TransferCycleTest, SafePassWithANegativeOffQProcOrACardClosed) {
    add(qpFlag(kMasterCaution, 5, -1));
    add(phFlag(kTfFail, 10, 0, 0x01));
    setFlag(kMasterCaution, true);
    setFlag(kTfFail, true);
    EXPECT_EQ(cycle(), (Calls{"QP 5", "PH 10 1,0,0,0"}));
    // No Off QProc: nothing goes for it, but it counts as off and comes back.
    EXPECT_EQ(safePass(1), Calls{"PH 10 0,0,0,0"});
    EXPECT_EQ(list.items[0]->lastValue, 0u);
    EXPECT_EQ(cycle(), (Calls{"QP 5", "PH 10 1,0,0,0"}));

    // Card closed: every send is refused, the image and the states are off all the same, and
    // the next attach sends what is on.
    binding.close();
    EXPECT_EQ(safePass(0), Calls{});
    EXPECT_EQ(image[10].bytes[0], 0);
    EXPECT_EQ(image[10].pending, 0);
    EXPECT_EQ(list.items[1]->lastValue, 0u);
    ASSERT_TRUE(binding.open(1, kRecording));
    g_calls.clear();
    EXPECT_EQ(cycle(), (Calls{"QP 5", "PH 10 1,0,0,0"}));
}

TEST_F(TransferCycleTest, SafePassLogsTheFlagsItTurnsOffAndSkipsOutOfRangeSlots) {
    test::ScratchDir dir;
    const std::string path = dir.file("debug.txt");
    DebugLog log;
    logging.log = &log;
    logging.debugFile = path.c_str();
    add(qpFlag(kMasterCaution, 5, 6));
    add(phFlag(kTfFail, 10, 2, 0x81));
    list.items[1]->trace = 1;
    add(qpFlag(kTfFail, 7, 8));
    Definition wide = analog(kKias, 300, 0); // the loader refuses it; never written
    ASSERT_GE(list.addDefinition(wide), 0);
    setFlag(kMasterCaution, true);
    setFlag(kTfFail, true);
    setKias(7.0f);
    cycle();
    ASSERT_EQ(log.lineCount(), 1);

    // Without debug mode only the traced flag.
    EXPECT_EQ(safePass(3), (Calls{"QP 6", "QP 8", "PH 10 0,0,0,0"}));
    EXPECT_EQ(log.lineCount(), 2);
    EXPECT_EQ(list.items[3]->lastValue, 0u);

    logging.debugMode = true;
    cycle(); // three flags on and the analog value: four lines
    ASSERT_EQ(log.lineCount(), 6);
    EXPECT_EQ(safePass(3), (Calls{"QP 6", "QP 8", "PH 10 0,0,0,0"}));
    const std::string text = test::ScratchDir::read(path);
    // Numbered in list order (the file's line ends are the system's).
    for (const char* line :
         {"00000002: TFFail=Off [10,2,0b00000000]", "00000007: MasterCaution=Off",
          "00000008: TFFail=Off [10,2,0b00000000]", "00000009: TFFail=Off"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    // Flags already off are not logged again; analog values are not logged by the pass.
    safePass(1);
    EXPECT_EQ(log.lineCount(), 9);
}

// The whole road: block -> cycle -> binding -> library -> emulated card.
TEST_F(TransferCycleTest, ReachesTheEmulatedCard) {
    binding.close();
    emu::ScopedEmulatedPort port;
    const bool simulated = platform::useSimulatedClock(true);
    quarnio::unloadForTests();
    ASSERT_TRUE(quarnio::loadEntry(1));
    DeviceBinding card;
    ASSERT_TRUE(
        card.open(2, DeviceProcedures{_OpenDevice, _CloseDevice, _SendQP, _SendPH, _GetAnalogs}));
    const auto poll = [&] {
        if (simulated) {
            platform::runMessageLoopFor(60);
        } else {
            _GetData(card.deviceSlot());
            _GetData(card.deviceSlot());
        }
    };

    add(qpFlag(kMasterCaution, 5, 6));
    add(phFlag(kTfFail, 10, 0, 0x81));
    add(analog(kKias, 10, 2));
    setFlag(kMasterCaution, true);
    setFlag(kTfFail, true);
    setKias(42.0f);
    runTransferCycle(source, list, image, card);
    runTransferCycle(source, list, image, card);
    poll();
    ASSERT_EQ(port->card(2).qprocCount(), 1u);
    EXPECT_EQ(port->card(2).recentQProc(0), 5);
    const std::uint8_t* ph = port->card(2).pigeonHole(10);
    EXPECT_EQ(std::vector<int>(ph, ph + 4), (std::vector<int>{0x81, 0, 42, 0}));
    EXPECT_EQ(card.qpCalls(), 1);
    EXPECT_EQ(card.phCalls(), 2);

    card.close();
    _CloseAllHandles(0);
    quarnio::loadEntry(0);
    quarnio::unloadForTests();
    platform::useSimulatedClock(false);
}
