#include "foldertree/selectpath.h"

#include "catalog/identity.h"

namespace varnel {

namespace {
std::string_view withoutSeparator(std::string_view p) {
    while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.remove_suffix(1);
    return p;
}
bool isSeparator(char c) {
    return c == '/' || c == '\\';
}
}  // namespace

bool isFolderPrefix(std::string_view path, std::string_view folder) {
    folder = withoutSeparator(folder);
    if (folder.empty() || !startsWithPath(path, folder)) return false;
    return path.size() == folder.size() || isSeparator(folder.back()) ||
           isSeparator(path[folder.size()]);
}

PathTarget resolvePath(const std::string& wanted,
                       const std::function<bool(const std::string&)>& isFolder) {
    PathTarget target;
    std::string path = wanted;
    if (!isFolder(path)) {
        target.notFound.push_back(wanted);
        for (;;) {
            const std::string_view trimmed = withoutSeparator(path);
            const size_t cut = trimmed.find_last_of('/');
            if (cut == std::string_view::npos || trimmed == "/") {
                target.notFound.push_back(path);
                return target;
            }
            path = std::string(trimmed.substr(0, cut + 1));  // keeps the separator
            if (isFolder(path)) break;
        }
    }
    if (path.empty() || path.back() != '/') path += '/';
    target.folder = path;
    return target;
}

int deepestRoot(const std::vector<std::string>& roots, const std::string& path) {
    int best = -1;
    for (size_t k = 0; k < roots.size(); ++k) {
        if (!isFolderPrefix(path, roots[k])) continue;
        if (best < 0 || withoutSeparator(roots[k]).size() > withoutSeparator(roots[best]).size())
            best = static_cast<int>(k);
    }
    return best;
}

std::vector<std::string> levelsBelow(const std::string& root, const std::string& path) {
    std::vector<std::string> levels;
    size_t at = withoutSeparator(root).size();
    while (at < path.size()) {
        while (at < path.size() && path[at] == '/') ++at;
        const size_t end = path.find('/', at);
        const std::string level = path.substr(at, end == std::string::npos ? end : end - at);
        if (!level.empty()) levels.push_back(level);
        if (end == std::string::npos) break;
        at = end;
    }
    return levels;
}

}  // namespace varnel
