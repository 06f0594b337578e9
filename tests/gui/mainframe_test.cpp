// The window on a program directory holding a real catalog: rows, status texts, scrolling,
// selection, tabs and keys, the scan dialog's folder button, closing. The address bar with Back and
// Forward is in addressbar_test.cpp.
#include <sys/stat.h>

#include <filesystem>

#include <QAction>
#include <QScrollBar>
#include <QTabBar>

#include "windowfixture.h"

namespace varnel {
namespace {

using test::BoxAnswerer;
using test::WindowFixture;

TEST_F(WindowFixture, OpensTheDefaultCatalogOnOnePageOfRowsThatTheScrollBarAndKeysMove) {
    startWith(1000);
    FilePage& page = frame->mainView()->page();
    ASSERT_GT(page.pageSize(), 5);
    EXPECT_EQ(list()->topLevelItemCount(), page.pageSize());
    EXPECT_EQ(cell(0, kColName), "song0000.mp3");
    EXPECT_EQ(cell(0, kColPath), "/music/");
    EXPECT_EQ(cell(0, kColType), "MP3 audio");
    EXPECT_EQ(cell(0, kColSize), "1");
    EXPECT_EQ(status(), "file listed:1000");
    QScrollBar* bar = frame->mainView()->pageScrollBar();
    EXPECT_EQ(bar->maximum(), 1000);
    EXPECT_EQ(frame->mainView()->tabs()->tabText(0).toStdString(), "result");
    EXPECT_EQ(frame->windowTitle().toStdString(), "save.fdb - Varnel");
    // Nothing to go back to yet, nothing selected.
    for (int command : {kCmdBack, kCmdForward, kCmdKeep, kCmdClose})
        EXPECT_FALSE(frame->action(command)->isEnabled()) << command;

    // The lock panes follow the keyboard lights; a keyboard without a light reads as off.
    test::TempDir leds;
    ::mkdir(leds.file("input3::capslock").c_str(), 0755);
    ::mkdir(leds.file("input3::numlock").c_str(), 0755);
    test::writeFile(leds.file("input3::capslock/brightness"), "1\n");
    test::writeFile(leds.file("input3::numlock/brightness"), "0\n");
    frame->setKeyLightsFolder(leds.path());
    ticks(1);
    std::string panes;
    for (const char* pane : {"CAP", "NUM", "SCRL"})
        panes += test::child<QLabel>(*frame, pane)->text().toStdString() + "|";
    EXPECT_EQ(panes, "CAP|||");

    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ticks(1);
    EXPECT_EQ(cell(0, kColName), "song0001.mp3");
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ticks(1);
    EXPECT_EQ(page.topIndex(), 1 + page.pageSize() - 1);
    EXPECT_EQ(bar->value(), page.pageSize());
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_End);
    ticks(1);
    EXPECT_EQ(page.focusIndex(), 999);
    EXPECT_EQ(status(), "Select 1 file,total size:1,000");
}

TEST_F(WindowFixture, ACatalogNamedAtStartOpensInsteadOfTheDefault) {
    // An empty program folder: a first run, with the share folder made and no records.
    open("");
    EXPECT_EQ(status(), "file listed:0");
    EXPECT_TRUE(std::filesystem::is_directory(session->workspace.paths().shareFolder));

    frame.reset();
    session.reset();
    test::writeCatalog(dir.file("other.fdb"), {{"/x/", "only.txt", "", 0, 7}});
    open(dir.file("other.fdb"));
    EXPECT_EQ(status(), "file listed:1");
    EXPECT_EQ(frame->windowTitle().toStdString(), "other.fdb - Varnel");
    EXPECT_TRUE(frame->action(kCmdClose)->isEnabled());
}

TEST_F(WindowFixture, ClicksSelectAndTabsFolderPaneAndKeysSwitchWhatIsShown) {
    startWith(100);
    clickRow(2);
    EXPECT_TRUE(list()->topLevelItem(2)->isSelected());
    EXPECT_EQ(status(), "Select 1 file,total size:3");
    EXPECT_TRUE(frame->action(kCmdKeep)->isEnabled());
    clickRow(5, Qt::ShiftModifier);
    EXPECT_EQ(status(), "Select 4 file,total size:18");
    clickRow(3, Qt::ControlModifier);
    EXPECT_FALSE(list()->topLevelItem(3)->isSelected());
    EXPECT_EQ(status(), "Select 3 file,total size:14");
    // The address bar shows the folder of a single selected record.
    clickRow(0);
    EXPECT_EQ(address(), "/music/");

    CMainView* view = frame->mainView();
    view->page().scroll(ScrollCode::ThumbTrack, 40);
    ticks(1);
    view->tabs()->setCurrentIndex(1);
    EXPECT_FALSE(list()->isVisible());
    EXPECT_FALSE(view->pageScrollBar()->isVisible());
    EXPECT_TRUE(view->previewPane()->isVisible());
    view->tabs()->setCurrentIndex(0);
    EXPECT_TRUE(list()->isVisible());
    EXPECT_EQ(cell(0, kColName), "song0040.mp3");

    // Without the folder pane the list takes the width; the page keeps its size.
    const int size = view->page().pageSize();
    const int width = list()->width();
    trigger(kCmdDirectory);
    EXPECT_FALSE(view->folderPane()->isVisible());
    EXPECT_EQ(list()->width(), width + 180);
    EXPECT_EQ(view->page().pageSize(), size);

    // Keys reach their commands; row 3 of the page is record 43.
    clickRow(3);
    QTest::keyClick(frame.get(), Qt::Key_BracketRight, Qt::ControlModifier);  // Down
    ticks(1);
    EXPECT_EQ(view->page().focusIndex(), 44);
    QTest::keyClick(frame.get(), Qt::Key_BracketLeft, Qt::ControlModifier);  // Up
    ticks(1);
    EXPECT_EQ(view->page().focusIndex(), 43);
    QTest::keyClick(frame.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(view->previewPane()->isVisible());
    EXPECT_EQ(view->tabs()->currentIndex(), 1);
}

// A scan through the dialogs is in busycatalog_test.cpp; here the dialog's folder button
// replaces the field with the chosen folder.
TEST_F(WindowFixture, ScanDialogsFolderButtonReplacesTheField) {
    startWith(10);
    ScanOptionsDialog dialog(*prompt, frame.get());
    dialog.setForm({"/old/", ""});
    dialog.chooseFolder = [] { return FolderChoice{true, true, "/home/u/Music"}; };
    dialog.foldersButton()->click();
    EXPECT_EQ(dialog.form().folders, "/home/u/Music/");
}

TEST_F(WindowFixture, ClosingAsksToSaveAndCancelKeepsTheWindow) {
    startWith(20);
    clickRow(0);
    // Dropped from the catalog itself.
    ASSERT_EQ(test::boxTexts(QMessageBox::Yes, [&] { trigger(kCmdDrop); }).size(), 1u);
    EXPECT_EQ(status(), "file listed:19");
    {
        BoxAnswerer answer(QMessageBox::Cancel);
        EXPECT_FALSE(frame->close());
        ASSERT_FALSE(answer.texts.empty());
    }
    EXPECT_TRUE(frame->isVisible());
    {
        BoxAnswerer answer(QMessageBox::Yes);
        EXPECT_TRUE(frame->close());
    }
    // The saved default catalog opens with the change.
    frame.reset();
    session.reset();
    open("");
    EXPECT_EQ(status(), "file listed:19");
}

}  // namespace
}  // namespace varnel
