#pragma once
// Lower-case copies of the name, folder and note pools, kept in step with the catalog: a
// search over a million records folds each text once, not once per query. Appended texts
// are folded on the next refresh; a rewritten pool is folded again whole. The folded names
// and folders carry trigram indexes, built by the first word search that can use them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "query/trigramindex.h"

namespace varnel {

class Catalog;
struct StringPool;

class FoldedPools {
  public:
    void refresh(Catalog& catalog);
    // Offsets are those of the catalog's pools.
    const char* names() const { return names_.bytes.data(); }
    const char* folders() const { return folders_.bytes.data(); }
    const char* notes() const { return notes_.bytes.data(); }
    uint32_t namesSize() const { return names_.covered; }
    uint32_t foldersSize() const { return folders_.covered; }
    uint32_t notesSize() const { return notes_.covered; }
    // Indexes of the folded names and folders as they are now (built or extended on demand).
    const TrigramIndex& nameIndex() { return indexed(names_); }
    const TrigramIndex& folderIndex() { return indexed(folders_); }
    size_t indexMemoryBytes() const {
        return names_.index.memoryBytes() + folders_.index.memoryBytes();
    }

  private:
    struct Copy {
        std::vector<char> bytes;
        uint32_t covered = 0;
        TrigramIndex index;
    };
    static void extend(Copy& copy, const StringPool& pool);
    static const TrigramIndex& indexed(Copy& copy);

    uint64_t epoch_ = UINT64_MAX;
    Copy names_, folders_, notes_;
};

}  // namespace varnel
