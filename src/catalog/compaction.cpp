// Keeping the tables small: repacking the record lists, dropping unused strings from the
// pools, and dropping orphaned site nodes.
#include <algorithm>
#include <vector>

#include "catalog/tables.h"

namespace varnel {

namespace {

// Moves every list's first keep[list] elements to newStart[list]: lists moving down in
// increasing order, then lists moving up in decreasing order, so nothing is overwritten
// before it has moved. Then clears each segment's tail. Returns whether a non-zero element
// was dropped.
template <class T>
bool repackColumn(FieldColumn<T>& column, const std::array<int32_t, kListCount>& newCapacity,
                  const std::array<int32_t, kListCount>& counts) {
    std::array<uint32_t, kListCount> newStart{};
    size_t total = 0;
    for (int list = 0; list < kListCount; ++list) {
        newStart[list] = static_cast<uint32_t>(total);
        total += static_cast<size_t>(newCapacity[list]);
    }
    column.ensureCapacity(total);
    T* base = column.elements.get();
    std::array<int32_t, kListCount> keep{};
    bool dropped = false;
    for (int list = 0; list < kListCount; ++list) {
        keep[list] =
            std::clamp(counts[list], 0, std::min(column.capacity[list], newCapacity[list]));
        const T* seg = base + column.start[list];
        for (int32_t k = keep[list]; k < column.capacity[list] && !dropped; ++k)
            dropped = seg[k] != 0;
    }
    auto move = [&](int list) {
        if (keep[list] > 0 && newStart[list] != column.start[list])
            std::memmove(base + newStart[list], base + column.start[list],
                         static_cast<size_t>(keep[list]) * sizeof(T));
    };
    for (int list = 0; list < kListCount; ++list)
        if (newStart[list] <= column.start[list]) move(list);
    for (int list = kListCount - 1; list >= 0; --list)
        if (newStart[list] > column.start[list]) move(list);
    for (int list = 0; list < kListCount; ++list) {
        std::memset(static_cast<void*>(base + newStart[list] + keep[list]), 0,
                    static_cast<size_t>(newCapacity[list] - keep[list]) * sizeof(T));
        column.start[list] = newStart[list];
        column.capacity[list] = newCapacity[list];
    }
    return dropped;
}

}  // namespace

void Catalog::compactLists(bool keepCurrentView) {
    std::array<bool, kListCount> referenced{};
    auto reference = [&](int list) {
        if (list >= 0 && list < kListCount) referenced[list] = true;
    };
    for (int n = 0; n < siteNodeCount_; ++n) reference(siteNodes_[n].list);
    for (int e = 0; e < history_.count; ++e)
        if (history_.address[e][0] == 0 && history_.searchReference[e] < 0)
            reference(history_.list[e]);
    reference(searchResult_);
    int current = currentList();
    reference(current);
    reference(kSelectionList);
    reference(kClipboardList);
    reference(kMasterList);  // even when a file came without its root site node

    for (int list = 0; list < kListCount; ++list)
        if (!referenced[list]) counts_[list] = 0;
    std::array<int32_t, kListCount> saved = counts_;
    for (int list = 0; list < kListCount; ++list) {
        if (!isDerived(list) || (list == current && keepCurrentView)) continue;
        counts_[list] = 0;
        stamps_[list] = generation_ - 1;
    }
    flushPendingStrings();

    std::array<int32_t, kListCount> newCapacity{};
    for (int list = 0; list < kListCount; ++list) {
        int32_t count = isDerived(list) ? 0 : counts_[list];
        if (count <= 0) {
            newCapacity[list] = 1;
            continue;
        }
        int64_t c = std::max(timeColumn.capacity[list], 1);
        while (c > count) c /= 2;
        c *= 2;
        while (c < count) c *= 2;  // never cut records a list holds
        newCapacity[list] = static_cast<int32_t>(std::min<int64_t>(c, INT32_MAX));
    }
    std::array<int32_t, kListCount> keep = counts_;
    for (int list = 0; list < kListCount; ++list)
        if (isDerived(list)) keep[list] = 0;
    garbage_[0] |= repackColumn(nameColumn, newCapacity, keep);
    garbage_[2] |= repackColumn(noteColumn, newCapacity, keep);
    garbage_[1] |= repackColumn(folderColumn, newCapacity, keep);
    repackColumn(timeColumn, newCapacity, keep);
    repackColumn(sizeColumn, newCapacity, keep);
    counts_ = saved;
}

namespace {

// Which strings a pool holds, and which string covers a given offset, in constant time.
class PoolStrings {
  public:
    explicit PoolStrings(const StringPool& pool) : bits_((pool.used + 64) / 64, 0) {
        const char* bytes = pool.bytes.get();
        for (uint32_t o = 0; o < pool.used;) {
            starts_.push_back(o);
            bits_[o >> 6] |= uint64_t{1} << (o & 63);
            const void* end = std::memchr(bytes + o, 0, pool.used - o);
            o = end ? static_cast<uint32_t>(static_cast<const char*>(end) - bytes) + 1 : pool.used;
        }
        rank_.resize(bits_.size());
        uint32_t total = 0;
        for (size_t w = 0; w < bits_.size(); ++w) {
            rank_[w] = total;
            total += static_cast<uint32_t>(__builtin_popcountll(bits_[w]));
        }
    }
    size_t size() const { return starts_.size(); }
    uint32_t start(size_t s) const { return starts_[s]; }
    // Index of the string that holds byte `offset` (offset below the used length).
    size_t containing(uint32_t offset) const {
        uint64_t upTo = bits_[offset >> 6] & ((uint64_t{2} << (offset & 63)) - 1);
        return rank_[offset >> 6] + static_cast<size_t>(__builtin_popcountll(upTo)) - 1;
    }

  private:
    std::vector<uint64_t> bits_;
    std::vector<uint32_t> rank_;
    std::vector<uint32_t> starts_;
};

}  // namespace

void Catalog::compactPools() {
    flushPendingStrings();
    const bool foldersMove = garbage_[1];
    struct Job {
        StringPool& pool;
        FieldColumn<uint32_t>& column;
        bool& garbage;
    };
    for (Job job :
         {Job{namePool_, nameColumn, garbage_[0]}, Job{folderPool_, folderColumn, garbage_[1]},
          Job{notePool_, noteColumn, garbage_[2]}}) {
        if (!job.garbage) continue;
        ++textEpoch_;
        job.garbage = false;
        StringPool& pool = job.pool;
        PoolStrings strings(pool);
        // The first 2048 bytes always stay (the note pool's "" and " " live there).
        std::vector<uint8_t> keep(strings.size(), 0);
        for (size_t s = 0; s < strings.size() && strings.start(s) < kTextSize; ++s) keep[s] = 1;
        for (int list = 0; list < kListCount; ++list) {
            if (isDerived(list)) continue;
            const uint32_t* seg = job.column.segment(list);
            for (int32_t k = 0; k < job.column.capacity[list]; ++k)
                if (seg[k] > 0 && seg[k] < pool.used) keep[strings.containing(seg[k])] = 1;
        }
        std::vector<uint32_t> moved(strings.size(), 0);
        char* bytes = pool.bytes.get();
        uint32_t packed = 0;
        for (size_t s = 0; s < strings.size(); ++s) {
            uint32_t begin = strings.start(s);
            uint32_t end = s + 1 < strings.size() ? strings.start(s + 1) : pool.used;
            if (!keep[s]) continue;
            moved[s] = packed;
            if (packed != begin) std::memmove(bytes + packed, bytes + begin, end - begin);
            packed += end - begin;
        }
        for (int list = 0; list < kListCount; ++list) {
            uint32_t* seg = job.column.segment(list);
            bool derived = isDerived(list);
            for (int32_t k = 0; k < job.column.capacity[list]; ++k) {
                uint32_t o = seg[k];
                if (derived || o >= pool.used) {
                    seg[k] = 0;
                    continue;
                }
                size_t s = strings.containing(o);
                seg[k] = moved[s] + (o - strings.start(s));
            }
        }
        pool.used = packed;
        bytes[packed] = 0;
    }
    if (foldersMove) folderIndex_.invalidate();
}

void Catalog::compactSiteNodes() {
    std::array<int32_t, kSiteNodeSlots> newIndex;
    newIndex.fill(-1);
    int32_t kept = 0;
    for (int32_t n = 0; n < siteNodeCount_; ++n) {
        int32_t parent = siteParentIndex(siteNodes_[n]);
        bool keepNode = parent < 0 || (parent < n && newIndex[parent] >= 0);
        if (!keepNode) continue;
        SiteNode node = siteNodes_[n];
        node.parent = siteParentRef(parent < 0 ? -1 : newIndex[parent]);
        newIndex[n] = kept;
        siteNodes_[kept++] = node;
    }
    siteNodeCount_ = kept;
}

}  // namespace varnel
