#include "ui/framework/number_checks.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace gb::ui {
namespace {

TEST(NumberChecks, UnsignedTakesDigitsWithinThirtyTwoBits) {
    std::uint32_t v = 7;
    EXPECT_TRUE(parseUnsigned("0", v));
    EXPECT_EQ(v, 0u);
    EXPECT_TRUE(parseUnsigned("4294967295", v));
    EXPECT_EQ(v, UINT32_MAX);
    EXPECT_TRUE(parseUnsigned(" \t4000 ", v));
    EXPECT_EQ(v, 4000u);
    EXPECT_TRUE(parseUnsigned("+12", v));
    EXPECT_EQ(v, 12u);
    EXPECT_TRUE(parseUnsigned("000100", v));
    EXPECT_EQ(v, 100u);
}

TEST(NumberChecks, UnsignedRefusesOverflowSignsAndJunkLeavingTheValue) {
    std::uint32_t v = 42;
    for (const char* bad : {"", "   ", "4294967296", "99999999999999999999", "-1", "-0", "+", "1 2",
                            "12a", "0x10", "1e3", "1.0",
                            "\xEF\xBB\xBF"
                            "1",
                            "1\r"}) {
        EXPECT_FALSE(parseUnsigned(bad, v)) << bad;
    }
    EXPECT_FALSE(parseUnsigned(nullptr, v));
    EXPECT_EQ(v, 42u);
}

TEST(NumberChecks, IntCoversItsWholeRange) {
    std::int32_t v = 0;
    EXPECT_TRUE(parseInt("-2147483648", v));
    EXPECT_EQ(v, INT_MIN);
    EXPECT_TRUE(parseInt("2147483647", v));
    EXPECT_EQ(v, INT_MAX);
    EXPECT_TRUE(parseInt(" -3 ", v));
    EXPECT_EQ(v, -3);
    v = 5;
    for (const char* bad :
         {"2147483648", "-2147483649", "4294967296", "", "-", "--1", "- 1", "1-", "3.0"}) {
        EXPECT_FALSE(parseInt(bad, v)) << bad;
    }
    EXPECT_EQ(v, 5);
}

TEST(NumberChecks, DoubleTakesDecimalFormsButNeverNanInfinityOrOverflow) {
    double v = 0;
    const std::pair<const char*, double> good[] = {
        {"1.5", 1.5}, {"-0.25", -0.25}, {"1e3", 1000},      {".5", 0.5},   {"5.", 5},
        {" 2 ", 2},   {"+7", 7},        {"-99999", -99999}, {"1E-2", 0.01}};
    for (const auto& [text, expected] : good) {
        ASSERT_TRUE(parseDouble(text, v)) << text;
        EXPECT_DOUBLE_EQ(v, expected) << text;
    }
    v = 3;
    for (const char* bad : {"nan", "NaN", "-nan", "inf", "-inf", "infinity", "1e999", "-1e999",
                            "0x1p3", "1,5", "", " ", ".", "e5", "1e", "1e+", "1.2.3", "1 e5"}) {
        EXPECT_FALSE(parseDouble(bad, v)) << bad;
    }
    EXPECT_EQ(v, 3);
}

TEST(NumberChecks, RangesAreInclusiveAndNanIsNeverInRange) {
    EXPECT_TRUE(inRange(100u, 100u, 10000u));
    EXPECT_TRUE(inRange(10000u, 100u, 10000u));
    EXPECT_FALSE(inRange(99u, 100u, 10000u));
    EXPECT_FALSE(inRange(10001u, 100u, 10000u));
    EXPECT_TRUE(inRange(INT_MIN, INT_MIN, INT_MAX));
    EXPECT_TRUE(inRange(INT_MAX, INT_MIN, INT_MAX));
    EXPECT_FALSE(inRange(-1, 0, 10));
    EXPECT_TRUE(inRange(-99999.0, -99999.0, 99999.0));
    EXPECT_FALSE(inRange(99999.0001, -99999.0, 99999.0));
    EXPECT_FALSE(inRange(std::numeric_limits<double>::quiet_NaN(), -99999.0, 99999.0));
    EXPECT_FALSE(inRange(std::numeric_limits<double>::infinity(), -1e308, 1e308));
}

TEST(NumberChecks, FormatsAndMessages) {
    EXPECT_EQ(formatUnsigned(UINT32_MAX), "4294967295");
    EXPECT_EQ(formatInt(INT_MIN), "-2147483648");
    EXPECT_EQ(formatDouble(1.0), "1");
    EXPECT_EQ(formatDouble(0.1), "0.1");
    EXPECT_EQ(formatDouble(-2.5), "-2.5");
    EXPECT_EQ(formatDouble(123456789012345.0), "123456789012345");
    EXPECT_EQ(rangeMessage(100u, 10000u), "Please enter an integer between 100 and 10000.");
    EXPECT_EQ(rangeMessage(INT_MIN, INT_MAX),
              "Please enter an integer between -2147483648 and 2147483647.");
    EXPECT_EQ(rangeMessage(-99999.0, 99999.0), "Please enter a number between -99999 and 99999.");
    EXPECT_EQ(maxCharsMessage(259), "Please enter no more than 259 characters.");
}

} // namespace
} // namespace gb::ui
