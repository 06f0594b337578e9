#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "catalog/dbformat.h"
#include "catalog/editing.h"
#include "catalog/sort.h"
#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "query/findsorted.h"
#include "query/savedsearch.h"
#include "query/search.h"
#include "query/wildcard.h"
#include "remote/ftpnames.h"
#include "support/catalogbuilder.h"
#include "support/scriptedprompt.h"

namespace varnel {
namespace {

using test::Rec;
using Ids = std::vector<uint32_t>;

constexpr uint64_t kDay = 864000000000ULL;
constexpr uint64_t kNow = 134000000000000000ULL;

struct Fixture {
    Catalog catalog;
    Settings settings;
    SavedSearchList searches{settings.savedSearchCount, settings.savedSearchBlock};
    CatalogSearch search{catalog, searches};
    Fixture() {
        search.currentFileTime = [] { return kNow; };
    }

    Ids fill(const char* text) {
        int list = catalog.allocTempList(1);
        search.patternFill(list, text);
        return indices(list);
    }
    Ids run(int32_t index) {
        int list = catalog.allocTempList(1);
        EXPECT_EQ(search.runSavedSearch(index, list), 1);
        return indices(list);
    }
    Ids indices(int list) {
        Ids out;
        for (int32_t i = 0; i < catalog.recordCount(list); ++i)
            out.push_back(catalog.masterIndex(list, i));
        catalog.releaseTempList(0);
        return out;
    }
};

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(foldCase(static_cast<unsigned char>(c)));
    return text;
}

// What the address bar selects, record by record with the plain matcher.
Ids referenceFill(const std::vector<Rec>& records, const std::string& text) {
    Ids out;
    const bool wild = text.find_first_of("*?") != std::string::npos;
    const std::string pattern = wild ? lower(text) : "*" + lower(text) + "*";
    for (uint32_t r = 0; r < records.size(); ++r) {
        const Rec& rec = records[r];
        bool hit;
        if (IsFolderName(text.c_str()))
            hit = lower(rec.folder) == lower(text);
        else
            hit = wildcardMatch((lower(rec.folder) + lower(rec.name)).c_str(), pattern.c_str()) ||
                  (!wild && lower(rec.note).find(lower(text)) != std::string::npos);
        if (hit) out.push_back(r);
    }
    return out;
}

// The fast paths against the plain matcher on random names, notes and patterns: same
// records, same order. Words look in notes too, patterns never; a folder name picks that
// folder whatever its letter case, "/" or DOS style. Long folders reach the matcher's
// occurrence limit; words longer than 64 bytes run across the folder's end.
TEST(AddressSearch, FastPathsAgreeWithThePlainMatcher) {
    Fixture f;
    std::mt19937 rng(8);
    auto word = [&](int most) {
        std::string w;
        for (int k = 1 + static_cast<int>(rng() % static_cast<uint32_t>(most)); k > 0; --k)
            w += "aAb./x"[rng() % 6];
        return w;
    };
    std::vector<Rec> records;
    for (int r = 0; r < 3000; ++r) {
        Rec rec{"/" + word(6) + "/", word(8), rng() % 5 == 0 ? word(6) : "", kNow, 1};
        if (r % 97 == 0) rec.folder = "/" + std::string(520 + rng() % 30, 'a') + "/";
        if (r % 89 == 1) rec.folder = (r % 2 ? "C:\\" : "c:\\") + word(2) + "\\";
        if (r % 101 == 3) rec.folder = "/" + std::string(66 + rng() % 20, 'x') + "/";
        records.push_back(rec);
    }
    test::appendRecords(f.catalog, kMasterList, records);
    std::vector<std::string> texts = {"a",   "A",    "ab", "a/b", "/a",    "x.", "*a*",
                                      "*.b", "a?b*", "?",  "/x/", "*a*b*", "aa*"};
    texts.push_back(std::string(300, 'a'));
    texts.push_back(std::string(505, 'a'));
    // Words longer than 64 bytes that run from the folder's end into the name.
    for (const char* start : {"/a", "/b", "/"})
        for (const char* around : {"", "*"})
            texts.push_back(around + std::string(66, 'x') + start + around);
    for (int r : {1, 2}) texts.push_back(records[size_t(r)].folder);
    for (int r : {90, 179}) texts.push_back(lower(records[size_t(r)].folder));
    texts.push_back("");
    for (int k = 0; k < 60; ++k) texts.push_back(word(4));
    for (int k = 0; k < 60; ++k) texts.push_back("*" + word(3) + (rng() % 2 ? "*" : "?*"));
    for (const std::string& text : texts)
        ASSERT_EQ(f.fill(text.c_str()), referenceFill(records, text)) << "text \"" << text << "\"";
    // Texts appended after a search are found by the next one.
    test::appendRecord(f.catalog, kMasterList, {"/new/", "fresh-aab", "", 1, 1});
    records.push_back({"/new/", "fresh-aab", "", 1, 1});
    EXPECT_EQ(f.fill("aab"), referenceFill(records, "aab"));
    f.catalog.compactPools();
    EXPECT_EQ(f.fill("aab"), referenceFill(records, "aab"));
}

// Word searches that go through the trigram index find what the plain matcher finds, on
// names that are not UTF-8: with the index from the background build, with texts appended
// after it (read directly until the next build), after a rename and after the pools are
// rewritten or read back from a file. The records come folder by folder at first, so that
// rare words are looked up from the texts found until appended ones break that order.
TEST(AddressSearch, IndexedWordsAgreeWithThePlainMatcher) {
    Fixture f;
    f.search.keepIndexes();
    std::vector<Rec> records = test::randomRecords(11, 4000, 300);
    std::stable_sort(records.begin(), records.end(),
                     [](const Rec& a, const Rec& b) { return a.folder < b.folder; });
    test::appendRecords(f.catalog, kMasterList, records);
    std::mt19937 rng(5);
    auto check = [&](const char* when) {
        for (int q = 0; q < 60; ++q) {
            if (q == 30) f.search.finishIndexing();  // a build the first search started
            const Rec& from = records[rng() % records.size()];
            const std::string text = from.folder + from.name;
            std::string word = text.substr(rng() % (text.size() - 1), 3 + rng() % 6);
            if (word.find_first_of("*?") != std::string::npos || IsFolderName(word.c_str()) ||
                IsFtpName(word.c_str()))
                continue;
            ASSERT_EQ(f.fill(word.c_str()), referenceFill(records, word))
                << when << ": \"" << word << "\"";
        }
    };
    check("first search");
    EXPECT_GT(f.search.indexMemoryBytes(), 0u);
    for (int k = 0; k < 3; ++k) {  // a short tail, then ones that make the index rebuild
        std::vector<Rec> more = test::randomRecords(20 + static_cast<uint32_t>(k), 300 * (k + 1), 30);
        test::appendRecords(f.catalog, kMasterList, more);
        records.insert(records.end(), more.begin(), more.end());
        check("appended");
    }
    f.catalog.writeRecordName(kMasterList, 7, "Renamed-\xe9t\xe9.TXT");
    records[7].name = "Renamed-\xe9t\xe9.TXT";
    ASSERT_EQ(f.fill("\xe9t\xe9.t"), referenceFill(records, "\xe9t\xe9.t"));
    f.catalog.compactPools();
    check("compacted");
    StringSink file;
    ASSERT_TRUE(encodeCatalog(f.catalog, "", file));
    MemorySource source(file.bytes);
    CatalogImage image;
    std::string why;
    ASSERT_TRUE(decodeCatalog(source, image, why)) << why;
    applyCatalogImage(f.catalog, std::move(image));
    check("read back");

    // Dropping files rewrites the master list over the same texts; an import brings new ones.
    std::vector<int32_t> dropped;
    for (int32_t r = 0; r < static_cast<int32_t>(records.size()); r += 3) dropped.push_back(r);
    test::copyRecords(f.catalog, kSelectionList, kMasterList, dropped);
    f.catalog.historyPushList(kMasterList);
    test::ScriptedPrompt yes;
    yes.answers = {Answer::Yes};
    dropSelection(f.catalog, yes);
    records = test::readList(f.catalog, kMasterList);
    check("dropped");
    SiteRecords site;
    site.roots = {"ftp:\\\\host\\"};
    for (const test::Rec& r : test::randomRecords(31, 500, 40))
        site.records.push_back({"ftp:\\\\host\\" + r.folder.substr(1), r.name, r.note, r.time, r.size});
    applySiteRecords(f.catalog, site, yes, 0);
    records = test::readList(f.catalog, kMasterList);
    check("imported");
}

TEST(SavedSearchRuns, PatternsFoldersAndDates) {
    Fixture f;
    test::appendRecords(f.catalog, kMasterList,
                        {{"/music/", "a.MP3", "", kNow - kDay / 2, 1},
                         {"/music/", "b.wav", "", kNow - 3 * kDay, 1},
                         {"/video/", "clip.rmvb", "", kNow + 10000000, 1},  // one second ahead
                         {"/video/", "film.mpeg", "", kNow - 100 * kDay, 1},
                         {"/web/", "index.HTML", "", kNow, 1},
                         {"/odd/", "dot.", "", kNow, 1},
                         {"/odd/", "noext", "", kNow, 1}});
    EXPECT_EQ(f.run(1), (Ids{2, 3}));  // "*.rm*" is a pattern, "*.mpeg" an extension
    EXPECT_EQ(f.run(2), (Ids{0, 1}));
    EXPECT_EQ(f.run(3), (Ids{4}));
    f.searches.addSavedSearch("everything", "", "", 0);
    EXPECT_EQ(f.run(4), (Ids{0, 1, 2, 3, 4, 5, 6}));
    f.searches.addSavedSearch("day", "", "", 1);
    EXPECT_EQ(f.run(5), (Ids{0, 4, 5, 6}));  // the future record is not "recent"
    f.searches.addSavedSearch("folder", "*", "/MUSIC/", 0);
    EXPECT_EQ(f.run(6), (Ids{0, 1}));
    f.searches.addSavedSearch("range", "", "", -1, kNow - 4 * kDay, kNow - kDay);
    EXPECT_EQ(f.run(7), (Ids{1}));
    f.searches.addSavedSearch("empty extension", "*.", "", 0);
    EXPECT_EQ(f.run(8), (Ids{5}));
    f.searches.addSavedSearch("skips empty tokens", "*.mp3,,*.wav", "", 0);
    EXPECT_EQ(f.run(9), (Ids{0, 1}));
    int list = f.catalog.allocTempList(1);
    EXPECT_EQ(f.search.runSavedSearch(99, list), 0);

    // Without a target list the result becomes the current view.
    int shown = 0;
    f.search.showResults = [&] { ++shown; };
    EXPECT_EQ(f.search.runSavedSearch(2, -1), 1);
    list = f.catalog.currentList();
    EXPECT_GE(list, kFirstTempList);
    EXPECT_EQ(f.catalog.recordCount(list), 2);
    EXPECT_EQ(f.catalog.history().searchReference[f.catalog.history().position], 2);
    EXPECT_EQ(f.catalog.page().viewMode, 1);
    EXPECT_EQ(shown, 1);
}

TEST(FindSorted, ByNameThenFolderAndByFolderThenName) {
    Catalog c;
    test::appendRecords(c, kMasterList,
                        {{"/b/", "same", "", 0, 0},
                         {"/a/", "Same", "", 0, 0},
                         {"/c/", "zeta", "", 0, 0},
                         {"/a/", "alpha", "", 0, 0},
                         {"/C/", "SAME", "", 0, 0},
                         {"ftp:\\\\h\\", "Same", "", 0, 0}});
    int byName = c.allocTempList(1);
    SortRecordList(c, byName, kMasterList, kSortByName, kAscending);
    // The first of a run of equal names.
    EXPECT_EQ(findSortedRecord(c, byName, kByNameThenFolder, nullptr, "SAME"), 1);
    // Runs are ordered ignoring case; the file itself is found by the identity rule: exact
    // for local paths, ignoring case for FTP sites.
    EXPECT_EQ(c.masterIndex(byName, findSortedRecord(c, byName, "/C/", "SAME")), 4u);
    EXPECT_EQ(findSortedRecord(c, byName, "/C/", "same"), -1);
    EXPECT_EQ(c.masterIndex(byName, findSortedRecord(c, byName, "FTP:\\\\H\\", "SAME")), 5u);
    EXPECT_EQ(findSortedRecord(c, byName, "/d/", "same"), -1);
    EXPECT_EQ(findSortedRecord(c, byName, "/a/", "missing"), -1);
    test::appendRecords(c, kSelectionList, {{"/b/", "same", "", 0, 0}, {"/B/", "SAME", "", 0, 0}});
    EXPECT_EQ(c.masterIndex(byName, findSortedRecord(c, byName, kSelectionList, 0)), 0u);
    EXPECT_EQ(findSortedRecord(c, byName, kSelectionList, 1), -1);

    int byFolder = c.allocTempList(1);
    SortRecordList(c, byFolder, kMasterList, kSortByPath, kAscending);
    EXPECT_EQ(
        c.masterIndex(byFolder, findSortedRecord(c, byFolder, kByFolderThenName, "/a/", "alpha")),
        3u);
    EXPECT_EQ(findSortedRecord(c, byFolder, kByFolderThenName, "/A/", "ALPHA"), -1);
    EXPECT_EQ(findSortedRecord(c, byFolder, kByFolderThenName, "/a/", nullptr), 0);
    EXPECT_EQ(findSortedRecord(c, byFolder, kByFolderThenName, "/c/", nullptr), 3);
    Catalog empty;
    EXPECT_EQ(findSortedRecord(empty, kMasterList, "/", "x"), -1);
}

}  // namespace
}  // namespace varnel
