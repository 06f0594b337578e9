#pragma once
// Views that a page must be able to fill again after the catalog changed. A view entry keeps
// an address text, a saved-search reference and a sort column; a column filter needs the
// column and the value it was made from as well. Those are kept here, by record list, and the
// entry carries kRecipeReference so the page knows to look here first. A saved search's view
// keeps the search itself here too: its reference is a position in a list that changes.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "catalog/tables.h"
#include "query/savedsearch.h"

namespace varnel {


// The search reference of a view entry filled from a ColumnFilter. Below 0, so nothing takes
// it for a saved search, and distinct from -1, which marks a view nothing can fill again.
inline constexpr int32_t kRecipeReference = -2;

// The catalog records that share one column's value with one record.
struct ColumnFilter {
    int32_t column = -1;  // 0 Name, 1 Type, 2 Path, 3 Modified time, 4 Size
    std::string name, folder, extension;
    uint64_t time = 0;
    uint32_t size = 0;
};

// The filter on `column` with the value of record `i` of `list`.
ColumnFilter columnFilterOf(Catalog& catalog, int32_t column, int list, int32_t i);
// Empties `list` and fills it with the matching records of the master list, in master order.
// Names, folders and extensions match ignoring case, as every search does.
void fillColumnFilter(Catalog& catalog, int list, const ColumnFilter& filter);

// historyPush that also writes the search reference when the address is not empty, where
// historyPush leaves the slot's old value; a stale kRecipeReference would name another view.
void pushView(Catalog& catalog, int list, const char* address, int32_t searchReference,
              int32_t sortColumn, int32_t sortOrder);

class ViewRecipes {
  public:
    void remember(int list, const ColumnFilter& filter);
    // `list` was filled by saved search `reference` as it stood then.
    void remember(int list, int32_t reference, const SavedSearch& search);
    // The sorted copy `to` of view `from` is filled again the way `from` is.
    void copy(int from, int to);
    void forget(int list);
    // The filter of the current view, when its entry is one of ours.
    const ColumnFilter* currentFilter(const Catalog& catalog) const;
    // The saved search that filled the current view, when its entry still names it.
    const SavedSearch* currentSearch(const Catalog& catalog) const;

  private:
    struct KeptSearch {
        int32_t reference;
        SavedSearch search;
    };
    std::array<std::optional<ColumnFilter>, kListCount> filters_{};
    std::array<std::optional<KeptSearch>, kListCount> searches_{};
};

}  // namespace varnel
