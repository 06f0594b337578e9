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

}  // namespace
}  // namespace varnel
