#pragma once
// A generated catalog shaped like a real disk: nested folders (music, photos, source trees,
// documents, web sites, videos, package docs), realistic names with extensions, a few names
// repeated across folders, some UTF-8 beyond ASCII, mostly empty notes, ten years of file
// times and sizes up to 4 GiB. The same count and seed always give the same records.
#include <cstdint>

#include "catalog/tables.h"

namespace varnel::bench {

inline constexpr uint64_t kDefaultCorpusSeed = 0x5eed2024c0ffee01ULL;

// What the generator wrote, to check a loaded or sorted catalog against.
struct CorpusStats {
    int32_t records = 0;
    int32_t folders = 0;
    uint64_t nameBytes = 0;    // name text with its terminators
    uint64_t folderBytes = 0;  // distinct folder texts with their terminators
    int32_t nonAsciiNames = 0;
    int32_t notes = 0;
    int32_t bigFiles = 0;   // 2 GiB or more
    uint64_t checksum = 0;  // catalogChecksum() of the master list as written
};

// Appends `count` records to the master list of `catalog` (meant to be empty).
CorpusStats generateCorpus(Catalog& catalog, int32_t count, uint64_t seed = kDefaultCorpusSeed);

// Order-dependent hash of every field of the records of `list`: equal only when folder,
// name, note, time and size of every record agree byte for byte, in the same order.
uint64_t catalogChecksum(Catalog& catalog, int list = kMasterList);

}  // namespace varnel::bench
