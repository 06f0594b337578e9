// What the window keeps between runs (its size and place, the folder pane, the column widths)
// and where its file dialogs start, with which title.
#include <QDir>
#include <QFileDialog>
#include <QSettings>

#include "windowfixture.h"

namespace varnel {
namespace {

using test::BoxAnswerer;
using test::WindowFixture;

struct WindowState : WindowFixture {
    void TearDown() override { QSettings().clear(); }  // the next tests start as on a first run
};

TEST_F(WindowState, SizePlacePaneAndColumnWidthsComeBackOnTheNextRun) {
    startWith(10);
    QHeaderView* header = list()->header();
    // Name and Path fill what the other columns leave, at any width.
    auto columnsWidth = [&] {
        int sum = 0;
        for (int c = 0; c < header->count(); ++c) sum += header->sectionSize(c);
        return sum;
    };
    EXPECT_EQ(columnsWidth(), list()->viewport()->width());
    const int nameWidth = header->sectionSize(kColName);
    frame->resize(760, 520);
    frame->move(30, 20);
    QApplication::processEvents();
    EXPECT_EQ(columnsWidth(), list()->viewport()->width());
    EXPECT_LT(header->sectionSize(kColName), nameWidth);

    header->resizeSection(kColType, 137);
    frame->mainView()->layoutOptions().folderPaneWidth = 222;
    {
        BoxAnswerer answer(QMessageBox::No);
        ASSERT_TRUE(frame->close());
    }
    const QRect closedAt = frame->geometry();

    frame.reset();
    frame = std::make_unique<CMainFrame>(*session, *prompt);
    EXPECT_EQ(frame->geometry(), closedAt);
    EXPECT_EQ(frame->mainView()->layoutOptions().folderPaneWidth, 222);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    EXPECT_EQ(list()->header()->sectionSize(kColType), 137);
    EXPECT_EQ(frame->mainView()->folderPane()->width(), 222 - kSplitterThickness);
}

// Answers the next file dialog with `choice` (Cancel when empty), keeping its title and the
// folder it opened in.
struct FileDialogAnswerer {
    explicit FileDialogAnswerer(const QString& choice = QString()) {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this, choice] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            timer.stop();
            title = dialog->windowTitle().toStdString();
            folder = dialog->directory().absolutePath().toStdString();
            if (choice.isEmpty()) {
                dialog->reject();
                return;
            }
            // Typed into the name field, as a user would.
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(choice);
            // The dialog's own checks wait for its folder listing, which comes later.
            static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
        });
        timer.start();
    }
    QTimer timer;
    std::string title, folder;
};

TEST_F(WindowState, FileDialogsCarryTheirCommandAndStartWhereTheLastOneEnded) {
    startWith(10);
    {
        FileDialogAnswerer answer;
        frame->runCommand(kCmdImport);
        EXPECT_EQ(answer.title, "Import catalog");
        EXPECT_EQ(answer.folder, QDir::homePath().toStdString());
    }
    const std::string other = dir.file("other.fdb");
    test::writeFile(other, "");
    {
        FileDialogAnswerer answer(QString::fromStdString(other));
        BoxAnswerer box(QMessageBox::Ok);  // an empty file is no catalog to export into
        frame->runCommand(kCmdExport);
        EXPECT_EQ(answer.title, "Export catalog");
    }
    {
        FileDialogAnswerer answer;
        frame->runCommand(kCmdSaveAs);
        EXPECT_EQ(answer.title, "Save catalog as");
        EXPECT_EQ(answer.folder, dir.path());
    }
    {
        FileDialogAnswerer answer;
        frame->runCommand(kCmdOpen);
        EXPECT_EQ(answer.title, "Open catalog");
        EXPECT_EQ(answer.folder, dir.path());
    }
}

}  // namespace
}  // namespace varnel
