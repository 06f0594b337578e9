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
    c.dialog.answer = ScanOptionsForm{root, "/elsewhere/"};
    c.catalog.page().viewMode = 1;
    // The watched folders under an exclusion go, but only after the worker: the timer reads
    // the list meanwhile.
    const std::string watched = root + "/" + std::string("\0", 1);
    c.watched = watched + "/elsewhere/sub/" + std::string("\0", 1);
    c.progress.whileShown = [&] {
        EXPECT_TRUE(c.services.catalogBusy());
        EXPECT_NE(c.watched, watched);
    };
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
    EXPECT_EQ(c.watched, watched);
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

}  // namespace
}  // namespace varnel
