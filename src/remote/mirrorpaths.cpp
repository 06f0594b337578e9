#include "remote/mirrorpaths.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstring>

#include "catalog/tables.h"
#include "platform/paths.h"
#include "remote/ftpnames.h"

namespace varnel {

namespace {

constexpr size_t kHandledListSize = 4096;
constexpr size_t kHandledListLimit = 2048;

// The name with the trailing "\" a folder name carries.
std::string asFolderName(std::string_view ftpName) {
    std::string name(ftpName);
    if (name.empty() || name.back() != '\\') name.push_back('\\');
    return name;
}

// Walks `path` (which ends with "/") from the separator after the program directory, making
// each folder; `level` is told the index of every separator below the mirror root.
template <class OnLevel>
bool makeAlong(const std::string& programDir, std::string& path, OnLevel&& level) {
    const size_t mirrorRootEnd = programDir.size() + 4;  // "/Ftp"
    for (size_t at = programDir.size() + 1; at < path.size(); ++at) {
        if (path[at] != '/') continue;
        path[at] = '\0';
        const std::string folder(path.c_str());
        path[at] = '/';
        if (::mkdir(folder.c_str(), 0755) != 0 && !(errno == EEXIST && isFolder(folder)))
            return false;
        if (at > mirrorRootEnd) level(at);
    }
    return true;
}

}  // namespace

bool MirrorPathOf(const std::string& programDir, std::string_view ftpName, std::string& path) {
    path.clear();
    if (ftpName.size() <= kFtpPrefixLength || ftpName.size() >= kTextSize ||
        !startsWithIgnoringCase(ftpName, "ftp:\\\\"))
        return false;
    std::string_view rest = ftpName.substr(kFtpPrefixLength);
    if (rest.find('/') != std::string_view::npos) return false;
    // Every level, the host first, must be a plain name.
    std::string_view walk = rest;
    while (!walk.empty()) {
        size_t end = walk.find('\\');
        std::string_view level = walk.substr(0, end);
        if (level.empty() || level == "." || level == "..") return false;
        if (end == std::string_view::npos) break;
        walk.remove_prefix(end + 1);
    }
    path = programDir + "/Ftp/";
    for (char c : rest) path.push_back(c == '\\' ? '/' : c);
    return true;
}

bool MakeMirrorFolders(const std::string& programDir, std::string_view ftpName, std::string& path) {
    if (!MirrorPathOf(programDir, ftpName, path)) return false;
    if (path.back() != '/') path.push_back('/');
    return makeAlong(programDir, path, [](size_t) {});
}

bool MakeMirrorFoldersAndRegister(const std::string& programDir, Catalog& catalog,
                                  std::string_view ftpName, std::string& path) {
    if (!MirrorPathOf(programDir, ftpName, path)) return false;
    if (path.back() != '/') path.push_back('/');
    const std::string name = asFolderName(ftpName);
    // Mirror path and FTP name run in step after "<programDir>/Ftp" and "ftp:\".
    const size_t shift = programDir.size() + 4 - (kFtpPrefixLength - 1);
    return makeAlong(programDir, path, [&](size_t at) {
        MakeChildMirrorFolders(programDir, catalog,
                               std::string_view(name).substr(0, at - shift + 1));
    });
}

bool MakeChildMirrorFolders(const std::string& programDir, Catalog& catalog,
                            std::string_view prefix) {
    if (prefix.size() <= kFtpPrefixLength) return false;
    catalog.flushPendingStrings();
    const StringPool& pool = catalog.folderPool();
    char handled[kHandledListSize];
    size_t handledUsed = 0;
    bool matched = false;
    std::string ignored;
    for (uint32_t at = 0; at < pool.used;) {
        const std::string_view folder(pool.at(at));
        at += static_cast<uint32_t>(folder.size() + 1);
        if (folder.size() <= prefix.size() || !startsWithIgnoringCase(folder, prefix)) continue;
        matched = true;
        const size_t cut = folder.find('\\', prefix.size());
        const std::string_view child =
            cut == std::string_view::npos ? folder : folder.substr(0, cut + 1);
        bool seen = false;
        for (size_t i = 0; i < handledUsed && !seen;) {
            std::string_view entry(handled + i);
            seen = equalIgnoringCase(entry, child);
            i += entry.size() + 1;
        }
        if (seen) continue;
        if (handledUsed < kHandledListLimit) {
            std::memcpy(handled + handledUsed, child.data(), child.size());
            handled[handledUsed + child.size()] = '\0';
            handledUsed += child.size() + 1;
        }
        MakeMirrorFolders(programDir, child, ignored);
    }
    return matched;
}

std::string MirrorPathToFtpName(const std::string& programDir, std::string_view path,
                                bool asSelection) {
    // Only what lies below <programDir>/Ftp/ is a mirror folder; a folder named Ftp anywhere
    // else is a local folder.
    const std::string_view dir(programDir);
    if (path.size() <= dir.size() + 5 || path.substr(0, dir.size()) != dir ||
        !startsWithIgnoringCase(path.substr(dir.size()), "/Ftp/"))
        return std::string(path);
    std::string name = "ftp:\\\\";
    for (char c : path.substr(dir.size() + 5)) name.push_back(c == '/' ? '\\' : c);
    if (asSelection && name.back() != '\\') name.push_back('\\');
    return name;
}

}  // namespace varnel
