#pragma once
// Ordering and narrowing the file list by a column: the header click, the column popup's
// "ascend", "descend" and "filter", and its "show files" and "seek recent file". Each makes a
// new view entry, so Back shows what was there before; each such view can be filled again
// after the catalog changed (view/viewrecipe.h).
#include <array>
#include <cstdint>
#include <vector>

namespace varnel {

class Catalog;
class FilePage;

// The column popup's commands.
enum ColumnCommand : int {
    kCmdAscend = 32773,
    kCmdDescend = 32774,
    kCmdFilter = 32775,
    kCmdShowFiles = 32793,
    kCmdSeekRecentFile = 32826,
};

struct MenuItem {
    int id;
    const char* text;
    bool enabled;
};

// The popup of `column` (the header section or cell right-clicked): the sort items for the
// five sortable columns, "filter" once something is selected; the Type column adds
// "show files", the Modified time column "seek recent file".
std::vector<MenuItem> columnMenu(int column, bool hasView, int32_t selectedCount);

class ColumnSort {
  public:
    ColumnSort(Catalog& catalog, FilePage& page) : catalog_(catalog), page_(page) {}

    // Descending first, then ascending, alternating while the same column is clicked.
    void headerClick(int column);
    // "ascend" (order 0) and "descend" (order 2) on the context column.
    void sortBy(int column, int32_t order);
    // The records of the whole catalog that share the first selected record's value in
    // `column`.
    void filter(int column);
    // Any of the popup's commands; false for other ids.
    bool runCommand(int id);

    // The column under the last right click.
    int contextColumn = -1;

  private:
    void pushSorted(int column, int32_t order);

    Catalog& catalog_;
    FilePage& page_;
    std::array<bool, 5> ascendNext_{};
};

}  // namespace varnel
