#pragma once
// Small questions and errands about paths on this machine.
#include <string>

namespace varnel {

// Something is there under that name (a dangling link counts).
bool pathExists(const std::string& path);
// A folder is there, or a link to one.
bool isFolder(const std::string& path);
// Makes `path` and every missing folder above it (mode 0755); true when `path` exists after.
bool makeFolders(const std::string& path);

}  // namespace varnel
