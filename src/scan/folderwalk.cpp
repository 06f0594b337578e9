#include "scan/folderwalk.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "catalog/growbuffer.h"
#include "catalog/tables.h"
#include "platform/progress.h"
#include "remote/ftpnames.h"
#include "remote/ftpsession.h"
#include "remote/mirrorpaths.h"
#include "scan/directorysource.h"
#include "scan/scanpaths.h"
#include "scan/scanpipe.h"

namespace varnel {

namespace {

// Mirror folders are made for FTP folders this shallow (ftp:\\host\a\b\ holds 5).
constexpr int kMirrorDepth = 5;
// Local folders listed ahead of the walk, at most this many at a time.
constexpr size_t kListAhead = 64;

struct FolderId {
    uint64_t device;
    uint64_t inode;
    bool operator==(const FolderId&) const = default;
};
struct FolderIdHash {
    size_t operator()(const FolderId& id) const {
        return std::hash<uint64_t>()(id.inode * 0x9E3779B97F4A7C15ULL ^ id.device);
    }
};

// One queue entry's listing. Local folders are listed by a helper thread ahead of the walk
// or by the walk itself, whichever comes first; FTP folders by the walk itself, since the
// FTP session serves one thread at a time. The walk takes the listings in queue order, so
// the order of everything it hands on is that of a walk done alone.
struct Listing {
    enum class State { Waiting, Claimed, Done };
    std::string folder;
    bool ftp = false;
    State state = State::Waiting;  // guarded by the walk's mutex
    bool opened = false;
    bool failed = false;  // reading broke off: the listing is not the whole folder
    bool unreached = false;  // an FTP folder whose server was given up
    bool hasId = false;
    FolderId id{};
    int64_t longNames = 0;
    // Per entry: u8 flags (folder, leads up), u32 size, u32 size high, u64 time, u16 name
    // length, name, NUL, u8 unique length, unique.
    std::vector<char> entries;

    void reset(std::string_view path) {
        folder.assign(path);
        ftp = IsFtpName(folder.c_str());
        state = State::Waiting;
        opened = failed = unreached = hasId = false;
        longNames = 0;
        entries.clear();
    }
    void add(const DirectoryEntry& e) {
        if (e.name.size() >= kTextSize) {
            ++longNames;  // no path that holds it fits a working text
            return;
        }
        const uint16_t length = static_cast<uint16_t>(e.name.size());
        const uint8_t uniqueLength = e.unique.size() <= UINT8_MAX ? uint8_t(e.unique.size()) : 0;
        const size_t at = entries.size();
        entries.resize(at + 21 + length + uniqueLength);
        char* p = entries.data() + at;
        p[0] = static_cast<char>((e.isFolder ? 1 : 0) | (e.leadsUp ? 2 : 0));
        std::memcpy(p + 1, &e.size, 4);
        std::memcpy(p + 5, &e.sizeHigh, 4);
        std::memcpy(p + 9, &e.lastWriteTime, 8);
        std::memcpy(p + 17, &length, 2);
        std::memcpy(p + 19, e.name.data(), length);
        p[19 + length] = 0;
        p[20 + length] = static_cast<char>(uniqueLength);
        if (uniqueLength > 0) std::memcpy(p + 21 + length, e.unique.data(), uniqueLength);
    }
    // Reads the entry at `at` and moves past it; false at the end.
    bool read(size_t& at, DirectoryEntry& e) const {
        if (at + 21 > entries.size()) return false;
        const char* p = entries.data() + at;
        uint16_t length;
        e.isFolder = (p[0] & 1) != 0;
        e.leadsUp = (p[0] & 2) != 0;
        std::memcpy(&e.size, p + 1, 4);
        std::memcpy(&e.sizeHigh, p + 5, 4);
        std::memcpy(&e.lastWriteTime, p + 9, 8);
        std::memcpy(&length, p + 17, 2);
        if (at + 21 + length > entries.size()) return false;
        e.name = std::string_view(p + 19, length);
        const uint8_t uniqueLength = static_cast<uint8_t>(p[20 + length]);
        if (at + 21 + length + uniqueLength > entries.size()) return false;
        e.unique = std::string_view(p + 21 + length, uniqueLength);
        at += 21 + length + uniqueLength;
        return true;
    }
};

// Lists a local folder into `listing`.
void listLocal(Listing& listing, DirectorySource& source) {
    listing.opened = source.openLocal(listing.folder.c_str());
    if (!listing.opened) return;
    listing.hasId = source.identity(listing.id.device, listing.id.inode);
    DirectoryEntry entry;
    while (nextEntry(source, entry)) listing.add(entry);
    listing.failed = source.failed();
    source.close();
}

class Walk {
  public:
    Walk(const WalkRequest& request, ScanPipe& pipe, WalkCounts& counts)
        : request_(request), pipe_(pipe), counts_(counts) {}

    void run();

  private:
    bool cancelled() const { return request_.progress && request_.progress->cancelled(); }
    const std::atomic<bool>* cancelFlag() const {
        return request_.progress ? request_.progress->cancelFlag() : nullptr;
    }
    void seedQueue();
    void startHelpers();
    void stopHelpers();
    void helper();
    // Makes listings for the queue entries not yet given one, up to kListAhead.
    void planListings();
    // The listing of the entry at the front, read whole.
    Listing& currentListing();
    // A local listing no thread has taken yet, now taken; null when there is none.
    Listing* claimWaiting();
    void listFtp(Listing& listing);
    enum class Connect { Connected, Failed, GivenUp };
    Connect connectFtp(const std::string& folder);
    void process(const Listing& listing, uint64_t readPosition);
    // Appends folder_ + name + separator to the queue unless a rule drops it.
    void queueSubfolder(std::string_view name, bool ftp, std::string_view unique = {});
    // An FTP subfolder of folder_ that leads back to it or to a folder above it.
    bool goesRound(const DirectoryEntry& entry) const;

    const WalkRequest& request_;
    ScanPipe& pipe_;
    WalkCounts& counts_;
    GrowBuffer<char> queue_;
    size_t used_ = 0;
    size_t plannedTo_ = 0;         // queue offset up to which entries have a listing
    char folder_[kTextSize] = {};  // the entry being handled: the queue may move meanwhile
    size_t folderLength_ = 0;
    DirectorySource source_;
    std::unordered_set<FolderId, FolderIdHash> seen_;
    std::unordered_map<std::string, std::string> ftpUniques_;  // FTP folder -> server's identity
    std::vector<std::string> givenUpHosts_;  // refused the login, or stopped answering
    int failedConnects_ = 0;                  // in a row
    WalkCounts pending_;  // counts of the folder under way, kept only if it is read whole

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Listing>> listings_;
    std::vector<std::unique_ptr<Listing>> spare_;
    std::vector<std::thread> helpers_;
    bool stopping_ = false;
};

void Walk::seedQueue() {
    size_t wanted = request_.roots->length();
    growBuffer(queue_, std::max(request_.initialQueueCapacity, wanted + kTextSize));
    for (const std::string& root : request_.roots->entries()) {
        if (root.size() >= kTextSize) {
            ++counts_.skippedLongPaths;
            continue;
        }
        bool again = false;
        for (size_t at = 0; at < used_ && !again; at += std::strlen(queue_.get() + at) + 1)
            again = samePathText(queue_.get() + at, root);
        if (again) continue;  // one walk per folder, or its new files would come twice
        std::memcpy(queue_.get() + used_, root.c_str(), root.size() + 1);
        used_ += root.size() + 1;
    }
}

void Walk::startHelpers() {
    const unsigned cores = std::thread::hardware_concurrency();
    const unsigned wanted = cores > 1 ? std::min(cores - 1, 3u) : 0u;
    for (unsigned i = 0; i < wanted; ++i) {
        try {
            helpers_.emplace_back([this] { helper(); });
        } catch (const std::system_error&) {
            break;  // the walk lists alone
        }
    }
}

void Walk::stopHelpers() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : helpers_) t.join();
}

void Walk::helper() {
    DirectorySource source;
    std::unique_lock lock(mutex_);
    for (;;) {
        Listing* job = nullptr;
        changed_.wait(lock, [&] {
            if (stopping_) return true;
            // After Cancel nothing more is listed: the walk takes the rest as unreadable.
            if (cancelled()) return false;
            job = claimWaiting();
            return job != nullptr;
        });
        if (stopping_) return;
        lock.unlock();
        listLocal(*job, source);
        lock.lock();
        job->state = Listing::State::Done;
        changed_.notify_all();
    }
}

void Walk::planListings() {
    bool added = false;
    {
        std::lock_guard lock(mutex_);
        while (listings_.size() < kListAhead && plannedTo_ < used_) {
            const char* entry = queue_.get() + plannedTo_;
            const size_t length = std::strlen(entry);
            std::unique_ptr<Listing> listing;
            if (spare_.empty()) {
                listing = std::make_unique<Listing>();
            } else {
                listing = std::move(spare_.back());
                spare_.pop_back();
            }
            listing->reset({entry, length});
            listings_.push_back(std::move(listing));
            plannedTo_ += length + 1;
            added = true;
        }
    }
    if (added) changed_.notify_all();
}

Listing* Walk::claimWaiting() {
    for (auto& l : listings_)
        if (!l->ftp && l->state == Listing::State::Waiting) {
            l->state = Listing::State::Claimed;
            return l.get();
        }
    return nullptr;
}

Listing& Walk::currentListing() {
    std::unique_lock lock(mutex_);
    Listing& listing = *listings_.front();
    if (cancelled()) {
        // A helper may still be at it: its listing is not used, but it must be finished.
        changed_.wait(lock, [&] { return listing.state != Listing::State::Claimed; });
        listing.opened = false;
        return listing;
    }
    if (listing.state == Listing::State::Waiting) {
        listing.state = Listing::State::Claimed;
        lock.unlock();
        if (listing.ftp)
            listFtp(listing);
        else
            listLocal(listing, source_);
        lock.lock();
        listing.state = Listing::State::Done;
    }
    // While a helper finishes this one, the walk lists the next ones rather than wait.
    while (listing.state != Listing::State::Done) {
        Listing* other = claimWaiting();
        if (!other) {
            changed_.wait(lock, [&] { return listing.state == Listing::State::Done; });
            break;
        }
        lock.unlock();
        listLocal(*other, source_);
        lock.lock();
        other->state = Listing::State::Done;
    }
    return listing;
}

Walk::Connect Walk::connectFtp(const std::string& folder) {
    std::string url = folder;
    SwapFtpSeparators(url);
    std::string host;
    FtpHostFromUrl(url.c_str(), host);
    for (const std::string& given : givenUpHosts_)
        if (equalIgnoringCase(given, host)) return Connect::GivenUp;
    for (;;) {
        if (cancelled()) return Connect::Failed;
        ++counts_.ftpConnectAttempts;
        if (FtpConnection* connection = request_.ftp->ConnectFtp(url, nullptr, cancelFlag())) {
            connection->setCancelFlag(cancelFlag());
            failedConnects_ = 0;
            return Connect::Connected;
        }
        // Offline, or no login for the host: asking again cannot help.
        if (cancelled() || request_.ftp->lastFtpError().empty()) return Connect::Failed;
        // A refused password stays refused; a server that does not answer three times in a
        // row is down. Its folders keep their records and the scan goes on without it.
        if (request_.ftp->lastLoginRefused() || ++failedConnects_ >= kConnectTries) {
            failedConnects_ = 0;
            givenUpHosts_.push_back(host);
            counts_.ftpProblem = request_.ftp->lastFtpError();
            return Connect::GivenUp;
        }
        // A server that is down is asked once a second, not as fast as it refuses.
        const auto end =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectPauseMs);
        while (std::chrono::steady_clock::now() < end && !cancelled())
            std::this_thread::sleep_for(std::chrono::milliseconds(kCancelPollMs));
    }
}

void Walk::listFtp(Listing& listing) {
    pipe_.publish();  // the merger may catch up while the server answers
    const Connect connect = request_.ftp ? connectFtp(listing.folder) : Connect::Failed;
    listing.unreached = connect == Connect::GivenUp;
    listing.opened = connect == Connect::Connected && source_.openFtp(*request_.ftp, listing.folder);
    if (!listing.opened) return;
    DirectoryEntry entry;
    while (nextEntry(source_, entry)) listing.add(entry);
    source_.close();
}

void Walk::queueSubfolder(std::string_view name, bool ftp, std::string_view unique) {
    if (!usableEntryName(name, ftp)) return;
    const size_t length = folderLength_ + name.size() + 1;
    if (length >= kTextSize) {
        ++pending_.skippedLongPaths;  // cutting it would name another folder
        return;
    }
    if (used_ + kTextSize > queue_.capacity) growBuffer(queue_, used_ + kTextSize);
    char* sub = queue_.get() + used_;
    std::memcpy(sub, folder_, folderLength_);
    std::memcpy(sub + folderLength_, name.data(), name.size());
    sub[length - 1] = ftp ? '\\' : '/';
    sub[length] = 0;
    const std::string_view path(sub, length);
    if (request_.exclusions->holdsPrefixOf(path) || request_.rules->passOver(path) ||
        request_.roots->holds(path))
        return;
    used_ += length + 1;
    if (!unique.empty()) ftpUniques_.emplace(path, unique);
    if (ftp && !request_.programDir.empty()) {
        int separators = 0;
        for (char c : path) separators += c == '\\';
        std::string mirror;
        if (separators <= kMirrorDepth) MakeMirrorFolders(request_.programDir, path, mirror);
    }
}

bool Walk::goesRound(const DirectoryEntry& entry) const {
    if (entry.leadsUp) return true;
    if (entry.unique.empty() || ftpUniques_.empty()) return false;
    // The server's identity of the folder, against those of folder_ and each folder above it
    // up to the site's root (a root's own is not known: it was never an entry).
    std::string_view folder(folder_, folderLength_);
    while (folder.size() > kFtpPrefixLength) {
        const auto known = ftpUniques_.find(std::string(folder));
        if (known != ftpUniques_.end() && known->second == entry.unique) return true;
        const size_t cut = folder.rfind('\\', folder.size() - 2);
        if (cut == std::string_view::npos) break;
        folder = folder.substr(0, cut + 1);
    }
    return false;
}

void Walk::process(const Listing& listing, uint64_t readPosition) {
    folderLength_ = listing.folder.size();
    std::memcpy(folder_, listing.folder.c_str(), folderLength_ + 1);
    const std::string_view folder(folder_, folderLength_);
    pipe_.beginFolder(folder, readPosition, used_);
    if (!listing.opened) {
        ++counts_.unreadableFolders;
        if (listing.unreached) counts_.unreachedFtpFolders.push_back(listing.folder);
        pipe_.endFolderUnreadable();
        return;
    }
    // A folder met again through a bind mount is walked once; its second name keeps
    // whatever it had, as an unreadable folder does.
    if (listing.hasId && !seen_.insert(listing.id).second) {
        pipe_.endFolderUnreadable();
        return;
    }
    if (listing.failed) {
        // Half a folder would make its other files look vanished: keep it as it was.
        ++counts_.unreadableFolders;
        pipe_.endFolderUnreadable();
        return;
    }
    pending_ = WalkCounts{};
    pending_.skippedLongPaths = listing.longNames;
    DirectoryEntry entry;
    for (size_t at = 0; listing.read(at, entry);) {
        // The catalog spells FTP paths with "\": such a name would read as a folder path.
        if (listing.ftp && entry.name.find('\\') != std::string::npos) {
            ++pending_.skippedUnstorableNames;
        } else if (entry.isFolder && listing.ftp && goesRound(entry)) {
            ++pending_.skippedFolderLoops;  // its files are listed where it leads
        } else if (entry.isFolder) {
            queueSubfolder(entry.name, listing.ftp, entry.unique);
        } else if (folderLength_ + entry.name.size() >= kTextSize) {
            ++pending_.skippedLongPaths;
        } else if (entry.sizeHigh != 0) {
            ++pending_.skippedLargeFiles;
        } else if (usableEntryName(entry.name, listing.ftp)) {
            pipe_.addFile(entry.name, entry.size, entry.lastWriteTime);
        }
    }
    ++counts_.foldersListed;
    counts_.skippedLongPaths += pending_.skippedLongPaths;
    counts_.skippedLargeFiles += pending_.skippedLargeFiles;
    counts_.skippedUnstorableNames += pending_.skippedUnstorableNames;
    counts_.skippedFolderLoops += pending_.skippedFolderLoops;
    pipe_.endFolder();
}

void Walk::run() {
    seedQueue();
    startHelpers();
    for (size_t read = 0; read < used_;) {
        planListings();
        Listing& listing = currentListing();
        const size_t length = listing.folder.size();
        process(listing, read);
        read += length + 1;
        std::lock_guard lock(mutex_);
        spare_.push_back(std::move(listings_.front()));
        listings_.pop_front();
    }
    stopHelpers();
    if (request_.ftp)
        if (FtpConnection* connection = request_.ftp->transferConnection())
            connection->setCancelFlag(nullptr);
    pipe_.finish();
}

}  // namespace

void walkFolders(const WalkRequest& request, ScanPipe& pipe, WalkCounts& counts) {
    Walk(request, pipe, counts).run();
}

}  // namespace varnel
