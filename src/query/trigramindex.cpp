#include "query/trigramindex.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>

namespace varnel {

namespace {

uint32_t bucketCount(uint32_t poolSize) {
    // About one list per 32 pool bytes: fewer shared lists, without a large fixed table for
    // a small pool.
    return std::clamp<uint32_t>(std::bit_ceil(poolSize / 32), 4096, TrigramIndex::kBuckets);
}

uint32_t bucketOf(const char* at, uint32_t buckets) {
    const auto* p = reinterpret_cast<const unsigned char*>(at);
    const uint32_t key = uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    return (key * 2654435761u) >> (32 - std::countr_zero(buckets));
}

size_t varintLength(uint32_t value) {
    size_t n = 1;
    for (; value >= 0x80; value >>= 7) ++n;
    return n;
}

// Calls visit(bucket, block) for every trigram of the texts in pool[0, size); false when
// stopped on the way.
template <class Visit>
bool forEachTrigram(const char* pool, uint32_t size, uint32_t buckets,
                    const std::atomic<bool>* stop, Visit visit) {
    uint32_t nextCheck = 0;
    for (uint32_t at = 0; at < size;) {
        if (at >= nextCheck) {
            if (stop && stop->load(std::memory_order_relaxed)) return false;
            nextCheck = at + (1u << 16);
        }
        const uint32_t length = static_cast<uint32_t>(std::strlen(pool + at));
        const uint32_t block = at / TrigramIndex::kBlockBytes;
        for (uint32_t i = 0; i + 3 <= length; ++i) visit(bucketOf(pool + at + i, buckets), block);
        at += length + 1;
    }
    return true;
}

}  // namespace

bool TrigramIndex::wantsRebuild(uint32_t size) const {
    if (size < kMinIndexedBytes) return false;
    return indexed_ == 0 || size < indexed_ || size - indexed_ > indexed_ / 8;
}

TrigramIndex TrigramIndex::build(const char* pool, uint32_t size, const std::atomic<bool>* stop) {
    if (size < kMinIndexedBytes) return {};
    const uint32_t buckets = bucketCount(size);
    // last[b]: 1 + the last block written to bucket b, 0 for none. Lists are deltas of that.
    std::vector<uint32_t> last(buckets, 0);
    std::vector<uint32_t> bytes(size_t{buckets} + 1, 0);
    const bool counted = forEachTrigram(pool, size, buckets, stop, [&](uint32_t b, uint32_t block) {
        if (last[b] == block + 1) return;
        bytes[b] += static_cast<uint32_t>(varintLength(block + 1 - last[b]));
        last[b] = block + 1;
    });
    if (!counted) return {};
    struct Owned {
        std::vector<uint32_t> starts;
        std::vector<uint8_t> lists;
    };
    auto owned = std::make_shared<Owned>();
    std::vector<uint32_t>& starts = owned->starts;
    starts.assign(size_t{buckets} + 1, 0);
    for (uint32_t b = 0; b < buckets; ++b) starts[b + 1] = starts[b] + bytes[b];
    std::vector<uint8_t>& lists = owned->lists;
    lists.assign(starts[buckets], 0);
    std::fill(last.begin(), last.end(), 0);
    std::vector<uint32_t>& cursor = bytes;  // reused: the write position of each list
    std::copy(starts.begin(), starts.end() - 1, cursor.begin());
    const bool written = forEachTrigram(pool, size, buckets, stop, [&](uint32_t b, uint32_t block) {
        if (last[b] == block + 1) return;
        uint32_t delta = block + 1 - last[b];
        for (; delta >= 0x80; delta >>= 7) lists[cursor[b]++] = static_cast<uint8_t>(delta | 0x80);
        lists[cursor[b]++] = static_cast<uint8_t>(delta);
        last[b] = block + 1;
    });
    if (!written) return {};
    return fromParts(size, starts, lists, std::move(owned));
}

std::vector<uint32_t> TrigramIndex::blocksOf(uint32_t bucket) const {
    std::vector<uint32_t> blocks;
    uint32_t value = 0;
    for (uint32_t at = starts_[bucket], end = starts_[bucket + 1]; at < end;) {
        uint32_t delta = 0;
        for (int shift = 0;; shift += 7) {
            const uint8_t byte = lists_[at++];
            delta |= uint32_t{byte & 0x7Fu} << shift;
            if (!(byte & 0x80) || at == end) break;
        }
        value += delta;
        blocks.push_back(value - 1);
    }
    return blocks;
}

std::vector<uint32_t> TrigramIndex::candidateBlocks(std::string_view word) const {
    const uint32_t buckets = static_cast<uint32_t>(starts_.size() - 1);
    std::vector<uint32_t> wanted;
    for (size_t i = 0; i + 3 <= word.size(); ++i) wanted.push_back(bucketOf(word.data() + i, buckets));
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    // The shortest list first: the intersection never grows.
    std::sort(wanted.begin(), wanted.end(), [&](uint32_t a, uint32_t b) {
        return starts_[a + 1] - starts_[a] < starts_[b + 1] - starts_[b];
    });
    if (check_) {
        for (uint32_t bucket : wanted) {
            if (!check_(starts_[bucket], starts_[bucket + 1] - starts_[bucket])) {
                std::vector<uint32_t> every((indexed_ + kBlockBytes - 1) / kBlockBytes);
                std::iota(every.begin(), every.end(), 0u);
                return every;
            }
        }
    }
    std::vector<uint32_t> blocks = blocksOf(wanted[0]);
    for (size_t k = 1; k < wanted.size() && !blocks.empty(); ++k) {
        const std::vector<uint32_t> other = blocksOf(wanted[k]);
        std::vector<uint32_t> both;
        std::set_intersection(blocks.begin(), blocks.end(), other.begin(), other.end(),
                              std::back_inserter(both));
        blocks.swap(both);
    }
    return blocks;
}

TrigramIndex TrigramIndex::fromParts(uint32_t indexed, std::span<const uint32_t> starts,
                                     std::span<const uint8_t> lists,
                                     std::shared_ptr<const void> storage, ListCheck check) {
    TrigramIndex index;
    const size_t buckets = starts.empty() ? 0 : starts.size() - 1;
    if (indexed < kMinIndexedBytes || buckets < 1 || buckets > kBuckets ||
        !std::has_single_bit(buckets) || starts.front() != 0 || starts.back() != lists.size() ||
        !std::is_sorted(starts.begin(), starts.end()))
        return index;
    index.indexed_ = indexed;
    index.starts_ = starts;
    index.lists_ = lists;
    index.storage_ = std::move(storage);
    index.check_ = std::move(check);
    return index;
}

size_t TrigramIndex::memoryBytes() const {
    return starts_.size_bytes() + lists_.size_bytes();
}

}  // namespace varnel
