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

void ViewRecipes::remember(int list, const ColumnFilter& filter) {
    if (list >= 0 && list < static_cast<int>(filters_.size())) filters_[list] = filter;
}

void ViewRecipes::forget(int list) {
    if (list >= 0 && list < static_cast<int>(filters_.size())) filters_[list].reset();
}

const ColumnFilter* ViewRecipes::currentFilter(const Catalog& catalog) const {
    const int list = catalog.currentList();
    if (list < 0 || list >= static_cast<int>(filters_.size())) return nullptr;
    const ViewHistory& h = catalog.history();
    if (h.searchReference[h.position] != kRecipeReference || !filters_[list]) return nullptr;
    return &*filters_[list];
}

}  // namespace varnel
