#include "catalog/sort.h"

#include <algorithm>
#include <vector>

#include "catalog/tables.h"

namespace varnel {

namespace {

// A name or path entry: an 8-byte key that decides most comparisons without touching the
// record, the text it was cut from, the folder (ties between equal names), and the record's
// index in the source list.
struct TextEntry {
    uint64_t key;
    const char* text;
    const char* folder;
    uint32_t index;
};

// A type, time or size entry: the whole comparison is in the key.
struct KeyEntry {
    uint64_t key;
    uint32_t index;
};

// Reused by every sort, as the sort runs on one thread at a time.
template <class Entry>
std::vector<Entry>& workTable() {
    static std::vector<Entry> table;
    return table;
}

// The first eight bytes of `text`, case-folded, packed so that comparing keys as unsigned
// numbers compares the texts' beginnings; bytes after the end are 0.
uint64_t prefixKey(const char* text) {
    uint64_t key = 0;
    for (int i = 0; i < 8 && text[i]; ++i)
        key |= uint64_t{foldCase(static_cast<unsigned char>(text[i]))} << (56 - 8 * i);
    return key;
}

// Compares two texts through their prefix keys; only texts that agree on eight bytes are
// compared further.
inline int compareTexts(const TextEntry& a, const TextEntry& b) {
    if (a.key != b.key) return a.key < b.key ? -1 : 1;
    if ((a.key & 0xFF) == 0) return 0;  // both ended within the first eight bytes
    return compareIgnoringCase(a.text + 8, b.text + 8);
}

void sortTexts(Catalog& catalog, int source, int32_t count, int32_t column, bool descending,
               std::vector<uint32_t>& order) {
    std::vector<TextEntry>& table = workTable<TextEntry>();
    table.resize(static_cast<size_t>(count));
    const StringPool& names = catalog.namePool();
    const StringPool& folders = catalog.folderPool();
    for (int32_t i = 0; i < count; ++i) {
        TextEntry& e = table[static_cast<size_t>(i)];
        e.index = static_cast<uint32_t>(i);
        e.folder = folders.at(catalog.folderOffset(source, i));
        e.text = column == kSortByName ? names.at(catalog.nameOffset(source, i)) : e.folder;
        e.key = prefixKey(e.text);
    }
    if (column == kSortByName) {
        // Equal names: ascending folder path, whatever the order.
        std::sort(table.begin(), table.end(), [descending](const TextEntry& a, const TextEntry& b) {
            int c = compareTexts(a, b);
            if (c != 0) return descending ? c > 0 : c < 0;
            return compareIgnoringCase(a.folder, b.folder) < 0;
        });
    } else {
        std::sort(table.begin(), table.end(), [descending](const TextEntry& a, const TextEntry& b) {
            int c = compareTexts(a, b);
            return descending ? c > 0 : c < 0;
        });
    }
    for (size_t k = 0; k < table.size(); ++k) order[k] = table[k].index;
}

void sortKeys(Catalog& catalog, int source, int32_t count, int32_t column, bool descending,
              std::vector<uint32_t>& order) {
    std::vector<KeyEntry>& table = workTable<KeyEntry>();
    table.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        KeyEntry& e = table[static_cast<size_t>(i)];
        e.index = static_cast<uint32_t>(i);
        if (column == kSortByType)
            e.key = prefixKey(catalog.recordExtension(source, i));
        else if (column == kSortByTime)
            e.key = *catalog.recordTime(source, i);
        else  // size: signed 32-bit order, as unsigned keys
            e.key = static_cast<uint32_t>(*catalog.recordSize(source, i)) ^ 0x80000000u;
    }
    if (descending)
        std::sort(table.begin(), table.end(),
                  [](const KeyEntry& a, const KeyEntry& b) { return a.key > b.key; });
    else
        std::sort(table.begin(), table.end(),
                  [](const KeyEntry& a, const KeyEntry& b) { return a.key < b.key; });
    for (size_t k = 0; k < table.size(); ++k) order[k] = table[k].index;
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
    static std::vector<uint32_t> sorted;
    sorted.resize(static_cast<size_t>(count));
    if (column == kSortByName || column == kSortByPath)
        sortTexts(catalog, source, count, column, descending, sorted);
    else
        sortKeys(catalog, source, count, column, descending, sorted);
    for (int32_t i = 0; i < count; ++i)
        catalog.copyRecord(target, i, source, static_cast<int32_t>(sorted[static_cast<size_t>(i)]));
    catalog.setRecordCount(target, count);
}

}  // namespace varnel
