#include "platform/atomicfile.h"

#include "platform/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace varnel {

namespace {
constexpr size_t kBufferSize = 1 << 16;

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Copies a whole file into an atomically written one (for file systems without hard links).
bool copyFileAtomically(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    AtomicFile out(to);
    char chunk[1 << 16];
    ssize_t n;
    while ((n = ::read(in, chunk, sizeof chunk)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || !out.write(chunk, static_cast<size_t>(n))) break;
    }
    ::close(in);
    return n == 0 && out.commit();
}

// Makes `backup` a second name of the file at `target` (a copy where links are refused),
// replacing an older backup in one step. A missing target needs no backup.
bool keepAsBackup(const std::string& target, const std::string& backup) {
    if (::access(target.c_str(), F_OK) != 0) return errno == ENOENT;
    std::string linkPath = backup + ".link-XXXXXX";
    const int fd = ::mkstemp(linkPath.data());  // reserves a free name
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(linkPath.c_str());
    if (::link(target.c_str(), linkPath.c_str()) == 0) {
        if (::rename(linkPath.c_str(), backup.c_str()) == 0) return true;
        ::unlink(linkPath.c_str());
        return false;
    }
    return copyFileAtomically(target, backup);
}
}  // namespace

AtomicFile::AtomicFile(std::string target, unsigned mode) : target_(std::move(target)) {
    temp_ = target_ + ".tmp-XXXXXX";
    fd_ = ::mkstemp(temp_.data());
    if (fd_ < 0) {
        temp_.clear();
        fail("cannot create a temporary file");
        return;
    }
    ::fchmod(fd_, mode);
    buffer_.reserve(kBufferSize);
}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::fail(const char* what) {
    if (error_.empty()) {
        int err = errno;
        error_ = std::string(what) + " for " + target_ + ": " + std::strerror(err);
    }
    return false;
}

bool AtomicFile::flushBuffer() {
    if (!ok()) return false;
    if (!writeFully(fd_, buffer_.data(), buffer_.size())) return fail("cannot write");
    buffer_.clear();
    return true;
}

bool AtomicFile::write(const void* data, size_t size) {
    if (!ok()) return false;
    offset_ += size;
    if (buffer_.size() + size <= kBufferSize) {
        buffer_.append(static_cast<const char*>(data), size);
        return true;
    }
    if (!flushBuffer()) return false;
    if (size <= kBufferSize) {
        buffer_.append(static_cast<const char*>(data), size);
        return true;
    }
    return writeFully(fd_, data, size) || fail("cannot write");
}

bool AtomicFile::commit(const std::string& backupPath) {
    if (!flushBuffer()) return false;
    if (::fsync(fd_) != 0) return fail("cannot flush");
    if (::close(fd_) != 0) {
        fd_ = -1;
        return fail("cannot close");
    }
    fd_ = -1;
    // The previous file becomes the backup while it still stands under its own name, so
    // that at every moment of the save one good copy is there under the target's name.
    if (!backupPath.empty() && !keepAsBackup(target_, backupPath)) {
        fail("cannot keep the backup");
        ::unlink(temp_.c_str());
        temp_.clear();
        return false;
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        fail("cannot replace");
        ::unlink(temp_.c_str());
        temp_.clear();
        return false;
    }
    temp_.clear();
    // Make the rename itself durable.
    int dir = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void AtomicFile::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

std::string writeFileAtomically(const std::string& path, std::string_view bytes, unsigned mode) {
    AtomicFile file(path, mode);
    file.write(bytes);
    if (!file.commit()) return file.error().empty() ? "cannot write " + path : file.error();
    return {};
}

}  // namespace varnel
