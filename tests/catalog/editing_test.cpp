#include <gtest/gtest.h>

#include "catalog/dbfile.h"
#include "catalog/editing.h"
#include "catalog/tables.h"
#include "support/catalogbuilder.h"
#include "support/scriptedprompt.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

using test::appendRecords;
using test::readList;
using test::Rec;

std::vector<std::string> names(Catalog& c, int list) {
    return test::namesOf(readList(c, list));
}

struct Selection {
    Catalog catalog;
    test::ScriptedPrompt prompt;
    Selection() {
        appendRecords(catalog, kMasterList,
                      {{"/a/", "one", "", 1, 1},
                       {"/a/", "two", "", 2, 2},
                       {"/b/", "three", "", 3, 3},
                       {"/B/", "ONE", "", 4, 4},
                       {"/c/", "four", "", 5, 5},
                       {"/A/", "One", "", 6, 6}});
        test::copyRecords(catalog, kSelectionList, kMasterList, {0, 2, 4});
        catalog.historyPushList(kMasterList);
    }
};

TEST(SelectionCommands, KeepOnTheMasterListAfterYes) {
    Selection s;
    s.prompt.answers = {Answer::Yes};
    const int32_t generation = s.catalog.generation();
    keepSelection(s.catalog, s.prompt);
    EXPECT_EQ(s.prompt.asked,
              std::vector<std::string>{"Only left these 3 files in your Varnel DataBase?"});
    // "/A/One" is another file than "/a/one": local names are case-sensitive.
    EXPECT_EQ(names(s.catalog, kMasterList), (std::vector<std::string>{"one", "three", "four"}));
    EXPECT_EQ(s.catalog.recordCount(kSelectionList), 0);
    EXPECT_EQ(s.catalog.currentList(), kMasterList);
    EXPECT_GT(s.catalog.generation(), generation);
}

// No, or a view other than the master list: a new result, the catalog unchanged.
TEST(SelectionCommands, DropAnsweredNoOrOnAnotherViewMakesANewResult) {
    Selection s;
    s.prompt.answers = {Answer::No};
    dropSelection(s.catalog, s.prompt);
    EXPECT_EQ(s.prompt.asked,
              std::vector<std::string>{"Delete these 3 files from your Varnel DataBase?"});
    EXPECT_EQ(s.catalog.recordCount(kMasterList), 6);
    EXPECT_GE(s.catalog.currentList(), kFirstTempList);
    EXPECT_EQ(names(s.catalog, s.catalog.currentList()),
              (std::vector<std::string>{"two", "ONE", "One"}));

    // On a view that is not the master list nothing is asked.
    Selection t;
    int view = t.catalog.allocTempList(0);
    test::copyRecords(t.catalog, view, kMasterList, {5, 4, 3, 2, 1, 0});
    t.catalog.historyPush(view, "*", -1, -1, 0);
    dropSelection(t.catalog, t.prompt);
    EXPECT_TRUE(t.prompt.asked.empty());
    EXPECT_EQ(names(t.catalog, t.catalog.currentList()),
              (std::vector<std::string>{"One", "ONE", "two"}));
    EXPECT_EQ(t.catalog.recordCount(kMasterList), 6);
}

// Merging: the sites held in memory replace the file's records of those sites.
struct Merge {
    test::TempDir dir;
    test::ScriptedPrompt prompt;
    Catalog catalog;
    CatalogDatabase db{catalog, prompt, dir.file("save.fdb")};
    std::vector<std::string> scanned;
    const std::string path = dir.file("disk.fdb");

    Merge() {
        db.clockSeconds = [] { return int64_t{0}; };
        // On disk: local files and two FTP sites.
        appendRecords(catalog, kMasterList,
                      {{"/local/", "keep.txt", "", 1, 1},
                       {"ftp:\\\\h1\\pub\\", "same.zip", "", 5, 5},
                       {"ftp:\\\\h1\\pub\\", "gone.zip", "", 6, 6},
                       {"ftp:\\\\h2\\", "other.zip", "", 7, 7},
                       {"ftp:\\\\h1\\pub\\", "changed.zip", "", 8, 8}});
        EXPECT_EQ(db.writeCatalogFile(path, nullptr), 1);
        catalog.reset(kDefaultColumnCapacity);
        // In memory: site h1 as listed now.
        appendRecords(catalog, kMasterList,
                      {{"ftp:\\\\H1\\pub\\", "new.zip", "", 9, 9},
                       {"ftp:\\\\h1\\pub\\", "SAME.zip", "", 5, 5},
                       {"ftp:\\\\h1\\pub\\", "changed.zip", "", 8, 80},
                       {"/local/", "memory-only.txt", "", 1, 1}});
    }
};

TEST(MergeCatalog, MemoryRecordsOfASiteReplaceTheFiles) {
    Merge m;
    ASSERT_EQ(mergeCatalogFile(m.db, m.catalog, m.path, 1, m.scanned), 1);
    std::vector<Rec> got = readList(m.catalog, kMasterList);
    std::vector<std::string> full;
    for (const Rec& r : got) full.push_back(r.folder + r.name + "#" + std::to_string(r.size));
    EXPECT_EQ(full,
              (std::vector<std::string>{"ftp:\\\\H1\\pub\\new.zip#9",
                                        "ftp:\\\\h1\\pub\\changed.zip#80", "/local/keep.txt#1",
                                        "ftp:\\\\h1\\pub\\same.zip#5", "ftp:\\\\h2\\other.zip#7"}));
}

TEST(MergeCatalog, PlainModeCarriesOnlyScannedSitesAndFailsCleanly) {
    Merge m;
    ASSERT_EQ(mergeCatalogFile(m.db, m.catalog, m.path, 0, m.scanned), 1);
    // Nothing scanned in this session: the file loads as it is.
    EXPECT_EQ(
        names(m.catalog, kMasterList),
        (std::vector<std::string>{"keep.txt", "same.zip", "gone.zip", "other.zip", "changed.zip"}));

    Merge bad;
    EXPECT_EQ(mergeCatalogFile(bad.db, bad.catalog, bad.dir.file("missing.fdb"), 1, bad.scanned),
              0);
    EXPECT_EQ(bad.catalog.recordCount(kMasterList), 4);
}

// Plain mode with a site scanned in this session: that site's records come from memory.
TEST(MergeCatalog, SaveOnExitMergesThroughTheConnectedMerge) {
    Merge m;
    m.scanned = {"ftp:\\\\h1\\"};
    connectCatalogMerge(m.db, m.catalog, m.scanned);
    EXPECT_EQ(m.db.mergeCatalogFile(m.path, 0), 1);
    EXPECT_EQ(m.catalog.recordCount(kMasterList), 5);
    EXPECT_EQ(names(m.catalog, kMasterList)[0], "new.zip");
    m.db.openCatalogOrDefault(m.path.c_str());
    EXPECT_TRUE(m.scanned.empty());
}

}  // namespace
}  // namespace varnel
