#include "scan/folderscan.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <system_error>
#include <thread>

#include "catalog/tables.h"
#include "platform/progress.h"
#include "remote/ftpnames.h"
#include "scan/folderwalk.h"
#include "scan/listingmerge.h"
#include "scan/scanpaths.h"
#include "scan/scanpipe.h"
#include "scan/scanservices.h"

namespace varnel {

namespace {

constexpr size_t kSmallQueue = 32768;
constexpr size_t kLargeQueue = 262144;

// The progress dialog's caption, bar and status line, told at most every few milliseconds:
// a screen cannot show more, and a hundred thousand folders would otherwise cost a hundred
// thousand redraw requests.
class ScanProgress {
  public:
    explicit ScanProgress(Progress* progress) : progress_(progress) {}

    void folder(const FolderBlock& block, int32_t found) {
        if (!progress_) return;
        const auto now = std::chrono::steady_clock::now();
        if (shown_ && now - last_ < std::chrono::milliseconds(16)) return;
        shown_ = true;
        last_ = now;
        show(found);
        if (block.queueLength > 0) {
            const int position =
                static_cast<int>(block.readPosition * kProgressBarMax / block.queueLength);
            if (position > bar_) {
                bar_ = position;
                progress_->setBar(bar_);
            }
        }
        std::string status(block.path);
        SwapFtpSeparators(status);  // FTP folders are shown as URLs
        progress_->setStatus(status);
    }

    void finished(int32_t found) {
        if (!progress_) return;
        show(found);
        progress_->setBar(kProgressBarMax);
    }

  private:
    void show(int32_t found) {
        char caption[64];
        std::snprintf(caption, sizeof caption, "Searching files... (%d files find)", found);
        progress_->setCaption(caption);
    }

    Progress* progress_;
    bool shown_ = false;
    int bar_ = 0;
    std::chrono::steady_clock::time_point last_;
};


}  // namespace

ScanSummary scanFolders(ScanServices& services, const char* roots, size_t rootsLength,
                        const char* exclusions, size_t exclusionsLength, int flag,
                        Progress* progress) {
    Catalog& catalog = services.catalog;
    ScanSummary summary;
    const FolderList rootList = FolderList::fromBytes(roots, rootsLength, true);
    const FolderList exclusionList = FolderList::fromBytes(exclusions, exclusionsLength);
    const PassOverRules rules = PassOverRules::forThisSystem();

    const int found = catalog.reserveTempList();
    const int prior = catalog.reserveTempList();
    const int lookup = catalog.reserveTempList();

    // The lister starts at once: while it reads the first folders, this thread gathers and
    // sorts the prior records it will need.
    ScanPipe pipe;
    WalkRequest request;
    request.roots = &rootList;
    request.exclusions = &exclusionList;
    request.rules = &rules;
    request.initialQueueCapacity = flag == 0 ? kLargeQueue : kSmallQueue;
    request.ftp = services.ftp;
    request.programDir = services.programDir;
    request.progress = progress;
    WalkCounts counts;
    std::thread lister;
    try {
        lister = std::thread([&] { walkFolders(request, pipe, counts); });
    } catch (const std::system_error&) {
        pipe.setUnbounded();  // no second thread: walk first, merge after
        walkFolders(request, pipe, counts);
    }

    collectPriorRecords(catalog, prior, lookup,
                        [&](std::string_view folder) { return rootList.holdsPrefixOf(folder); });
    ListingMerge merge(catalog, found, lookup);
    FolderSet unreadable;
    ScanProgress shown(progress);
    FolderBlock block;
    ListedFile file;
    while (pipe.takeFolder(block)) {
        shown.folder(block, merge.newFiles() + merge.changedFiles());
        if (block.unreadable) {
            unreadable.add(block.path);
            continue;
        }
        merge.beginFolder(block.path.data());
        while (pipe.takeFile(block, file))
            merge.addFile(file.name.data(), file.size, file.lastWriteTime);
    }
    if (lister.joinable()) lister.join();
    catalog.flushPendingStrings();
    shown.finished(merge.newFiles() + merge.changedFiles());

    // What nobody confirmed is gone, except below the folders that could not be read.
    merge.collectGone(prior,
                      [&](std::string_view folder) { return unreadable.holdsOrIsBelow(folder); });
    catalog.releaseTempList(lookup);
    const int32_t gone = catalog.recordCount(prior);
    mergeScanResult(catalog, found, prior);

    int32_t purged = 0;
    if (!exclusionList.empty()) {
        purged = dropMasterRecords(
            catalog, [&](std::string_view folder) { return exclusionList.holdsPrefixOf(folder); });
    }
    const bool changed = catalog.recordCount(found) > 0 || gone > 0 || purged > 0;
    catalog.releaseTempList(found);
    catalog.releaseTempList(prior);
    // A scan that changed nothing left no string unused: the pools stay exactly as they were.
    if (changed) catalog.compactPools();

    if (services.scannedFolders)
        for (const std::string& root : rootList.entries()) {
            bool known = false;
            for (const std::string& f : *services.scannedFolders)
                known = known || samePathText(f, root);
            if (!known) services.scannedFolders->push_back(root);
        }

    summary.foldersWalked = counts.foldersListed;
    summary.unreadableFolders = counts.unreadableFolders;
    summary.newFiles = merge.newFiles();
    summary.changedFiles = merge.changedFiles();
    summary.removedFiles = gone - merge.changedFiles() + purged;
    summary.skippedLongPaths = counts.skippedLongPaths;
    summary.skippedLargeFiles = counts.skippedLargeFiles;
    summary.skippedUnstorableNames = counts.skippedUnstorableNames;
    summary.skippedFolderLoops = counts.skippedFolderLoops;
    summary.unreachedFtpFolders = std::move(counts.unreachedFtpFolders);
    summary.ftpProblem = std::move(counts.ftpProblem);
    summary.cancelled = progress && progress->cancelled();
    return summary;
}

void dropExcludedWatches(std::string& watched, const FolderList& exclusions) {
    std::string kept;
    for (size_t at = 0; at < watched.size();) {
        const size_t n = strnlen(watched.data() + at, watched.size() - at);
        const std::string_view folder(watched.data() + at, n);
        if (n > 0 && !exclusions.holdsPrefixOf(folder)) {
            kept.append(folder);
            kept.push_back('\0');
        }
        at += n + 1;
    }
    watched.swap(kept);
}

}  // namespace varnel
