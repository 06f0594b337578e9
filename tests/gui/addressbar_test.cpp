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

TEST_F(WindowFixture, AddressBarShowsTheViewAfterBackForwardAndAll) {
    startWith(20);
    typeAddress(QStringLiteral("/music/"));
    typeAddress(QStringLiteral("/photos/"));
    typeAddress(QStringLiteral("*0001*"));
    EXPECT_EQ(barText(*frame), "*0001*");

    frame->action(kCmdBack)->trigger();
    ticks(1);
    EXPECT_EQ(barText(*frame), "/photos/");
    EXPECT_EQ(cell(0, kColName), "pic0010.jpg");
    frame->action(kCmdBack)->trigger();
    ticks(1);
    EXPECT_EQ(barText(*frame), "/music/");
    frame->action(kCmdForward)->trigger();
    ticks(1);
    EXPECT_EQ(barText(*frame), "/photos/");
    frame->runCommand(kCmdShowAll);
    ticks(1);
    EXPECT_EQ(barText(*frame), "*");
    EXPECT_EQ(session->catalog.recordCount(session->catalog.currentList()), 20);
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
