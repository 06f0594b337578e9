#include "scan/scancommand.h"

#include <string>
#include <system_error>
#include <thread>

#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "platform/progress.h"
#include "platform/prompt.h"
#include "remote/ftpnames.h"
#include "remote/ftpsession.h"
#include "scan/scanoptions.h"
#include "scan/scanpaths.h"
#include "scan/scanservices.h"

namespace varnel {

namespace {

constexpr size_t kFolderTextLimit = kFolderTextBuffer - 1;

// A single root gets its trailing separator; a list with commas stays as typed (its entries
// are completed when the list is cut).
void completeSingleRoot(std::string& text) {
    if (text.empty() || text.find(',') != std::string::npos) return;
    // An FTP folder in catalog spelling ends with "\", in URL spelling with "/".
    const char separator = IsFtpName(text.c_str()) && !IsFtpUrl(text) ? '\\' : '/';
    if (text.back() != separator) text.push_back(separator);
}

// Logs in to one FTP root; a refused password asks for the login again (the dialog shows
// the server's reply), a few times at most.
bool logInToRoot(FtpSession& ftp, const std::string& root, Progress& progress) {
    std::string url = root;
    SwapFtpSeparators(url);
    for (int attempt = 0; attempt < kConnectTries; ++attempt) {
        if (!ftp.PromptRemoteLogin(root)) return false;
        if (ftp.LoginWithProgress(url, progress)) return true;
        if (!ftp.lastLoginRefused()) return false;
    }
    return false;
}

// Logs in to every FTP root; false when one is refused.
bool logInToRoots(ScanServices& services, const FolderList& roots, Progress& progress) {
    bool refused = false;
    for (const std::string& root : roots.entries())
        if (IsFtpName(root.c_str()) && (!services.ftp || !logInToRoot(*services.ftp, root, progress)))
            refused = true;
    return !refused;
}

}  // namespace

ScanCommandResult ScanCommand(ScanServices& services, Workspace& workspace, ScanDialogs& dialogs,
                              Progress& progress, std::string_view addressText) {
    ScanCommandResult result;
    ScanOptionsForm form{workspace.scanFolders(), workspace.excludeFolders()};
    if (!addressText.empty()) form.folders = addressText;
    if (!dialogs.scanOptions(form)) return result;

    completeSingleRoot(form.folders);
    result.outcome = ScanOutcome::Refused;
    if (form.folders.size() > kFolderTextLimit || form.exclusions.size() > kFolderTextLimit) {
        services.prompt.tell("The folder list is longer than " + std::to_string(kFolderTextLimit) +
                             " bytes.");
        return result;
    }
    const FolderList roots = FolderList::fromText(form.folders, true);
    const FolderList exclusions = FolderList::fromText(form.exclusions, false);
    if (services.ftp) services.ftp->setOffline(false);
    const bool loggedIn = logInToRoots(services, roots, progress);
    workspace.scanFolders() = form.folders;
    workspace.excludeFolders() = form.exclusions;
    if (!loggedIn) {
        services.prompt.tell(kLoginFirstText);
        return result;
    }

    progress.clearCancelled();
    services.setCatalogBusy(true);
    auto work = [&] {
        result.summary = scanFolders(services, roots.data(), roots.length(), exclusions.data(),
                                     exclusions.length(), 0, &progress);
        progress.close();
    };
    std::thread worker;
    try {
        worker = std::thread(work);
    } catch (const std::system_error&) {
        work();  // no thread to be had: the dialog shows the end only
    }
    progress.runModal();
    if (worker.joinable()) worker.join();
    services.setCatalogBusy(false);
    // Settings belong to this thread: the worker left the watched folders alone.
    if (services.watchedFolders && exclusions.length() > 0)
        dropExcludedWatches(*services.watchedFolders, exclusions);

    Catalog& catalog = services.catalog;
    catalog.setRecordCount(kSelectionList, 0);
    catalog.historyPushList(kMasterList);
    PageCursor& page = catalog.page();
    result.layoutNeeded = page.viewMode != 1;
    page.viewMode = 1;
    result.outcome = ScanOutcome::Scanned;
    return result;
}

}  // namespace varnel
