#pragma once
// The catalog file's byte layout (see FORMAT.md): decoding into a fresh image that is checked
// completely before it replaces anything, and encoding the tables as they stand.
#include <array>
#include <cstdint>
#include <string>

#include "catalog/bytestream.h"
#include "catalog/tables.h"

namespace varnel {

inline constexpr char kCatalogMagic[4] = {'V', 'R', 'N', 'L'};

// The base words a writer stores; any values work, readers use only differences. The site
// table's base is kSiteNodeBase.
inline constexpr std::array<uint32_t, 5> kColumnBases = {0x01000000, 0x21000000, 0x41000000,
                                                         0x61000000, 0x81000000};

template <class T>
struct ImageColumn {
    GrowBuffer<T> elements;
    std::array<int32_t, kListCount> capacity{};
    size_t total = 0;
};

// Everything a catalog file stores, decoded and checked.
struct CatalogImage {
    ImageColumn<uint32_t> name, note, folder;
    ImageColumn<uint64_t> time;
    ImageColumn<uint32_t> size;
    std::array<int32_t, kListCount> counts{};
    StringPool folderPool, namePool, notePool;
    std::array<SiteNode, kSiteNodeSlots> siteNodes{};
    int32_t siteNodeCount = 0;
    ViewHistory history;
    int32_t viewMode = 0;
    std::string exportFolder;  // without its NUL
};

// Decodes a catalog file. On failure returns false with `why` naming the first problem found;
// `image` is then unusable and nothing else has been touched.
bool decodeCatalog(ByteSource& source, CatalogImage& image, std::string& why);

// Replaces the stored tables of `catalog` by the image (what a successful read does).
void applyCatalogImage(Catalog& catalog, CatalogImage&& image);

// Writes rows 1 to 41 of the current tables. The view history must already be reduced to
// what is saved. Returns false when the sink fails.
bool encodeCatalog(Catalog& catalog, const std::string& exportFolder, ByteSink& sink);

}  // namespace varnel
