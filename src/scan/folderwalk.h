#pragma once
// The scan's walk: breadth-first over a queue of folder paths that starts with the roots in
// the order given; every folder listed appends its subfolders, in listing order, at the end.
// Helper threads (one per spare core, up to three) list local folders of the queue ahead of
// the walk; the walk takes every listing in queue order and sends each folder to the pipe as
// one block, so the merger sees exactly what a single-threaded walk would have produced. The
// walk never touches the catalog.
#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

class FtpSession;
class FolderList;
class PassOverRules;
class Progress;
class ScanPipe;

struct WalkRequest {
    const FolderList* roots = nullptr;
    const FolderList* exclusions = nullptr;
    const PassOverRules* rules = nullptr;
    size_t initialQueueCapacity = 262144;
    FtpSession* ftp = nullptr;           // null: FTP folders cannot be read
    std::string programDir;              // where FTP mirror folders go; empty: none are made
    const Progress* progress = nullptr;  // its cancelled flag stops the walk
};

struct WalkCounts {
    int64_t foldersListed = 0;
    int64_t unreadableFolders = 0;  // could not be listed (or were not, after Cancel)
    int64_t skippedLongPaths = 0;   // longer than a 2048-byte working text
    int64_t skippedLargeFiles = 0;  // 4 GiB or more
    int64_t skippedUnstorableNames = 0;  // FTP names holding the catalog's separator "\"
    int64_t skippedFolderLoops = 0;      // FTP links back to a folder above them
    int64_t ftpConnectAttempts = 0;
    // FTP folders left unlisted because their server refused the login or stopped
    // answering (their records stay), and the server's last word.
    std::vector<std::string> unreachedFtpFolders;
    std::string ftpProblem;
};

void walkFolders(const WalkRequest& request, ScanPipe& pipe, WalkCounts& counts);

// The pause between two attempts to reach an FTP server that did not answer; Cancel ends
// the wait within kCancelPoll. After kConnectTries failures in a row the walk gives the
// server up.
inline constexpr int kConnectPauseMs = 1000;
inline constexpr int kCancelPollMs = 20;

}  // namespace varnel
