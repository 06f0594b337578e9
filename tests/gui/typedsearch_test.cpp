// Search as you type in the address bar: results follow the typing in one view, Escape brings
// the view before back, and typing during a scan waits for the catalog without blocking.
#include <QLineEdit>

#include "gui/addressbar.h"
#include "gui/typedsearchbar.h"
#include "windowfixture.h"

namespace varnel {
namespace {

using test::WindowFixture;

struct TypedSearchWindow : WindowFixture {
    QLineEdit* edit() { return frame->addressBar()->lineEdit(); }
    int shown() { return session->catalog.recordCount(session->catalog.currentList()); }
    // Waits out the pause after the last key, and a little more.
    bool shownBecomes(int count) {
        return QTest::qWaitFor([&] { return shown() == count; }, 3000);
    }
};

TEST_F(TypedSearchWindow, ResultsFollowTypingAndEscapeGoesBack) {
    startWith(40);  // song0000..song0019 and pic0020..pic0039
    const int32_t before = session->catalog.history().position;
    edit()->setFocus();
    edit()->selectAll();
    QTest::keyClicks(edit(), "song001");
    ASSERT_TRUE(shownBecomes(10));
    EXPECT_EQ(cell(0, kColName), "song0010.mp3");
    QTest::keyClicks(edit(), "7");
    ASSERT_TRUE(shownBecomes(1));
    EXPECT_EQ(cell(0, kColName), "song0017.mp3");
    QTest::keyClick(edit(), Qt::Key_Backspace);
    ASSERT_TRUE(shownBecomes(10));
    EXPECT_EQ(session->catalog.history().position, before + 1);  // one view for all the typing

    QTest::keyClick(edit(), Qt::Key_Escape);
    EXPECT_EQ(shown(), 40);
    EXPECT_EQ(session->catalog.history().position, before);
    EXPECT_EQ(edit()->text(), "*");

    // Return keeps the results as one Back step, as any address does.
    edit()->selectAll();
    QTest::keyClicks(edit(), "pic003");
    ASSERT_TRUE(shownBecomes(10));
    QTest::keyClick(edit(), Qt::Key_Return);
    ticks(2);
    EXPECT_EQ(shown(), 10);
    EXPECT_EQ(session->catalog.history().position, before + 1);
    EXPECT_STREQ(session->catalog.history().address[before + 1].data(), "pic003");
}

TEST_F(TypedSearchWindow, TypingDuringAScanWaitsForTheCatalog) {
    startWith(40);
    session->services.setCatalogBusy(true);
    edit()->setFocus();
    edit()->selectAll();
    QTest::keyClicks(edit(), "pic0021");
    // The window goes on (events are handled) while the search waits.
    QTest::qWait(3 * CTypedSearchBar::kPauseMs);
    EXPECT_EQ(shown(), 40);
    session->services.setCatalogBusy(false);
    EXPECT_TRUE(shownBecomes(1));
}

}  // namespace
}  // namespace varnel
