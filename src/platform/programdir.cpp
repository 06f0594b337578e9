#include "platform/programdir.h"

#include "platform/paths.h"
#include "platform/mounttable.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace varnel {

namespace {

// File systems that hold no user files on a local disk: kernel views, memory file systems,
// container layers, network shares and optical media.
constexpr std::string_view kSkippedTypes[] = {
    "proc",      "sysfs",      "tmpfs",      "devtmpfs",  "devpts",      "cgroup", "cgroup2",
    "overlay",   "securityfs", "debugfs",    "tracefs",   "pstore",      "bpf",    "mqueue",
    "hugetlbfs", "fusectl",    "configfs",   "autofs",    "binfmt_misc", "nsfs",   "ramfs",
    "squashfs",  "efivarfs",   "rpc_pipefs", "selinuxfs", "rootfs",      "devfs",  "usbfs",
    "aufs",      "fuse",       "nfs",        "nfs4",      "nfsd",        "cifs",   "smb3",
    "smbfs",     "sshfs",      "9p",         "ceph",      "glusterfs",   "afs",    "davfs",
    "iso9660",   "udf",
};

bool isLocalDiskType(std::string_view type) {
    if (type.empty()) return false;
    if (type.starts_with("fuse.")) return false;  // sshfs, gvfs, rclone and friends
    return std::find(std::begin(kSkippedTypes), std::end(kSkippedTypes), type) ==
           std::end(kSkippedTypes);
}

bool isWritableFolder(const std::string& path) {
    return isFolder(path) && ::access(path.c_str(), W_OK) == 0;
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

}  // namespace

std::string chooseProgramDirectory(const std::string& exeFolder, const std::string& home) {
    if (!exeFolder.empty() && isWritableFolder(exeFolder)) return exeFolder;
    std::string own = home;
    while (own.size() > 1 && own.back() == '/') own.pop_back();
    own += "/.local/share/varnel";
    makeFolders(own);
    return own;
}

std::string programDirectory() {
    std::string exe(4096, '\0');
    ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size());
    std::string folder;
    if (n > 0 && static_cast<size_t>(n) < exe.size()) {
        exe.resize(static_cast<size_t>(n));
        size_t slash = exe.rfind('/');
        // A program in "/" itself leaves an empty folder, which falls back to the home one.
        if (slash != std::string::npos) folder = exe.substr(0, slash);
    }
    return chooseProgramDirectory(folder, homeFolder());
}

std::vector<std::string> parseLocalMounts(std::string_view mountsText) {
    std::vector<std::string> roots;
    for (MountPoint& mount : parseMountTable(mountsText)) {
        if (!isLocalDiskType(mount.type)) continue;
        if (std::find(roots.begin(), roots.end(), mount.path) == roots.end())
            roots.push_back(std::move(mount.path));
    }
    return roots;
}

std::vector<std::string> localFileSystemRoots() {
    std::ifstream in("/proc/self/mounts", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<std::string> roots;
    for (std::string& point : parseLocalMounts(text.str())) {
        struct stat st {};
        if (::stat(point.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            roots.push_back(std::move(point));
    }
    if (roots.empty()) roots.push_back("/");
    return roots;
}

}  // namespace varnel
