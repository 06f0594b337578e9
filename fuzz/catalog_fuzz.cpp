// Feeds arbitrary bytes to the catalog file reader. Whatever it accepts must be readable
// record by record, survive compaction, and write out into a file that reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "catalog/dbformat.h"
#include "catalog/tables.h"
#include "rereadcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace varnel;
    MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
    CatalogImage image;
    std::string why;
    if (!decodeCatalog(source, image, why)) {
        if (why.empty()) std::abort();
        return 0;
    }
    Catalog catalog(kSmallCapacity);
    applyCatalogImage(catalog, std::move(image));
    for (int list = 0; list < kListCount; ++list) {
        if (catalog.isDerived(list)) continue;
        for (int32_t i = 0; i < catalog.recordCount(list); ++i) {
            catalog.recordName(list, i);
            catalog.recordFolder(list, i);
            catalog.recordNoteText(list, i);
        }
    }
    saveAndReread(catalog);
    return 0;
}
