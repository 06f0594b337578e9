#include "platform/ftplisting.h"

#include <gtest/gtest.h>

#include "remote/ftpnames.h"

#include "support/ftptestserver.h"  // PrintTo
#include "support/timezone.h"

namespace varnel {
namespace {

using test::utcFileTime;  // the C library's calendar arithmetic as the reference

TEST(FtpListing, MlsdEntriesWithOddNamesAndExactTimes) {
    const auto parsed = parseMlsdListing(
        "type=cdir;modify=20261206081600; .\r\n"
        "type=pdir;modify=20261206081600; ..\r\n"
        "type=file;size=2047;modify=20190304050607;perm=r; two  blanks .txt\r\n"
        "Type=DIR;Modify=20261206081600.25;Perm=el;unique=803g1a; sub dir\r\n"
        "type=file;size=18446744073709551615;modify=20000229235959; Gr\xc3\xbc\xc3\x9f"
        "e\r\n"
        "type=OS.unix=slink:/x;size=3; link\n"
        "type=dir;unique=" + std::string(256, 'u') + "; long unique\r\n"  // a cut one could match
        "\r\n");
    EXPECT_EQ(parsed.rejectedLines, 0u);
    const std::vector<FtpEntry> expected = {
        {"two  blanks .txt", false, 2047, utcFileTime(2019, 3, 4, 5, 6, 7)},
        {"sub dir", true, 0, utcFileTime(2026, 12, 6, 8, 16) + 2500000, false, "", "803g1a"},
        {"Gr\xc3\xbc\xc3\x9f"
         "e",
         false, UINT64_MAX, utcFileTime(2000, 2, 29, 23, 59, 59)},
        {"link", false, 3, 0},
        {"long unique", true, 0, 0},
    };
    EXPECT_EQ(parsed.entries, expected);
}

TEST(FtpListing, MlsdRefusesMalformedLinesAndUnsafeNames) {
    for (const char* line : {"type=file;size=12x; a", "type=file;size=99999999999999999999; a",
                             "type=file;modify=2026120608; a", "type=file;modify=20261306081600; a",
                             "type=file;modify=20261206081600.; a", "nospace", "type=file; ",
                             "type=file; ../etc", "type=file; a/b", "type=dir; .."}) {
        const auto parsed = parseMlsdListing(line);
        EXPECT_TRUE(parsed.entries.empty()) << line;
        EXPECT_EQ(parsed.rejectedLines, 1u) << line;
        EXPECT_FALSE(parsed.readable()) << line;
    }
    EXPECT_TRUE(parseMlsdListing("").readable());  // an empty folder
    const auto mixed = parseMlsdListing("garbage\r\ntype=file;size=1; ok\r\n");
    EXPECT_EQ(mixed.entries.size(), 1u);
    EXPECT_EQ(mixed.rejectedLines, 1u);
    EXPECT_TRUE(mixed.readable());
}

TEST(FtpListing, UnixListInfersTheYearOfRecentFiles) {
    const uint64_t now = utcFileTime(2026, 12, 6, 9, 0);
    const auto parsed = parseListListing(
        "total 12\r\n"
        "drwxr-xr-x   2 owner group     4096 Dec 06 08:16 folder\r\n"
        "-rw-r--r--   1 owner group     1234 Dec  7 08:16 tomorrow is a day of slack\r\n"
        "-rw-r--r--   1 owner group     1234 Dec 08 08:16 two days ahead: last year\r\n"
        "-rw-r--r--   1 owner group 98765432 Mar 04  2019  leading blank\r\n"
        "-rw-r--r--   1 owner            7 Jan 01  2026 no group\r\n"
        "lrwxrwxrwx   1 owner group        9 Jan 02 10:00 link -> target\r\n"
        "-rw-r--r--   1 Dec   Dec         5 Feb 29  2024 owner named like a month\r\n",
        now);
    EXPECT_EQ(parsed.rejectedLines, 0u);
    const std::vector<FtpEntry> expected = {
        {"folder", true, 4096, utcFileTime(2026, 12, 6, 8, 16)},
        {"tomorrow is a day of slack", false, 1234, utcFileTime(2026, 12, 7, 8, 16)},
        {"two days ahead: last year", false, 1234, utcFileTime(2025, 12, 8, 8, 16)},
        {" leading blank", false, 98765432, utcFileTime(2019, 3, 4)},
        {"no group", false, 7, utcFileTime(2026, 1, 1)},
        {"link", false, 9, utcFileTime(2026, 1, 2, 10, 0), true, "target"},  // told apart later
        {"owner named like a month", false, 5, utcFileTime(2024, 2, 29)},
    };
    EXPECT_EQ(parsed.entries, expected);
}

TEST(FtpListing, DosListWithTwoAndFourDigitYears) {
    const auto parsed = parseListListing(
        "12-06-26  08:16AM       <DIR>          folder name\r\n"
        "12-06-26  12:05AM                 1234 midnight.txt\r\n"
        "12-06-26  12:05PM                    0 noon.txt\r\n"
        "03-04-99  11:59PM                   17 last century\r\n"
        "03-04-2019  23:15             4294967296 big four-digit year\r\n",
        utcFileTime(2026, 12, 6));
    EXPECT_EQ(parsed.rejectedLines, 0u);
    const std::vector<FtpEntry> expected = {
        {"folder name", true, 0, utcFileTime(2026, 12, 6, 8, 16)},
        {"midnight.txt", false, 1234, utcFileTime(2026, 12, 6, 0, 5)},
        {"noon.txt", false, 0, utcFileTime(2026, 12, 6, 12, 5)},
        {"last century", false, 17, utcFileTime(1999, 3, 4, 23, 59)},
        {"big four-digit year", false, 4294967296, utcFileTime(2019, 3, 4, 23, 15)},
    };
    EXPECT_EQ(parsed.entries, expected);
}

TEST(FtpListing, ListRefusesWhatIsNotAnEntry) {
    const uint64_t now = utcFileTime(2026, 12, 6);
    for (const char* line : {
             "-rw-r--r-- 1 o g 12 Dec 06 08:16",       // no name
             "-rw-r--r-- 1 o g 12 Dec 06 08:16 ",      // blank name
             "-rw-r--r-- 1 o g 12 Foo 06 08:16 name",  // no month
             "-rw-r--r-- 1 o g 12 Feb 30  2019 name",  // no such day
             "-rw-r--r-- 1 o g 12 Dec 06 8:16 name",   // not a clock
             "-rw-r--r-- 1 o g 1x Dec 06 08:16 name",  // not a size
             "drwxr-xr-x 1 o g 12 Dec 06 08:16 ..",    // the parent
             "-rw-r--r-- 1 o g 12 Dec 06 08:16 a/b",   // another folder's file
             "12-06-26  08:16XM  12 name",             // neither AM nor PM
             "12-06-26  13:16PM  12 name",             // no 13 PM
             "12/06/26  08:16AM  12 name",             // not a DOS date
             "12-06-26  08:16AM  <DIR>",               // no name
             "short",
         }) {
        const auto parsed = parseListListing(line, now);
        EXPECT_TRUE(parsed.entries.empty()) << line;
        EXPECT_FALSE(parsed.readable()) << line;
    }
    EXPECT_TRUE(parseListListing("total 0\r\n", now).readable());
}

// A link that names its own folder or one above it would be walked for ever.
TEST(FtpListing, LinksLeadingUpAreToldByTheirTarget) {
    for (const char* up : {".", "..", "../..", "./", "/", "/pub", "/PUB/a/", "../../pub/a", "sub/.."})
        EXPECT_TRUE(FtpLinkLeadsUp("/pub/a/", up)) << up;
    for (const char* down : {"", "sub", "./sub", "../b", "/pub/a/sub", "/pub/ab", "../../other",
                             "/../../pub/a/x"})
        EXPECT_FALSE(FtpLinkLeadsUp("/pub/a/", down)) << down;
    EXPECT_TRUE(FtpLinkLeadsUp("/", "../.."));  // nothing is above the root
}

}  // namespace
}  // namespace varnel
