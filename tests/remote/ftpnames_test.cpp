#include <gtest/gtest.h>

#include "remote/ftpnames.h"

namespace varnel {
namespace {

TEST(FtpNames, ClassifiesNames) {
    EXPECT_TRUE(IsFtpFolderName("ftp:\\\\host"));
    EXPECT_TRUE(IsFtpFolderName("ftp:\\\\host\\"));
    EXPECT_FALSE(IsFtpFolderName("ftp:\\\\host\\file.txt"));
    EXPECT_TRUE(IsFtpFolderName("FTP:\\\\Host\\Dir\\"));
    EXPECT_FALSE(IsRemoteFolderName("\\\\"));
    EXPECT_TRUE(IsRemoteFolderName("\\\\server\\share\\"));
    EXPECT_TRUE(IsFolderName("c:\\"));
    EXPECT_FALSE(IsRemoteFolderName("c:\\"));
    EXPECT_TRUE(IsFolderName("/home/user/"));
    EXPECT_TRUE(IsFolderName("/"));
    EXPECT_FALSE(IsFolderName("/home/user/file"));
    EXPECT_FALSE(IsFolderName("mp3"));
    EXPECT_TRUE(IsFtpName("Ftp:anything"));
    EXPECT_FALSE(IsFtpName("ft"));
}

TEST(FtpNames, SwapsSeparatorsBothWays) {
    std::string name = "ftp:\\\\h\\a/b";
    SwapFtpSeparators(name);
    EXPECT_EQ(name, "ftp://h/a\\b");
    SwapFtpSeparators(name);
    EXPECT_EQ(name, "ftp:\\\\h\\a/b");
    std::string local = "c:\\x";
    SwapFtpSeparators(local);
    EXPECT_EQ(local, "c:\\x");
    std::string host;
    EXPECT_TRUE(FtpHostFromUrl("ftp://h", host));
    EXPECT_EQ(host, "h");
    EXPECT_TRUE(FtpHostFromUrl("ftp://h/a/b", host));
    EXPECT_EQ(host, "h");
}

}  // namespace
}  // namespace varnel
