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

// The five field columns, in file order, and the bytes of one element of each.
inline constexpr int kColumnCount = 5;
inline constexpr std::array<const char*, kColumnCount> kColumnNames = {"name", "note", "folder",
                                                                       "time-stamp", "size"};
inline constexpr std::array<uint32_t, kColumnCount> kColumnElementSizes = {4, 4, 4, 8, 4};

// One column's share per record list, in elements.
struct SegmentTable {
    std::array<int32_t, kListCount> capacity{};
    std::array<uint32_t, kListCount> start{};  // stored form
};

// The head of a catalog file: where every list's segment of every column lies.
struct CatalogLayout {
    std::array<SegmentTable, kColumnCount> tables{};
    std::array<size_t, kColumnCount> totals{};  // elements of each column
};

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

// The steps of decodeCatalog, for readers that leave the columns and pools where they are:
// the head (magic and checked segment tables), the record counts that follow the columns,
// what follows the pools (site table, view history, export folder), and the emptying of
// lists whose records are not read from the file (counts beyond their segments, the current
// view when it is not the master list).
bool decodeLayout(ByteSource& source, CatalogLayout& layout, std::string& why);
// Whether the NUL-terminated texts in bytes[0, used) include one of `length` bytes or more.
bool holdsTextOfAtLeast(const char* bytes, size_t used, size_t length);
bool decodeCounts(ByteSource& source, std::array<int32_t, kListCount>& counts, std::string& why);
bool decodeTail(ByteSource& source, CatalogImage& image, std::string& why);
void settleCounts(std::array<int32_t, kListCount>& counts,
                  const std::array<std::array<int32_t, kListCount>, kColumnCount>& capacities,
                  const ViewHistory& history);

// Replaces the stored tables of `catalog` by the image (what a successful read does).
void applyCatalogImage(Catalog& catalog, CatalogImage&& image);

// Writes rows 1 to 41 of the current tables. The view history must already be reduced to
// what is saved. Returns false when the sink fails.
bool encodeCatalog(Catalog& catalog, const std::string& exportFolder, ByteSink& sink);

}  // namespace varnel
