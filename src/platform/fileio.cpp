#include "platform/fileio.h"

#include <unistd.h>
#include <cerrno>

namespace varnel {

bool readFully(int fd, void* into, size_t size) {
    char* out = static_cast<char*>(into);
    while (size > 0) {
        ssize_t n = ::read(fd, out, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        out += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool preadFully(int fd, void* into, size_t size, uint64_t offset) {
    char* out = static_cast<char*>(into);
    while (size > 0) {
        ssize_t n = ::pread(fd, out, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        out += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

bool writeFully(int fd, const void* data, size_t size) {
    const char* in = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, in, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        in += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace varnel
