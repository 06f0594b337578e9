#pragma once
// Building and reading catalogs in tests through the same append protocol producers use.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "catalog/tables.h"

namespace varnel::test {

struct Rec {
    std::string folder, name, note;
    uint64_t time = 0;
    uint32_t size = 0;
    bool operator==(const Rec&) const = default;
};
// How gtest shows a record in a failure message.
void PrintTo(const Rec& record, std::ostream* out);

void appendRecord(Catalog& catalog, int list, const Rec& record);
void appendRecords(Catalog& catalog, int list, const std::vector<Rec>& records);
// Reads record i without leaving a pending note behind.
Rec readRecord(Catalog& catalog, int list, int32_t i);
std::vector<Rec> readList(Catalog& catalog, int list);
// Appends to `list` the records `indices` of `from`, as the program fills a view.
void copyRecords(Catalog& catalog, int list, int from, const std::vector<int32_t>& indices);

// The records of `folder` (compared byte for byte), in list order; the names, or folder and
// name joined, of records.
std::vector<Rec> recordsIn(const std::vector<Rec>& records, const std::string& folder);
std::vector<std::string> namesOf(const std::vector<Rec>& records);
std::vector<std::string> pathsOf(const std::vector<Rec>& records);

// Deterministic random records: `folders` distinct folders, names unique within a folder,
// with odd bytes (blanks, 0x01, non-ASCII, backslashes) mixed in.
std::vector<Rec> randomRecords(uint32_t seed, int count, int folders);

}  // namespace varnel::test
