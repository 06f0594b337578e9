#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "catalog/sort.h"
#include "catalog/tables.h"
#include "support/catalogbuilder.h"

namespace varnel {
namespace {

using test::appendRecords;
using test::readList;
using test::Rec;

// Against the plain rule of each column on every neighbouring pair, both orders: sizes as
// signed 32 bits, times as unsigned 64, types by the first eight characters of the
// extension, equal names (ignoring case) by ascending folder whatever the order.
TEST(RecordSort, AgreesWithAStraightforwardSort) {
    Catalog c;
    std::vector<Rec> records = test::randomRecords(3, 5000, 30);
    for (size_t i = 0; i < records.size(); i += 7) records[i].name = records[i / 2].name;
    for (size_t i = 3; i < records.size(); i += 7) {
        records[i].name = records[i / 3].name;  // equal but for the letter case
        for (char& ch : records[i].name)
            if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
    }
    for (size_t i = 0; i < records.size(); i += 11) records[i].name = "Common.Name.that.is.long";
    // No extension, or a long one whose eighth character decides.
    for (size_t i = 5; i < records.size(); i += 13) {
        records[i].name = i % 2 ? "noext" + std::to_string(i)
                                : records[i].name + (i % 4 ? ".ABCDEFG" : ".abcdefg") +
                                      char('a' + i / 26 * 7 % 26) + "zz";
    }
    appendRecords(c, kMasterList, records);
    auto ext = [](const std::string& name) {
        size_t dot = name.rfind('.');
        return dot == std::string::npos ? std::string() : name.substr(dot + 1, 8);
    };
    auto ci = [](const std::string& a, const std::string& b) {
        return compareIgnoringCase(a.c_str(), b.c_str());
    };
    auto order3 = [](auto a, auto b) { return a < b ? -1 : a > b ? 1 : 0; };
    // Each column's rule: below zero when a comes first in ascending order.
    const std::function<int(const Rec&, const Rec&)> rules[5] = {
        [&](const Rec& a, const Rec& b) { return ci(a.name, b.name); },
        [&](const Rec& a, const Rec& b) { return ci(ext(a.name), ext(b.name)); },
        [&](const Rec& a, const Rec& b) { return ci(a.folder, b.folder); },
        [&](const Rec& a, const Rec& b) { return order3(a.time, b.time); },
        [&](const Rec& a, const Rec& b) { return order3(int32_t(a.size), int32_t(b.size)); }};
    for (int32_t column = 0; column <= 4; ++column) {
        for (int32_t order : {kAscending, kDescending}) {
            int target = c.allocTempList(1);
            SortRecordList(c, target, kMasterList, column, order);
            std::vector<Rec> got = readList(c, target);
            ASSERT_EQ(got.size(), records.size());
            // Each neighbouring pair must be in order under the column's rule.
            for (size_t i = 1; i < got.size(); ++i) {
                const Rec& a = got[i - 1];
                const Rec& b = got[i];
                const int cmp = order == kDescending ? -rules[column](a, b) : rules[column](a, b);
                ASSERT_LE(cmp, 0) << "column " << column << " order " << order << " at " << i;
                if (column == 0 && cmp == 0) {
                    ASSERT_LE(ci(a.folder, b.folder), 0) << i;
                }
            }
            std::vector<Rec> sortedGot = got, sortedAll = records;
            auto byAll = [](const Rec& a, const Rec& b) {
                return std::tie(a.folder, a.name, a.note, a.time, a.size) <
                       std::tie(b.folder, b.name, b.note, b.time, b.size);
            };
            std::sort(sortedGot.begin(), sortedGot.end(), byAll);
            std::sort(sortedAll.begin(), sortedAll.end(), byAll);
            ASSERT_EQ(sortedGot, sortedAll);  // the same records, each once
            c.releaseTempList(target);
        }
    }
}

}  // namespace
}  // namespace varnel
