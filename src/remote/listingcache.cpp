#include "remote/listingcache.h"

#include <cstring>

#include "catalog/tables.h"  // equalIgnoringCase

namespace varnel {

namespace {

void putU32(char* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t getU32(const char* at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= uint32_t(static_cast<unsigned char>(at[i])) << (8 * i);
    return value;
}

// The record length at `offset`, if a record of that length fits in `bytes`.
size_t recordLength(std::string_view bytes, size_t offset) {
    if (bytes.size() - offset < 4) return 0;
    const int32_t length = static_cast<int32_t>(getU32(bytes.data() + offset));
    if (length < 5 || static_cast<size_t>(length) > bytes.size() - offset) return 0;
    return static_cast<size_t>(length);
}

}  // namespace

ListingCache::ListingCache() : bytes_(new char[kSize]) {}

bool ListingCache::find(std::string_view url, CachedListing* listing) const {
    const std::string_view bytes = committedBytes();
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = recordLength(bytes, at);
        if (length == 0) return false;
        const std::string_view record = bytes.substr(at + 4, length - 4);
        const std::string_view recordUrl = record.substr(0, record.find('\0'));
        if (recordUrl.size() < record.size() && equalIgnoringCase(recordUrl, url)) {
            size_t next = 0;
            return !listing || decodeListingRecord(bytes, at, *listing, next);
        }
        at += length;
    }
    return false;
}

bool ListingCache::append(std::string_view url, const std::vector<FtpEntry>& entries) {
    const size_t start = committed_.load(std::memory_order_relaxed);  // only we write it
    const size_t limit = kSize - kEndMargin;
    char* base = bytes_.get();
    size_t end = start + 4 + url.size() + 1;
    if (url.find('\0') != std::string_view::npos || end > limit) return false;
    std::memcpy(base + start + 4, url.data(), url.size());
    base[start + 4 + url.size()] = '\0';
    for (const FtpEntry& entry : entries) {
        // A cut name would be catalogued as another file: a name too long for the catalog
        // is left out, every other one is stored whole.
        const size_t nameLength = entry.name.size();
        if (nameLength > kMaxNameLength || entry.name.find('\0') != std::string::npos) continue;
        // A partial listing would read as files that vanished; the record goes whole or not.
        if (end + 1 + nameLength + 1 + 12 > limit) return false;
        base[end++] = entry.isFolder ? 1 : 0;
        std::memcpy(base + end, entry.name.data(), nameLength);
        end += nameLength;
        base[end++] = '\0';
        putU32(base + end, static_cast<uint32_t>(entry.size));
        putU32(base + end + 4, static_cast<uint32_t>(entry.lastWriteTime));
        putU32(base + end + 8, static_cast<uint32_t>(entry.lastWriteTime >> 32));
        end += 12;
    }
    putU32(base + start, static_cast<uint32_t>(end - start));
    committed_.store(end, std::memory_order_release);
    return true;
}

bool decodeListingRecord(std::string_view bytes, size_t offset, CachedListing& out, size_t& next) {
    out.url.clear();
    out.entries.clear();
    if (offset >= bytes.size()) return false;
    const size_t length = recordLength(bytes, offset);
    if (length == 0) return false;
    std::string_view record = bytes.substr(offset + 4, length - 4);
    size_t nul = record.find('\0');
    if (nul == std::string_view::npos) return false;
    out.url = record.substr(0, nul);
    record.remove_prefix(nul + 1);
    while (!record.empty()) {
        FtpEntry entry;
        entry.isFolder = record[0] != 0;
        nul = record.find('\0', 1);
        if (nul == std::string_view::npos || record.size() - nul - 1 < 12) return false;
        entry.name = record.substr(1, nul - 1);
        const char* numbers = record.data() + nul + 1;
        entry.size = getU32(numbers);
        entry.lastWriteTime = uint64_t(getU32(numbers + 4)) | uint64_t(getU32(numbers + 8)) << 32;
        out.entries.push_back(std::move(entry));
        record.remove_prefix(nul + 1 + 12);
    }
    next = offset + length;
    return true;
}

}  // namespace varnel
