#pragma once
// The walk of SelectPath, without the tree: which folder a wanted path ends at, which
// top-level item it starts from, and the names to open on the way.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

// `folder` names `path` or one of its ancestors: a prefix that ends at a separator, compared
// by the path's identity rule (byte for byte for local paths). "/home/ann/Mus" is no prefix
// of "/home/ann/Music/".
bool isFolderPrefix(std::string_view path, std::string_view folder);

struct PathTarget {
    // The paths to name in "Folder not found", in order: the wanted one when it is missing,
    // and what is left when no existing ancestor was found.
    std::vector<std::string> notFound;
    std::string folder;  // the folder to select, ending with "/"; "" when there is none
};
// The wanted path, or its nearest existing ancestor, cut back one whole level at a time.
PathTarget resolvePath(const std::string& wanted,
                       const std::function<bool(const std::string&)>& isFolder);

// Index of the deepest of `roots` that is a folder prefix of `path`; -1 when none is.
int deepestRoot(const std::vector<std::string>& roots, const std::string& path);

// The names of the levels of `path` below `root` (both end with "/").
std::vector<std::string> levelsBelow(const std::string& root, const std::string& path);

}  // namespace varnel
