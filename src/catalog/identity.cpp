#include "catalog/identity.h"

#include <cstring>

#include "catalog/tables.h"

namespace varnel {

bool pathIgnoresCase(std::string_view path) {
    if (startsWithIgnoringCase(path, "ftp:")) return true;
    if (path.starts_with("\\\\")) return true;  // \\server\share\...
    return path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
           foldCase(static_cast<unsigned char>(path[0])) >= 'a' &&
           foldCase(static_cast<unsigned char>(path[0])) <= 'z';
}

bool samePathText(std::string_view a, std::string_view b, std::string_view ruleOf) {
    return pathIgnoresCase(ruleOf) ? equalIgnoringCase(a, b) : a == b;
}

bool startsWithPath(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && samePathText(text.substr(0, prefix.size()), prefix);
}

bool sameFileName(const char* folderA, const char* nameA, const char* folderB, const char* nameB) {
    if (pathIgnoresCase(folderA))
        return compareIgnoringCase(folderA, folderB) == 0 && compareIgnoringCase(nameA, nameB) == 0;
    return std::strcmp(folderA, folderB) == 0 && std::strcmp(nameA, nameB) == 0;
}

}  // namespace varnel
