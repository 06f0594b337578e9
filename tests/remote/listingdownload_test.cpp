#include "remote/listingdownload.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/filetime.h"
#include "platform/ftplisting.h"
#include "remote/ftpnames.h"
#include "support/ftpsessionrig.h"
#include "support/littleendian.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;
using test::countLines;
using test::le32;

// A cache record built by hand from the layout.
std::string record(const std::string& url, const std::vector<FtpEntry>& entries) {
    std::string body = url + '\0';
    for (const FtpEntry& e : entries) {
        body += char(e.isFolder ? 1 : 0) + e.name + '\0' + le32(uint32_t(e.size));
        body += le32(uint32_t(e.lastWriteTime)) + le32(uint32_t(e.lastWriteTime >> 32));
    }
    return le32(uint32_t(body.size() + 4)) + body;
}

// Takes completed names until `count` arrived or a generous time passed.
std::vector<std::string> takeCompleted(ListingDownloader& downloads, size_t count) {
    std::vector<std::string> names;
    const auto end = std::chrono::steady_clock::now() + 20s;
    std::string name;
    while (names.size() < count && std::chrono::steady_clock::now() < end) {
        if (downloads.takeCompleted(name))
            names.push_back(name);
        else
            std::this_thread::sleep_for(5ms);
    }
    return names;
}

void waitUntilIdle(const ListingDownloader& downloads) {
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (downloads.queueReadPosition() != downloads.queueLength() &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(5ms);
}

std::string catalogName(std::string url) {
    SwapFtpSeparators(url);
    return url;
}

class ListingDownloadTest : public test::FtpServerTest, public test::FtpSessionRig {
  protected:
    void login() { logIn(*server, {server->host}); }
    ListingDownloader downloads{session, prompt};
};

TEST_F(ListingDownloadTest, WorkerFillsTheCacheByteExactAndTheCompletedList) {
    const uint64_t time = fileTimeFromCalendar(2021, 3, 4, 5, 6, 7);
    fs::create_directory(folder->local("one"));
    fs::create_directory(folder->local("empty"));
    test::writeFile(folder->local("one/f x.txt"), "12345");
    timespec times[2] = {timespecFromFileTime(time), timespecFromFileTime(time)};
    ASSERT_EQ(::utimensat(AT_FDCWD, folder->local("one/f x.txt").c_str(), times, 0), 0);

    login();
    const std::string one = folder->url(server->host, "one/");
    const std::string empty = folder->url(server->host, "empty/");
    const size_t log = server->logSize();
    downloads.QueueListingDownload(catalogName(one));
    downloads.QueueListingDownload(catalogName(empty));
    downloads.QueueListingDownload(catalogName(one));  // again: served from the cache
    EXPECT_EQ(takeCompleted(downloads, 3),
              (std::vector<std::string>{catalogName(one), catalogName(empty), catalogName(one)}));
    EXPECT_EQ(downloads.cache().committedBytes(),
              record(one, {{"f x.txt", false, 5, time}}) + record(empty, {}));
    EXPECT_TRUE(prompt.waitForStatus("Prepare to download Directory:" + catalogName(empty), 1s));
    EXPECT_EQ(countLines(server->logSince(log), "mlsd MLSD"), 2);
    EXPECT_EQ(countLines(server->logSince(log), "mlsd CONNECT"), 1);

    CachedListing found;
    ASSERT_TRUE(downloads.cache().find("FTP" + one.substr(3), &found));  // ignoring case
    EXPECT_EQ(found.url, one);
    EXPECT_EQ(found.entries, (std::vector<FtpEntry>{{"f x.txt", false, 5, time}}));
}

TEST_F(ListingDownloadTest, FailuresAreReportedAndAHostWithoutLoginCostsNoTraffic) {
    login();
    const std::string missing = folder->url(server->host, "missing/");
    const std::string stranger = folder->url(server->listHost);
    const size_t log = server->logSize();
    downloads.QueueListingDownload(catalogName(missing));
    downloads.QueueListingDownload(catalogName(stranger));
    EXPECT_TRUE(prompt.waitForStatus("Failed in download Directory:" + missing, 20s));
    EXPECT_TRUE(prompt.waitForStatus("Failed in download Directory:" + stranger, 20s));
    waitUntilIdle(downloads);
    std::string name;
    EXPECT_FALSE(downloads.takeCompleted(name));
    EXPECT_TRUE(downloads.cache().committedBytes().empty());
    EXPECT_EQ(countLines(server->logSince(log), "list "), 0);

    // A login the server refuses: the login message says why, with the server's reply.
    session.addSessionLogin(server->listHost, server->user, "wrong");
    downloads.QueueListingDownload(catalogName(stranger));
    const std::string refused = "Some error occured when login ftp site:" + server->listHost + " (";
    std::string shown;
    for (int i = 0; i < 1000 && shown.empty(); ++i) {
        for (const std::string& status : prompt.statuses())
            if (status.rfind(refused, 0) == 0) shown = status;
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_NE(shown.find("530"), std::string::npos) << shown;
}

TEST_F(ListingDownloadTest, HousekeepingEmptiesEverythingAfterLongIdleness) {
    login();
    const std::string here = catalogName(folder->url(server->host));
    downloads.QueueListingDownload(here);
    // Names of hosts nobody logged in to fail at once, without traffic.
    const std::string filler = "ftp:\\\\nobody\\" + std::string(986, 'n') + "\\";
    for (int i = 0; i < 8; ++i) downloads.QueueListingDownload(filler);
    // Queued while the length stayed 2048 below the buffer's end: 6144 bytes or more refuse.
    const size_t queued = downloads.queueLength();
    EXPECT_EQ(queued, here.size() + 1 + 7 * (filler.size() + 1));  // the eighth was dropped
    waitUntilIdle(downloads);
    ASSERT_EQ(takeCompleted(downloads, 1), std::vector<std::string>{here});
    ASSERT_FALSE(downloads.cache().committedBytes().empty());

    for (int tick = 0; tick < ListingDownloader::kIdleTicks; ++tick) downloads.housekeepingTick();
    EXPECT_EQ(downloads.queueLength(), queued);
    downloads.housekeepingTick();
    EXPECT_EQ(downloads.queueLength(), 0u);
    EXPECT_EQ(downloads.queueReadPosition(), 0u);
    EXPECT_EQ(downloads.completedLength(), 0u);
    EXPECT_TRUE(downloads.cache().committedBytes().empty());

    // The worker picks up new requests after the reset.
    downloads.QueueListingDownload(here);
    EXPECT_EQ(takeCompleted(downloads, 1), std::vector<std::string>{here});
    EXPECT_FALSE(downloads.cache().committedBytes().empty());
}

// A name is never cut: a cut one would be catalogued as another file. One too long for the
// catalog is left out.
TEST(ListingCache, RecordsGoWholeOrNotAtAllAndNamesAreNeverCut) {
    ListingCache cache;
    const std::string longName(300, 'L'), tooLong(2048, 'T');
    ASSERT_TRUE(
        cache.append("ftp://h/a/", {{longName, false, 0x123456789, 42}, {tooLong, false, 1, 1}}));
    CachedListing back;
    ASSERT_TRUE(cache.find("FTP://H/A/", &back));
    ASSERT_EQ(back.entries.size(), 1u);
    EXPECT_EQ(back.entries[0].name, longName);
    EXPECT_EQ(back.entries[0].size, 0x23456789u);
    EXPECT_FALSE(cache.find("ftp://h/a"));

    // Fill until a listing does not fit: what is committed stays exactly as it was.
    std::vector<FtpEntry> many(1000, FtpEntry{"file-" + std::string(40, 'x'), false, 1, 2});
    std::string before;
    int stored = 0;
    while (true) {
        before = std::string(cache.committedBytes());
        if (!cache.append("ftp://h/" + std::to_string(stored) + "/", many)) break;
        ++stored;
    }
    EXPECT_GT(stored, 2);
    EXPECT_EQ(cache.committedBytes(), before);
    EXPECT_LE(before.size(), ListingCache::kSize - ListingCache::kEndMargin);
    EXPECT_FALSE(cache.find("ftp://h/" + std::to_string(stored) + "/"));
    // A small one still fits in what is left.
    EXPECT_TRUE(cache.append("ftp://h/small/", {}));

    size_t next = 0, offset = 0;
    int records = 0;
    while (decodeListingRecord(cache.committedBytes(), offset, back, next)) {
        offset = next;
        ++records;
    }
    EXPECT_EQ(records, stored + 2);
    EXPECT_EQ(offset, cache.committedBytes().size());
}

}  // namespace
}  // namespace varnel
