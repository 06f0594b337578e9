#include "scan/listingmerge.h"

#include <cstring>

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

void collectPriorRecords(Catalog& catalog, int prior, int sorted,
                         const std::function<bool(std::string_view folder)>& wanted) {
    catalog.flushPendingStrings();
    FolderDecisions decisions(catalog);
    const int32_t count = catalog.recordCount(kMasterList);
    int32_t n = 0;
    for (int32_t i = 0; i < count; ++i)
        if (decisions.decide(catalog.folderOffset(kMasterList, i), wanted))
            catalog.copyRecord(prior, n++, kMasterList, i);
    catalog.setRecordCount(prior, n);
    SortRecordList(catalog, sorted, prior, kSortByName, kAscending);
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

ListingMerge::ListingMerge(Catalog& catalog, int found, int sorted)
    : catalog_(catalog),
      found_(found),
      sorted_(sorted),
      keep_(static_cast<size_t>(catalog.recordCount(sorted)), 0xFF) {
    catalog_.setRecordCount(found_, 0);
    // Every look-up reads a dozen names of this list: holding the records itself, rather
    // than indices into the master list, saves a memory access per probe, which is what a
    // million look-ups wait for. The master indices are kept for the records that go.
    const int32_t count = catalog_.recordCount(sorted_);
    masterOf_.resize(static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k)
        masterOf_[static_cast<size_t>(k)] = catalog_.masterIndex(sorted_, k);
    catalog_.materializeView(sorted_);
}

void ListingMerge::beginFolder(const char* folder) {
    folder_ = folder;
    folderRecord_ = -1;
}

int32_t ListingMerge::findPrior(const char* name) {
    return findSortedRecord(catalog_, sorted_, folder_, name);
}

void ListingMerge::addFile(const char* name, uint32_t size, uint64_t lastWriteTime) {
    const int32_t prior = findPrior(name);
    const int32_t i = catalog_.recordCount(found_);
    if (prior >= 0) {
        if (*catalog_.recordTime(sorted_, prior) == lastWriteTime &&
            *catalog_.recordSize(sorted_, prior) == size) {
            keep_[static_cast<size_t>(prior)] = 0;  // unchanged: nothing is written
            return;
        }
        // Changed: replaces the prior record, whose flag stays set so it leaves.
        catalog_.copyRecordName(found_, i, sorted_, prior);
        catalog_.copyRecordFolder(found_, i, sorted_, prior);
        catalog_.copyRecordNote(found_, i, sorted_, prior);
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
    const int32_t count = catalog_.recordCount(sorted_);
    int32_t n = 0;
    for (int32_t k = 0; k < count; ++k) {
        if (keep_[static_cast<size_t>(k)] != 0xFF) continue;
        if (decisions.decide(catalog_.folderOffset(sorted_, k), isProtected)) continue;
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
