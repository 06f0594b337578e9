// The page over real catalogs, drawn on a screen that keeps what each cell shows.
#include "view/page.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "pagescreen.h"
#include "platform/filetime.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

using test::PageFixture;
using test::Rec;

TEST(PageTexts, SizesAreGroupedByThousandsAndUnsigned) {
    // 2 GiB and more stay positive.
    for (const auto& [size, text] : {std::pair{0u, "0"},
                                     {999u, "999"},
                                     {1000u, "1,000"},
                                     {1234567u, "1,234,567"},
                                     {0x80000000u, "2,147,483,648"},
                                     {0xFFFFFFFFu, "4,294,967,295"}})
        EXPECT_EQ(sizeText(size), text);
    EXPECT_EQ(groupedNumber(12345678901ull), "12,345,678,901");
}

TEST(PageTexts, TimeIsLocalWithTwoBlanks) {
    EXPECT_EQ(timeText(fileTimeFromLocal({2003, 12, 5, 9, 7})), "2003-12-05  09:07");
}

TEST(PageTexts, PageSizeIsTwoRowsLessAndCapped) {
    for (const auto& [height, rowHeight, rows] :
         {std::tuple{440, 20, 20}, {30, 20, 0}, {5000, 18, 50}, {400, 0, 0}})
        EXPECT_EQ(FilePage::pageSizeFor(height, rowHeight), rows) << height << "/" << rowHeight;
}

TEST_F(PageFixture, ShortViewFillsItsRowsAndBlanksTheRest) {
    fill(5);
    show(20);
    ASSERT_EQ(screen.rowCount(), 20);
    for (int r = 0; r < 5; ++r) EXPECT_EQ(nameAt(r), test::readRecord(catalog, 0, r).name);
    EXPECT_EQ(screen.rows[0].cells[kColType], "type of /data/f000");
    EXPECT_EQ(screen.rows[0].cells[kColPath], "/data/");
    EXPECT_EQ(screen.rows[4].cells[kColSize], "5,000");
    for (int r = 5; r < 20; ++r) {
        EXPECT_EQ(nameAt(r), "");
        EXPECT_FALSE(screen.rows[r].selected);
    }
    EXPECT_EQ(screen.scrollMax, 5);
    EXPECT_EQ(screen.status, "file listed:5");
    // A short view scrolls back to the top.
    page.scroll(ScrollCode::ThumbTrack, 4);
    page.scroll(ScrollCode::LineDown);
    EXPECT_EQ(page.topIndex(), 0);
}

TEST_F(PageFixture, UnchangedCellsAreNotWrittenAgainAndTypesFollowNames) {
    fill(30);
    show(10);
    const int writes = screen.cellWrites;
    const size_t lookups = screen.typeLookups.size();
    page.RefreshPage(true);
    EXPECT_EQ(screen.cellWrites, writes);
    page.scroll(ScrollCode::LineDown);
    page.RefreshPage(true);
    // Every name moved up a row: each row's name and type were written once more.
    EXPECT_EQ(screen.typeLookups.size(), lookups + 10);
    EXPECT_EQ(nameAt(0), "f001");
}

TEST_F(PageFixture, ScrollCodesMoveTheTopIndexWithinTheView) {
    fill(100);
    show(20);
    page.scroll(ScrollCode::PageDown);
    EXPECT_EQ(page.topIndex(), 19);  // the old last row becomes the first
    page.scroll(ScrollCode::PageUp);
    EXPECT_EQ(page.topIndex(), 0);
    page.scroll(ScrollCode::LineUp);
    EXPECT_EQ(page.topIndex(), 0);
    page.scroll(ScrollCode::ThumbTrack, 99);
    EXPECT_EQ(page.topIndex(), 99);  // the last record alone on the first row
    page.scroll(ScrollCode::LineDown);
    EXPECT_EQ(page.topIndex(), 80);  // past the end: one page before it
    page.scroll(ScrollCode::EndScroll);
    EXPECT_EQ(page.topIndex(), 80);
    EXPECT_EQ(page.refreshCountdown, 1);

    page.RefreshPage(true);
    EXPECT_EQ(screen.scrollPos, 80);
    EXPECT_EQ(nameAt(19), "f099");
}

TEST_F(PageFixture, ClicksWithShiftAndCtrlBuildTheSelection) {
    fill(40);
    show(20);
    page.setTopIndex(10);
    page.SelectRow(3, false, false);
    page.SelectRow(7, true, false);
    ASSERT_EQ(catalog.recordCount(kSelectionList), 5);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(test::readRecord(catalog, kSelectionList, k).name,
                  test::readRecord(catalog, 0, 13 + k).name);
    EXPECT_EQ(page.selectionTotal(), 14000u + 15000 + 16000 + 17000 + 18000);
    page.RefreshPage(true);
    EXPECT_TRUE(screen.rows[5].selected);
    EXPECT_FALSE(screen.rows[2].selected);
    EXPECT_EQ(screen.status, "Select 5 file,total size:80,000");

    // Ctrl removes a selected record by swapping the last into its place, and appends it again.
    page.SelectRow(3, false, true);
    ASSERT_EQ(catalog.recordCount(kSelectionList), 4);
    EXPECT_EQ(test::readRecord(catalog, kSelectionList, 0).name, "f017");
    page.SelectRow(3, false, true);
    ASSERT_EQ(catalog.recordCount(kSelectionList), 5);
    EXPECT_EQ(test::readRecord(catalog, kSelectionList, 4).name, "f013");
    // Out of view order now: every row is still marked right.
    page.RefreshPage(false);
    for (int r = 0; r < 20; ++r) EXPECT_EQ(screen.rows[r].selected, r >= 3 && r <= 7) << r;

    // A plain click leaves one; a click past the end keeps it but still schedules a refresh.
    page.SelectRow(0, false, false);
    EXPECT_EQ(catalog.recordCount(kSelectionList), 1);
    page.refreshCountdown = -1;
    page.SelectRow(35, false, false);
    EXPECT_EQ(catalog.recordCount(kSelectionList), 1);
    EXPECT_EQ(page.focusIndex(), 10);
    EXPECT_EQ(page.refreshCountdown, 1);
}

TEST_F(PageFixture, NewViewCentresOnTheFirstSelectedRecordAndWritesTheAddress) {
    fill(100);
    show(20);
    page.setTopIndex(60);
    page.SelectRow(5, false, false);  // record 65
    catalog.historyPushList(kMasterList);
    page.RefreshPage(true);
    EXPECT_EQ(page.topIndex(), 55);
    EXPECT_EQ(page.focusIndex(), 55);
    EXPECT_TRUE(screen.rows[10].selected);

    // Nothing selected found in the view: the top, and an emptied selection.
    catalog.setRecordCount(kSelectionList, 0);
    catalog.historyPushList(kMasterList);
    page.RefreshPage(true);
    EXPECT_EQ(page.topIndex(), 0);
}

TEST_F(PageFixture, FtpRecordsShowUrlsAndAreTypedByNameAlone) {
    fill(1, "ftp:\\\\host\\pub\\");
    show(5);
    EXPECT_EQ(screen.rows[0].cells[kColPath], "ftp://host/pub/");
    EXPECT_EQ(screen.typeLookups.at(0), "f000");
    page.SelectRow(0, false, false);
    page.RefreshPage(true);
    EXPECT_EQ(screen.address, "ftp://host/pub/");
}

TEST_F(PageFixture, EmptyNotesOfHtmlFilesTakeThePageTitleOnce) {
    test::TempDir dir;
    test::writeFile(dir.file("p.html"), "<title>Hello</title>");
    view(kMasterList,
         {{dir.path() + "/", "p.html", "", 0, 1}, {dir.path() + "/", "q.txt", "", 0, 1}});
    show(5);
    EXPECT_EQ(screen.rows[0].cells[kColNote], "Hello");
    EXPECT_EQ(test::readRecord(catalog, 0, 0).note, "Hello");
    EXPECT_EQ(test::readRecord(catalog, 0, 1).note, " ");
}

// An FTP page's title comes from the copy in its mirror folder, and only from there.
TEST_F(PageFixture, FtpPagesTakeTheirTitleFromTheMirrorCopy) {
    test::TempDir dir;
    page.programDir = dir.path();
    std::filesystem::create_directories(dir.file("Ftp/host/pub"));
    test::writeFile(dir.file("Ftp/host/pub/p.html"), "<title>Fetched</title>");
    view(kMasterList, {{"ftp:\\\\host\\pub\\", "p.html", "", 0, 1},
                       {"ftp:\\\\host\\pub\\", "q.html", "", 0, 1}});
    show(5);
    EXPECT_EQ(screen.rows[0].cells[kColNote], "Fetched");
    EXPECT_EQ(screen.rows[1].cells[kColNote], " ");
}

// The preview is sent a file once; a local path spelled in another case is another file,
// an FTP one is not.
TEST_F(PageFixture, PreviewGoesOutOnceForEachFile) {
    view(kMasterList, {{"/d/", "A.txt", "x", 0, 1},
                       {"/d/", "a.txt", "x", 0, 1},
                       {"ftp:\\\\h\\", "B.txt", "x", 0, 1},
                       {"ftp:\\\\h\\", "b.txt", "x", 0, 1}});
    catalog.page().viewMode = 2;
    show(5);
    for (int row : {0, 0, 1, 2, 3}) {
        page.SelectRow(row, false, false);
        page.RefreshPage(true);
    }
    EXPECT_EQ(screen.previews, (std::vector<std::string>{"/d/A.txt", "/d/a.txt", "ftp://h/B.txt"}));
}

TEST_F(PageFixture, TypeAheadFindsTheNextMatchingName) {
    view(kMasterList,
         {{"/d/", "abc", "x", 0, 1}, {"/d/", "abd", "x", 0, 1}, {"/d/", "b", "x", 0, 1}});
    show(5);
    page.typeAhead('a', false);
    EXPECT_EQ(page.focusIndex(), 0);
    page.typeAhead('b', false);
    EXPECT_EQ(page.focusIndex(), 1);
    EXPECT_EQ(screen.status, "Find file name:ab");
    page.typeAhead('r', false);  // never part of the text
    EXPECT_EQ(page.findName, "ab");
}

TEST_F(PageFixture, StaleSearchViewIsFilledAgain) {
    fill(10);
    const int list = catalog.allocTempList(0);
    search.patternFill(list, "*f00*");
    catalog.historyPush(list, "*f00*", -1, -1, 0);
    show(20);
    EXPECT_EQ(screen.status, "file listed:10");
    test::appendRecord(catalog, kMasterList, Rec{"/data/", "f00x", "n", 0, 1});
    catalog.bumpGeneration();
    page.RefreshPage(true);
    EXPECT_EQ(screen.status, "file listed:11");
}

}  // namespace
}  // namespace varnel
