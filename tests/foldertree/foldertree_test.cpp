// The folder tree's logic on real folders: listing, refreshing an item's children, and the
// walk of SelectPath.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include "foldertree/folderlist.h"
#include "foldertree/selectpath.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

using Folders = std::vector<TreeFolder>;

TEST(FolderList, FoldersOnlySortedByTheCaseFoldWithTheirSubfolderState) {
    test::TempDir dir;
    for (const char* f : {"b", "A", ".hidden", "A/inner", "_x", "Z"})
        ASSERT_EQ(::mkdir(dir.file(f).c_str(), 0755), 0);
    test::writeFile(dir.file("file.txt"), "x");
    ASSERT_EQ(::symlink(dir.file("b").c_str(), dir.file("link").c_str()), 0);
    EXPECT_EQ(listSubfolders(dir.path() + "/"),
              (Folders{{".hidden", false}, {"_x", false}, {"A", true}, {"b", false}, {"Z", false}}));
    EXPECT_TRUE(listSubfolders(dir.file("missing/")).empty());

    // One entry that cannot be examined is passed over; the folders after it still show.
    const EntryExaminer failOnA = [](int fd, const char* name, struct stat& st) {
        return std::string(name) != "A" && ::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0;
    };
    EXPECT_EQ(listSubfolders(dir.path() + "/", failOnA),
              (Folders{{".hidden", false}, {"_x", false}, {"b", false}, {"Z", false}}));
}

TEST(FolderList, RefreshKeepsMatchingChildrenAndPlacesNewOnesInOrder) {
    const Folders shown = {{"a", false}, {"b", true}, {"c", false}, {"d", false}};
    // b gained no folder but lost its subfolders: a new item; c went; a2 and e came.
    const Folders fresh = {{"a", false}, {"a2", false}, {"b", false}, {"d", false}, {"e", true}};
    const ChildUpdate u = updateChildren(shown, fresh);
    EXPECT_EQ(u.removed, (std::vector<size_t>{2, 1}));
    ASSERT_EQ(u.added.size(), 3u);
    EXPECT_EQ(u.added[0], (std::pair<size_t, TreeFolder>{1, {"a2", false}}));
    EXPECT_EQ(u.added[1], (std::pair<size_t, TreeFolder>{2, {"b", false}}));
    EXPECT_EQ(u.added[2], (std::pair<size_t, TreeFolder>{4, {"e", true}}));
    // Two siblings of one name with different states are both kept.
    const Folders twins = {{"x", false}, {"x", true}};
    const ChildUpdate same = updateChildren(twins, twins);
    EXPECT_TRUE(same.removed.empty());
    EXPECT_TRUE(same.added.empty());
}

TEST(SelectPath, PrefixesEndAtWholeLevelsAndFollowTheIdentityRule) {
    EXPECT_TRUE(isFolderPrefix("/home/ann/Music/x/", "/home/ann/Music/"));
    EXPECT_TRUE(isFolderPrefix("/home/ann/Music/x/", "/home/ann/Music"));
    EXPECT_FALSE(isFolderPrefix("/home/ann/Music/", "/home/ann/Mus"));
    EXPECT_FALSE(isFolderPrefix("/home/ann/Music/", "/home/ann/music/"));  // local: case counts
    EXPECT_TRUE(isFolderPrefix("/anything/", "/"));
    EXPECT_TRUE(isFolderPrefix("ftp:\\\\Host\\Pub\\", "FTP:\\\\host\\"));

    const std::vector<std::string> roots = {"/", "/home/ann/", "/home/an/", "/mnt/data/"};
    EXPECT_EQ(deepestRoot(roots, "/home/ann/Music/"), 1);
    EXPECT_EQ(deepestRoot(roots, "/home/annex/"), 0);
    EXPECT_EQ(deepestRoot({"/home/ann/"}, "/etc/"), -1);
    EXPECT_EQ(levelsBelow("/home/ann/", "/home/ann/Music/Live/"),
              (std::vector<std::string>{"Music", "Live"}));
    EXPECT_EQ(levelsBelow("/", "/etc/"), (std::vector<std::string>{"etc"}));
}

TEST(SelectPath, MissingLevelsFallBackToTheNearestExistingFolder) {
    test::TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("a").c_str(), 0755), 0);
    const auto isFolder = [](const std::string& p) {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    };
    PathTarget t = resolvePath(dir.file("a"), isFolder);
    EXPECT_TRUE(t.notFound.empty());
    EXPECT_EQ(t.folder, dir.file("a/"));

    t = resolvePath(dir.file("a/b/c/"), isFolder);
    EXPECT_EQ(t.notFound, std::vector<std::string>{dir.file("a/b/c/")});
    EXPECT_EQ(t.folder, dir.file("a/"));

    t = resolvePath("nowhere/at/all", isFolder);  // nothing left to cut back to
    EXPECT_EQ(t.notFound, (std::vector<std::string>{"nowhere/at/all", "nowhere/"}));
    EXPECT_EQ(t.folder, "");
}

}  // namespace
}  // namespace varnel
