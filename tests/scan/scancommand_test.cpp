#include <gtest/gtest.h>

#include "catalog/workspace.h"
#include "scan/scancommand.h"
#include "scan/scanoptions.h"
#include "scantree.h"
#include "support/remotedoubles.h"

namespace varnel {
namespace {

using test::makeFile;
using test::makeFolder;
using test::recordsIn;

struct Command : test::ScanFixture {
    Workspace workspace{path(), {"/"}};
    test::AnsweredDialog dialog;
    test::RecordingProgress progress;
    ScanCommandResult run(std::string_view address = "") {
        return ScanCommand(services, workspace, dialog, progress, address);
    }
};

TEST(ScanCommand, CancelKeepsTheRememberedTextsAndChangesNothing) {
    Command c;
    c.workspace.scanFolders() = "/a/";
    c.workspace.excludeFolders() = "/b/";
    const ScanCommandResult r = c.run();
    EXPECT_EQ(r.outcome, ScanOutcome::Cancelled);
    EXPECT_EQ(c.workspace.scanFolders(), "/a/");
    EXPECT_EQ(c.workspace.excludeFolders(), "/b/");
    EXPECT_EQ(c.catalog.currentList(), -1);
    EXPECT_EQ(c.progress.closes(), 0);
}

TEST(ScanCommand, TheAddressBarTextIsOfferedAndASingleRootIsCompleted) {
    Command c;
    const std::string root = c.path("root");
    makeFolder(root);
    makeFile(root + "/f", 1, 1);
    c.workspace.scanFolders() = "/remembered/";
    c.dialog.answer = ScanOptionsForm{root, ""};
    c.catalog.page().viewMode = 1;
    c.progress.whileShown = [&] { EXPECT_TRUE(c.services.catalogBusy()); };
    test::appendRecords(c.catalog, kSelectionList, {{"/s/", "selected", "", 1, 1}});
    const uint32_t requests = c.catalog.page().refreshRequests;
    const ScanCommandResult r = c.run(c.path("from-address/"));
    ASSERT_EQ(c.dialog.shown.size(), 1u);
    EXPECT_EQ(c.dialog.shown[0].folders, c.path("from-address/"));
    ASSERT_EQ(r.outcome, ScanOutcome::Scanned);
    EXPECT_EQ(c.workspace.scanFolders(), root + "/");
    EXPECT_EQ(recordsIn(c.records(), root + "/").size(), 1u);
    EXPECT_FALSE(c.services.catalogBusy());
    EXPECT_EQ(c.progress.closes(), 1);
    EXPECT_EQ(c.catalog.recordCount(kSelectionList), 0);
    EXPECT_FALSE(r.layoutNeeded);  // the file list was shown already: a page refresh will do
    EXPECT_GT(c.catalog.page().refreshRequests, requests);
}

TEST(ScanCommand, ListedRootsAreCompletedAndEmptyEntriesStandForNothing) {
    Command c;
    makeFolder(c.path("a"));
    makeFolder(c.path("ab"));
    makeFile(c.path("a/f"), 1, 1);
    makeFile(c.path("ab/g"), 1, 2);
    test::appendRecords(c.catalog, kMasterList, {{"/elsewhere/", "x", "", 1, 1}});
    // "a" must not stand for "ab/"; the trailing commas must not exclude everything.
    c.dialog.answer = ScanOptionsForm{c.path("a") + ",," + c.path("ab") + ",", ",,"};
    const ScanCommandResult r = c.run();
    ASSERT_EQ(r.outcome, ScanOutcome::Scanned);
    EXPECT_EQ(r.summary.foldersWalked, 2);
    EXPECT_EQ(recordsIn(c.records(), c.path("a/")).size(), 1u);
    EXPECT_EQ(recordsIn(c.records(), c.path("ab/")).size(), 1u);
    EXPECT_EQ(recordsIn(c.records(), "/elsewhere/").size(), 1u);
    EXPECT_EQ(c.workspace.scanFolders(), c.path("a") + ",," + c.path("ab") + ",");
}

TEST(ScanCommand, TextsLongerThanTheirBufferAreRefused) {
    Command c;
    c.dialog.answer = ScanOptionsForm{std::string(kFolderTextBuffer, 'x'), ""};
    const ScanCommandResult r = c.run();
    EXPECT_EQ(r.outcome, ScanOutcome::Refused);
    ASSERT_EQ(c.prompt.told.size(), 1u);
    EXPECT_NE(c.prompt.told[0].find("6143"), std::string::npos);
    EXPECT_EQ(c.catalog.currentList(), -1);
}

TEST(ScanOptions, AChosenFolderReplacesTheFieldWithItsSeparator) {
    for (const auto& [chosen, text] : {std::pair{"/home/u/Music", "/home/u/Music/"},
                                       {"/home/u/Music/", "/home/u/Music/"},
                                       {"/", "/"}})
        EXPECT_EQ(chosenFolderText(chosen), text);
    test::ScriptedPrompt prompt;
    std::string field = "/first/,/typed/";
    applyFolderChoice({true, true, "/home/u/Photos"}, field, prompt);
    EXPECT_EQ(field, "/home/u/Photos/");
    applyFolderChoice({true, true, "/"}, field, prompt);
    EXPECT_EQ(field, "/");
    applyFolderChoice({false, false, ""}, field, prompt);  // Cancel
    EXPECT_EQ(field, "/");
    EXPECT_TRUE(prompt.told.empty());
    applyFolderChoice({true, false, ""}, field, prompt);  // e.g. a network place
    EXPECT_EQ(field, "/");
    EXPECT_EQ(prompt.told, std::vector<std::string>{"Please select a valid folder"});
}

}  // namespace
}  // namespace varnel
