#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "query/lists.h"
#include "query/wildcard.h"

namespace varnel {
namespace {

// The matcher as first designed: every combination of one occurrence per literal segment,
// with the 16-segment and 512-entry limits. Exponential, so only for small inputs.
int combinationMatch(const std::string& text, const std::string& pattern) {
    struct Run {
        int questions = 0;
        bool star = false;
    };
    std::vector<std::string> segments;
    std::vector<Run> runs(1);
    for (size_t i = 0; i < pattern.size();) {
        if (pattern[i] == '*' || pattern[i] == '?') {
            if (pattern[i] == '*')
                runs.back().star = true;
            else
                ++runs.back().questions;
            ++i;
            continue;
        }
        size_t end = pattern.find_first_of("*?", i);
        if (end == std::string::npos) end = pattern.size();
        segments.push_back(pattern.substr(i, end - i));
        runs.emplace_back();
        i = end;
    }
    if (segments.size() >= 16) return 0;
    std::vector<std::vector<size_t>> occurrences;
    size_t entries = 0;
    for (const std::string& s : segments) {
        std::vector<size_t> at;
        for (size_t p = text.find(s); p != std::string::npos; p = text.find(s, p + 1))
            at.push_back(p);
        if (at.empty()) return 0;
        entries += at.size() + 1;
        if (entries >= 512) return 0;
        occurrences.push_back(at);
    }
    size_t combinations = 1;
    for (const auto& o : occurrences) combinations *= o.size();
    for (size_t c = 0; c < combinations; ++c) {
        size_t rest = c, consumed = 0;
        bool ok = true;
        long previous = -1;
        for (size_t i = 0; i < segments.size() && ok; ++i) {
            size_t position = occurrences[i][rest % occurrences[i].size()];
            rest /= occurrences[i].size();
            if (static_cast<long>(position) <= previous) ok = false;
            previous = static_cast<long>(position);
            if (!ok) break;
            if (position < consumed) {
                ok = false;
                break;
            }
            size_t gap = position - consumed;
            if (gap < static_cast<size_t>(runs[i].questions)) ok = false;
            if (!runs[i].star && gap > static_cast<size_t>(runs[i].questions)) ok = false;
            consumed = position + segments[i].size();
        }
        if (!ok) continue;
        if (consumed > text.size()) continue;
        size_t tail = text.size() - consumed;
        const Run& last = runs.back();
        if (last.star ? tail >= static_cast<size_t>(last.questions)
                      : tail == static_cast<size_t>(last.questions))
            return 1;
    }
    return 0;
}

TEST(Wildcard, KnownAnswers) {
    EXPECT_EQ(wildcardMatch("ftp://192.168mp3.mp3", "ftp*mp3"), 1);
    EXPECT_EQ(wildcardMatch("", "*"), 1);
    EXPECT_EQ(wildcardMatch("anything/at\\all", "*"), 1);
    EXPECT_EQ(wildcardMatch("abc", "???"), 1);
    EXPECT_EQ(wildcardMatch("ab", "???"), 0);
    EXPECT_EQ(wildcardMatch("song.mp3", "*.mp3"), 1);
    EXPECT_EQ(wildcardMatch("song.mp3x", "*.mp3"), 0);
    EXPECT_EQ(wildcardMatch("", ""), 1);
    EXPECT_EQ(wildcardMatch("a", ""), 0);
    EXPECT_EQ(wildcardMatch("xabc", "abc*"), 0);  // an empty leading run pins the start
    EXPECT_EQ(wildcardMatch("report12.doc", "report??.doc"), 1);
    EXPECT_EQ(wildcardMatch("clip.rmvb", "*.rm*"), 1);
    EXPECT_EQ(wildcardMatch("aXbYc", "a*b*c"), 1);
    EXPECT_EQ(wildcardMatch("abcab", "*ab"), 1);
    EXPECT_EQ(wildcardMatch("ab", "*?*?*"), 1);
    EXPECT_EQ(wildcardMatch("a", "*?*?*"), 0);
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

// The case that took the combination search longer than anyone would wait.
TEST(Wildcard, PathologicalPatternsAreFast) {
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(wildcardMatch(std::string(40, 'a').c_str(), "a*a*a*a*a*a*a*a*a*a*a"), 1);
    EXPECT_EQ(wildcardMatch((std::string(40, 'a') + "b").c_str(), "a*a*a*a*a*a*a*a*a*a*a"), 0);
    EXPECT_EQ(wildcardMatch(std::string(2000, 'a').c_str(), "*a*a*a*a*a*a*a*a*a*a*a*b"), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started,
              std::chrono::seconds(5));  // not a timing goal: a hang guard
}

TEST(Wildcard, AgreesWithTheCombinationSearch) {
    std::mt19937 rng(12);
    const char alphabet[] = "ab.*?";
    for (int round = 0; round < 40000; ++round) {
        std::string text, pattern;
        for (int k = rng() % 9; k > 0; --k) text += "ab."[rng() % 3];
        for (int k = rng() % 7; k > 0; --k) pattern += alphabet[rng() % 5];
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
    EXPECT_EQ(extensionInList("dot.", "zip,"),
              1);  // only an empty element finds an empty extension
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
