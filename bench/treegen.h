#pragma once
// A generated folder tree on disk for the scan benchmark, shaped like real home folders:
// source projects with node_modules and .git objects, photos by day, music by album and
// documents; about sixteen files a folder, from one to a few hundred, long shared path
// prefixes and the same names in many folders; names with blanks, UTF-8 and bytes that are
// not UTF-8, hidden files, sparse files from empty to beyond 4 GiB, ten years of times, and
// one chain of folders deeper than a 2048-byte working text. The same
// count and seed always give the same tree. Files are sparse: the tree costs inodes, not space.
#include <cstdint>
#include <functional>
#include <string>

namespace varnel::bench {

inline constexpr uint64_t kDefaultTreeSeed = 0x7ee5eed5ca11ab1eULL;

// What the scan must find, to check it against.
struct TreeStats {
    int64_t files = 0;             // files created
    int64_t folders = 0;           // folders created, the root included
    int64_t catalogued = 0;        // files a scan catalogues
    int64_t largeFiles = 0;        // 4 GiB or more: skipped
    int64_t longPaths = 0;         // folders and files whose paths do not fit: skipped
    int64_t reachableFolders = 0;  // folders a scan walks
    uint64_t checksum = 0;         // recordChecksum() summed over the catalogued files
};

// One record's contribution; the sum over a list does not depend on its order.
uint64_t recordChecksum(const char* folder, const char* name, uint64_t time, uint32_t size);

// Creates about `files` files below `root` (which must exist and be empty). False, with
// `error` set, when the file system refuses.
bool generateTree(const std::string& root, int64_t files, TreeStats& stats, std::string& error,
                  uint64_t seed = kDefaultTreeSeed);

// The files a scan of that tree would catalogue, handed to `visit` in the order they are made,
// without touching the disk: the same catalog shape for benchmarks that only query.
using TreeVisit = std::function<void(const std::string& folder, const std::string& name,
                                     uint64_t fileTime, uint64_t size)>;
void listTree(const std::string& root, int64_t files, const TreeVisit& visit,
              uint64_t seed = kDefaultTreeSeed);

}  // namespace varnel::bench
