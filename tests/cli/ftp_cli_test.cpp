#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/workspace.h"
#include "support/ftptestserver.h"
#include "support/process.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

// varnel-cli keeps cfg.dat beside itself, so each test runs a copy in a folder of its own.
class FtpCliTest : public test::FtpServerTest {
  protected:
    void SetUp() override {
        test::FtpServerTest::SetUp();
        fs::copy_file(test::cliPath(), home.file("varnel-cli"));
    }
    test::ProcessResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), home.file("varnel-cli"));
        test::ProcessResult result = test::runProcess(args);
        EXPECT_EQ(result.out.find(server->password), std::string::npos) << result.out;
        EXPECT_EQ(result.err.find(server->password), std::string::npos) << result.err;
        return result;
    }
    // The same with the test user's login on the command line.
    test::ProcessResult asUser(std::vector<std::string> args) {
        args.insert(args.end(), {"--user", server->user, "--password", server->password});
        return cli(args);
    }
    test::TempDir home;
};

TEST_F(FtpCliTest, PutAndGetWithTheOverwriteQuestion) {
    writeFile(home.file("up load.bin"), std::string(70000, 'u'));
    auto put = asUser({"ftp", "put", home.file("up load.bin"), folder->url(server->host)});
    ASSERT_EQ(put.exitCode, 0) << put.err;
    EXPECT_EQ(readFile(folder->local("up load.bin")), std::string(70000, 'u'));

    test::TempDir into;
    const std::string source = folder->url(server->host, "up load.bin");
    auto get = asUser({"ftp", "get", source, into.path()});
    ASSERT_EQ(get.exitCode, 0) << get.err;
    EXPECT_EQ(readFile(into.file("up load.bin")), std::string(70000, 'u'));

    writeFile(into.file("up load.bin"), "local changes");
    auto refused = asUser({"ftp", "get", source, into.path()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("Copy file error!!!"), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(into.file("up load.bin")), "local changes");
    auto replaced = asUser({"ftp", "get", source, into.path(), "--overwrite"});
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(readFile(into.file("up load.bin")), std::string(70000, 'u'));

    // Anonymous (no user, nothing saved) may read but not write.
    auto anonymous = cli({"ftp", "put", home.file("up load.bin"), folder->url(server->host, "x/")});
    EXPECT_EQ(anonymous.exitCode, 1);
    auto missing = cli({"ftp", "get", folder->url(server->host, "nothing.bin"), into.path()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("nothing.bin"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("550"), std::string::npos) << missing.err;
    EXPECT_EQ(cli({"ftp", "ls", "http://example/"}).exitCode, 1);
}

// A folder named without its "/" is the folder; a login in the URL is used and never shown.
TEST_F(FtpCliTest, FolderUrlsWithoutSlashAndLoginsInTheUrl) {
    writeFile(folder->local("inside.txt"), "x");
    std::string url = folder->url(server->host);
    url.pop_back();
    auto listed = cli({"ftp", "ls", url});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out.rfind("inside.txt\tfile\t1\t", 0), 0u) << listed.out;

    std::string password = server->password;  // "s3cret pw": the blank travels as %20
    password.replace(password.find(' '), 1, "%20");
    const std::string withLogin = "ftp://" + server->user + ":" + password + "@" +
                                  url.substr(std::string("ftp://").size());
    writeFile(home.file("up.txt"), "up");
    auto put = cli({"ftp", "put", home.file("up.txt"), withLogin});
    EXPECT_EQ(put.exitCode, 0) << put.err;
    EXPECT_EQ(readFile(folder->local("up.txt")), "up");
    auto wrong = cli({"ftp", "ls", "ftp://" + server->user + ":" + server->password + "x@" +
                                       url.substr(std::string("ftp://").size())});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.err.find("530"), std::string::npos) << wrong.err;
}

}  // namespace
}  // namespace varnel
