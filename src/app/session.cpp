#include "app/session.h"

#include <sys/stat.h>

#include "catalog/editing.h"
#include "query/resultpage.h"
#include "scan/folderrefresh.h"

namespace varnel {

AppSession::AppSession(const std::string& programDir, Prompt& prompt, RemoteDialogs& dialogs,
                       std::unique_ptr<FtpClient> client, std::unique_ptr<ShareService> shares)
    : prompt(prompt),
      workspace(programDir),
      catalog(workspace.settings().initialColumnCapacity),
      database(catalog, prompt, workspace.paths().defaultCatalog),
      searches(workspace.settings().savedSearchCount, workspace.settings().savedSearchBlock),
      search(catalog, searches),
      ftpClient(client ? std::move(client) : makeCurlFtpClient()),
      ftp(*ftpClient, prompt, dialogs, workspace.settings()),
      listings(ftp, prompt),
      services(catalog, prompt, workspace.paths().programDir),
      monitor(prompt, workspace.driveRoots()),
      fileCommands(catalog, database, prompt, workspace),
      shareService(shares ? std::move(shares)
                          : std::make_unique<NetUserShares>(netConfigFromEnvironment())),
      sharing(*shareService, prompt, catalog, workspace.settings(), workspace.paths().shareFolder) {
    database.initialColumnCapacity = workspace.settings().initialColumnCapacity;
    database.currentFileTime = [this] { return workspace.currentFileTime(); };
    search.currentFileTime = [this] { return workspace.currentFileTime(); };
    search.keepIndexes();
    services.watchedFolders = &workspace.settings().watchedFolders;
    services.scannedFolders = &scannedFolders;
    services.ftp = &ftp;
    services.listingCache = &listings.cache();
    connectCatalogMerge(database, catalog, scannedFolders);
    catalog.page().viewMode = 1;  // the window opens on the file list
    searches.onChanged = [this] {
        refreshSearchPage();
        if (savedSearchesChanged) savedSearchesChanged();
    };
}

bool AppSession::refreshSearchPage() {
    return regenerateSearchPage(workspace.paths().resultPage, searches,
                                workspace.settings().pageColumnCount);
}

bool AppSession::openStartCatalog(const std::string& path) {
    struct stat st {};
    const bool firstRun =
        ::stat(workspace.paths().defaultCatalog.c_str(), &st) != 0 || st.st_size == 0;
    // Whether shares can be made here is learnt once, before anything needs it.
    shareService->LoadNetApi();
    if (firstRun) ::mkdir(workspace.paths().shareFolder.c_str(), 0755);
    database.openCatalogOrDefault(path.empty() ? nullptr : path.c_str());
    // After the catalog is read: the share list it brought is replaced by what is shared.
    if (firstRun) sharing.RefreshShare(FolderSharing::Report::Status);
    // A catalog saved without a view opens on all its records.
    if (catalog.currentList() < 0) catalog.historyPushList(kMasterList);
    if (catalog.page().viewMode == 0) catalog.page().viewMode = 1;
    return firstRun;
}

bool AppSession::closeDown() {
    if (!database.saveOnExit()) return false;
    cleanMirrorRoot(workspace.paths().programDir);
    // Saved logins, searches and watched folders live there: losing them is worth a word.
    if (!workspace.saveSettings(catalog.recordCount(kMasterList)))
        prompt.tell("The settings could not be saved. " + workspace.lastError());
    return true;
}

}  // namespace varnel
