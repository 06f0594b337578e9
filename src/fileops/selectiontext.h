#pragma once
// The selection as text for the desktop: Copy url's clipboard text, and the local files
// the file menu acts on.
#include <string>
#include <vector>

namespace varnel {

class Catalog;

// The selected records' full names, FTP records as ftp:// URLs, joined by "\r\n".
std::string CopyUrlsText(Catalog& catalog);

// The selected local files that lie in the first selected record's folder (the menu acts on
// one folder's files); `othersSkipped` tells that some selected records lie elsewhere or
// are no local files. Files that vanished are left out.
std::vector<std::string> menuFiles(Catalog& catalog, bool& othersSkipped);

inline constexpr char kSameFolderText[] = "Selected files should be in the same folder";

}  // namespace varnel
