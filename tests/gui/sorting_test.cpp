// The column header on the real list: a click sorts what is drawn, and the right click's
// popup offers the column's commands for the selection and runs the chosen one. The sorting
// and filter rules are proven on the catalog (view/columnsort_test.cpp).
#include "windowfixture.h"

namespace varnel {
namespace {

using test::PopupChooser;
using test::WindowFixture;

TEST_F(WindowFixture, HeaderClicksSortWhatIsDrawnAndBackReturns) {
    startWith(100);
    clickHeader(kColSize);
    EXPECT_EQ(cell(0, kColSize), "100");
    EXPECT_EQ(cell(1, kColSize), "99");
    EXPECT_EQ(address(), "*");
    clickHeader(kColSize);
    EXPECT_EQ(cell(0, kColSize), "1");

    trigger(kCmdBack);
    trigger(kCmdBack);
    EXPECT_EQ(cell(0, kColName), "song0000.mp3");
    EXPECT_FALSE(frame->action(kCmdBack)->isEnabled());
}

TEST_F(WindowFixture, ColumnPopupFollowsTheSelectionAndRunsTheChosenCommand) {
    startWith(100);
    {
        PopupChooser choose{QString()};
        clickHeader(kColType, Qt::RightButton);
        EXPECT_EQ(choose.items,
                  (std::vector<std::string>{"ascend+", "descend+", "filter-", "show files-"}));
    }
    frame->mainView()->page().scroll(ScrollCode::ThumbTrack, 57);
    ticks(1);
    clickRow(0);  // pic0057.jpg
    clickRow(3, Qt::ShiftModifier);
    {
        PopupChooser choose(QStringLiteral("filter"));
        clickHeader(kColType, Qt::RightButton);
        ASSERT_EQ(choose.items.size(), 4u);
    }
    // Every .jpg of the catalog, by the first selected record; the selection stays.
    EXPECT_EQ(status(), "Select 4 file,total size:238");
    EXPECT_EQ(shownRecords(), 50);
}

}  // namespace
}  // namespace varnel
