// MatchPattern against the plain backtracking matcher it replaced, which tries the rest of the
// pattern at every position after each "*": the same results on every short case, without that
// matcher's exponential time on long names with many stars.

#include "settings/profile_store.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <string>

using gb::ProfileStore;

namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool oracleFrom(const char* name, int length, int at, const char* pattern, bool caseSensitive) {
    for (; *pattern != '\0'; ++pattern) {
        if (*pattern == '*') {
            if (pattern[1] == '\0') return true;
            for (int from = at; from <= length; ++from)
                if (oracleFrom(name, length, from, pattern + 1, caseSensitive)) return true;
            return false;
        }
        if (at >= length) return false;
        const bool same = caseSensitive ? *pattern == name[at] : lower(*pattern) == lower(name[at]);
        if (*pattern != '?' && !same) return false;
        ++at;
    }
    return at == length;
}

std::int32_t oracle(const char* name, int length, const char* pattern, bool caseSensitive) {
    if (!oracleFrom(name, length, 0, pattern, caseSensitive)) return -1;
    return (length > 0 ? length - 1 : 0) << 12;
}

std::string randomText(std::mt19937& random, const char* alphabet, int maxLength) {
    const std::string letters = alphabet;
    std::uniform_int_distribution<int> length(0, maxLength);
    std::uniform_int_distribution<std::size_t> pick(0, letters.size() - 1);
    std::string text(static_cast<std::size_t>(length(random)), ' ');
    for (char& c : text)
        c = letters[pick(random)];
    return text;
}

TEST(MatchPattern, AgreesWithTheBacktrackingMatcher) {
    std::mt19937 random(20240601);
    int matched = 0;
    for (int i = 0; i < 200000; ++i) {
        // Names may hold pattern characters too, and bytes past the given length must not count.
        const std::string name = randomText(random, "abAB?*", 9) + "ab";
        const std::string pattern = randomText(random, "aAb??**", 8);
        const int length = static_cast<int>(name.size()) - 2;
        for (const bool caseSensitive : {true, false}) {
            const std::int32_t expected =
                oracle(name.data(), length, pattern.c_str(), caseSensitive);
            ASSERT_EQ(
                ProfileStore::MatchPattern(name.data(), length, pattern.c_str(), caseSensitive),
                expected)
                << "name \"" << name.substr(0, static_cast<std::size_t>(length)) << "\" pattern \""
                << pattern << "\" case " << caseSensitive;
            if (expected >= 0) ++matched;
        }
    }
    // Both outcomes are well represented.
    EXPECT_GT(matched, 20000);
    EXPECT_LT(matched, 380000);
}

// A backtracking matcher would not finish these in a lifetime (the test's time limit fails it).
TEST(MatchPattern, ManyStarsOnLongNamesStayCheap) {
    const std::string as(4000, 'a');
    EXPECT_LT(ProfileStore::MatchPattern(as.c_str(), "*a*a*a*a*a*a*a*a*b", true), 0);
    EXPECT_EQ(ProfileStore::MatchPattern(as.c_str(), "*a*a*a*a*a*a*a*a*a", true), 3999 << 12);
    EXPECT_LT(ProfileStore::MatchPattern(as.c_str(), "*?*?*?*?*?*?*?*?*b", false), 0);
    EXPECT_GE(ProfileStore::MatchPattern((as + "b").c_str(), "*a*a*a*a*a*a*a*a*B", false), 0);
    EXPECT_LT(ProfileStore::MatchPattern(as.c_str(), std::string(4002, '?').c_str(), true), 0);
}

} // namespace
