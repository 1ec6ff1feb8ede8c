// The labels a definition file gives what the card receives: QProc calls, Pigeon-hole bits and
// analog bytes taken back to the element value they stand for.

#include "cockpit/definition_file.h"
#include "cockpit/shared_memory_source.h"
#include "support/scripted_message_boxes.h"
#include "tools/card_emulator/card.h"
#include "tools/card_emulator/labels.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace gb::emu {
namespace {

// The transfer cycle's scaled value for an element value, as readScaled forms it.
std::int32_t scaledAsTheCycleDoes(ElementKind kind, double value, double multi,
                                  std::int32_t offset) {
    std::uint32_t product = 0;
    if (kind == ElementKind::FloatValue) {
        product = static_cast<std::uint32_t>(
            truncateToInt32(static_cast<double>(static_cast<float>(value)) * multi));
    } else {
        product = static_cast<std::uint32_t>(static_cast<std::int32_t>(value)) *
                  static_cast<std::uint32_t>(truncateToInt32(multi));
    }
    return static_cast<std::int32_t>(product + static_cast<std::uint32_t>(offset));
}

TEST(AnalogByteReversed, ExactCasesGiveTheElementValue) {
    double v = 0;
    ASSERT_TRUE(elementValueOfByte(ElementKind::FloatValue, 0.5, 0, 125, v));
    EXPECT_EQ(v, 250.0);
    ASSERT_TRUE(elementValueOfByte(ElementKind::FloatValue, -0.01, 0, 12, v));
    EXPECT_EQ(v, -1200.0);
    ASSERT_TRUE(elementValueOfByte(ElementKind::FloatValue, -0.01, 0, 0, v));
    EXPECT_FALSE(std::signbit(v)); // shown as "0", not "-0"
    ASSERT_TRUE(elementValueOfByte(ElementKind::FloatValue, 10.0, 3, 128, v));
    EXPECT_EQ(v, 12.5);
    ASSERT_TRUE(elementValueOfByte(ElementKind::IntValue, 2.9, -6, 14, v)); // 2.9 acts as 2
    EXPECT_EQ(v, 10.0);
    ASSERT_TRUE(elementValueOfByte(ElementKind::IntValue, -1.0, 0, 7, v));
    EXPECT_EQ(v, -7.0);
}

TEST(AnalogByteReversed, AmbiguousOrInexactGivesOnlyTheByte) {
    double v = 0;
    // 200 / 2.55 is no float whose product is exactly 200.
    EXPECT_FALSE(elementValueOfByte(ElementKind::FloatValue, 2.55, 0, 200, v));
    EXPECT_FALSE(elementValueOfByte(ElementKind::FloatValue, 3.0, 0, 125, v));
    // An integer element's multiplier that truncates to 0 sends the offset whatever the value.
    EXPECT_FALSE(elementValueOfByte(ElementKind::IntValue, 0.5, 0, 0, v));
    EXPECT_FALSE(elementValueOfByte(ElementKind::IntValue, 2.0, 0, 7, v)); // no integer gives 7
    EXPECT_FALSE(elementValueOfByte(ElementKind::FloatValue, 0.0, 0, 0, v));
    EXPECT_FALSE(elementValueOfByte(ElementKind::FloatValue, -0.0, 0, 0, v));
    // Digits and flags: the byte is all there is.
    EXPECT_FALSE(elementValueOfByte(ElementKind::Computed, 1.0, 0, 3, v));
    EXPECT_FALSE(elementValueOfByte(ElementKind::BitFlag, 1.0, 0, 3, v));
    EXPECT_FALSE(elementValueOfByte(ElementKind::Absent, 1.0, 0, 3, v));
}

TEST(AnalogByteReversed, ExtremeOffsetsAndMultipliersStayDefined) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    double v = 0;
    for (ElementKind kind : {ElementKind::FloatValue, ElementKind::IntValue}) {
        for (double multi : {nan, -nan, inf, -inf}) {
            for (int byte : {0, 1, 255}) {
                EXPECT_FALSE(elementValueOfByte(kind, multi, 0, static_cast<std::uint8_t>(byte), v))
                    << multi;
                EXPECT_FALSE(
                    elementValueOfByte(kind, multi, INT_MIN, static_cast<std::uint8_t>(byte), v));
            }
        }
    }
    // byte - INT_MIN leaves 32 bits: the byte cannot be the whole value.
    EXPECT_FALSE(elementValueOfByte(ElementKind::IntValue, 1.0, INT_MIN, 0, v));
    EXPECT_FALSE(elementValueOfByte(ElementKind::FloatValue, 1.0, INT_MIN, 255, v));
    // byte - INT_MAX is within 32 bits and exact.
    ASSERT_TRUE(elementValueOfByte(ElementKind::IntValue, 1.0, INT_MAX, 255, v));
    EXPECT_EQ(v, 255.0 - INT_MAX);
    ASSERT_TRUE(elementValueOfByte(ElementKind::IntValue, -1.0, INT_MAX, 0, v));
    EXPECT_EQ(v, static_cast<double>(INT_MAX));
    // A multiplier outside the 32-bit range cannot be truncated for an integer element.
    EXPECT_FALSE(elementValueOfByte(ElementKind::IntValue, 1e300, 0, 0, v));
    EXPECT_FALSE(elementValueOfByte(ElementKind::IntValue, 2147483648.0, 0, 0, v));
    EXPECT_FALSE(elementValueOfByte(ElementKind::IntValue, -2147483649.0, 0, 0, v));
    ASSERT_TRUE(elementValueOfByte(ElementKind::IntValue, -2147483648.0, 0, 0, v));
    EXPECT_EQ(v, 0.0);
    // Tiny multipliers give values beyond any float.
    EXPECT_FALSE(elementValueOfByte(ElementKind::FloatValue, 1e-300, 0, 200, v));
    EXPECT_FALSE(elementValueOfByte(ElementKind::FloatValue, 4.9e-324, 0, 1, v));
    EXPECT_FALSE(elementValueOfByte(ElementKind::FloatValue, -1e-40, INT_MAX, 0, v));
}

// Whatever value is shown, the cycle turns it into exactly the byte.
TEST(AnalogByteReversed, EveryShownValueGivesItsByteBack) {
    const double multis[] = {1.0,  -1.0, 0.5,    -0.01, 10.0,   2.55,  0.05,  3.0,
                             1e-7, 1e7,  -300.5, 0.125, 65536., 1e-30, -1e10, 2.9};
    const std::int32_t offsets[] = {0, -3, 100, -128, 255, INT_MAX, INT_MIN, INT_MIN + 300};
    int shown = 0;
    for (ElementKind kind : {ElementKind::FloatValue, ElementKind::IntValue}) {
        for (double multi : multis) {
            for (std::int32_t offset : offsets) {
                for (int b = 0; b < 256; ++b) {
                    double v = 0;
                    if (!elementValueOfByte(kind, multi, offset, static_cast<std::uint8_t>(b), v))
                        continue;
                    ++shown;
                    ASSERT_EQ(scaledAsTheCycleDoes(kind, v, multi, offset), b)
                        << "multi " << multi << " offset " << offset << " value " << v;
                }
            }
        }
    }
    EXPECT_GT(shown, 3000);
}

class Labels : public ::testing::Test {
protected:
    void load(const char* text) {
        gb::test::ScriptedMessageBoxes boxes;
        ASSERT_GT(parseDefinitionText(list_, text, std::strlen(text)), 0);
        ASSERT_TRUE(boxes.shown().empty());
    }

    DefinitionList list_;
};

TEST_F(Labels, QProcsByTheirFlags) {
    load("[Eyebrow Lights]\nMasterCaution=7\n"
         "[Power Lights]\nMainGen=c,12,13\n"
         "[Gear Lights]\nHandle=8,8\n");
    DefinitionLabels labels(list_);
    EXPECT_EQ(labels.qproc(7), "MasterCaution ON (QProc 7)");
    EXPECT_EQ(labels.qproc(8), "MasterCaution OFF, Handle ON or OFF (QProc 8)");
    EXPECT_EQ(labels.qproc(12), "MainGen OFF (inverted) (QProc 12)");
    EXPECT_EQ(labels.qproc(13), "MainGen ON (inverted) (QProc 13)");
    EXPECT_EQ(labels.qproc(9), "");
    EXPECT_EQ(labels.qproc(256 + 7), "");
}

TEST_F(Labels, PigeonHoleBitsAndBytes) {
    load("[Caution Lights]\nFwdFuelLow=10,0,0b00000001\nHook=10,0,0b00000110\n"
         "ElecSys=10,0,0x100\n" // no bit a byte can hold
         "[Gear Lights]\nLeft=c,10,1,1\n"
         "[Primary Data]\nKIAS=10,2,0.5\nAlt100=10,3\n"
         "[Secondary Data]\nRPM=11,0,2.55\n");
    DefinitionLabels labels(list_);
    const std::uint8_t bytes[4] = {0x05, 0x00, 125, 3};
    EXPECT_EQ(labels.pigeonHole(10, bytes),
              "FwdFuelLow on, Hook mixed, Left on (inverted), KIAS 250 (byte 125), Alt100 byte 3");
    const std::uint8_t bytes2[4] = {0x06, 0x01, 0, 0};
    EXPECT_EQ(labels.pigeonHole(10, bytes2),
              "FwdFuelLow off, Hook on, Left off (inverted), KIAS 0 (byte 0), Alt100 byte 0");
    const std::uint8_t rpm[4] = {200, 0, 0, 0};
    EXPECT_EQ(labels.pigeonHole(11, rpm), "RPM byte 200");
    EXPECT_TRUE(labels.binds(10));
    EXPECT_TRUE(labels.binds(11));
    EXPECT_FALSE(labels.binds(12));
    EXPECT_EQ(labels.pigeonHole(12, bytes), "");
}

TEST_F(Labels, BatchPacketsAndLogLines) {
    load("[Eyebrow Lights]\nMasterCaution=5\n[Caution Lights]\nHook=3,1,0b10\n");
    DefinitionLabels labels(list_);
    Card card(1);
    Packet p{0x06, 0x00, 0x20, 0x05, 0x20, 0x09, 0x10, 0x03, 0x00, 0x02, 0x00,
             0x00, 0x10, 0x04, 0x01, 0x02, 0x03, 0x04, 0x20, 0x06, 0xFF};
    card.write(p.data(), p.size());
    const LogEntry& e = card.log().newest();
    EXPECT_EQ(labels.packet(e), "MasterCaution ON (QProc 5); PH 3: Hook on; MasterCaution OFF "
                                "(QProc 6)");
    const std::string line = labelledLogEntry(e, &labels);
    EXPECT_EQ(line, formatLogEntry(e) + "  | " + labels.packet(e));
    EXPECT_EQ(labelledLogEntry(e, nullptr), formatLogEntry(e));
    // Other packets, and a batch of unbound items, carry no labels.
    Packet poll{0x05, 0x80, 0xFF};
    card.write(poll.data(), poll.size());
    EXPECT_EQ(labelledLogEntry(card.log().newest(), &labels), formatLogEntry(card.log().newest()));
    Packet unbound{0x06, 0x00, 0x20, 0x21, 0xFF};
    card.write(unbound.data(), unbound.size());
    EXPECT_EQ(labels.packet(card.log().newest()), "");
    // An item cut off by the end of the packet is not read past it.
    Packet cut{};
    cut[0] = 0x06;
    for (int i = 2; i < PacketSize; i += 2)
        cut[i] = 0x20, cut[i + 1] = 0x05;
    cut[62] = 0x10;
    card.write(cut.data(), cut.size());
    EXPECT_EQ(labels.packet(card.log().newest()).find("PH"), std::string::npos);
}

TEST_F(Labels, ViewNamesWhatTheCardHolds) {
    load("[Eyebrow Lights]\nMasterCaution=5\n[Caution Lights]\nHook=3,1,0b10\n");
    DefinitionLabels labels(list_);
    Card card(1);
    Packet p{0x06, 0x00, 0x20, 0x05, 0x10, 0x03, 0x00, 0x00, 0x00, 0x00, 0xFF};
    card.write(p.data(), p.size());
    const std::string screen = renderCardState(card, "title", 4, &labels);
    // A bound Pigeon-hole that was written shows while dark, with its bits named.
    EXPECT_NE(screen.find("PH   3  ........ ........ ........ ........   (00 00 00 00)  Hook off"),
              std::string::npos)
        << screen;
    EXPECT_NE(screen.find("\n  MasterCaution ON (QProc 5)\n"), std::string::npos) << screen;
    EXPECT_NE(screen.find("  | MasterCaution ON (QProc 5); PH 3: Hook off"), std::string::npos)
        << screen;
    const std::string plain = renderCardState(card, "title", 4);
    EXPECT_NE(plain.find("(none)"), std::string::npos) << plain; // nothing lit
    EXPECT_EQ(plain.find("Hook"), std::string::npos) << plain;
}

} // namespace
} // namespace gb::emu
