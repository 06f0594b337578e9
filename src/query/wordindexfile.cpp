#include "query/wordindexfile.h"

#include <cstring>

#include "catalog/bytestream.h"
#include "platform/atomicfile.h"
#include "platform/mappedfile.h"

namespace varnel {

namespace {

constexpr char kMagic[8] = {'V', 'R', 'N', 'L', 'I', 'D', 'X', '2'};

// Against damage, not against intent: eight bytes at a time, multiplied and mixed, in four
// lanes whose multiplications overlap (the whole file is checked at every search).
uint64_t checksum(std::string_view bytes) {
    constexpr uint64_t kMultiplier = 0xFF51AFD7ED558CCDULL;
    uint64_t lanes[4] = {0x9E3779B97F4A7C15ULL, 0xC2B2AE3D27D4EB4FULL, 0x165667B19E3779F9ULL,
                         0x27D4EB2F165667C5ULL};
    for (uint64_t& lane : lanes) lane ^= bytes.size();
    size_t i = 0;
    for (; i + 32 <= bytes.size(); i += 32) {
        for (int k = 0; k < 4; ++k) {
            uint64_t word;
            std::memcpy(&word, bytes.data() + i + 8 * k, 8);
            lanes[k] = (lanes[k] ^ word) * kMultiplier;
            lanes[k] ^= lanes[k] >> 32;
        }
    }
    uint64_t h = 0;
    for (uint64_t lane : lanes) h = (h ^ lane) * kMultiplier, h ^= h >> 29;
    for (; i < bytes.size(); ++i) h = (h ^ static_cast<unsigned char>(bytes[i])) * 0x100000001B3ULL;
    return h;
}

void putU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
}
void putU64(std::string& out, uint64_t value) {
    for (int i = 0; i < 8; ++i) out += static_cast<char>(value >> (8 * i));
}

void putHead(std::string& out, const MappedCatalog& catalog) {
    out.append(kMagic, sizeof kMagic);
    const FileIdentity& id = catalog.identity();
    for (uint64_t v : {id.size, id.modified, id.changed, id.inode, id.device}) putU64(out, v);
    putU32(out, static_cast<uint32_t>(catalog.namePool().size()));
    putU32(out, static_cast<uint32_t>(catalog.folderPool().size()));
}
constexpr size_t kHeadBytes = 8 + 5 * 8 + 2 * 4;

size_t padding(size_t bytes) {
    return (4 - bytes % 4) % 4;
}

void putIndex(std::string& out, const TrigramIndex& index) {
    const std::span<const uint32_t> starts = index.listStarts();
    const std::span<const uint8_t> lists = index.listBytes();
    putU32(out, index.indexedSize());
    putU32(out, static_cast<uint32_t>(starts.empty() ? 0 : starts.size() - 1));
    putU32(out, static_cast<uint32_t>(lists.size()));
    for (uint32_t s : starts) putU32(out, s);
    out.append(reinterpret_cast<const char*>(lists.data()), lists.size());
    out.append(padding(lists.size()), '\0');  // the next starts stay four-byte aligned
}

// Reads one index in place from the mapped file: `at` (four-byte aligned) moves past it.
bool readIndex(std::string_view body, size_t& at, uint32_t poolSize,
               const std::shared_ptr<const void>& storage, TrigramIndex& index) {
    MemorySource head(body.substr(std::min(at, body.size())));
    uint32_t indexed, lists, bytes;
    if (!head.readU32(indexed) || !head.readU32(lists) || !head.readU32(bytes)) return false;
    at += 12;
    index = TrigramIndex{};
    // A pool too small to index is stored without one.
    if (lists == 0) return indexed == 0 && bytes == 0 && poolSize < TrigramIndex::kMinIndexedBytes;
    const uint64_t startBytes = (uint64_t{lists} + 1) * 4;
    if (indexed != poolSize || lists > TrigramIndex::kBuckets ||
        startBytes + bytes + padding(bytes) > body.size() - at)
        return false;
    const std::span<const uint32_t> starts(reinterpret_cast<const uint32_t*>(body.data() + at),
                                           size_t{lists} + 1);
    at += startBytes;
    const std::span<const uint8_t> listBytes(reinterpret_cast<const uint8_t*>(body.data() + at),
                                             bytes);
    at += bytes + padding(bytes);
    index = TrigramIndex::fromParts(indexed, starts, listBytes, storage);
    return index.indexedSize() == poolSize;
}

}  // namespace

std::string wordIndexPath(const std::string& catalogPath) {
    return catalogPath + ".idx";
}

bool readWordIndexFile(const std::string& path, const MappedCatalog& catalog, WordIndexes& indexes) {
    if (catalog.identity() == FileIdentity{}) return false;  // not a file: nothing to match
    const std::shared_ptr<const MappedFile> file = mapFile(path);
    return file && readWordIndexes(file->bytes, file, catalog, indexes);
}

bool readWordIndexes(std::string_view bytes, const std::shared_ptr<const void>& storage,
                     const MappedCatalog& catalog, WordIndexes& indexes) {
    if (bytes.size() < kHeadBytes + 4 + 8 || bytes.size() % 4 != 0 ||
        reinterpret_cast<uintptr_t>(bytes.data()) % 4 != 0)
        return false;
    std::string head;
    putHead(head, catalog);
    const std::string_view body = bytes.substr(0, bytes.size() - 8);
    uint64_t stored;
    std::memcpy(&stored, bytes.data() + body.size(), 8);
    if (body.substr(0, head.size()) != head || stored != checksum(body)) return false;
    uint32_t flags;
    std::memcpy(&flags, body.data() + head.size(), 4);
    if (flags > 3) return false;
    indexes.namesStartTexts = flags & 1;
    indexes.ascending = flags & 2;
    size_t at = head.size() + 4;
    if (body.size() - at < 32) return false;
    std::memcpy(indexes.folderEnds.bits().data(), body.data() + at, 32);
    at += 32;
    return readIndex(body, at, static_cast<uint32_t>(catalog.namePool().size()), storage,
                     indexes.names) &&
           readIndex(body, at, static_cast<uint32_t>(catalog.folderPool().size()), storage,
                     indexes.folders) &&
           at == body.size();
}

std::string wordIndexParts(const WordIndexes& indexes) {
    std::string out;
    putU32(out, (indexes.namesStartTexts ? 1 : 0) | (indexes.ascending ? 2 : 0));
    for (uint64_t bits : indexes.folderEnds.bits()) putU64(out, bits);
    putIndex(out, indexes.names);
    putIndex(out, indexes.folders);
    return out;
}

std::string sealWordIndexes(const MappedCatalog& catalog, std::string_view parts) {
    std::string out;
    putHead(out, catalog);
    out.append(parts);
    putU64(out, checksum(out));
    return out;
}

std::string writeWordIndexFile(const std::string& path, const MappedCatalog& catalog,
                               const WordIndexes& indexes) {
    return writeFileAtomically(path, sealWordIndexes(catalog, wordIndexParts(indexes)));
}

}  // namespace varnel
