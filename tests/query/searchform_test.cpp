#include "query/searchform.h"

#include <gtest/gtest.h>

#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "query/savedsearch.h"
#include "query/search.h"
#include "support/catalogbuilder.h"
#include "support/timezone.h"

namespace varnel {
namespace {

struct Fixture {
    Settings settings;
    SavedSearchList searches{settings.savedSearchCount, settings.savedSearchBlock};
    std::string block() const {
        return std::string(settings.savedSearchBlock.data(), searches.usedBytes());
    }
};

SearchForm named(const char* name, DateChoice choice, const char* days = "0",
                 const char* months = "0") {
    SearchForm f;
    f.name = name;
    f.patterns = "*.mp3";
    f.folder = "/music/";
    f.choice = choice;
    f.dayText = days;
    f.monthText = months;
    return f;
}

// Every number field is checked, also those of radios not checked; a refusal stops the
// operation before the list or the column count changes.
TEST(SearchForm, RefusedNumbersStopEveryOperation) {
    Fixture f;
    const std::string before = f.block();
    int32_t columns = 3;
    const struct {
        SearchForm form;
        const char* says;
    } refused[] = {
        {named("a", DateChoice::Days, "32"), "days from 0 to 31"},
        {named("a", DateChoice::None, "0", "101"), "months from 0 to 100"},
        {named("a", DateChoice::Months, "1a"), "days from 0 to 31"},
        {named("a", DateChoice::Days, ""), "days from 0 to 31"},
        {named("a", DateChoice::Days, "-1"), "days from 0 to 31"},
        {named("a", DateChoice::Days, "99999999999"), "days from 0 to 31"},
    };
    for (const auto& r : refused) {
        SearchForm form = r.form;
        for (const FormResult& result :
             {addFromDialog(form, f.searches), modifyFromDialog(form, f.searches),
              exitFromDialog(form, columns), startFind(form, f.searches)}) {
            EXPECT_FALSE(result.changed);
            EXPECT_NE(result.message.find(r.says), std::string::npos) << result.message;
        }
    }
    SearchForm noColumns = named("a", DateChoice::None);
    noColumns.columnsText = "0";
    EXPECT_FALSE(exitFromDialog(noColumns, columns).message.empty());
    SearchForm longName = named(std::string(2048, 'x').c_str(), DateChoice::None);
    EXPECT_FALSE(addFromDialog(longName, f.searches).message.empty());
    EXPECT_FALSE(addFromDialog(named("", DateChoice::None), f.searches).message.empty());
    EXPECT_EQ(f.block(), before);
    EXPECT_EQ(columns, 3);

    SearchForm wide = named("a", DateChoice::None);
    wide.columnsText = "4";
    EXPECT_TRUE(exitFromDialog(wide, columns).message.empty());
    EXPECT_EQ(columns, 4);
}

// The checked radio decides the days stored; duplicates are ignored silently and "Modify"
// finds its entry ignoring case.
TEST(SearchForm, RadiosEncodeTheDateCriterion) {
    Fixture f;
    EXPECT_TRUE(addFromDialog(named("none", DateChoice::None, "5", "7"), f.searches).changed);
    EXPECT_TRUE(addFromDialog(named("days", DateChoice::Days, " 31 ", "7"), f.searches).changed);
    EXPECT_TRUE(addFromDialog(named("months", DateChoice::Months, "5", "100"), f.searches).changed);
    EXPECT_EQ(f.searches.savedSearchDays(4), 0);
    EXPECT_EQ(f.searches.savedSearchDays(5), 31);
    EXPECT_EQ(f.searches.savedSearchDays(6), 3000);
    EXPECT_EQ(f.searches.savedSearchFolder(6), "/music/");

    const FormResult again = addFromDialog(named("DAYS", DateChoice::Days, "1"), f.searches);
    EXPECT_FALSE(again.changed);
    EXPECT_TRUE(again.message.empty());
    EXPECT_EQ(f.searches.count(), 7);

    const FormResult modified =
        modifyFromDialog(named("MONTHS", DateChoice::Days, "2"), f.searches);
    EXPECT_TRUE(modified.changed);
    EXPECT_EQ(modified.position, 6);
    EXPECT_EQ(f.searches.savedSearchName(6), "MONTHS");
    EXPECT_EQ(f.searches.savedSearchDays(6), 2);
    EXPECT_FALSE(modifyFromDialog(named("unknown", DateChoice::None), f.searches).changed);
}

// What the controls show for a stored criterion, and the radio/focus table.
TEST(SearchForm, ShowCriterionAndTheRadioTable) {
    const uint64_t now = test::utcFileTime(2024, 5, 1, 12, 0);
    test::TimeZoneScope utc("UTC");
    const CriterionView months = showCriterion(60, now, now, now);
    EXPECT_EQ(months.monthText, "2");
    EXPECT_EQ(months.dayText, "0");
    EXPECT_EQ(months.controls.checked, DateChoice::Months);
    EXPECT_TRUE(months.controls.monthEnabled);
    EXPECT_FALSE(months.controls.dayEnabled);
    EXPECT_EQ(showCriterion(45, now, now, now).monthText, "1");

    const CriterionView days = showCriterion(7, now, now, now);
    EXPECT_EQ(days.dayText, "7");
    EXPECT_EQ(days.controls.checked, DateChoice::Days);
    EXPECT_FALSE(days.controls.dayEnabled);  // until its radio is clicked

    const CriterionView none = showCriterion(0, 0, 0, now);
    EXPECT_EQ(none.controls.checked, DateChoice::None);
    EXPECT_EQ(none.start, (LocalDateTime{2024, 5, 1, 12, 0, 0}));

    const CriterionView range = showCriterion(-1, test::utcFileTime(2023, 2, 3, 4, 5, 6),
                                              test::utcFileTime(2023, 3, 1, 0, 0), now);
    EXPECT_EQ(range.controls.checked, DateChoice::Range);
    EXPECT_FALSE(range.controls.pickersEnabled);
    EXPECT_EQ(range.start, (LocalDateTime{2023, 2, 3, 4, 5, 6}));
    EXPECT_EQ(range.end, (LocalDateTime{2023, 3, 1, 0, 0, 0}));

    for (DateChoice c : {DateChoice::Days, DateChoice::Months, DateChoice::Range}) {
        const DateControls d = dateControlsFor(c);
        EXPECT_EQ(d.checked, c);
        EXPECT_EQ(d.dayEnabled, c == DateChoice::Days);
        EXPECT_EQ(d.monthEnabled, c == DateChoice::Months);
        EXPECT_EQ(d.pickersEnabled, c == DateChoice::Range);
    }
}

// The pickers' wall-clock times mean New York's instants, summer or winter, and a saved range
// shows the same wall-clock times again; Find over a clock change selects by those instants.
TEST(SearchForm, DateRangesAreLocalTimesAcrossClockChanges) {
    test::TimeZoneScope newYork("America/New_York");
    Fixture f;
    SearchForm form = named("season", DateChoice::Range);
    form.start = {2024, 1, 15, 10, 0, 0};  // EST, UTC-5
    form.end = {2024, 7, 15, 10, 0, 0};    // EDT, UTC-4
    ASSERT_TRUE(addFromDialog(form, f.searches).changed);
    EXPECT_EQ(f.searches.savedSearchDays(4), -1);
    EXPECT_EQ(f.searches.savedSearchStart(4), test::utcFileTime(2024, 1, 15, 15, 0));
    EXPECT_EQ(f.searches.savedSearchEnd(4), test::utcFileTime(2024, 7, 15, 14, 0));
    SearchForm shown;
    selectSavedSearch(f.searches, 4, "season", systemFileTime(), shown);
    EXPECT_EQ(shown.choice, DateChoice::Range);
    EXPECT_EQ(shown.start, form.start);
    EXPECT_EQ(shown.end, form.end);
    EXPECT_EQ(shown.folder, "/music/");

    // Noon on 9 March (EST) to noon on 11 March (EDT): 47 hours.
    Catalog catalog(64);
    const uint64_t second = 10000000;
    const uint64_t first = test::utcFileTime(2024, 3, 9, 17, 0),
                   last = test::utcFileTime(2024, 3, 11, 16, 0);
    test::appendRecords(catalog, kMasterList,
                        {{"/music/", "early.mp3", "", first - second, 1},
                         {"/music/", "first.mp3", "", first, 2},
                         {"/music/", "last.MP3", "", last, 3},
                         {"/music/", "late.mp3", "", last + second, 4},
                         {"/photos/", "last.mp3", "", last, 5}});
    CatalogSearch search(catalog, f.searches);
    SearchForm find = named("", DateChoice::Range);
    find.start = {2024, 3, 9, 12, 0, 0};
    find.end = {2024, 3, 11, 12, 0, 0};
    const std::string before = f.block();
    const FormResult started = startFind(find, f.searches);
    ASSERT_TRUE(started.changed) << started.message;
    std::vector<test::Rec> found;
    finishFind(f.searches, started.position, [&](int32_t position) {
        EXPECT_EQ(f.searches.savedSearchName(position), "Varnel system Search");
        ASSERT_EQ(search.runSavedSearch(position, -1), 1);
        found = test::readList(catalog, catalog.currentList());
    });
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].name, "first.mp3");
    EXPECT_EQ(found[1].name, "last.MP3");
    EXPECT_EQ(f.block(), before);
}

// Find runs only its own entry and removes only that one.
TEST(SearchForm, FindNeverRunsOrRemovesAnotherSearch) {
    Fixture f;
    ASSERT_TRUE(addFromDialog(named("varnel SYSTEM search", DateChoice::None), f.searches).changed);
    std::vector<int32_t> runs;
    auto run = [&](int32_t position) { runs.push_back(position); };
    SearchForm form = named("", DateChoice::None);
    FormResult taken = startFind(form, f.searches);
    EXPECT_FALSE(taken.changed);
    EXPECT_NE(taken.message.find("Varnel system Search"), std::string::npos);
    finishFind(f.searches, taken.position, run);
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(f.searches.count(), 5);
    EXPECT_EQ(f.searches.savedSearchName(4), "varnel SYSTEM search");

    // A block with no room left for the temporary entry.
    f.searches.removeSavedSearch("varnel SYSTEM search");
    const std::string filler(2000, 'p');
    int k = 0;
    while (f.searches.addSavedSearch("fill" + std::to_string(k), filler, "", 0)) ++k;
    while (f.searches.addSavedSearch(std::to_string(k), "", "", 0)) ++k;
    const std::string before = f.block();
    FormResult full = startFind(form, f.searches);
    EXPECT_FALSE(full.changed);
    EXPECT_NE(full.message.find("full"), std::string::npos) << full.message;
    finishFind(f.searches, full.position, run);
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(f.block(), before);
}

TEST(SearchForm, MovesFolderBrowseAndManageToggle) {
    Fixture f;
    EXPECT_EQ(moveFromDialog(f.searches, 0, 4, "Softwares ", -1), -1);
    EXPECT_EQ(moveFromDialog(f.searches, 3, 4, "Html documents", +1), -1);
    EXPECT_EQ(moveFromDialog(f.searches, -1, 4, "", +1), -1);
    EXPECT_EQ(moveFromDialog(f.searches, 1, 4, "MultiMedia files", -1), 0);
    EXPECT_EQ(f.searches.savedSearchName(0), "MultiMedia files");
    EXPECT_EQ(moveFromDialog(f.searches, 2, 4, "Music files", +1), 3);
    EXPECT_EQ(f.searches.savedSearchName(3), "Music files");

    EXPECT_EQ(browsedFolderText("/home/u/Music", "/old/"), "/home/u/Music/");
    EXPECT_EQ(browsedFolderText("/", "/old/"), "/");
    EXPECT_EQ(browsedFolderText("", "/old/"), "/old/");

    const ManageToggle open = toggleManaged(kCriteriaHeight, kManagedHeight, "Save>>");
    EXPECT_EQ(open.height, kManagedHeight);
    EXPECT_EQ(open.buttonText, "Save<<");
    const ManageToggle closed = toggleManaged(open.height, open.rememberedHeight, "Save<<");
    EXPECT_EQ(closed.height, kCriteriaHeight);
    EXPECT_EQ(closed.buttonText, "Save>>");
}

}  // namespace
}  // namespace varnel
