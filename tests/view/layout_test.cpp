// Layout arithmetic, the timer's order and goToAddress over real catalogs.
#include <gtest/gtest.h>

#include "pagescreen.h"
#include "support/scriptedprompt.h"
#include "view/layout.h"
#include "view/navigation.h"
#include "view/page.h"
#include "view/viewtimer.h"

namespace varnel {
namespace {

TEST(Layout, PanesFollowTheFlagsAndTheViewMode) {
    LayoutOptions options;
    ViewLayout l = LayoutView(1000, 600, 25, 1, options);
    EXPECT_EQ(l.folderTree, (ViewRect{0, 0, 177, 600}));
    EXPECT_EQ(l.verticalSplitter, (ViewRect{177, 0, 3, 600}));
    EXPECT_EQ(l.tabs, (ViewRect{180, 0, 820, 600}));
    EXPECT_EQ(l.scrollBar, (ViewRect{985, 25, 15, 575}));
    // The file list, the preview and the saved-searches page take the same place, on a tab
    // each; only the file list leaves room for the scroll bar.
    for (const auto& [mode, tab, width] : {std::tuple{1, 0, 805}, {2, 1, 820}, {0, 2, 820}}) {
        l = LayoutView(1000, 600, 25, mode, options);
        EXPECT_EQ(l.viewMode, mode);
        EXPECT_EQ(l.selectedTab, tab);
        EXPECT_EQ(l.mainPane, (ViewRect{180, 25, width, 575})) << mode;
        EXPECT_EQ(l.fileListShown, mode == 1);
        EXPECT_EQ(l.previewShown, mode == 2);
        EXPECT_EQ(l.resultPageShown, mode == 0);
    }

    // No folder pane: the whole width; the height (and so the page size) is unchanged.
    options.folderPaneShown = false;
    l = LayoutView(1000, 600, 25, 1, options);
    EXPECT_FALSE(l.folderTreeShown);
    EXPECT_EQ(l.verticalSplitter.x, 0);
    EXPECT_EQ(l.mainPane, (ViewRect{0, 25, 985, 575}));

    // The lower preview takes 200 pixels of rows.
    options.lowerPreviewShown = true;
    l = LayoutView(1000, 600, 25, 1, options);
    EXPECT_EQ(l.mainPane.height, 375);
    EXPECT_EQ(l.horizontalSplitter, (ViewRect{0, 400, 1000, 3}));
}

struct ViewFixture : test::PageFixture {
    test::ScriptedPrompt prompt;
    void SetUp() override {
        view(kMasterList, {{"/music/", "a.mp3", "", 0, 1},
                           {"/music/", "b.mp3", "", 0, 1},
                           {"/photos/", "c.jpg", "", 0, 1}});
        page.resetRows(10);
    }
};

TEST_F(ViewFixture, TimerRefreshesTwiceForOneRequestAndWaitsForABusyCatalog) {
    bool busy = false;
    std::vector<std::string> order;
    TimerHooks hooks;
    hooks.pollDriveChanges = [&] { order.push_back("drives"); };
    hooks.syncMenuChecks = [&] {
        order.push_back("menus");
        return false;
    };
    page.catalogBusy = [&] { return busy; };
    hooks.remoteProgress = [&] { order.push_back("remote"); };
    ViewTimer timer(page, hooks);

    page.scroll(ScrollCode::LineDown);  // a scroll and a click pending at once
    page.SelectRow(0, false, false);
    busy = true;
    timer.tick();
    EXPECT_EQ(screen.scrollBarSets, 0);
    EXPECT_EQ((std::vector<std::string>{"drives", "menus"}), order);
    busy = false;
    for (int i = 0; i < 4; ++i) timer.tick();
    EXPECT_EQ(screen.scrollBarSets, 2);
}

// A scan merges into the catalog while the window is resized: the layout's refresh reads
// nothing of it, the rows stay as drawn, and the merged catalog shows once the worker ends.
TEST_F(ViewFixture, RefreshWhileAWorkerOwnsTheCatalogWaitsForIt) {
    bool busy = false;
    page.catalogBusy = [&] { return busy; };
    ViewTimer timer(page, {});
    page.RefreshPage(true);
    ASSERT_EQ(nameAt(2), "c.jpg");

    busy = true;
    test::appendRecords(catalog, kMasterList, {{"/new/", "d.txt", "", 0, 1}});
    const int writes = screen.cellWrites;
    page.RefreshPage(true);
    timer.tick();
    EXPECT_EQ(screen.cellWrites, writes);
    EXPECT_EQ(nameAt(3), "");
    EXPECT_EQ(screen.status, "file listed:3");

    busy = false;
    timer.tick();
    EXPECT_EQ(nameAt(3), "d.txt");
    EXPECT_EQ(screen.status, "file listed:4");
}

TEST_F(ViewFixture, TypeAheadTextExpiresAfterSixteenQuietTicks) {
    TimerHooks hooks;
    hooks.status = [&](const std::string& t) { screen.status = t; };
    ViewTimer timer(page, hooks);
    page.typeAhead('b', false);
    timer.tick();  // the length changed: the quiet count starts
    EXPECT_EQ(screen.status, "Find file name:b");
    for (int i = 0; i < 15; ++i) timer.tick();
    EXPECT_EQ(page.findName, "b");
    timer.tick();
    EXPECT_EQ(page.findName, "");
}

TEST_F(ViewFixture, AddressesOpenFoldersOrSearchPatterns) {
    int layouts = 0, slow = -1;
    std::vector<std::string> logins;
    bool loginAnswer = false;
    AddressServices s{catalog, search, page, prompt, {}, {}, {}, nullptr};
    s.layout = [&] { ++layouts; };
    s.slowRefreshCountdown = &slow;
    s.remoteLogin = [&](const std::string& name) {
        logins.push_back(name);
        return loginAnswer;
    };

    goToAddress(s, "");
    EXPECT_EQ(catalog.history().count, 1);

    goToAddress(s, "/music/");
    EXPECT_EQ(catalog.recordCount(catalog.currentList()), 2);
    EXPECT_EQ(catalog.history().count, 2);
    EXPECT_EQ(layouts, 1);

    page.SelectRow(0, false, false);
    goToAddress(s, "*.jpg");
    EXPECT_EQ(catalog.recordCount(catalog.currentList()), 1);
    EXPECT_EQ(catalog.recordCount(kSelectionList), 0);
    EXPECT_EQ(slow, 3);
    EXPECT_STREQ(catalog.history().address[catalog.history().position].data(), "*.jpg");

    // A refused FTP login shows the fixed text and goes nowhere.
    goToAddress(s, "ftp:\\\\host\\pub\\");
    EXPECT_EQ(logins, std::vector<std::string>{"ftp:\\\\host\\pub\\"});
    EXPECT_EQ(prompt.told, std::vector<std::string>{"Login first, please retry"});
    EXPECT_EQ(catalog.history().count, 3);

    // A bare site is its root folder, separator and all.
    loginAnswer = true;
    std::vector<std::string> opened;
    s.refreshFtpFolder = [&](const std::string& name) { opened.push_back(name); };
    goToAddress(s, "ftp:\\\\host");
    EXPECT_EQ(opened, std::vector<std::string>{"ftp:\\\\host\\"});
    EXPECT_STREQ(catalog.history().address[catalog.history().position].data(), "ftp:\\\\host\\");
}

TEST(Splitter, DropsMoveThePaneEdgesAndStayInsideTheView) {
    LayoutOptions o;
    const ViewLayout before = LayoutView(800, 600, 24, 1, o);
    const int barX = before.verticalSplitter.x;  // 177
    EXPECT_EQ(dropSplitter(o, SplitterOrientation::Vertical, barX, barX + 50, 0, 797), barX + 50);
    EXPECT_EQ(o.folderPaneWidth, 230);
    dropSplitter(o, SplitterOrientation::Vertical, barX + 50, barX + 50, 0, 797);  // a click
    EXPECT_EQ(o.folderPaneWidth, 230);
    // Let go beyond the right edge: the bar stays at the edge.
    EXPECT_EQ(dropSplitter(o, SplitterOrientation::Vertical, barX + 50, 5000, 0, 797), 797);
    EXPECT_EQ(LayoutView(800, 600, 24, 1, o).verticalSplitter.x, 797);

    o.lowerPreviewShown = true;
    const int barY = LayoutView(800, 600, 24, 1, o).horizontalSplitter.y;  // 400
    dropSplitter(o, SplitterOrientation::Horizontal, barY, barY - 40, 24, 597);
    EXPECT_EQ(o.lowerPreviewHeight, 240);
    EXPECT_EQ(LayoutView(800, 600, 24, 1, o).mainPane.height, 600 - 240 - 24);
}

}  // namespace
}  // namespace varnel
