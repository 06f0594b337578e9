#pragma once
// The listing cache: fetched FTP folder listings, one record after another in a fixed
// buffer. One writer (the listing worker) appends a record and publishes it by raising the
// committed length; readers look at committed bytes only.
//
// Record, little-endian and packed:
//   i32  record length in bytes, this field included
//   text folder URL as requested (slash spelling), NUL-terminated
//   then per entry, in the server's order:
//     u8   1 for a folder, 0 for a file
//     text name, NUL-terminated, whole (names the catalog cannot hold are left out)
//     u32  size (low 32 bits)
//     u32  last-write file time, low half;  u32  high half
#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ftpclient.h"

namespace varnel {

struct CachedListing {
    std::string url;
    std::vector<FtpEntry> entries;  // sizes as stored: the low 32 bits
};

class ListingCache {
  public:
    static constexpr size_t kSize = 262144;
    // A record must end this far before the end of the buffer.
    static constexpr size_t kEndMargin = 4096 + 12;
    // The longest name a catalog record holds.
    static constexpr size_t kMaxNameLength = 2047;

    ListingCache();

    // The committed record for `url` (compared ignoring case).
    bool find(std::string_view url, CachedListing* listing = nullptr) const;
    std::string_view committedBytes() const {
        return {bytes_.get(), committed_.load(std::memory_order_acquire)};
    }

    // Appends and commits one record; false, with nothing committed, when it would not end
    // within the margin. Only the listing worker calls this.
    bool append(std::string_view url, const std::vector<FtpEntry>& entries);
    // Forgets every record. Only while no append can run.
    void reset() { committed_.store(0, std::memory_order_release); }

  private:
    std::unique_ptr<char[]> bytes_;
    std::atomic<size_t> committed_{0};
};

// Reads the record at `offset` of `bytes`; false when it is not a whole, well-formed record.
// `next` receives the offset of the record after it.
bool decodeListingRecord(std::string_view bytes, size_t offset, CachedListing& out, size_t& next);

}  // namespace varnel
