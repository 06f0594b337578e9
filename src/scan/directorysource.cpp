#include "scan/directorysource.h"

#include "remote/ftpnames.h"
#include "remote/ftpsession.h"
#include "remote/listingcache.h"

namespace varnel {

bool DirectorySource::openLocal(const char* folder) {
    close();
    // Only absolute paths: a relative one would be read against the working folder and
    // catalogued under a name that means nothing later.
    if (folder[0] != '/' || !local_.open(folder)) return false;
    kind_ = Kind::Local;
    return true;
}

bool DirectorySource::openFtp(FtpSession& session, const std::string& folder) {
    close();
    std::string url = folder;
    SwapFtpSeparators(url);
    if (!session.FindFtpFiles(url, entries_)) return false;
    serverFolder_ = FtpServerPath(url);
    kind_ = Kind::Listing;
    return true;
}

bool DirectorySource::openCached(const ListingCache& cache, const std::string& folder) {
    close();
    std::string url = folder;
    SwapFtpSeparators(url);
    CachedListing listing;
    if (!cache.find(url, &listing)) return false;
    entries_ = std::move(listing.entries);
    kind_ = Kind::Listing;
    return true;
}

void DirectorySource::close() {
    local_.close();
    entries_.clear();
    serverFolder_.clear();
    next_ = 0;
    failed_ = false;
    kind_ = Kind::None;
}

bool nextEntry(DirectorySource& source, DirectoryEntry& entry) {
    switch (source.kind_) {
        case DirectorySource::Kind::Local: {
            FolderEntry e;
            while (source.local_.next(e)) {
                if (e.kind == EntryKind::Other) continue;
                entry.isFolder = e.kind == EntryKind::Folder;
                entry.name = e.name;
                entry.size = static_cast<uint32_t>(e.size);
                entry.sizeHigh = static_cast<uint32_t>(e.size >> 32);
                entry.lastWriteTime = e.lastWriteTime;
                entry.leadsUp = false;
                entry.unique = {};
                return true;
            }
            source.failed_ = source.local_.error() != 0;
            return false;
        }
        case DirectorySource::Kind::Listing: {
            if (source.next_ >= source.entries_.size()) return false;
            const FtpEntry& e = source.entries_[source.next_++];
            entry.isFolder = e.isFolder;
            entry.name = e.name;
            entry.size = static_cast<uint32_t>(e.size);
            // The cache keeps only the low 32 bits; what the server says is kept whole.
            entry.sizeHigh = static_cast<uint32_t>(e.size >> 32);
            entry.lastWriteTime = e.lastWriteTime;
            entry.leadsUp = e.isFolder && FtpLinkLeadsUp(source.serverFolder_, e.linkTarget);
            entry.unique = e.unique;
            return true;
        }
        case DirectorySource::Kind::None:
            break;
    }
    return false;
}

}  // namespace varnel
