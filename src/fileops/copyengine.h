#pragma once
// Copies between the local disk and FTP sites on a worker thread, under the progress dialog:
// upload, download and local copy in large chunks, the overwrite question, cancel, and
// the status line ("3.52M 57.3 MB/s 0:07  name") renewed ten times a second. Downloads
// take the target's name only once they are complete.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

class FtpConnection;
class FtpSession;
class Progress;
class Prompt;

struct CopyJob {
    // An FTP URL (folder) for an upload, a local folder for a download or a local copy
    // (ending with "/"), or a complete target file name for a local copy of one file.
    std::string destination;
    // FTP URLs of files for a download, local file paths for an upload.
    std::vector<std::string> sources;
    uint64_t totalSize = 0;  // of all sources: drives the size shown and the bar
};

// A speed in decimal units with one decimal: "999 B/s", "57.3 MB/s".
std::string FormatCopySpeed(uint64_t bytesPerSecond);
// The status line; an upload puts two blanks before the name, a download one.
std::string FormatCopyStatus(bool upload, uint64_t totalSize, uint64_t bytesPerSecond,
                             int64_t elapsedSeconds, std::string_view name);

class CopyEngine {
  public:
    CopyEngine(FtpSession& session, Prompt& prompt, Progress& progress);

    // Runs the job on the copy worker while the progress dialog shows, then says
    // "Copy file error!!!" and why the first failed file failed, if any did. True when
    // every file was copied.
    bool RunCopyJob(const CopyJob& job);
    // The worker's job: true only if every file was copied completely.
    bool CopyFiles(const std::string& destination, const std::vector<std::string>& sources,
                   uint64_t totalSize);

    // Why the first failed file of the last job failed ("" when none did).
    const std::string& lastError() const { return lastError_; }

    // Milliseconds for the status line; a steady clock unless a test sets another.
    std::function<int64_t()> clock;

  private:
    enum class Outcome { Copied, Failed, EndJob };
    Outcome upload(FtpConnection& connection, const std::string& destination,
                   const std::string& source);
    Outcome download(const std::string& destination, const std::string& source);
    Outcome localCopy(const std::string& destination, const std::string& source);
    void moved(uint64_t bytes, bool upload, std::string_view name);
    Outcome fail(Outcome outcome, const std::string& why);
    std::string loginError(const std::string& url) const;

    FtpSession& session_;
    Prompt& prompt_;
    Progress& progress_;

    std::string lastError_;
    // Kept across the files of one job.
    uint64_t totalSize_ = 0;
    bool sizeFromServer_ = false;  // the job's size was not known: each download adds its own
    uint64_t moved_ = 0;
    int64_t start_ = 0;
    int64_t lastUpdate_ = 0;
    uint64_t lastMoved_ = 0;
};

}  // namespace varnel
