#include "platform/trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/fileio.h"
#include "platform/paths.h"

namespace varnel {

namespace {

// The path as a .trashinfo holds it: bytes outside the unreserved set percent-escaped.
std::string escapedPath(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || std::strchr("/-_.~!$&'()*+,;=:@", c);
        if (plain && c != 0) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

std::string localTime() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
    return text;
}

dev_t deviceOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_dev : dev_t(-1);
}

// The top of the file system holding `path`: the last folder upward on the same device.
std::string topOf(const std::string& path) {
    const dev_t device = deviceOf(path);
    std::string top = path.substr(0, path.rfind('/'));
    while (!top.empty()) {
        const std::string up = top.substr(0, top.rfind('/'));
        if (deviceOf(up.empty() ? "/" : up) != device) break;
        top = up;
    }
    return top.empty() ? "/" : top;
}

bool makePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    // Someone else's folder, or a link planted there, is no trash of ours.
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

// Moves `path` into `trash` (files/ and info/ made as needed); `shownPath` is what the
// info file records.
TrashOutcome moveInto(const std::string& trash, const std::string& path,
                      const std::string& shownPath, std::string& why) {
    if (!makeFolders(trash) || !makePrivateFolder(trash + "/files") ||
        !makePrivateFolder(trash + "/info")) {
        why = "cannot use the trash folder " + trash;
        return TrashOutcome::NoTrash;
    }
    const std::string name = path.substr(path.rfind('/') + 1);
    const std::string info = "[Trash Info]\nPath=" + escapedPath(shownPath) +
                             "\nDeletionDate=" + localTime() + "\n";
    for (int n = 1; n < 10000; ++n) {
        const std::string entry = n == 1 ? name : name + "." + std::to_string(n);
        const std::string infoPath = trash + "/info/" + entry + ".trashinfo";
        // The info file reserves the name: made first, with O_EXCL.
        const int fd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            why = std::string("cannot write in the trash: ") + std::strerror(errno);
            return TrashOutcome::NoTrash;
        }
        const bool written = writeFully(fd, info.data(), info.size());
        ::close(fd);
        if (written && ::rename(path.c_str(), (trash + "/files/" + entry).c_str()) == 0)
            return TrashOutcome::Trashed;
        const int error = written ? errno : EIO;
        ::unlink(infoPath.c_str());
        why = std::strerror(error);
        return error == EXDEV ? TrashOutcome::NoTrash : TrashOutcome::Failed;
    }
    why = "the trash holds too many files named " + name;
    return TrashOutcome::NoTrash;
}

}  // namespace

std::string homeTrashFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return std::string(data) + "/Trash";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share/Trash";
}

TrashOutcome moveToTrash(const std::string& path, std::string& why) {
    why.clear();
    struct stat st {};
    if (path.empty() || path[0] != '/' || ::lstat(path.c_str(), &st) != 0) {
        why = std::strerror(errno ? errno : ENOENT);
        return TrashOutcome::Failed;
    }
    const std::string home = homeTrashFolder();
    makeFolders(home);
    if (deviceOf(home) == st.st_dev) return moveInto(home, path, path, why);
    // Another file system: its own trash at its top, recording the path below the top.
    const std::string top = topOf(path);
    const std::string trash = (top == "/" ? "" : top) + "/.Trash-" + std::to_string(::getuid());
    return moveInto(trash, path, path.substr(top == "/" ? 1 : top.size() + 1), why);
}

}  // namespace varnel
