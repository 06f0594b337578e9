#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "query/lists.h"
#include "query/wildcard.h"

namespace varnel {
namespace {

// The matcher as first designed: try every combination of one occurrence per literal
// segment (first segment varying fastest), with the 16-segment and 512-entry limits. The
// real matcher must give the same answers. Exponential, so only for small inputs.
int combinationMatch(const std::string& text, const std::string& pattern) {
    std::vector<std::string> segments;
    std::vector<std::pair<int, bool>> runs(1);  // per wildcard run: its '?' count, a '*' in it
    for (size_t i = 0; i < pattern.size();) {
        if (pattern[i] == '*' || pattern[i] == '?') {
            pattern[i] == '*' ? void(runs.back().second = true) : void(++runs.back().first);
            ++i;
            continue;
        }
        const size_t end = std::min(pattern.find_first_of("*?", i), pattern.size());
        segments.push_back(pattern.substr(i, end - i));
        runs.emplace_back(0, false);
        i = end;
    }
    if (segments.size() >= 16) return 0;
    std::vector<std::vector<size_t>> at(segments.size());
    size_t entries = 0, combinations = 1;
    for (size_t s = 0; s < segments.size(); ++s) {
        for (size_t p = text.find(segments[s]); p != std::string::npos;
             p = text.find(segments[s], p + 1))
            at[s].push_back(p);
        if (at[s].empty() || (entries += at[s].size() + 1) >= 512) return 0;
        combinations *= at[s].size();
    }
    for (size_t c = 0; c < combinations; ++c) {
        size_t rest = c, consumed = 0;
        bool ok = true;
        for (size_t s = 0; s < segments.size() && ok; ++s) {
            const size_t position = at[s][rest % at[s].size()];
            rest /= at[s].size();
            const size_t q = static_cast<size_t>(runs[s].first);
            ok = position >= consumed && position - consumed >= q &&
                 (runs[s].second || position - consumed == q);
            consumed = position + segments[s].size();
        }
        if (!ok || consumed > text.size()) continue;
        const size_t tail = text.size() - consumed, q = static_cast<size_t>(runs.back().first);
        if (runs.back().second ? tail >= q : tail == q) return 1;
    }
    return 0;
}

TEST(Wildcard, LimitsGiveNoMatch) {
    EXPECT_EQ(wildcardMatch("ftp://192.168mp3.mp3", "ftp*mp3"),
              1);  // the later "mp3" ends the text
    EXPECT_EQ(wildcardMatch("clip.rmvb", "*.rm*"), 1);
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
// Backtracking patterns that would take ages if matching were exponential; a hang fails
// the run through its time limit.
TEST(Wildcard, PathologicalPatternsEnd) {
    EXPECT_EQ(wildcardMatch(std::string(40, 'a').c_str(), "a*a*a*a*a*a*a*a*a*a*a"), 1);
    EXPECT_EQ(wildcardMatch((std::string(40, 'a') + "b").c_str(), "a*a*a*a*a*a*a*a*a*a*a"), 0);
    EXPECT_EQ(wildcardMatch(std::string(2000, 'a').c_str(), "*a*a*a*a*a*a*a*a*a*a*a*b"), 0);
}

// Random texts and patterns over a small alphabet reach every path of the matcher (pinned
// ends, runs of '?', backtracking stars, the substring shortcut).
TEST(Wildcard, AgreesWithTheCombinationSearch) {
    std::mt19937 rng(12);
    for (int round = 0; round < 40000; ++round) {
        std::string text, pattern;
        for (int k = rng() % 9; k > 0; --k) text += "ab."[rng() % 3];
        for (int k = rng() % 7; k > 0; --k) pattern += "ab.*?"[rng() % 5];
        ASSERT_EQ(wildcardMatch(text.c_str(), pattern.c_str()), combinationMatch(text, pattern))
            << "text \"" << text << "\" pattern \"" << pattern << "\"";
    }
    // Near the occurrence limit.
    for (int round = 0; round < 300; ++round) {
        std::string text(200 + rng() % 400, 'a');
        text[rng() % text.size()] = 'b';
        std::string pattern = rng() % 2 ? "*a*" : "a*b*";
        ASSERT_EQ(wildcardMatch(text.c_str(), pattern.c_str()), combinationMatch(text, pattern))
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
