// The shared ASCII rules: only 'A'-'Z' fold, every other byte (punctuation next to the letters,
// bytes above 0x7F) stays itself, whatever the C locale says.

#include "platform/ascii.h"

#include <gtest/gtest.h>

#include <string>

using namespace gb::ascii;

TEST(Ascii, OnlyCapitalLettersFold) {
    for (int i = 0; i < 256; ++i) {
        const char c = static_cast<char>(i);
        const char expected = (i >= 'A' && i <= 'Z') ? static_cast<char>(i + 32) : c;
        EXPECT_EQ(toLower(c), expected) << "byte " << i;
    }
}

TEST(Ascii, HexDigitsInEitherCaseAndNothingElse) {
    for (int i = 0; i < 256; ++i) {
        const char c = static_cast<char>(i);
        int expected = -1;
        if (i >= '0' && i <= '9') expected = i - '0';
        if (i >= 'a' && i <= 'f') expected = i - 'a' + 10;
        if (i >= 'A' && i <= 'F') expected = i - 'A' + 10;
        EXPECT_EQ(hexDigitValue(c), expected) << "byte " << i;
    }
}

TEST(Ascii, WholeStringsEqualIgnoringCase) {
    EXPECT_TRUE(equalIgnoringCase("Eyebrow Lights", "EYEBROW lights"));
    EXPECT_TRUE(equalIgnoringCase("", ""));
    EXPECT_FALSE(equalIgnoringCase("Gear", "Gears"));
    EXPECT_FALSE(equalIgnoringCase("Gears", "Gear"));
    // Neighbours 0x20 apart that are not letters, and letters beyond ASCII, do not match.
    EXPECT_FALSE(equalIgnoringCase("@[\\]^", "`{|}~"));
    EXPECT_FALSE(equalIgnoringCase("\xC4", "\xE4"));
    EXPECT_TRUE(equalIgnoringCase("\xC4x", "\xC4X"));
    // A zero byte inside is compared like any other byte.
    EXPECT_FALSE(equalIgnoringCase(std::string("a\0b", 3), std::string("a\0c", 3)));
    EXPECT_TRUE(equalIgnoringCase(std::string("A\0B", 3), std::string("a\0b", 3)));
}

TEST(Ascii, CountedCompareStopsAtTheCountOrACommonEnd) {
    EXPECT_TRUE(equalIgnoringCase("Glowbridge.INI", "Glowbridge.ini", 14));
    EXPECT_TRUE(equalIgnoringCase(".INx", ".in", 3)); // only three characters count
    EXPECT_FALSE(equalIgnoringCase(".IX", ".in", 3));
    EXPECT_TRUE(equalIgnoringCase("TRUE", "true", 5)); // both end at the same place
    EXPECT_FALSE(equalIgnoringCase("TRUEX", "true", 5));
    EXPECT_FALSE(equalIgnoringCase("tru", "true", 5));
    EXPECT_TRUE(equalIgnoringCase("abc", "xyz", 0));
}

TEST(Ascii, OrderIgnoringCaseIsByteOrderOfTheFoldedText) {
    EXPECT_EQ(compareIgnoringCase("Settings", "SETTINGS"), 0);
    EXPECT_LT(compareIgnoringCase("alpha", "Beta"), 0);
    EXPECT_GT(compareIgnoringCase("Beta", "alpha"), 0);
    EXPECT_LT(compareIgnoringCase("Key", "key1"), 0); // a prefix comes first
    EXPECT_GT(compareIgnoringCase("key1", "KEY"), 0);
    // '_' (0x5F) lies between the capitals and the small letters: raw bytes would put "A_" after
    // "AB", the folded text puts it before, as the registry enumerates.
    EXPECT_LT(compareIgnoringCase("A_", "AB"), 0);
    EXPECT_LT(compareIgnoringCase("a_", "ab"), 0);
    // Bytes above 0x7F count as unsigned, so they sort after every ASCII character.
    EXPECT_GT(compareIgnoringCase("\x80", "z"), 0);
    EXPECT_LT(compareIgnoringCase("z", "\xFF"), 0);
}

// Usable where a constant is needed.
static_assert(toLower('Q') == 'q' && hexDigitValue('F') == 15 && equalIgnoringCase("Ab", "aB"));
