#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>

#include "cli/dumpformat.h"
#include "support/process.h"
#include "support/tempdir.h"
#include "support/timezone.h"

namespace varnel {
namespace {

test::ProcessResult cli(std::vector<std::string> args) {
    args.insert(args.begin(), test::cliPath());
    return test::runProcess(args);
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

// A small catalog made with `make`, then searched and edited the way a script would.
struct Cli {
    test::TempDir dir;
    std::string catalog = dir.file("c.fdb");
    Cli() {
        test::writeFile(dir.file("in.tsv"),
                        "/music/\tSong.MP3\t\t133000000000000000\t1\n"
                        "/music/\tb.wav\t\t1\t4294967295\n"
                        "/docs/\tmp3-list.txt\tabout mp3\t1\t3\n"
                        "ftp:\\\\site\\pub\\\tx.zip\t\t2\t4\n");
        EXPECT_EQ(cli({"-d", catalog, "make", dir.file("in.tsv")}).exitCode, 0);
    }
    std::string run(std::vector<std::string> args) {
        args.insert(args.begin(), {"-d", catalog});
        test::ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    }
};

TEST(CliCatalog, InfoCheckAndErrors) {
    Cli c;
    const std::string info = c.run({"info"});
    EXPECT_NE(info.find("records:      4"), std::string::npos) << info;
    EXPECT_NE(info.find("folders:      3"), std::string::npos) << info;
    EXPECT_NE(info.find("total size:   4294967303 bytes"), std::string::npos) << info;

    std::string bytes = test::readFile(c.catalog);
    test::writeFile(c.dir.file("cut.fdb"), bytes.substr(0, bytes.size() / 2));
    auto cut = cli({"-d", c.dir.file("cut.fdb"), "check"});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_NE(cut.err.find("cut.fdb: "), std::string::npos) << cut.err;
    auto opened = cli({"-d", c.dir.file("cut.fdb"), "info"});
    EXPECT_NE(opened.exitCode, 0);
    EXPECT_NE(opened.err.find("File Can't be opened"), std::string::npos) << opened.err;

    test::writeFile(c.dir.file("bad.tsv"), "/a/\tx\t\t1\t10\nbroken line\n");
    auto bad = cli({"-d", c.dir.file("d.fdb"), "make", c.dir.file("bad.tsv")});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_NE(bad.err.find("bad.tsv:2:"), std::string::npos) << bad.err;
    EXPECT_FALSE(test::fileExists(c.dir.file("d.fdb")));

    // A FIFO is refused at once, not read forever.
    ASSERT_EQ(::mkfifo(c.dir.file("fifo.fdb").c_str(), 0600), 0);
    auto fifo = cli({"-d", c.dir.file("fifo.fdb"), "check"});
    EXPECT_EQ(fifo.exitCode, 1);
    EXPECT_NE(fifo.err.find("not a file"), std::string::npos) << fifo.err;

    // A save that fails is an error, with the reason.
    test::ProcessResult unsaved;
    test::withFileSizeLimit(
        30000, [&] { unsaved = cli({"-d", c.dir.file("big.fdb"), "make", c.dir.file("in.tsv")}); });
    EXPECT_NE(unsaved.exitCode, 0);
    EXPECT_NE(unsaved.err.find("big.fdb"), std::string::npos) << unsaved.err;
    EXPECT_FALSE(test::fileExists(c.dir.file("big.fdb")));

    EXPECT_EQ(cli({"frobnicate"}).exitCode, 2);
    auto help = cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command : {"info", "dump", "check", "make"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
}

TEST(CliQuery, ListingCommands) {
    Cli c;
    EXPECT_EQ(c.run({"find", "mp3", "--count"}), "2\n");
    EXPECT_EQ(c.run({"find", "*.mp3"}), "/music/\tSong.MP3\t\t133000000000000000\t1\n");
    EXPECT_EQ(c.run({"ls", "/music", "--count"}), "2\n");
    // FTP folders as the address bar takes them: URLs, the site's root with or without "/".
    EXPECT_EQ(c.run({"find", "ftp://site/pub/", "--count"}), "1\n");
    EXPECT_EQ(c.run({"ls", "ftp://site/pub", "--count"}), "1\n");
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

// --from and --to are wall-clock times of the local time zone, as the search dialog's pickers:
// in New York, 10:00 is 15:00 UTC in January and 14:00 UTC in July.
TEST(CliQuery, RangeTimesAreLocalTimes) {
    test::TimeZoneScope newYork("America/New_York");
    test::TempDir dir;
    // A record named by its time.
    auto line = [](uint64_t time) {
        return "/f/\t" + std::to_string(time) + "\t\t" + std::to_string(time) + "\t1\n";
    };
    const uint64_t winterStart = test::utcFileTime(2024, 1, 15, 15, 0);
    const uint64_t summerEnd = test::utcFileTime(2024, 7, 15, 14, 0);
    const uint64_t second = 10000000;
    test::writeFile(dir.file("in.tsv"), line(winterStart - second) + line(winterStart) +
                                            line(summerEnd) + line(summerEnd + second));
    const std::string catalog = dir.file("c.fdb");
    ASSERT_EQ(cli({"-d", catalog, "make", dir.file("in.tsv")}).exitCode, 0);
    auto found =
        cli({"-d", catalog, "search", "--from", "2024-01-15T10:00", "--to", "2024-07-15T10:00:00"});
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(found.out, line(winterStart) + line(summerEnd));

    // A day alone ends with the day: the last second of the 15th of July is in, the next
    // midnight out. Dates no clock shows, and trailing text, are refused.
    const uint64_t lastOfDay = test::utcFileTime(2024, 7, 16, 3, 59, 59) + second - 1;
    test::writeFile(dir.file("in.tsv"), line(lastOfDay) + line(lastOfDay + 1));
    ASSERT_EQ(cli({"-d", catalog, "make", dir.file("in.tsv")}).exitCode, 0);
    found = cli({"-d", catalog, "search", "--from", "2024-07-15", "--to", "2024-07-15"});
    EXPECT_EQ(found.out, line(lastOfDay));
    for (const char* bad : {"2024-02-30", "2024-01-15x", "2024-13-01", "2024-03-10T02:30"})
        EXPECT_NE(cli({"-d", catalog, "search", "--from", bad, "--to", "2024-07-15"}).exitCode, 0)
            << bad;
}

// Export writes this catalog's FTP sites into the other file and leaves this one alone.
TEST(CliCatalog, ExportWritesTheOtherCatalog) {
    Cli c;
    test::writeFile(c.dir.file("other.tsv"), "/theirs/\tkeep\t\t1\t1\n");
    const std::string other = c.dir.file("other.fdb");
    ASSERT_EQ(cli({"-d", other, "make", c.dir.file("other.tsv")}).exitCode, 0);
    const std::string before = test::readFile(c.catalog);
    c.run({"export", other});
    EXPECT_EQ(test::readFile(c.catalog), before);
    EXPECT_EQ(c.run({"-d", other, "dump"}),
              "ftp:\\\\site\\pub\\\tx.zip\t\t2\t4\n/theirs/\tkeep\t\t1\t1\n");
    EXPECT_NE(cli({"-d", c.catalog, "export", c.dir.file("missing.fdb")}).exitCode, 0);
}

}  // namespace
}  // namespace varnel
