#include "query/findsorted.h"

#include "catalog/identity.h"
#include "catalog/tables.h"

namespace varnel {

int32_t findSortedRecord(Catalog& catalog, int list, int key, const char* folder,
                         const char* name) {
    const bool byName = key != kByFolderThenName;
    const char* primaryKey = byName ? name : folder;
    const char* secondaryKey = byName ? folder : name;
    if (!primaryKey) return -1;
    catalog.flushPendingStrings();
    auto primary = [&](int32_t i) {
        return byName ? catalog.recordName(list, i) : catalog.recordFolder(list, i);
    };

    int32_t lo = 0, hi = catalog.recordCount(list), found = -1;
    while (lo < hi) {
        int32_t mid = lo + (hi - lo) / 2;
        int c = compareIgnoringCase(primary(mid), primaryKey);
        if (c == 0) {
            found = mid;
            break;
        }
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (found < 0) return -1;
    while (found > 0 && compareIgnoringCase(primary(found - 1), primaryKey) == 0) --found;
    if (!secondaryKey) return found;
    // The list is ordered ignoring case; among the records equal that way, the file itself
    // is the one that passes the identity rule (exact for local paths).
    const int32_t count = catalog.recordCount(list);
    for (int32_t i = found; i < count && compareIgnoringCase(primary(i), primaryKey) == 0; ++i)
        if (sameFileName(catalog.recordFolder(list, i), catalog.recordName(list, i), folder, name))
            return i;
    return -1;
}

int32_t findSortedRecord(Catalog& catalog, int list, const char* folder, const char* name) {
    return findSortedRecord(catalog, list, kByNameThenFolder, folder, name);
}

int32_t findSortedRecord(Catalog& catalog, int list, int other, int32_t i) {
    // With nothing pending, reading texts moves no pool, so the pointers stay valid.
    catalog.flushPendingStrings();
    return findSortedRecord(catalog, list, kByNameThenFolder, catalog.recordFolder(other, i),
                            catalog.recordName(other, i));
}

}  // namespace varnel
