#include "platform/mappedfile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel {

namespace {

uint64_t nanoseconds(const timespec& t) {
    return static_cast<uint64_t>(t.tv_sec) * 1000000000u + static_cast<uint64_t>(t.tv_nsec);
}

std::shared_ptr<const MappedFile> fail(std::string* why, std::string text) {
    if (why) *why = std::move(text);
    return nullptr;
}

}  // namespace

MappedFile::~MappedFile() {
    ::munmap(const_cast<char*>(bytes.data()), bytes.size());
}

std::shared_ptr<const MappedFile> mapFile(const std::string& path, std::string* why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return fail(why, "cannot open " + path);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) {
        ::close(fd);
        return fail(why, path + " is empty or not a file");
    }
    void* map = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ,
                       MAP_PRIVATE | MAP_POPULATE, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) return fail(why, "cannot map " + path);
    auto file = std::make_shared<MappedFile>();
    file->bytes = std::string_view(static_cast<const char*>(map), static_cast<size_t>(st.st_size));
    file->identity = {static_cast<uint64_t>(st.st_size), nanoseconds(st.st_mtim),
                      nanoseconds(st.st_ctim), static_cast<uint64_t>(st.st_ino),
                      static_cast<uint64_t>(st.st_dev)};
    return file;
}

}  // namespace varnel
