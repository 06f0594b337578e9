#include "catalog/duplicates.h"

#include <algorithm>
#include <vector>

#include "catalog/sort.h"
#include "catalog/tables.h"
#include "platform/prompt.h"

namespace varnel {

int32_t checkDuplicates(Catalog& catalog, int list, Prompt& prompt, int64_t nowSeconds) {
    const int32_t count = catalog.recordCount(list);
    if (count >= 50000 && (count >= 1000000 || nowSeconds % 16 != 0)) return 0;

    int sorted = catalog.reserveTempList();
    SortRecordList(catalog, sorted, list, kSortByName, kAscending);
    // Within a run of equal folder path and name only the record stored first survives.
    std::vector<uint8_t> drop;
    for (int32_t k = 1; k < count; ++k) {
        if (compareIgnoringCase(catalog.recordName(sorted, k), catalog.recordName(sorted, k - 1)) !=
                0 ||
            compareIgnoringCase(catalog.recordFolder(sorted, k),
                                catalog.recordFolder(sorted, k - 1)) != 0)
            continue;
        if (drop.empty()) drop.assign(static_cast<size_t>(count), 0);
        int32_t runStart = k - 1;
        while (k + 1 < count &&
               compareIgnoringCase(catalog.recordName(sorted, k + 1),
                                   catalog.recordName(sorted, runStart)) == 0 &&
               compareIgnoringCase(catalog.recordFolder(sorted, k + 1),
                                   catalog.recordFolder(sorted, runStart)) == 0)
            ++k;
        uint32_t first = UINT32_MAX;
        for (int32_t r = runStart; r <= k; ++r)
            first = std::min(first, catalog.masterIndex(sorted, r));
        for (int32_t r = runStart; r <= k; ++r) {
            uint32_t index = catalog.masterIndex(sorted, r);
            if (index != first) drop[index] = 1;
        }
    }
    catalog.releaseTempList(sorted);
    if (drop.empty()) return 0;

    prompt.tell("Some error found in Database,Your data may lost.");
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (drop[static_cast<size_t>(i)]) continue;
        catalog.copyRecord(list, kept++, list, i);
    }
    catalog.setRecordCount(list, kept);
    return count - kept;
}

}  // namespace varnel
