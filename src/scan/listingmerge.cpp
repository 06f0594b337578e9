#include "scan/listingmerge.h"

#include <cstring>
#include <unordered_map>

#include "catalog/identity.h"
#include "catalog/sort.h"
#include "catalog/tables.h"
#include "query/findsorted.h"
#include "remote/ftpnames.h"

namespace varnel {

namespace {

// One answer per distinct folder text, looked up by the text's pool offset. Valid while
// the folder pool does not change.
class FolderDecisions {
  public:
    explicit FolderDecisions(Catalog& catalog)
        : catalog_(catalog), answers_(catalog.folderPool().used + 1, 0) {}

    bool decide(uint32_t offset, const std::function<bool(std::string_view)>& question) {
        if (offset >= answers_.size()) return question(catalog_.folderPool().at(offset));
        uint8_t& answer = answers_[offset];
        if (answer == 0) answer = question(catalog_.folderPool().at(offset)) ? 2 : 1;
        return answer == 2;
    }

  private:
    Catalog& catalog_;
    std::vector<uint8_t> answers_;
};

// FNV-1a, over the case-folded bytes where the folder's names ignore case, so that texts
// naming the same file hash alike.
uint64_t textHash(const char* text, bool folded, uint64_t hash) {
    for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        hash = (hash ^ (folded ? foldCase(*p) : *p)) * 0x100000001b3ULL;
    return hash;
}

// Keeps the master records not marked in `drop`, in order.
void compactMasterList(Catalog& catalog, const std::vector<uint8_t>& drop) {
    const int32_t count = catalog.recordCount(kMasterList);
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (drop[static_cast<size_t>(i)]) continue;
        if (kept != i) catalog.copyRecord(kMasterList, kept, kMasterList, i);
        ++kept;
    }
    catalog.setRecordCount(kMasterList, kept);
}

// Puts the records of `front` before the master list's own, both in their order.
void prependToMaster(Catalog& catalog, int front) {
    const int32_t count = catalog.recordCount(kMasterList);
    const int32_t added = catalog.recordCount(front);
    // From the last record down, so nothing is overwritten before it has moved; the first
    // copy grows every column once to the final size.
    for (int32_t i = count - 1; i >= 0; --i)
        catalog.copyRecord(kMasterList, i + added, kMasterList, i);
    for (int32_t k = 0; k < added; ++k) catalog.copyRecord(kMasterList, k, front, k);
    catalog.setRecordCount(kMasterList, count + added);
}

}  // namespace

void collectPriorRecords(Catalog& catalog, int prior, int lookup,
                         const std::function<bool(std::string_view folder)>& wanted) {
    catalog.flushPendingStrings();
    FolderDecisions decisions(catalog);
    const int32_t count = catalog.recordCount(kMasterList);
    int32_t n = 0;
    for (int32_t i = 0; i < count; ++i)
        if (decisions.decide(catalog.folderOffset(kMasterList, i), wanted)) {
            catalog.copyRecord(prior, n, kMasterList, i);
            catalog.copyRecord(lookup, n++, kMasterList, i);
        }
    catalog.setRecordCount(prior, n);
    catalog.setRecordCount(lookup, n);
}

int32_t dropMasterRecords(Catalog& catalog,
                          const std::function<bool(std::string_view folder)>& drop) {
    catalog.flushPendingStrings();
    FolderDecisions decisions(catalog);
    const int32_t count = catalog.recordCount(kMasterList);
    std::vector<uint8_t> marks(static_cast<size_t>(count), 0);
    int32_t dropped = 0;
    for (int32_t i = 0; i < count; ++i)
        if (decisions.decide(catalog.folderOffset(kMasterList, i), drop)) {
            marks[static_cast<size_t>(i)] = 1;
            ++dropped;
        }
    if (dropped == 0) return 0;
    compactMasterList(catalog, marks);
    catalog.bumpGeneration();
    return dropped;
}

// ---- ListingMerge -----------------------------------------------------------------------

ListingMerge::ListingMerge(Catalog& catalog, int found, int lookup)
    : catalog_(catalog),
      found_(found),
      lookup_(lookup),
      keep_(static_cast<size_t>(catalog.recordCount(lookup)), 0xFF) {
    catalog_.setRecordCount(found_, 0);
    // The list holds the records itself, rather than indices into the master list: every
    // look-up then reads one record. The master indices are kept for the records that go.
    const int32_t count = catalog_.recordCount(lookup_);
    masterOf_.resize(static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k)
        masterOf_[static_cast<size_t>(k)] = catalog_.masterIndex(lookup_, k);
    catalog_.materializeView(lookup_);
    buildIndex();
}

void ListingMerge::buildIndex() {
    const int32_t count = catalog_.recordCount(lookup_);
    size_t slots = 16;
    while (slots < static_cast<size_t>(count) * 2) slots *= 2;
    slots_.assign(slots, -1);
    // Records of one folder share its text: its hash is made once.
    std::unordered_map<uint32_t, uint64_t> folderHashes;
    for (int32_t k = 0; k < count; ++k) {
        const char* folder = catalog_.recordFolder(lookup_, k);
        auto [at, fresh] = folderHashes.try_emplace(catalog_.folderOffset(lookup_, k), 0);
        if (fresh) at->second = textHash(folder, pathIgnoresCase(folder), kHashSeed);
        const uint64_t hash =
            textHash(catalog_.recordName(lookup_, k), pathIgnoresCase(folder), at->second);
        // The first record of a file stays the one found, should the list hold it twice.
        if (probe(hash, folder, catalog_.recordName(lookup_, k)) < 0) insert(hash, k);
    }
}

int32_t ListingMerge::probe(uint64_t hash, const char* folder, const char* name) {
    const size_t mask = slots_.size() - 1;
    for (size_t s = hash & mask;; s = (s + 1) & mask) {
        const int32_t k = slots_[s];
        if (k < 0) return -1;
        if (sameFileName(catalog_.recordFolder(lookup_, k), catalog_.recordName(lookup_, k), folder,
                         name))
            return k;
    }
}

void ListingMerge::insert(uint64_t hash, int32_t k) {
    const size_t mask = slots_.size() - 1;
    size_t s = hash & mask;
    while (slots_[s] >= 0) s = (s + 1) & mask;
    slots_[s] = k;
}

void ListingMerge::beginFolder(const char* folder) {
    folder_ = folder;
    folderRecord_ = -1;
    folderIgnoresCase_ = pathIgnoresCase(folder);
    folderHash_ = textHash(folder, folderIgnoresCase_, kHashSeed);
}

int32_t ListingMerge::findPrior(const char* name) {
    return probe(textHash(name, folderIgnoresCase_, folderHash_), folder_, name);
}

void ListingMerge::addFile(const char* name, uint32_t size, uint64_t lastWriteTime) {
    const int32_t prior = findPrior(name);
    const int32_t i = catalog_.recordCount(found_);
    if (prior >= 0) {
        if (*catalog_.recordTime(lookup_, prior) == lastWriteTime &&
            *catalog_.recordSize(lookup_, prior) == size) {
            keep_[static_cast<size_t>(prior)] = 0;  // unchanged: nothing is written
            return;
        }
        // Changed: replaces the prior record, whose flag stays set so it leaves.
        catalog_.copyRecordName(found_, i, lookup_, prior);
        catalog_.copyRecordFolder(found_, i, lookup_, prior);
        catalog_.copyRecordNote(found_, i, lookup_, prior);
        ++changedFiles_;
    } else {
        if (folderRecord_ < 0) {
            catalog_.writeRecordFolder(found_, i, folder_);
            folderRecord_ = i;
        } else {
            catalog_.copyRecordFolder(found_, i, found_, folderRecord_);
        }
        catalog_.writeRecordName(found_, i, name);
        catalog_.setRecordNote(found_, i)[0] = 0;
        ++newFiles_;
    }
    *catalog_.timeSlot(found_, i) = lastWriteTime;
    *catalog_.sizeSlot(found_, i) = size;
    catalog_.setRecordCount(found_, i + 1);
}

ListingMerge::Mark ListingMerge::mark() const {
    return {catalog_.recordCount(found_), newFiles_, changedFiles_};
}

void ListingMerge::rewind(const Mark& mark) {
    catalog_.setRecordCount(found_, mark.found);
    newFiles_ = mark.newFiles;
    changedFiles_ = mark.changedFiles;
    folderRecord_ = -1;
}

void ListingMerge::collectGone(int gone,
                               const std::function<bool(std::string_view folder)>& isProtected) {
    catalog_.flushPendingStrings();
    FolderDecisions decisions(catalog_);
    const int32_t count = catalog_.recordCount(lookup_);
    int32_t n = 0;
    for (int32_t k = 0; k < count; ++k) {
        if (keep_[static_cast<size_t>(k)] != 0xFF) continue;
        if (decisions.decide(catalog_.folderOffset(lookup_, k), isProtected)) continue;
        catalog_.copyRecord(gone, n++, kMasterList,
                            static_cast<int32_t>(masterOf_[static_cast<size_t>(k)]));
    }
    catalog_.setRecordCount(gone, n);
}

// ---- the merge --------------------------------------------------------------------------

int mergeScanResult(Catalog& catalog, int found, int gone) {
    int added = 0;
    const int32_t goneCount = catalog.recordCount(gone);
    if (goneCount > 0) {
        const int32_t count = catalog.recordCount(kMasterList);
        std::vector<uint8_t> drop(static_cast<size_t>(count), 0);
        if (catalog.isDerived(gone)) {
            // Exactly the master records the list refers to: a vanished "/a/foo" must not
            // take "/a/FOO" with it.
            for (int32_t k = 0; k < goneCount; ++k) {
                const uint32_t m = catalog.masterIndex(gone, k);
                if (m < static_cast<uint32_t>(count)) drop[m] = 1;
            }
        } else {
            // Records of their own: found again in the master list by folder and name.
            const int t1 = catalog.reserveTempList();
            SortRecordList(catalog, t1, gone, kSortByName, kAscending);
            for (int32_t i = 0; i < count; ++i)
                if (findSortedRecord(catalog, t1, kMasterList, i) >= 0)
                    drop[static_cast<size_t>(i)] = 1;
            catalog.releaseTempList(t1);
        }
        compactMasterList(catalog, drop);
        catalog.bumpGeneration();
    }
    if (catalog.recordCount(found) > 0) {
        if (catalog.recordCount(kMasterList) == 0) {
            SortRecordList(catalog, kMasterList, found, kSortByTime, kDescending);
        } else {
            const int t2 = catalog.reserveTempList();
            SortRecordList(catalog, t2, found, kSortByTime, kDescending);
            prependToMaster(catalog, t2);
            catalog.releaseTempList(t2);
        }
        catalog.bumpGeneration();
        added = 1;
    }
    return added;
}

}  // namespace varnel
