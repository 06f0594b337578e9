// The window while a scan worker owns the catalog: resizing, maximizing and the timer's
// ticks read nothing of it, and the page catches up once the worker has ended.
#include <sys/stat.h>

#include <QScrollBar>
#include <string>

#include "windowfixture.h"

namespace varnel {
namespace {

using test::WindowFixture;

// A resize while the catalog is held stands for one during a scan; the test changes the
// catalog meanwhile as the worker's merge would.
TEST_F(WindowFixture, HeldCatalogKeepsThePageAndTheCommandsUntilItIsBack) {
    startWith(200);
    clickRow(0);
    ASSERT_TRUE(frame->action(kCmdKeep)->isEnabled());
    const int rowsBefore = list()->topLevelItemCount();
    const std::string statusBefore = status();

    session->services.setCatalogBusy(true);
    session->catalog.setRecordCount(kMasterList, 3);
    session->catalog.setRecordCount(kSelectionList, 0);
    frame->showMaximized();
    QApplication::processEvents();
    frame->showNormal();
    frame->resize(700, 420);
    QApplication::processEvents();
    ticks(6);
    EXPECT_EQ(cell(3, kColName), "song0003.mp3");
    EXPECT_EQ(list()->topLevelItemCount(), rowsBefore);
    EXPECT_EQ(frame->mainView()->pageScrollBar()->maximum(), 200);
    EXPECT_EQ(status(), statusBefore);
    EXPECT_TRUE(frame->action(kCmdKeep)->isEnabled());

    session->services.setCatalogBusy(false);
    ticks(2);
    EXPECT_EQ(cell(2, kColName), "song0002.mp3");
    EXPECT_TRUE(list()->topLevelItem(3)->text(kColName).trimmed().isEmpty());
    EXPECT_EQ(status(), "file listed:3");
    EXPECT_FALSE(frame->action(kCmdKeep)->isEnabled());
    // The page size followed the smaller window: laying out again changes nothing.
    const int rowsAfter = list()->topLevelItemCount();
    EXPECT_NE(rowsAfter, rowsBefore);
    frame->mainView()->LayoutView();
    EXPECT_EQ(list()->topLevelItemCount(), rowsAfter);
}

// The real thing: the window is resized and maximized, and the timer ticks, while the worker
// merges. Under ThreadSanitizer (./run tsan) a catalog read from this thread meanwhile is
// reported.
TEST_F(WindowFixture, ScanWhileTheWindowIsResizedAndMaximized) {
    startWith(100);
    test::TempDir tree;
    // Enough files that the worker is still at work once its dialog has opened.
    for (int d = 0; d < 20; ++d) {
        const std::string folder = tree.file("d" + std::to_string(d));
        ::mkdir(folder.c_str(), 0755);
        for (int f = 0; f < 100; ++f)
            test::writeFile(folder + "/page" + std::to_string(f) + ".html", "<title>t</title>");
    }
    const std::function<void()> moves[] = {
        [&] { frame->resize(700, 420); }, [&] { frame->showMaximized(); },
        [&] { frame->showNormal(); }, [&] { frame->resize(1000, 700); }};
    int steps = 0;
    QTimer resizer;
    QObject::connect(&resizer, &QTimer::timeout, [&] {
        if (!frame->progress().dialog()->isVisible() || steps == 8) return;
        moves[steps++ % 4]();
        ticks(1);  // the timer's tick too, with its update of the command states
    });
    resizer.start(1);
    scan(tree.path() + "/");
    resizer.stop();
    EXPECT_EQ(status(), "file listed:2100");
    EXPECT_FALSE(frame->progress().dialog()->isVisible());
    const int rows = list()->topLevelItemCount();
    frame->mainView()->LayoutView();
    EXPECT_EQ(list()->topLevelItemCount(), rows);
}

}  // namespace
}  // namespace varnel
