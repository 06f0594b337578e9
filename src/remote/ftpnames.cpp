#include "remote/ftpnames.h"

#include <cstring>
#include <vector>

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

namespace {

std::string percentDecoded(std::string_view text) {
    auto hex = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 &&
            hex(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace

bool TakeFtpUrlLogin(std::string& url, std::string& user, std::string& password) {
    constexpr size_t kSchemeLength = 6;  // "ftp://"
    if (url.size() < kSchemeLength || !IsFtpUrl(url)) return false;
    const size_t hostEnd = url.find('/', kSchemeLength);
    const size_t at = url.rfind('@', hostEnd);
    if (at == std::string::npos || at < kSchemeLength) return false;
    const std::string_view login(url.data() + kSchemeLength, at - kSchemeLength);
    const size_t colon = login.find(':');
    user = percentDecoded(login.substr(0, colon));
    password = colon == std::string_view::npos ? "" : percentDecoded(login.substr(colon + 1));
    url.erase(kSchemeLength, at + 1 - kSchemeLength);
    return true;
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

namespace {
// The levels of a server path, "." and ".." taken as the server takes them, on top of `levels`.
void addLevels(std::vector<std::string_view>& levels, std::string_view path) {
    while (!path.empty()) {
        const size_t slash = path.find('/');
        const std::string_view level = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (level.empty() || level == ".") continue;
        if (level == "..") {
            if (!levels.empty()) levels.pop_back();
        } else {
            levels.push_back(level);
        }
    }
}
}  // namespace

bool FtpLinkLeadsUp(std::string_view folder, std::string_view target) {
    if (target.empty()) return false;
    std::vector<std::string_view> here, there;
    addLevels(here, folder);
    if (target.front() != '/') there = here;
    addLevels(there, target);
    if (there.size() > here.size()) return false;
    for (size_t i = 0; i < there.size(); ++i)
        if (!equalIgnoringCase(there[i], here[i])) return false;
    return true;
}

}  // namespace varnel
