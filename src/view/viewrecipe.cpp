#include "view/viewrecipe.h"

#include "catalog/tables.h"

namespace varnel {

ColumnFilter columnFilterOf(Catalog& catalog, int32_t column, int list, int32_t i) {
    ColumnFilter f;
    f.column = column;
    f.name = catalog.recordName(list, i);
    f.folder = catalog.recordFolder(list, i);
    f.extension = catalog.recordExtension(list, i);
    f.time = *catalog.recordTime(list, i);
    f.size = *catalog.recordSize(list, i);
    return f;
}

namespace {
bool matches(Catalog& catalog, int32_t i, const ColumnFilter& f) {
    switch (f.column) {
        case 0:
            return equalIgnoringCase(catalog.recordName(kMasterList, i), f.name);
        case 1:
            return equalIgnoringCase(catalog.recordExtension(kMasterList, i), f.extension);
        case 2:
            return equalIgnoringCase(catalog.recordFolder(kMasterList, i), f.folder);
        case 3:
            return *catalog.recordTime(kMasterList, i) == f.time;
        case 4:
            return *catalog.recordSize(kMasterList, i) == f.size;
        default:
            return false;
    }
}
}  // namespace

void fillColumnFilter(Catalog& catalog, int list, const ColumnFilter& filter) {
    int32_t n = 0;
    catalog.setRecordCount(list, 0);
    const int32_t count = catalog.recordCount(kMasterList);
    for (int32_t i = 0; i < count; ++i) {
        if (!matches(catalog, i, filter)) continue;
        catalog.copyRecord(list, n, kMasterList, i);
        catalog.setRecordCount(list, ++n);
    }
}

void pushView(Catalog& catalog, int list, const char* address, int32_t searchReference,
              int32_t sortColumn, int32_t sortOrder) {
    catalog.historyPush(list, address, searchReference, sortColumn, sortOrder);
    ViewHistory& h = catalog.history();
    if (catalog.currentList() == list) h.searchReference[h.position] = searchReference;
}

namespace {
bool isList(int list) {
    return list >= 0 && list < kListCount;
}
}  // namespace

void ViewRecipes::remember(int list, const ColumnFilter& filter) {
    if (!isList(list)) return;
    filters_[list] = filter;
    searches_[list].reset();
}

void ViewRecipes::remember(int list, int32_t reference, const SavedSearch& search) {
    if (!isList(list)) return;
    searches_[list] = KeptSearch{reference, search};
    filters_[list].reset();
}

void ViewRecipes::copy(int from, int to) {
    if (!isList(from) || !isList(to)) return;
    filters_[to] = filters_[from];
    searches_[to] = searches_[from];
}

void ViewRecipes::forget(int list) {
    if (!isList(list)) return;
    filters_[list].reset();
    searches_[list].reset();
}

const ColumnFilter* ViewRecipes::currentFilter(const Catalog& catalog) const {
    const int list = catalog.currentList();
    if (!isList(list)) return nullptr;
    const ViewHistory& h = catalog.history();
    if (h.searchReference[h.position] != kRecipeReference || !filters_[list]) return nullptr;
    return &*filters_[list];
}

const SavedSearch* ViewRecipes::currentSearch(const Catalog& catalog) const {
    const int list = catalog.currentList();
    if (!isList(list) || !searches_[list]) return nullptr;
    const ViewHistory& h = catalog.history();
    if (h.address[h.position][0] != 0 || h.searchReference[h.position] != searches_[list]->reference)
        return nullptr;
    return &searches_[list]->search;
}

}  // namespace varnel
