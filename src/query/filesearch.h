#pragma once
// The address bar's search over a catalog file mapped read-only (varnel-cli find).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

class MappedCatalog;

// The master records `text` selects (as findAddressText). With the word indexes of the file
// at `indexPath` when they were made for this catalog, only the texts they point at are
// read; without, every text is, and fitting indexes are written there for the next search.
// Empty when the catalog holds a text the reader would not take as it is (see textsFit).
std::optional<std::vector<uint32_t>> searchCatalogFile(const MappedCatalog& file,
                                                       const std::string& indexPath,
                                                       const char* text);

}  // namespace varnel
