#pragma once
// Filling views of the master list: from the text typed into the address bar
// (patternFill) and from a saved search (runSavedSearch).
#include <cstdint>
#include <functional>

#include "query/foldedpools.h"

namespace varnel {

class Catalog;
class SavedSearchList;

class CatalogSearch {
  public:
    CatalogSearch(Catalog& catalog, SavedSearchList& searches);

    // Empties `list` and fills it with the master-list records the address text selects, in
    // master-list order: a folder name lists that folder; a text with `*` or `?` is matched
    // against folder + name; a plain word is looked for in folder + name and in the note.
    void patternFill(int list, const char* text);

    // Runs saved search `index` into `list`, or into a new search-result list that becomes
    // the current view when `list` is negative. 0 when there is no such saved search.
    int runSavedSearch(int32_t index, int list);

    // The clock of age limits (the time-stamp file's), read once per search.
    std::function<uint64_t()> currentFileTime;
    // Shows a new search result: the file list tab, laid out again.
    std::function<void()> showResults;

  private:
    void fillFolder(int list, const char* folder);
    void fillSubstring(int list, const char* word, bool searchNotes);
    void fillPattern(int list, const class WildcardPattern& pattern);

    Catalog& catalog_;
    SavedSearchList& searches_;
    FoldedPools folded_;
};

}  // namespace varnel
