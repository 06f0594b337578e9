#include "fileops/partfile.h"

#include <fcntl.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/fileio.h"

namespace varnel {

namespace {
constexpr size_t kBuffer = 64 * 1024;
// Room for the dot, the suffix and the number within a 255-byte file name.
constexpr size_t kLongestKeptName = 200;

// A name no other part file of this process has; O_EXCL settles the rest.
std::string freshSuffix() {
    static std::atomic<uint64_t> counter{0};
    return ".part-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}
}  // namespace

PartFile::PartFile(std::string target) : target_(std::move(target)) {
    const size_t slash = target_.rfind('/');
    const std::string folder = target_.substr(0, slash + 1);
    const std::string name = target_.substr(slash + 1);
    const std::string stem =
        folder + "." + (name.size() <= kLongestKeptName ? name : std::string("download"));
    // 0666 lets the umask decide, as for any new file.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        part_ = stem + freshSuffix();
        fd_ = ::open(part_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            part_.clear();
            fail("cannot create a file in the folder of");
            return;
        }
    }
    if (fd_ < 0 && error_.empty()) fail("cannot find a free temporary name beside");
}

PartFile::~PartFile() {
    discard();
}

bool PartFile::fail(const char* what) {
    if (error_.empty()) error_ = std::string(what) + " " + target_ + ": " + std::strerror(errno);
    return false;
}

bool PartFile::flush() {
    if (buffer_.empty()) return true;
    const bool written = writeFully(fd_, buffer_.data(), buffer_.size());
    buffer_.clear();
    return written || fail("cannot write");
}

bool PartFile::write(const char* data, size_t size) {
    if (!ok()) return false;
    if (buffer_.size() + size > kBuffer && !flush()) return false;
    if (size >= kBuffer) return writeFully(fd_, data, size) || fail("cannot write");
    if (buffer_.capacity() == 0) buffer_.reserve(kBuffer);
    buffer_.append(data, size);
    return true;
}

int PartFile::descriptor() {
    return ok() && flush() ? fd_ : -1;
}

bool PartFile::commit() {
    if (!ok() || !flush()) {
        discard();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        fail("cannot write");
        discard();
        return false;
    }
    if (::rename(part_.c_str(), target_.c_str()) != 0) {
        fail("cannot replace");
        discard();
        return false;
    }
    part_.clear();
    return true;
}

void PartFile::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!part_.empty()) {
        ::unlink(part_.c_str());
        part_.clear();
    }
}

}  // namespace varnel
