#pragma once
// Whether two catalog paths name the same file. Linux file names are case-sensitive, so a
// local path is compared byte for byte; FTP sites and the paths of catalogs made on
// case-blind systems (C:\..., \\server\...) are compared ignoring ASCII letter case, as
// those systems do. Searching is another matter: it always ignores case.
#include <string_view>

namespace varnel {

// The rule a path gets: true for FTP names and Windows-style paths.
bool pathIgnoresCase(std::string_view path);
// Whole paths (or names within folders that follow `ruleOf`'s rule) compared by that rule.
bool samePathText(std::string_view a, std::string_view b, std::string_view ruleOf);
inline bool samePathText(std::string_view a, std::string_view b) {
    return samePathText(a, b, a);
}
// `text` begins with `prefix`, by the rule of `prefix`.
bool startsWithPath(std::string_view text, std::string_view prefix);
// The same folder path and name: the file identity of a catalog record.
bool sameFileName(const char* folderA, const char* nameA, const char* folderB, const char* nameB);

}  // namespace varnel
