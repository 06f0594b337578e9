#include "catalog/tables.h"

#include "catalog/identity.h"

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

void resetPool(StringPool& pool, size_t initialBytes) {
    pool.bytes = GrowBuffer<char>{};
    growBuffer(pool.bytes, initialBytes);
    pool.used = 0;
    pool.bytes[0] = 0;
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

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool startsWithIgnoringCase(const char* text, std::string_view prefix) {
    for (size_t i = 0; i < prefix.size(); ++i)
        if (text[i] == '\0' || foldCase(static_cast<unsigned char>(text[i])) !=
                                   foldCase(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldCase(static_cast<unsigned char>(a[i])) !=
            foldCase(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

Catalog::Catalog(int initialColumnCapacity) {
    reset(initialColumnCapacity);
}

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

    // Pools grow on demand: a catalog made small (a test, one decoded file after another)
    // need not clear a quarter megabyte for each.
    const size_t poolBytes = std::clamp<size_t>(logical * 64, 4096, kInitialPoolSize);
    resetPool(namePool_, poolBytes);
    resetPool(folderPool_, poolBytes);
    resetPool(notePool_, poolBytes);
    std::memcpy(notePool_.bytes.get(), "\0 \0", 3);  // offset 0: "", offset 1: " "
    notePool_.used = 3;
    poolsReplaced();
    garbage_ = {};
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
    column.ensureCapacity(used + delta);
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

void Catalog::setGenerationStamp(int list, int32_t stamp) {
    if (stamps_[list] == 0 && stamp != 0) {
        for (FieldColumn<uint32_t>* column : {&nameColumn, &folderColumn, &noteColumn}) {
            const uint32_t* seg = column->segment(list);
            for (int32_t k = 0; k < column->capacity[list] && !garbage_[poolOf(*column)]; ++k)
                if (seg[k] != 0) garbage_[poolOf(*column)] = true;
        }
    }
    stamps_[list] = stamp;
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
    garbage_[0] = true;
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
    garbage_[1] = true;
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
    garbage_[2] = true;
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

char* Catalog::stageText(StagedText& stage, FieldColumn<uint32_t>& column,
                         void (Catalog::*commit)(), int list, int32_t i, int offset) {
    prepareWrite(list, i);
    if (stage.list >= 0) (this->*commit)();
    growSegment(column, list, i);
    stage.list = list;
    stage.index = i;
    return stage.text + offset;
}

char* Catalog::setRecordName(int list, int32_t i, int offset) {
    return stageText(nameStage_, nameColumn, &Catalog::commitName, list, i, offset);
}

char* Catalog::setRecordFolder(int list, int32_t i, int offset) {
    return stageText(folderStage_, folderColumn, &Catalog::commitFolder, list, i, offset);
}

char* Catalog::setRecordNote(int list, int32_t i, int offset) {
    return stageText(noteStage_, noteColumn, &Catalog::commitNote, list, i, offset);
}

namespace {
bool copyBounded(char* stage, std::string_view text) {
    if (text.size() >= kTextSize) {
        stage[0] = 0;
        return false;
    }
    std::memcpy(stage, text.data(), text.size());
    stage[text.size()] = 0;
    return true;
}
}  // namespace

bool Catalog::writeRecordName(int list, int32_t i, std::string_view text) {
    return copyBounded(setRecordName(list, i), text);
}

bool Catalog::writeRecordFolder(int list, int32_t i, std::string_view text) {
    return copyBounded(setRecordFolder(list, i), text);
}

bool Catalog::writeRecordNote(int list, int32_t i, std::string_view text) {
    return copyBounded(setRecordNote(list, i), text);
}

void Catalog::copyOffset(StagedText& stage, FieldColumn<uint32_t>& column,
                         void (Catalog::*commit)(), int dst, int32_t di, int src, int32_t si) {
    prepareWrite(dst, di);
    if (stage.list >= 0) (this->*commit)();  // the source may be the pending record
    growSegment(column, dst, di);
    column.segment(dst)[di] = ownerSlot(column, src, si);
    garbage_[poolOf(column)] = true;
}

void Catalog::copyRecordName(int dst, int32_t di, int src, int32_t si) {
    copyOffset(nameStage_, nameColumn, &Catalog::commitName, dst, di, src, si);
}

void Catalog::copyRecordFolder(int dst, int32_t di, int src, int32_t si) {
    copyOffset(folderStage_, folderColumn, &Catalog::commitFolder, dst, di, src, si);
}

void Catalog::copyRecordNote(int dst, int32_t di, int src, int32_t si) {
    copyOffset(noteStage_, noteColumn, &Catalog::commitNote, dst, di, src, si);
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

void Catalog::assignMasterRecords(int list, const std::vector<uint32_t>& records) {
    counts_[list] = 0;
    appendMasterRecords(list, records);
}

void Catalog::appendMasterRecords(int list, std::span<const uint32_t> records) {
    const int32_t first = counts_[list];
    const int32_t n = first + static_cast<int32_t>(records.size());
    if (isDerived(list) && n > first) {
        growMap(list, n - 1);
        std::memcpy(mapColumn.segment(list) + first, records.data(), records.size() * sizeof(uint32_t));
    } else {
        for (int32_t i = first; i < n; ++i)
            copyRecord(list, i, kMasterList, static_cast<int32_t>(records[size_t(i - first)]));
    }
    counts_[list] = n;
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

// ---- comparisons ------------------------------------------------------------------------

bool Catalog::recordsEqual(int listA, int32_t i, int listB, int32_t j) {
    flushPendingStrings();
    auto noteOf = [&](int list, int32_t k) { return recordNoteText(list, k); };
    return sameFile(listA, i, listB, j) &&
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

bool Catalog::sameFile(int listA, int32_t i, int listB, int32_t j) {
    flushPendingStrings();
    return sameFileName(recordFolder(listA, i), recordName(listA, i), recordFolder(listB, j),
                        recordName(listB, j));
}

int32_t Catalog::findByFolderAndName(int list, const char* folderPath, const char* name) {
    flushPendingStrings();
    for (int32_t i = 0; i < counts_[list]; ++i)
        if (sameFileName(recordFolder(list, i), recordName(list, i), folderPath, name)) return i;
    return -1;
}

}  // namespace varnel
