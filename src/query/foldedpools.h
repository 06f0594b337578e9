#pragma once
// Lower-case copies of the name, folder and note pools, kept in step with the catalog: a
// search over a million records folds each text once, not once per query. Appended texts
// are folded on the next refresh; a rewritten pool is folded again whole.
//
// Where asked to, the folded names and folders also get trigram indexes, built on a thread
// of their own from the folded texts (never from the catalog), so that no search waits for
// them: until one is ready, and for texts appended after it, searches read the texts
// directly.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <future>
#include <memory>
#include <string_view>
#include <vector>

#include "query/trigramindex.h"

namespace varnel {

class Catalog;
struct StringPool;

class FoldedPools {
  public:
    FoldedPools() = default;
    FoldedPools(const FoldedPools&) = delete;
    FoldedPools& operator=(const FoldedPools&) = delete;
    ~FoldedPools();

    void refresh(Catalog& catalog);
    // Folds pools that never change (a mapped catalog file), replacing whatever was folded.
    void foldAll(std::string_view names, std::string_view folders, std::string_view notes);
    // The same with word indexes made for those pools: names are then folded only where a
    // search reads them (the blocks an index names, the texts of the records it looks at).
    // `namesStartTexts`: no record names a text from its middle, which spares looking.
    void foldWithIndexes(std::string_view names, std::string_view folders,
                         std::string_view notes, TrigramIndex nameIndex,
                         TrigramIndex folderIndex, bool namesStartTexts);
    // Makes names[from, to) readable in names(): a no-op unless names are folded on demand.
    void prepareNames(uint32_t from, uint32_t to) const;
    // Whether a name text starts at `offset` (read without folding anything).
    bool startsName(uint32_t offset) const {
        return offset == 0 || namesStartTexts_ ||
               (rawNames_ ? rawNames_ : names_.bytes.get())[offset - 1] == 0;
    }
    // The folded name text at `offset` (pointing into names()).
    const char* nameText(uint32_t offset) const {
        return rawNames_ ? prepareNameText(offset) : names_.bytes.get() + offset;
    }
    // Offsets are those of the catalog's pools.
    const char* names() const { return names_.bytes.get(); }
    const char* folders() const { return folders_.bytes.get(); }
    const char* notes() const { return notes_.bytes.get(); }
    uint32_t namesSize() const { return names_.covered; }
    uint32_t foldersSize() const { return folders_.covered; }
    uint32_t notesSize() const { return notes_.covered; }
    // No name is longer than this (a bound, not the longest name's length).
    uint32_t longestName() const { return names_.longest; }

    // Whether refresh keeps word indexes (a program that runs one search does better
    // without: reading the texts once costs less than indexing them).
    void keepIndexes(bool keep) { keepIndexes_ = keep; }
    // The indexes as they are now: empty until a build has finished.
    const TrigramIndex& nameIndex() const { return names_.index; }
    const TrigramIndex& folderIndex() const { return folders_.index; }
    // Waits for a build under way and takes its indexes.
    void finishIndexing();
    // Shared with an index build, which reads the bytes below `covered` while refresh goes on
    // writing above it (or into a bigger buffer).
    using Buffer = std::shared_ptr<char>;

    size_t indexMemoryBytes() const {
        return names_.index.memoryBytes() + folders_.index.memoryBytes();
    }

  private:
    struct Copy {
        Buffer bytes;  // not cleared first: every byte is written before use
        size_t capacity = 0;
        uint32_t covered = 0;
        uint32_t longest = 0;  // no text is longer (a bound, within a few words)
        TrigramIndex index;
    };
    struct Built {
        TrigramIndex names, folders;
    };
    struct Build {
        uint64_t epoch = 0;
        std::shared_ptr<std::atomic<bool>> stop;
        std::future<Built> result;
    };
    static void extend(Copy& copy, const char* pool, uint32_t used);
    const char* prepareNameText(uint32_t offset) const;
    void takeFinishedBuild(bool wait);
    void startBuildIfDue();
    void stopBuild();

    uint64_t epoch_ = UINT64_MAX;
    Copy names_, folders_, notes_;
    bool keepIndexes_ = false;
    Build build_;
    // Set while names are folded on demand: the unfolded names, and which blocks of
    // kLazyBlock bytes are folded already.
    static constexpr uint32_t kLazyBlock = 4096;
    const char* rawNames_ = nullptr;
    bool namesStartTexts_ = false;
    mutable std::vector<uint64_t> foldedBlocks_;
};

}  // namespace varnel
