#pragma once
// The word indexes of a catalog file, kept in a file of our own beside it (CATALOG.idx), so
// that a search from the command line need not index or fold the whole catalog each time.
// The file names the catalog it was made for (size, times, inode, pool sizes) and holds a
// checksum of every 64 KiB of it; one that does not match in every point, or does not fit
// together, is not used. A search checks the chunks it reads, when it first reads them:
// damage found then makes it go on without that part (WordIndexes::damaged).
//
// Layout, little-endian. The body: "VRNLIDX2"; size, modification and change time (ns), inode
// and device of the catalog file (u64 each); the name and folder pool sizes (u32 each); flags
// (u32): 1 when every master record's name starts a text of the name pool, 2 when the master
// records' name and folder offsets never fall from one record to the next; the byte values
// that end a folder text, folded (256 bits, low first, as 4 u64); then for the names and the
// folders: indexed bytes, list count, list bytes (u32 each), the list starts (list count + 1
// u32), the list bytes, zeros to a multiple of four. Then a u64 checksum of each 64 KiB of
// the body (the last chunk shorter), their count (u64), and a u64 checksum of those two.
#include <memory>
#include <string>
#include <string_view>

#include "catalog/catalogmap.h"
#include "query/foldedpools.h"

namespace varnel {

std::string wordIndexPath(const std::string& catalogPath);

// Reads the indexes made for `catalog`; false when the file is missing, made for another
// catalog or damaged.
bool readWordIndexFile(const std::string& path, const MappedCatalog& catalog, WordIndexes& indexes);
// The same over the file's bytes (four-byte aligned), which `storage` keeps alive.
bool readWordIndexes(std::string_view bytes, const std::shared_ptr<const void>& storage,
                     const MappedCatalog& catalog, WordIndexes& indexes);
// The file's bytes in two steps: what follows the head, then head, that and the checksum.
std::string wordIndexParts(const WordIndexes& indexes);
std::string sealWordIndexes(const MappedCatalog& catalog, std::string_view parts);
// Writes them atomically; "" or the reason it failed.
std::string writeWordIndexFile(const std::string& path, const MappedCatalog& catalog,
                               const WordIndexes& indexes);

}  // namespace varnel
