#include "fileops/partfile.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <random>

namespace varnel {

namespace {
constexpr size_t kBuffer = 64 * 1024;
// Room for the dot, the suffix and the random part within a 255-byte file name.
constexpr size_t kLongestKeptName = 200;
}  // namespace

PartFile::PartFile(std::string target) : target_(std::move(target)) {
    const size_t slash = target_.rfind('/');
    const std::string folder = target_.substr(0, slash + 1);
    const std::string name = target_.substr(slash + 1);
    const std::string stem =
        folder + "." + (name.size() <= kLongestKeptName ? name : std::string("download"));
    std::random_device random;
    // O_EXCL with a fresh name each try; 0666 lets the umask decide, as for any new file.
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        part_ = stem + ".part-" + std::to_string(random() % 1000000);
        const int fd = ::open(part_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            part_.clear();
            fail("cannot create a file in the folder of");
            return;
        }
        file_ = ::fdopen(fd, "wb");
        if (!file_) {
            ::close(fd);
            fail("cannot write");
            return;
        }
        std::setvbuf(file_, nullptr, _IOFBF, kBuffer);
    }
    if (!file_ && error_.empty()) fail("cannot find a free temporary name beside");
}

PartFile::~PartFile() {
    discard();
}

bool PartFile::fail(const char* what) {
    if (error_.empty()) error_ = std::string(what) + " " + target_ + ": " + std::strerror(errno);
    return false;
}

bool PartFile::write(const char* data, size_t size) {
    if (!ok()) return false;
    return std::fwrite(data, 1, size, file_) == size || fail("cannot write");
}

int PartFile::descriptor() {
    if (!ok()) return -1;
    if (std::fflush(file_) != 0) {
        fail("cannot write");
        return -1;
    }
    return ::fileno(file_);
}

bool PartFile::commit() {
    if (!ok()) return false;
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) {
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
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!part_.empty()) {
        ::unlink(part_.c_str());
        part_.clear();
    }
}

}  // namespace varnel
