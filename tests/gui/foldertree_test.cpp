// The folder pane on the real tree: its top level, expanding and refreshing, selecting a local
// folder from the address bar, "Folder not found", Back and Forward, and an FTP site's folder.
#include <sys/stat.h>

#include <QDir>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/addresshistory.h"
#include "remote/mirrorpaths.h"
#include "support/ftptestserver.h"
#include "windowfixture.h"

namespace varnel {
namespace {

using test::BoxAnswerer;
using test::WindowFixture;

struct TreeWindow : WindowFixture {
    test::TempDir disk;
    CFolderTree* tree() { return frame->mainView()->folderPane(); }
    std::vector<std::string> childNames(QTreeWidgetItem* item) {
        std::vector<std::string> out;
        for (int k = 0; k < item->childCount(); ++k)
            out.push_back(item->child(k)->text(0).toStdString());
        return out;
    }
    // A point on the item's text: a deep item's row reaches past the narrow pane.
    QPoint textOf(QTreeWidgetItem* item) {
        const QRect r = tree()->visualItemRect(item);
        return {r.x() + 6, r.center().y()};
    }
    std::string address() { return frame->addressBar()->currentText().toStdString(); }
    void makeDisk() {
        for (const char* f : {"a", "a/x", "B", "c"}) ::mkdir(disk.file(f).c_str(), 0755);
        test::writeFile(disk.file("a/song.mp3"), "12345");
        test::writeFile(disk.file("a/notes.txt"), "1");
    }
};

TEST_F(TreeWindow, TopLevelExpandingAndALocalFolderFromTheAddressBar) {
    makeDisk();
    startWith(4);
    ASSERT_GE(tree()->topLevelItemCount(), 2);
    EXPECT_EQ(tree()->topLevelItem(0)->text(0).toStdString(), "Home");
    EXPECT_EQ(CFolderTree::itemPath(tree()->topLevelItem(0)), QDir::homePath().toStdString() + "/");
    EXPECT_EQ(tree()->topLevelItem(1)->text(0).toStdString(), "/");

    typeAddress(QString::fromStdString(disk.file("a/")));
    EXPECT_EQ(tree()->selectedPath(), disk.file("a/"));
    EXPECT_EQ(status(), "file listed:2");  // read from the disk into the catalog
    EXPECT_EQ(cell(0, kColName) + cell(1, kColName), cell(0, kColName) == "song.mp3"
                                                         ? "song.mp3notes.txt"
                                                         : "notes.txtsong.mp3");
    EXPECT_EQ(address(), disk.file("a/"));
    QTreeWidgetItem* parent = tree()->currentItem()->parent();
    EXPECT_EQ(childNames(parent), (std::vector<std::string>{"a", "B", "c"}));
    EXPECT_EQ(childNames(tree()->currentItem()), std::vector<std::string>{"x"});

    // A folder of the catalog that this disk lacks is shown from the catalog.
    typeAddress(QStringLiteral("/photos/"));
    EXPECT_EQ(status(), "file listed:2");
    EXPECT_EQ(cell(0, kColName), "pic0002.jpg");

    // Back and Forward select the view's folder in the tree.
    typeAddress(QString::fromStdString(disk.file("B/")));
    EXPECT_EQ(tree()->selectedPath(), disk.file("B/"));
    frame->action(kCmdBack)->trigger();
    frame->action(kCmdBack)->trigger();
    ticks(1);
    EXPECT_EQ(tree()->selectedPath(), disk.file("a/"));
    EXPECT_EQ(address(), disk.file("a/"));
    frame->action(kCmdForward)->trigger();
    frame->action(kCmdForward)->trigger();
    ticks(1);
    EXPECT_EQ(tree()->selectedPath(), disk.file("B/"));
    EXPECT_EQ(status(), "file listed:0");

    // Selecting by hand lists the folder; a click on the selected folder opens it again.
    tree()->scrollToItem(parent->child(0));
    const QPoint r = textOf(parent->child(0));
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, r);
    ticks(1);
    EXPECT_EQ(status(), "file listed:2");
    EXPECT_EQ(address(), disk.file("a/"));
    test::writeFile(disk.file("a/late.txt"), "22");
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, r);
    ticks(1);
    EXPECT_EQ(status(), "file listed:3");
}

TEST_F(TreeWindow, MissingFolderIsNamedThenItsNearestAncestorShows) {
    makeDisk();
    startWith(4);
    const std::string missing = disk.file("a/gone/deeper/");
    {
        BoxAnswerer answer(QMessageBox::Ok);
        typeAddress(QString::fromStdString(missing));
        EXPECT_EQ(answer.texts, std::vector<std::string>{missing});
        EXPECT_EQ(answer.titles, std::vector<std::string>{"Folder not found"});
    }
    EXPECT_EQ(tree()->selectedPath(), disk.file("a/"));
    EXPECT_EQ(status(), "file listed:2");
}

TEST_F(TreeWindow, BrowseFolderSelectsTheRecordsFolder) {
    makeDisk();
    startWith(4);
    typeAddress(QString::fromStdString(disk.file("a/")));
    tree()->setCurrentItem(tree()->topLevelItem(0));
    typeAddress(QStringLiteral("*.txt"));
    clickRow(0);
    test::PopupChooser choose(QStringLiteral("&Browse folder"));
    rightClickRow(0);
    EXPECT_EQ(tree()->selectedPath(), disk.file("a/"));
    EXPECT_TRUE(tree()->hasFocus());
}

struct FtpTreeWindow : TreeWindow {
    void SetUp() override {
        server = test::FtpTestServer::get();
        ASSERT_NE(server, nullptr) << "run through ctest, whose fixture starts the FTP server";
        folder = std::make_unique<test::ServerFolder>(
            *server, ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    const test::FtpTestServer* server = nullptr;
    std::unique_ptr<test::ServerFolder> folder;
};

TEST_F(FtpTreeWindow, SiteFolderLogsInOrWithCtrlStaysOffline) {
    test::writeFile(folder->local("a.txt"), "aaa");
    const std::string url = folder->url(server->host);
    std::string mirror;
    ASSERT_TRUE(MakeMirrorFolders(dir.path(), addressToName(url), mirror));
    int logins = 0;
    dialogs.onOpen = [&](QDialog& shown) {
        ++logins;
        auto& dialog = dynamic_cast<LoginDialog&>(shown);
        dialog.userBox()->setEditText(QString::fromStdString(server->user));
        QTest::keyClicks(dialog.passwordEdit(), QString::fromStdString(server->password));
        dialog.accept();
    };
    startWith(4);
    QTreeWidgetItem* site = tree()->topLevelItem(tree()->topLevelItemCount() - 1);
    ASSERT_EQ(CFolderTree::itemPath(site), dir.path() + "/Ftp/" +
                                               site->text(0).toStdString() + "/");
    site->setExpanded(true);
    ASSERT_EQ(site->childCount(), 1);
    QTreeWidgetItem* item = site->child(0);
    tree()->scrollToItem(item);

    // With Ctrl: the cached listing only (none yet), no login.
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      textOf(item));
    ticks(1);
    EXPECT_EQ(logins, 0);
    EXPECT_EQ(status(), "file listed:0");
    EXPECT_EQ(address(), url);

    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      textOf(item));
    EXPECT_EQ(logins, 1);
    ASSERT_TRUE(tickUntilStatus("Directory information transfer complete:\"" + url + "\""));
    EXPECT_EQ(cell(0, kColName), "a.txt");
}

}  // namespace
}  // namespace varnel
