#include <gtest/gtest.h>

#include "catalog/sort.h"
#include "catalog/tables.h"
#include "query/findsorted.h"
#include "support/catalogbuilder.h"

namespace varnel {
namespace {

TEST(FindSorted, ByNameThenFolderAndByFolderThenName) {
    Catalog c;
    test::appendRecords(c, kMasterList,
                        {{"/b/", "same", "", 0, 0},
                         {"/a/", "Same", "", 0, 0},
                         {"/c/", "zeta", "", 0, 0},
                         {"/a/", "alpha", "", 0, 0},
                         {"/C/", "SAME", "", 0, 0}});
    int byName = c.allocTempList(1);
    SortRecordList(c, byName, kMasterList, kSortByName, kAscending);
    EXPECT_EQ(findSortedRecord(c, byName, kByNameThenFolder, nullptr, "SAME"),
              1);  // first of the run
    EXPECT_EQ(c.masterIndex(byName, findSortedRecord(c, byName, "/C/", "same")), 4u);
    EXPECT_EQ(findSortedRecord(c, byName, "/d/", "same"), -1);
    EXPECT_EQ(findSortedRecord(c, byName, "/a/", "missing"), -1);
    test::appendRecord(c, kSelectionList, {"/B/", "SAME", "", 0, 0});
    EXPECT_EQ(c.masterIndex(byName, findSortedRecord(c, byName, kSelectionList, 0)), 0u);

    int byFolder = c.allocTempList(1);
    SortRecordList(c, byFolder, kMasterList, kSortByPath, kAscending);
    EXPECT_EQ(
        c.masterIndex(byFolder, findSortedRecord(c, byFolder, kByFolderThenName, "/A/", "ALPHA")),
        3u);
    EXPECT_EQ(findSortedRecord(c, byFolder, kByFolderThenName, "/a/", nullptr), 0);
    EXPECT_EQ(findSortedRecord(c, byFolder, kByFolderThenName, "/c/", nullptr), 3);
    Catalog empty;
    EXPECT_EQ(findSortedRecord(empty, kMasterList, "/", "x"), -1);
}

}  // namespace
}  // namespace varnel
