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

const Items kWithSelection = {"&Open file+", "Open &folder+", "&Browse folder+", "Pre&view+",
                              "&Modify note+", "&Refresh+", "&Copy+", "&Paste-",
                              "&Delete+", "Re&name+", "Copy &url+", "Explorer  ...+",
                              "&Start share+", "extract file+", "export+"};
const Items kWithoutSelection = {"&Open file-", "Open &folder+", "&Browse folder-", "Pre&view-",
                                 "&Modify note-", "&Refresh+", "&Copy-", "&Paste-",
                                 "&Delete-", "Re&name+", "Copy &url+", "Explorer  ...+",
                                 "&Start share-", "extract file+", "export+"};

struct RowMenuWindow : WindowFixture {
    std::vector<QUrl> opened;
    void startWithFtpRow() {
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
    }
};

TEST_F(RowMenuWindow, OffersItsItemsForLocalAndFtpRowsAndEmptiesTheSelectionOnBlank) {
    startWithFtpRow();
    clickRow(2);
    {
        PopupChooser choose{QString()};
        rightClickRow(10);  // past the last record
        EXPECT_EQ(choose.items, kWithoutSelection);
    }
    EXPECT_EQ(status(), "file listed:7");
    {
        PopupChooser choose{QString()};
        rightClickRow(1);
        EXPECT_EQ(choose.items, kWithSelection);
    }
    EXPECT_EQ(status(), "Select 1 file,total size:2");
    {
        PopupChooser choose(QStringLiteral("Open &folder"));
        rightClickRow(6);
        EXPECT_EQ(choose.items, kWithSelection);
    }
    EXPECT_EQ(status(), "Select 1 file,total size:9");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString(QUrl::FullyEncoded).toStdString(), "ftp://host/a%23b/");

    // A selected row keeps the whole selection; Open folder takes the row clicked, not the
    // focused one (in /photos/).
    clickRow(2);
    clickRow(4, Qt::ShiftModifier);
    {
        PopupChooser choose(QStringLiteral("Open &folder"));
        rightClickRow(2);
    }
    EXPECT_EQ(status(), "Select 3 file,total size:12");
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], QUrl::fromLocalFile(QStringLiteral("/music/")));
    // Open file and a double click open the first selected record.
    {
        PopupChooser choose(QStringLiteral("&Open file"));
        rightClickRow(2);
    }
    clickRow(4);
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier,
                       list()->visualItemRect(list()->topLevelItem(4)).center());
    ASSERT_EQ(opened.size(), 4u);
    EXPECT_EQ(opened[2], QUrl::fromLocalFile(QStringLiteral("/music/song0002.mp3")));
    EXPECT_EQ(opened[3], QUrl::fromLocalFile(QStringLiteral("/photos/pic0004.jpg")));
}

TEST_F(RowMenuWindow, NoteDialogWritesTheNoteOfEverySelectedRow) {
    startWith(10);
    clickRow(1);
    clickRow(3, Qt::ShiftModifier);
    std::vector<std::string> shown;  // dialog titles and messages, in order
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            shown.push_back(box->text().toStdString());
            box->button(QMessageBox::Ok)->click();
        } else if (auto* dialog = qobject_cast<NoteDialog*>(modal)) {
            shown.push_back(dialog->windowTitle().toStdString());
            dialog->editor()->setPlainText(QStringLiteral("old"));
            dialog->clearButton()->click();
            EXPECT_TRUE(dialog->text().isEmpty());
            EXPECT_TRUE(dialog->isVisible());
            // First a note too long for the catalog, then one that fits.
            const bool first = shown.size() == 1;
            dialog->editor()->insertPlainText(first ? QString(2048, QLatin1Char('n'))
                                                    : QStringLiteral("live\nset"));
            dialog->accept();
        }
    });
    answer.start();
    {
        PopupChooser choose(QStringLiteral("&Modify note"));
        rightClickRow(2);
    }
    answer.stop();
    EXPECT_EQ(shown, (Items{"Note(3 files)", "A note must be shorter than 2048 bytes.",
                            "Note(3 files)"}));
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_EQ(test::readRecord(session->catalog, kMasterList, i).note,
                  i >= 1 && i <= 3 ? "live\nset" : " ")
            << i;
    EXPECT_EQ(cell(3, kColNote), "live\nset");
}

}  // namespace
}  // namespace varnel
