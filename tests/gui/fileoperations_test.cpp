// Copy, paste and delete of real files from the window, with the keys a user presses, and
// the desktop's clipboard both ways: files copied here paste in a file manager, files copied
// in a file manager paste here.
#include <QClipboard>
#include <QInputDialog>
#include <QMimeData>
#include <QUrl>
#include <cstdlib>
#include <filesystem>

#include "gui/desktopfilemenu.h"
#include "gui/fileopener.h"
#include "gui/fileoperations.h"
#include "gui/rowmenu.h"
#include "scan/folderrefresh.h"
#include "windowfixture.h"

namespace varnel {
namespace {

using test::BoxAnswerer;
using test::readFile;
using test::writeFile;

struct FilesWindow : test::WindowFixture {
    void SetUp() override {
        ::setenv("XDG_DATA_HOME", trashHome.path().c_str(), 1);
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            writeFile(source.file(name), std::string(1000, name[0]));
        startWith(2);
        ASSERT_EQ(refreshFolders(session->services, folder(source).c_str(), kSingleFolder, 0), 1);
    }
    static std::string folder(const test::TempDir& dir) { return dir.path() + "/"; }
    int rowOf(const std::string& name) {
        for (int row = 0; row < list()->topLevelItemCount(); ++row)
            if (cell(row, kColName) == name) return row;
        return -1;
    }
    void key(int k, Qt::KeyboardModifiers mods) {
        QTest::keyClick(list(), static_cast<Qt::Key>(k), mods);
        QApplication::processEvents();
        ticks(2);
    }
    test::TempDir source, target, trashHome;
};

TEST_F(FilesWindow, CopyAndPasteWithTheKeysThenDeleteToTheTrash) {
    typeAddress(QString::fromStdString(folder(source)));
    ASSERT_EQ(status(), "file listed:3");
    clickRow(0);
    clickRow(2, Qt::ShiftModifier);
    key(Qt::Key_C, Qt::ControlModifier);
    // A file manager can paste what was copied here.
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied->hasUrls());
    EXPECT_EQ(copied->urls().size(), 3);
    EXPECT_EQ(copied->urls()[0].toLocalFile().toStdString().rfind(folder(source), 0), 0u);

    typeAddress(QString::fromStdString(folder(target)));
    {
        BoxAnswerer yes(QMessageBox::Yes);
        key(Qt::Key_Insert, Qt::ShiftModifier);
        ASSERT_EQ(yes.texts.size(), 1u);
        EXPECT_EQ(yes.texts[0], "Copy these 3 files to folder:\"" + folder(target) + "\"?");
    }
    // Listed from the disk again: the copies are there (their bytes: fileops_test.cpp).
    typeAddress(QString::fromStdString(folder(target)));
    EXPECT_EQ(status(), "file listed:3");

    // Delete of one file names it, and the file leaves the folder (for the desktop's trash).
    clickRow(1);
    const std::string doomed = cell(1, kColName);
    {
        BoxAnswerer ok(QMessageBox::Ok);
        key(Qt::Key_D, Qt::ControlModifier);
        ASSERT_EQ(ok.texts.size(), 1u);
        EXPECT_EQ(ok.texts[0], "Delete File \"" + doomed + "\"?");
    }
    typeAddress(QString::fromStdString(folder(target)));
    EXPECT_EQ(status(), "file listed:2");
}

TEST_F(FilesWindow, FilesCopiedInAFileManagerPasteIntoTheShownFolder) {
    test::TempDir elsewhere;
    writeFile(elsewhere.file("from desktop.txt"), "dragged");
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(QString::fromStdString(elsewhere.file("from desktop.txt")))});
    QApplication::clipboard()->setMimeData(data);
    typeAddress(QString::fromStdString(folder(source)));
    {
        BoxAnswerer yes(QMessageBox::Yes);
        key(Qt::Key_V, Qt::ControlModifier);
        ASSERT_EQ(yes.texts.size(), 1u);
        EXPECT_EQ(yes.texts[0],
                  "Copy file:\"from desktop.txt\" to folder:\"" + folder(source) + "\"?");
    }
    EXPECT_EQ(readFile(source.file("from desktop.txt")), "dragged");
    typeAddress(QString::fromStdString(folder(source)));
    EXPECT_EQ(status(), "file listed:4");
}

TEST_F(FilesWindow, TheFileMenuActsOnTheSelectedFilesOfOneFolder) {
    typeAddress(QString::fromStdString(folder(source)));
    clickRow(rowOf("a.txt"));
    clickRow(rowOf("b.txt"), Qt::ControlModifier);
    CDesktopFileMenu menu({source.file("a.txt"), source.file("b.txt")}, frame.get());
    std::vector<QDBusMessage> sent;
    menu.callBus = [&](const QDBusMessage& message) {
        sent.push_back(message);
        return true;
    };
    menu.copyPath();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              source.file("a.txt") + "\n" + source.file("b.txt"));
    menu.properties();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].member(), QStringLiteral("ShowItemProperties"));
    EXPECT_EQ(sent[0].arguments()[0].toStringList().size(), 2);

    // Copy url puts the full names on lines of their own.
    frame->action(kCmdCopyUrl)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              source.file("a.txt") + "\r\n" + source.file("b.txt"));
}

// Opening a file the desktop has no application for says so; a file that is gone offers to
// refresh its folder, after which its record is gone too.
TEST_F(FilesWindow, OpeningAFileThatCannotBeOpenedSaysWhy) {
    typeAddress(QString::fromStdString(folder(source)));
    frame->rowMenu()->opener().openUrl = [](const QUrl&) { return false; };
    clickRow(rowOf("a.txt"));
    {
        BoxAnswerer ok(QMessageBox::Ok);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier,
                           list()->visualItemRect(list()->topLevelItem(rowOf("a.txt"))).center());
        ticks(2);
        ASSERT_EQ(ok.texts.size(), 1u);
        EXPECT_EQ(ok.texts[0], "No application is set to open " + source.file("a.txt") + ".");
    }
    std::filesystem::remove(source.file("b.txt"));
    clickRow(rowOf("b.txt"));
    {
        BoxAnswerer yes(QMessageBox::Yes);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier,
                           list()->visualItemRect(list()->topLevelItem(rowOf("b.txt"))).center());
        ticks(2);
        ASSERT_EQ(yes.texts.size(), 1u);
        EXPECT_EQ(yes.texts[0], "\"" + source.file("b.txt") + "\" file not found. Refresh its folder?");
    }
    typeAddress(QString::fromStdString(folder(source)));
    EXPECT_EQ(status(), "file listed:2");
}

}  // namespace
}  // namespace varnel
