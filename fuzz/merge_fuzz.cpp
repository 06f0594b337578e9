// Reads arbitrary bytes as a catalog file and carries FTP sites both ways between it and a
// catalog held in memory, as Import and Export do. Whatever the reader accepts must merge
// without reading or writing past any buffer, and both results must save and read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "catalog/dbformat.h"
#include "catalog/editing.h"
#include "catalog/tables.h"
#include "platform/prompt.h"
#include "rereadcheck.h"

namespace {

using namespace varnel;

void addRecord(Catalog& catalog, const char* folder, const char* name, uint32_t size) {
    const int32_t i = catalog.recordCount(kMasterList);
    catalog.writeRecordFolder(kMasterList, i, folder);
    catalog.writeRecordName(kMasterList, i, name);
    catalog.writeRecordNote(kMasterList, i, "");
    *catalog.timeSlot(kMasterList, i) = 1;
    *catalog.sizeSlot(kMasterList, i) = size;
    catalog.setRecordCount(kMasterList, i + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
    CatalogImage image;
    std::string why;
    if (!decodeCatalog(source, image, why)) return 0;
    auto file = std::make_unique<Catalog>(kSmallCapacity);
    applyCatalogImage(*file, std::move(image));

    auto held = std::make_unique<Catalog>(kSmallCapacity);
    addRecord(*held, "/home/u/", "a.txt", 1);
    addRecord(*held, "ftp:\\\\h\\pub\\", "b.zip", 2);
    addRecord(*held, "FTP:\\\\H\\pub\\x\\", "c", 3);
    addRecord(*held, "ftp:\\\\other\\", "d", 4);
    SilentPrompt prompt;

    // Import: the file's sites into the held catalog; export: the held sites into the file.
    const SiteRecords fromFile = collectSiteRecords(*file, 1, {});
    const SiteRecords fromHeld = collectSiteRecords(*held, 1, {});
    applySiteRecords(*held, fromFile, prompt, 0);
    applySiteRecords(*file, fromHeld, prompt, 0);
    saveAndReread(*held);
    saveAndReread(*file);
    return 0;
}
