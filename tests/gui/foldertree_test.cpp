// The folder pane on the real tree: its top level, expanding and refreshing, selecting a local
// folder from the address bar, "Folder not found", Back and Forward, the right-click menu, and
// an FTP site's folders.
#include <sys/stat.h>

#include <QClipboard>
#include <QDir>

#include "app/addresshistory.h"
#include "remote/mirrorpaths.h"
#include "windowfixture.h"

namespace varnel {
namespace {

using test::BoxAnswerer;
using test::WindowFixture;

struct TreeWindow : WindowFixture {
    void SetUp() override {
        for (const char* f : {"a", "a/x", "B", "c"}) ::mkdir(disk.file(f).c_str(), 0755);
        test::writeFile(disk.file("a/song.mp3"), "12345");
        test::writeFile(disk.file("a/notes.txt"), "1");
        startWith(4);
    }
    test::TempDir disk;
    CFolderTree* tree() { return frame->mainView()->folderPane(); }
    std::vector<std::string> childNames(QTreeWidgetItem* item) {
        std::vector<std::string> out;
        for (int k = 0; k < item->childCount(); ++k)
            out.push_back(item->child(k)->text(0).toStdString());
        return out;
    }
    // A click on the item's text: a deep item's row reaches past the narrow pane.
    void clickFolder(QTreeWidgetItem* item, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        tree()->scrollToItem(item);
        const QRect r = tree()->visualItemRect(item);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, mods, {r.x() + 6, r.center().y()});
        ticks(1);
    }
};

TEST_F(TreeWindow, TopLevelExpandingAndALocalFolderFromTheAddressBar) {
    ASSERT_GE(tree()->topLevelItemCount(), 2);
    EXPECT_EQ(tree()->topLevelItem(0)->text(0).toStdString(), "Home");
    EXPECT_EQ(CFolderTree::itemPath(tree()->topLevelItem(0)), QDir::homePath().toStdString() + "/");
    EXPECT_EQ(tree()->topLevelItem(1)->text(0).toStdString(), "/");

    typeAddress(disk.file("a/"));
    EXPECT_EQ(tree()->selectedPath(), disk.file("a/"));
    EXPECT_EQ(status(), "file listed:2");                  // read from the disk into the catalog
    EXPECT_EQ(rowOf("song.mp3") + rowOf("notes.txt"), 1);  // rows 0 and 1, in either order
    EXPECT_EQ(address(), disk.file("a/"));
    QTreeWidgetItem* parent = tree()->currentItem()->parent();
    EXPECT_EQ(childNames(parent), (std::vector<std::string>{"a", "B", "c"}));
    EXPECT_EQ(childNames(tree()->currentItem()), std::vector<std::string>{"x"});

    // A folder of the catalog that this disk lacks is shown from the catalog.
    typeAddress("/photos/");
    EXPECT_EQ(status(), "file listed:2");
    EXPECT_EQ(cell(0, kColName), "pic0002.jpg");

    // Back and Forward select the view's folder in the tree.
    typeAddress(disk.file("B/"));
    EXPECT_EQ(tree()->selectedPath(), disk.file("B/"));
    frame->action(kCmdBack)->trigger();
    trigger(kCmdBack);
    EXPECT_EQ(tree()->selectedPath(), disk.file("a/"));
    EXPECT_EQ(address(), disk.file("a/"));
    frame->action(kCmdForward)->trigger();
    trigger(kCmdForward);
    EXPECT_EQ(tree()->selectedPath(), disk.file("B/"));
    EXPECT_EQ(status(), "file listed:0");

    // Selecting by hand lists the folder; a click on the selected folder opens it again.
    clickFolder(parent->child(0));
    EXPECT_EQ(status(), "file listed:2");
    EXPECT_EQ(address(), disk.file("a/"));
    test::writeFile(disk.file("a/late.txt"), "22");
    clickFolder(parent->child(0));
    EXPECT_EQ(status(), "file listed:3");
}

TEST_F(TreeWindow, MissingFolderIsNamedThenItsNearestAncestorShows) {
    const std::string missing = disk.file("a/gone/deeper/");
    {
        BoxAnswerer answer(QMessageBox::Ok);
        typeAddress(missing);
        EXPECT_EQ(answer.texts, std::vector<std::string>{missing});
        EXPECT_EQ(answer.titles, std::vector<std::string>{"Folder not found"});
    }
    EXPECT_EQ(tree()->selectedPath(), disk.file("a/"));
    EXPECT_EQ(status(), "file listed:2");
}

TEST_F(TreeWindow, RightClickShowsTheFolderAndOffersTheDesktopMenuForIt) {
    typeAddress(disk.file("B/"));
    QTreeWidgetItem* a = tree()->currentItem()->parent()->child(0);
    const QPoint at = tree()->visualItemRect(a).center();
    test::PopupChooser choose(QStringLiteral("Copy Path"));
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(tree()->viewport(), &event);
    ticks(1);
    EXPECT_EQ(choose.items, (test::Texts{"Open+", "Open With...+", "Open Containing Folder+",
                                         "Copy Path+", "Properties+"}));
    EXPECT_EQ(tree()->selectedPath(), disk.file("a/"));
    EXPECT_EQ(status(), "file listed:2");
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), disk.file("a"));
}

TEST_F(TreeWindow, BrowseFolderSelectsTheRecordsFolder) {
    typeAddress(disk.file("a/"));
    tree()->setCurrentItem(tree()->topLevelItem(0));
    typeAddress("*.txt");
    clickRow(0);
    test::PopupChooser choose(QStringLiteral("&Browse folder"));
    rightClickRow(0);
    EXPECT_EQ(tree()->selectedPath(), disk.file("a/"));
    EXPECT_TRUE(tree()->hasFocus());
}

// The site's mirror folder is there before the window starts, so the pane lists the site.
struct FtpTreeWindow : TreeWindow {
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(useFtpServer());
        test::writeFile(site->local("a.txt"), "aaa");
        std::string mirror;
        ASSERT_TRUE(MakeMirrorFolders(dir.path(), addressToName(siteUrl()), mirror));
        TreeWindow::SetUp();
    }
};

TEST_F(FtpTreeWindow, SiteFolderLogsInOrWithCtrlStaysOffline) {
    int logins = 0;
    dialogs.onOpen = [&](QDialog& dialog) {
        ++logins;
        test::typeLogin(dialog, *server, server->password);
        dialog.accept();
    };
    QTreeWidgetItem* sites = tree()->topLevelItem(tree()->topLevelItemCount() - 1);
    ASSERT_EQ(CFolderTree::itemPath(sites),
              dir.path() + "/Ftp/" + sites->text(0).toStdString() + "/");
    sites->setExpanded(true);
    ASSERT_EQ(sites->childCount(), 1);

    // Folders the catalog holds below the site's folder, which has no mirror folders yet.
    const std::string name = addressToName(siteUrl());
    test::appendRecords(session->catalog, kMasterList,
                        {{name + "sub\\deep\\", "f.txt", "", 1, 1}, {name + "two\\", "g", "", 1, 1}});

    // With Ctrl: the cached listing only (none yet), no login; the catalogued folders appear.
    clickFolder(sites->child(0), Qt::ControlModifier);
    EXPECT_EQ(logins, 0);
    EXPECT_EQ(status(), "file listed:0");
    EXPECT_EQ(address(), siteUrl());
    EXPECT_EQ(childNames(sites->child(0)), (std::vector<std::string>{"sub", "two"}));

    clickFolder(sites->child(0));
    EXPECT_EQ(logins, 1);
    ASSERT_TRUE(listingArrives(siteUrl()));
    EXPECT_EQ(cell(0, kColName), "a.txt");
}

}  // namespace
}  // namespace varnel
