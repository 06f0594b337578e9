#pragma once
// What the commands on the real files behind catalog records work with: the catalog, the
// prompt, the FTP session and the refreshes (all in the scan services), the progress dialog
// of copy jobs, and the window's share folder and folder tree.
#include <functional>
#include <string>

namespace varnel {

class Progress;
class ScanServices;

struct FileOpsContext {
    ScanServices& services;
    Progress& progress;
    std::string shareFolder;  // ends with "/"; a paste there is announced as a share
    // The folder tree's selected folder (catalog spelling), "" when none: the last place a
    // paste may go.
    std::function<std::string()> treeFolder;
    // Brings the network share in step with the share folder's files.
    std::function<void()> renewShare;
};

// A record's full name as a place to act on: the local path, or the FTP URL.
std::string recordUrl(const std::string& folder, const std::string& name);

}  // namespace varnel
