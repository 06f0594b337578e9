#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "scan/scanpaths.h"
#include "scantree.h"
#include "support/remotedoubles.h"

namespace varnel {
namespace {

using test::fileTimeOf;
using test::makeFile;
using test::makeFolder;
using test::namesOf;
using test::Rec;
using test::recordsIn;

// root/a.txt, root/b.txt, root/sub/c.txt, root/sub/deeper/d.bin and an empty folder, each
// file with its own time so the expected order is known.
struct SmallTree : test::ScanFixture {
    std::string root = path("root/");
    SmallTree() {
        makeFolder(root + "sub/deeper");
        makeFolder(root + "empty");
        makeFile(root + "a.txt", 10, 1000);
        makeFile(root + "b.txt", 20, 3000);
        makeFile(root + "sub/c.txt", 30, 2000);
        makeFile(root + "sub/deeper/d.bin", 40, 4000);
    }
};

TEST(FolderScan, FirstScanCataloguesNewestFirstAndAnUnchangedRescanChangesNothing) {
    SmallTree t;
    const int32_t generation = t.catalog.generation();
    const ScanSummary s = t.scan(t.root);
    EXPECT_EQ(t.records(), (std::vector<Rec>{
                               {t.root + "sub/deeper/", "d.bin", "", fileTimeOf(4000), 40},
                               {t.root, "b.txt", "", fileTimeOf(3000), 20},
                               {t.root + "sub/", "c.txt", "", fileTimeOf(2000), 30},
                               {t.root, "a.txt", "", fileTimeOf(1000), 10},
                           }));
    EXPECT_GT(t.catalog.generation(), generation);
    EXPECT_EQ(s.foldersWalked, 4);
    EXPECT_EQ(s.newFiles, 4);
    EXPECT_EQ(s.changedFiles + s.removedFiles + s.unreadableFolders + s.skippedLongPaths, 0);
    EXPECT_EQ(t.scanned, std::vector<std::string>{t.root});
    // Unchanged, rescanned through a root typed without its separator: the list, its order,
    // the generation and the string pools stay as they were.
    const auto before = t.records();
    const int32_t scanned = t.catalog.generation();
    const uint32_t names = t.catalog.namePool().used, folders = t.catalog.folderPool().used;
    const ScanSummary again = t.scan(t.path("root"));
    EXPECT_EQ(t.records(), before);
    EXPECT_EQ(t.catalog.generation(), scanned);
    EXPECT_EQ(t.catalog.namePool().used + t.catalog.folderPool().used, names + folders);
    EXPECT_EQ(again.newFiles + again.changedFiles + again.removedFiles, 0);
    EXPECT_EQ(again.foldersWalked, 4);
    EXPECT_EQ(t.scanned.size(), 1u);
}

TEST(FolderScan, ChangedFileMovesToTheFrontWithItsNote) {
    SmallTree t;
    t.scan(t.root);
    std::strcpy(t.catalog.recordNote(kMasterList, 2), "keep me");  // c.txt
    t.catalog.flushPendingStrings();
    makeFile(t.root + "sub/c.txt", 31, 2000);  // same time, other size
    const ScanSummary s = t.scan(t.root);
    EXPECT_EQ(namesOf(t.records()), (std::vector<std::string>{"c.txt", "d.bin", "b.txt", "a.txt"}));
    EXPECT_EQ(t.records()[0], (Rec{t.root + "sub/", "c.txt", "keep me", fileTimeOf(2000), 31}));
    EXPECT_EQ(s.changedFiles, 1);
    EXPECT_EQ(s.newFiles + s.removedFiles, 0);
    // A new time alone is a change too.
    makeFile(t.root + "a.txt", 10, 1001);
    t.scan(t.root);
    EXPECT_EQ(namesOf(t.records()), (std::vector<std::string>{"a.txt", "c.txt", "d.bin", "b.txt"}));
}

TEST(FolderScan, VanishedFilesGoButARootThatCannotBeListedKeepsItsRecords) {
    SmallTree t;
    t.scan(t.root);
    ::unlink((t.root + "a.txt").c_str());
    std::filesystem::remove_all(t.root + "sub");
    ScanSummary s = t.scan(t.root);
    EXPECT_EQ(namesOf(t.records()), std::vector<std::string>{"b.txt"});
    EXPECT_EQ(s.removedFiles, 3);

    const int32_t generation = t.catalog.generation();
    std::filesystem::rename(t.path("root"), t.path("moved"));
    s = t.scan(t.root);
    EXPECT_EQ(namesOf(t.records()), std::vector<std::string>{"b.txt"});
    EXPECT_EQ(t.catalog.generation(), generation);
    EXPECT_EQ(s.unreadableFolders, 1);
    EXPECT_EQ(s.foldersWalked, 0);
}

TEST(FolderScan, ExclusionsAreNotWalkedAndTheirRecordsGoEverywhere) {
    SmallTree t;
    t.scan(t.root);
    test::appendRecords(t.catalog, kMasterList, {{"/elsewhere/sub/", "x", "", 1, 1}});
    makeFile(t.root + "sub/new.txt", 1, 5000);
    const ScanSummary s = t.scan(t.root, t.root + "sub/,/elsewhere/");
    EXPECT_EQ(namesOf(t.records()), (std::vector<std::string>{"b.txt", "a.txt"}));
    EXPECT_EQ(s.newFiles, 0);
    EXPECT_EQ(s.removedFiles, 3);
}

TEST(FolderScan, TrashFoldersArePassedOverUnlessTheyAreTheRoot) {
    test::ScanFixture t;
    const std::string root = t.path("home/");
    for (const char* folder :
         {".Trash-1000", ".Trash", ".local/share/Trash/files", ".Trash-me", "Trash"}) {
        makeFolder(root + folder);
        makeFile(root + folder + "/f", 1, 100);
    }
    t.scan(root);
    std::vector<std::string> folders;
    for (const Rec& r : t.records()) folders.push_back(r.folder);
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{root + ".Trash-me/", root + "Trash/"}));
    t.scan(root + ".Trash-1000/");
    EXPECT_EQ(recordsIn(t.records(), root + ".Trash-1000/").size(), 1u);
}

TEST(FolderScan, PseudoFileSystemMountPointsArePassedOver) {
    const PassOverRules rules(
        parseMountTable("proc /proc proc rw 0 0\n"
                        "sysfs /sys sysfs rw 0 0\n"
                        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
                        "devpts /dev/pts devpts rw 0 0\n"
                        "tmpfs /run tmpfs rw 0 0\n"
                        "tmpfs /run/user/1000 tmpfs rw 0 0\n"
                        "tmpfs /tmp tmpfs rw 0 0\n"
                        "/dev/sda1 / ext4 rw 0 0\n"
                        "/dev/sdb1 /mnt/my\\040disk ext4 rw 0 0\n"
                        "proc /mnt/odd\\040proc proc rw 0 0\n"
                        "garbage-without-fields\n"
                        "none relative proc rw 0 0"));
    for (const char* skipped : {"/proc/", "/sys/", "/sys/fs/cgroup/", "/dev/pts/", "/run/",
                                "/run/user/1000/", "/mnt/odd proc/"})
        EXPECT_TRUE(rules.passOver(skipped)) << skipped;
    for (const char* walked :
         {"/", "/tmp/", "/mnt/my disk/", "/proc2/", "/home/proc/", "relative/"})
        EXPECT_FALSE(rules.passOver(walked)) << walked;
    // This machine's own table: /proc is always a proc mount.
    EXPECT_TRUE(PassOverRules::forThisSystem().passOver("/proc/"));
}

TEST(FolderScan, LinksAreFilesOnlyWhenTheyPointAtFilesAndFilesOf4GiBAreSkipped) {
    test::ScanFixture t;
    const std::string root = t.path("root/");
    makeFolder(root + "sub");
    makeFile(root + "target.txt", 5, 100);
    makeFile(root + "sub/inner.txt", 6, 200);
    ASSERT_EQ(::symlink("target.txt", (root + "link.txt").c_str()), 0);
    ASSERT_EQ(::symlink("sub", (root + "folderlink").c_str()), 0);
    ASSERT_EQ(::symlink(root.c_str(), (root + "sub/loop").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", (root + "dangling").c_str()), 0);
    ASSERT_EQ(::mkfifo((root + "pipe").c_str(), 0600), 0);
    // Files of 4 GiB or more are skipped and counted.
    makeFile(root + "just-fits", 0xFFFFFFFFull, 100);
    makeFile(root + "too-big", 0x100000000ull, 100);
    makeFile(root + "much-too-big", 0x100000005ull, 100);
    const ScanSummary s = t.scan(root);
    std::vector<Rec> all = t.records();
    std::sort(all.begin(), all.end(), [](const Rec& a, const Rec& b) { return a.name < b.name; });
    EXPECT_EQ(all, (std::vector<Rec>{{root + "sub/", "inner.txt", "", fileTimeOf(200), 6},
                                     {root, "just-fits", "", fileTimeOf(100), 0xFFFFFFFFu},
                                     {root, "link.txt", "", fileTimeOf(100), 5},
                                     {root, "target.txt", "", fileTimeOf(100), 5}}));
    EXPECT_EQ(s.foldersWalked, 2);
    EXPECT_EQ(s.skippedLargeFiles, 2);
}

TEST(FolderScan, PathsLongerThanAWorkingTextAreSkippedAndCountedNeverCut) {
    test::ScanFixture t;
    const std::string root = t.path("deep/");
    std::string folder = root;
    const std::string level(200, 'x');
    // Folders down to one whose path no longer fits; a file in each.
    while (folder.size() < kTextSize) {
        makeFolder(folder);
        makeFile(folder + "f", 1, 100);
        folder += level + "/";
    }
    makeFolder(folder);
    makeFile(folder + "f", 1, 100);
    // In the deepest folder that fits, a file whose full path does not.
    std::string fits = folder.substr(0, folder.size() - level.size() - 1);
    const std::string longName(kTextSize - fits.size(), 'n');
    makeFile(fits + longName, 1, 100);
    const ScanSummary s = t.scan(root);
    EXPECT_EQ(s.skippedLongPaths, 2);
    for (const Rec& r : t.records()) {
        EXPECT_LT(r.folder.size() + r.name.size(), kTextSize);
        EXPECT_EQ(r.name, "f");
        EXPECT_TRUE(std::filesystem::exists(r.folder + r.name)) << r.folder;
    }
    EXPECT_EQ(t.records().size(), (fits.size() - root.size()) / (level.size() + 1) + 1);
}

TEST(FolderScan, NamesThatDifferOnlyInLetterCaseAreDifferentFiles) {
    test::ScanFixture t;
    const std::string root = t.path("root/");
    makeFolder(root + "Docs");
    makeFolder(root + "docs");
    makeFile(root + "foo", 1, 100);
    makeFile(root + "FOO", 2, 200);
    makeFile(root + "Docs/x", 3, 300);
    makeFile(root + "docs/y", 4, 400);
    ASSERT_EQ(t.scan(root).newFiles, 4);
    ::unlink((root + "foo").c_str());
    EXPECT_EQ(t.scan(root).removedFiles, 1);
    EXPECT_EQ(recordsIn(t.records(), root),
              (std::vector<Rec>{{root, "FOO", "", fileTimeOf(200), 2}}));

    // Scanning one of two folders that differ in letter case leaves the other alone.
    ::unlink((root + "Docs/x").c_str());
    t.scan(root + "docs/");
    EXPECT_EQ(recordsIn(t.records(), root + "Docs/").size(), 1u);
}

// A bigger tree, scanned by two threads, against the plain expectation: every file once,
// newest first (every file has a time of its own).
TEST(FolderScan, ManyFoldersComeOutAsOneWalkWouldHaveThem) {
    test::ScanFixture t;
    const std::string root = t.path("many/");
    std::vector<Rec> expected;
    int64_t time = 1000000;
    for (int a = 0; a < 30; ++a)
        for (int b = 0; b < 10; ++b) {
            const std::string folder =
                root + "d" + std::to_string(a) + "/e" + std::to_string(b) + "/";
            makeFolder(folder);
            for (int f = 0; f < 20; ++f) {
                const std::string name = "f \xff" + std::to_string(f);
                makeFile(folder + name, static_cast<uint64_t>(f), time);
                expected.push_back({folder, name, "", fileTimeOf(time), static_cast<uint32_t>(f)});
                time += 7;
            }
        }
    std::sort(expected.begin(), expected.end(),
              [](const Rec& x, const Rec& y) { return x.time > y.time; });
    const ScanSummary s = t.scan(root);
    EXPECT_EQ(s.foldersWalked, 1 + 30 + 300);
    EXPECT_EQ(t.records(), expected);
}

}  // namespace
}  // namespace varnel
