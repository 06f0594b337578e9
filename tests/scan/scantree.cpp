#include "scantree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>
#include <stdexcept>

#include "platform/filetime.h"
#include "scan/scanpaths.h"

namespace varnel::test {

void makeFile(const std::string& path, uint64_t size, int64_t unixSeconds) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + path);
    const bool sized = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
    const timespec times[2] = {{unixSeconds, 0}, {unixSeconds, 0}};
    const bool timed = ::futimens(fd, times) == 0;
    ::close(fd);
    if (!sized || !timed) throw std::runtime_error("cannot size or date " + path);
}

void makeFolder(const std::string& path) {
    std::filesystem::create_directories(path);
}

uint64_t fileTimeOf(int64_t unixSeconds) {
    return fileTimeFromTimespec(timespec{unixSeconds, 0});
}

ScanSummary ScanFixture::scan(const std::string& roots, const std::string& exclusions,
                              Progress* progress) {
    const FolderList r = FolderList::fromText(roots, true);
    const FolderList x = FolderList::fromText(exclusions, false);
    return scanFolders(services, r.data(), r.length(), x.data(), x.length(), 0, progress);
}

}  // namespace varnel::test
