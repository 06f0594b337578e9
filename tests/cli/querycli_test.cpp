#include <gtest/gtest.h>

#include "support/process.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

test::ProcessResult cli(const std::vector<std::string>& args) {
    std::vector<std::string> argv{test::cliPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    return test::runProcess(argv);
}

// A small catalog made with `make`, then searched and edited the way a script would.
struct Cli {
    test::TempDir dir;
    std::string catalog = dir.file("c.fdb");
    Cli() {
        test::writeFile(dir.file("in.tsv"),
                        "/music/\tSong.MP3\t\t133000000000000000\t1\n"
                        "/music/\tb.wav\t\t1\t2\n"
                        "/docs/\tmp3-list.txt\tabout mp3\t1\t3\n"
                        "ftp:\\\\site\\pub\\\tx.zip\t\t2\t4\n");
        EXPECT_EQ(cli({"-d", catalog, "make", dir.file("in.tsv")}).exitCode, 0);
    }
    std::string run(const std::vector<std::string>& args) {
        std::vector<std::string> all{"-d", catalog};
        all.insert(all.end(), args.begin(), args.end());
        test::ProcessResult r = cli(all);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    }
};

TEST(CliQuery, ListingCommands) {
    Cli c;
    EXPECT_EQ(c.run({"find", "mp3", "--count"}), "2\n");
    EXPECT_EQ(c.run({"find", "*.mp3"}), "/music/\tSong.MP3\t\t133000000000000000\t1\n");
    EXPECT_EQ(c.run({"ls", "/music", "--count"}), "2\n");
    EXPECT_EQ(c.run({"search", "--types", "*.zip,*.wav", "--count"}), "2\n");
    EXPECT_EQ(c.run({"search", "--folder", "/MUSIC/", "--from", "2020-01-01", "--to", "2040-01-01",
                     "--count"}),
              "1\n");
    EXPECT_EQ(c.run({"run", "2", "--count"}), "2\n");
    EXPECT_NE(c.run({"searches"}).find("2\tMusic files\t*.mp3,*.wav\t"), std::string::npos);
    EXPECT_NE(cli({"-d", c.catalog, "run", "9"}).exitCode, 0);
    EXPECT_NE(
        cli({"-d", c.catalog, "search", "--from", "yesterday", "--to", "2020-01-01"}).exitCode, 0);
}

TEST(CliQuery, KeepDropImportExport) {
    Cli c;
    test::writeFile(c.dir.file("paths.txt"), "/music/b.wav\n/docs/mp3-list.txt\n/not/there\n");
    test::ProcessResult dropped = cli({"-d", c.catalog, "drop", c.dir.file("paths.txt")});
    EXPECT_EQ(dropped.exitCode, 0) << dropped.err;
    EXPECT_NE(dropped.err.find("1 listed files are not in the catalog"), std::string::npos);
    EXPECT_EQ(c.run({"info"}).find("records:      2") != std::string::npos, true);
    test::writeFile(c.dir.file("keep.txt"), "ftp:\\\\site\\pub\\x.zip\n");
    c.run({"keep", c.dir.file("keep.txt")});
    EXPECT_EQ(c.run({"dump"}), "ftp:\\\\site\\pub\\\tx.zip\t\t2\t4\n");

    // Another catalog with the same site listed anew, and a local file.
    test::writeFile(c.dir.file("other.tsv"),
                    "ftp:\\\\site\\pub\\\ty.zip\t\t5\t5\n/local/\tl.txt\t\t1\t1\n");
    ASSERT_EQ(cli({"-d", c.dir.file("other.fdb"), "make", c.dir.file("other.tsv")}).exitCode, 0);
    c.run({"import", c.dir.file("other.fdb")});
    EXPECT_EQ(c.run({"dump"}), "ftp:\\\\site\\pub\\\ty.zip\t\t5\t5\n");
    EXPECT_NE(cli({"-d", c.catalog, "import", c.dir.file("missing.fdb")}).exitCode, 0);
}

}  // namespace
}  // namespace varnel
