#include "catalog/filecommands.h"

#include <sys/stat.h>
#include <unistd.h>
#include <memory>

#include "catalog/dbfile.h"
#include "catalog/editing.h"
#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "platform/paths.h"
#include "platform/prompt.h"

namespace varnel {

namespace {
constexpr const char* kCatalogFilter = "Files db (*.fdb)|*.fdb";
constexpr size_t kRecentShown = 5;
constexpr size_t kRecentKeptBytes = 2048;

std::vector<std::string> splitNameList(const std::string& list) {
    std::vector<std::string> out;
    for (size_t start = 0; start < list.size();) {
        size_t end = list.find('\0', start);
        if (end == std::string::npos) end = list.size();
        if (end > start) out.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::string joinNameList(const std::vector<std::string>& entries) {
    std::string list;
    for (const std::string& e : entries) list += e + '\0';
    return list;
}
}  // namespace

CatalogFileCommands::CatalogFileCommands(Catalog& catalog, CatalogDatabase& database,
                                         Prompt& prompt, Workspace& workspace)
    : catalog_(catalog), database_(database), prompt_(prompt), workspace_(workspace) {}

bool CatalogFileCommands::saveFirst() {
    Answer answer = database_.confirmSave();
    if (answer == Answer::Cancel) return false;
    // A save that failed (and said why) stops the command: the catalog stays open, unchanged.
    return answer != Answer::Yes ||
           database_.writeCatalogFile(database_.openCatalogPath(), nullptr) != 0;
}

void CatalogFileCommands::openAndShowAll(const char* path) {
    database_.openCatalogOrDefault(path);
    // Whatever view the file was saved with, a freshly opened catalog shows all its files.
    catalog_.historyPushList(kMasterList);
    catalog_.page().viewMode = 1;
    if (showAllFiles) showAllFiles();
}

namespace {

FileDialogRequest catalogDialog(bool save, const char* title) {
    FileDialogRequest request;
    request.title = title;
    request.save = save;
    request.filter = kCatalogFilter;
    request.defaultExtension = "fdb";
    return request;
}

}  // namespace

std::optional<std::string> CatalogFileCommands::askForCatalog(bool save) {
    return prompt_.chooseFile(catalogDialog(save, save ? "Save catalog as" : "Open catalog"));
}

void CatalogFileCommands::newCatalog() {
    if (!saveFirst()) return;
    const std::string base = workspace_.paths().programDir + "/New";
    std::string path = base + ".fdb";
    for (int k = 1; pathExists(path); ++k) path = base + std::to_string(k) + ".fdb";
    openAndShowAll(path.c_str());
}

void CatalogFileCommands::openCatalogDialog() {
    std::optional<std::string> path = askForCatalog(false);
    if (!path || !saveFirst()) return;
    addRecentCatalog(*path);
    if (rebuildRecentMenu) rebuildRecentMenu();
    openAndShowAll(path->c_str());
}

void CatalogFileCommands::saveCatalogAs() {
    if (std::optional<std::string> path = askForCatalog(true))
        database_.writeCatalogFile(*path, nullptr);
}

void CatalogFileCommands::closeCatalog() {
    if (database_.openCatalogPath() == database_.defaultCatalogPath()) return;
    if (saveFirst()) openAndShowAll(nullptr);
}

void CatalogFileCommands::importCatalog() {
    std::optional<std::string> chosen = prompt_.chooseFile(catalogDialog(false, "Import catalog"));
    if (!chosen) return;
    // The current catalog waits in a scratch file while the chosen one is read; reading it
    // back carries the chosen file's FTP sites over.
    const std::string scratch = workspace_.paths().programDir + "/import.fdb";
    if (!database_.writeCatalogFile(scratch, nullptr)) return;
    if (database_.readCatalogFile(*chosen)) database_.mergeCatalogFile(scratch, 1);
    if (::truncate(scratch.c_str(), 0) != 0) ::unlink(scratch.c_str());
}

bool CatalogFileCommands::exportCatalog() {
    std::optional<std::string> chosen = prompt_.chooseFile(catalogDialog(false, "Export catalog"));
    if (!chosen) return false;
    if (*chosen == database_.openCatalogPath()) {
        prompt_.tell("Export writes into another catalog file; " + *chosen +
                     " is the open catalog. Use Save to write it.");
        return false;
    }
    // The chosen file is read into a catalog of its own, takes the open catalog's FTP sites
    // and is written back; the open catalog is left exactly as it was.
    const SiteRecords sites = collectSiteRecords(catalog_, 1, {});
    auto target = std::make_unique<Catalog>();
    CatalogDatabase targetFile(*target, prompt_, database_.defaultCatalogPath());
    targetFile.clockSeconds = database_.clockSeconds;
    if (!targetFile.readCatalogFile(*chosen)) {
        if (!pathExists(*chosen))
            prompt_.tell("The catalog " + *chosen + " does not exist.");
        else if (!targetFile.lastError().starts_with(*chosen + ": "))  // else already told
            prompt_.tell(targetFile.lastError());
        return false;
    }
    applySiteRecords(*target, sites, prompt_, database_.clockSeconds());
    return targetFile.writeCatalogFile(*chosen, nullptr) != 0;
}

void CatalogFileCommands::loadRecentCatalog(int k) {
    std::vector<std::string> recent = recentCatalogs();
    if (k < 0 || static_cast<size_t>(k) >= recent.size()) return;
    const std::string path = recent[static_cast<size_t>(k)];
    if (!saveFirst()) return;
    openAndShowAll(path.c_str());
    addRecentCatalog(path);
    if (rebuildRecentMenu) rebuildRecentMenu();
}

void CatalogFileCommands::addRecentCatalog(const std::string& path) {
    std::vector<std::string> recent = recentCatalogs();
    std::erase(recent, path);
    while (!recent.empty() && joinNameList(recent).size() > kRecentKeptBytes) recent.pop_back();
    if (recent.size() < kRecentShown) recent.insert(recent.begin(), path);
    std::string list = joinNameList(recent);
    while (list.size() > kNameListBuffer && !recent.empty()) {
        recent.pop_back();
        list = joinNameList(recent);
    }
    workspace_.settings().recentCatalogs = list;
}

std::vector<std::string> CatalogFileCommands::recentCatalogs() const {
    return splitNameList(workspace_.settings().recentCatalogs);
}

}  // namespace varnel
