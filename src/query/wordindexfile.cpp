#include "query/wordindexfile.h"

#include <cstring>
#include <vector>

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

// The body is checked in chunks of this many bytes, each when first read: a search reads a
// few of an index's lists, and checking the whole file cost more than the search itself.
constexpr size_t kChunkBytes = 65536;

// The body's chunk checksums and what was found of each chunk so far (one thread only).
class ChunkSums {
  public:
    ChunkSums(std::string_view body, const char* sums, std::shared_ptr<bool> damaged)
        : body_(body), sums_(sums), state_(body.size() / kChunkBytes + 1, kUnread),
          damaged_(std::move(damaged)) {}
    // Whether body[at, at + length) is as it was written; a damaged chunk is told once in
    // `damaged`.
    bool sound(size_t at, size_t length) {
        for (size_t c = at / kChunkBytes; c * kChunkBytes < at + length; ++c) {
            if (state_[c] == kUnread) {
                uint64_t stored;
                std::memcpy(&stored, sums_ + 8 * c, 8);
                state_[c] = checksum(body_.substr(c * kChunkBytes, kChunkBytes)) == stored ? kSound
                                                                                          : kDamaged;
                if (state_[c] == kDamaged) *damaged_ = true;
            }
            if (state_[c] == kDamaged) return false;
        }
        return true;
    }

  private:
    enum State : uint8_t { kUnread, kSound, kDamaged };
    std::string_view body_;
    const char* sums_;
    std::vector<State> state_;
    std::shared_ptr<bool> damaged_;
};

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

// Reads one index in place from the mapped file: `at` (four-byte aligned) moves past it. Its
// head and list starts are checked now, its lists when a search reads them.
bool readIndex(std::string_view body, size_t& at, uint32_t poolSize,
               const std::shared_ptr<const void>& storage, const std::shared_ptr<ChunkSums>& sums,
               TrigramIndex& index) {
    index = TrigramIndex{};
    if (at > body.size() || body.size() - at < 12 || !sums->sound(at, 12)) return false;
    MemorySource head(body.substr(at, 12));
    uint32_t indexed, lists, bytes;
    if (!head.readU32(indexed) || !head.readU32(lists) || !head.readU32(bytes)) return false;
    at += 12;
    // A pool too small to index is stored without one.
    if (lists == 0) return indexed == 0 && bytes == 0 && poolSize < TrigramIndex::kMinIndexedBytes;
    const uint64_t startBytes = (uint64_t{lists} + 1) * 4;
    if (indexed != poolSize || lists > TrigramIndex::kBuckets ||
        startBytes + bytes + padding(bytes) > body.size() - at || !sums->sound(at, startBytes))
        return false;
    const std::span<const uint32_t> starts(reinterpret_cast<const uint32_t*>(body.data() + at),
                                           size_t{lists} + 1);
    at += startBytes;
    const std::span<const uint8_t> listBytes(reinterpret_cast<const uint8_t*>(body.data() + at),
                                             bytes);
    index = TrigramIndex::fromParts(
        indexed, starts, listBytes, storage,
        [sums, base = at](size_t from, size_t length) { return sums->sound(base + from, length); });
    at += bytes + padding(bytes);
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
    // The tail: the body's chunk checksums, their count, and a checksum of those two.
    constexpr size_t kFixedBytes = kHeadBytes + 4 + 32;
    if (bytes.size() < kFixedBytes + 8 + 16 || bytes.size() % 4 != 0 ||
        reinterpret_cast<uintptr_t>(bytes.data()) % 4 != 0)
        return false;
    uint64_t chunks, tableSum;
    std::memcpy(&chunks, bytes.data() + bytes.size() - 16, 8);
    std::memcpy(&tableSum, bytes.data() + bytes.size() - 8, 8);
    if (chunks > (bytes.size() - 16) / 8) return false;
    const std::string_view body = bytes.substr(0, bytes.size() - 16 - 8 * chunks);
    if (chunks != (body.size() + kChunkBytes - 1) / kChunkBytes ||
        checksum(bytes.substr(body.size(), 8 * chunks + 8)) != tableSum)
        return false;
    indexes.damaged = std::make_shared<bool>(false);
    auto sums = std::make_shared<ChunkSums>(body, bytes.data() + body.size(), indexes.damaged);

    std::string head;
    putHead(head, catalog);
    if (body.size() < kFixedBytes || !sums->sound(0, kFixedBytes) ||
        body.substr(0, head.size()) != head)
        return false;
    uint32_t flags;
    std::memcpy(&flags, body.data() + head.size(), 4);
    if (flags > 3) return false;
    indexes.namesStartTexts = flags & 1;
    indexes.ascending = flags & 2;
    std::memcpy(indexes.folderEnds.bits().data(), body.data() + head.size() + 4, 32);
    size_t at = kFixedBytes;
    return readIndex(body, at, static_cast<uint32_t>(catalog.namePool().size()), storage, sums,
                     indexes.names) &&
           readIndex(body, at, static_cast<uint32_t>(catalog.folderPool().size()), storage, sums,
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
    const size_t chunks = (out.size() + kChunkBytes - 1) / kChunkBytes;
    std::string table;
    for (size_t c = 0; c < chunks; ++c)
        putU64(table, checksum(std::string_view(out).substr(c * kChunkBytes, kChunkBytes)));
    putU64(table, chunks);
    out.append(table);
    putU64(out, checksum(table));
    return out;
}

std::string writeWordIndexFile(const std::string& path, const MappedCatalog& catalog,
                               const WordIndexes& indexes) {
    return writeFileAtomically(path, sealWordIndexes(catalog, wordIndexParts(indexes)));
}

}  // namespace varnel
