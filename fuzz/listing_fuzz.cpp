// Feeds arbitrary bytes to the FTP listing readers (MLSD and LIST) and to the listing-cache
// record reader. Every entry read must name a file in that folder and nothing else, and
// must survive a trip through the listing cache whole; names too long for the catalog are
// left out of the cache, never cut.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/ftplisting.h"
#include "remote/listingcache.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

void checkEntries(const varnel::ParsedListing& parsed) {
    using varnel::ListingCache;
    for (const varnel::FtpEntry& e : parsed.entries) {
        check(!e.name.empty() && e.name != "." && e.name != "..");
        check(e.name.find_first_of(std::string_view("/\0", 2)) == std::string::npos);
    }
    // One cache for the whole run: a fresh 256 KiB buffer per input would cost more than
    // the parsing under the address sanitizer.
    static ListingCache cache;
    cache.reset();
    if (!cache.append("ftp://h/d/", parsed.entries)) return;
    varnel::CachedListing back;
    check(cache.find("FTP://H/D/", &back));
    std::vector<varnel::FtpEntry> kept;
    for (const varnel::FtpEntry& e : parsed.entries)
        if (e.name.size() <= ListingCache::kMaxNameLength) kept.push_back(e);
    check(back.entries.size() == kept.size());
    for (size_t i = 0; i < back.entries.size(); ++i) {
        const varnel::FtpEntry& in = kept[i];
        const varnel::FtpEntry& out = back.entries[i];
        check(out.name == in.name);
        check(out.isFolder == in.isFolder && out.size == (in.size & 0xFFFFFFFFu));
        check(out.lastWriteTime == in.lastWriteTime);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkEntries(varnel::parseMlsdListing(text));
    // A fixed "now" keeps runs reproducible: 2026-12-06.
    checkEntries(varnel::parseListListing(text, 134410176000000000ULL));
    varnel::CachedListing record;
    size_t next = 0;
    for (size_t offset = 0; varnel::decodeListingRecord(text, offset, record, next);) offset = next;
    return 0;
}
