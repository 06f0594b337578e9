// The page title of the Note column, from bytes and from real files.
#include "view/pagetitle.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/tempdir.h"

namespace varnel {
namespace {

using namespace std::string_literals;

TEST(PageTitle, TagsInAnyCaseAndMarkupInsideAreRemovedWhitespaceStays) {
    EXPECT_EQ(PageTitleOf("<html><HEAD><TiTlE>Report <b>2003</B></tItLe></head>"), "Report 2003");
    EXPECT_EQ(PageTitleOf("<title>\n My page </title>"), "\n My page ");
    // An unclosed tag cuts the title where it begins.
    EXPECT_EQ(PageTitleOf("<title>a<b>b<i c</title>"), "ab");
    // Only "<title>" exactly opens a title; "<titles>" and attributes do not.
    EXPECT_EQ(PageTitleOf("<title lang=en>x</title>"), "");
    EXPECT_EQ(PageTitleOf("<titles>x</title>"), "");
    EXPECT_EQ(PageTitleOf("<title>x</titl>"), "");
    EXPECT_EQ(PageTitleOf("no title here"), "");
    // The end tag is looked for after the start tag.
    EXPECT_EQ(PageTitleOf("</title><title>late</title>"), "late");
    EXPECT_EQ(PageTitleOf("<title>a\0b</title>"s), "");
}

TEST(PageTitle, OnlyTheHeadCountsAndOverlongTitlesAreNone) {
    const std::string tag = "<title>t</title>";
    // The start tag must begin within the bytes looked at, and the end tag must end there.
    std::string head(kPageTitleScanBytes - tag.size(), ' ');
    EXPECT_EQ(PageTitleOf(head + tag), "t");
    EXPECT_EQ(PageTitleOf(head + " " + tag), "");
    EXPECT_EQ(PageTitleOf(std::string(kPageTitleScanBytes, ' ') + tag), "");

    const std::string longest(kPageTitleLimit - 1, 'x');
    EXPECT_EQ(PageTitleOf("<title>" + longest + "</title>"), longest);
    EXPECT_EQ(PageTitleOf("<title>" + longest + "x</title>"), "");
    // Markup does not count towards the length.
    EXPECT_EQ(PageTitleOf("<title><b>" + longest + "</b></title>"), longest);
}

TEST(PageTitle, ReadsRegularFilesOnly) {
    test::TempDir dir;
    test::writeFile(dir.file("a.html"),
                    std::string(kPageTitleScanBytes, ' ') + "<TITLE>far</TITLE>");
    EXPECT_EQ(ReadPageTitle(dir.file("a.html")), "");
    test::writeFile(dir.file("b.html"), "<title>Near</title>" + std::string(100000, 'x'));
    EXPECT_EQ(ReadPageTitle(dir.file("b.html")), "Near");
    EXPECT_EQ(ReadPageTitle(dir.file("missing.html")), "");
    EXPECT_EQ(ReadPageTitle(dir.path()), "");
    // A pipe nobody writes to would hang the page if it were opened for reading.
    ASSERT_EQ(::mkfifo(dir.file("pipe.html").c_str(), 0600), 0);
    EXPECT_EQ(ReadPageTitle(dir.file("pipe.html")), "");
}

}  // namespace
}  // namespace varnel
