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
struct FileDialogAnswerer : test::ModalAnswerer<QFileDialog> {
    explicit FileDialogAnswerer(const QString& choice = QString())
        : ModalAnswerer([this, choice](QFileDialog& dialog) {
              title = dialog.windowTitle().toStdString();
              folder = dialog.directory().absolutePath().toStdString();
              if (choice.isEmpty()) return dialog.reject();
              // Typed into the name field, as a user would.
              test::child<QLineEdit>(dialog, "fileNameEdit")->setText(choice);
              // The dialog's own checks wait for its folder listing, which comes later.
              static_cast<QDialog&>(dialog).done(QDialog::Accepted);
          }) {}
    std::string title, folder;
};

TEST_F(WindowState, FileDialogsCarryTheirCommandAndStartWhereTheLastOneEnded) {
    startWith(10);
    const std::string home = QDir::homePath().toStdString(), other = dir.file("other.fdb");
    test::writeFile(other, "");
    BoxAnswerer box(QMessageBox::Ok);  // an empty file is no catalog to export into
    // Cancel leaves the start folder as it was; Export's choice moves it.
    const std::tuple<int, std::string, std::string, std::string> steps[] = {
        {kCmdImport, "Import catalog", home, ""},
        {kCmdExport, "Export catalog", home, other},
        {kCmdSaveAs, "Save catalog as", dir.path(), ""},
        {kCmdOpen, "Open catalog", dir.path(), ""}};
    for (const auto& [command, title, folder, choice] : steps) {
        FileDialogAnswerer answer(QString::fromStdString(choice));
        frame->runCommand(command);
        EXPECT_EQ(answer.title, title);
        EXPECT_EQ(answer.folder, folder) << title;
    }
}

}  // namespace
}  // namespace varnel
