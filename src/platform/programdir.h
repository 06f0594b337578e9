#pragma once
// Where the program keeps its own files, and which local file systems it offers to scan.
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

// The folder of the running executable, without a trailing '/'. When that folder is not
// writable (a system-wide install), the per-user $HOME/.local/share/varnel, created on demand.
std::string programDirectory();

// The pure choice behind programDirectory(): `exeFolder` when it is writable, else the
// per-user folder under `home` (created; its path is returned even when creating failed,
// so later writes fail with a message that names it).
std::string chooseProgramDirectory(const std::string& exeFolder, const std::string& home);

// Mount points of local disk file systems in a /proc/self/mounts text, in file order, each
// once, with the octal escapes (\040 for a blank) decoded. Pseudo, memory, network, FUSE
// and optical file systems are left out; fuseblk (NTFS through ntfs-3g) is kept.
std::vector<std::string> parseLocalMounts(std::string_view mountsText);

// parseLocalMounts() over this process's mount table, keeping only mount points that are
// folders (containers bind-mount single files such as /etc/hosts). Falls back to "/" when
// nothing is left, as in a container whose root is an overlay.
std::vector<std::string> localFileSystemRoots();

}  // namespace varnel
