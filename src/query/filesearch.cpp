#include "query/filesearch.h"

#include <algorithm>
#include <string>

#include "catalog/catalogmap.h"
#include "query/foldedpools.h"
#include "query/search.h"
#include "query/wordindexfile.h"

namespace varnel {

std::optional<std::vector<uint32_t>> searchCatalogFile(const MappedCatalog& file,
                                                       const std::string& indexPath,
                                                       const char* text) {
    MasterTexts records{file.count(), file.nameOffsets(), file.folderOffsets(),
                        file.noteOffsets()};
    FoldedPools pools;
    WordIndexes indexes;
    if (readWordIndexFile(indexPath, file, indexes)) {
        records.ascending = indexes.ascending;
        pools.foldWithIndexes(file.namePool(), file.folderPool(), file.notePool(),
                              std::move(indexes));
        return findAddressText(records, pools, text);
    }
    // A matching index file vouches for the texts' offsets and lengths: it was written after
    // this check, for a file of this very size, inode and change time.
    std::string why;
    if (!file.textsFit(why)) return std::nullopt;
    pools.foldAll(file.namePool(), file.folderPool(), file.notePool());
    std::vector<uint32_t> found = findAddressText(records, pools, text);
    // A catalog that cannot be written beside (a read-only folder) is searched this way each
    // time; nothing else depends on the index file.
    indexes.names = TrigramIndex::build(pools.names().bytes(), pools.names().size());
    indexes.folders = TrigramIndex::build(pools.folders().bytes(), pools.folders().size());
    indexes.namesStartTexts = true;
    for (int32_t r = 0; r < records.count && indexes.namesStartTexts; ++r)
        indexes.namesStartTexts = pools.names().startsText(records.names[r]);
    const auto count = static_cast<size_t>(records.count);
    indexes.ascending = std::is_sorted(records.names, records.names + count) &&
                        std::is_sorted(records.folders, records.folders + count);
    indexes.folderEnds = pools.folders().textEnds();
    writeWordIndexFile(indexPath, file, indexes);
    return found;
}

}  // namespace varnel
