// Sorting by a column and narrowing to a column's value, over real catalogs: the views they
// push, Back, and filling such views again after the catalog changed.
#include <gtest/gtest.h>

#include "catalog/sort.h"
#include "pagescreen.h"
#include "view/columnsort.h"
#include "view/viewrecipe.h"

namespace varnel {
namespace {

using test::Rec;

struct ColumnFixture : test::PageFixture {
    ColumnSort columns{catalog, page};
    void SetUp() override {
        view(kMasterList, {{"/a/", "b.txt", "", 30, 1000},
                           {"/b/", "A.TXT", "", 10, 5},
                           {"/a/", "ba.txt", "", 20, 1000},
                           {"/b/", "c.jpg", "", 10, 70}});
        show(10);
    }
    std::vector<std::string> names() {
        return test::namesOf(test::readList(catalog, catalog.currentList()));
    }
    void selectRecord(int row) {
        page.SelectRow(row, false, false);
        page.RefreshPage(true);
    }
    // A file appears in the catalog, as a scan would add it.
    void catalogGains(const Rec& record) {
        test::appendRecord(catalog, kMasterList, record);
        catalog.bumpGeneration();
        page.RefreshPage(true);
    }
    using V = std::vector<std::string>;
};

TEST_F(ColumnFixture, HeaderClicksSortDescendingFirstThenAlternateAndBackReturns) {
    columns.headerClick(kColSize);
    EXPECT_EQ(names(), (V{"b.txt", "ba.txt", "c.jpg", "A.TXT"}));
    EXPECT_EQ(page.viewAddress(), "*");  // the master list was sorted
    EXPECT_EQ(screen.address, "*");
    columns.headerClick(kColSize);
    EXPECT_EQ(names(), (V{"A.TXT", "c.jpg", "b.txt", "ba.txt"}));
    columns.headerClick(kColName);  // another column starts with descending again
    EXPECT_EQ(names(), (V{"c.jpg", "ba.txt", "b.txt", "A.TXT"}));
    columns.headerClick(kColNote);  // never sorted
    EXPECT_EQ(catalog.history().count, 4);

    catalog.historyBack();
    page.RefreshPage(true);
    EXPECT_EQ(names(), (V{"A.TXT", "c.jpg", "b.txt", "ba.txt"}));
    catalog.historyBack();
    catalog.historyBack();
    page.RefreshPage(true);
    EXPECT_EQ(catalog.currentList(), kMasterList);
    EXPECT_EQ(screen.rows[0].cells[kColName], "b.txt");
}

TEST_F(ColumnFixture, FiltersTakeTheWholeCatalogInMasterOrder) {
    columns.filter(kColSize);  // nothing selected: nothing happens
    EXPECT_EQ(catalog.history().count, 1);

    columns.headerClick(kColName);
    selectRecord(2);  // b.txt, 1,000 bytes
    columns.filter(kColSize);
    EXPECT_EQ(names(), (V{"b.txt", "ba.txt"}));
    EXPECT_EQ(page.viewAddress(), "");

    selectRecord(0);
    columns.runCommand(kCmdShowFiles);  // the Type column: .txt and .TXT alike
    EXPECT_EQ(names(), (V{"b.txt", "A.TXT", "ba.txt"}));
    selectRecord(1);  // A.TXT, time 10
    columns.runCommand(kCmdSeekRecentFile);
    EXPECT_EQ(names(), (V{"A.TXT", "c.jpg"}));
    selectRecord(0);
    columns.contextColumn = kColPath;
    columns.runCommand(kCmdFilter);
    EXPECT_EQ(names(), (V{"A.TXT", "c.jpg"}));
    EXPECT_EQ(page.viewAddress(), "/b/");
}

TEST_F(ColumnFixture, PopupItemsFollowTheColumnAndTheSelection) {
    auto enabled = [](const std::vector<MenuItem>& items) {
        std::vector<std::string> out;
        for (const MenuItem& m : items)
            out.push_back(std::string(m.text) + (m.enabled ? "+" : "-"));
        return out;
    };
    EXPECT_EQ(enabled(columnMenu(kColType, true, 1)),
              (V{"ascend+", "descend+", "filter+", "show files+"}));
    EXPECT_EQ(enabled(columnMenu(kColTime, true, 0)),
              (V{"ascend+", "descend+", "filter-", "seek recent file-"}));
    EXPECT_EQ(enabled(columnMenu(kColNote, true, 3)), (V{"ascend-", "descend-", "filter-"}));
    EXPECT_EQ(enabled(columnMenu(kColName, false, 0)), (V{"ascend-", "descend-", "filter-"}));
}

// Filtered views, sorted filtered views and popup-sorted views fill themselves again once
// the catalog changes, by their own rule: a Name filter is not a name search.
TEST_F(ColumnFixture, FilteredAndSortedViewsFollowCatalogChanges) {
    selectRecord(1);  // A.TXT
    columns.filter(kColName);
    EXPECT_EQ(names(), (V{"A.TXT"}));
    const int filtered = catalog.currentList();
    columns.headerClick(kColTime);
    catalogGains({"/c/", "a.txt", "", 99, 1});
    catalogGains({"/c/", "xa.txt", "", 98, 1});
    EXPECT_EQ(names(), (V{"a.txt", "A.TXT"}));
    EXPECT_EQ(screen.rows[0].cells[kColPath], "/c/");
    EXPECT_EQ(screen.status, "Select 1 file,total size:5");

    // Back to the filter itself, emptied when the sorted view was pushed.
    catalog.historyBack();
    page.RefreshPage(true);
    EXPECT_EQ(catalog.currentList(), filtered);
    EXPECT_EQ(names(), (V{"A.TXT", "a.txt"}));

    columns.contextColumn = kColSize;
    columns.runCommand(kCmdAscend);
    catalogGains({"/c/", "big", "", 1, 4000000});
    EXPECT_EQ(names(), (V{"a.txt", "A.TXT"}));  // still the filter, smallest first
    catalog.historyBack();
    catalog.historyBack();
    page.RefreshPage(true);
    ASSERT_EQ(catalog.currentList(), kMasterList);
    columns.runCommand(kCmdDescend);
    catalogGains({"/c/", "bigger", "", 1, 5000000});
    EXPECT_EQ(names().front(), "bigger");
}

// A saved search's view, and its sorted copy, are filled again by that search even after the
// list of saved searches changed under them (the view names its search by position).
TEST_F(ColumnFixture, SearchViewsKeepTheirSearchWhenTheListChanges) {
    while (searches.count() > 0) searches.removeSavedSearch(searches.savedSearchName(0));
    searches.addSavedSearch("texts", "*.txt", "", 0);
    searches.addSavedSearch("pictures", "*.jpg", "", 0);
    ASSERT_EQ(search.runSavedSearch(0, -1), 1);
    const int found = catalog.currentList();
    page.RefreshPage(true);
    EXPECT_EQ(names(), (V{"b.txt", "A.TXT", "ba.txt"}));
    columns.headerClick(kColTime);  // newest first

    searches.removeSavedSearch("texts");  // "pictures" now stands at position 0
    catalogGains({"/c/", "new.txt", "", 99, 1});
    EXPECT_EQ(names(), (V{"new.txt", "b.txt", "ba.txt", "A.TXT"}));
    catalog.historyBack();
    page.RefreshPage(true);
    EXPECT_EQ(catalog.currentList(), found);
    EXPECT_EQ(names(), (V{"b.txt", "A.TXT", "ba.txt", "new.txt"}));
}

// A sorted Type filter takes in new files of its type only (".TXT" and ".txt" alike).
TEST_F(ColumnFixture, ASortedTypeFilterTakesInNewFilesOfItsTypeOnly) {
    selectRecord(0);  // b.txt
    columns.runCommand(kCmdShowFiles);
    columns.headerClick(kColSize);
    catalogGains({"/c/", "new.TXT", "", 1, 5000});
    catalogGains({"/c/", "other.jpg", "", 1, 9000});
    ASSERT_EQ(names().size(), 4u);
    EXPECT_EQ(names().front(), "new.TXT");
    EXPECT_EQ(names().back(), "A.TXT");
}

}  // namespace
}  // namespace varnel
