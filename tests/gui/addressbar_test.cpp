// The address bar as a user meets it: it follows the view on the page, Return goes to exactly
// what was typed, Escape and a click behave as in other programs' address bars, and typing
// searches: results follow the typing in one view, Escape brings the view before back, and
// typing during a scan waits for the catalog without blocking.
#include "gui/addressbar.h"
#include "app/addresshistory.h"
#include "gui/typedsearchbar.h"
#include "windowfixture.h"

namespace varnel {
namespace {

using test::WindowFixture;

// Each Enter is a view of its own; Back, Forward and All move between them, and the bar
// shows the view's address each time.
TEST_F(WindowFixture, AddressesBackForwardAndAllAndTheBarFollowsTheView) {
    startWith(100);
    typeAddress("/photos/");
    EXPECT_EQ(status(), "file listed:50");
    EXPECT_EQ(cell(0, kColName), "pic0050.jpg");
    EXPECT_TRUE(frame->action(kCmdBack)->isEnabled());
    EXPECT_FALSE(frame->action(kCmdForward)->isEnabled());
    typeAddress("*song001*");
    EXPECT_EQ(status(), "file listed:10");
    EXPECT_EQ(session->catalog.history().count, 3);

    trigger(kCmdBack);
    EXPECT_EQ(status(), "file listed:50");
    EXPECT_EQ(address(), "/photos/");
    EXPECT_TRUE(frame->action(kCmdForward)->isEnabled());
    trigger(kCmdForward);
    EXPECT_EQ(status(), "file listed:10");
    EXPECT_EQ(address(), "*song001*");
    frame->runCommand(kCmdShowAll);
    ticks(1);
    EXPECT_EQ(address(), "*");
    EXPECT_EQ(shownRecords(), 100);

    // The bar's list: newest first, each once.
    typeAddress("/photos/");
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
    EXPECT_EQ(address(), "/music/");
    EXPECT_EQ(shownRecords(), 10);
    EXPECT_EQ(historyEntries(history).front(), "/music/");
}

TEST_F(WindowFixture, EscapeRestoresTheViewAddressAndAClickSelectsTheBar) {
    startWith(20);
    typeAddress("/photos/");
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

struct TypedSearchWindow : WindowFixture {
    QLineEdit* edit() { return frame->addressBar()->lineEdit(); }
    void typeOver(const char* text) {
        edit()->setFocus();
        edit()->selectAll();
        QTest::keyClicks(edit(), text);
    }
    // Waits out the pause after the last key, and a little more.
    bool shownBecomes(int count) {
        return QTest::qWaitFor([&] { return shownRecords() == count; }, 3000);
    }
};

TEST_F(TypedSearchWindow, ResultsFollowTypingAndEscapeGoesBack) {
    startWith(40);  // song0000..song0019 and pic0020..pic0039
    const int32_t before = session->catalog.history().position;
    typeOver("song001");
    ASSERT_TRUE(shownBecomes(10));
    EXPECT_EQ(cell(0, kColName), "song0010.mp3");
    QTest::keyClicks(edit(), "7");
    ASSERT_TRUE(shownBecomes(1));
    EXPECT_EQ(cell(0, kColName), "song0017.mp3");
    QTest::keyClick(edit(), Qt::Key_Backspace);
    ASSERT_TRUE(shownBecomes(10));
    EXPECT_EQ(session->catalog.history().position, before + 1);  // one view for all the typing

    QTest::keyClick(edit(), Qt::Key_Escape);
    EXPECT_EQ(shownRecords(), 40);
    EXPECT_EQ(session->catalog.history().position, before);
    EXPECT_EQ(edit()->text(), "*");

    // Return keeps the results as one Back step, as any address does.
    typeOver("pic003");
    ASSERT_TRUE(shownBecomes(10));
    QTest::keyClick(edit(), Qt::Key_Return);
    ticks(2);
    EXPECT_EQ(shownRecords(), 10);
    EXPECT_EQ(session->catalog.history().position, before + 1);
    EXPECT_STREQ(session->catalog.history().address[before + 1].data(), "pic003");
}

TEST_F(TypedSearchWindow, TypingDuringAScanWaitsForTheCatalog) {
    startWith(40);
    session->services.setCatalogBusy(true);
    typeOver("pic0021");
    // The window goes on (events are handled) while the search waits.
    QTest::qWait(3 * CTypedSearchBar::kPauseMs);
    EXPECT_EQ(shownRecords(), 40);
    session->services.setCatalogBusy(false);
    EXPECT_TRUE(shownBecomes(1));
}

// A big search shows its first results at once and the rest between events; a click in the
// list before they are all there lets them all come first, so that it acts on the whole.
TEST_F(TypedSearchWindow, ABigSearchFillsBetweenEventsAndAClickWaitsForAllOfIt) {
    startWith(40000);  // song0000..song19999, pic20000..pic39999
    CTypedSearchBar* bar = frame->typedSearchBar();
    bar->setSlicing(/*atOnceUpTo=*/1000, /*gapMs=*/0);
    typeOver("song");
    ASSERT_TRUE(shownBecomes(20000));
    EXPECT_FALSE(bar->filling());
    QTest::keyClicks(edit(), "1");  // narrows 20,000 shown records
    ASSERT_TRUE(shownBecomes(11000));

    // Slices far apart: only the click can bring the rest.
    bar->setSlicing(1000, 60 * 1000);
    typeOver("pic");
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->filling(); }, 3000));
    const int first = shownRecords();
    EXPECT_GE(first, TypedSearch::kFirstResults);
    EXPECT_LT(first, 20000);
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    EXPECT_FALSE(bar->filling());
    EXPECT_EQ(shownRecords(), 20000);
}

}  // namespace
}  // namespace varnel
