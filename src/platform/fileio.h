#pragma once
// Wrappers around read(), pread() and write() that retry on short transfers and EINTR, so
// callers never need to loop themselves.
#include <cstddef>
#include <cstdint>

namespace varnel {

// Exactly `size` bytes, or false (end of file or an error).
bool readFully(int fd, void* into, size_t size);
bool preadFully(int fd, void* into, size_t size, uint64_t offset);
bool writeFully(int fd, const void* data, size_t size);

}  // namespace varnel
