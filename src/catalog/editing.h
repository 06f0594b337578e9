#pragma once
// Changes to the master list as a whole: keeping or dropping the selected files, and the
// merge that reads a catalog file while keeping the FTP listings held in memory.
#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

class Catalog;
class CatalogDatabase;
class Prompt;

// Keeps only the selected files: on the master list (after "Yes") in the catalog itself,
// elsewhere (or after "No") in a new result view.
void keepSelection(Catalog& catalog, Prompt& prompt);
// Removes the selected files, in the same two ways.
void dropSelection(Catalog& catalog, Prompt& prompt);

// The FTP records held in memory, and the site roots they lie under.
struct SiteRecord {
    std::string folder, name, note;
    uint64_t time;
    uint32_t size;
};
struct SiteRecords {
    std::vector<SiteRecord> records;
    std::vector<std::string> roots;
    bool holds(const char* folder) const;  // lies under one of the roots
};
// The FTP records of the master list (modes 0 and 1) or the selection (mode 2); in mode 0
// only those below the folders scanned in this session.
SiteRecords collectSiteRecords(Catalog& catalog, int mode,
                               const std::vector<std::string>& scannedFolders);
// Replaces the master list's records of every site in `sites` by the held ones: records
// identical to a held one stay, the others of those sites go, the new ones go first.
void applySiteRecords(Catalog& catalog, const SiteRecords& sites, Prompt& prompt,
                      int64_t clockSeconds);

// Reads the catalog file at `path` in place of the catalog; for every FTP site that had
// records in memory (from the master list in modes 0 and 1, the selection in mode 2; in
// mode 0 only below the folders scanned in this session), the memory's records replace the
// file's. Returns 0 when the file cannot be read.
int mergeCatalogFile(CatalogDatabase& database, Catalog& catalog, const std::string& path, int mode,
                     const std::vector<std::string>& scannedFolders);

// Makes the database's save at exit merge through mergeCatalogFile, and opening a catalog
// forget the folders scanned so far.
void connectCatalogMerge(CatalogDatabase& database, Catalog& catalog,
                         std::vector<std::string>& scannedFolders);

}  // namespace varnel
