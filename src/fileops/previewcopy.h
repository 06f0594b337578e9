#pragma once
// The preview shows an FTP file from a copy in the file's mirror folder: fetched on a worker
// over a connection of its own (the transfer connection stays the window's), under a size cap,
// through a part file so that a cut transfer leaves nothing behind. The mirror folder's next
// refresh removes the copy again.
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ftpclient.h"

namespace varnel {

// Files larger than this are not fetched for a preview.
inline constexpr uint64_t kPreviewCopyLimit = 32u << 20;

struct PreviewCopyRequest {
    std::string url;         // ftp://host/dir/name
    std::string programDir;  // holds the mirror root
    FtpLogin login;
    uint64_t sizeLimit = kPreviewCopyLimit;
};

// Where the copy of `url` goes: its mirror folder and its name. False for a URL that has no
// mirror path (an odd level, no file name).
bool PreviewCopyPath(const std::string& programDir, std::string_view url, std::string& path);

// Fetches the file; true with `localPath` set once the whole file is there. `cancel` (may be
// null) gives up within a moment of becoming true. Safe on any thread.
bool FetchPreviewCopy(FtpClient& client, const PreviewCopyRequest& request,
                      const std::atomic<bool>* cancel, std::string& localPath, std::string& error);

}  // namespace varnel
