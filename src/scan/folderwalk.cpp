#include "scan/folderwalk.h"

#include <chrono>
#include <cstring>
#include <thread>
#include <unordered_set>

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
    void listFolder(uint64_t readPosition);
    bool openSource(bool ftp);
    bool connectFtp();
    // Appends folder_ + name + separator to the queue unless a rule drops it.
    void queueSubfolder(std::string_view name, bool ftp);

    const WalkRequest& request_;
    ScanPipe& pipe_;
    WalkCounts& counts_;
    GrowBuffer<char> queue_;
    size_t used_ = 0;
    char folder_[kTextSize] = {};  // the entry being listed: the queue may move meanwhile
    size_t folderLength_ = 0;
    DirectorySource source_;
    std::unordered_set<FolderId, FolderIdHash> seen_;
    WalkCounts pending_;  // counts of the folder under way, kept only if it is read whole
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
            again = sameFolder(queue_.get() + at, root);
        if (again) continue;  // one walk per folder, or its new files would come twice
        std::memcpy(queue_.get() + used_, root.c_str(), root.size() + 1);
        used_ += root.size() + 1;
    }
}

bool Walk::connectFtp() {
    std::string url(folder_, folderLength_);
    SwapFtpSeparators(url);
    for (;;) {
        if (cancelled()) return false;
        ++counts_.ftpConnectAttempts;
        if (FtpConnection* connection = request_.ftp->ConnectFtp(url, nullptr, cancelFlag())) {
            connection->setCancelFlag(cancelFlag());
            return true;
        }
        // Offline, or no login for the host: asking again cannot help.
        if (cancelled() || request_.ftp->lastFtpError().empty()) return false;
        // A server that is down is asked once a second, not as fast as it refuses.
        const auto end =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectPauseMs);
        while (std::chrono::steady_clock::now() < end && !cancelled())
            std::this_thread::sleep_for(std::chrono::milliseconds(kCancelPollMs));
    }
}

bool Walk::openSource(bool ftp) {
    if (ftp) {
        pipe_.publish();  // the merger may catch up while the server answers
        if (!request_.ftp || !connectFtp()) return false;
        return source_.openFtp(*request_.ftp, folder_);
    }
    if (!source_.openLocal(folder_)) return false;
    return true;
}

void Walk::queueSubfolder(std::string_view name, bool ftp) {
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
    if (ftp && !request_.programDir.empty()) {
        int separators = 0;
        for (char c : path) separators += c == '\\';
        std::string mirror;
        if (separators <= kMirrorDepth) MakeMirrorFolders(request_.programDir, path, mirror);
    }
}

void Walk::listFolder(uint64_t readPosition) {
    const bool ftp = IsFtpName(folder_);
    const std::string_view folder(folder_, folderLength_);
    pipe_.beginFolder(folder, readPosition, used_);
    if (cancelled() || !openSource(ftp)) {
        ++counts_.unreadableFolders;
        pipe_.endFolderUnreadable();
        return;
    }
    if (!ftp) {
        FolderId id{};
        // A folder met again through a bind mount is listed once; its second name keeps
        // whatever it had, as an unreadable folder does.
        if (source_.identity(id.device, id.inode) && !seen_.insert(id).second) {
            source_.close();
            pipe_.endFolderUnreadable();
            return;
        }
    }
    const size_t usedBefore = used_;
    pending_ = WalkCounts{};
    DirectoryEntry entry;
    while (nextEntry(source_, entry)) {
        if (entry.isFolder) {
            queueSubfolder(entry.name, ftp);
        } else if (folderLength_ + entry.name.size() >= kTextSize) {
            ++pending_.skippedLongPaths;
        } else if (entry.sizeHigh != 0) {
            ++pending_.skippedLargeFiles;
        } else if (usableEntryName(entry.name, ftp)) {
            pipe_.addFile(entry.name, entry.size, entry.lastWriteTime);
        }
    }
    if (source_.failed()) {
        // Half a folder would make its other files look vanished: keep it as it was.
        used_ = usedBefore;
        ++counts_.unreadableFolders;
        source_.close();
        pipe_.endFolderUnreadable();
        return;
    }
    source_.close();
    ++counts_.foldersListed;
    counts_.skippedLongPaths += pending_.skippedLongPaths;
    counts_.skippedLargeFiles += pending_.skippedLargeFiles;
    pipe_.endFolder();
}

void Walk::run() {
    seedQueue();
    for (size_t read = 0; read < used_;) {
        folderLength_ = std::strlen(queue_.get() + read);
        std::memcpy(folder_, queue_.get() + read, folderLength_ + 1);
        listFolder(read);
        read += folderLength_ + 1;
    }
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
