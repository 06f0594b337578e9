#pragma once
// mkdir -p.
#include <string>

namespace varnel {

// Makes `path` and every missing folder above it (mode 0755); true when `path` exists after.
bool makeFolders(const std::string& path);

}  // namespace varnel
