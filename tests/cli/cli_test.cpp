#include <gtest/gtest.h>

#include <random>

#include "cli/dumpformat.h"
#include "support/process.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

using test::runProcess;

test::ProcessResult cli(const std::vector<std::string>& args) {
    std::vector<std::string> argv{test::cliPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv);
}

// A random text of any bytes but NUL, with tabs, newlines, backslashes and escape look-alikes.
std::string randomText(std::mt19937& rng, int maxLength) {
    static const char* pieces[] = {"\\",   "\\x41",    "\\x", "\t", "\n", "\x7f",
                                   "\x01", "\xc3\xa9", "a",   "Z",  " "};
    std::string text;
    for (int n = static_cast<int>(rng() % static_cast<uint32_t>(maxLength)); n > 0; --n) {
        if (rng() % 3 == 0)
            text += pieces[rng() % 11];
        else
            text += static_cast<char>(1 + rng() % 255);
    }
    return text;
}

TEST(DumpFormat, EscapesRoundTripAnyText) {
    std::mt19937 rng(5);
    for (int k = 0; k < 2000; ++k) {
        std::string text = randomText(rng, 40);
        std::string escaped = escapeDumpField(text);
        EXPECT_EQ(escaped.find_first_of("\t\n\r"), std::string::npos);
        EXPECT_EQ(unescapeDumpField(escaped), text);
    }
    EXPECT_EQ(escapeDumpField("C:\\Music\\"), "C:\\Music\\");  // plain backslashes stay readable
    EXPECT_EQ(escapeDumpField("a\\x41"), "a\\x5Cx41");
}

TEST(DumpFormat, RejectsMalformedLines) {
    std::string why;
    EXPECT_FALSE(parseDumpLine("only\ttwo", why));
    EXPECT_NE(why.find("5"), std::string::npos);
    EXPECT_FALSE(parseDumpLine("/\tn\t\tnot-a-number\t1", why));
    EXPECT_FALSE(parseDumpLine("/\tn\t\t1\t4294967296", why));  // beyond 32 bits
    EXPECT_FALSE(parseDumpLine("/\tn\\x00\t\t1\t1", why));      // catalog texts hold no NUL
    auto ok = parseDumpLine("/a/\tb\tc\t18446744073709551615\t4294967295", why);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->time, UINT64_MAX);
    EXPECT_EQ(ok->size, UINT32_MAX);
}

// make then dump gives back exactly the lines it was given.
TEST(CliCatalog, MakeThenDumpRoundTrips100kRecords) {
    test::TempDir dir;
    std::mt19937 rng(77);
    std::string input;
    for (int k = 0; k < 100000; ++k) {
        DumpRecord r;
        r.folder = "/f" + std::to_string(k % 997) + "/" + randomText(rng, 12) + "/";
        r.name = randomText(rng, 20) + "#" + std::to_string(k);
        r.note = rng() % 10 == 0 ? randomText(rng, 30) : "";
        if (r.note.find('|') != std::string::npos) r.note.clear();  // a note ends at '|'
        r.time = (uint64_t{rng()} << 32) | rng();
        r.size = rng();
        input += formatDumpLine(r) + "\n";
    }
    test::writeFile(dir.file("in.tsv"), input);
    auto made = cli({"-d", dir.file("c.fdb"), "make", dir.file("in.tsv")});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    auto dumped = cli({"-d", dir.file("c.fdb"), "dump"});
    ASSERT_EQ(dumped.exitCode, 0) << dumped.err;
    EXPECT_TRUE(dumped.out == input) << "dump differs from the input";
    auto checked = cli({"-d", dir.file("c.fdb"), "check"});
    EXPECT_EQ(checked.exitCode, 0);
    EXPECT_NE(checked.out.find("100000 records"), std::string::npos);
}

TEST(CliCatalog, InfoCheckAndErrors) {
    test::TempDir dir;
    test::writeFile(dir.file("in.tsv"),
                    "/a/\tx\t\t1\t10\n/a/\ty\t\t2\t4294967295\n/b/\tz\t\t3\t1\n");
    ASSERT_EQ(cli({"-d", dir.file("c.fdb"), "make", dir.file("in.tsv")}).exitCode, 0);
    auto info = cli({"-d", dir.file("c.fdb"), "info"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("records:      3"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("folders:      2"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("total size:   4294967306 bytes"), std::string::npos) << info.out;

    std::string bytes = test::readFile(dir.file("c.fdb"));
    test::writeFile(dir.file("cut.fdb"), bytes.substr(0, bytes.size() / 2));
    auto cut = cli({"-d", dir.file("cut.fdb"), "check"});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_NE(cut.err.find("cut.fdb: "), std::string::npos) << cut.err;
    auto opened = cli({"-d", dir.file("cut.fdb"), "info"});
    EXPECT_NE(opened.exitCode, 0);
    EXPECT_NE(opened.err.find("File Can't be opened"), std::string::npos) << opened.err;

    test::writeFile(dir.file("bad.tsv"), "/a/\tx\t\t1\t10\nbroken line\n");
    auto bad = cli({"-d", dir.file("d.fdb"), "make", dir.file("bad.tsv")});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_NE(bad.err.find("bad.tsv:2:"), std::string::npos) << bad.err;
    EXPECT_FALSE(test::fileExists(dir.file("d.fdb")));

    EXPECT_EQ(cli({"frobnicate"}).exitCode, 2);
    auto help = cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command : {"info", "dump", "check", "make"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
}

}  // namespace
}  // namespace varnel
