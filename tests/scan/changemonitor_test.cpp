#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "scan/changemonitor.h"
#include "scantree.h"

namespace varnel {
namespace {

using test::makeFile;
using test::makeFolder;
using test::recordsIn;

std::string nul(const std::string& folder) {
    return folder + std::string("\0", 1);
}

// Two "file systems" (slots): d1/ and d2/, a watched folder on each, both catalogued.
struct TwoDrives : test::ScanFixture {
    std::string d1 = path("d1/"), d2 = path("d2/");
    std::string w1 = d1 + "watched/", w2 = d2 + "watched/";
    ChangeMonitor monitor{prompt, {d1, d2}};
    int64_t now = 1000;
    TwoDrives() {
        makeFolder(w1);
        makeFolder(w2);
        makeFile(w1 + "one", 1, 100);
        makeFile(w2 + "two", 2, 200);
        scan(d1 + "," + d2);
        watched = nul(w1) + nul(w2);
        monitor.clockSeconds = [this] { return now; };
    }
    // The first Refresh clears the start-up marks; the next tick arms both slots.
    void settle() {
        monitor.refreshWatchedFolders(services);
        monitor.pollDriveChanges(watched);
        ASSERT_TRUE(monitor.armed(0) && monitor.armed(1));
    }
};

TEST(ChangeMonitor, ANewFileMarksItsSlotWithinOneTickAndOnlyThatSlotIsRefreshed) {
    TwoDrives t;
    t.settle();
    makeFile(t.w1 + "new", 1, 1);
    t.monitor.pollDriveChanges(t.watched);
    EXPECT_TRUE(t.monitor.changed(0));
    EXPECT_FALSE(t.monitor.changed(1));
    EXPECT_FALSE(t.monitor.armed(0));  // reported once, closed until the next Refresh
    EXPECT_TRUE(t.monitor.armed(1));

    makeFile(t.w2 + "unnoticed", 1, 1);  // no tick has seen it yet
    t.monitor.refreshWatchedFolders(t.services);
    EXPECT_EQ(recordsIn(t.records(), t.w1).size(), 2u);
    EXPECT_EQ(recordsIn(t.records(), t.w2).size(), 1u);
    EXPECT_FALSE(t.monitor.changed(0));
    // The next tick arms the first slot again and hears the second one's news.
    t.monitor.pollDriveChanges(t.watched);
    EXPECT_TRUE(t.monitor.armed(0));
    EXPECT_TRUE(t.monitor.changed(1));
}

TEST(ChangeMonitor, TheWatchLimitIsToldOnceAndTheRestGoesOn) {
    TwoDrives t;
    const std::string w3 = t.d1 + "third/";
    makeFolder(w3);
    t.watched += nul(w3);
    t.monitor.folderWatch().watchLimit = 1;
    t.settle();
    ASSERT_EQ(t.prompt.statuses.size(), 1u);
    EXPECT_NE(t.prompt.statuses[0].find("limit"), std::string::npos);
    // The folder that got the one watch still reports.
    makeFile(t.w1 + "new", 1, 1);
    t.monitor.pollDriveChanges(t.watched);
    EXPECT_TRUE(t.monitor.changed(0));
    t.monitor.refreshWatchedFolders(t.services);
    t.monitor.pollDriveChanges(t.watched);
    EXPECT_EQ(t.prompt.statuses.size(), 1u);  // said once a run
}

TEST(ChangeMonitor, RefreshCommandRefreshesTheViewsFolderOnly) {
    TwoDrives t;
    t.settle();
    makeFile(t.w1 + "in-view", 1, 1);
    makeFile(t.w2 + "elsewhere", 1, 1);
    t.monitor.pollDriveChanges(t.watched);
    t.catalog.historyPush(kMasterList, t.w2.c_str(), -1, -1, 0);
    const uint32_t requests = t.catalog.page().refreshRequests;
    RefreshCommand(t.services, t.monitor, 20);
    EXPECT_EQ(recordsIn(t.records(), t.w2).size(), 2u);
    EXPECT_EQ(recordsIn(t.records(), t.w1).size(), 1u);  // slot 1 waits for its own Refresh
    EXPECT_TRUE(t.monitor.changed(0));
    EXPECT_GT(t.catalog.page().refreshRequests, requests);
}

TEST(ChangeMonitor, RefreshCommandRefreshesFoldersOfStaleRecordsOnThePage) {
    TwoDrives t;
    t.settle();
    const std::string other = t.path("d1/other/");
    makeFolder(other);
    makeFile(other + "x", 1, 500);
    t.scan(other);
    t.catalog.historyPush(kMasterList, "*", -1, -1, 0);
    t.catalog.page().topIndex = 0;
    makeFile(other + "x", 1, 501);             // its record is stale now
    makeFile(other + "added", 1, 1);           // comes with the refresh of its folder
    RefreshCommand(t.services, t.monitor, 1);  // the page shows only x
    EXPECT_EQ(recordsIn(t.records(), other).size(), 2u);
    EXPECT_EQ(t.records()[0].name, "x");
}

}  // namespace
}  // namespace varnel
