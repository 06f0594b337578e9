#pragma once
// Reading a local folder the cheap way: one open per folder, getdents64 into a fixed
// buffer, and statx relative to the open folder, so a file costs one system call and no
// path look-up from the root.
//
// Only regular files count as files; a symbolic link counts as the file it points to when
// that target is a regular file. A link is never reported as a folder, so a walk built on
// this cannot loop or leave the tree through a link.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace varnel {

enum class EntryKind : uint8_t { File, Folder, Other };

struct FolderEntry {
    std::string_view name;  // NUL-terminated in the listing's buffer; valid until next()
    EntryKind kind = EntryKind::Other;
    uint64_t size = 0;           // files only
    uint64_t lastWriteTime = 0;  // files only; file time (100 ns since 1601, UTC)
};

class FolderListing {
  public:
    FolderListing();
    ~FolderListing();
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    // Opens the folder at `path` (a link as the last level is followed: the caller named
    // it). False, with error() set, when it cannot be listed.
    bool open(const char* path);
    // The next entry, "." and ".." left out. False at the end, or when reading failed, in
    // which case error() is not 0.
    bool next(FolderEntry& entry);
    void close();
    int error() const { return error_; }
    // Device and inode of the open folder, to notice a folder met twice (bind mounts).
    bool identity(uint64_t& device, uint64_t& inode) const;

  private:
    bool refill();

    int fd_ = -1;
    int error_ = 0;
    size_t filled_ = 0;
    size_t position_ = 0;
    std::unique_ptr<char[]> buffer_;
};

// Deletes `path` and everything below it without following links (a link is removed, not
// what it points to). Failures are ignored; returns whether `path` is gone afterwards.
bool removeTree(const char* path);

}  // namespace varnel
