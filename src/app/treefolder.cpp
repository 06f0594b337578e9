#include "app/treefolder.h"

#include "app/session.h"
#include "remote/ftpnames.h"
#include "remote/mirrorpaths.h"
#include "scan/folderrefresh.h"
#include "view/page.h"
#include "view/viewrecipe.h"

namespace varnel {

bool showTreeFolder(AppSession& session, FilePage& page, const std::string& treePath,
                    bool workOffline) {
    if (page.catalogHeld()) return false;
    const std::string name =
        MirrorPathToFtpName(session.workspace.paths().programDir, treePath, true);
    if (name.size() >= kTextSize) return false;
    if (IsFtpName(name.c_str())) {
        const bool wasOffline = session.ftp.offline();
        if (workOffline) session.ftp.setOffline(true);
        if (!session.ftp.offline() && !session.ftp.PromptRemoteLogin(name)) return false;
        const bool read = refreshFolders(session.services, name.c_str(), kSingleFolder, 0) == 1;
        std::string url = name;
        SwapFtpSeparators(url);
        if (!session.ftp.offline() && (!read || !session.listings.cache().find(url)))
            session.listings.QueueListingDownload(name);
        session.ftp.setOffline(wasOffline);
    } else {
        refreshFolders(session.services, name.c_str(), kSingleFolder, 0);
    }
    Catalog& catalog = session.catalog;
    const int list = catalog.allocTempList(0);
    session.search.patternFill(list, name.c_str());
    pushView(catalog, list, name.c_str(), -1, -1, 0);
    catalog.page().viewMode = 1;
    page.clearSelection();
    page.RefreshPage(true);
    return true;
}

bool makeTreeChildFolders(AppSession& session, FilePage& page, const std::string& treePath) {
    if (page.catalogHeld()) return false;
    const std::string& programDir = session.workspace.paths().programDir;
    const std::string name = MirrorPathToFtpName(programDir, treePath, true);
    return IsFtpName(name.c_str()) && MakeChildMirrorFolders(programDir, session.catalog, name);
}

std::string treePathOf(AppSession& session, const std::string& folder) {
    if (!IsFtpName(folder.c_str())) return folder;
    std::string mirror;
    MakeMirrorFoldersAndRegister(session.workspace.paths().programDir, session.catalog, folder,
                                 mirror);
    return mirror;
}

}  // namespace varnel
