#include "query/filesearch.h"

#include <string>

#include "catalog/catalogmap.h"
#include "query/foldedpools.h"
#include "query/search.h"
#include "query/wordindexfile.h"

namespace varnel {

namespace {

// Indexes the whole-folded pools of `file` (whose records' order is known) and writes them
// beside it. A catalog that cannot
// be written beside (a read-only folder) is searched without them each time; nothing else
// depends on the index file.
void writeFreshIndexFile(const MappedCatalog& file, const MasterTexts& records,
                         const FoldedPools& pools, const std::string& indexPath) {
    WordIndexes indexes;
    indexes.names = TrigramIndex::build(pools.names().bytes(), pools.names().size());
    indexes.folders = TrigramIndex::build(pools.folders().bytes(), pools.folders().size());
    indexes.namesStartTexts = true;
    for (int32_t r = 0; r < records.count && indexes.namesStartTexts; ++r)
        indexes.namesStartTexts = pools.names().startsText(records.names[r]);
    indexes.ascending = *records.ascending;
    indexes.folderEnds = pools.folders().textEnds();
    writeWordIndexFile(indexPath, file, indexes);
}

}  // namespace

std::optional<std::vector<uint32_t>> searchCatalogFile(const MappedCatalog& file,
                                                       const std::string& indexPath,
                                                       const char* text) {
    MasterTexts records{file.count(), file.nameOffsets(), file.folderOffsets(),
                        file.noteOffsets()};
    std::optional<std::vector<uint32_t>> found;
    WordIndexes indexes;
    if (readWordIndexFile(indexPath, file, indexes)) {
        const std::shared_ptr<bool> damaged = indexes.damaged;
        records.ascending = indexes.ascending;
        FoldedPools pools;
        pools.foldWithIndexes(file.namePool(), file.folderPool(), file.notePool(),
                              std::move(indexes));
        found = findAddressText(records, pools, text);
        if (!*damaged) return found;
    }
    // A matching index file vouches for the texts' offsets and lengths: it was written after
    // this check, for a file of this very size, inode and change time.
    std::string why;
    if (!file.textsFit(why)) return std::nullopt;
    FoldedPools pools;
    pools.foldAll(file.namePool(), file.folderPool(), file.notePool());
    // Read once, for the search and the index file both.
    records.ascending = offsetsAscend(records);
    if (!found) found = findAddressText(records, pools, text);
    writeFreshIndexFile(file, records, pools, indexPath);
    return found;
}

}  // namespace varnel
