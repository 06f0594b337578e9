#include "catalog/bytestream.h"

#include "platform/fileio.h"

#include <unistd.h>
#include <algorithm>
#include <cerrno>

namespace varnel {

bool FileSource::fill() {
    size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof buffer_, left_));
    begin_ = 0;
    end_ = 0;
    if (want == 0) return false;
    ssize_t n;
    do n = ::read(fd_, buffer_, want);
    while (n < 0 && errno == EINTR);
    if (n <= 0) return false;
    end_ = static_cast<size_t>(n);
    return true;
}

bool FileSource::read(void* into, size_t size) {
    char* out = static_cast<char*>(into);
    if (size > left_) return false;
    size_t buffered = end_ - begin_;
    size_t take = std::min(buffered, size);
    std::memcpy(out, buffer_ + begin_, take);
    begin_ += take;
    out += take;
    size -= take;
    left_ -= take;
    if (size == 0) return true;
    // The buffer is empty now.
    if (size >= sizeof buffer_) {
        if (!readFully(fd_, out, size)) return false;
        left_ -= size;
        return true;
    }
    while (size > 0) {
        if (!fill()) return false;
        take = std::min(end_ - begin_, size);
        std::memcpy(out, buffer_ + begin_, take);
        begin_ += take;
        out += take;
        size -= take;
        left_ -= take;
    }
    return true;
}

}  // namespace varnel
