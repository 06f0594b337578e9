// The preview's copies of FTP files, fetched from the real test server into mirror folders.
#include "fileops/previewcopy.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/ftptestserver.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;

struct PreviewCopy : test::FtpServerTest {
    void SetUp() override {
        FtpServerTest::SetUp();
        request.programDir = dir.path();
        request.login = FtpLogin{false, server->user, server->password};
    }
    // What the file's mirror folder holds, part files included.
    std::vector<std::string> mirrorFolder() {
        std::string path;
        EXPECT_TRUE(PreviewCopyPath(dir.path(), folder->url(server->host, "x"), path));
        return test::namesInFolder(fs::path(path).parent_path());
    }
    test::TempDir dir;
    std::unique_ptr<FtpClient> client = makeCurlFtpClient();
    PreviewCopyRequest request;
    std::string local, error;
};

TEST_F(PreviewCopy, FetchesTheFileIntoItsMirrorFolder) {
    test::writeFile(folder->local("a page.html"), "<title>t</title>");
    request.url = folder->url(server->host, "a page.html");
    ASSERT_TRUE(FetchPreviewCopy(*client, request, nullptr, local, error)) << error;
    std::string expected;
    ASSERT_TRUE(PreviewCopyPath(dir.path(), request.url, expected));
    EXPECT_EQ(local, expected);
    EXPECT_EQ(local.rfind(dir.path() + "/Ftp/", 0), 0u) << local;
    EXPECT_EQ(test::readFile(local), "<title>t</title>");

    // A missing file, and a name that would reach out of the mirror root, fetch nothing.
    request.url = folder->url(server->host, "gone.txt");
    EXPECT_FALSE(FetchPreviewCopy(*client, request, nullptr, local, error));
    EXPECT_NE(error.find(request.url), std::string::npos) << error;
    request.url = "ftp://" + server->host + "/../x.txt";
    EXPECT_FALSE(FetchPreviewCopy(*client, request, nullptr, local, error));
    EXPECT_EQ(mirrorFolder(), std::vector<std::string>{"a page.html"});
}

TEST_F(PreviewCopy, TooLargeOrCancelledLeavesNothing) {
    test::writeFile(folder->local("big.bin"), std::string(300000, 'b'));
    request.url = folder->url(server->host, "big.bin");
    request.sizeLimit = 100000;
    EXPECT_FALSE(FetchPreviewCopy(*client, request, nullptr, local, error));
    EXPECT_NE(error.find("larger than"), std::string::npos) << error;
    request.sizeLimit = kPreviewCopyLimit;
    const std::atomic<bool> cancelled{true};
    EXPECT_FALSE(FetchPreviewCopy(*client, request, &cancelled, local, error));
    EXPECT_TRUE(local.empty());
    EXPECT_TRUE(mirrorFolder().empty());
}

}  // namespace
}  // namespace varnel
