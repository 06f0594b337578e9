#include "catalog/catalogmap.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace varnel {

namespace {

// Where a pool of zero bytes points: offset 0 of an empty pool reads an empty text.
constexpr char kEmptyPool[1] = {0};

uint32_t offsetAt(const char* offsets, int32_t k) {
    uint32_t offset;
    std::memcpy(&offset, offsets + 4 * size_t(k), 4);
    return offset;
}

// Eight running maxima, so that no comparison waits for the one before: a million offsets
// take about as long as reading them.
uint32_t largestOffset(const char* offsets, int32_t count) {
    uint32_t lanes[8] = {};
    int32_t k = 0;
    for (; k + 8 <= count; k += 8)
        for (int i = 0; i < 8; ++i) lanes[i] = std::max(lanes[i], offsetAt(offsets, k + i));
    uint32_t largest = 0;
    for (uint32_t lane : lanes) largest = std::max(largest, lane);
    for (; k < count; ++k) largest = std::max(largest, offsetAt(offsets, k));
    return largest;
}

bool failWith(std::string& why, std::string text) {
    why = std::move(text);
    return false;
}

}  // namespace

bool MappedCatalog::open(const std::string& path, std::string& why) {
    file_ = mapFile(path, &why);
    if (file_ && view(file_->bytes, why)) return true;
    if (file_) why = path + ": " + why;
    file_ = nullptr;
    return false;
}

bool MappedCatalog::view(std::string_view file, std::string& why) {
    bytes_ = file.data();
    length_ = file.size();
    count_ = 0;
    size_t at = 0;
    auto sourceAt = [&](size_t offset) { return MemorySource(file.substr(offset)); };
    auto fail = [&](const std::string& reason) { return failWith(why, reason); };

    MemorySource head = sourceAt(0);
    CatalogLayout layout;
    std::string reason;
    if (!decodeLayout(head, layout, reason)) return fail(reason);
    at = length_ - head.remaining();
    // Segments lie back to back from their base, so the master list's comes first.
    for (int c = 0; c < kColumnCount; ++c) {
        if (layout.totals[c] > (length_ - at) / kColumnElementSizes[c])
            return fail(std::string(kColumnNames[c]) + " column is larger than the file");
        masterAt_[c] = at;
        at += layout.totals[c] * kColumnElementSizes[c];
    }
    std::array<int32_t, kListCount> counts{};
    MemorySource countSource = sourceAt(at);
    if (!decodeCounts(countSource, counts, reason)) return fail(reason);
    at = length_ - countSource.remaining();

    const char* poolNames[3] = {"folder", "name", "note"};
    std::array<uint32_t, 3> used{};
    for (int p = 0; p < 3; ++p) {
        MemorySource lengthSource = sourceAt(at);
        if (!lengthSource.readU32(used[p]))
            return fail(std::string("missing ") + poolNames[p] + " pool length");
        at += 4;
        if (used[p] > length_ - at)
            return fail(std::string(poolNames[p]) + " pool is larger than the file");
        const char* pool = bytes_ + at;
        if (used[p] > 0 && pool[used[p] - 1] != 0)
            return fail(std::string(poolNames[p]) + " pool does not end with a terminator");
        pools_[p] = used[p] > 0 ? std::string_view(pool, used[p])
                                : std::string_view(kEmptyPool, sizeof kEmptyPool);
        at += used[p];
    }

    auto tail = std::make_unique<CatalogImage>();
    MemorySource tailSource = sourceAt(at);
    if (!decodeTail(tailSource, *tail, reason)) return fail(reason);
    std::array<std::array<int32_t, kListCount>, kColumnCount> capacities;
    for (int c = 0; c < kColumnCount; ++c) capacities[c] = layout.tables[c].capacity;
    settleCounts(counts, capacities, tail->history);

    counts_ = counts;
    for (int c = 0; c < 3; ++c) capacities_[c] = layout.tables[c].capacity;
    count_ = counts[kMasterList];
    return true;
}

bool MappedCatalog::textsFit(std::string& why) const {
    // Every text offset of a record in use must lie inside its pool (0, the empty text, in an
    // empty one too, whose view is one NUL). The largest of a segment tells; only a failing
    // one is looked at again for the reason.
    const std::array<int, 3> poolOfColumn = {1, 2, 0};  // name, note, folder columns
    for (int c = 0; c < 3; ++c) {
        const auto limit = static_cast<uint32_t>(pools_[poolOfColumn[c]].size());
        size_t segment = masterAt_[c];
        for (int list = 0; list < kListCount; ++list) {
            const char* offsets = bytes_ + segment;
            if (largestOffset(offsets, counts_[list]) >= limit) {
                int32_t k = 0;
                while (offsetAt(offsets, k) < limit) ++k;
                return failWith(why, std::string(kColumnNames[c]) + " offset out of range in list " +
                                         std::to_string(list) + ", record " + std::to_string(k));
            }
            segment += 4 * size_t(capacities_[c][list]);
        }
    }
    // The reader refuses long names and folders and empties long notes; an emptied note is
    // not what the file says, so such a file is left to the reader too.
    const char* poolNames[3] = {"folder", "name", "note"};
    for (int p = 0; p < 3; ++p)
        if (holdsTextOfAtLeast(pools_[p].data(), pools_[p].size(), kTextSize))
            return failWith(why, std::string(poolNames[p]) + " pool holds a text of 2048 bytes or more");
    return true;
}

uint64_t MappedCatalog::time(int32_t record) const {
    uint64_t value;
    std::memcpy(&value, bytes_ + masterAt_[3] + 8 * size_t(record), 8);
    return value;
}

uint32_t MappedCatalog::size(int32_t record) const {
    uint32_t value;
    std::memcpy(&value, bytes_ + masterAt_[4] + 4 * size_t(record), 4);
    return value;
}

}  // namespace varnel
