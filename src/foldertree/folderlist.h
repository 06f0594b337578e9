#pragma once
// The subfolders of one folder, as the folder tree shows them: folders only (hidden ones
// too), sorted with the catalog's ASCII case fold, each with whether it may hold folders.
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

namespace varnel {

struct TreeFolder {
    std::string name;
    bool hasSubfolders = false;
    bool operator==(const TreeFolder&) const = default;
};

// How an entry is examined: fstatat without following links, unless a test says otherwise.
using EntryExaminer = std::function<bool(int folderFd, const char* name, struct stat& st)>;

// `folder` ends with "/". An entry that cannot be examined is left out and the listing goes
// on; a folder that cannot be opened has no subfolders.
std::vector<TreeFolder> listSubfolders(const std::string& folder,
                                       const EntryExaminer& examine = nullptr);

// Brings a tree item's children (`shown`, in tree order) in line with a fresh listing: the
// children whose name and subfolder state match an entry stay, the others go, and entries
// without such a child are new. FillChildren's rule, so an unchanged child keeps its item
// (and with it its own expanded children).
struct ChildUpdate {
    std::vector<size_t> removed;            // indexes into `shown`, highest first
    std::vector<std::pair<size_t, TreeFolder>> added;  // position in the final order, entry
};
ChildUpdate updateChildren(const std::vector<TreeFolder>& shown,
                           const std::vector<TreeFolder>& fresh);

}  // namespace varnel
