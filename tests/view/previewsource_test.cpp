// How the preview pane tells pages, PDFs, pictures and text apart, and what it reads of text.
#include "view/previewsource.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/tempdir.h"

namespace varnel {
namespace {

using namespace std::string_literals;

TEST(PreviewKind, ContentDecidesBeforeTheName) {
    const std::string png = "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s;
    EXPECT_EQ(previewKindOf("a.txt", png, true), PreviewKind::Image);
    EXPECT_EQ(previewKindOf("a.txt", "\xFF\xD8\xFF\xE0", true), PreviewKind::Image);
    EXPECT_EQ(previewKindOf("scan", "%PDF-1.4\n%\xE2\xE3\xCF\xD3", true), PreviewKind::Pdf);
    EXPECT_EQ(previewKindOf("a.bin", "\r\n<!DOCTYPE HTML><p>", false), PreviewKind::Html);
    EXPECT_EQ(previewKindOf("a.HTM", "plain words", false), PreviewKind::Html);
    // A name promises nothing: text named like a picture is text, bytes named like text not.
    EXPECT_EQ(previewKindOf("a.png", "just text\n", false), PreviewKind::Text);
    EXPECT_EQ(previewKindOf("a.txt", "ab\0cd"s, false), PreviewKind::Other);
    EXPECT_EQ(previewKindOf("a.html", "<html>\0"s, false), PreviewKind::Other);
    // "BM" starts text as well as bitmaps.
    EXPECT_EQ(previewKindOf("cars.txt", "BMW and others, a list of cars\n", false),
              PreviewKind::Text);
    EXPECT_EQ(previewKindOf("empty", "", false), PreviewKind::Text);
    // A container's magic cut short is no picture (and no reason to read past the bytes).
    EXPECT_EQ(previewKindOf("a.webp", "RIFF\n", false), PreviewKind::Text);
    EXPECT_EQ(previewKindOf("a", "RIFF\x10\0\0\0WEBPVP8 "s, true), PreviewKind::Image);
}

TEST(PreviewKind, TextIsUtf8OrLatin1WithoutStrayControls) {
    EXPECT_EQ(sniffText("gr\xC3\xBC\xC3\x9F", false).encoding, TextEncoding::Utf8);
    EXPECT_EQ(sniffText("caf\xE9", false).encoding, TextEncoding::Latin1);
    // Overlong forms and surrogates are no UTF-8.
    EXPECT_EQ(sniffText("\xC0\xAF", false).encoding, TextEncoding::Latin1);
    EXPECT_EQ(sniffText("\xED\xA0\x80", false).encoding, TextEncoding::Latin1);
    // A character cut by the end of what was read is only UTF-8 when the file goes on.
    EXPECT_EQ(sniffText("ok \xE2\x82", true).encoding, TextEncoding::Utf8);
    EXPECT_EQ(sniffText("ok \xE2\x82", false).encoding, TextEncoding::Latin1);
    EXPECT_TRUE(sniffText("tab\there\r\nesc\x1B[0m\f", false).isText);
    EXPECT_FALSE(sniffText("\x01\x02 header of a binary", false).isText);
    EXPECT_TRUE(sniffText(std::string(200, 'a') + "\x01", false).isText);
}

TEST(PreviewSource, TextIsReadUpToTheCapOnWholeCharacters) {
    test::TempDir dir;
    // "é" (two bytes) straddles the cap of 10 bytes: it is left out whole.
    test::writeFile(dir.file("long.txt"), "line one\n\xC3\xA9 and more");
    PreviewSource s = ReadPreviewSource(dir.file("long.txt"), 10);
    EXPECT_EQ(s.kind, PreviewKind::Text);
    EXPECT_EQ(s.text, "line one\n");
    EXPECT_TRUE(s.textCut);
    EXPECT_EQ(s.encoding, TextEncoding::Utf8);

    test::writeFile(dir.file("exact.txt"), "0123456789");
    s = ReadPreviewSource(dir.file("exact.txt"), 10);
    EXPECT_EQ(s.text, "0123456789");
    EXPECT_FALSE(s.textCut);

    // A NUL byte past the head still makes the file no text.
    test::writeFile(dir.file("late.log"), std::string(kPreviewSniffBytes + 10, 'x') + "\0"s);
    s = ReadPreviewSource(dir.file("late.log"));
    EXPECT_EQ(s.kind, PreviewKind::Other);
    EXPECT_TRUE(s.text.empty());
}

TEST(PreviewSource, OnlyRegularFilesAreRead) {
    test::TempDir dir;
    PreviewSource s = ReadPreviewSource(dir.file("missing.txt"));
    EXPECT_EQ(s.kind, PreviewKind::Other);
    EXPECT_NE(s.error.find(dir.file("missing.txt")), std::string::npos) << s.error;
    // A pipe nobody writes to would block the reader for good.
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    s = ReadPreviewSource(dir.file("pipe"));
    EXPECT_EQ(s.kind, PreviewKind::Other);
    EXPECT_EQ(s.error.rfind("Not a file:", 0), 0u) << s.error;
    EXPECT_EQ(ReadPreviewSource(dir.path()).kind, PreviewKind::Other);
}

}  // namespace
}  // namespace varnel
