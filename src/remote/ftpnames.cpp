#include "remote/ftpnames.h"

#include <cstring>

#include "catalog/tables.h"

namespace varnel {

namespace {
bool endsWith(const char* text, char c) {
    size_t length = std::strlen(text);
    return length > 0 && text[length - 1] == c;
}
}  // namespace

bool IsFtpFolderName(const char* name) {
    if (!startsWithIgnoringCase(name, "ftp:\\\\")) return false;
    return std::strchr(name + 6, '\\') == nullptr || endsWith(name, '\\');
}

bool IsRemoteFolderName(const char* name) {
    if (IsFtpFolderName(name)) return true;
    return std::strncmp(name, "\\\\", 2) == 0 && endsWith(name, '\\') && std::strlen(name) > 2;
}

bool IsFolderName(const char* name) {
    if (IsRemoteFolderName(name)) return true;
    const bool drive =
        ((name[0] | 0x20) >= 'a' && (name[0] | 0x20) <= 'z') && name[1] == ':' && name[2] == '\\';
    if (drive && endsWith(name, '\\') && std::strlen(name) > 2) return true;
    return name[0] == '/' && endsWith(name, '/');
}

bool IsFtpName(const char* name) {
    return startsWithIgnoringCase(name, "ftp:");
}

bool IsFtpUrl(std::string_view text) {
    return startsWithIgnoringCase(text, "ftp://");
}

void SwapFtpSeparators(char* name) {
    if (!IsFtpName(name)) return;
    for (char* p = name; *p; ++p) {
        if (*p == '\\')
            *p = '/';
        else if (*p == '/')
            *p = '\\';
    }
}

void SwapFtpSeparators(std::string& name) {
    SwapFtpSeparators(name.data());
}

bool FtpHostFromUrl(const char* url, std::string& host) {
    const char* rest = std::strlen(url) > 6 ? url + 6 : url + std::strlen(url);
    const char* slash = std::strchr(rest, '/');
    const char* end = slash ? slash : url + std::strlen(url);
    // "ftp://" itself must hold a "/" before the host.
    if (std::memchr(url, '/', static_cast<size_t>(rest - url)) == nullptr) return false;
    host.assign(rest, end);
    return true;
}

}  // namespace varnel
