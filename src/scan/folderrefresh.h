#pragma once
// The one-level folder refresh: brings the records of a few folders up to date with what
// the folders hold now (new files, changed files, vanished files, vanished subfolders),
// without walking below them. Used after file operations, by the address bar, the folder
// tree, the timer's finished FTP listings, the Refresh command and the change monitor.
#include <cstddef>
#include <cstdint>
#include <string>

namespace varnel {

class ScanServices;

inline constexpr size_t kRefreshListLimit = 6144;
inline constexpr ptrdiff_t kSingleFolder = -1;

// `folders` is a prefix list of `length` bytes, or with length kSingleFolder one folder as
// a text (its separator is added when missing). FTP folders are read from the listing cache
// when `live` is 0, from the server otherwise. 1 when every folder could be read; 0 when
// one could not (its records stay as they were) or the list is longer than 6144 bytes
// (nothing changes).
int refreshFolders(ScanServices& services, const char* folders, ptrdiff_t length, int live);

// Deletes the whole FTP mirror root below `programDir` when `nowSeconds` is divisible by 16,
// so about one closing in sixteen clears the mirror folders and the downloaded copies.
void cleanMirrorRoot(const std::string& programDir, int64_t nowSeconds);
void cleanMirrorRoot(const std::string& programDir);

}  // namespace varnel
