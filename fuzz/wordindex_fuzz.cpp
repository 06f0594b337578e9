// Feeds arbitrary bytes to the word index file reader as the part behind the file's head and
// checksum (both made right, so that the structure behind them is what gets tried). Whatever
// it takes must be searchable without reading out of bounds; the answers may be wrong (only
// the checksum keeps a damaged file out), never unsafe.
// VARNEL_WRITE_SEED=PATH writes a sound part for the built-in catalog to PATH and exits.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "catalog/catalogmap.h"
#include "catalog/dbformat.h"
#include "query/foldedpools.h"
#include "query/search.h"
#include "query/wordindexfile.h"

namespace {

using namespace varnel;

// A small catalog with pools big enough to index.
const MappedCatalog& builtInCatalog() {
    static const std::string bytes = [] {
        Catalog catalog(64);
        for (int32_t i = 0; i < 400; ++i) {
            const std::string folder = "/home/u/" + std::to_string(i % 37) + "-Folder/";
            const std::string name = "File " + std::to_string(i * 7919) + (i % 3 ? ".mp3" : ".TXT");
            catalog.writeRecordFolder(kMasterList, i, folder);
            catalog.writeRecordName(kMasterList, i, name);
            catalog.writeRecordNote(kMasterList, i, "");
            *catalog.timeSlot(kMasterList, i) = 1;
            *catalog.sizeSlot(kMasterList, i) = 1;
            catalog.setRecordCount(kMasterList, i + 1);
        }
        StringSink sink;
        encodeCatalog(catalog, "", sink);
        return sink.bytes;
    }();
    static MappedCatalog file;
    static const bool ready = [] {
        std::string why;
        return file.view(bytes, why);
    }();
    if (!ready) std::abort();
    return file;
}

MasterTexts recordsOf(const MappedCatalog& file) {
    return {file.count(), file.nameOffsets(), file.folderOffsets(), file.noteOffsets()};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* seed = std::getenv("VARNEL_WRITE_SEED");
    if (!seed) return 0;
    const MappedCatalog& file = builtInCatalog();
    FoldedPools pools;
    pools.foldAll(file.namePool(), file.folderPool(), file.notePool());
    WordIndexes indexes;
    indexes.names = TrigramIndex::build(pools.names().bytes(), pools.names().size());
    indexes.folders = TrigramIndex::build(pools.folders().bytes(), pools.folders().size());
    indexes.namesStartTexts = true;
    indexes.folderEnds = pools.folders().textEnds();
    const std::string parts = wordIndexParts(indexes);
    FILE* out = std::fopen(seed, "wb");
    const bool ok = out && std::fwrite(parts.data(), 1, parts.size(), out) == parts.size();
    std::exit(out && std::fclose(out) == 0 && ok ? 0 : 1);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MappedCatalog& file = builtInCatalog();
    auto sealed = std::make_shared<const std::string>(
        sealWordIndexes(file, std::string_view(reinterpret_cast<const char*>(data), size)));
    WordIndexes indexes;
    if (!readWordIndexes(*sealed, sealed, file, indexes)) return 0;
    FoldedPools pools;
    pools.foldWithIndexes(file.namePool(), file.folderPool(), file.notePool(), std::move(indexes));
    for (const char* text : {"file 1", "folder", ".mp3", "*.txt", "*1?-f*", "u/3"})
        findAddressText(recordsOf(file), pools, text);
    return 0;
}
