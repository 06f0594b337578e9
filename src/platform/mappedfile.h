#pragma once
// A regular file mapped read-only, opened without blocking (a FIFO is refused, not waited
// on), unmapped when the last holder lets go.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace varnel {

// What tells one file from another, or from itself before a save: a save renames a new file
// into place (another inode), and any write moves the change time, which no program can set.
struct FileIdentity {
    uint64_t size = 0, modified = 0, changed = 0, inode = 0, device = 0;  // times in ns
    bool operator==(const FileIdentity&) const = default;
};

struct MappedFile {
    std::string_view bytes;
    FileIdentity identity;
    ~MappedFile();
};

// Null, with the reason in `why`, for a missing, empty or non-regular file.
std::shared_ptr<const MappedFile> mapFile(const std::string& path, std::string* why = nullptr);

}  // namespace varnel
