#include "catalog/duplicates.h"

#include <bit>
#include <vector>

#include "catalog/identity.h"
#include "catalog/tables.h"
#include "platform/prompt.h"

namespace varnel {

namespace {

// FNV-1a; over the case-folded text where the path ignores case, so that texts naming the
// same file hash alike.
uint64_t pathHash(const char* text, bool folded, uint64_t hash) {
    for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        hash = (hash ^ (folded ? foldCase(*p) : *p)) * 0x100000001b3ULL;
    return hash;
}

}  // namespace

int32_t checkDuplicates(Catalog& catalog, int list, Prompt& prompt, int64_t nowSeconds) {
    const int32_t count = catalog.recordCount(list);
    if (count >= 50000 && (count >= 1000000 || nowSeconds % 16 != 0)) return 0;

    // One pass in stored order: a record whose folder path and name were seen before is a
    // later duplicate. Linear time, where sorting the whole list would not be.
    catalog.flushPendingStrings();
    const size_t slots = std::bit_ceil(static_cast<size_t>(count) * 2 + 2);
    std::vector<int32_t> table(slots, -1);
    std::vector<uint8_t> drop;
    uint32_t lastFolder = UINT32_MAX;
    uint64_t folderHash = 0;
    bool folded = false;
    for (int32_t i = 0; i < count; ++i) {
        const char* folder = catalog.recordFolder(list, i);
        const char* name = catalog.recordName(list, i);
        // Records of one folder usually stand together: hash its path once.
        if (catalog.folderOffset(list, i) != lastFolder) {
            lastFolder = catalog.folderOffset(list, i);
            folded = pathIgnoresCase(folder);
            folderHash = pathHash(folder, folded, 0xcbf29ce484222325ULL) ^ 0xFF;
        }
        uint64_t hash = pathHash(name, folded, folderHash);
        for (size_t s = hash & (slots - 1);; s = (s + 1) & (slots - 1)) {
            int32_t seen = table[s];
            if (seen < 0) {
                table[s] = i;
                break;
            }
            if (sameFileName(catalog.recordFolder(list, seen), catalog.recordName(list, seen),
                             folder, name)) {
                if (drop.empty()) drop.assign(static_cast<size_t>(count), 0);
                drop[static_cast<size_t>(i)] = 1;
                break;
            }
        }
    }
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
