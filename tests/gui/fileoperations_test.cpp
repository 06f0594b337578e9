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

using test::boxTexts;
using test::readFile;
using test::Texts;
using test::writeFile;

struct FilesWindow : test::WindowFixture {
    void SetUp() override {
        ::setenv("XDG_DATA_HOME", trashHome.path().c_str(), 1);
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            writeFile(source.file(name), std::string(1000, name[0]));
        startWith(2);
        ASSERT_EQ(refreshFolders(session->services, folder(source).c_str(), kSingleFolder, 0), 1);
        typeAddress(folder(source));
    }
    static std::string folder(const test::TempDir& dir) { return dir.path() + "/"; }
    void key(int k, Qt::KeyboardModifiers mods) {
        QTest::keyClick(list(), static_cast<Qt::Key>(k), mods);
        QApplication::processEvents();
        ticks(2);
    }
    test::TempDir source, target, trashHome;
};

TEST_F(FilesWindow, CopyAndPasteWithTheKeysThenDeleteToTheTrash) {
    ASSERT_EQ(status(), "file listed:3");
    clickRow(0);
    clickRow(2, Qt::ShiftModifier);
    key(Qt::Key_C, Qt::ControlModifier);
    // A file manager can paste what was copied here.
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied->hasUrls());
    EXPECT_EQ(copied->urls().size(), 3);
    EXPECT_EQ(copied->urls()[0].toLocalFile().toStdString().rfind(folder(source), 0), 0u);

    typeAddress(folder(target));
    EXPECT_EQ(boxTexts(QMessageBox::Yes, [&] { key(Qt::Key_Insert, Qt::ShiftModifier); }),
              Texts{"Copy these 3 files to folder:\"" + folder(target) + "\"?"});
    // Listed from the disk again: the copies are there (their bytes: fileops_test.cpp).
    typeAddress(folder(target));
    EXPECT_EQ(status(), "file listed:3");

    // Delete of one file names it, and the file leaves the folder (for the desktop's trash).
    clickRow(1);
    const std::string doomed = cell(1, kColName);
    EXPECT_EQ(boxTexts(QMessageBox::Ok, [&] { key(Qt::Key_D, Qt::ControlModifier); }),
              Texts{"Delete File \"" + doomed + "\"?"});
    typeAddress(folder(target));
    EXPECT_EQ(status(), "file listed:2");
}

TEST_F(FilesWindow, FilesCopiedInAFileManagerPasteIntoTheShownFolder) {
    test::TempDir elsewhere;
    writeFile(elsewhere.file("from desktop.txt"), "dragged");
    auto* data = new QMimeData;
    data->setUrls(
        {QUrl::fromLocalFile(QString::fromStdString(elsewhere.file("from desktop.txt")))});
    QApplication::clipboard()->setMimeData(data);
    EXPECT_EQ(boxTexts(QMessageBox::Yes, [&] { key(Qt::Key_V, Qt::ControlModifier); }),
              Texts{"Copy file:\"from desktop.txt\" to folder:\"" + folder(source) + "\"?"});
    EXPECT_EQ(readFile(source.file("from desktop.txt")), "dragged");
    typeAddress(folder(source));
    EXPECT_EQ(status(), "file listed:4");
}

TEST_F(FilesWindow, TheFileMenuActsOnTheSelectedFilesOfOneFolder) {
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
    trigger(kCmdCopyUrl);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              source.file("a.txt") + "\r\n" + source.file("b.txt"));
}

// Opening a file the desktop has no application for says so; a file that is gone offers to
// refresh its folder, after which its record is gone too.
TEST_F(FilesWindow, OpeningAFileThatCannotBeOpenedSaysWhy) {
    frame->rowMenu()->opener().openUrl = [](const QUrl&) { return false; };
    clickRow(rowOf("a.txt"));
    EXPECT_EQ(boxTexts(QMessageBox::Ok, [&] { doubleClickRow(rowOf("a.txt")); }),
              Texts{"No application is set to open " + source.file("a.txt") + "."});
    std::filesystem::remove(source.file("b.txt"));
    clickRow(rowOf("b.txt"));
    EXPECT_EQ(boxTexts(QMessageBox::Yes, [&] { doubleClickRow(rowOf("b.txt")); }),
              Texts{"\"" + source.file("b.txt") + "\" file not found. Refresh its folder?"});
    typeAddress(folder(source));
    EXPECT_EQ(status(), "file listed:2");
}

}  // namespace
}  // namespace varnel
