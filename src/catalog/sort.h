#pragma once
// Ordering record lists by a file-list column. Every ordered view and every binary search
// over a name-sorted list rests on SortRecordList.
#include <cstdint>

namespace varnel {

class Catalog;

enum SortColumn : int32_t {
    kSortByName = 0,
    kSortByType = 1,
    kSortByPath = 2,
    kSortByTime = 3,
    kSortBySize = 4,
};
inline constexpr int32_t kAscending = 0;
inline constexpr int32_t kDescending = 2;  // any other value sorts ascending

// Fills `target` with the records of `source` in the order of `column`, and gives it the
// source's record count. Sorting by name puts equal names (ignoring case) in ascending order
// of folder path whatever the order, which the binary searches over name-sorted lists need.
void SortRecordList(Catalog& catalog, int target, int source, int32_t column, int32_t order);

}  // namespace varnel
