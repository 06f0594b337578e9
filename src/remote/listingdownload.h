#pragma once
// The background download of FTP folder listings. The folder tree queues a folder whose
// listing the catalog lacks; one worker thread fetches the listings in order into the
// listing cache and puts each fetched folder on the completed-download list; the main
// view's timer takes completed names from there (to refresh the folder from the cache) and
// empties everything once the worker has long been idle.
//
// Sharing: the queue is appended by the user-interface thread and read by the worker, the
// completed list and the cache the other way round. Each buffer has one writer at a time,
// which writes the bytes first and then publishes them by raising an atomic length
// (release; readers acquire). The timer resets the lengths only when the worker has
// consumed the whole queue.
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "remote/listingcache.h"

namespace varnel {

class FtpConnection;
class FtpSession;
class Prompt;

class ListingDownloader {
  public:
    static constexpr size_t kQueueSize = 8192;
    static constexpr size_t kCompletedSize = 8192;
    static constexpr size_t kQueueHeadroom = 2048;
    static constexpr size_t kIdleQueueLength = 4096;
    static constexpr int kIdleTicks = 150;

    // Status texts go to `prompt` from the worker thread. Both must outlive the downloader.
    ListingDownloader(FtpSession& session, Prompt& prompt);
    // Stops the worker, abandoning a fetch under way.
    ~ListingDownloader();
    ListingDownloader(const ListingDownloader&) = delete;
    ListingDownloader& operator=(const ListingDownloader&) = delete;

    // Queues an FTP folder name (catalog spelling). Dropped silently when the queue has less
    // than 2048 bytes to spare, or in offline mode. Starts the worker on first use.
    void QueueListingDownload(std::string_view ftpName);
    // Fetches one listing (URL spelling) into the cache; true when the cache holds it after.
    // The worker's own step, public so that it can be driven directly.
    bool FetchListing(std::string_view url);

    // The timer's side: the next completed folder name (catalog spelling), if any.
    bool takeCompleted(std::string& ftpName);
    // Once per timer tick.
    void housekeepingTick();

    const ListingCache& cache() const { return cache_; }
    size_t queueLength() const { return queueLength_.load(std::memory_order_acquire); }
    size_t queueReadPosition() const { return queueRead_.load(std::memory_order_acquire); }
    size_t completedLength() const { return completedLength_.load(std::memory_order_acquire); }
    bool workerStarted() const { return worker_.joinable(); }

  private:
    void run();
    void appendCompleted(std::string_view name);

    FtpSession& session_;
    Prompt& prompt_;
    ListingCache cache_;

    std::array<char, kQueueSize> queue_{};
    std::atomic<size_t> queueLength_{0};
    std::atomic<size_t> queueRead_{0};

    std::array<char, kCompletedSize> completed_{};
    std::atomic<size_t> completedLength_{0};
    size_t completedRead_ = 0;  // the timer's own
    int idleTicks_ = 0;         // the timer's own

    std::unique_ptr<FtpConnection> connection_;  // the worker's own, apart from the transfer one
    std::atomic<bool> stopping_{false};
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    std::thread worker_;
};

}  // namespace varnel
