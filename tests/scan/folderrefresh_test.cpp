#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "remote/listingcache.h"
#include "scan/folderrefresh.h"
#include "scantree.h"
#include "support/ftpsessionrig.h"

namespace varnel {
namespace {

using test::fileTimeOf;
using test::makeFile;
using test::makeFolder;
using test::Rec;
using test::recordsIn;

// docs/ with files, docs/sub/ and docs/old/ (each with a file, old/ also deeper), scanned.
struct Docs : test::ScanFixture {
    std::string docs = path("docs/");
    Docs() {
        makeFolder(docs + "sub");
        makeFolder(docs + "old/deeper");
        makeFile(docs + "a", 1, 100);
        makeFile(docs + "sub/b", 2, 200);
        makeFile(docs + "old/c", 3, 300);
        makeFile(docs + "old/deeper/d", 4, 400);
        scan(docs);
    }
    int refresh(const std::string& folders, int live = 0) {
        return refreshFolders(services, folders.c_str(), kSingleFolder, live);
    }
};

TEST(FolderRefresh, UnchangedChangesNothingAndANewFileGoesFirstOneLevelOnly) {
    Docs t;
    const int32_t generation = t.catalog.generation();
    const auto before = t.records();
    EXPECT_EQ(t.refresh(t.docs), 1);
    EXPECT_EQ(t.records(), before);
    EXPECT_EQ(t.catalog.generation(), generation);
    makeFile(t.docs + "new", 5, 50);          // older than everything: still goes first
    makeFile(t.docs + "sub/unseen", 6, 600);  // below the folder: not looked at
    makeFile(t.docs + "sub/b", 7, 700);
    EXPECT_EQ(t.refresh(t.docs), 1);
    auto after = t.records();
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after[0], (Rec{t.docs, "new", "", fileTimeOf(50), 5}));
    after.erase(after.begin());
    EXPECT_EQ(after, before);
}

TEST(FolderRefresh, VanishedSubfoldersTakeTheirRecordsAndThoseBelowTheLastOneToo) {
    Docs t;
    std::filesystem::remove_all(t.docs + "old");
    ::unlink((t.docs + "a").c_str());
    EXPECT_EQ(t.refresh(t.docs), 1);
    EXPECT_EQ(t.records(), (std::vector<Rec>{{t.docs + "sub/", "b", "", fileTimeOf(200), 2}}));
    std::filesystem::remove_all(t.docs + "sub");
    makeFile(t.docs + "n", 1, 100);
    EXPECT_EQ(t.refresh(t.docs), 1);
    EXPECT_EQ(t.records(), (std::vector<Rec>{{t.docs, "n", "", fileTimeOf(100), 1}}));
}

TEST(FolderRefresh, FolderThatCannotBeReadKeepsEverythingBelowIt) {
    Docs t;
    const auto before = t.records();
    const int32_t generation = t.catalog.generation();
    std::filesystem::rename(t.path("docs"), t.path("gone"));
    EXPECT_EQ(t.refresh(t.docs), 0);
    EXPECT_EQ(t.records(), before);
    EXPECT_EQ(t.catalog.generation(), generation);

    // With a readable folder beside it, only the readable one is brought up to date.
    std::filesystem::rename(t.path("gone"), t.path("docs"));
    makeFolder(t.path("other"));
    makeFile(t.path("other/x"), 1, 1);
    t.scan(t.path("other/"));
    std::filesystem::remove_all(t.path("other"));
    std::filesystem::remove_all(t.docs + "old");
    const std::string both =
        t.docs + std::string("\0", 1) + t.path("other/") + std::string("\0", 1);
    EXPECT_EQ(refreshFolders(t.services, both.data(), static_cast<ptrdiff_t>(both.size()), 0), 0);
    EXPECT_TRUE(recordsIn(t.records(), t.docs + "old/").empty());
    EXPECT_EQ(recordsIn(t.records(), t.path("other/")).size(), 1u);
}

// An FTP folder refreshed from the listing cache, with its mirror folder beside, and an
// FTP session whose login dialog records each time it is shown.
struct CachedSite : test::ScanFixture {
    ListingCache cache;
    test::FtpSessionRig ftp;
    std::string program = path("program");
    std::string site = "ftp:\\\\example.org\\pub\\";
    std::string mirror = program + "/Ftp/example.org/pub/";
    CachedSite() {
        makeFolder(program);
        services.programDir = program;
        services.listingCache = &cache;
        services.ftp = &ftp.session;
    }
    void list(std::vector<FtpEntry> entries) {
        ASSERT_TRUE(cache.append("ftp://example.org/pub/", entries));
    }
};

TEST(FolderRefresh, FtpFolderComesFromTheCacheOnlyAndKeepsItsMirrorInStep) {
    CachedSite t;
    test::appendRecords(t.catalog, kMasterList,
                        {{t.site, "old.txt", "", 5, 5}, {t.site + "gone\\", "x", "", 1, 1}});
    const auto before = t.records();
    EXPECT_EQ(refreshFolders(t.services, t.site.c_str(), kSingleFolder, 0), 0);  // not cached
    EXPECT_EQ(t.records(), before);
    makeFolder(t.mirror + "gone");
    makeFolder(t.mirror + "stays");
    makeFile(t.mirror + "preview-copy.jpg", 10, 1);
    makeFile(t.path("keep-me"), 1, 1);
    ASSERT_EQ(::symlink(t.path().c_str(), (t.mirror + "stays-link").c_str()), 0);
    t.list({{"stays", true, 0, 0}, {"new.txt", false, 7, 777}, {"old.txt", false, 5, 5}});
    EXPECT_EQ(refreshFolders(t.services, t.site.c_str(), kSingleFolder, 0), 1);
    EXPECT_EQ(t.records(),
              (std::vector<Rec>{{t.site, "new.txt", "", 777, 7}, {t.site, "old.txt", "", 5, 5}}));
    EXPECT_EQ(test::namesInFolder(t.mirror), std::vector<std::string>{"stays"});
    EXPECT_TRUE(std::filesystem::exists(t.path("keep-me")));  // the link was not followed
    // The cache needs no server: no login dialog, whatever the session knows.
    EXPECT_TRUE(t.ftp.dialogs.shown.empty());
}

}  // namespace
}  // namespace varnel
