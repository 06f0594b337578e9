#pragma once
// Which parts of a folded text pool may hold a word: every three-byte sequence of the pool's
// texts is listed with the blocks (kBlockBytes of pool, by where a text starts) it occurs in.
// A word of three bytes or more can only be in blocks listed under each of its trigrams, so a
// rare word is found by looking at a handful of blocks instead of the whole pool.
//
// Trigrams are hashed into kBuckets lists; a collision only adds blocks to look at, never
// loses one. Lists are block numbers, delta-coded in variable-length bytes. Texts appended
// after the build form an unindexed tail that callers search directly; the owner builds the
// index again when that tail grows past an eighth of what is indexed.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace varnel {

class TrigramIndex {
  public:
    static constexpr uint32_t kBlockBytes = 2048;
    static constexpr uint32_t kBuckets = 1u << 17;
    // Pools smaller than this are searched whole: faster than building anything.
    static constexpr uint32_t kMinIndexedBytes = 4096;

    // Indexes pool[0, size) (whole texts, each ending in a NUL). Gives up, leaving an empty
    // index, when `stop` becomes true.
    static TrigramIndex build(const char* pool, uint32_t size,
                              const std::atomic<bool>* stop = nullptr);
    // Whether a pool of `size` bytes (the indexed ones and what was appended after them)
    // deserves a new build: big enough, and the unindexed tail too long.
    bool wantsRebuild(uint32_t size) const;

    // Bytes [0, indexedSize()) are indexed; the rest is the tail.
    uint32_t indexedSize() const { return indexed_; }
    // Whether `word` can be answered through the index at all.
    bool usable(std::string_view word) const { return indexed_ > 0 && word.size() >= 3; }
    // The blocks that may hold `word` (usable(word) must hold), ascending. Block k holds the
    // texts that start in pool bytes [k * kBlockBytes, (k + 1) * kBlockBytes).
    std::vector<uint32_t> candidateBlocks(std::string_view word) const;
    size_t memoryBytes() const;

    // The stored form: the lists' starts (one more than there are lists, a power of two) and
    // the lists' bytes.
    std::span<const uint32_t> listStarts() const { return starts_; }
    std::span<const uint8_t> listBytes() const { return lists_; }
    // Checks stored list bytes before they are first read (a file's checksums, chunk by
    // chunk): false when lists[at, at + length) are damaged; every block is then a candidate.
    using ListCheck = std::function<bool(size_t at, size_t length)>;
    // An index over a stored form that `storage` keeps alive (a mapped file), checked to fit
    // together; empty when it does not.
    static TrigramIndex fromParts(uint32_t indexed, std::span<const uint32_t> starts,
                                  std::span<const uint8_t> lists,
                                  std::shared_ptr<const void> storage, ListCheck check = {});

  private:
    std::vector<uint32_t> blocksOf(uint32_t bucket) const;

    uint32_t indexed_ = 0;
    std::span<const uint32_t> starts_;  // bucket b's list: bytes [starts_[b], starts_[b + 1])
    std::span<const uint8_t> lists_;
    std::shared_ptr<const void> storage_;  // what the two point into
    ListCheck check_;
};

}  // namespace varnel
