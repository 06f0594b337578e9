#include "remote/mirrorpaths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/tables.h"
#include "remote/ftpnames.h"
#include "support/catalogbuilder.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(MirrorPaths, MapNamesKeepingTheirCaseAndRefuseEscapes) {
    std::string path;
    ASSERT_TRUE(MirrorPathOf("/opt/v", "ftp:\\\\host\\pub\\", path));
    EXPECT_EQ(path, "/opt/v/Ftp/host/pub/");
    ASSERT_TRUE(MirrorPathOf("/opt/v", "FTP:\\\\Host\\Dir\\", path));
    EXPECT_EQ(path, "/opt/v/Ftp/Host/Dir/");
    ASSERT_TRUE(MirrorPathOf("/opt/v", "ftp:\\\\host", path));
    EXPECT_EQ(path, "/opt/v/Ftp/host");
    for (const char* name :
         {"ftp:\\\\host\\..\\..\\etc\\", "ftp:\\\\..\\x\\", "ftp:\\\\h\\.\\", "ftp:\\\\h\\\\x\\",
          "ftp:\\\\h\\a/b\\", "ftp:\\\\", "ftp:\\\\\\x", "c:\\music\\", "ftp:host"})
        EXPECT_FALSE(MirrorPathOf("/opt/v", name, path)) << name;
}

TEST(MirrorPaths, MakesEveryLevelAndStopsAtAPlainFile) {
    TempDir dir;
    std::string path;
    ASSERT_TRUE(MakeMirrorFolders(dir.path(), "ftp:\\\\h\\a\\b\\", path));
    EXPECT_EQ(path, dir.path() + "/Ftp/h/a/b/");
    EXPECT_TRUE(fs::is_directory(dir.file("Ftp/h/a/b")));
    // Again, with everything there already.
    ASSERT_TRUE(MakeMirrorFolders(dir.path(), "ftp:\\\\h\\a\\b", path));
    EXPECT_EQ(path, dir.path() + "/Ftp/h/a/b/");

    test::writeFile(dir.file("Ftp/g"), "a file where a host folder belongs");
    EXPECT_FALSE(MakeMirrorFolders(dir.path(), "ftp:\\\\g\\a\\b\\", path));
    EXPECT_TRUE(fs::is_regular_file(dir.file("Ftp/g")));
    EXPECT_FALSE(fs::exists(dir.file("Ftp/g/a")));
}

TEST(MirrorPaths, RegisteringMakesTheCataloguedChildrenOfEveryLevel) {
    TempDir dir;
    Catalog catalog(64);
    test::appendRecords(catalog, kMasterList,
                        {{"ftp:\\\\h\\a\\x\\", "f1", ""},
                         {"FTP:\\\\H\\a\\y\\deep\\", "f2", ""},
                         {"ftp:\\\\h\\top\\", "f3", ""},
                         {"ftp:\\\\other\\a\\z\\", "f4", ""},
                         {"/home/u/", "f5", ""}});
    std::string path;
    ASSERT_TRUE(MakeMirrorFoldersAndRegister(dir.path(), catalog, "ftp:\\\\h\\a\\", path));
    for (const char* made : {"Ftp/h/a", "Ftp/h/a/x", "Ftp/H/a/y", "Ftp/h/top"})
        EXPECT_TRUE(fs::is_directory(dir.file(made))) << made;
    // One level below each walked level only, and nothing of another host.
    EXPECT_FALSE(fs::exists(dir.file("Ftp/H/a/y/deep")));
    EXPECT_FALSE(fs::exists(dir.file("Ftp/other")));

    EXPECT_TRUE(MakeChildMirrorFolders(dir.path(), catalog, "ftp:\\\\other\\"));
    EXPECT_TRUE(fs::is_directory(dir.file("Ftp/other/a")));
    EXPECT_FALSE(MakeChildMirrorFolders(dir.path(), catalog, "ftp:\\\\nobody\\"));
    EXPECT_FALSE(MakeChildMirrorFolders(dir.path(), catalog, "ftp:\\\\"));
}

TEST(MirrorPaths, TreePathsMapBackToTheNamesThatMadeThem) {
    TempDir dir;
    for (const char* name : {"ftp:\\\\h\\pub\\", "ftp:\\\\h\\", "FTP:\\\\Host\\Dir\\x y\\"}) {
        std::string path;
        ASSERT_TRUE(MakeMirrorFolders(dir.path(), name, path));
        path.pop_back();  // as the folder tree holds it
        std::string back = MirrorPathToFtpName(dir.path(), path, true);
        EXPECT_TRUE(equalIgnoringCase(back, name)) << back;
        EXPECT_EQ(back.substr(6), std::string(name).substr(6));
        EXPECT_EQ(MirrorPathToFtpName(dir.path(), path, false), back.substr(0, back.size() - 1));
    }
    EXPECT_EQ(MirrorPathToFtpName("/opt/v", "/opt/v/ftp/h", false), "ftp:\\\\h");
    // A folder named Ftp elsewhere, even at the same depth, is a local folder.
    EXPECT_EQ(MirrorPathToFtpName("/opt/v", "/opt/w/Ftp/h", true), "/opt/w/Ftp/h");
    EXPECT_EQ(MirrorPathToFtpName("/opt/v", "/home/u/Ftp/h", true), "/home/u/Ftp/h");
    EXPECT_EQ(MirrorPathToFtpName("/opt/v", "/opt/v/Ftp", true), "/opt/v/Ftp");
}

}  // namespace
}  // namespace varnel
