// Search as you type: narrowing a shown result must find exactly what a fresh search finds,
// and the typed view replaces itself in place and gives way to the view before it.
#include <gtest/gtest.h>

#include "pagescreen.h"
#include "support/catalogbuilder.h"
#include "view/typedsearch.h"

namespace varnel {
namespace {

std::vector<int32_t> nameOffsets(Catalog& catalog, int list) {
    std::vector<int32_t> out;
    for (int32_t i = 0; i < catalog.recordCount(list); ++i)
        out.push_back(static_cast<int32_t>(catalog.nameOffset(list, i)));
    return out;
}

struct TypedSearchTest : test::PageFixture {};

// Random names and notes, with bytes beyond ASCII and upper case, narrowed one letter at a
// time: every step equals a search of the catalog for the longer word.
TEST_F(TypedSearchTest, NarrowingFindsWhatAFreshSearchFinds) {
    std::vector<test::Rec> records = test::randomRecords(5, 4000, 40);
    for (size_t k = 0; k < records.size(); k += 7) records[k].note = "Note " + records[k].name;
    view(kMasterList, records);
    TypedSearch typing(catalog, search);
    const int fresh = catalog.reserveTempList();
    for (const test::Rec& sample : {records[3], records[100], records[2001]}) {
        const std::string word = sample.name.substr(0, 6);
        for (size_t length = 1; length <= word.size(); ++length) {
            const std::string typed = word.substr(0, length);
            ASSERT_TRUE(typing.show(typed));
            search.patternFill(fresh, typed.c_str());
            EXPECT_EQ(nameOffsets(catalog, catalog.currentList()), nameOffsets(catalog, fresh))
                << typed;
        }
        typing.cancel();
    }
    catalog.releaseTempList(fresh);
}

// A search of a big catalog shows a screenful at once and finds the rest slice by slice:
// whole, it equals a fresh search, also when the catalog changes halfway or the view is left.
TEST_F(TypedSearchTest, ABigSearchShowsAScreenfulFirstAndEndsAsAFreshSearch) {
    std::vector<test::Rec> records = test::randomRecords(9, 40000, 300);
    for (size_t k = 0; k < records.size(); k += 5) records[k].note = "Note " + records[k].name;
    view(kMasterList, records);
    TypedSearch typing(catalog, search, /*atOnceUpTo=*/1000);
    const int fresh = catalog.reserveTempList();
    auto sameAsFresh = [&](const char* typed) {
        search.patternFill(fresh, typed);
        return nameOffsets(catalog, catalog.currentList()) == nameOffsets(catalog, fresh);
    };

    ASSERT_TRUE(typing.show("#1"));
    EXPECT_TRUE(typing.filling());
    EXPECT_GE(catalog.recordCount(catalog.currentList()), TypedSearch::kFirstResults);
    typing.finishFill();
    EXPECT_TRUE(sameAsFresh("#1"));
    ASSERT_TRUE(typing.show("#12"));  // narrows thousands of shown records, slice by slice
    while (typing.fillMore(std::chrono::milliseconds(1))) {
    }
    EXPECT_TRUE(sameAsFresh("#12"));
    ASSERT_TRUE(typing.show("#12e"));  // a few hundred: at once
    EXPECT_FALSE(typing.filling());
    EXPECT_TRUE(sameAsFresh("#12e"));
    for (const char* typed : {"*#2?1*", "7/a", "*7/a*"}) {  // the last two across a folder's end
        ASSERT_TRUE(typing.show(typed));
        typing.finishFill();
        EXPECT_TRUE(sameAsFresh(typed)) << typed;
    }

    // Records dropped halfway: what was found names other records now, so all is found again.
    ASSERT_TRUE(typing.show("a"));
    ASSERT_TRUE(typing.filling());
    catalog.setRecordCount(kMasterList, 30000);
    catalog.bumpGeneration();
    typing.finishFill();
    EXPECT_TRUE(sameAsFresh("a"));

    // Escape halfway: the results left behind, for Forward, are still found whole.
    ASSERT_TRUE(typing.show("e"));
    const int left = catalog.currentList();
    typing.cancel();
    typing.finishFill();
    search.patternFill(fresh, "e");
    EXPECT_EQ(nameOffsets(catalog, left), nameOffsets(catalog, fresh));
    catalog.releaseTempList(fresh);
}

TEST_F(TypedSearchTest, OneViewForAllTheTypingAndEscapeGoesBack) {
    fill(30);
    show(10);
    const int before = catalog.currentList();
    const int32_t position = catalog.history().position;
    TypedSearch typing(catalog, search);
    EXPECT_FALSE(typing.show("/data/"));  // folders are gone to on Return only
    EXPECT_FALSE(typing.active());
    ASSERT_TRUE(typing.show("f01"));
    ASSERT_TRUE(typing.show("f012"));
    EXPECT_EQ(catalog.history().position, position + 1);  // one Back step, not two
    EXPECT_STREQ(catalog.history().address[position + 1].data(), "f012");
    page.RefreshPage(true);
    EXPECT_EQ(screen.status, "file listed:1");
    ASSERT_TRUE(typing.show("*/f0*"));  // a pattern searches the catalog again
    page.RefreshPage(true);
    EXPECT_EQ(screen.status, "file listed:30");

    EXPECT_TRUE(typing.cancel());
    EXPECT_EQ(catalog.currentList(), before);
    EXPECT_FALSE(typing.cancel());
    // Typing again after Escape starts a new typed view.
    ASSERT_TRUE(typing.show("f029"));
    EXPECT_EQ(catalog.recordCount(catalog.currentList()), 1);
}

}  // namespace
}  // namespace varnel
