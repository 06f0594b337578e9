#pragma once
// The folder scan: walks every root and all folders below it, local or FTP, and brings the
// master list into line with what it found. New and changed files go to the front of the
// master list, newest first; vanished files leave it; records under excluded folders are
// dropped. Folders that cannot be read keep their records as they were.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

class FolderList;

class Progress;
class ScanServices;

struct ScanSummary {
    int64_t foldersWalked = 0;
    int64_t unreadableFolders = 0;
    int32_t newFiles = 0;
    int32_t changedFiles = 0;
    int32_t removedFiles = 0;       // vanished, and dropped by the exclusions
    int64_t skippedLongPaths = 0;   // paths longer than the 2048-byte working texts
    int64_t skippedLargeFiles = 0;  // files of 4 GiB or more
    int64_t skippedUnstorableNames = 0;  // FTP names the catalog cannot store (a "\" in them)
    int64_t skippedFolderLoops = 0;      // FTP links back to a folder above them
    // FTP folders not listed because their server refused the login or stopped answering
    // (their records were kept), and what the server last said.
    std::vector<std::string> unreachedFtpFolders;
    std::string ftpProblem;
    bool cancelled = false;
};

// The worker's body. `roots` and `exclusions` are prefix lists (NUL-separated, the length
// counting every NUL); `flag` 0 starts the queue at 262144 bytes, other values at 32768.
// `progress` (may be null) is told what is going on and its Cancel stops the walk: what was
// found so far is kept, folders not yet listed keep their records. Two threads work: one
// lists folders while this one merges, with the same result as one walking alone.
// Drops the watched folders (a NUL-separated list) that lie under one of `exclusions`. Not
// part of the scan itself: the timer reads the list while the scan worker runs.
void dropExcludedWatches(std::string& watched, const FolderList& exclusions);

ScanSummary scanFolders(ScanServices& services, const char* roots, size_t rootsLength,
                        const char* exclusions, size_t exclusionsLength, int flag,
                        Progress* progress);

}  // namespace varnel
