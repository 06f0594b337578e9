#include "platform/folderlisting.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "platform/filetime.h"

namespace varnel {

namespace {

constexpr size_t kBufferSize = 64 * 1024;
// A getdents64 record: u64 inode, s64 offset, u16 record length, u8 type, then the name.
constexpr size_t kReclenOffset = 16;
constexpr size_t kTypeOffset = 18;
constexpr size_t kNameOffset = 19;

constexpr unsigned kStatMask = STATX_TYPE | STATX_SIZE | STATX_MTIME;
// Never trigger an automount just by looking, and never wait for a network file system to
// confirm what it has cached.
constexpr int kStatFlags = AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC;

bool statEntry(int dirfd, const char* name, bool follow, struct statx& st) {
    const int flags = kStatFlags | (follow ? 0 : AT_SYMLINK_NOFOLLOW);
    return ::statx(dirfd, name, flags, kStatMask, &st) == 0;
}

void fillFile(const struct statx& st, FolderEntry& entry) {
    entry.kind = EntryKind::File;
    entry.size = st.stx_size;
    timespec ts{};
    ts.tv_sec = st.stx_mtime.tv_sec;
    ts.tv_nsec = st.stx_mtime.tv_nsec;
    entry.lastWriteTime = fileTimeFromTimespec(ts);
}

// The kind of a link's target: a file only when the target is a regular file.
void classifyLink(int dirfd, const char* name, FolderEntry& entry) {
    struct statx st {};
    if (statEntry(dirfd, name, true, st) && S_ISREG(st.stx_mode)) fillFile(st, entry);
}

void classify(int dirfd, const char* name, unsigned char type, FolderEntry& entry) {
    entry.kind = EntryKind::Other;
    struct statx st {};
    switch (type) {
        case DT_DIR:
            entry.kind = EntryKind::Folder;
            return;
        case DT_LNK:
            classifyLink(dirfd, name, entry);
            return;
        case DT_REG:
        case DT_UNKNOWN:
            break;
        default:
            return;  // devices, pipes, sockets
    }
    if (!statEntry(dirfd, name, false, st)) return;  // vanished meanwhile
    if (S_ISREG(st.stx_mode))
        fillFile(st, entry);
    else if (S_ISDIR(st.stx_mode))
        entry.kind = EntryKind::Folder;
    else if (S_ISLNK(st.stx_mode))
        classifyLink(dirfd, name, entry);
}

bool removeTreeAt(int dirfd, const char* name) {
    if (::unlinkat(dirfd, name, 0) == 0) return true;
    if (errno != EISDIR && errno != EPERM) return errno == ENOENT;
    int fd = ::openat(dirfd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    while (const dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        removeTreeAt(::dirfd(dir), e->d_name);
    }
    ::closedir(dir);
    return ::unlinkat(dirfd, name, AT_REMOVEDIR) == 0 || errno == ENOENT;
}

}  // namespace

FolderListing::FolderListing() : buffer_(new char[kBufferSize]) {}

FolderListing::~FolderListing() {
    close();
}

bool FolderListing::open(const char* path) {
    close();
    error_ = 0;
    fd_ = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        error_ = errno;
        return false;
    }
    return true;
}

void FolderListing::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    filled_ = position_ = 0;
}

bool FolderListing::identity(uint64_t& device, uint64_t& inode) const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return false;
    device = st.st_dev;
    inode = st.st_ino;
    return true;
}

bool FolderListing::refill() {
    ssize_t n;
    do {
        n = ::getdents64(fd_, buffer_.get(), kBufferSize);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        error_ = errno;
        return false;
    }
    filled_ = static_cast<size_t>(n);
    position_ = 0;
    return n > 0;
}

bool FolderListing::next(FolderEntry& entry) {
    if (fd_ < 0) return false;
    for (;;) {
        if (position_ >= filled_ && !refill()) return false;
        const char* record = buffer_.get() + position_;
        const size_t left = filled_ - position_;
        uint16_t length = 0;
        if (left > kNameOffset) std::memcpy(&length, record + kReclenOffset, sizeof length);
        // A record must hold its header and a terminated name within what was read.
        const void* nul = length > kNameOffset && length <= left
                              ? std::memchr(record + kNameOffset, 0, length - kNameOffset)
                              : nullptr;
        if (!nul) {
            error_ = EIO;
            return false;
        }
        position_ += length;
        const char* name = record + kNameOffset;
        const size_t nameLength = static_cast<size_t>(static_cast<const char*>(nul) - name);
        if (nameLength == 0 || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        entry.name = std::string_view(name, nameLength);
        entry.size = 0;
        entry.lastWriteTime = 0;
        classify(fd_, name, static_cast<unsigned char>(record[kTypeOffset]), entry);
        return true;
    }
}

bool removeTree(const char* path) {
    return removeTreeAt(AT_FDCWD, path);
}

}  // namespace varnel
