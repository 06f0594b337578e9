#include "query/foldedpools.h"

#include "catalog/tables.h"

namespace varnel {

void FoldedPools::extend(Copy& copy, const StringPool& pool) {
    if (copy.covered > pool.used) copy.covered = 0;  // cannot happen without a new epoch
    copy.bytes.resize(size_t{pool.used} + 1);
    const char* from = pool.bytes.get();
    for (uint32_t i = copy.covered; i < pool.used; ++i)
        copy.bytes[i] = static_cast<char>(foldCase(static_cast<unsigned char>(from[i])));
    copy.bytes[pool.used] = 0;
    copy.covered = pool.used;
}

const TrigramIndex& FoldedPools::indexed(Copy& copy) {
    copy.index.update(copy.bytes.data(), copy.covered);
    return copy.index;
}

void FoldedPools::refresh(Catalog& catalog) {
    catalog.flushPendingStrings();
    if (epoch_ != catalog.textEpoch()) {
        epoch_ = catalog.textEpoch();
        names_.covered = folders_.covered = notes_.covered = 0;
        names_.index.clear();
        folders_.index.clear();
    }
    extend(names_, catalog.namePool());
    extend(folders_, catalog.folderPool());
    extend(notes_, catalog.notePool());
}

}  // namespace varnel
