#include "remote/listingdownload.h"

#include <cstring>
#include <vector>

#include "platform/prompt.h"
#include "remote/ftpnames.h"
#include "remote/ftpsession.h"

namespace varnel {

ListingDownloader::ListingDownloader(FtpSession& session, Prompt& prompt)
    : session_(session), prompt_(prompt) {}

ListingDownloader::~ListingDownloader() {
    {
        std::lock_guard lock(wakeMutex_);
        stopping_.store(true, std::memory_order_release);
    }
    wake_.notify_one();
    if (worker_.joinable()) worker_.join();
}

void ListingDownloader::QueueListingDownload(std::string_view ftpName) {
    if (session_.offline()) return;
    const size_t length = queueLength_.load(std::memory_order_relaxed);  // only we write it
    // The headroom rule also keeps any name of a working text's size from overrunning.
    if (length + kQueueHeadroom >= kQueueSize || ftpName.size() >= kQueueHeadroom ||
        ftpName.find('\0') != std::string_view::npos)
        return;
    std::memcpy(queue_.data() + length, ftpName.data(), ftpName.size());
    queue_[length + ftpName.size()] = '\0';
    {
        // Under the lock, so the worker cannot check for work and then miss this wake-up.
        std::lock_guard lock(wakeMutex_);
        queueLength_.store(length + ftpName.size() + 1, std::memory_order_release);
    }
    wake_.notify_one();
    if (!worker_.joinable()) worker_ = std::thread([this] { run(); });
}

void ListingDownloader::run() {
    while (true) {
        size_t read = 0;
        {
            std::unique_lock lock(wakeMutex_);
            wake_.wait(lock, [&] {
                read = queueRead_.load(std::memory_order_acquire);
                return stopping_.load(std::memory_order_acquire) ||
                       read < queueLength_.load(std::memory_order_acquire);
            });
        }
        if (stopping_.load(std::memory_order_acquire)) return;
        const std::string name(queue_.data() + read);
        prompt_.status("Prepare to download Directory:" + name);
        std::string url = name;
        SwapFtpSeparators(url);
        if (FetchListing(url)) {
            appendCompleted(name);
        } else if (!stopping_.load(std::memory_order_acquire)) {
            prompt_.status("Failed in download Directory:" + url);
        }
        queueRead_.store(read + name.size() + 1, std::memory_order_release);
    }
}

bool ListingDownloader::FetchListing(std::string_view url) {
    if (cache_.find(url)) return true;
    // Offline means no connection at all, also for a folder queued before.
    if (session_.offline()) return false;
    std::string host;
    if (!FtpHostFromUrl(std::string(url).c_str(), host)) return false;
    if (connection_ && connection_->serverName() != host) connection_.reset();
    if (!connection_) {
        FtpLogin login;
        if (!session_.sessionLogin(host, login)) return false;
        FtpConnectError error;
        connection_ = session_.client().connect(host, login, error, &stopping_);
        if (!connection_) {
            // The fixed text, then the server's words: a refused password must say so.
            prompt_.status("Some error occured when login ftp site:" + host +
                           (error.text.empty() ? "" : " (" + error.text + ")"));
            return false;
        }
        connection_->setCancelFlag(&stopping_);
    }
    std::vector<FtpEntry> entries;
    if (!connection_->list(FtpServerPath(url), entries)) return false;
    return cache_.append(url, entries);
}

void ListingDownloader::appendCompleted(std::string_view name) {
    const size_t length = completedLength_.load(std::memory_order_acquire);
    // Never fuller than the queue it mirrors; guarded all the same.
    if (length + name.size() + 1 > kCompletedSize) return;
    std::memcpy(completed_.data() + length, name.data(), name.size());
    completed_[length + name.size()] = '\0';
    completedLength_.store(length + name.size() + 1, std::memory_order_release);
}

bool ListingDownloader::takeCompleted(std::string& ftpName) {
    if (completedRead_ >= completedLength_.load(std::memory_order_acquire)) return false;
    ftpName = completed_.data() + completedRead_;
    completedRead_ += ftpName.size() + 1;
    return true;
}

void ListingDownloader::housekeepingTick() {
    const size_t length = queueLength_.load(std::memory_order_acquire);
    if (queueRead_.load(std::memory_order_acquire) != length || length <= kIdleQueueLength) {
        idleTicks_ = 0;
        return;
    }
    if (++idleTicks_ <= kIdleTicks) return;
    // The worker has consumed everything and waits for the queue to grow: nothing of it
    // runs until we queue again, on this same thread.
    cache_.reset();
    completedLength_.store(0, std::memory_order_release);
    completedRead_ = 0;
    {
        std::lock_guard lock(wakeMutex_);
        queueRead_.store(0, std::memory_order_release);
        queueLength_.store(0, std::memory_order_release);
    }
    idleTicks_ = 0;
}

}  // namespace varnel
