// The column header on the real list: sorting by a click, Back, the column popup's filters,
// and a sorted view that stays right after a scan.
#include <sys/stat.h>

#include "windowfixture.h"

namespace varnel {
namespace {

using test::PopupChooser;
using test::WindowFixture;

TEST_F(WindowFixture, HeaderClicksSortDescendingThenAscendingAndBackReturns) {
    startWith(100);
    clickHeader(kColSize);
    EXPECT_EQ(cell(0, kColSize), "100");
    EXPECT_EQ(cell(1, kColSize), "99");
    EXPECT_EQ(frame->addressBar()->currentText().toStdString(), "*");
    clickHeader(kColSize);
    EXPECT_EQ(cell(0, kColSize), "1");
    clickHeader(kColName);  // Z to A: the songs before the pictures
    EXPECT_EQ(cell(0, kColName), "song0049.mp3");

    frame->action(kCmdBack)->trigger();
    ticks(1);
    EXPECT_EQ(cell(0, kColSize), "1");
    EXPECT_EQ(cell(1, kColSize), "2");
    frame->action(kCmdBack)->trigger();
    frame->action(kCmdBack)->trigger();
    ticks(1);
    EXPECT_EQ(cell(0, kColName), "song0000.mp3");
    EXPECT_FALSE(frame->action(kCmdBack)->isEnabled());
}

TEST_F(WindowFixture, ColumnPopupFiltersByTypeAndBySize) {
    startWith(100);
    {
        PopupChooser choose{QString()};
        clickHeader(kColType, Qt::RightButton);
        EXPECT_EQ(choose.items, (std::vector<std::string>{"ascend+", "descend+", "filter-",
                                                          "show files-"}));
    }
    frame->mainView()->page().scroll(ScrollCode::ThumbTrack, 57);
    ticks(1);
    clickRow(0);  // pic0057.jpg
    clickRow(3, Qt::ShiftModifier);
    {
        PopupChooser choose(QStringLiteral("filter"));
        clickHeader(kColType, Qt::RightButton);
        ASSERT_EQ(choose.items.size(), 4u);
    }
    // Every .jpg of the catalog, by the first selected record; the selection stays.
    EXPECT_EQ(status(), "Select 4 file,total size:238");
    EXPECT_EQ(session->catalog.recordCount(session->catalog.currentList()), 50);

    clickRow(7);  // pic0057.jpg, 58 bytes
    {
        PopupChooser choose(QStringLiteral("filter"));
        clickHeader(kColSize, Qt::RightButton);
    }
    EXPECT_EQ(status(), "Select 1 file,total size:58");
    EXPECT_EQ(session->catalog.recordCount(session->catalog.currentList()), 1);
    EXPECT_EQ(cell(0, kColName), "pic0057.jpg");
    {
        PopupChooser choose(QStringLiteral("descend"));
        clickHeader(kColNote, Qt::RightButton);  // the Note column is never sorted
        EXPECT_EQ(choose.items, (std::vector<std::string>{"ascend-", "descend-", "filter-"}));
    }
}

TEST_F(WindowFixture, SortedFilterShowsTheFilesOfALaterScan) {
    startWith(10);  // song0000..0004.mp3, pic0005..0009.jpg
    test::TempDir tree;
    test::writeFile(tree.file("new.mp3"), "zzzzzzzzzzzz");
    test::writeFile(tree.file("other.txt"), "x");
    clickRow(0);
    {
        PopupChooser choose(QStringLiteral("show files"));
        clickHeader(kColType, Qt::RightButton);
    }
    clickHeader(kColSize);
    EXPECT_EQ(cell(0, kColName), "song0004.mp3");

    frame->scanDialogs().onOpen = [&](ScanOptionsDialog& dialog) {
        dialog.foldersEdit()->setText(QString::fromStdString(tree.path() + "/"));
        QTimer::singleShot(0, &dialog, &QDialog::accept);
    };
    frame->action(kCmdSearchFile)->trigger();
    ticks(2);
    EXPECT_EQ(status(), "file listed:12");  // the scan shows all files
    frame->action(kCmdBack)->trigger();
    ticks(2);
    EXPECT_EQ(cell(0, kColName), "new.mp3");
    EXPECT_EQ(cell(5, kColName), "song0000.mp3");
    EXPECT_EQ(cell(6, kColName), "");
    EXPECT_EQ(status(), "file listed:6");
}

}  // namespace
}  // namespace varnel
