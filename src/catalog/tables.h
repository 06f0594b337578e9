#pragma once
// The catalog: 200 numbered record lists over five pooled field columns (name, note, folder
// path, time stamp, size), three string pools, the view history and the site-node table.
// Column-oriented on purpose: this is also the layout of the catalog file, which writes the
// arrays as they stand.
#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

#include "catalog/folderindex.h"
#include "catalog/growbuffer.h"

namespace varnel {

inline constexpr int kListCount = 200;
inline constexpr int kMasterList = 0;
inline constexpr int kClipboardList = 97;
inline constexpr int kShareList = 98;
inline constexpr int kSelectionList = 99;
inline constexpr int kFirstTempList = 100;
inline constexpr int kHistorySlots = 14;
inline constexpr int kHistoryLimit = 7;
inline constexpr int kScratchSlots = 5;
inline constexpr int kSiteNodeSlots = 512;
inline constexpr size_t kTextSize = 2048;  // working texts: paths, names, addresses
inline constexpr uint32_t kInitialPoolSize = 262144;
inline constexpr uint32_t kInitialMapCapacity = 2048;
inline constexpr int kDefaultColumnCapacity = 10000;
inline constexpr int32_t kOpenedGeneration = 2;  // "nothing changed since open"

// One field (or the index maps): every record list owns one segment, back to back in list
// order. Starts are element indices.
template <class T>
struct FieldColumn {
    GrowBuffer<T> elements;
    size_t logicalCapacity = 0;
    std::array<uint32_t, kListCount> start{};
    std::array<int32_t, kListCount> capacity{};

    T* segment(int list) const { return elements.get() + start[list]; }
    size_t usedElements() const {
        return static_cast<size_t>(start[kListCount - 1]) + capacity[kListCount - 1];
    }
    // Makes room for `needed` elements, doubling the logical size; reallocates when the
    // block is too small (every segment keeps its element index).
    void ensureCapacity(size_t needed) {
        if (needed <= logicalCapacity && needed <= elements.capacity) return;
        size_t logical = logicalCapacity > 0 ? logicalCapacity : 1;
        while (logical < needed) logical *= 2;
        if (logical > elements.capacity) {
            T* fresh = static_cast<T*>(allocateRetrying(logical * sizeof(T)));
            addCatalogMemory((logical - elements.capacity) * sizeof(T));
            std::memcpy(fresh, elements.get(), usedElements() * sizeof(T));
            elements.data.reset(fresh);
            elements.capacity = logical;
        }
        logicalCapacity = logical;
    }
};

struct StringPool {
    GrowBuffer<char> bytes;
    uint32_t used = 0;

    const char* at(uint32_t offset) const { return bytes.get() + offset; }
};

// A text field's pending write: the staging text is committed into the pool at the next
// write or read of that field.
struct StagedText {
    char text[kTextSize] = {};
    int list = -1;  // -1: nothing pending
    int32_t index = 0;
};

// 52 bytes, as stored in the catalog file.
struct SiteNode {
    uint32_t parent;  // kSiteNodeBase + 52 * parent index, or 0 for none
    char name[32];
    int32_t list;
    int32_t value40;  // kept unchanged; nothing reads it
    int32_t kind;     // 2 for the root
    int32_t value48;  // kept unchanged; nothing reads it
};
static_assert(sizeof(SiteNode) == 52);
// The address the site-node table "lives at" for parent references.
inline constexpr uint32_t kSiteNodeBase = 0x00600000;

struct ViewHistory {
    std::array<int32_t, kHistorySlots> list{};
    std::array<std::array<char, kTextSize>, kHistorySlots> address{};
    std::array<int32_t, kHistorySlots> searchReference{};
    std::array<int32_t, kHistorySlots> sortColumn{};
    std::array<int32_t, kHistorySlots> sortOrder{};
    int32_t count = 0;
    int32_t position = -1;
};

// The parts of the file list's page state that catalog operations reset.
struct PageCursor {
    int32_t topIndex = -1;
    int32_t focusIndex = -1;
    int32_t viewMode = 0;          // 0 result page, 1 file list, 2 preview
    uint32_t refreshRequests = 0;  // raised whenever the shown list changes
};

class Catalog {
  public:
    explicit Catalog(int initialColumnCapacity = kDefaultColumnCapacity);

    // Empties every table, as opening a catalog does.
    void reset(int initialColumnCapacity);

    // ---- record lists ------------------------------------------------------------------
    int32_t recordCount(int list) const { return counts_[list]; }
    void setRecordCount(int list, int32_t count) { counts_[list] = count; }
    bool isDerived(int list) const { return stamps_[list] != 0; }
    int32_t generationStamp(int list) const { return stamps_[list]; }
    // Making an owning list derived stops its texts from counting as used.
    void setGenerationStamp(int list, int32_t stamp);
    int32_t generation() const { return generation_; }
    void setGeneration(int32_t g) { generation_ = g; }
    void bumpGeneration() { ++generation_; }

    // ---- reading records (index below the record count) ----------------------------------
    const char* recordName(int list, int32_t i, int offset = 0) {
        if (nameStage_.list >= 0) commitName();
        return namePool_.at(ownerSlot(nameColumn, list, i)) + offset;
    }
    const char* recordFolder(int list, int32_t i, int offset = 0) {
        if (folderStage_.list >= 0) commitFolder();
        return folderPool_.at(ownerSlot(folderColumn, list, i)) + offset;
    }
    // An editable copy of the note: whatever the returned buffer holds at the next commit
    // becomes the record's note.
    char* recordNote(int list, int32_t i, int offset = 0);
    // The note for reading only: nothing is staged, so nothing is stored again.
    const char* recordNoteText(int list, int32_t i) {
        if (noteStage_.list >= 0) commitNote();
        return notePool_.at(ownerSlot(noteColumn, list, i));
    }
    // The text after the last "." of the name; "" when there is none.
    const char* recordExtension(int list, int32_t i);
    const uint64_t* recordTime(int list, int32_t i);
    const uint32_t* recordSize(int list, int32_t i);
    uint64_t selectionTotal();

    // Offsets as stored, for code that walks the pools directly (saving, sorting).
    uint32_t nameOffset(int list, int32_t i) const { return ownerSlot(nameColumn, list, i); }
    uint32_t folderOffset(int list, int32_t i) const { return ownerSlot(folderColumn, list, i); }
    uint32_t noteOffset(int list, int32_t i) const { return ownerSlot(noteColumn, list, i); }
    // The master-list index behind record i of a derived list; i itself for the master.
    uint32_t masterIndex(int list, int32_t i) const {
        return isDerived(list) ? mapColumn.segment(list)[i] : static_cast<uint32_t>(i);
    }

    // ---- writing records (the list grows as needed) ---------------------------------------
    char* setRecordName(int list, int32_t i, int offset = 0);
    char* setRecordFolder(int list, int32_t i, int offset = 0);
    char* setRecordNote(int list, int32_t i, int offset = 0);
    // Whole texts into a field. A text that does not fit a working buffer is refused: the
    // field is left empty and the result is false, never a write past the buffer.
    bool writeRecordName(int list, int32_t i, std::string_view text);
    bool writeRecordFolder(int list, int32_t i, std::string_view text);
    bool writeRecordNote(int list, int32_t i, std::string_view text);
    void copyRecordName(int dst, int32_t di, int src, int32_t si);
    void copyRecordFolder(int dst, int32_t di, int src, int32_t si);
    void copyRecordNote(int dst, int32_t di, int src, int32_t si);
    uint64_t* timeSlot(int list, int32_t i);
    uint32_t* sizeSlot(int list, int32_t i);
    void copyRecord(int dst, int32_t di, int src, int32_t si);
    void copyList(int dst, int src);
    // Makes `list` hold the given master-list records, in that order: as a view of indices
    // when the list is derived (its segment grown once, not record by record), else copied.
    void assignMasterRecords(int list, const std::vector<uint32_t>& records);
    // Adds the given master-list records after those `list` holds, as assignMasterRecords.
    void appendMasterRecords(int list, std::span<const uint32_t> records);

    // ---- maintenance ----------------------------------------------------------------------
    void flushPendingStrings();
    // Forgets staged texts without committing them (the tables they aimed at are gone).
    void discardPendingStrings() { nameStage_.list = folderStage_.list = noteStage_.list = -1; }
    void materializeView(int list);
    void compactLists(bool keepCurrentView);
    void compactPools();
    void compactSiteNodes();
    // Whether compactPools() has anything to drop: set whenever a record's text offset is
    // replaced or an owning list stops owning its texts. Saving skips clean pools.
    bool poolsMayHoldGarbage() const { return garbage_[0] || garbage_[1] || garbage_[2]; }
    // For a catalog just read from a file: every writer compacts before it writes.
    void assumePoolsCompact() { garbage_ = {}; }

    // ---- view history -----------------------------------------------------------------------
    int currentList() const;
    void historyPush(int list, const char* addressText, int32_t searchReference, int32_t sortColumn,
                     int32_t sortOrder);
    void historyPushList(int list);
    int historyForward();
    int historyBack();
    ViewHistory& history() { return history_; }
    const ViewHistory& history() const { return history_; }

    // ---- temporary lists --------------------------------------------------------------------
    int allocTempList(int forSearch);
    int reserveTempList();
    void releaseTempList(int list);
    int searchResultList() const { return searchResult_; }
    void setSearchResultList(int list) { searchResult_ = list; }

    // ---- comparisons and look-ups: folder and name by the file-identity rule of
    // catalog/identity.h, notes ignoring ASCII letter case ------------------------------------
    bool recordsEqual(int listA, int32_t i, int listB, int32_t j);
    bool recordsDiffer(int listA, int32_t i, int listB, int32_t j) {
        return !recordsEqual(listA, i, listB, j);
    }
    int32_t findEqualRecord(int list, int srcList, int32_t j);
    int32_t findSameFile(int list, int srcList, int32_t j);
    // Same folder path and name.
    bool sameFile(int listA, int32_t i, int listB, int32_t j);
    int32_t findByFolderAndName(int list, const char* folderPath, const char* name);

    // ---- site nodes -------------------------------------------------------------------------
    std::array<SiteNode, kSiteNodeSlots>& siteNodes() { return siteNodes_; }
    int32_t siteNodeCount() const { return siteNodeCount_; }
    void setSiteNodeCount(int32_t n) { siteNodeCount_ = n; }
    static int32_t siteParentIndex(const SiteNode& node) {
        return node.parent == 0 ? -1 : static_cast<int32_t>((node.parent - kSiteNodeBase) / 52);
    }
    static uint32_t siteParentRef(int32_t index) {
        return index < 0 ? 0 : kSiteNodeBase + 52u * static_cast<uint32_t>(index);
    }

    PageCursor& page() { return page_; }

    // ---- raw tables, for the catalog file ---------------------------------------------------
    FieldColumn<uint32_t> nameColumn;
    FieldColumn<uint32_t> noteColumn;
    FieldColumn<uint32_t> folderColumn;
    FieldColumn<uint64_t> timeColumn;
    FieldColumn<uint32_t> sizeColumn;
    FieldColumn<uint32_t> mapColumn;
    StringPool& namePool() { return namePool_; }
    StringPool& folderPool() { return folderPool_; }
    StringPool& notePool() { return notePool_; }
    std::array<int32_t, kListCount>& counts() { return counts_; }
    // After the folder pool was replaced or rewritten wholesale.
    // After the pools were replaced or rewritten wholesale (not merely appended to).
    void poolsReplaced() {
        folderIndex_.invalidate();
        ++textEpoch_;
    }
    // Changes whenever texts may have moved within a pool; appends keep it.
    uint64_t textEpoch() const { return textEpoch_; }

  private:
    template <class T>
    uint32_t ownerSlot(const FieldColumn<T>& column, int list, int32_t i) const {
        if (isDerived(list)) return column.segment(kMasterList)[mapColumn.segment(list)[i]];
        return column.segment(list)[i];
    }
    template <class T>
    void growSegment(FieldColumn<T>& column, int list, int32_t i);
    void growMap(int list, int32_t i);
    void prepareWrite(int list, int32_t i);
    // The shared steps of the three text writers and the three offset copiers.
    char* stageText(StagedText& stage, FieldColumn<uint32_t>& column, void (Catalog::*commit)(),
                    int list, int32_t i, int offset);
    void copyOffset(StagedText& stage, FieldColumn<uint32_t>& column, void (Catalog::*commit)(),
                    int dst, int32_t di, int src, int32_t si);
    uint32_t appendToPool(StringPool& pool, const char* text, size_t length);
    void commitName();
    void commitFolder();
    void commitNote();
    // Index of the pool whose offsets `column` holds (name 0, folder 1, note 2).
    int poolOf(const FieldColumn<uint32_t>& column) const {
        return &column == &nameColumn ? 0 : &column == &folderColumn ? 1 : 2;
    }
    // (list, i) as the owning record that holds the fields.
    void resolveOwner(int& list, int32_t& i) const;

    StringPool namePool_;
    StringPool folderPool_;
    StringPool notePool_;
    FolderIndex folderIndex_;
    std::array<bool, 3> garbage_{};
    uint64_t textEpoch_ = 0;
    StagedText nameStage_;
    StagedText folderStage_;
    StagedText noteStage_;

    std::array<int32_t, kListCount> counts_{};
    std::array<int32_t, kListCount> stamps_{};
    int32_t generation_ = kOpenedGeneration;

    ViewHistory history_;
    std::array<int, kScratchSlots> scratch_{};
    int searchResult_ = -1;

    std::array<SiteNode, kSiteNodeSlots> siteNodes_{};
    int32_t siteNodeCount_ = 0;

    PageCursor page_;
};

// ASCII-only case folding to lower case, as strcasecmp does in the C locale, whatever the
// user's locale: so "_" sorts before every letter.
inline constexpr std::array<unsigned char, 256> kFoldCase = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return table;
}();
inline unsigned char foldCase(unsigned char c) {
    return kFoldCase[c];
}
int compareIgnoringCase(const char* a, const char* b);
bool equalIgnoringCase(std::string_view a, std::string_view b);
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);
// The same for a NUL-terminated text, read no further than the prefix.
bool startsWithIgnoringCase(const char* text, std::string_view prefix);

}  // namespace varnel
