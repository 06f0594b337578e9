// The address bar as a user meets it: it follows the view on the page, Return goes to exactly
// what was typed, Escape and a click behave as in other programs' address bars.
#include "app/addresshistory.h"
#include "windowfixture.h"

namespace varnel {
namespace {

using test::WindowFixture;

std::string barText(CMainFrame& frame) {
    return frame.addressBar()->currentText().toStdString();
}

// Each Enter is a view of its own; Back, Forward and All move between them, and the bar
// shows the view's address each time.
TEST_F(WindowFixture, AddressesBackForwardAndAllAndTheBarFollowsTheView) {
    startWith(100);
    typeAddress(QStringLiteral("/photos/"));
    EXPECT_EQ(status(), "file listed:50");
    EXPECT_EQ(cell(0, kColName), "pic0050.jpg");
    EXPECT_TRUE(frame->action(kCmdBack)->isEnabled());
    EXPECT_FALSE(frame->action(kCmdForward)->isEnabled());
    typeAddress(QStringLiteral("*song001*"));
    EXPECT_EQ(status(), "file listed:10");
    EXPECT_EQ(session->catalog.history().count, 3);

    frame->action(kCmdBack)->trigger();
    ticks(1);
    EXPECT_EQ(status(), "file listed:50");
    EXPECT_EQ(barText(*frame), "/photos/");
    EXPECT_TRUE(frame->action(kCmdForward)->isEnabled());
    frame->action(kCmdForward)->trigger();
    ticks(1);
    EXPECT_EQ(status(), "file listed:10");
    EXPECT_EQ(barText(*frame), "*song001*");
    frame->runCommand(kCmdShowAll);
    ticks(1);
    EXPECT_EQ(barText(*frame), "*");
    EXPECT_EQ(session->catalog.recordCount(session->catalog.currentList()), 100);

    // The bar's list: newest first, each once.
    typeAddress(QStringLiteral("/photos/"));
    QComboBox* bar = frame->addressBar();
    ASSERT_EQ(bar->count(), 2);
    EXPECT_EQ(bar->itemText(0).toStdString(), "/photos/");
    EXPECT_EQ(bar->itemText(1).toStdString(), "*song001*");
}

TEST_F(WindowFixture, ReturnGoesToTheTypedTextNotToALongerOrOtherCaseEntry) {
    startWith(20);
    std::string& history = session->workspace.settings().addressHistory;
    rememberAddress(history, "/MUSIC/", true);
    rememberAddress(history, "/music/song0001.mp3/", true);
    frame->fillAddressBar();

    QLineEdit* edit = frame->addressBar()->lineEdit();
    edit->setFocus();
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("/music/"));
    EXPECT_EQ(edit->text().toStdString(), "/music/");  // nothing filled in behind the cursor
    QTest::keyClick(edit, Qt::Key_Return);
    ticks(2);
    EXPECT_EQ(barText(*frame), "/music/");
    EXPECT_EQ(session->catalog.recordCount(session->catalog.currentList()), 10);
    EXPECT_EQ(historyEntries(history).front(), "/music/");
}

TEST_F(WindowFixture, EscapeRestoresTheViewAddressAndAClickSelectsTheBar) {
    startWith(20);
    typeAddress(QStringLiteral("/photos/"));
    QLineEdit* edit = frame->addressBar()->lineEdit();
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, QStringLiteral("half-typed"));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(edit->text().toStdString(), "/photos/");
    EXPECT_EQ(edit->selectedText().toStdString(), "/photos/");

    // The focus comes from the list by a click into the bar: the whole address is selected,
    // ready to be typed over. A second click places the cursor.
    list()->setFocus();
    edit->deselect();
    const QPoint middle = edit->rect().center();
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, middle);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->selectedText().toStdString(), "/photos/");
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, middle);
    EXPECT_FALSE(edit->hasSelectedText());
}

}  // namespace
}  // namespace varnel
