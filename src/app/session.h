#pragma once
// Everything one run of the program works with, built in the order each part needs the one
// before: settings, catalog, its file, searches, FTP, scanning and the change monitor.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalog/dbfile.h"
#include "catalog/filecommands.h"
#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "query/savedsearch.h"
#include "query/search.h"
#include "remote/foldersharing.h"
#include "remote/ftpsession.h"
#include "remote/listingdownload.h"
#include "remote/shareservice.h"
#include "scan/changemonitor.h"
#include "scan/scanservices.h"

namespace varnel {

class AppSession {
  public:
    // `dialogs` asks for FTP logins; `client` talks FTP and `shares` makes network shares
    // (the real ones when null).
    AppSession(const std::string& programDir, Prompt& prompt, RemoteDialogs& dialogs,
               std::unique_ptr<FtpClient> client = nullptr,
               std::unique_ptr<ShareService> shares = nullptr);
    AppSession(const AppSession&) = delete;
    AppSession& operator=(const AppSession&) = delete;

    // The catalog named on the command line, or the default one when `path` is empty.
    // Returns whether the default catalog was missing or empty before (a first run here).
    bool openStartCatalog(const std::string& path);
    // The save question and the settings file at exit; false when the user cancelled or the
    // catalog could not be saved (the program stays open).
    bool closeDown();
    // Writes the saved-searches page (4.html) from the list as it is now.
    bool refreshSearchPage();

    // After every change of the saved searches (the page is already rewritten).
    std::function<void()> savedSearchesChanged;

    Prompt& prompt;
    Workspace workspace;
    Catalog catalog;
    CatalogDatabase database;
    SavedSearchList searches;
    CatalogSearch search;
    std::unique_ptr<FtpClient> ftpClient;
    FtpSession ftp;
    // Declared after the FTP session: its worker stops before the session goes.
    ListingDownloader listings;
    std::vector<std::string> scannedFolders;
    ScanServices services;
    ChangeMonitor monitor;
    CatalogFileCommands fileCommands;
    std::unique_ptr<ShareService> shareService;
    FolderSharing sharing;
};

}  // namespace varnel
