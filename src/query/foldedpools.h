#pragma once
// Lower-case copies of a catalog's text pools, for searching.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "query/trigramindex.h"

namespace varnel {

class Catalog;
struct StringPool;

// A set of byte values.
class ByteSet {
  public:
    void insert(unsigned char c) { bits_[c >> 6] |= uint64_t{1} << (c & 63); }
    bool contains(unsigned char c) const { return (bits_[c >> 6] >> (c & 63)) & 1; }
    std::array<uint64_t, 4>& bits() { return bits_; }
    const std::array<uint64_t, 4>& bits() const { return bits_; }

  private:
    std::array<uint64_t, 4> bits_{};
};

// Word indexes made for a catalog's folded name and folder pools, with what was learnt of
// those pools and the master list while making them.
struct WordIndexes {
    TrigramIndex names, folders;
    bool namesStartTexts = false;  // no master record names a text from its middle
    bool ascending = false;        // as MasterTexts::ascending, looked at when written
    ByteSet folderEnds;            // as FoldedText::textEnds of the folders
    // Read from a file: set when a search met bytes of it that are not as written (it then
    // went on without the damaged part, and the file is better written anew).
    std::shared_ptr<bool> damaged;
};

// One pool's lower-case copy, at the catalog's offsets. Folded whole as the catalog grows, or,
// for a mapped file searched through its word index, block by block where a search reads.
class FoldedText {
  public:
    // Shared with an index build, which reads the bytes below size() while the owner goes on
    // writing above it (or into a bigger buffer).
    using Buffer = std::shared_ptr<char>;

    // The folded copy, when folded whole (not on demand).
    const char* bytes() const { return bytes_.get(); }
    uint32_t size() const { return covered_; }
    // No text is longer than this (a bound, not the longest text's length).
    uint32_t longest() const { return longest_; }
    // Empty until an index is built or given.
    const TrigramIndex& index() const { return index_; }

    // Folded bytes [from, to], `to` at most size(): the byte at `to` is the NUL closing the
    // pool or the first of the next text. Folded on demand, the pointer holds until the next
    // call.
    const char* foldedRange(uint32_t from, uint32_t to) const {
        return raw_ ? foldRange(from, to) : bytes_.get() + from;
    }
    // The folded text at `offset`. Folded on demand, the pointer holds until the next call.
    const char* text(uint32_t offset) const {
        return raw_ ? foldText(offset) : bytes_.get() + offset;
    }
    // Whether a record's text that starts at `offset` starts a text of the pool (read without
    // folding anything).
    bool startsText(uint32_t offset) const {
        return offset == 0 || allStartTexts_ || anyCase()[offset - 1] == 0;
    }
    // Bytes with the same NULs as the folded ones, readable anywhere: the unfolded pool while
    // folding on demand, else the folded copy. Letters may be of either case.
    const char* anyCase() const { return raw_ ? raw_ : bytes_.get(); }
    // The last bytes of the texts, folded: a word that runs from a folder into a name starts
    // with one of the folders'. Read once (the texts appended since, on later calls).
    const ByteSet& textEnds() const;

  private:
    friend class FoldedPools;
    // Appends pool[size(), used) folded; makes the copy whole again first if it was not.
    void extend(const char* pool, uint32_t used);
    // Folds nothing yet: `pool` (which must outlive this) is folded where read.
    void foldOnDemand(std::string_view pool, bool allStartTexts);
    void reset();
    const char* foldRange(uint32_t from, uint32_t to) const;
    const char* foldText(uint32_t offset) const;

    mutable ByteSet textEnds_;
    mutable uint32_t endsCovered_ = 0;  // textEnds_ holds the ends of the texts below this

    Buffer bytes_;  // not cleared first: every byte is written before use
    size_t capacity_ = 0;
    uint32_t covered_ = 0;
    uint32_t longest_ = 0;
    TrigramIndex index_;
    // While folding on demand: the unfolded pool, whether every record's offset starts a text
    // (which spares looking), and where the texts asked for are folded. A search reads a few
    // blocks and the texts of its hits: folding them into a copy the size of the pool would
    // cost a page fault for each page it touched.
    const char* raw_ = nullptr;
    bool allStartTexts_ = false;
    mutable std::string rangeScratch_, textScratch_;
};

// The three folded pools of a catalog or a catalog file, kept in step with it: a search over
// a million records folds each text once, not once per query. Appended texts are folded on
// the next refresh; a rewritten pool is folded again whole.
//
// Where asked to, the folded names and folders also get trigram indexes, built on a thread
// of their own from the folded texts (never from the catalog), so that no search waits for
// them: until one is ready, and for texts appended after it, searches read the texts
// directly.
class FoldedPools {
  public:
    FoldedPools() = default;
    FoldedPools(const FoldedPools&) = delete;
    FoldedPools& operator=(const FoldedPools&) = delete;
    ~FoldedPools();

    void refresh(Catalog& catalog);
    // Folds pools that never change (a mapped catalog file), replacing whatever was folded.
    void foldAll(std::string_view names, std::string_view folders, std::string_view notes);
    // The same with word indexes made for those pools: names and folders are then folded
    // only where a search reads them (the blocks an index names, the texts of the records it
    // looks at), which those pools must outlive.
    void foldWithIndexes(std::string_view names, std::string_view folders,
                         std::string_view notes, WordIndexes indexes);

    const FoldedText& names() const { return names_; }
    const FoldedText& folders() const { return folders_; }
    const FoldedText& notes() const { return notes_; }

    // Whether refresh keeps word indexes (a program that runs one search does better
    // without: reading the texts once costs less than indexing them).
    void keepIndexes(bool keep) { keepIndexes_ = keep; }
    // Waits for a build under way and takes its indexes.
    void finishIndexing();
    size_t indexMemoryBytes() const {
        return names_.index_.memoryBytes() + folders_.index_.memoryBytes();
    }

  private:
    struct Built {
        TrigramIndex names, folders;
    };
    struct Build {
        uint64_t epoch = 0;
        std::shared_ptr<std::atomic<bool>> stop;
        std::future<Built> result;
    };
    void takeFinishedBuild(bool wait);
    void startBuildIfDue();
    void stopBuild();

    uint64_t epoch_ = UINT64_MAX;
    FoldedText names_, folders_, notes_;
    bool keepIndexes_ = false;
    Build build_;
};

}  // namespace varnel
