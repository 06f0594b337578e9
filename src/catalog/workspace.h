#pragma once
// The program's own files (settings, default catalog, time stamp, result page, share folder)
// and the settings file cfg.dat. Its byte layout is written down in FORMAT.md beside this file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/tables.h"  // kDefaultColumnCapacity

namespace varnel {

// Paths of the files kept in the program directory.
struct WorkspacePaths {
    std::string programDir;      // no trailing '/'
    std::string settingsFile;    // cfg.dat
    std::string shareFolder;     // share/, ends with '/'
    std::string defaultCatalog;  // save.fdb
    std::string backupCatalog;   // backup.fdb, the previous default catalog
    std::string timeStampFile;   // tmp
    std::string resultPage;      // 4.html
};

WorkspacePaths workspacePaths(const std::string& programDir);

// Buffer sizes of the settings, in bytes. The name and password buffers include their NUL.
inline constexpr size_t kShareNameBuffer = 128;
inline constexpr size_t kSharePasswordBuffer = 64;
inline constexpr size_t kReservedTextBuffer = 128;
inline constexpr size_t kWatchedFoldersBuffer = 12288;
inline constexpr size_t kSavedSearchBlockSize = 8192;
inline constexpr size_t kNameListBuffer = 4096;
// The scan-folders and exclude-folders texts, NUL included.
inline constexpr size_t kFolderTextBuffer = 6144;

using SavedSearchBlock = std::array<char, kSavedSearchBlockSize>;

// The four saved searches a new installation starts with, in the block's form: per entry
// name, pattern list and folder, each NUL-ended, one more NUL after the last entry.
SavedSearchBlock builtInSavedSearchBlock();
inline constexpr int32_t kBuiltInSavedSearchCount = 4;

// Everything cfg.dat holds, with the values of a first start. Texts are byte strings; the
// lists are NUL-separated and may hold NULs, their size() being the used length.
struct Settings {
    int32_t initialColumnCapacity = kDefaultColumnCapacity;
    int32_t pageColumnCount = 1;
    std::string shareAccountName = "Guest";  // without its NUL, at most 127 bytes
    std::string shareAccountPassword;        // without its NUL, at most 63 bytes
    // Carried through unchanged: exactly the n bytes that stood in the file.
    std::array<std::string, 3> reservedTexts = {std::string(1, '\0'), std::string(1, '\0'),
                                                std::string(1, '\0')};
    std::string watchedFolders;  // at most kWatchedFoldersBuffer bytes
    std::array<char, 8> reservedBytes{};
    int32_t savedSearchCount = kBuiltInSavedSearchCount;
    SavedSearchBlock savedSearchBlock = builtInSavedSearchBlock();
    // Each at most kNameListBuffer bytes.
    std::string addressHistory;
    std::string loginHosts;
    std::string loginUsers;
    std::string loginPasswords;
    std::string recentCatalogs;

    bool operator==(const Settings&) const = default;
};

// Reads the rows of a cfg.dat image into `out`, in file order. Rows the bytes do not hold
// completely leave their settings as `out` had them. Never reads past `bytes`:
// - a text longer than its buffer is cut (a list back to its last whole entry) and the
//   reading goes on after its n bytes;
// - a capacity or page column count below 1 keeps the value `out` had;
// - the saved-search count is kept within the entries the block really holds, and the
//   count and block are taken only together.
// Returns how many of the 16 rows were read.
int parseSettings(std::string_view bytes, Settings& out);

// The cfg.dat image of `settings`. Row 1 is twice `masterRecordCount` (the record count
// of the catalog in use), so the next start opens catalogs with room for them to grow.
std::string encodeSettings(const Settings& settings, int32_t masterRecordCount);

// The comma-separated list of `roots` offered as the scan folders at start, each ending
// with '/'. Roots that hold a comma, or no longer fit in a folder text, are left out.
std::string fixedDriveListText(const std::vector<std::string>& roots);

class Workspace {
  public:
    // Forms the paths, surveys the local file systems, sets the defaults and reads cfg.dat.
    explicit Workspace(const std::string& programDir);
    // The same with the local file-system roots given instead of surveyed.
    Workspace(const std::string& programDir, const std::vector<std::string>& localRoots);
    static Workspace setupWorkspace(const std::string& programDir) { return Workspace(programDir); }

    const WorkspacePaths& paths() const { return paths_; }
    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }

    // The local file-system roots, each ending with '/', and their comma-separated list.
    const std::vector<std::string>& driveRoots() const { return driveRoots_; }
    const std::string& fixedDriveList() const { return fixedDriveList_; }
    // The texts last confirmed in the scan dialog (at most kFolderTextBuffer - 1 bytes).
    std::string& scanFolders() { return scanFolders_; }
    const std::string& scanFolders() const { return scanFolders_; }
    std::string& excludeFolders() { return excludeFolders_; }
    const std::string& excludeFolders() const { return excludeFolders_; }

    // Writes cfg.dat (mode 0600: it holds passwords). On failure the old file stays as it
    // was, false is returned and lastError() says why.
    bool saveSettings(int32_t masterRecordCount);
    const std::string& lastError() const { return lastError_; }

    // The current time as a file time, as the file system stamps a file it has just
    // written: the time-stamp file is created or emptied and its last-write time read.
    // Falls back to the system clock when the file cannot be written.
    uint64_t currentFileTime() const;

  private:
    WorkspacePaths paths_;
    Settings settings_;
    std::vector<std::string> driveRoots_;
    std::string fixedDriveList_;
    std::string scanFolders_;
    std::string excludeFolders_;
    std::string lastError_;
};

}  // namespace varnel
