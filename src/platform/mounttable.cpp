#include "platform/mounttable.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

namespace varnel {

namespace {

// Mount tables of a few thousand entries are a few hundred KB; nothing sane is larger.
constexpr size_t kMaxTableSize = 16 << 20;

bool isOctal(char c) {
    return c >= '0' && c <= '7';
}

// The kernel writes blank, tab, newline and backslash in mount points as \ooo.
std::string decodeField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) &&
            isOctal(field[i + 2]) && isOctal(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value > 0 && value < 256) {
                out.push_back(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

// The next field of `line` from `pos`, split at blanks and tabs.
std::string_view nextField(std::string_view line, size_t& pos) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    const size_t start = pos;
    while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') ++pos;
    return line.substr(start, pos - start);
}

}  // namespace

std::vector<MountPoint> parseMountTable(std::string_view text) {
    std::vector<MountPoint> mounts;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        size_t pos = 0;
        nextField(line, pos);  // the device
        const std::string_view point = nextField(line, pos);
        const std::string_view type = nextField(line, pos);
        if (type.empty() || point.empty() || point.front() != '/') continue;
        mounts.push_back({decodeField(point), std::string(type)});
    }
    return mounts;
}

std::vector<MountPoint> readMountTable() {
    std::string text;
    const int fd = ::open("/proc/self/mounts", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || text.size() + static_cast<size_t>(n) > kMaxTableSize) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return parseMountTable(text);
}

}  // namespace varnel
