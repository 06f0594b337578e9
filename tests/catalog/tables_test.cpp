#include <gtest/gtest.h>

#include <random>

#include "catalog/tables.h"
#include "support/catalogbuilder.h"

namespace varnel {
namespace {

using test::appendRecord;
using test::appendRecords;
using test::copyRecords;
using test::readList;
using test::Rec;

TEST(CatalogTables, DerivedListsReferToTheMasterUntilWrittenTo) {
    Catalog c;
    appendRecords(c, kMasterList, {{"/m/", "a", "", 1, 1}, {"/m/", "b", "", 2, 2}});
    appendRecord(c, kSelectionList, {"/s/", "sel", "", 3, 3});
    int view = c.allocTempList(0);
    EXPECT_TRUE(c.isDerived(view));
    EXPECT_EQ(c.searchResultList(), view);
    copyRecords(c, view, kMasterList, {1});
    EXPECT_TRUE(c.isDerived(view));
    EXPECT_EQ(c.masterIndex(view, 0), 1u);
    EXPECT_STREQ(c.recordName(view, 0), "b");

    // A record from an owning list other than the master makes the view own its records.
    copyRecords(c, view, kSelectionList, {0});
    EXPECT_FALSE(c.isDerived(view));
    EXPECT_STREQ(c.recordName(view, 0), "b");
    EXPECT_STREQ(c.recordName(view, 1), "sel");

    // Editing a note read through a derived list edits the master record.
    int other = c.allocTempList(1);
    copyRecords(c, other, kMasterList, {0});
    std::strcpy(c.recordNote(other, 0), "via view");
    c.flushPendingStrings();
    EXPECT_STREQ(c.recordNote(kMasterList, 0), "via view");
}

TEST(CatalogTables, CompactListsEmptiesUnreferencedAndKeepsFullLists) {
    Catalog c;
    for (int32_t i = 0; i < 16384; ++i)
        appendRecord(c, kMasterList, {"/m/", std::to_string(i), "", 0, 0});
    appendRecord(c, 5, {"/x/", "orphan", "", 0, 0});
    int view = c.allocTempList(1);
    copyRecords(c, view, kMasterList, {3});
    c.historyPush(view, "", -1, -1, 0);  // referenced: no address, no search
    int stale = c.allocTempList(1);
    copyRecords(c, stale, kMasterList, {4});
    c.historyPush(stale, "", -1, -1, 0);
    c.compactLists(false);
    EXPECT_EQ(c.recordCount(5), 0);
    EXPECT_EQ(c.recordCount(kMasterList), 16384);
    EXPECT_EQ(c.timeColumn.capacity[kMasterList], 32768);
    EXPECT_STREQ(c.recordName(kMasterList, 16383), "16383");
    EXPECT_LT(c.generationStamp(view), c.generation());
    EXPECT_LT(c.generationStamp(stale), c.generation());
    EXPECT_EQ(c.recordCount(view), 1);  // derived lists keep count and map
    EXPECT_STREQ(c.recordName(view, 0), "3");
}

TEST(CatalogTables, CompactPoolsKeepsEveryTextAndNeverGrows) {
    Catalog c;
    std::vector<Rec> records = test::randomRecords(7, 3000, 40);
    records[0].name = std::string("odd\x01name\x01");  // 0x01 must survive compaction
    appendRecords(c, kMasterList, records);
    appendRecord(c, kSelectionList, records[5]);
    // Leave garbage behind: rename half the records.
    for (int32_t i = 0; i < 3000; i += 2)
        std::strcpy(c.setRecordName(kMasterList, i), ("renamed" + std::to_string(i)).c_str());
    c.flushPendingStrings();
    for (size_t i = 0; i < records.size(); i += 2) records[i].name = "renamed" + std::to_string(i);
    records[1].name = "odd\x01\x01";
    std::strcpy(c.setRecordName(kMasterList, 1), records[1].name.c_str());
    const uint32_t nameUsed = c.namePool().used, noteUsed = c.notePool().used;
    c.compactPools();
    EXPECT_LT(c.namePool().used, nameUsed);
    EXPECT_LE(c.notePool().used, noteUsed);
    EXPECT_EQ(readList(c, kMasterList), records);
    EXPECT_EQ(test::readRecord(c, kSelectionList, 0), records[5]);
    // New texts still append and folders still de-duplicate after compaction.
    appendRecord(c, kMasterList, {records[9].folder, "after", "", 0, 0});
    c.flushPendingStrings();
    EXPECT_EQ(c.folderOffset(kMasterList, 3000), c.folderOffset(kMasterList, 9));
}

// Compaction is skipped while nothing can have become garbage, so every way of dropping a
// text must say so.
TEST(CatalogTables, EveryWayOfDroppingTextsLetsCompactionReclaimThem) {
    auto bigNames = [](const char* prefix) {
        std::vector<Rec> records;
        for (int i = 0; i < 200; ++i)
            records.push_back({"/f/",
                               prefix + std::string(3000 - 2048 + i % 7, 'x') + std::to_string(i),
                               "", 0, 0});
        return records;
    };
    Catalog c;
    appendRecords(c, kMasterList, bigNames("keep"));
    c.compactPools();
    EXPECT_FALSE(c.poolsMayHoldGarbage());
    const uint32_t baseline = c.namePool().used;

    // Records cut off by lowering the count go when the lists are repacked.
    appendRecords(c, kSelectionList, bigNames("cut"));
    c.setRecordCount(kSelectionList, 0);
    c.compactLists(true);
    c.compactPools();
    EXPECT_EQ(c.namePool().used, baseline);

    // A list that owned records and is handed out as a derived list no longer holds them.
    appendRecords(c, kFirstTempList, bigNames("temp"));
    c.compactPools();
    EXPECT_EQ(c.allocTempList(1), kFirstTempList);
    EXPECT_TRUE(c.isDerived(kFirstTempList));
    c.compactPools();
    EXPECT_EQ(c.namePool().used, baseline);
    EXPECT_EQ(readList(c, kMasterList).size(), 200u);
}

TEST(CatalogTables, TempListsAvoidViewsAndScratchSlots) {
    Catalog c;
    int a = c.reserveTempList();
    int b = c.reserveTempList();
    EXPECT_EQ(a, 100);
    EXPECT_EQ(b, 101);
    c.historyPush(102, "x", -1, -1, 0);
    EXPECT_EQ(c.allocTempList(1), 103);
    c.releaseTempList(a);
    EXPECT_EQ(c.allocTempList(1), 100);
    appendRecord(c, b, {"/", "x", "", 0, 0});
    c.releaseTempList(0);  // every slot, never the master list
    EXPECT_EQ(c.recordCount(b), 0);
    EXPECT_FALSE(c.isDerived(b));
}

// Random appends, in-place removals, renames and compactions against a plain vector.
TEST(CatalogTables, RandomOperationsMatchASimpleModel) {
    Catalog c;
    std::vector<Rec> model;
    std::mt19937 rng(42);
    std::vector<Rec> pool = test::randomRecords(1, 4000, 60);
    size_t next = 0;
    for (int step = 0; step < 400; ++step) {
        const uint32_t op = rng() % 6;
        if (op < 2) {
            for (int k = 0; k < 20 && next < pool.size(); ++k) {
                appendRecord(c, kMasterList, pool[next]);
                model.push_back(pool[next++]);
            }
        } else if (op == 2) {  // remove every record whose index has a chosen remainder
            uint32_t mod = 3 + rng() % 5, rem = rng() % mod;
            int32_t out = 0;
            std::vector<Rec> kept;
            for (int32_t i = 0; i < c.recordCount(kMasterList); ++i) {
                if (static_cast<uint32_t>(i) % mod == rem) continue;
                c.copyRecord(kMasterList, out++, kMasterList, i);
                kept.push_back(model[static_cast<size_t>(i)]);
            }
            c.setRecordCount(kMasterList, out);
            model = kept;
        } else if (op == 3 && !model.empty()) {
            size_t i = rng() % model.size();
            model[i].name = "r" + std::to_string(step);
            model[i].folder = pool[rng() % pool.size()].folder;
            std::strcpy(c.setRecordName(kMasterList, int32_t(i)), model[i].name.c_str());
            std::strcpy(c.setRecordFolder(kMasterList, int32_t(i)), model[i].folder.c_str());
        } else if (op == 4) {
            c.compactLists(rng() % 2);
        } else if (op == 5) {
            c.compactPools();
        }
        if (step % 50 == 49) {
            ASSERT_EQ(readList(c, kMasterList), model) << "step " << step;
        }
    }
    EXPECT_EQ(readList(c, kMasterList), model);
}

TEST(CatalogTables, ComparisonsIgnoreAsciiCaseOnly) {
    EXPECT_EQ(compareIgnoringCase("ABC", "abc"), 0);
    // Letters fold to lower case, as strcasecmp does: "_" sorts before every letter.
    EXPECT_GT(compareIgnoringCase("Z", "_"), 0);
    EXPECT_LT(compareIgnoringCase("_", "a"), 0);
    EXPECT_NE(compareIgnoringCase("\xc3\xa9", "\xc3\x89"), 0);  // no folding beyond ASCII
}

// Searching ignores case; identity does so only where the file system does: FTP sites and
// the paths of catalogs made on case-blind systems. Local Linux names are case-sensitive.
TEST(CatalogTables, FileIdentityIsExactForLocalPathsOnly) {
    Catalog c;
    appendRecords(c, kMasterList,
                  {{"/Dir/", "File.TXT", "n", 5, 6},
                   {"/dir/", "file.txt", "N", 5, 6},
                   {"ftp:\\\\Host\\Pub\\", "A.zip", "n", 1, 1},
                   {"C:\\Music\\", "Song.mp3", "", 2, 2},
                   {"\\\\server\\share\\", "X", "", 3, 3}});
    EXPECT_FALSE(c.recordsEqual(kMasterList, 0, kMasterList, 1));
    EXPECT_EQ(c.findByFolderAndName(kMasterList, "/DIR/", "FILE.txt"), -1);
    EXPECT_EQ(c.findByFolderAndName(kMasterList, "/dir/", "file.txt"), 1);
    EXPECT_EQ(c.findByFolderAndName(kMasterList, "FTP:\\\\host\\pub\\", "a.ZIP"), 2);
    EXPECT_EQ(c.findByFolderAndName(kMasterList, "c:\\music\\", "SONG.MP3"), 3);
    EXPECT_EQ(c.findByFolderAndName(kMasterList, "\\\\SERVER\\Share\\", "x"), 4);
    appendRecords(c, kSelectionList,
                  {{"/dir/", "FILE.TXT", "", 0, 0}, {"ftp:\\\\host\\PUB\\", "a.zip", "N", 1, 1}});
    EXPECT_EQ(c.findSameFile(kMasterList, kSelectionList, 0), -1);
    EXPECT_EQ(c.findSameFile(kMasterList, kSelectionList, 1), 2);
    EXPECT_EQ(c.findEqualRecord(kMasterList, kSelectionList, 1), 2);
}

}  // namespace
}  // namespace varnel
