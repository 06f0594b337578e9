// Copy and paste, delete and rename on real files and the test FTP server, through the
// catalog records that stand for them. After each operation the catalog must say what a
// fresh look at the folder says.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "catalog/tables.h"
#include "fileops/deletefiles.h"
#include "fileops/fileopscontext.h"
#include "fileops/paste.h"
#include "fileops/renamefiles.h"
#include "fileops/selectiontext.h"
#include "remote/ftpnames.h"
#include "remote/listingcache.h"
#include "scan/folderrefresh.h"
#include "scan/scanservices.h"
#include "support/catalogbuilder.h"
#include "support/ftpsessionrig.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using test::fileExists;
using test::readFile;
using test::Rec;
using test::writeFile;

struct Files : test::FtpServerTest, test::FtpSessionRig {
    void SetUp() override {
        FtpServerTest::SetUp();
        ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        dialogs.answerWith(server->user, server->password);  // the first visit's login
        services.ftp = &session;
        services.listingCache = &cache;
        for (const char* name : {"a.txt", "b.bin", "c d.txt"})
            writeFile(mine.file(name), std::string(70000, name[0]));
        struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        ::utimensat(AT_FDCWD, mine.file("b.bin").c_str(), old, 0);
        catalogue(local());
    }
    std::string local() const { return mine.path() + "/"; }
    std::string site() const {
        std::string name = folder->url(server->host);
        SwapFtpSeparators(name);
        return name;
    }
    // Brings one folder's records up to date, as a fresh look would.
    void catalogue(const std::string& where) {
        ASSERT_EQ(refreshFolders(services, where.c_str(), kSingleFolder, IsFtpName(where.c_str())),
                  1)
            << where;
    }
    std::vector<Rec> recordsIn(const std::string& where) {
        std::vector<Rec> out = test::recordsIn(test::readList(catalog, kMasterList), where);
        std::sort(out.begin(), out.end(),
                  [](const Rec& x, const Rec& y) { return x.name < y.name; });
        return out;
    }
    // The records of `where` equal what a refresh of the folder finds now.
    void expectCatalogued(const std::string& where) {
        const std::vector<Rec> before = recordsIn(where);
        catalogue(where);
        EXPECT_EQ(recordsIn(where), before) << where;
    }
    void select(const std::string& where, std::vector<std::string> names) {
        catalog.setRecordCount(kSelectionList, 0);
        for (const Rec& r : recordsIn(where))
            if (std::find(names.begin(), names.end(), r.name) != names.end())
                test::appendRecord(catalog, kSelectionList, r);
    }

    test::TempDir mine, theirs, data;
    Catalog catalog;
    ListingCache cache;
    ScanServices services{catalog, prompt, ""};
    test::RecordingProgress progress;
    FileOpsContext context{services, progress, "", nullptr, nullptr};
};

TEST_F(Files, PasteCopiesEveryClipboardFileBothWaysAndTheCatalogFollows) {
    // Several selected, all pasted (one question for the three).
    select(local(), {"a.txt", "b.bin", "c d.txt"});
    CopyRecords(context);
    prompt.answers = {Answer::Yes};
    ASSERT_TRUE(PasteTo(context, theirs.path()));
    EXPECT_EQ(prompt.asked().back(), "Copy these 3 files to folder:\"" + theirs.path() + "/\"?");
    for (const char* name : {"a.txt", "b.bin", "c d.txt"})
        EXPECT_EQ(readFile(theirs.file(name)), readFile(mine.file(name))) << name;
    struct stat st {};
    ::stat(theirs.file("b.bin").c_str(), &st);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);  // times kept: a rescan sees no change
    EXPECT_EQ(recordsIn(theirs.path() + "/").size(), 3u);
    expectCatalogued(theirs.path() + "/");

    // Local to FTP: the question shows the URL; the folder is read from the server after.
    prompt.answers = {Answer::Yes};
    ASSERT_TRUE(PasteTo(context, site()));
    EXPECT_EQ(prompt.asked().back(),
              "Copy these 3 files to folder:\"" + folder->url(server->host) + "\"?");
    for (const char* name : {"a.txt", "b.bin", "c d.txt"})
        EXPECT_EQ(readFile(folder->local(name)), readFile(mine.file(name))) << name;
    expectCatalogued(site());

    // FTP to local, one file, into a folder that has it: No keeps the old copy, Yes replaces.
    writeFile(theirs.file("a.txt"), "mine, changed");
    select(site(), {"a.txt"});
    CopyRecords(context);
    prompt.answers = {Answer::Yes, Answer::No};
    EXPECT_FALSE(PasteTo(context, theirs.path()));
    EXPECT_EQ(prompt.asked()[prompt.asked().size() - 2],
              "Copy file:\"a.txt\" to folder:\"" + theirs.path() + "/\"?");
    EXPECT_EQ(readFile(theirs.file("a.txt")), "mine, changed");
    prompt.answers = {Answer::Yes, Answer::Yes};
    EXPECT_TRUE(PasteTo(context, theirs.path()));
    EXPECT_EQ(readFile(theirs.file("a.txt")), std::string(70000, 'a'));
    expectCatalogued(theirs.path() + "/");

    // FTP to FTP is refused before any transfer.
    prompt.answers = {Answer::Yes};
    EXPECT_FALSE(PasteTo(context, site() + "again\\"));
    EXPECT_EQ(prompt.told().back(), kFtpToFtpText);
}

// Delete: local files go to the trash, FTP files are removed; a file that cannot be deleted
// keeps its record.
TEST_F(Files, DeleteTrashesLocalFilesAndKeepsTheRecordsOfWhatStays) {
    writeFile(folder->local("x.txt"), "x");
    writeFile(folder->local("y.txt"), "y");
    catalogue(site());
    // A session logged in anonymously: it may read, not delete.
    test::ScriptedDialogs readerDialogs;
    FtpSession reader{client, prompt, readerDialogs, settings};
    reader.addSessionLogin(server->host, "anonymous", "");
    services.ftp = &reader;
    select(local(), {"a.txt", "b.bin", "c d.txt"});
    for (const Rec& r : recordsIn(site())) test::appendRecord(catalog, kSelectionList, r);
    prompt.answers = {Answer::Ok};
    ASSERT_TRUE(DeleteSelected(context));
    EXPECT_EQ(prompt.asked().front(), "Delete these 5 Files?");
    EXPECT_EQ(prompt.told(), std::vector<std::string>{kDeleteErrorsText});
    for (const char* name : {"a.txt", "b.bin", "c d.txt"}) {
        EXPECT_FALSE(fileExists(mine.file(name)));
        EXPECT_TRUE(fileExists(data.path() + "/Trash/files/" + name)) << name;
        EXPECT_NE(readFile(data.path() + "/Trash/info/" + name + ".trashinfo")
                      .find("Path=" + mine.path() + "/"),
                  std::string::npos);
    }
    EXPECT_TRUE(recordsIn(local()).empty());
    EXPECT_EQ(recordsIn(site()).size(), 2u);  // still on the server: still in the catalog
    EXPECT_EQ(catalog.recordCount(kSelectionList), 0);
    expectCatalogued(site());
}

// Rename moves first and changes the catalog only when the move worked; an existing file
// of the new name is replaced only after Yes.
TEST_F(Files, RenameNeverReplacesSilentlyAndChangesTheCatalogOnlyAfterAMove) {
    select(local(), {"a.txt"});
    prompt.texts = {std::string("b.bin")};
    prompt.answers = {Answer::No};
    EXPECT_FALSE(RenameSelected(context));
    EXPECT_EQ(prompt.asked().back(), "\"" + mine.file("b.bin") + "\" exists already. Replace it?");
    EXPECT_EQ(readFile(mine.file("a.txt")), std::string(70000, 'a'));
    EXPECT_EQ(readFile(mine.file("b.bin")), std::string(70000, 'b'));
    EXPECT_EQ(recordsIn(local()).size(), 3u);

    for (const char* bad : {"", "..", "a/b"}) {
        prompt.texts = {std::string(bad)};
        EXPECT_FALSE(RenameSelected(context)) << bad;
    }
    EXPECT_TRUE(fileExists(mine.file("a.txt")));

    prompt.texts = {std::string("renamed.txt")};
    ASSERT_TRUE(RenameSelected(context));
    EXPECT_TRUE(fileExists(mine.file("renamed.txt")));
    expectCatalogued(local());
    EXPECT_EQ(recordsIn(local())[2].name, "renamed.txt");

    // The full-path rename of a file that vanished fails and leaves the catalog as it was.
    const std::vector<Rec> before = recordsIn(local());
    fs::remove(mine.file("c d.txt"));
    const int view = kMasterList;
    int32_t focus = -1;
    for (int32_t i = 0; i < catalog.recordCount(view); ++i)
        if (std::string(catalog.recordName(view, i)) == "c d.txt") focus = i;
    prompt.texts = {mine.file("elsewhere.txt")};
    EXPECT_FALSE(RenameFocused(context, view, focus));
    EXPECT_EQ(recordsIn(local()), before);
    EXPECT_NE(prompt.told().back().find("Cannot rename"), std::string::npos);

    // On the server, after the same question.
    catalogue(site());
    writeFile(folder->local("one"), "1");
    writeFile(folder->local("two"), "2");
    catalogue(site());
    select(site(), {"one"});
    prompt.texts = {std::string("two")};
    prompt.answers = {Answer::No};
    EXPECT_FALSE(RenameSelected(context));
    EXPECT_EQ(readFile(folder->local("two")), "2");
    prompt.texts = {std::string("three")};
    ASSERT_TRUE(RenameSelected(context));
    EXPECT_EQ(readFile(folder->local("three")), "1");
    expectCatalogued(site());
}

TEST_F(Files, CopyUrlsGivesFullNamesAndUrlsOnLinesOfTheirOwn) {
    writeFile(folder->local("x y.txt"), "x");
    catalogue(site());
    select(local(), {"a.txt", "b.bin"});
    for (const Rec& r : recordsIn(site())) test::appendRecord(catalog, kSelectionList, r);
    EXPECT_EQ(CopyUrlsText(catalog), mine.file("a.txt") + "\r\n" + mine.file("b.bin") + "\r\n" +
                                         folder->url(server->host, "x y.txt"));
    bool skipped = false;
    EXPECT_EQ(menuFiles(catalog, skipped),
              (std::vector<std::string>{mine.file("a.txt"), mine.file("b.bin")}));
    EXPECT_TRUE(skipped);
}

}  // namespace
}  // namespace varnel
