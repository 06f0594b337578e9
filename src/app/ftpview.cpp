#include "app/ftpview.h"

#include "app/session.h"
#include "remote/ftpnames.h"
#include "remote/mirrorpaths.h"
#include "scan/folderrefresh.h"
#include "view/page.h"

namespace varnel {

void openFtpFolder(AppSession& session, const std::string& folder) {
    std::string mirror;
    MakeMirrorFolders(session.workspace.paths().programDir, folder, mirror);
    refreshFolders(session.services, folder.c_str(), kSingleFolder, 0);
    std::string url = folder;
    SwapFtpSeparators(url);
    if (!session.listings.cache().find(url)) session.listings.QueueListingDownload(folder);
}

void reportRemoteProgress(AppSession& session, FilePage& page,
                          const std::function<void(const std::string&)>& status) {
    ListingDownloader& listings = session.listings;
    if (listings.queueReadPosition() < listings.queueLength()) status("connecting ...");
    std::string folder;
    if (listings.takeCompleted(folder)) {
        refreshFolders(session.services, folder.c_str(), kSingleFolder, 0);
        std::string mirror;
        MakeMirrorFoldersAndRegister(session.workspace.paths().programDir, session.catalog, folder,
                                     mirror);
        page.RefreshPage(false);
        std::string url = folder;
        SwapFtpSeparators(url);
        status("Directory information transfer complete:\"" + url + "\"");
    }
    listings.housekeepingTick();
}

}  // namespace varnel
