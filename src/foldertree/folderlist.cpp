#include "foldertree/folderlist.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "catalog/tables.h"

namespace varnel {

std::vector<TreeFolder> listSubfolders(const std::string& folder, const EntryExaminer& examine) {
    std::vector<TreeFolder> out;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return out;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return out;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN) continue;
        struct stat st {};
        // One entry we cannot look at is passed over; the rest of the folder still shows.
        const bool examined = examine ? examine(fd, entry->d_name, st)
                                      : ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (!examined) continue;
        if (!S_ISDIR(st.st_mode)) continue;
        // A folder's link count is 2 plus its subfolders on most file systems; 1 means the
        // file system does not count, so the folder may have some.
        out.push_back({name, st.st_nlink != 2});
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end(), [](const TreeFolder& a, const TreeFolder& b) {
        const int c = compareIgnoringCase(a.name.c_str(), b.name.c_str());
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return out;
}

ChildUpdate updateChildren(const std::vector<TreeFolder>& shown,
                           const std::vector<TreeFolder>& fresh) {
    // Shown children by name and state; two siblings may share a name with different states.
    std::multimap<std::pair<std::string, bool>, size_t> byKey;
    for (size_t k = 0; k < shown.size(); ++k) byKey.emplace(std::pair{shown[k].name, shown[k].hasSubfolders}, k);
    std::vector<bool> seen(shown.size(), false);
    ChildUpdate update;
    std::vector<bool> isNew(fresh.size(), false);
    for (size_t f = 0; f < fresh.size(); ++f) {
        auto it = byKey.find({fresh[f].name, fresh[f].hasSubfolders});
        if (it == byKey.end()) {
            isNew[f] = true;
            continue;
        }
        seen[it->second] = true;
        byKey.erase(it);
    }
    for (size_t k = shown.size(); k-- > 0;)
        if (!seen[k]) update.removed.push_back(k);
    // Kept children stay in their order; new ones go where the sorted listing puts them.
    for (size_t f = 0; f < fresh.size(); ++f)
        if (isNew[f]) update.added.emplace_back(f, fresh[f]);
    return update;
}

}  // namespace varnel
