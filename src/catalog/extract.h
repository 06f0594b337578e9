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
    int32_t kept = 0;     // existing files the user chose not to replace
    bool refused = false;  // the catalog changed since it was opened: nothing was written
};

// Writes the selected records' stored contents below `targetFolder` (the temporary folder
// when empty), each in its folder structure. A stored folder or name that would lead outside
// the target (a ".." part, a link on the way) is skipped; an existing file is replaced only
// after `prompt` says Yes.
ExtractResult extractStoredFiles(Catalog& catalog, CatalogDatabase& database,
                                 const std::string& targetFolder, Prompt& prompt);

// The command: asks for the target folder, extracts, and reports skipped files in one message.
void extractFiles(Catalog& catalog, CatalogDatabase& database, Prompt& prompt);

}  // namespace varnel
