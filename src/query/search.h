#pragma once
// Filling views of the master list: from the text typed into the address bar
// (patternFill) and from a saved search (runSavedSearch).
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "query/foldedpools.h"

namespace varnel {

class Catalog;
class SavedSearchList;
struct SavedSearch;

// What an address-bar search reads of the master list: each record's text offsets into the
// pools that `FoldedPools` holds folded.
struct MasterTexts {
    int32_t count = 0;
    const uint32_t* names = nullptr;
    const uint32_t* folders = nullptr;
    const uint32_t* notes = nullptr;
    // Whether name and folder offsets never fall from one record to the next (as in a file
    // this program wrote): then the records a rare word selects are looked up, not searched
    // for. When not known, it is looked at where that would pay.
    std::optional<bool> ascending = std::nullopt;
};

// Whether the records' name and folder offsets never fall from one to the next (reads them all).
bool offsetsAscend(const MasterTexts& records);

// The master records the address text selects, in master-list order: a folder name selects
// that folder; a text with `*` or `?` is matched against folder + name; a plain word is looked
// for in folder + name and in the note.
std::vector<uint32_t> findAddressText(const MasterTexts& records, const FoldedPools& pools,
                                      const char* text);

class CatalogSearch {
  public:
    CatalogSearch(Catalog& catalog, SavedSearchList& searches);

    // Empties `list` and fills it with the master-list records the address text selects
    // (findAddressText), in master-list order.
    void patternFill(int list, const char* text);
    // Keeps in `list` (filled by patternFill with a plain word that `word` contains) the
    // records patternFill would find for `word`: a longer word finds a subset, so only the
    // list is looked at, not the catalog.
    void refineWord(int list, const char* word);

    // Whether patternFill answers `text` from the word indexes, reading a small part of the
    // pools: a word (or a pattern's longest literal) that few blocks of names and folders hold.
    // Any other text reads the whole catalog.
    bool answersFromIndex(const char* text);
    // The pools folded up to date, for a search made record by record (AddressMatcher).
    const FoldedPools& foldedPools();
    // Folds what the catalog's texts gained since the last search (all of them after a load
    // or a save), so that the next search starts at once.
    void prepare() { foldedPools(); }

    // Runs saved search `index` into `list`, or into a new search-result list that becomes
    // the current view when `list` is negative. 0 when there is no such saved search.
    int runSavedSearch(int32_t index, int list);
    // Empties `list` and fills it with the records `search` selects, in master-list order.
    void runSearch(const SavedSearch& search, int list);
    // Keeps word indexes, built in the background after the first search and again when
    // the catalog has grown: for a program that searches again and again (the window).
    void keepIndexes() { folded_.keepIndexes(true); }
    // Waits for an index build under way to finish (benchmarks, tests).
    void finishIndexing() { folded_.finishIndexing(); }
    // What the word indexes hold in memory now.
    size_t indexMemoryBytes() const { return folded_.indexMemoryBytes(); }

    // The clock of age limits (the time-stamp file's), read once per search.
    std::function<uint64_t()> currentFileTime;
    // Shows a new search result: the file list tab, laid out again.
    std::function<void()> showResults;
    // A new view `list` was made from saved search `index`, which it names by position.
    std::function<void(int list, int32_t index, const SavedSearch& search)> viewMade;

  private:
    Catalog& catalog_;
    SavedSearchList& searches_;
    FoldedPools folded_;
};

}  // namespace varnel
