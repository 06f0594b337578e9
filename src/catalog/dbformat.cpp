#include "catalog/dbformat.h"

#include <algorithm>
#include <cstring>

namespace varnel {

namespace {

uint32_t magicWord() {
    return uint32_t{static_cast<unsigned char>(kCatalogMagic[0])} |
           uint32_t{static_cast<unsigned char>(kCatalogMagic[1])} << 8 |
           uint32_t{static_cast<unsigned char>(kCatalogMagic[2])} << 16 |
           uint32_t{static_cast<unsigned char>(kCatalogMagic[3])} << 24;
}

bool failWith(std::string& why, std::string text) {
    why = std::move(text);
    return false;
}

// Segments must lie back to back from the column's base, each at least one element long.
bool checkSegments(const SegmentTable& t, uint32_t base, uint32_t elementSize, const char* column,
                   size_t& total, std::string& why) {
    total = 0;
    for (int list = 0; list < kListCount; ++list) {
        if (t.capacity[list] < 1)
            return failWith(why, std::string("bad ") + column + " segment capacity of list " +
                                     std::to_string(list));
        uint32_t expected = base + elementSize * static_cast<uint32_t>(total);
        if (t.start[list] != expected)
            return failWith(why, std::string(column) + " segments are not back to back at list " +
                                     std::to_string(list));
        total += static_cast<size_t>(t.capacity[list]);
    }
    return true;
}

template <class T>
bool readColumn(ByteSource& source, ImageColumn<T>& column, const SegmentTable& t, const char* name,
                std::string& why) {
    if (column.total > source.remaining() / sizeof(T))
        return failWith(why, std::string(name) + " column is larger than the file");
    growBuffer(column.elements, column.total);
    column.capacity = t.capacity;
    if (!source.read(column.elements.get(), column.total * sizeof(T)))
        return failWith(why, std::string("cannot read the ") + name + " column");
    return true;
}

// Every text must fit the 2048-byte working buffers that names, folders and notes are
// copied through. Names and folders say which file is meant, so a file holding a longer
// one is refused; a longer note is emptied.
bool boundTexts(StringPool& pool, const char* name, bool emptyLong, std::string& why) {
    char* bytes = pool.bytes.get();
    if (!holdsTextOfAtLeast(bytes, pool.used, kTextSize)) return true;
    for (size_t at = 0; at < pool.used;) {
        const auto* end = static_cast<char*>(std::memchr(bytes + at, 0, pool.used - at));
        const size_t length = static_cast<size_t>(end - (bytes + at));
        if (length >= kTextSize) {
            if (!emptyLong)
                return failWith(why, std::string(name) + " pool holds a text of " +
                                         std::to_string(length) + " bytes (at most " +
                                         std::to_string(kTextSize - 1) + " are allowed)");
            std::memset(bytes + at, 0, length);
        }
        at += length + 1;
    }
    return true;
}

bool readPool(ByteSource& source, StringPool& pool, const char* name, std::string& why) {
    uint32_t used;
    if (!source.readU32(used))
        return failWith(why, std::string("missing ") + name + " pool length");
    if (used > source.remaining())
        return failWith(why, std::string(name) + " pool is larger than the file");
    // Room for what the file holds and one more text; appends double it from there.
    growBuffer(pool.bytes, size_t{used} + kTextSize);
    if (!source.read(pool.bytes.get(), used))
        return failWith(why, std::string("cannot read the ") + name + " pool");
    if (used > 0 && pool.bytes[used - 1] != 0)
        return failWith(why, std::string(name) + " pool does not end with a terminator");
    pool.used = used;
    pool.bytes[used] = 0;
    return boundTexts(pool, name, std::strcmp(name, "note") == 0, why);
}

// Offsets of records in use must point into their pool; offsets in the unused tail of a
// segment (old memory in files from elsewhere) are cleared.
bool checkOffsets(ImageColumn<uint32_t>& column, const StringPool& pool,
                  const std::array<int32_t, kListCount>& counts, const char* name,
                  std::string& why) {
    size_t start = 0;
    for (int list = 0; list < kListCount; ++list) {
        uint32_t* seg = column.elements.get() + start;
        for (int32_t k = 0; k < column.capacity[list]; ++k) {
            if (seg[k] == 0 || seg[k] < pool.used) continue;
            if (k < counts[list])
                return failWith(why, std::string(name) + " offset out of range in list " +
                                         std::to_string(list) + ", record " + std::to_string(k));
            seg[k] = 0;
        }
        start += static_cast<size_t>(column.capacity[list]);
    }
    return true;
}

bool hasTerminator(const char* text, size_t size) {
    return std::memchr(text, 0, size) != nullptr;
}

}  // namespace

bool holdsTextOfAtLeast(const char* bytes, size_t used, size_t length) {
    // A text that long is a window of `length` bytes without a NUL. Going on from the last NUL
    // of each window reads a pool of short texts in a few long steps, not one per text.
    for (size_t at = 0; at < used;) {
        const size_t window = std::min(length, used - at);
        const void* nul = memrchr(bytes + at, 0, window);
        if (!nul) return window == length;
        at = static_cast<size_t>(static_cast<const char*>(nul) - bytes) + 1;
    }
    return false;
}

bool decodeLayout(ByteSource& source, CatalogLayout& layout, std::string& why) {
    uint32_t magic;
    if (!source.readU32(magic) || magic != magicWord())
        return failWith(why, "not a catalog file (bad magic number)");
    std::array<uint32_t, kColumnCount> base{};
    for (uint32_t& b : base)
        if (!source.readU32(b)) return failWith(why, "truncated header");
    for (SegmentTable& t : layout.tables) {
        for (int32_t& c : t.capacity)
            if (!source.readI32(c)) return failWith(why, "truncated segment table");
        for (uint32_t& s : t.start)
            if (!source.readU32(s)) return failWith(why, "truncated segment table");
    }
    for (int c = 0; c < kColumnCount; ++c)
        if (!checkSegments(layout.tables[c], base[c], kColumnElementSizes[c], kColumnNames[c],
                           layout.totals[c], why))
            return false;
    return true;
}

bool decodeCounts(ByteSource& source, std::array<int32_t, kListCount>& counts, std::string& why) {
    for (int32_t& count : counts)
        if (!source.readI32(count)) return failWith(why, "truncated record counts");
    for (int list = 0; list < kListCount; ++list) {
        if (counts[list] < 0)
            return failWith(why, "negative record count in list " + std::to_string(list));
    }
    return true;
}

bool decodeCatalog(ByteSource& source, CatalogImage& image, std::string& why) {
    CatalogLayout layout;
    if (!decodeLayout(source, layout, why)) return false;
    const auto& tables = layout.tables;
    const char* const* names = kColumnNames.data();
    ImageColumn<uint32_t>* offsetColumns[3] = {&image.name, &image.note, &image.folder};
    for (int c = 0; c < 3; ++c) offsetColumns[c]->total = layout.totals[c];
    image.time.total = layout.totals[3];
    image.size.total = layout.totals[4];
    for (int c = 0; c < 3; ++c)
        if (!readColumn(source, *offsetColumns[c], tables[c], names[c], why)) return false;
    if (!readColumn(source, image.time, tables[3], names[3], why)) return false;
    if (!readColumn(source, image.size, tables[4], names[4], why)) return false;

    if (!decodeCounts(source, image.counts, why)) return false;
    if (!readPool(source, image.folderPool, "folder", why)) return false;
    if (!readPool(source, image.namePool, "name", why)) return false;
    if (!readPool(source, image.notePool, "note", why)) return false;
    if (!decodeTail(source, image, why)) return false;
    settleCounts(image.counts,
                 {image.name.capacity, image.note.capacity, image.folder.capacity,
                  image.time.capacity, image.size.capacity},
                 image.history);

    if (!checkOffsets(image.name, image.namePool, image.counts, "name", why)) return false;
    if (!checkOffsets(image.folder, image.folderPool, image.counts, "folder", why)) return false;
    if (!checkOffsets(image.note, image.notePool, image.counts, "note", why)) return false;
    return true;
}

bool decodeTail(ByteSource& source, CatalogImage& image, std::string& why) {
    uint32_t siteBase;
    if (!source.readU32(siteBase)) return failWith(why, "truncated site table");
    if (!source.read(image.siteNodes.data(), sizeof image.siteNodes))
        return failWith(why, "truncated site table");
    if (!source.readI32(image.siteNodeCount)) return failWith(why, "truncated site table");
    if (image.siteNodeCount < 0 || image.siteNodeCount > kSiteNodeSlots)
        return failWith(why, "bad site node count " + std::to_string(image.siteNodeCount));
    for (int32_t n = 0; n < image.siteNodeCount; ++n) {
        SiteNode& node = image.siteNodes[n];
        if (!hasTerminator(node.name, sizeof node.name))
            return failWith(why, "site node " + std::to_string(n) + " has an unterminated name");
        if (node.parent == 0) continue;
        uint32_t distance = node.parent - siteBase;
        if (distance % sizeof(SiteNode) != 0 ||
            distance / sizeof(SiteNode) >= uint32_t(image.siteNodeCount))
            return failWith(why, "site node " + std::to_string(n) + " has a bad parent");
        node.parent = Catalog::siteParentRef(static_cast<int32_t>(distance / sizeof(SiteNode)));
    }

    ViewHistory& h = image.history;
    for (int32_t& list : h.list)
        if (!source.readI32(list)) return failWith(why, "truncated view history");
    int32_t entries, position;
    if (!source.readI32(entries) || !source.readI32(position) || !source.readI32(image.viewMode))
        return failWith(why, "truncated view history");
    if (entries < 0 || entries > kHistorySlots)
        return failWith(why, "bad view entry count " + std::to_string(entries));
    if (entries > 0 && (position < 0 || position >= entries))
        return failWith(why, "bad view position " + std::to_string(position));
    if (image.viewMode < 0 || image.viewMode > 2)
        return failWith(why, "bad view mode " + std::to_string(image.viewMode));
    for (int e = 0; e < entries; ++e)
        if (!source.readI32(h.searchReference[e])) return failWith(why, "truncated view history");
    for (int e = 0; e < entries; ++e) {
        if (!source.read(h.address[e].data(), kTextSize))
            return failWith(why, "truncated view history");
        if (!hasTerminator(h.address[e].data(), kTextSize))
            return failWith(why, "unterminated view address");
    }
    for (int e = 0; e < entries; ++e)
        if (!source.readI32(h.sortColumn[e])) return failWith(why, "truncated view history");
    for (int e = 0; e < entries; ++e)
        if (!source.readI32(h.sortOrder[e])) return failWith(why, "truncated view history");
    for (int e = 0; e < entries; ++e) {
        if (h.list[e] < -1 || h.list[e] >= kListCount)
            return failWith(why, "bad record list number in the view history");
        if (h.sortColumn[e] < -1 || h.sortColumn[e] > 4)
            return failWith(why, "bad sort column in the view history");
    }
    // Keep the newest entries the history can hold.
    if (entries > kHistoryLimit) {
        int drop = entries - kHistoryLimit;
        auto shift = [drop](auto& field) {
            std::move(field.begin() + drop, field.end(), field.begin());
        };
        shift(h.list);
        shift(h.address);
        shift(h.searchReference);
        shift(h.sortColumn);
        shift(h.sortOrder);
        entries -= drop;
        position = std::max(position - drop, 0);
    }
    h.count = entries;
    h.position = entries > 0 ? position : -1;

    uint32_t exportLength;
    if (!source.readU32(exportLength)) return failWith(why, "missing export folder");
    if (exportLength < 1 || exportLength > kTextSize)
        return failWith(why, "bad export folder length");
    char exportText[kTextSize];
    if (!source.read(exportText, exportLength)) return failWith(why, "truncated export folder");
    if (exportText[exportLength - 1] != 0) return failWith(why, "unterminated export folder");
    image.exportFolder.assign(exportText, strlen(exportText));
    return true;
}

void settleCounts(std::array<int32_t, kListCount>& counts,
                  const std::array<std::array<int32_t, kListCount>, kColumnCount>& capacities,
                  const ViewHistory& history) {
    // A list whose count exceeds what it holds (a view saved by an older writer) is emptied.
    for (int list = 0; list < kListCount; ++list) {
        int32_t held = INT32_MAX;
        for (const auto& capacity : capacities) held = std::min(held, capacity[list]);
        if (counts[list] > held) counts[list] = 0;
    }
    // The current view is rebuilt from its entry when it is not the master list.
    const ViewHistory& h = history;
    if (h.count > 0 && h.list[h.position] > kMasterList) counts[h.list[h.position]] = 0;
}

namespace {
template <class T>
void applyColumn(FieldColumn<T>& column, ImageColumn<T>&& image) {
    column.elements = std::move(image.elements);
    column.logicalCapacity = column.elements.capacity;
    size_t start = 0;
    for (int list = 0; list < kListCount; ++list) {
        column.start[list] = static_cast<uint32_t>(start);
        column.capacity[list] = image.capacity[list];
        start += static_cast<size_t>(image.capacity[list]);
    }
}
}  // namespace

void applyCatalogImage(Catalog& catalog, CatalogImage&& image) {
    catalog.discardPendingStrings();
    applyColumn(catalog.nameColumn, std::move(image.name));
    applyColumn(catalog.noteColumn, std::move(image.note));
    applyColumn(catalog.folderColumn, std::move(image.folder));
    applyColumn(catalog.timeColumn, std::move(image.time));
    applyColumn(catalog.sizeColumn, std::move(image.size));
    catalog.counts() = image.counts;
    catalog.folderPool() = std::move(image.folderPool);
    catalog.namePool() = std::move(image.namePool);
    catalog.notePool() = std::move(image.notePool);
    catalog.poolsReplaced();
    catalog.siteNodes() = image.siteNodes;
    catalog.setSiteNodeCount(image.siteNodeCount);
    catalog.history() = image.history;
    catalog.page().viewMode = image.viewMode;
    for (int list = 0; list < kListCount; ++list) catalog.setGenerationStamp(list, 0);
    catalog.assumePoolsCompact();
    catalog.setGeneration(kOpenedGeneration);
    int current = catalog.currentList();
    if (current > kMasterList) catalog.setGenerationStamp(current, 1);  // stale: rebuilt when shown
}

bool encodeCatalog(Catalog& catalog, const std::string& exportFolder, ByteSink& sink) {
    catalog.flushPendingStrings();
    bool ok = sink.write(kCatalogMagic, 4);
    for (uint32_t b : kColumnBases) ok = ok && sink.writeU32(b);

    auto writeSegments = [&](const auto& column, uint32_t base) {
        const uint32_t elementSize = sizeof(column.elements[0]);
        std::array<unsigned char, 4 * kListCount> capacities, starts;
        for (int list = 0; list < kListCount; ++list) {
            uint32_t c = static_cast<uint32_t>(column.capacity[list]);
            uint32_t s = base + elementSize * column.start[list];
            for (int b = 0; b < 4; ++b) {
                capacities[4 * list + b] = static_cast<unsigned char>(c >> (8 * b));
                starts[4 * list + b] = static_cast<unsigned char>(s >> (8 * b));
            }
        }
        ok = ok && sink.write(capacities.data(), capacities.size()) &&
             sink.write(starts.data(), starts.size());
    };
    writeSegments(catalog.nameColumn, kColumnBases[0]);
    writeSegments(catalog.noteColumn, kColumnBases[1]);
    writeSegments(catalog.folderColumn, kColumnBases[2]);
    writeSegments(catalog.timeColumn, kColumnBases[3]);
    writeSegments(catalog.sizeColumn, kColumnBases[4]);

    // Columns go out as they stand: the host is little-endian (checked at build).
    auto writeColumn = [&](const auto& column) {
        ok = ok &&
             sink.write(column.elements.get(), column.usedElements() * sizeof(column.elements[0]));
    };
    writeColumn(catalog.nameColumn);
    writeColumn(catalog.noteColumn);
    writeColumn(catalog.folderColumn);
    writeColumn(catalog.timeColumn);
    writeColumn(catalog.sizeColumn);

    // A derived list's fields are not stored, so its count would describe nothing.
    for (int list = 0; list < kListCount; ++list)
        ok = ok && sink.writeI32(catalog.isDerived(list) ? 0 : catalog.recordCount(list));

    for (StringPool* pool : {&catalog.folderPool(), &catalog.namePool(), &catalog.notePool()})
        ok = ok && sink.writeU32(pool->used) && sink.write(pool->bytes.get(), pool->used);

    ok = ok && sink.writeU32(kSiteNodeBase) &&
         sink.write(catalog.siteNodes().data(), sizeof(SiteNode) * kSiteNodeSlots) &&
         sink.writeI32(catalog.siteNodeCount());

    const ViewHistory& h = catalog.history();
    for (int32_t list : h.list) ok = ok && sink.writeI32(list);
    ok = ok && sink.writeI32(h.count) && sink.writeI32(0) && sink.writeI32(catalog.page().viewMode);
    for (int e = 0; e < h.count; ++e) ok = ok && sink.writeI32(h.searchReference[e]);
    for (int e = 0; e < h.count; ++e) ok = ok && sink.write(h.address[e].data(), kTextSize);
    for (int e = 0; e < h.count; ++e) ok = ok && sink.writeI32(h.sortColumn[e]);
    for (int e = 0; e < h.count; ++e) ok = ok && sink.writeI32(h.sortOrder[e]);

    ok = ok && sink.writeU32(static_cast<uint32_t>(exportFolder.size() + 1)) &&
         sink.write(exportFolder.c_str(), exportFolder.size() + 1);
    return ok;
}

}  // namespace varnel
