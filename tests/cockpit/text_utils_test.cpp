#include "cockpit/text_utils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace gb {
namespace {

std::vector<std::string> tokens(TokenList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i)
        out.emplace_back(list.get(i));
    return out;
}

using Tokens = std::vector<std::string>;

TEST(TokenList, SplitKeepsEmptyTokensAndBlanks) {
    TokenList list(",");
    EXPECT_EQ(list.split("1,2,3"), 3);
    EXPECT_EQ(tokens(list), (Tokens{"1", "2", "3"}));
    EXPECT_EQ(list.split("a,,b"), 3);
    EXPECT_EQ(tokens(list), (Tokens{"a", "", "b"}));
    EXPECT_EQ(list.split("a,"), 2);
    EXPECT_EQ(tokens(list), (Tokens{"a", ""}));
    EXPECT_EQ(list.split(","), 2);
    EXPECT_EQ(tokens(list), (Tokens{"", ""}));
    EXPECT_EQ(list.split("a"), 1);
    EXPECT_EQ(list.split("3, 1, 0b1"), 3);
    EXPECT_EQ(tokens(list), (Tokens{"3", " 1", " 0b1"}));
    EXPECT_EQ(list.split(""), 0);
    EXPECT_STREQ(list.get(0), "");
}

TEST(TokenList, DefaultSeparatorIsTabAndConstructorSplits) {
    TokenList tabs(nullptr, "a\tb c");
    EXPECT_EQ(tokens(tabs), (Tokens{"a", "b c"}));
    TokenList multi("::", "x::y:z::");
    EXPECT_EQ(tokens(multi), (Tokens{"x", "y:z", ""}));
}

TEST(TokenList, SetSeparatorLimits) {
    TokenList list(",");
    EXPECT_EQ(list.setSeparator(""), -1);
    EXPECT_EQ(list.setSeparator(std::string(32, ';').c_str()), -2);
    EXPECT_EQ(list.split("a,b"), 2); // still ","
    EXPECT_EQ(list.setSeparator(std::string(31, ';').c_str()), 31);
    EXPECT_EQ(list.split("a,b"), 1);
}

TEST(TokenList, QuotesHideSeparatorsAndAreDroppedByGet) {
    TokenList list(",");
    list.setQuote('"');
    EXPECT_EQ(list.split("\"a,b\",c"), 2);
    EXPECT_STREQ(list.get(0), "a,b");
    EXPECT_STREQ(list.get(1), "c");
    EXPECT_EQ(list.split("\""), 1);
    EXPECT_STREQ(list.get(0), "");
    // Without quoting the same text splits at every comma and keeps the quotes.
    list.setQuote(0);
    EXPECT_EQ(list.split("\"a,b\",c"), 3);
    EXPECT_STREQ(list.get(0), "\"a");
}

TEST(TokenList, GetAndRemoveWithNegativeAndOutOfRangeIndexes) {
    TokenList list(",", "c,5,7");
    EXPECT_STREQ(list.get(-1), "7");
    EXPECT_STREQ(list.get(-3), "c");
    EXPECT_STREQ(list.get(3), "");
    EXPECT_STREQ(list.get(-4), "");
    EXPECT_EQ(list.remove(3), -1);
    EXPECT_EQ(list.remove(-1), 2);
    EXPECT_EQ(list.remove(0), 1);
    EXPECT_EQ(tokens(list), (Tokens{"5"}));
    // Buffers of removed tokens are reused, long tokens grow them.
    const std::string longToken(100, 'x');
    EXPECT_EQ(list.split((longToken + ",a,b," + longToken).c_str()), 4);
    EXPECT_EQ(std::string(list.get(3)), longToken);
    EXPECT_STREQ(list.get(1), "a");
}

TEST(TokenList, ManyTokensGrowTheEntryArray) {
    std::string text;
    for (int i = 0; i < 600; ++i)
        text += std::to_string(i) + ",";
    TokenList list(",");
    EXPECT_EQ(list.split(text.c_str()), 601);
    EXPECT_STREQ(list.get(599), "599");
    EXPECT_STREQ(list.get(-1), "");
}

TEST(TrimSet, RemovesSetCharactersAtBothEnds) {
    char a[] = " \tab \r\n";
    EXPECT_EQ(trimSet(a, -1, " \r\n\t"), 2);
    EXPECT_STREQ(a, "ab");
    char b[] = "   ";
    EXPECT_EQ(trimSet(b, -1, " "), 0);
    EXPECT_STREQ(b, "");
    char c[] = "@@x@";
    EXPECT_EQ(trimSet(c, -1, "@"), 1);
    EXPECT_STREQ(c, "x");
    char d[] = "  a b  tail";
    EXPECT_EQ(trimSet(d, 7, " "), 3); // only the first 7 characters count
    EXPECT_STREQ(d, "a b");
}

TEST(CutComment, CutsAtFirstCommentCharacterOutsideQuotes) {
    char a[] = "a=1 # c";
    EXPECT_EQ(cutComment(a, -1, "#", '"'), 4);
    EXPECT_STREQ(a, "a=1 ");
    char b[] = "a=\"x#y\"#z";
    EXPECT_EQ(cutComment(b, -1, "#", '"'), 7);
    EXPECT_STREQ(b, "a=\"x#y\"");
    char c[] = "a=1";
    EXPECT_EQ(cutComment(c, -1, "#", '"'), 3);
    EXPECT_STREQ(c, "a=1");
    char d[] = "a=1#";
    EXPECT_EQ(cutComment(d, -1, "", '"'), 4);
    char e[] = "a=\"x#y";
    EXPECT_EQ(cutComment(e, -1, "#", '"'), 6); // an unclosed quote hides the rest
    char f[] = "a=\"x#y\"";
    EXPECT_EQ(cutComment(f, -1, "#", 0), 4); // without quoting the first "#" cuts
}

TEST(ParseNumber, BinaryHexAndDecimalBySecondCharacter) {
    EXPECT_EQ(parseNumber(""), 0);
    EXPECT_EQ(parseNumber("0b"), 0);
    EXPECT_EQ(parseNumber("0b102"), 4);
    EXPECT_EQ(parseNumber("0b11"), 3);
    EXPECT_EQ(parseNumber("Xb11"), 3);
    EXPECT_EQ(parseNumber("9B11"), 3);
    EXPECT_EQ(parseNumber(" b101"), 5);
    EXPECT_EQ(parseNumber("0b00010000"), 16);
    EXPECT_EQ(parseNumber(("0b1" + std::string(32, '0')).c_str()), 0); // last 32 digits count
    EXPECT_EQ(static_cast<std::uint32_t>(parseNumber(("0b" + std::string(32, '1')).c_str())),
              0xFFFFFFFFU);
    EXPECT_EQ(parseNumber("0x1f"), 31);
    EXPECT_EQ(parseNumber("0X1F"), 31);
    EXPECT_EQ(parseNumber("0xzz"), 0);
    EXPECT_EQ(parseNumber("0x 10"), 16);
    EXPECT_EQ(parseNumber("-5"), -5);
    EXPECT_EQ(parseNumber(" 7"), 7);
    EXPECT_EQ(parseNumber("12abc"), 12);
    EXPECT_EQ(parseNumber(" 0b1"), 0);
    EXPECT_EQ(parseNumber("c"), 0);
    EXPECT_EQ(parseNumber("1"), 1);
}

TEST(ParseNumber, ThirtyTwoBitResultsOnEveryBuild) {
    EXPECT_EQ(static_cast<std::uint32_t>(parseNumber("0xFFFFFFFF")), 0xFFFFFFFFU);
    EXPECT_EQ(static_cast<std::uint32_t>(parseNumber("0x123456789")), 0xFFFFFFFFU);
    EXPECT_EQ(parseNumber("0x80000000"), INT32_MIN);
    EXPECT_EQ(parseNumber("0x-1"), -1);
    EXPECT_EQ(parseNumber("2147483647"), INT32_MAX);
    EXPECT_EQ(parseNumber("2147483648"), INT32_MAX);
    EXPECT_EQ(parseNumber("99999999999999999999"), INT32_MAX);
    EXPECT_EQ(parseNumber("-2147483648"), INT32_MIN);
    EXPECT_EQ(parseNumber("-2147483649"), INT32_MIN);
    EXPECT_EQ(parseNumber("65536"), 65536);
}

TEST(ParseDecimalDouble, DotDecimalWithOptionalExponent) {
    EXPECT_EQ(parseDecimalDouble("0.5"), 0.5);
    EXPECT_EQ(parseDecimalDouble(" -2.5e2x"), -250.0);
    EXPECT_EQ(parseDecimalDouble("1e"), 1.0);
    EXPECT_EQ(parseDecimalDouble("1e+"), 1.0);
    EXPECT_EQ(parseDecimalDouble("5."), 5.0);
    EXPECT_EQ(parseDecimalDouble(".25"), 0.25);
    EXPECT_EQ(parseDecimalDouble("+3"), 3.0);
    EXPECT_EQ(parseDecimalDouble("1,5"), 1.0); // never a decimal comma
    EXPECT_EQ(parseDecimalDouble("c"), 0.0);
    EXPECT_EQ(parseDecimalDouble("."), 0.0);
    EXPECT_EQ(parseDecimalDouble(""), 0.0);
    EXPECT_EQ(parseDecimalDouble("inf"), 0.0);
    EXPECT_EQ(parseDecimalDouble("0x10"), 0.0);
    EXPECT_EQ(parseDecimalDouble("0.1"), 0.1);
    EXPECT_EQ(parseDecimalDouble("1e400"), HUGE_VAL);
    EXPECT_EQ(parseDecimalDouble("-1e400"), -HUGE_VAL);
    EXPECT_EQ(parseDecimalDouble("1e-400"), 0.0);
    EXPECT_EQ(parseDecimalDouble("0.000e999"), 0.0);
}

} // namespace
} // namespace gb
