#pragma once
// Copying the files stored in an exported catalog back out, below a folder the user names.
#include <cstdint>
#include <string>

namespace varnel {

class Catalog;
class CatalogDatabase;
class Prompt;

struct ExtractResult {
    int32_t written = 0;
    int32_t skipped = 0;  // stored paths that would leave the target folder, or broken entries
};

// Writes the selected records' stored contents below `targetFolder` (the temporary folder
// when empty), each in its folder structure. A stored folder or name that would lead outside
// the target (a ".." part, a link on the way) is skipped.
ExtractResult extractStoredFiles(Catalog& catalog, CatalogDatabase& database,
                                 const std::string& targetFolder);

// The command: asks for the target folder, extracts, and reports skipped files in one message.
void extractFiles(Catalog& catalog, CatalogDatabase& database, Prompt& prompt);

}  // namespace varnel
