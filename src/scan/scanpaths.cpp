#include "scan/scanpaths.h"

#include <algorithm>
#include <cstring>

#include "catalog/identity.h"
#include "catalog/tables.h"
#include "remote/ftpnames.h"

namespace varnel {

namespace {

bool isFtp(std::string_view text) {
    return startsWithIgnoringCase(text, "ftp:");
}

// Kernel views and other file systems whose entries are not files on a disk.
constexpr std::string_view kPseudoTypes[] = {
    "proc",       "sysfs",   "devtmpfs",  "devpts",      "cgroup",   "cgroup2",
    "securityfs", "debugfs", "tracefs",   "pstore",      "bpf",      "configfs",
    "fusectl",    "mqueue",  "hugetlbfs", "binfmt_misc", "efivarfs", "selinuxfs",
    "rpc_pipefs", "nsfs",    "autofs",    "ramfs",
};

bool isPseudoMount(const MountPoint& mount) {
    if (std::find(std::begin(kPseudoTypes), std::end(kPseudoTypes), mount.type) !=
        std::end(kPseudoTypes))
        return true;
    // Memory file systems of the running system; a tmpfs elsewhere (/tmp) holds user files.
    if (mount.type != "tmpfs") return false;
    for (std::string_view system : {"/run", "/dev", "/sys"}) {
        std::string_view path = mount.path;
        if (path.starts_with(system) &&
            (path.size() == system.size() || path[system.size()] == '/'))
            return true;
    }
    return false;
}

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The freedesktop trash: $XDG_DATA_HOME/Trash (~/.local/share/Trash) and, at the top of
// every other file system, .Trash/ and .Trash-UID/.
bool isTrashFolder(std::string_view folder) {
    if (folder.ends_with("/.local/share/Trash/")) return true;
    if (folder.size() < 2) return false;
    std::string_view inner = folder.substr(0, folder.size() - 1);
    const std::string_view last = inner.substr(inner.rfind('/') + 1);
    if (last == ".Trash") return true;
    return last.starts_with(".Trash-") && allDigits(last.substr(7));
}

}  // namespace

char folderSeparator(std::string_view folder) {
    return isFtp(folder) ? '\\' : '/';
}


// ---- FolderList -------------------------------------------------------------------------

FolderList FolderList::fromBytes(const char* bytes, size_t length, bool complete) {
    FolderList list;
    for (size_t at = 0; at < length;) {
        const size_t n = strnlen(bytes + at, length - at);
        if (n > 0) {
            std::string entry(bytes + at, n);
            const char separator = folderSeparator(entry);
            if (complete && entry.back() != separator) entry.push_back(separator);
            list.add(entry);
        }
        at += n + 1;
    }
    return list;
}

FolderList FolderList::fromText(std::string_view text, bool complete) {
    FolderList list;
    for (size_t start = 0; start <= text.size();) {
        size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) comma = text.size();
        std::string entry(text.substr(start, comma - start));
        start = comma + 1;
        if (entry.empty()) continue;
        // The address-bar spelling of an FTP folder becomes the catalog spelling.
        if (IsFtpUrl(entry)) SwapFtpSeparators(entry);
        const char separator = folderSeparator(entry);
        if (complete && entry.back() != separator) entry.push_back(separator);
        list.add(entry);
    }
    return list;
}

void FolderList::add(std::string_view folder) {
    if (folder.empty() || folder.find('\0') != std::string_view::npos) return;
    bytes_.append(folder);
    bytes_.push_back('\0');
    entries_.emplace_back(folder);
}

bool FolderList::holdsPrefixOf(std::string_view text) const {
    for (const std::string& entry : entries_)
        if (startsWithPath(text, entry)) return true;
    return false;
}

bool FolderList::holds(std::string_view folder) const {
    for (const std::string& entry : entries_)
        if (samePathText(folder, entry)) return true;
    return false;
}

// ---- FolderSet --------------------------------------------------------------------------

std::string FolderSet::key(std::string_view folder) {
    std::string k(folder);
    if (isFtp(folder))
        for (char& c : k) c = static_cast<char>(foldCase(static_cast<unsigned char>(c)));
    return k;
}

void FolderSet::add(std::string_view folder) {
    keys_.insert(key(folder));
}

bool FolderSet::holds(std::string_view folder) const {
    return !keys_.empty() && keys_.count(key(folder)) > 0;
}

bool FolderSet::holdsOrIsBelow(std::string_view folder) const {
    if (keys_.empty()) return false;
    const std::string k = key(folder);
    const char separator = folderSeparator(folder);
    std::string_view view = k;
    // Every folder above `folder` is one of its prefixes that ends with a separator.
    for (size_t end = view.find(separator); end != std::string_view::npos;
         end = view.find(separator, end + 1))
        if (keys_.count(std::string(view.substr(0, end + 1)))) return true;
    return keys_.count(k) > 0;
}

// ---- PassOverRules ----------------------------------------------------------------------

PassOverRules::PassOverRules(const std::vector<MountPoint>& mounts) {
    for (const MountPoint& mount : mounts) {
        if (!isPseudoMount(mount) || mount.path == "/") continue;
        std::string folder = mount.path;
        if (folder.back() != '/') folder.push_back('/');
        pseudoMounts_.insert(std::move(folder));
    }
}

PassOverRules PassOverRules::forThisSystem() {
    return PassOverRules(readMountTable());
}

bool PassOverRules::passOver(std::string_view subfolder) const {
    if (isFtp(subfolder)) return false;
    if (isTrashFolder(subfolder)) return true;
    return !pseudoMounts_.empty() && pseudoMounts_.count(std::string(subfolder)) > 0;
}

bool usableEntryName(std::string_view name, bool ftp) {
    if (name.empty() || name == "." || name == "..") return false;
    return !ftp || name.find_first_of("/\\") == std::string_view::npos;
}

}  // namespace varnel
