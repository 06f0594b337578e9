#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>

#include "query/lists.h"
#include "query/wildcard.h"

namespace varnel {
namespace {

bool glob(const char* t, const char* p) {
    if (*p == '*') return glob(t, p + 1) || (*t && glob(t + 1, p));
    if (!*p) return !*t;
    return *t && (*p == '?' || *p == *t) && glob(t + 1, p + 1);
}

// Plain recursive glob plus the matcher's limits: 16 or more literal segments, a segment
// that does not occur, or 512 or more occurrence-table entries (occurrences plus an end
// mark per segment) give no match. Exponential, so only for small inputs.
int referenceMatch(const std::string& text, const std::string& pattern) {
    size_t segments = 0, entries = 0;
    for (size_t i = pattern.find_first_not_of("*?"); i != std::string::npos;
         i = pattern.find_first_not_of("*?", i)) {
        const size_t end = std::min(pattern.find_first_of("*?", i), pattern.size());
        const std::string literal = pattern.substr(i, end - i);
        size_t found = 0;
        for (size_t p = text.find(literal); p != std::string::npos; p = text.find(literal, p + 1))
            ++found;
        if (found == 0 || ++segments >= 16 || (entries += found + 1) >= 512) return 0;
        i = end;
    }
    return glob(text.c_str(), pattern.c_str());
}

TEST(Wildcard, LimitsGiveNoMatch) {
    // 16 literal segments never match, even where a glob would.
    std::string pattern, text;
    for (int k = 0; k < 16; ++k) pattern += "a*", text += "a";
    EXPECT_EQ(wildcardMatch(text.c_str(), pattern.c_str()), 0);
    pattern.resize(pattern.size() - 2);  // 15 segments
    EXPECT_EQ(wildcardMatch(text.c_str(), (pattern + "*").c_str()), 1);
    // 511 occurrences plus the end mark fill the table: no match; one fewer fits.
    EXPECT_EQ(wildcardMatch(std::string(511, 'a').c_str(), "*a*"), 0);
    EXPECT_EQ(wildcardMatch(std::string(510, 'a').c_str(), "*a*"), 1);
    EXPECT_EQ(wildcardMatch((std::string(600, 'a') + "b").c_str(), "*b"), 1);
}

// The case that took the first combination search longer than anyone would wait.
TEST(Wildcard, PathologicalPatternsAreFast) {
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(wildcardMatch(std::string(40, 'a').c_str(), "a*a*a*a*a*a*a*a*a*a*a"), 1);
    EXPECT_EQ(wildcardMatch((std::string(40, 'a') + "b").c_str(), "a*a*a*a*a*a*a*a*a*a*a"), 0);
    EXPECT_EQ(wildcardMatch(std::string(2000, 'a').c_str(), "*a*a*a*a*a*a*a*a*a*a*a*b"), 0);
    // Not a timing goal: a hang guard.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

// Random texts and patterns over a small alphabet reach every path of the matcher (pinned
// ends, runs of '?', backtracking stars, the substring shortcut).
TEST(Wildcard, AgreesWithThePlainReference) {
    std::mt19937 rng(12);
    for (int round = 0; round < 40000; ++round) {
        std::string text, pattern;
        for (int k = rng() % 9; k > 0; --k) text += "ab."[rng() % 3];
        for (int k = rng() % 7; k > 0; --k) pattern += "ab.*?"[rng() % 5];
        ASSERT_EQ(wildcardMatch(text.c_str(), pattern.c_str()), referenceMatch(text, pattern))
            << "text \"" << text << "\" pattern \"" << pattern << "\"";
    }
    // Near the occurrence limit.
    for (int round = 0; round < 300; ++round) {
        std::string text(200 + rng() % 400, 'a');
        text[rng() % text.size()] = 'b';
        std::string pattern = rng() % 2 ? "*a*" : "a*b*";
        ASSERT_EQ(wildcardMatch(text.c_str(), pattern.c_str()), referenceMatch(text, pattern))
            << text.size();
    }
}

TEST(MatchLists, ExtensionAndPrefixLists) {
    EXPECT_EQ(extensionInList("Index.HTM", "htm,html"), 1);
    EXPECT_EQ(extensionInList("a.htmx", "htm,html"), 0);
    EXPECT_EQ(extensionInList("archive.tar.gz", "gz"), 1);
    EXPECT_EQ(extensionInList("README", "txt"), 0);
    EXPECT_EQ(extensionInList("anything", ""), 1);
    EXPECT_EQ(extensionInList("dot.", "zip,"), 1);  // only an empty element finds it
    EXPECT_EQ(extensionInList("dot.", "zip"), 0);
    EXPECT_EQ(extensionInList("a.h,tm", "h,tm"), 0);
    EXPECT_EQ(prefixInList("C:\\Recycled\\x", "c:\\recycled\\\0", 13), 1);
    EXPECT_EQ(prefixInList("anything", "\0", 1), 0);
    EXPECT_EQ(prefixInList("anything", "zzz\0\0", 5), 1);  // an empty entry matches all
    EXPECT_EQ(prefixInList("/tmp", "/tmp/\0/proc/\0", 12), 0);
    EXPECT_EQ(prefixInList("/PROC/1", "/tmp/\0/proc/\0", 12), 1);
}

}  // namespace
}  // namespace varnel
