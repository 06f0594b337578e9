// The row popup on the real list: what it offers for a local row, an FTP row and no
// selection; the note dialog; opening files and folders.
#include <QPlainTextEdit>
#include <QPushButton>

#include "gui/fileopener.h"
#include "gui/notedialog.h"
#include "gui/rowmenu.h"
#include "windowfixture.h"

namespace varnel {
namespace {

using test::PopupChooser;
using test::WindowFixture;
using Items = std::vector<std::string>;

// The popup's items, each marked enabled ('+') or not ('-') by `marks`.
Items items(const char (&marks)[16]) {
    const char* names[] = {"&Open file",   "Open &folder", "&Browse folder", "Pre&view",
                           "&Modify note", "&Refresh",     "&Copy",          "&Paste",
                           "&Delete",      "Re&name",      "Copy &url",      "Explorer  ...",
                           "&Start share", "extract file", "export"};
    Items out;
    for (int k = 0; k < 15; ++k) out.push_back(names[k] + std::string(1, marks[k]));
    return out;
}
const Items kWithSelection = items("+++++++-+++++++");
const Items kWithoutSelection = items("-+---+---+++-++");

struct RowMenuWindow : WindowFixture {
    std::vector<QUrl> opened;
    // The popup of `row`, whose item `choice` is chosen (none when empty).
    Items popup(int row, const char* choice = "") {
        PopupChooser choose{QString::fromLatin1(choice)};
        rightClickRow(row);
        return choose.items;
    }
};

TEST_F(RowMenuWindow, OffersItsItemsForLocalAndFtpRowsAndEmptiesTheSelectionOnBlank) {
    startWith(6);
    test::appendRecord(session->catalog, kMasterList,
                       test::Rec{"ftp:\\\\host\\a#b\\", "x?.bin", "", 0, 9});
    session->catalog.bumpGeneration();
    frame->rowMenu()->opener().openUrl = [this](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
    // The catalog's files are made up: take them as there.
    frame->rowMenu()->opener().fileExists = [](const std::string&) { return true; };
    ticks(1);
    clickRow(2);
    EXPECT_EQ(popup(10), kWithoutSelection);  // past the last record
    EXPECT_EQ(status(), "file listed:7");
    EXPECT_EQ(popup(1), kWithSelection);
    EXPECT_EQ(status(), "Select 1 file,total size:2");
    EXPECT_EQ(popup(6, "Open &folder"), kWithSelection);
    EXPECT_EQ(status(), "Select 1 file,total size:9");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString(QUrl::FullyEncoded).toStdString(), "ftp://host/a%23b/");

    // A selected row keeps the whole selection; Open folder takes the row clicked, not the
    // focused one (in /photos/).
    clickRow(2);
    clickRow(4, Qt::ShiftModifier);
    popup(2, "Open &folder");
    EXPECT_EQ(status(), "Select 3 file,total size:12");
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], QUrl::fromLocalFile(QStringLiteral("/music/")));
    // Open file and a double click open the first selected record.
    popup(2, "&Open file");
    clickRow(4);
    doubleClickRow(4);
    ASSERT_EQ(opened.size(), 4u);
    EXPECT_EQ(opened[2], QUrl::fromLocalFile(QStringLiteral("/music/song0002.mp3")));
    EXPECT_EQ(opened[3], QUrl::fromLocalFile(QStringLiteral("/photos/pic0004.jpg")));
}

TEST_F(RowMenuWindow, NoteDialogWritesTheNoteOfEverySelectedRow) {
    startWith(10);
    clickRow(1);
    clickRow(3, Qt::ShiftModifier);
    Items titles;
    test::ModalAnswerer<NoteDialog> user([&](NoteDialog& dialog) {
        titles.push_back(dialog.windowTitle().toStdString());
        dialog.editor()->setPlainText(QStringLiteral("old"));
        dialog.clearButton()->click();
        EXPECT_TRUE(dialog.text().isEmpty());
        EXPECT_TRUE(dialog.isVisible());
        // First a note too long for the catalog, then one that fits.
        dialog.editor()->insertPlainText(user.seen == 1 ? QString(2048, QLatin1Char('n'))
                                                        : QStringLiteral("live\nset"));
        dialog.accept();
    });
    // The refusal comes between the two dialogs: the first stays open behind it.
    EXPECT_EQ(test::boxTexts(QMessageBox::Ok, [&] { popup(2, "&Modify note"); }),
              Items{"A note must be shorter than 2048 bytes."});
    EXPECT_EQ(titles, (Items{"Note(3 files)", "Note(3 files)"}));
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_EQ(test::readRecord(session->catalog, kMasterList, i).note,
                  i >= 1 && i <= 3 ? "live\nset" : " ")
            << i;
    EXPECT_EQ(cell(3, kColNote), "live\nset");
}

}  // namespace
}  // namespace varnel
