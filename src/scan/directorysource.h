#pragma once
// One folder's entries, whatever they come from: a local folder, an FTP listing fetched from
// the server, or a listing held in the listing cache. The scan and the refresh read every
// folder through nextEntry.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folderlisting.h"
#include "platform/ftpclient.h"

namespace varnel {

class FtpSession;
class ListingCache;

struct DirectoryEntry {
    bool isFolder = false;
    std::string_view name;  // NUL-terminated; valid until the next nextEntry() on the source
    uint32_t size = 0;      // low 32 bits
    uint32_t sizeHigh = 0;
    uint64_t lastWriteTime = 0;  // file time, UTC
    // FTP folders only: a link to this folder or one above it, and the server's identity
    // of the folder (empty when it gives none); both let a walk stop going round in circles.
    bool leadsUp = false;
    std::string_view unique;
};

class DirectorySource {
  public:
    // A local folder (ending with "/").
    bool openLocal(const char* folder);
    // An FTP folder (catalog spelling, ending with "\") listed by the server now.
    bool openFtp(FtpSession& session, const std::string& folder);
    // An FTP folder from the listing cache: false when the cache has no listing of it.
    bool openCached(const ListingCache& cache, const std::string& folder);
    void close();
    // Reading stopped on an error before the end: what was read is not the whole folder.
    bool failed() const { return failed_; }
    // Device and inode of an open local folder.
    bool identity(uint64_t& device, uint64_t& inode) const {
        return kind_ == Kind::Local && local_.identity(device, inode);
    }

    friend bool nextEntry(DirectorySource& source, DirectoryEntry& entry);

  private:
    enum class Kind { None, Local, Listing };
    Kind kind_ = Kind::None;
    bool failed_ = false;
    FolderListing local_;
    std::vector<FtpEntry> entries_;
    std::string serverFolder_;  // "/pub/" for ftp:\\host\pub\, where links start from
    size_t next_ = 0;
};

// The next file or folder of the source (local devices, pipes and sockets are left out);
// false at the end.
bool nextEntry(DirectorySource& source, DirectoryEntry& entry);

}  // namespace varnel
