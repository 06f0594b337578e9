// Scanning, refreshing and the scan command on FTP trees of the real test server, and the
// scan's connect loop against a port that refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "remote/ftpnames.h"
#include "remote/mirrorpaths.h"
#include "scan/scanpaths.h"
#include "scantree.h"
#include "support/ftpsessionrig.h"

namespace varnel {
namespace {

using namespace std::chrono_literals;
using test::fileTimeOf;
using test::makeFile;
using test::makeFolder;
using test::Rec;
using test::recordsIn;

// Presses Cancel after `limit` unless it goes first: the scan's connect loop waits for the
// server until Cancel, so a server that went away fails the test instead of hanging it.
class CancelAfter {
  public:
    CancelAfter(Progress& progress, std::chrono::seconds limit)
        : thread_([this, &progress, limit] {
              std::unique_lock lock(mutex_);
              if (!done_changed_.wait_for(lock, limit, [&] { return done_; })) progress.cancel();
          }) {}
    ~CancelAfter() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        done_changed_.notify_all();
        thread_.join();
    }

  private:
    std::mutex mutex_;
    std::condition_variable done_changed_;
    bool done_ = false;
    std::thread thread_;
};

constexpr auto kServerPatience = std::chrono::seconds(60);

// A catalog and an FTP session for it, the mirror folders going to a temporary program
// directory.
struct FtpRig : test::FtpSessionRig {
    test::TempDir program;
    Catalog catalog;
    std::string watched;
    ScanServices services{catalog, prompt, program.path()};
    FtpRig() {
        services.ftp = &session;
        services.watchedFolders = &watched;
    }
    ScanSummary scan(const std::string& roots, Progress* progress = nullptr) {
        test::RecordingProgress own;
        Progress& shown = progress ? *progress : own;
        CancelAfter deadline(shown, kServerPatience);
        const FolderList r = FolderList::fromText(roots, true);
        const ScanSummary summary = scanFolders(services, r.data(), r.length(), "", 0, 0, &shown);
        EXPECT_TRUE(!shown.cancelled() || progress) << "the server did not answer";
        return summary;
    }
    // The scan command, its dialog answered with `form`; the workspace is the program's.
    ScanCommandResult scanCommand(const ScanOptionsForm& form) {
        test::AnsweredDialog dialog;
        dialog.answer = form;
        test::RecordingProgress progress;
        return ScanCommand(services, workspace, dialog, progress, "");
    }
    std::vector<Rec> records() { return test::readList(catalog, kMasterList); }
    Workspace workspace{program.path(), {"/"}};
};

class FtpScan : public test::FtpServerTest {
  protected:
    void SetUp() override {
        FtpServerTest::SetUp();
        rig.logIn(*server, {server->host});
        makeFolder(folder->local("sub/deeper"));
        makeFile(folder->local("a.txt"), 3, 1000);
        makeFile(folder->local("sub/b.txt"), 5, 3000);
        makeFile(folder->local("sub/deeper/c d.txt"), 7, 2000);
        url = folder->url(server->host);
        name = url;
        SwapFtpSeparators(name);
    }
    FtpRig rig;
    std::string url;   // ftp://127.0.0.1:PORT/folder/
    std::string name;  // ftp:\\127.0.0.1:PORT\folder\ (catalog spelling)
};

TEST_F(FtpScan, CataloguesRescansAndKeepsTheRecordsOfARootItCannotList) {
    test::RecordingProgress progress;
    const ScanSummary s = rig.scan(url, &progress);
    EXPECT_EQ(rig.records(),
              (std::vector<Rec>{{name + "sub\\", "b.txt", "", fileTimeOf(3000), 5},
                                {name + "sub\\deeper\\", "c d.txt", "", fileTimeOf(2000), 7},
                                {name, "a.txt", "", fileTimeOf(1000), 3}}));
    EXPECT_EQ(s.foldersWalked, 3);
    EXPECT_EQ(progress.statuses().front(), url);  // shown as the address bar spells it
    // Mirror folders for FTP folders down to five separators deep.
    std::string mirror;
    ASSERT_TRUE(MirrorPathOf(rig.program.path(), name + "sub\\", mirror));
    EXPECT_TRUE(std::filesystem::is_directory(mirror));
    ASSERT_TRUE(MirrorPathOf(rig.program.path(), name + "sub\\deeper\\", mirror));
    EXPECT_FALSE(std::filesystem::exists(mirror));

    const auto before = rig.records();
    const int32_t generation = rig.catalog.generation();
    const ScanSummary again = rig.scan(url);
    EXPECT_EQ(rig.records(), before);
    EXPECT_EQ(rig.catalog.generation(), generation);
    EXPECT_EQ(again.newFiles + again.changedFiles + again.removedFiles, 0);

    makeFile(folder->local("a.txt"), 4, 1000);
    std::filesystem::remove_all(folder->local("sub/deeper"));
    const ScanSummary third = rig.scan(url);
    EXPECT_EQ(third.changedFiles, 1);
    EXPECT_EQ(third.removedFiles, 1);
    EXPECT_EQ(rig.records()[0], (Rec{name, "a.txt", "", fileTimeOf(1000), 4}));

    // A root the server cannot list keeps its records.
    const auto kept = rig.records();
    const std::string moved = folder->local().substr(0, folder->local().size() - 1) + "-moved";
    std::filesystem::rename(folder->local(), moved);
    EXPECT_EQ(rig.scan(url).unreadableFolders, 1);
    EXPECT_EQ(rig.records(), kept);
    std::filesystem::rename(moved, folder->local());
}

// A LIST listing shows a link as "name -> target": it is catalogued by its own name, as a
// folder when it leads to one. A name holding "\\" (the catalog's separator) is counted.
TEST_F(FtpScan, LinksByTheirOwnNamesAndNamesTheCatalogCannotStoreCounted) {
    rig.logIn(*server, {server->listHost});
    std::filesystem::create_directory_symlink("sub", folder->local("linked folder"));
    std::filesystem::create_symlink("a.txt", folder->local("linked file"));
    makeFile(folder->local("back\\slash"), 1, 1000);
    const std::string listUrl = folder->url(server->listHost);
    std::string site = listUrl;
    SwapFtpSeparators(site);
    const ScanSummary s = rig.scan(listUrl);
    EXPECT_EQ(s.skippedUnstorableNames, 1);
    std::vector<std::string> paths;
    for (const Rec& r : rig.records()) paths.push_back(r.folder.substr(site.size()) + r.name);
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{"a.txt", "linked file", "linked folder\\b.txt",
                                               "linked folder\\deeper\\c d.txt", "sub\\b.txt",
                                               "sub\\deeper\\c d.txt"}));
}

// A link back up the tree ("back -> .." in sub/deeper) is not walked, else the same files
// would be catalogued again one level deeper each time: told by the link's target over
// LIST, by the server's "unique" fact over MLSD.
TEST_F(FtpScan, LinksBackUpTheTreeAreNotWalked) {
    std::filesystem::create_directory_symlink("..", folder->local("sub/deeper/back"));
    for (const std::string& host : {server->host, server->listHost}) {
        SCOPED_TRACE(host);
        FtpRig fresh;
        fresh.logIn(*server, {host});
        const ScanSummary s = fresh.scan(folder->url(host));
        EXPECT_EQ(s.skippedFolderLoops, 1);
        EXPECT_EQ(s.foldersWalked, 3);
        EXPECT_EQ(fresh.records().size(), 3u);
    }
}

TEST_F(FtpScan, ARefusedLoginScansNothing) {
    FtpRig fresh;
    fresh.dialogs.answer = [](LoginForm&) { return false; };
    EXPECT_EQ(fresh.scanCommand({url, "/tmp/"}).outcome, ScanOutcome::Refused);
    EXPECT_EQ(fresh.prompt.told(), std::vector<std::string>{kLoginFirstText});
    EXPECT_EQ(fresh.records().size(), 0u);
    // The texts are kept for the next time.
    EXPECT_EQ(fresh.workspace.scanFolders(), url);
    EXPECT_EQ(fresh.workspace.excludeFolders(), "/tmp/");
}

// A server that is down is asked about once a second and given up after three tries in a
// row: the scan goes on with the other roots, the site's folders keep their records, and
// the summary names them. Cancel during the pause ends the wait at once.
TEST(FtpScanDeadServer, GivenUpAfterThreeTriesWithItsFoldersKept) {
    FtpRig rig;
    const test::LocalPort refusing(false);
    rig.session.addSessionLogin(refusing.host, "user", "password");
    const std::string site = "ftp:\\\\" + refusing.host + "\\pub\\";
    const std::string before = rig.program.path() + "/before/";
    const std::string after = rig.program.path() + "/after/";
    makeFolder(before);
    makeFolder(after);
    makeFile(before + "found", 1, 100);
    makeFile(after + "found too", 2, 100);
    test::appendRecords(rig.catalog, kMasterList, {{site, "kept", "", 1, 1}});

    const ScanSummary summary = rig.scan(before + "," + site + "," + after);
    EXPECT_FALSE(summary.cancelled);
    EXPECT_EQ(summary.unreachedFtpFolders, std::vector<std::string>{site});
    EXPECT_FALSE(summary.ftpProblem.empty());
    const std::vector<std::string> statuses = rig.prompt.statuses();
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(),
                         std::string("Some error occured when login ftp site.")),
              kConnectTries);
    EXPECT_EQ(rig.records(), (std::vector<Rec>{{before, "found", "", fileTimeOf(100), 1},
                                               {after, "found too", "", fileTimeOf(100), 2},
                                               {site, "kept", "", 1, 1}}));

    test::RecordingProgress progress;
    std::thread worker([&] { rig.scan(site, &progress); });
    std::this_thread::sleep_for(300ms);
    const auto cancelled = std::chrono::steady_clock::now();
    progress.cancel();
    worker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - cancelled, 1s);
}

// A wrong password is not tried again and again: the scan of that site ends at once, and
// the next visit asks for the login, showing the server's reply.
TEST_F(FtpScan, ARefusedPasswordIsAskedAgainNotRetried) {
    FtpRig fresh;
    int shown = 0;
    std::string message;
    fresh.dialogs.answer = [&](LoginForm& form) {
        message = form.message;
        form.user = server->user;
        form.password = ++shown == 1 ? "wrong" : server->password;
        return true;
    };
    const size_t log = server->logSize();
    EXPECT_EQ(fresh.scanCommand({url, ""}).outcome, ScanOutcome::Scanned);
    EXPECT_EQ(shown, 2);
    EXPECT_NE(message.find("530"), std::string::npos) << message;
    EXPECT_EQ(test::countLines(server->logSince(log), "mlsd PASS"), 2);
    EXPECT_EQ(fresh.records().size(), 3u);
}

}  // namespace
}  // namespace varnel
