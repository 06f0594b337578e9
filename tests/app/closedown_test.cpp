// Closing the program: nothing the user has is dropped without a word.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/session.h"
#include "support/catalogbuilder.h"
#include "support/remotedoubles.h"
#include "support/scriptedprompt.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

struct Program {
    test::TempDir dir;
    test::ScriptedPrompt prompt;
    test::ScriptedDialogs dialogs;
    AppSession session{dir.path(), prompt, dialogs};
    Program() {
        session.database.sleep = [](int) {};  // the wait for another copy's save
        session.openStartCatalog("");
        test::appendRecords(session.catalog, kMasterList, {{"/x/", "unsaved", "", 1, 1}});
        session.catalog.bumpGeneration();
    }
};

// A catalog that cannot be saved keeps the program open, so that the user can save it
// elsewhere; settings that cannot be saved are reported, and closing goes on.
TEST(CloseDown, FailedSavesAreToldAndAFailedCatalogSaveKeepsTheProgramOpen) {
    Program p;
    // A folder in the way of the file makes the final rename fail.
    std::filesystem::create_directory(p.session.workspace.paths().defaultCatalog);
    p.prompt.answers = {Answer::Yes};
    EXPECT_FALSE(p.session.closeDown());
    ASSERT_EQ(p.prompt.told.size(), 1u);
    EXPECT_NE(p.prompt.told[0].find("could not be saved"), std::string::npos);
    EXPECT_EQ(p.session.catalog.recordCount(kMasterList), 1);

    std::filesystem::remove(p.session.workspace.paths().defaultCatalog);
    std::filesystem::create_directory(p.session.workspace.paths().settingsFile);
    p.prompt.told.clear();
    p.prompt.answers = {Answer::Yes};
    EXPECT_TRUE(p.session.closeDown());
    ASSERT_EQ(p.prompt.told.size(), 1u);
    EXPECT_EQ(p.prompt.told[0].rfind("The settings could not be saved.", 0), 0u) << p.prompt.told[0];
    EXPECT_TRUE(std::filesystem::is_regular_file(p.session.workspace.paths().defaultCatalog));
}

}  // namespace
}  // namespace varnel
