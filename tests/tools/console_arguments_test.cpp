#include "tools/console/arguments.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>

using gb::tools::parseRealNumber;
using gb::tools::parseWholeNumber;
using gb::tools::printable;

namespace {

TEST(ToolArguments, WholeNumbersAreCheckedOnTheExactValue) {
    std::int64_t v = -1;
    EXPECT_TRUE(parseWholeNumber("50", 1, 10000, v));
    EXPECT_EQ(v, 50);
    EXPECT_TRUE(parseWholeNumber("0x1F", 0, 255, v));
    EXPECT_EQ(v, 31);
    EXPECT_TRUE(parseWholeNumber("-2147483648", INT32_MIN, INT32_MAX, v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_TRUE(parseWholeNumber("+2147483647", INT32_MIN, INT32_MAX, v));
    EXPECT_EQ(v, INT32_MAX);
    EXPECT_TRUE(parseWholeNumber("-9223372036854775808", INT64_MIN, INT64_MAX, v));
    EXPECT_EQ(v, INT64_MIN);

    v = 7;
    // Out of range by one, wrapping past 32 or 64 bits, or not a whole number at all: refused,
    // and the value is left alone.
    for (const char* text : {"2147483648",
                             "-2147483649",
                             "4294967346",
                             "18446744073709551617",
                             "9223372036854775808",
                             "99999999999999999999999",
                             "nan",
                             "inf",
                             "1e20",
                             "1e300",
                             "2.5",
                             "",
                             "-",
                             "0x",
                             " 5",
                             "5 ",
                             "5x",
                             "--5",
                             "+-5",
                             "0x-5",
                             "50\n"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parseWholeNumber(text, INT32_MIN, INT32_MAX, v));
    }
    EXPECT_EQ(v, 7);
    EXPECT_FALSE(parseWholeNumber("0", 1, 10000, v));
    EXPECT_FALSE(parseWholeNumber("10001", 1, 10000, v));
    EXPECT_FALSE(parseWholeNumber(std::string("5\0", 2), 1, 10000, v)); // a NUL inside
}

TEST(ToolArguments, RealNumbersAreFiniteAndInRange) {
    double v = -1.0;
    EXPECT_TRUE(parseRealNumber("2.5", 0.0, 10.0, v));
    EXPECT_EQ(v, 2.5);
    EXPECT_TRUE(parseRealNumber("1e3", 0.0, 1e9, v));
    EXPECT_EQ(v, 1000.0);
    EXPECT_TRUE(parseRealNumber("-0", 0.0, 1.0, v));
    EXPECT_EQ(v, 0.0);
    EXPECT_FALSE(std::signbit(v));

    v = 7.0;
    for (const char* text : {"nan", "NAN", "-nan", "inf", "-inf", "infinity", "1e999", "-1e999",
                             "0x10", "", ".", "e5", "2.5.1", " 1", "1 ", "1,5", "1e"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parseRealNumber(text, -1e300, 1e300, v));
    }
    EXPECT_EQ(v, 7.0);
    EXPECT_FALSE(parseRealNumber("1e10", 0.0, 1e9, v));
    EXPECT_FALSE(parseRealNumber("-0.5", 0.0, 1e9, v));
}

TEST(ToolArguments, PrintableEscapesEveryByteATerminalWouldActOn) {
    EXPECT_EQ(printable("Caution Lights/Hook=on"), "Caution Lights/Hook=on");
    EXPECT_EQ(printable(std::string("a\0b", 3)), "a\\x00b");
    EXPECT_EQ(printable("\x1b[2J\x1a\x7f\r"), "\\x1B[2J\\x1A\\x7F\\x0D");
    EXPECT_EQ(printable("\xef\xbb\xbfK\xff"), "\\xEF\\xBB\\xBFK\\xFF"); // a BOM, a high byte
    EXPECT_EQ(printable("one\ttwo\n"), "one\\x09two\\x0A");
    EXPECT_EQ(printable("one\ttwo\n\r", true), "one\ttwo\n\\x0D");
}

} // namespace
