#pragma once
// Opening, reading and saving catalog files, the backup beside the default catalog, and the
// save question at exit.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/prompt.h"

namespace varnel {

class Catalog;
struct CatalogImage;

// Reads and checks the whole catalog file at `path` (a regular file only); false with the
// reason in `why`, which starts with "PATH: " when the file is there but is no catalog.
// `rowsEnd` receives where the catalog rows end.
bool loadCatalogImage(const std::string& path, CatalogImage& image, std::string& why,
                      uint64_t* rowsEnd = nullptr);

class CatalogDatabase {
  public:
    CatalogDatabase(Catalog& catalog, Prompt& prompt, std::string defaultCatalogPath);

    // Empties the tables and reads `path`. Opening the default catalog always succeeds: a
    // missing one starts empty, an unreadable one is first moved aside (never overwritten).
    int openCatalog(const std::string& path);
    // openCatalog of `path`, or of the default catalog when `path` is null.
    int openCatalogOrDefault(const char* path);
    // Reads a catalog file over the current tables. The file is checked completely first: a
    // bad file shows "File Can't be opened" and changes nothing. A missing or empty file
    // fails silently.
    int readCatalogFile(const std::string& path);
    // Saves the catalog (with `exportFolder`, also the contents of the catalogued files).
    // The old file stays untouched unless the new one was written whole. Returns 0 on failure.
    int writeCatalogFile(const std::string& path, const char* exportFolder);
    Answer confirmSave();
    // Asks and saves at exit; returns 0 when the user cancels or the save failed: the
    // program must then stay open.
    int saveOnExit();

    const std::string& defaultCatalogPath() const { return defaultPath_; }
    const std::string& openCatalogPath() const { return openPath_; }
    uint64_t openedFileTime() const { return openedFileTime_; }
    const std::string& storedExportFolder() const { return exportFolder_; }
    // Where the catalog rows of the file last read end: an exported catalog's file contents
    // start there.
    uint64_t storedRowsEnd() const { return rowsEnd_; }
    Prompt& prompt() { return prompt_; }
    // Why the last read or write failed.
    const std::string& lastError() const { return lastError_; }

    // What the surroundings provide; the defaults suit a plain program run.
    int initialColumnCapacity;
    std::function<uint64_t()> currentFileTime;
    std::function<int64_t()> clockSeconds;  // decides which big-catalog loads are checked
    std::function<void(int milliseconds)> sleep;
    std::function<int()> random;  // 0..32767
    std::function<void()> clearScannedFolders;
    // Reads `path` in place of the catalog, keeping the FTP listings held in memory.
    std::function<int(const std::string& path, int mode)> mergeCatalogFile;

  private:
    std::string moveAsideUnreadable(const std::string& path);
    void reduceHistoryToCurrentEntry();
    bool exportContents(class AtomicFile& file);

    Catalog& catalog_;
    Prompt& prompt_;
    std::string defaultPath_;
    std::string openPath_;
    uint64_t openedFileTime_ = 0;
    std::string exportFolder_;
    uint64_t rowsEnd_ = 0;
    std::string lastError_;
};

}  // namespace varnel
