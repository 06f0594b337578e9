#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <functional>

#include "catalog/dbfile.h"
#include "catalog/editing.h"
#include "catalog/extract.h"
#include "catalog/filecommands.h"
#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "support/catalogbuilder.h"
#include "support/scriptedprompt.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

using test::appendRecords;
using test::pathsOf;
using test::readList;
using test::Rec;

// A program directory with its settings, a catalog and the File menu's commands.
struct Program {
    test::TempDir dir;
    test::ScriptedPrompt prompt;
    Workspace workspace{dir.path(), std::vector<std::string>{"/"}};
    Catalog catalog;
    CatalogDatabase db{catalog, prompt, workspace.paths().defaultCatalog};
    std::vector<std::string> scanned;
    CatalogFileCommands commands{catalog, db, prompt, workspace};
    Program() {
        db.clockSeconds = [] { return int64_t{0}; };
        connectCatalogMerge(db, catalog, scanned);
        db.openCatalogOrDefault(nullptr);
    }
    std::string file(const char* name) { return dir.file(name); }
};

// Another program's catalog file, other.fdb: a file of an FTP site and a local one.
std::string otherCatalog(Program& other, const char* siteFile) {
    appendRecords(other.catalog, kMasterList,
                  {{"ftp:\\\\site\\", siteFile, "", 1, 1}, {"/theirs/", "local-there", "", 1, 1}});
    EXPECT_EQ(other.db.writeCatalogFile(other.file("other.fdb"), nullptr), 1);
    return other.file("other.fdb");
}

TEST(CatalogCommands, RecentListHoldsFiveAndMovesListedOnesUp) {
    Program p;
    for (int k = 1; k <= 5; ++k) p.commands.addRecentCatalog("/c/" + std::to_string(k) + ".fdb");
    EXPECT_EQ(p.commands.recentCatalogs().front(), "/c/5.fdb");
    p.commands.addRecentCatalog("/c/6.fdb");  // a sixth is not added
    EXPECT_EQ(p.commands.recentCatalogs().size(), 5u);
    EXPECT_EQ(p.commands.recentCatalogs().front(), "/c/5.fdb");
    p.commands.addRecentCatalog("/c/2.fdb");
    EXPECT_EQ(
        p.commands.recentCatalogs(),
        (std::vector<std::string>{"/c/2.fdb", "/c/5.fdb", "/c/4.fdb", "/c/3.fdb", "/c/1.fdb"}));
    // Long paths: the list never outgrows its buffer.
    for (int k = 0; k < 20; ++k) p.commands.addRecentCatalog(std::string(1500, 'a' + k));
    EXPECT_LE(p.workspace.settings().recentCatalogs.size(), kNameListBuffer);
    p.commands.loadRecentCatalog(1);
    EXPECT_EQ(p.db.openCatalogPath(), p.commands.recentCatalogs().front());
}

TEST(CatalogCommands, ImportReplacesSitesAndKeepsLocalRecords) {
    Program other, p;
    appendRecords(p.catalog, kMasterList,
                  {{"/mine/", "local", "", 1, 1}, {"ftp:\\\\site\\", "old.zip", "", 2, 2}});
    p.prompt.files = {otherCatalog(other, "imported.zip")};
    p.commands.importCatalog();
    EXPECT_EQ(pathsOf(readList(p.catalog, kMasterList)),
              (std::vector<std::string>{"ftp:\\\\site\\imported.zip", "/mine/local"}));
    EXPECT_EQ(std::filesystem::file_size(p.file("import.fdb")), 0u);
    EXPECT_NE(p.db.confirmSave(), Answer::No);  // the merge changed the catalog
}

// Export writes the open catalog's FTP sites into the chosen file and leaves the open
// catalog, in memory and on disk, as it was.
TEST(CatalogCommands, ExportWritesTheChosenFileAndLeavesTheOpenCatalogAlone) {
    Program other, p;
    p.prompt.files = {otherCatalog(other, "old.zip")};
    appendRecords(p.catalog, kMasterList,
                  {{"/mine/", "local", "", 1, 1}, {"ftp:\\\\site\\", "new.zip", "", 2, 2}});
    ASSERT_EQ(p.db.writeCatalogFile(p.db.openCatalogPath(), nullptr), 1);
    const std::string mineOnDisk = test::readFile(p.db.openCatalogPath());
    const std::vector<Rec> mine = readList(p.catalog, kMasterList);
    const int32_t generation = p.catalog.generation();
    p.commands.exportCatalog();

    EXPECT_EQ(readList(p.catalog, kMasterList), mine);
    EXPECT_EQ(p.catalog.generation(), generation);
    EXPECT_EQ(test::readFile(p.db.openCatalogPath()), mineOnDisk);
    ASSERT_EQ(other.db.openCatalog(other.file("other.fdb")), 1);
    EXPECT_EQ(pathsOf(readList(other.catalog, kMasterList)),
              (std::vector<std::string>{"ftp:\\\\site\\new.zip", "/theirs/local-there"}));
    EXPECT_TRUE(p.prompt.told.empty());
}

// When the save that a command asked for fails, the command stops: the catalog stays open
// with its changes, and the user was told why.
TEST(CatalogCommands, AFailedSaveStopsTheCommandThatAskedForIt) {
    Program p;
    test::writeFile(p.file("recent.fdb"), "");
    p.commands.addRecentCatalog(p.file("recent.fdb"));
    p.db.openCatalogOrDefault(p.file("mine.fdb").c_str());
    appendRecords(p.catalog, kMasterList, test::randomRecords(8, 3000, 20));
    p.catalog.bumpGeneration();
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"New", [&] { p.commands.newCatalog(); }},
        {"Open",
         [&] {
             p.prompt.files = {p.file("recent.fdb")};
             p.commands.openCatalogDialog();
         }},
        {"a recent entry", [&] { p.commands.loadRecentCatalog(0); }},
        {"Close", [&] { p.commands.closeCatalog(); }},
        {"exit", [&] { EXPECT_EQ(p.db.saveOnExit(), 0); }}};
    test::withFileSizeLimit(60000, [&] {
        for (const auto& [command, run] : commands) {
            p.prompt.answers = {Answer::Yes};
            run();
            EXPECT_EQ(p.db.openCatalogPath(), p.file("mine.fdb")) << command;
            EXPECT_EQ(p.catalog.recordCount(kMasterList), 3000) << command;
            ASSERT_FALSE(p.prompt.told.empty()) << command;
            EXPECT_NE(p.prompt.told.back().find("could not be saved"), std::string::npos)
                << command;
            EXPECT_EQ(p.prompt.asked.size(), 1u) << command;  // the save question was asked
            p.prompt.told.clear();
            p.prompt.asked.clear();
        }
    });
    EXPECT_FALSE(test::fileExists(p.file("mine.fdb")));

    // A recent entry asks before it drops unsaved changes; No opens it showing all its files.
    p.prompt.answers = {Answer::No};
    p.commands.loadRecentCatalog(0);
    EXPECT_EQ(p.prompt.asked.size(), 1u);
    EXPECT_EQ(p.db.openCatalogPath(), p.file("recent.fdb"));
    EXPECT_EQ(p.catalog.currentList(), kMasterList);
}

TEST(CatalogCommands, ExtractionStaysInsideTheTargetFolder) {
    Program p;
    const std::string src = p.dir.path() + "/src/";
    std::filesystem::create_directories(src + "sub");
    test::writeFile(src + "a.txt", "alpha");
    test::writeFile(src + "sub/b.txt", "bravo!");
    test::writeFile(src + "c.txt", "charlie");
    appendRecords(p.catalog, kMasterList,
                  {{src, "a.txt", "", 0, 5},
                   {src + "sub/", "b.txt", "", 0, 6},
                   {src + "sub/../../", "c.txt", "", 0, 0},
                   {"C:\\Win\\", "d.txt", "", 0, 0}});
    ASSERT_EQ(p.db.writeCatalogFile(p.file("export.fdb"), "/wherever/"), 1);
    ASSERT_EQ(p.db.openCatalog(p.file("export.fdb")), 1);
    test::copyRecords(p.catalog, kSelectionList, kMasterList, {0, 1, 2, 3});

    const std::string target = p.dir.path() + "/out";
    // A link planted on the way must not be followed.
    std::filesystem::create_directories(target + "/C");
    std::filesystem::create_directory_symlink(p.dir.path(), target + "/C/Win");
    ExtractResult result = extractStoredFiles(p.catalog, p.db, target, p.prompt);
    EXPECT_EQ(result.written, 2);
    EXPECT_EQ(result.skipped, 2);
    EXPECT_EQ(test::readFile(target + src + "a.txt"), "alpha");
    EXPECT_EQ(test::readFile(target + src + "sub/b.txt"), "bravo!");
    EXPECT_FALSE(test::fileExists(p.dir.path() + "/d.txt"));

    // Files already there are replaced only after Yes.
    test::writeFile(target + src + "a.txt", "mine");
    p.prompt.texts = {target};
    p.prompt.answers = {Answer::No, Answer::Yes};
    extractFiles(p.catalog, p.db, p.prompt);
    EXPECT_EQ(p.prompt.textRequests[0].text, "/wherever/");
    EXPECT_EQ(p.prompt.asked, (std::vector<std::string>{
                                  "Replace the existing file \"" + target + src + "a.txt\"?",
                                  "Replace the existing file \"" + target + src + "sub/b.txt\"?"}));
    EXPECT_EQ(test::readFile(target + src + "a.txt"), "mine");
    EXPECT_EQ(test::readFile(target + src + "sub/b.txt"), "bravo!");
    ASSERT_FALSE(p.prompt.told.empty());
    EXPECT_NE(p.prompt.told.back().find("2 files were not extracted"), std::string::npos);

    // Once the catalog changed, offsets from the list in memory would pick another file's
    // bytes: nothing is extracted.
    p.catalog.copyRecord(kMasterList, 4, kMasterList, 1);
    p.catalog.copyRecord(kMasterList, 1, kMasterList, 0);
    p.catalog.setRecordCount(kMasterList, 5);
    p.catalog.bumpGeneration();
    const std::string elsewhere = p.dir.path() + "/out2";
    ExtractResult changed = extractStoredFiles(p.catalog, p.db, elsewhere, p.prompt);
    EXPECT_TRUE(changed.refused);
    EXPECT_FALSE(test::fileExists(elsewhere + src + "sub/b.txt"));

    // A plain catalog holds no files to extract.
    ASSERT_EQ(p.db.writeCatalogFile(p.file("plain.fdb"), nullptr), 1);
    ASSERT_EQ(p.db.openCatalog(p.file("plain.fdb")), 1);
    EXPECT_EQ(extractStoredFiles(p.catalog, p.db, target, p.prompt).written, 0);
}

}  // namespace
}  // namespace varnel
