#pragma once
// What selecting a folder in the folder tree does: an FTP site's mirror folder logs in (or,
// with Ctrl, stays offline for this once) and queues the folder's listing when the cache
// lacks it; a local folder is read one level deep; then the folder's records become the view.
#include <string>

namespace varnel {

class AppSession;
class FilePage;

// `treePath` is the item's folder on disk, ending with "/". False when nothing was shown (a
// refused login, or the catalog owned by a worker).
bool showTreeFolder(AppSession& session, FilePage& page, const std::string& treePath,
                    bool workOffline);

// Makes the mirror folders of the catalogued folders directly below an FTP site's folder
// `treePath`, so that the tree can show them; true when there were some. False for local
// folders and while a worker owns the catalog.
bool makeTreeChildFolders(AppSession& session, FilePage& page, const std::string& treePath);

// The folder on disk that shows catalog folder `folder` in the tree: the folder itself, or for
// an FTP folder its mirror folder, made (with those of its catalogued subfolders) on the way.
std::string treePathOf(AppSession& session, const std::string& folder);

}  // namespace varnel
