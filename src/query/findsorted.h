#pragma once
// Binary search in a record list kept in ascending order (as SortRecordList leaves it).
#include <cstdint>

namespace varnel {

class Catalog;

inline constexpr int kByNameThenFolder = 0;  // sorted by name; folder is the second key
inline constexpr int kByFolderThenName = 2;  // sorted by folder; name is the second key

// Index of the record with the given primary key and, when the second key is not null, the
// same file (folder and name by the identity rule of catalog/identity.h); without a second
// key the first record whose primary key is equal ignoring case. -1 when there is none.
int32_t findSortedRecord(Catalog& catalog, int list, int key, const char* folder, const char* name);
// The same with key 0.
int32_t findSortedRecord(Catalog& catalog, int list, const char* folder, const char* name);
// The record of `list` with the folder and name of record i of `other`.
int32_t findSortedRecord(Catalog& catalog, int list, int other, int32_t i);

}  // namespace varnel
