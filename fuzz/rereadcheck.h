#pragma once
// What every catalog fuzz target checks last: the catalog, compacted as a save does, writes
// out into bytes that read back whole.
#include <cstdlib>
#include <string>

#include "catalog/dbformat.h"
#include "catalog/tables.h"

namespace varnel {

// Catalogs start small: a catalog read from a file takes the file's columns anyway, and the
// default capacity would make every run allocate (and poison) megabytes.
inline constexpr int kSmallCapacity = 64;

inline void saveAndReread(Catalog& catalog) {
    const int32_t masterCount = catalog.recordCount(kMasterList);
    catalog.compactSiteNodes();
    catalog.compactLists(false);
    catalog.compactPools();
    StringSink sink;
    encodeCatalog(catalog, "", sink);
    MemorySource again(sink.bytes);
    CatalogImage reread;
    std::string why;
    if (!decodeCatalog(again, reread, why)) std::abort();
    if (reread.counts[kMasterList] != masterCount) std::abort();
}

}  // namespace varnel
