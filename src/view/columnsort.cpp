#include "view/columnsort.h"

#include "catalog/sort.h"
#include "catalog/tables.h"
#include "view/page.h"
#include "view/viewrecipe.h"

namespace varnel {

namespace {
bool sortable(int column) {
    return column >= 0 && column <= 4;
}
}  // namespace

std::vector<MenuItem> columnMenu(int column, bool hasView, int32_t selectedCount) {
    const bool sorts = hasView && sortable(column);
    const bool picks = sorts && selectedCount > 0;
    std::vector<MenuItem> items = {
        {kCmdAscend, "ascend", sorts},
        {kCmdDescend, "descend", sorts},
        {kCmdFilter, "filter", picks},
    };
    if (column == kColType) items.push_back({kCmdShowFiles, "show files", picks});
    if (column == kColTime) items.push_back({kCmdSeekRecentFile, "seek recent file", picks});
    return items;
}

// The sorted view keeps what fills its source again: the source's address ("*" for the
// master list), saved search or column filter, and the sort column and order.
void ColumnSort::pushSorted(int column, int32_t order) {
    const int source = catalog_.currentList();
    if (source < 0) return;
    const ViewHistory& h = catalog_.history();
    const int p = h.position;
    const std::string address = source == kMasterList ? "*" : h.address[p].data();
    const int32_t reference = source == kMasterList ? -1 : h.searchReference[p];
    const ColumnFilter* filter = page_.recipes().currentFilter(catalog_);
    const bool keptSearch = page_.recipes().currentSearch(catalog_) != nullptr;
    // A source that nothing can fill again (or one that holds its own records) is copied
    // whole, so the sorted view at least survives going Back and Forward.
    const bool frozen = source != kMasterList && !filter &&
                        (!catalog_.isDerived(source) || (address.empty() && reference < 0));

    const int list = catalog_.allocTempList(0);
    if (frozen) catalog_.setGenerationStamp(list, 0);
    SortRecordList(catalog_, list, source, column, order);
    pushView(catalog_, list, address.c_str(), reference, column, order);
    if (filter || keptSearch)
        page_.recipes().copy(source, list);
    else
        page_.recipes().forget(list);
}

void ColumnSort::headerClick(int column) {
    if (!sortable(column)) return;
    const bool ascend = ascendNext_[column];
    pushSorted(column, ascend ? kAscending : kDescending);
    ascendNext_.fill(false);
    ascendNext_[column] = !ascend;
    page_.RefreshPage(true);
}

void ColumnSort::sortBy(int column, int32_t order) {
    if (!sortable(column)) return;
    pushSorted(column, order);
    page_.RefreshPage(true);
}

void ColumnSort::filter(int column) {
    if (!sortable(column) || catalog_.recordCount(kSelectionList) == 0) return;
    const ColumnFilter f = columnFilterOf(catalog_, column, kSelectionList, 0);
    const int list = catalog_.allocTempList(0);
    fillColumnFilter(catalog_, list, f);
    const char* address = column == kColPath ? f.folder.c_str()
                          : column == kColName ? f.name.c_str()
                                               : "";
    pushView(catalog_, list, address, kRecipeReference, -1, 0);
    page_.recipes().remember(list, f);
    page_.RefreshPage(false);
}

bool ColumnSort::runCommand(int id) {
    switch (id) {
        case kCmdAscend:
            sortBy(contextColumn, kAscending);
            return true;
        case kCmdDescend:
            sortBy(contextColumn, kDescending);
            return true;
        case kCmdFilter:
            filter(contextColumn);
            return true;
        case kCmdShowFiles:
            filter(kColType);
            return true;
        case kCmdSeekRecentFile:
            filter(kColTime);
            return true;
        default:
            return false;
    }
}

}  // namespace varnel
