#include "view/pagetitle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "catalog/tables.h"

namespace varnel {

namespace {

// The first "<" at or after `from` at which `tag` begins, ignoring case.
size_t findTag(std::string_view text, std::string_view tag, size_t from) {
    for (size_t at = text.find('<', from); at != std::string_view::npos;
         at = text.find('<', at + 1))
        if (startsWithIgnoringCase(text.substr(at), tag)) return at;
    return std::string_view::npos;
}

}  // namespace

std::string PageTitleOf(std::string_view head) {
    head = head.substr(0, kPageTitleScanBytes);
    // The head is a C text: a NUL byte ends it.
    head = head.substr(0, head.find('\0'));
    const size_t open = findTag(head, "<title>", 0);
    if (open == std::string_view::npos) return {};
    const size_t close = findTag(head, "</title>", open + 1);
    if (close == std::string_view::npos) return {};

    std::string title(head.substr(open, close - open));
    for (size_t lt = title.find('<'); lt != std::string::npos; lt = title.find('<', lt)) {
        const size_t gt = title.find('>', lt);
        if (gt == std::string::npos) {
            title.resize(lt);
            break;
        }
        title.erase(lt, gt - lt + 1);
    }
    if (title.size() >= kPageTitleLimit) return {};
    return title;
}

std::string ReadPageTitle(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    std::string head;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        head.resize(kPageTitleScanBytes);
        size_t got = 0;
        while (got < head.size()) {
            const ssize_t n = ::read(fd, head.data() + got, head.size() - got);
            if (n > 0) {
                got += static_cast<size_t>(n);
            } else if (n == 0 || errno != EINTR) {
                break;
            }
        }
        head.resize(got);
    }
    ::close(fd);
    return PageTitleOf(head);
}

}  // namespace varnel
