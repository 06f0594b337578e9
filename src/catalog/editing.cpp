#include "catalog/editing.h"

#include <strings.h>
#include <cstdio>
#include <cstring>

#include "catalog/dbfile.h"
#include "catalog/duplicates.h"
#include "catalog/identity.h"
#include "catalog/sort.h"
#include "catalog/tables.h"
#include "platform/prompt.h"
#include "query/findsorted.h"

namespace varnel {

namespace {

// Keeps (keep = true) or drops the selected records of the current view.
void filterBySelection(Catalog& catalog, Prompt& prompt, bool keep) {
    const int current = catalog.currentList();
    if (current < 0) return;
    const int selected = catalog.reserveTempList();
    SortRecordList(catalog, selected, kSelectionList, kSortByName, kAscending);
    const int32_t n = catalog.recordCount(kSelectionList);
    auto isSelected = [&](int list, int32_t i) {
        return findSortedRecord(catalog, selected, list, i) >= 0;
    };

    bool inCatalog = false;
    if (current == kMasterList) {
        char question[128];
        std::snprintf(question, sizeof question,
                      keep ? "Only left these %d files in your Varnel DataBase?"
                           : "Delete these %d files from your Varnel DataBase?",
                      n);
        inCatalog = prompt.ask(question, Buttons::YesNo) == Answer::Yes;
    }
    if (inCatalog) {
        const int32_t count = catalog.recordCount(kMasterList);
        int32_t kept = 0;
        for (int32_t i = 0; i < count; ++i)
            if (isSelected(kMasterList, i) == keep)
                catalog.copyRecord(kMasterList, kept++, kMasterList, i);
        catalog.setRecordCount(kMasterList, kept);
        catalog.bumpGeneration();
        catalog.releaseTempList(selected);
        catalog.setRecordCount(kSelectionList, 0);
        catalog.historyPushList(kMasterList);
    } else {
        const int result = catalog.allocTempList(0);
        const int32_t count = catalog.recordCount(current);
        int32_t added = 0;
        for (int32_t i = 0; i < count; ++i)
            if (isSelected(current, i) == keep) catalog.copyRecord(result, added++, current, i);
        catalog.setRecordCount(result, added);
        catalog.releaseTempList(selected);
        catalog.setRecordCount(kSelectionList, 0);
        catalog.historyPush(result, nullptr, -1, -1, 0);
    }
    catalog.page().topIndex = 0;
    catalog.page().refreshRequests++;
}

// The site root of an FTP folder path: up to the first "\" from its seventh character on.
std::string siteRoot(const char* folder) {
    if (std::strlen(folder) <= 6) return {};
    const char* slash = std::strchr(folder + 6, '\\');
    return slash ? std::string(folder, static_cast<size_t>(slash - folder) + 1) : std::string();
}

}  // namespace

void keepSelection(Catalog& catalog, Prompt& prompt) {
    filterBySelection(catalog, prompt, true);
}

void dropSelection(Catalog& catalog, Prompt& prompt) {
    filterBySelection(catalog, prompt, false);
}

SiteRecords collectSiteRecords(Catalog& catalog, int mode,
                               const std::vector<std::string>& scannedFolders) {
    const int source = mode == 2 ? kSelectionList : kMasterList;
    SiteRecords sites;
    for (int32_t i = 0; i < catalog.recordCount(source); ++i) {
        const char* folder = catalog.recordFolder(source, i);
        if (!startsWithIgnoringCase(folder, "ftp:")) continue;
        if (mode == 0) {
            bool scanned = false;
            for (const std::string& f : scannedFolders)
                scanned = scanned || startsWithPath(folder, f);
            if (!scanned) continue;
        }
        sites.records.push_back({folder, catalog.recordName(source, i),
                                 catalog.recordNoteText(source, i), *catalog.recordTime(source, i),
                                 *catalog.recordSize(source, i)});
        if (!sites.holds(folder)) {
            std::string root = siteRoot(folder);
            if (!root.empty()) sites.roots.push_back(root);
        }
    }
    return sites;
}

bool SiteRecords::holds(const char* folder) const {
    for (const std::string& root : roots)
        if (startsWithPath(folder, root)) return true;
    return false;
}

void applySiteRecords(Catalog& catalog, const SiteRecords& sites, Prompt& prompt,
                      int64_t clockSeconds) {
    const std::vector<SiteRecord>& saved = sites.records;
    // The catalog's records under those sites, sorted for look-up.
    const int onSites = catalog.reserveTempList();
    const int32_t count = catalog.recordCount(kMasterList);
    int32_t n = 0;
    for (int32_t r = 0; r < count; ++r)
        if (sites.holds(catalog.recordFolder(kMasterList, r)))
            catalog.copyRecord(onSites, n++, kMasterList, r);
    catalog.setRecordCount(onSites, n);
    const int sorted = catalog.reserveTempList();
    SortRecordList(catalog, sorted, onSites, kSortByName, kAscending);

    // Saved records with an identical record in the file are not new; those file records stay.
    std::vector<uint8_t> identical(static_cast<size_t>(n), 0);
    std::vector<uint8_t> isNew(saved.size(), 1);
    for (size_t s = 0; s < saved.size(); ++s) {
        const int32_t j =
            findSortedRecord(catalog, sorted, saved[s].folder.c_str(), saved[s].name.c_str());
        if (j < 0) continue;
        if (*catalog.recordTime(sorted, j) == saved[s].time &&
            *catalog.recordSize(sorted, j) == saved[s].size) {
            identical[static_cast<size_t>(j)] = 1;
            isNew[s] = 0;
        }
    }
    int32_t kept = 0;
    for (int32_t j = 0; j < n; ++j)
        if (identical[static_cast<size_t>(j)]) catalog.copyRecord(sorted, kept++, sorted, j);
    catalog.setRecordCount(sorted, kept);

    // Decide every record before moving any: the sorted list refers to master indices.
    std::vector<uint8_t> keep(static_cast<size_t>(count), 1);
    for (int32_t r = 0; r < count; ++r)
        if (sites.holds(catalog.recordFolder(kMasterList, r)))
            keep[static_cast<size_t>(r)] = findSortedRecord(catalog, sorted, kMasterList, r) >= 0;
    catalog.releaseTempList(sorted);
    catalog.releaseTempList(onSites);
    int32_t remaining = 0;
    for (int32_t r = 0; r < count; ++r)
        if (keep[static_cast<size_t>(r)])
            catalog.copyRecord(kMasterList, remaining++, kMasterList, r);

    // The new records go first, in the order they were held.
    int32_t added = 0;
    for (uint8_t flag : isNew) added += flag;
    for (int32_t r = remaining - 1; r >= 0; --r)
        catalog.copyRecord(kMasterList, r + added, kMasterList, r);
    int32_t at = 0;
    for (size_t s = 0; s < saved.size(); ++s) {
        if (!isNew[s]) continue;
        catalog.writeRecordFolder(kMasterList, at, saved[s].folder);
        catalog.writeRecordName(kMasterList, at, saved[s].name);
        catalog.writeRecordNote(kMasterList, at, saved[s].note);
        *catalog.timeSlot(kMasterList, at) = saved[s].time;
        *catalog.sizeSlot(kMasterList, at) = saved[s].size;
        ++at;
    }
    catalog.setRecordCount(kMasterList, remaining + added);
    catalog.bumpGeneration();
    checkDuplicates(catalog, kMasterList, prompt, clockSeconds);
}

int mergeCatalogFile(CatalogDatabase& database, Catalog& catalog, const std::string& path, int mode,
                     const std::vector<std::string>& scannedFolders) {
    const SiteRecords sites = collectSiteRecords(catalog, mode, scannedFolders);
    if (!database.readCatalogFile(path)) return 0;
    applySiteRecords(catalog, sites, database.prompt(), database.clockSeconds());
    return 1;
}


void connectCatalogMerge(CatalogDatabase& database, Catalog& catalog,
                         std::vector<std::string>& scannedFolders) {
    database.mergeCatalogFile = [&database, &catalog, &scannedFolders](const std::string& path,
                                                                       int mode) {
        return mergeCatalogFile(database, catalog, path, mode, scannedFolders);
    };
    database.clearScannedFolders = [&scannedFolders] { scannedFolders.clear(); };
}

}  // namespace varnel
