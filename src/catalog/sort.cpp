#include "catalog/sort.h"

#include <algorithm>
#include <vector>

#include "catalog/tables.h"

namespace varnel {

namespace {

// A work entry: an 8-byte key that decides most comparisons without touching the record,
// the text it was cut from (names and paths) and the record's index in the source list.
struct SortEntry {
    uint64_t key;
    const char* text;
    uint32_t index;
};

// Reused by every sort, as the sort runs on one thread at a time.
std::vector<SortEntry>& workTable() {
    static std::vector<SortEntry> table;
    return table;
}

// The first eight bytes of `text`, case-folded, packed so that comparing keys as unsigned
// numbers compares the texts' beginnings; bytes after the end are 0.
uint64_t prefixKey(const char* text, int limit = 8) {
    uint64_t key = 0;
    int i = 0;
    for (; i < limit && text[i]; ++i)
        key |= uint64_t{foldCase(static_cast<unsigned char>(text[i]))} << (56 - 8 * i);
    return key;
}

// Compares two texts through their prefix keys; only texts that agree on eight bytes are
// compared further.
inline int compareTexts(const SortEntry& a, const SortEntry& b) {
    if (a.key != b.key) return a.key < b.key ? -1 : 1;
    if ((a.key & 0xFF) == 0) return 0;  // both ended within the first eight bytes
    return compareIgnoringCase(a.text + 8, b.text + 8);
}

}  // namespace

void SortRecordList(Catalog& catalog, int target, int source, int32_t column, int32_t order) {
    if (target == source) {
        int scratch = catalog.reserveTempList();
        SortRecordList(catalog, scratch, source, column, order);
        catalog.copyList(target, scratch);
        catalog.releaseTempList(scratch);
        return;
    }
    catalog.flushPendingStrings();
    const int32_t count = std::max(catalog.recordCount(source), 0);
    const bool descending = order == kDescending;
    std::vector<SortEntry>& table = workTable();
    table.resize(static_cast<size_t>(count));

    const StringPool& names = catalog.namePool();
    const StringPool& folders = catalog.folderPool();
    for (int32_t i = 0; i < count; ++i) {
        SortEntry& e = table[static_cast<size_t>(i)];
        e.index = static_cast<uint32_t>(i);
        e.text = nullptr;
        switch (column) {
            case kSortByName:
                e.text = names.at(catalog.nameOffset(source, i));
                e.key = prefixKey(e.text);
                break;
            case kSortByPath:
                e.text = folders.at(catalog.folderOffset(source, i));
                e.key = prefixKey(e.text);
                break;
            case kSortByType:
                e.key = prefixKey(catalog.recordExtension(source, i));
                break;
            case kSortByTime:
                e.key = *catalog.recordTime(source, i);
                break;
            default:  // size: signed 32-bit order, as unsigned keys
                e.key = static_cast<uint32_t>(*catalog.recordSize(source, i)) ^ 0x80000000u;
                break;
        }
    }

    auto begin = table.begin(), end = table.end();
    if (column == kSortByName) {
        // Equal names: ascending folder path, whatever the order.
        auto folderOf = [&](const SortEntry& e) {
            return folders.at(catalog.folderOffset(source, static_cast<int32_t>(e.index)));
        };
        std::sort(begin, end, [&](const SortEntry& a, const SortEntry& b) {
            int c = compareTexts(a, b);
            if (c != 0) return descending ? c > 0 : c < 0;
            return compareIgnoringCase(folderOf(a), folderOf(b)) < 0;
        });
    } else if (column == kSortByPath) {
        std::sort(begin, end, [&](const SortEntry& a, const SortEntry& b) {
            int c = compareTexts(a, b);
            return descending ? c > 0 : c < 0;
        });
    } else if (descending) {
        std::sort(begin, end, [](const SortEntry& a, const SortEntry& b) { return a.key > b.key; });
    } else {
        std::sort(begin, end, [](const SortEntry& a, const SortEntry& b) { return a.key < b.key; });
    }

    for (int32_t i = 0; i < count; ++i)
        catalog.copyRecord(target, i, source,
                           static_cast<int32_t>(table[static_cast<size_t>(i)].index));
    catalog.setRecordCount(target, count);
}

}  // namespace varnel
