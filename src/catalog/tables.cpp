#include "catalog/tables.h"

#include <algorithm>
#include <vector>

namespace varnel {

namespace {

template <class T>
void resetColumn(FieldColumn<T>& column, size_t logicalCapacity) {
    column.elements = GrowBuffer<T>{};
    growBuffer(column.elements, logicalCapacity);
    column.logicalCapacity = logicalCapacity;
    for (int list = 0; list < kListCount; ++list) {
        column.start[list] = static_cast<uint32_t>(list);
        column.capacity[list] = 1;
        column.elements[list] = 0;
    }
}

void resetPool(StringPool& pool) {
    pool.bytes = GrowBuffer<char>{};
    growBuffer(pool.bytes, kInitialPoolSize);
    pool.used = 0;
    pool.bytes[0] = 0;
}

// Reallocates a column's block so that it holds `needed` elements, doubling its logical size.
template <class T>
void ensureLogicalCapacity(FieldColumn<T>& column, size_t needed) {
    if (needed <= column.logicalCapacity && needed <= column.elements.capacity) return;
    size_t logical = std::max<size_t>(column.logicalCapacity, 1);
    while (logical < needed) logical *= 2;
    if (logical > column.elements.capacity) {
        T* fresh = static_cast<T*>(allocateRetrying(logical * sizeof(T)));
        addCatalogMemory((logical - column.elements.capacity) * sizeof(T));
        std::memcpy(fresh, column.elements.get(), column.usedElements() * sizeof(T));
        column.elements.data.reset(fresh);
        column.elements.capacity = logical;
    }
    column.logicalCapacity = logical;
}

// Moves every list's first keep[list] elements to newStart[list]: lists moving down in
// increasing order, then lists moving up in decreasing order, so nothing is overwritten
// before it has moved. Then clears each segment's tail.
template <class T>
void repackColumn(FieldColumn<T>& column, const std::array<int32_t, kListCount>& newCapacity,
                  const std::array<int32_t, kListCount>& counts) {
    std::array<uint32_t, kListCount> newStart{};
    size_t total = 0;
    for (int list = 0; list < kListCount; ++list) {
        newStart[list] = static_cast<uint32_t>(total);
        total += static_cast<size_t>(newCapacity[list]);
    }
    ensureLogicalCapacity(column, total);
    T* base = column.elements.get();
    std::array<int32_t, kListCount> keep{};
    for (int list = 0; list < kListCount; ++list)
        keep[list] = std::clamp(counts[list], 0, std::min(column.capacity[list], newCapacity[list]));
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
}

const char kEmptyText[] = "";

}  // namespace

int compareIgnoringCase(const char* a, const char* b) {
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    for (;; ++x, ++y) {
        unsigned char cx = foldCase(*x), cy = foldCase(*y);
        if (cx != cy || cx == 0) return static_cast<int>(cx) - static_cast<int>(cy);
    }
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldCase(static_cast<unsigned char>(a[i])) != foldCase(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

Catalog::Catalog(int initialColumnCapacity) { reset(initialColumnCapacity); }

void Catalog::reset(int initialColumnCapacity) {
    size_t logical = initialColumnCapacity > 0 ? static_cast<size_t>(initialColumnCapacity)
                                               : static_cast<size_t>(kDefaultColumnCapacity);
    logical = std::max<size_t>(logical, kListCount);  // every list owns at least one element
    resetColumn(nameColumn, logical);
    resetColumn(noteColumn, logical);
    resetColumn(folderColumn, logical);
    resetColumn(timeColumn, logical);
    resetColumn(sizeColumn, logical);
    resetColumn(mapColumn, kInitialMapCapacity);
    mapColumn.logicalCapacity = mapColumn.elements.capacity;

    resetPool(namePool_);
    resetPool(folderPool_);
    resetPool(notePool_);
    std::memcpy(notePool_.bytes.get(), "\0 \0", 3);  // offset 0: "", offset 1: " "
    notePool_.used = 3;
    folderIndex_.invalidate();
    nameStage_ = {};
    folderStage_ = {};
    noteStage_ = {};

    counts_.fill(0);
    stamps_.fill(0);
    generation_ = kOpenedGeneration;
    history_ = ViewHistory{};
    scratch_.fill(0);
    searchResult_ = -1;

    siteNodes_.fill(SiteNode{});
    std::strcpy(siteNodes_[0].name, "root");
    siteNodes_[0].list = kMasterList;
    siteNodes_[0].kind = 2;
    siteNodeCount_ = 1;

    page_.topIndex = -1;
    page_.focusIndex = -1;
}

// ---- growing ----------------------------------------------------------------------------

template <class T>
void Catalog::growSegment(FieldColumn<T>& column, int list, int32_t i) {
    int32_t oldCapacity = column.capacity[list];
    if (i < oldCapacity) return;
    int64_t newCapacity = std::max<int32_t>(oldCapacity, 1);
    while (newCapacity <= i) newCapacity *= 2;
    newCapacity = std::min<int64_t>(newCapacity, INT32_MAX);
    size_t delta = static_cast<size_t>(newCapacity - oldCapacity);
    size_t used = column.usedElements();
    ensureLogicalCapacity(column, used + delta);
    T* base = column.elements.get();
    size_t tail = column.start[list] + static_cast<size_t>(oldCapacity);
    if (used > tail) std::memmove(base + tail + delta, base + tail, (used - tail) * sizeof(T));
    std::memset(static_cast<void*>(base + tail), 0, delta * sizeof(T));
    for (int later = list + 1; later < kListCount; ++later)
        column.start[later] += static_cast<uint32_t>(delta);
    column.capacity[list] = static_cast<int32_t>(newCapacity);
}

void Catalog::growMap(int list, int32_t i) {
    growSegment(mapColumn, list, i);
    mapColumn.logicalCapacity = mapColumn.elements.capacity;
}

void Catalog::prepareWrite(int list, int32_t) {
    if (isDerived(list)) materializeView(list);
}

void Catalog::resolveOwner(int& list, int32_t& i) const {
    if (isDerived(list)) {
        i = static_cast<int32_t>(mapColumn.segment(list)[i]);
        list = kMasterList;
    }
}

// ---- text commit ------------------------------------------------------------------------

uint32_t Catalog::appendToPool(StringPool& pool, const char* text, size_t length) {
    if (pool.used + kTextSize > pool.bytes.capacity) growBuffer(pool.bytes, pool.used + kTextSize);
    uint32_t offset = pool.used;
    std::memcpy(pool.bytes.get() + offset, text, length);
    pool.bytes[offset + length] = 0;
    pool.used = static_cast<uint32_t>(offset + length + 1);
    pool.bytes[pool.used] = 0;  // reading at `used` always finds an empty text
    return offset;
}

void Catalog::commitName() {
    StagedText& s = nameStage_;
    s.text[kTextSize - 1] = 0;
    nameColumn.segment(s.list)[s.index] = appendToPool(namePool_, s.text, std::strlen(s.text));
    s.list = -1;
}

void Catalog::commitFolder() {
    StagedText& s = folderStage_;
    s.text[kTextSize - 1] = 0;
    std::string_view text(s.text, std::strlen(s.text));
    uint32_t offset = folderIndex_.find(folderPool_, text);
    if (offset == FolderIndex::kNone) {
        offset = appendToPool(folderPool_, text.data(), text.size());
        folderIndex_.add(folderPool_, offset, text);
    }
    folderColumn.segment(s.list)[s.index] = offset;
    s.list = -1;
}

void Catalog::commitNote() {
    StagedText& s = noteStage_;
    s.text[kTextSize - 1] = 0;
    uint32_t offset;
    if (s.text[0] == 0) {
        offset = 0;
    } else if (s.text[0] == ' ' && s.text[1] == 0) {
        offset = 1;
    } else {
        size_t length = std::strcspn(s.text, "|");
        offset = appendToPool(notePool_, s.text, length);
    }
    noteColumn.segment(s.list)[s.index] = offset;
    s.list = -1;
}

void Catalog::flushPendingStrings() {
    if (nameStage_.list >= 0) commitName();
    if (folderStage_.list >= 0) commitFolder();
    if (noteStage_.list >= 0) commitNote();
}

// ---- reading ----------------------------------------------------------------------------

char* Catalog::recordNote(int list, int32_t i, int offset) {
    if (noteStage_.list >= 0) commitNote();
    // Through a derived list the note belongs to the master record: edits must land there.
    resolveOwner(list, i);
    growSegment(noteColumn, list, i);
    const char* stored = notePool_.at(noteColumn.segment(list)[i]);
    size_t length = strnlen(stored, kTextSize - 1);
    std::memcpy(noteStage_.text, stored, length);
    noteStage_.text[length] = 0;
    noteStage_.list = list;
    noteStage_.index = i;
    return noteStage_.text + offset;
}

const char* Catalog::recordExtension(int list, int32_t i) {
    const char* name = recordName(list, i);
    const char* dot = std::strrchr(name, '.');
    return dot ? dot + 1 : kEmptyText;
}

const uint64_t* Catalog::recordTime(int list, int32_t i) {
    resolveOwner(list, i);
    growSegment(timeColumn, list, i);
    return timeColumn.segment(list) + i;
}

const uint32_t* Catalog::recordSize(int list, int32_t i) {
    resolveOwner(list, i);
    growSegment(sizeColumn, list, i);
    return sizeColumn.segment(list) + i;
}

uint64_t Catalog::selectionTotal() {
    uint64_t total = 0;
    for (int32_t i = 0; i < counts_[kSelectionList]; ++i) total += *recordSize(kSelectionList, i);
    return total;
}

// ---- writing ----------------------------------------------------------------------------

char* Catalog::setRecordName(int list, int32_t i, int offset) {
    prepareWrite(list, i);
    if (nameStage_.list >= 0) commitName();
    growSegment(nameColumn, list, i);
    nameStage_.list = list;
    nameStage_.index = i;
    return nameStage_.text + offset;
}

char* Catalog::setRecordFolder(int list, int32_t i, int offset) {
    prepareWrite(list, i);
    if (folderStage_.list >= 0) commitFolder();
    growSegment(folderColumn, list, i);
    folderStage_.list = list;
    folderStage_.index = i;
    return folderStage_.text + offset;
}

char* Catalog::setRecordNote(int list, int32_t i, int offset) {
    prepareWrite(list, i);
    if (noteStage_.list >= 0) commitNote();
    growSegment(noteColumn, list, i);
    noteStage_.list = list;
    noteStage_.index = i;
    return noteStage_.text + offset;
}

void Catalog::copyRecordName(int dst, int32_t di, int src, int32_t si) {
    prepareWrite(dst, di);
    if (nameStage_.list >= 0) commitName();
    growSegment(nameColumn, dst, di);
    nameColumn.segment(dst)[di] = ownerSlot(nameColumn, src, si);
}

void Catalog::copyRecordFolder(int dst, int32_t di, int src, int32_t si) {
    prepareWrite(dst, di);
    if (folderStage_.list >= 0) commitFolder();
    growSegment(folderColumn, dst, di);
    folderColumn.segment(dst)[di] = ownerSlot(folderColumn, src, si);
}

void Catalog::copyRecordNote(int dst, int32_t di, int src, int32_t si) {
    prepareWrite(dst, di);
    if (noteStage_.list >= 0) commitNote();
    growSegment(noteColumn, dst, di);
    noteColumn.segment(dst)[di] = ownerSlot(noteColumn, src, si);
}

uint64_t* Catalog::timeSlot(int list, int32_t i) {
    prepareWrite(list, i);
    growSegment(timeColumn, list, i);
    return timeColumn.segment(list) + i;
}

uint32_t* Catalog::sizeSlot(int list, int32_t i) {
    prepareWrite(list, i);
    growSegment(sizeColumn, list, i);
    return sizeColumn.segment(list) + i;
}

void Catalog::copyRecord(int dst, int32_t di, int src, int32_t si) {
    if (dst == src && di == si) return;
    if (isDerived(dst) && (isDerived(src) || src == kMasterList)) {
        uint32_t target = masterIndex(src, si);
        growMap(dst, di);
        mapColumn.segment(dst)[di] = target;
        return;
    }
    copyRecordFolder(dst, di, src, si);
    copyRecordName(dst, di, src, si);
    copyRecordNote(dst, di, src, si);
    uint64_t time = *recordTime(src, si);
    uint32_t size = *recordSize(src, si);
    *timeSlot(dst, di) = time;
    *sizeSlot(dst, di) = size;
}

void Catalog::copyList(int dst, int src) {
    counts_[dst] = 0;
    int32_t n = counts_[src];
    for (int32_t i = 0; i < n; ++i) {
        copyRecord(dst, i, src, i);
        counts_[dst] = i + 1;
    }
}

void Catalog::materializeView(int list) {
    if (!isDerived(list)) return;
    stamps_[list] = 0;
    int32_t mapCapacity = mapColumn.capacity[list];
    int32_t masterCapacity = nameColumn.capacity[kMasterList];
    for (int32_t k = 0; k < mapCapacity; ++k) {
        uint32_t source = mapColumn.segment(list)[k];
        // A map entry left from before the master list shrank reads as record 0.
        if (source >= static_cast<uint32_t>(masterCapacity)) source = 0;
        copyRecord(list, k, kMasterList, static_cast<int32_t>(source));
    }
}

// ---- view history ---------------------------------------------------------------------

int Catalog::currentList() const {
    if (history_.position < 0 || history_.count == 0) return -1;
    return history_.list[history_.position];
}

namespace {
void advanceHistory(ViewHistory& h, PageCursor& page) {
    page.topIndex = -1;
    h.position += 1;
    if (h.position == h.count)
        h.count += 1;
    else
        h.count = h.position + 1;
    if (h.count > kHistoryLimit) {
        auto drop = [](auto& field) { std::move(field.begin() + 1, field.end(), field.begin()); };
        drop(h.list);
        drop(h.address);
        drop(h.searchReference);
        drop(h.sortColumn);
        drop(h.sortOrder);
        h.position -= 1;
        h.count -= 1;
    }
}
}  // namespace

void Catalog::historyPush(int list, const char* addressText, int32_t searchReference,
                          int32_t sortColumn, int32_t sortOrder) {
    if (list < 0) return;
    advanceHistory(history_, page_);
    int p = history_.position;
    history_.list[p] = list;
    auto& address = history_.address[p];
    if (addressText && addressText[0]) {
        size_t length = strnlen(addressText, kTextSize - 1);
        std::memcpy(address.data(), addressText, length);
        address[length] = 0;
    } else {
        address[0] = 0;
        history_.searchReference[p] = searchReference;
    }
    history_.sortColumn[p] = sortColumn;
    history_.sortOrder[p] = sortOrder;
    page_.focusIndex = -1;
    searchResult_ = -1;
    compactLists(true);
    page_.refreshRequests++;
}

void Catalog::historyPushList(int list) {
    if (list < 0) return;
    advanceHistory(history_, page_);
    history_.list[history_.position] = list;
    page_.refreshRequests++;
    page_.focusIndex = -1;
}

int Catalog::historyForward() {
    if (history_.position + 1 < history_.count) history_.position++;
    page_.topIndex = -1;
    page_.focusIndex = -1;
    return history_.position >= 0 ? history_.list[history_.position] : -1;
}

int Catalog::historyBack() {
    if (history_.position > 0) history_.position--;
    page_.topIndex = -1;
    page_.focusIndex = -1;
    return history_.position >= 0 ? history_.list[history_.position] : -1;
}

// ---- temporary lists --------------------------------------------------------------------

int Catalog::allocTempList(int forSearch) {
    flushPendingStrings();
    for (int list = kFirstTempList; list < kListCount; ++list) {
        bool taken = false;
        for (int e = 0; e < history_.count && !taken; ++e) taken = history_.list[e] == list;
        for (int slot : scratch_) taken = taken || slot == list;
        if (taken) continue;
        stamps_[list] = generation_;
        counts_[list] = 0;
        if (forSearch == 0) searchResult_ = list;
        return list;
    }
    return -1;  // cannot happen: 7 view entries and 5 scratch slots leave 88 lists free
}

int Catalog::reserveTempList() {
    int list = allocTempList(1);
    for (int& slot : scratch_) {
        if (slot == 0) {
            slot = list;
            break;
        }
    }
    return list;
}

void Catalog::releaseTempList(int list) {
    for (int& slot : scratch_) {
        if (slot == 0 || (list != 0 && slot != list)) continue;
        counts_[slot] = 0;
        stamps_[slot] = 0;
        slot = 0;
    }
}

// ---- compaction -------------------------------------------------------------------------

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
    repackColumn(nameColumn, newCapacity, keep);
    repackColumn(noteColumn, newCapacity, keep);
    repackColumn(folderColumn, newCapacity, keep);
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
    struct Job {
        StringPool& pool;
        FieldColumn<uint32_t>& column;
    };
    for (Job job : {Job{namePool_, nameColumn}, Job{folderPool_, folderColumn},
                    Job{notePool_, noteColumn}}) {
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
    folderIndex_.invalidate();
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

// ---- comparisons ------------------------------------------------------------------------

bool Catalog::recordsEqual(int listA, int32_t i, int listB, int32_t j) {
    flushPendingStrings();
    auto noteOf = [&](int list, int32_t k) { return recordNoteText(list, k); };
    return compareIgnoringCase(recordFolder(listA, i), recordFolder(listB, j)) == 0 &&
           compareIgnoringCase(recordName(listA, i), recordName(listB, j)) == 0 &&
           compareIgnoringCase(noteOf(listA, i), noteOf(listB, j)) == 0 &&
           *recordTime(listA, i) == *recordTime(listB, j) &&
           *recordSize(listA, i) == *recordSize(listB, j);
}

int32_t Catalog::findEqualRecord(int list, int srcList, int32_t j) {
    for (int32_t i = 0; i < counts_[list]; ++i)
        if (recordsEqual(list, i, srcList, j)) return i;
    return -1;
}

int32_t Catalog::findSameFile(int list, int srcList, int32_t j) {
    flushPendingStrings();
    const char* folder = recordFolder(srcList, j);
    const char* name = recordName(srcList, j);
    return findByFolderAndName(list, folder, name);
}

int32_t Catalog::findByFolderAndName(int list, const char* folderPath, const char* name) {
    flushPendingStrings();
    for (int32_t i = 0; i < counts_[list]; ++i)
        if (compareIgnoringCase(recordName(list, i), name) == 0 &&
            compareIgnoringCase(recordFolder(list, i), folderPath) == 0)
            return i;
    return -1;
}

}  // namespace varnel
