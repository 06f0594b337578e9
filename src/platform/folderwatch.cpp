#include "platform/folderwatch.h"

#include <sys/inotify.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace varnel {

namespace {

constexpr size_t kBufferSize = 64 * 1024;
// Entries appearing, disappearing or being renamed in the folder, and the folder itself
// going away. Writes, attribute changes and reads are not asked for.
constexpr uint32_t kNameChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                  IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

}  // namespace

FolderWatch::FolderWatch()
    : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), buffer_(new char[kBufferSize]) {}

FolderWatch::~FolderWatch() {
    if (fd_ >= 0) ::close(fd_);
}

int FolderWatch::add(const char* path, int* error) {
    int failure = EBADF;
    int watch = -1;
    if (watchLimit >= 0 && live_.size() >= static_cast<size_t>(watchLimit)) {
        failure = ENOSPC;
    } else if (fd_ >= 0) {
        watch = ::inotify_add_watch(fd_, path, kNameChanges);
        failure = errno;
    }
    if (watch >= 0) live_.insert(watch);
    if (error) *error = watch < 0 ? failure : 0;
    return watch;
}

void FolderWatch::remove(int watch) {
    if (fd_ >= 0 && live_.erase(watch) > 0) ::inotify_rm_watch(fd_, watch);
}

void FolderWatch::drain(const std::function<void(int watch)>& onChange) {
    if (fd_ < 0) return;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.get(), kBufferSize);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // EAGAIN: nothing more pending
        const size_t filled = static_cast<size_t>(n);
        for (size_t at = 0; at + sizeof(inotify_event) <= filled;) {
            inotify_event event;
            std::memcpy(&event, buffer_.get() + at, sizeof event);
            const size_t length = sizeof(inotify_event) + event.len;
            if (length > filled - at) break;  // a torn record: never read past the bytes read
            at += length;
            if (event.mask & IN_Q_OVERFLOW)
                onChange(kOverflow);
            else if (event.wd >= 0)
                onChange(event.wd);
        }
    }
}

}  // namespace varnel
