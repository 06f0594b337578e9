#include <gtest/gtest.h>

#include <filesystem>

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

size_t countOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(ResultPage, RowsOfColumnsFilledUpWithEmptyCells) {
    Page p;
    p.searches.addSavedSearch("Fifth <b>&\"", "*.x", "", 0);  // added: the page is written at once
    std::string two =
        (p.settings.pageColumnCount = 2, regenerateSearchPage(p.page, p.searches, 2), p.html());
    EXPECT_EQ(countOf(two, "<tr>"), 3u);
    EXPECT_EQ(countOf(two, "<td"), 6u);
    EXPECT_EQ(countOf(two, "width=\"50%\""), 6u);
    EXPECT_NE(two.find("murrel://0\">\nSoftwares </a>"), std::string::npos);  // trailing blank kept
    EXPECT_NE(two.find("murrel://4\">\nFifth &lt;b&gt;&amp;&quot;</a>"), std::string::npos);
    EXPECT_NE(two.find("murrel://5\">\n</a>"), std::string::npos);  // the empty cell
    EXPECT_EQ(two.find("New Folder"), std::string::npos);
    EXPECT_EQ(two.find("777"), std::string::npos);
    EXPECT_NE(two.find("go.cgi"), std::string::npos);

    ASSERT_TRUE(regenerateSearchPage(p.page, p.searches, 0));  // 0 columns count as one
    std::string one = p.html();
    EXPECT_EQ(countOf(one, "<tr>"), 5u);
    EXPECT_EQ(countOf(one, "width=\"100%\""), 5u);
    p.settings.pageColumnCount = 1;
    p.searches.removeSavedSearch("Softwares ");
    EXPECT_EQ(countOf(p.html(), "<td"), 4u);
}

TEST(ResultPage, UnusableTemplatesLeaveTheOldPage) {
    Page p;
    ASSERT_TRUE(regenerateSearchPage(p.page, p.searches, 1));
    const std::string good = p.html();
    for (const char* bad : {"<html>no placeholder</html>\n", "a\nb\nNew Folder\nafter\n",
                            "a\nb\nc\nNew Folder\n", "a\nb\nc\nNew Folder\nno break at the end"}) {
        test::writeFile(p.dir.file("2.html"), bad);
        EXPECT_FALSE(regenerateSearchPage(p.page, p.searches, 1)) << bad;
        EXPECT_EQ(p.html(), good);
    }
    std::filesystem::remove(p.dir.file("2.html"));
    EXPECT_FALSE(regenerateSearchPage(p.page, p.searches, 1));
    EXPECT_EQ(searchPageTemplatePath("/opt/v4/4.html"), "/opt/v4/2.html");
}

TEST(ResultPage, TheShippedTemplateExpands) {
    Page p(test::readFile(std::string(VARNEL_SOURCE_DIR) + "/data/2.html"));
    ASSERT_TRUE(regenerateSearchPage(p.page, p.searches, 2));
    EXPECT_EQ(countOf(p.html(), "murrel://"), 4u);
    EXPECT_NE(p.html().find("go.cgi"), std::string::npos);
}

TEST(ResultPage, LinksRunSearchesOrOpenTheDialog) {
    EXPECT_EQ(classifyResultPageLink("file:///x/4.html").kind, ResultPageLink::LoadPage);
    EXPECT_EQ(classifyResultPageLink("file:///x/go.cgi").kind, ResultPageLink::OpenSearchDialog);
    ResultPageLink run = classifyResultPageLink("murrel://12");
    EXPECT_EQ(run.kind, ResultPageLink::RunSearch);
    EXPECT_EQ(run.search, 12);
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
