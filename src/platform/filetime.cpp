#include "platform/filetime.h"

#include <sys/stat.h>

namespace varnel {

uint64_t systemFileTime() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return fileTimeFromTimespec(ts);
}

uint64_t fileLastWriteTime(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return fileTimeFromTimespec(st.st_mtim);
}

}  // namespace varnel
