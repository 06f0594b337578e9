#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "query/resultpage.h"
#include "query/savedsearch.h"
#include "query/search.h"
#include "support/catalogbuilder.h"
#include "support/scriptedprompt.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

struct Fixture {
    Settings settings;
    SavedSearchList list{settings.savedSearchCount, settings.savedSearchBlock};
    int pageWrites = 0;
    Fixture() {
        list.onChanged = [this] { ++pageWrites; };
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (int32_t i = 0; i < list.count(); ++i) out.emplace_back(list.savedSearchName(i));
        return out;
    }
};

TEST(SavedSearches, StartWithTheFourBuiltInOnesAndMovesCarryTheirCriteria) {
    Fixture f;
    const std::vector<std::string> builtIn = {"Softwares ", "MultiMedia files", "Music files",
                                              "Html documents"};
    EXPECT_EQ(f.names(), builtIn);
    EXPECT_EQ(f.list.savedSearchPatterns(1), "*.mpg,*.avi,*.rm*,*.mpeg");
    EXPECT_EQ(f.list.savedSearchFolder(3), "");
    EXPECT_EQ(f.list.savedSearchDays(2), 0);

    f.list.modifySavedSearch("MultiMedia files", "*.mpg", "", 30);
    f.list.moveSavedSearchUp("MultiMedia files");
    EXPECT_EQ(f.names()[0], "MultiMedia files");
    EXPECT_EQ(f.list.savedSearchDays(0), 30);
    EXPECT_EQ(f.list.savedSearchDays(1), 0);
    f.list.moveSavedSearchUp("MultiMedia files");  // already first: stays
    EXPECT_EQ(f.names()[0], "MultiMedia files");
    f.list.moveSavedSearchDown("Html documents");  // already last: stays
    EXPECT_EQ(f.names()[3], "Html documents");
    f.list.moveSavedSearchDown("MultiMedia files");
    EXPECT_EQ(f.names(), builtIn);
    EXPECT_EQ(f.list.savedSearchDays(1), 30);
}

TEST(SavedSearches, NamesAreUniqueIgnoringCaseButRemovedExactly) {
    Fixture f;
    EXPECT_EQ(f.list.addSavedSearch("music files", "*.ogg", "", 0), 0);
    EXPECT_EQ(f.pageWrites, 0);
    EXPECT_EQ(f.list.removeSavedSearch("music files"), -1);
    EXPECT_EQ(f.pageWrites, 1);  // a remove rewrites the page whatever it found
    EXPECT_EQ(f.list.count(), 4);
    EXPECT_EQ(f.list.addSavedSearch("Recent", "*", "/home/", 7), 1);
    EXPECT_EQ(f.list.modifySavedSearch("RECENT", "*.txt", "/tmp/", -1, 100, 200), 1);
    EXPECT_EQ(f.list.savedSearchName(4), "RECENT");
    EXPECT_EQ(f.list.savedSearchFolder(4), "/tmp/");
    EXPECT_EQ(f.list.savedSearchEnd(4), 200u);
    EXPECT_EQ(f.list.modifySavedSearch("unknown", "", "", 0), 0);
    SavedSearchTexts texts;
    SearchCriteria criteria;
    EXPECT_EQ(f.list.removeSavedSearch("RECENT", &texts, &criteria), 4);
    EXPECT_EQ(texts.patterns, "*.txt");
    EXPECT_EQ(criteria.days, -1);
    EXPECT_EQ(f.list.count(), 4);
}

// Any sequence of operations keeps the block within its 8192 bytes and consistent.
TEST(SavedSearches, TheBlockIsNeverOverrun) {
    Fixture f;
    std::mt19937 rng(3);
    for (int step = 0; step < 5000; ++step) {
        std::string name = "n" + std::to_string(rng() % 60);
        std::string patterns(rng() % 400, 'p'), folder(rng() % 300, 'f');
        const size_t before = f.list.usedBytes();
        const int32_t count = f.list.count();
        const uint32_t op = rng() % 3;
        if (op == 0 && !f.list.addSavedSearch(name, patterns, folder, 1)) {
            EXPECT_EQ(f.list.count(), count);
            EXPECT_EQ(f.list.usedBytes(), before);
        } else if (op == 1 && !f.list.modifySavedSearch(name, patterns, folder, 2)) {
            EXPECT_EQ(f.list.usedBytes(), before);
        } else if (op == 2) {
            f.list.removeSavedSearch(name);
        }
        ASSERT_LE(f.list.usedBytes(), kSavedSearchBlockSize);
        ASSERT_EQ(f.settings.savedSearchBlock[f.list.usedBytes() - 1], 0);
    }
    // What the block holds survives the settings file.
    Settings reread;
    parseSettings(encodeSettings(f.settings, 0), reread);
    SavedSearchList again(reread.savedSearchCount, reread.savedSearchBlock);
    ASSERT_EQ(again.count(), f.list.count());
    for (int32_t i = 0; i < again.count(); ++i) {
        EXPECT_EQ(again.savedSearchName(i), f.list.savedSearchName(i));
        EXPECT_EQ(again.savedSearchFolder(i), f.list.savedSearchFolder(i));
        EXPECT_EQ(again.savedSearchDays(i), 0);  // date criteria are not stored
    }
}

// A template whose parts are easy to count: one cell per "<td", one row per "<tr>".
const char kTemplate[] =
    "<html><body>\n"
    "<table>\n"
    "<tr>\n"
    "<td width=\"100%\"><a href=\"777\">\n"
    "New Folder</a></td>\n"
    "</tr>\n"
    "</table>\n"
    "<a href=\"go.cgi\">manage</a>\n";

struct Page {
    test::TempDir dir;
    Settings settings;
    SavedSearchList searches{settings.savedSearchCount, settings.savedSearchBlock};
    std::string page = dir.file("4.html");
    Page(const std::string& templateText = kTemplate) {
        test::writeFile(dir.file("2.html"), templateText);
        searches.onChanged = [this] {
            regenerateSearchPage(page, searches, settings.pageColumnCount);
        };
    }
    std::string html() { return test::readFile(page); }
};

TEST(ResultPage, LinksRunSearchesOrOpenTheDialog) {
    EXPECT_EQ(classifyResultPageLink("file:///x/4.html").kind, ResultPageLink::LoadPage);
    EXPECT_EQ(classifyResultPageLink("file:///x/go.cgi").kind, ResultPageLink::OpenSearchDialog);
    ResultPageLink run = classifyResultPageLink("murrel://12");
    EXPECT_EQ(run.kind, ResultPageLink::RunSearch);
    EXPECT_EQ(run.search, 12);
    // As a browser hands the link on: the number read as an IPv4 host.
    EXPECT_EQ(classifyResultPageLink("murrel://0.0.0.3").search, 3);
    EXPECT_EQ(classifyResultPageLink("murrel://0.0.1.44/").search, 300);
    EXPECT_EQ(classifyResultPageLink("murrel:12").kind, ResultPageLink::Nothing);
    EXPECT_EQ(classifyResultPageLink("murrel://x").kind, ResultPageLink::Nothing);

    Catalog catalog;
    Settings settings;
    SavedSearchList searches(settings.savedSearchCount, settings.savedSearchBlock);
    CatalogSearch search(catalog, searches);
    test::ScriptedPrompt prompt;
    std::vector<test::Rec> records;
    for (int k = 0; k < 50; ++k)
        records.push_back({"/m/", "s" + std::to_string(k) + (k % 2 ? ".mp3" : ".txt"), "", 1, 1});
    test::appendRecords(catalog, kMasterList, records);
    test::appendRecord(catalog, kSelectionList, records[0]);
    bool cancel = false;
    onResultPageNavigate("murrel://2", cancel, catalog, search, prompt, nullptr);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(
        prompt.told,
        std::vector<std::string>{
            "Your local search cach is NULL,Please Select Tools->Search File to add file to cach"});
    EXPECT_EQ(catalog.recordCount(catalog.currentList()), 25);  // the music files
    EXPECT_EQ(catalog.recordCount(kSelectionList), 0);
    int dialogs = 0;
    onResultPageNavigate("go.cgi", cancel, catalog, search, prompt, [&] { ++dialogs; });
    EXPECT_TRUE(cancel);
    EXPECT_EQ(dialogs, 1);
    onResultPageNavigate("file:///p/4.html", cancel, catalog, search, prompt, nullptr);
    EXPECT_FALSE(cancel);
}

}  // namespace
}  // namespace varnel
