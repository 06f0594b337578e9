#pragma once
// The mount table (/proc/self/mounts) as mount points with their file-system types.
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

struct MountPoint {
    std::string path;  // octal escapes (\040 for a blank) decoded
    std::string type;  // "ext4", "proc", "tmpfs", ...
};

// The entries of a mounts text, in file order. Lines with fewer than three fields, or a
// mount point that is not absolute, are left out.
std::vector<MountPoint> parseMountTable(std::string_view text);

// This process's mount table; empty when it cannot be read.
std::vector<MountPoint> readMountTable();

}  // namespace varnel
