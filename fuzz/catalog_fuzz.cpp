// Feeds arbitrary bytes to the catalog file reader. Whatever it accepts must be readable
// record by record, survive compaction, and write out into a file that reads back the same.
// The mapped reader (varnel-cli find) must never accept bytes the reader refuses, and must
// see the same master list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "catalog/catalogmap.h"
#include "catalog/dbformat.h"
#include "catalog/tables.h"
#include "rereadcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace varnel;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    MemorySource source(bytes);
    CatalogImage image;
    std::string why;
    MappedCatalog mapped;
    const bool shown = mapped.view(bytes, why) && mapped.textsFit(why);
    if (!decodeCatalog(source, image, why)) {
        if (why.empty() || shown) std::abort();
        return 0;
    }
    if (shown) {
        if (mapped.count() != image.counts[kMasterList]) std::abort();
        for (int32_t r = 0; r < mapped.count(); ++r) {
            if (image.name.elements[r] != mapped.nameOffsets()[r] ||
                image.folder.elements[r] != mapped.folderOffsets()[r] ||
                image.note.elements[r] != mapped.noteOffsets()[r])
                std::abort();
        }
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
