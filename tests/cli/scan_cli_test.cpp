#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "catalog/workspace.h"
#include "remote/ftpnames.h"
#include "support/ftptestserver.h"
#include "support/process.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::readFile;
using test::writeFile;

// varnel-cli keeps cfg.dat beside itself, so each test runs a copy in a folder of its own.
class ScanCli : public test::FtpServerTest {
  protected:
    void SetUp() override {
        test::FtpServerTest::SetUp();
        fs::copy_file(test::cliPath(), home.file("varnel-cli"));
        fs::create_directories(tree.file("sub/deeper"));
        writeFile(tree.file("a"), "1");
        writeFile(tree.file("sub/b"), "22");
        writeFile(tree.file("sub/deeper/c"), "333");
    }
    test::ProcessResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), {home.file("varnel-cli"), "-d", catalog()});
        return test::runProcess(args);
    }
    std::string catalog() const { return home.file("cat.fdb"); }
    std::string root() const { return tree.path() + "/"; }
    test::TempDir home;
    test::TempDir tree;
};

TEST_F(ScanCli, ScanPrintsWhatItDidAndSavesTheCatalog) {
    auto first = cli({"scan", root(), "--exclude", root() + "sub/deeper/"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out.substr(0, first.out.find('\n')),
              "2 folders walked, 2 new, 0 changed, 0 removed, 0 skipped");
    EXPECT_NE(first.err.find("Searching files... (2 files find)"), std::string::npos) << first.err;
    auto dump = cli({"dump"});
    EXPECT_NE(dump.out.find(root() + "sub/\tb\t\t"), std::string::npos) << dump.out;
    EXPECT_EQ(dump.out.find("deeper"), std::string::npos) << dump.out;

    fs::remove(tree.file("a"));
    writeFile(tree.file("sub/b"), "changed");
    auto again = cli({"scan", root()});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out.substr(0, again.out.find('\n')),
              "3 folders walked, 1 new, 1 changed, 1 removed, 0 skipped");

    // Refresh brings one folder up to date, one level deep.
    writeFile(tree.file("sub/new"), "n");
    writeFile(tree.file("sub/deeper/unseen"), "u");
    auto refreshed = cli({"refresh", root() + "sub"});
    ASSERT_EQ(refreshed.exitCode, 0) << refreshed.err;
    dump = cli({"dump"});
    EXPECT_EQ(dump.out.rfind(root() + "sub/\tnew\t", 0), 0u) << dump.out;
    EXPECT_EQ(dump.out.find("unseen"), std::string::npos);
    auto missing = cli({"refresh", root() + "nowhere/"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("cannot read"), std::string::npos) << missing.err;
}

// Linux names are case-sensitive: files that differ only in letter case are all kept,
// through the save, a reload and a rescan, without a word about damage.
TEST_F(ScanCli, NamesDifferingOnlyInCaseAreDifferentFiles) {
    fs::create_directories(tree.file("Docs"));
    fs::create_directories(tree.file("docs"));
    for (const char* name : {"readme", "README", "Plan.html", "plan.html", "Docs/x", "docs/x"})
        writeFile(tree.file(name), name);
    auto first = cli({"scan", root()});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out.substr(0, first.out.find('\n')),
              "5 folders walked, 9 new, 0 changed, 0 removed, 0 skipped");
    auto again = cli({"scan", root()});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out.substr(0, again.out.find('\n')),
              "5 folders walked, 0 new, 0 changed, 0 removed, 0 skipped");
    for (const auto* run : {&first, &again})
        EXPECT_EQ(run->err.find("may lost"), std::string::npos) << run->err;
    const std::string dump = cli({"dump"}).out;
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 9) << dump;
    EXPECT_EQ(cli({"check"}).exitCode, 0);
}

TEST_F(ScanCli, WatchRefreshesAndSavesWhenAWatchedFolderChangesUntilInterrupted) {
    ASSERT_EQ(cli({"scan", root()}).exitCode, 0);
    ASSERT_EQ(cli({"watch", "add", root() + "sub"}).exitCode, 0);
    const std::string out = home.file("watch.out");
    const pid_t child = fork();
    if (child == 0) {
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, 1);
        dup2(fd, 2);
        const std::string cliCopy = home.file("varnel-cli"), db = catalog();
        execl(cliCopy.c_str(), cliCopy.c_str(), "-d", db.c_str(), "watch", nullptr);
        _exit(127);
    }
    auto waitFor = [&](const std::string& text) {
        for (int i = 0; i < 200 && readFile(out).find(text) == std::string::npos; ++i)
            std::this_thread::sleep_for(50ms);
        return readFile(out).find(text) != std::string::npos;
    };
    // The first round refreshes every watched folder (nothing changed: nothing saved).
    EXPECT_TRUE(waitFor("watching 1 folders")) << readFile(out);
    std::this_thread::sleep_for(1s);  // a few ticks: the watch is armed by now
    writeFile(tree.file("sub/while-watched"), "w");
    EXPECT_TRUE(waitFor("saved " + catalog())) << readFile(out);
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << readFile(out);
    EXPECT_NE(cli({"dump"}).out.find(root() + "sub/\twhile-watched\t"), std::string::npos);
}

// A wrong password ends the command with the server's reply and an exit code, also when
// every question is answered Yes; the password is never shown.
TEST_F(ScanCli, AWrongFtpPasswordEndsTheScanWithTheServersReply) {
    const std::string url = folder->url(server->host);
    auto refused = test::runProcess({home.file("varnel-cli"), "-d", catalog(), "--yes", "scan", url,
                                     "--user", server->user, "--password", "not the password"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("530"), std::string::npos) << refused.err;
    EXPECT_EQ(refused.err.find("not the password"), std::string::npos) << refused.err;
}

// Ctrl-C during an FTP scan cancels it as it does a local one: what was found is saved.
TEST_F(ScanCli, InterruptingAnFtpScanKeepsWhatWasFound) {
    for (int i = 0; i < 300; ++i) {
        fs::create_directories(folder->local("d" + std::to_string(i)));
        writeFile(folder->local("d" + std::to_string(i) + "/f"), "x");
    }
    const std::string out = home.file("scan.out");
    const pid_t child = fork();
    if (child == 0) {
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, 1);
        dup2(fd, 2);
        const std::string cliCopy = home.file("varnel-cli"), db = catalog(),
                          url = folder->url(server->host);
        execl(cliCopy.c_str(), cliCopy.c_str(), "-d", db.c_str(), "scan", url.c_str(), "--user",
              server->user.c_str(), "--password", server->password.c_str(), nullptr);
        _exit(127);
    }
    for (int i = 0; i < 400 && readFile(out).find("Searching files") == std::string::npos; ++i)
        std::this_thread::sleep_for(10ms);
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string shown = readFile(out);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by the interrupt\n" << shown;
    EXPECT_EQ(WEXITSTATUS(status), 0) << shown;
    EXPECT_NE(shown.find("cancelled: what was found so far is kept"), std::string::npos) << shown;
    EXPECT_NE(shown.find("saved " + catalog()), std::string::npos) << shown;
}

}  // namespace
}  // namespace varnel
