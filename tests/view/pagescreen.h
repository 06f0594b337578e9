#pragma once
// A page over a real catalog, drawn on a screen that keeps what each cell shows.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "query/savedsearch.h"
#include "query/search.h"
#include "support/catalogbuilder.h"
#include "view/page.h"

namespace varnel::test {

struct ScreenRow {
    std::array<std::string, kPageColumns> cells;
    bool selected = false;
};

class RecordingScreen : public PageScreen {
  public:
    int rowCount() const override { return static_cast<int>(rows.size()); }
    void ensureRows(int n) override {
        while (static_cast<int>(rows.size()) < n) rows.emplace_back();
    }
    void setCell(int row, int column, std::string_view text) override {
        rows.at(row).cells[column] = text;
        ++cellWrites;
    }
    std::string setRowType(int, std::string_view name) override {
        typeLookups.emplace_back(name);
        return "type of " + std::string(name);
    }
    void clearRowIcon(int) override {}
    void setRowSelected(int row, bool s) override { rows.at(row).selected = s; }
    void setScrollBar(int maximum, int position) override {
        ++scrollBarSets;  // once a page refresh
        scrollMax = maximum;
        scrollPos = position;
    }
    void setStatus(std::string_view text) override { status = text; }
    void setAddress(std::string_view text) override { address = text; }
    void preview(std::string_view path) override { previews.emplace_back(path); }

    std::vector<ScreenRow> rows;
    std::vector<std::string> typeLookups;
    std::vector<std::string> previews;
    int cellWrites = 0, scrollBarSets = 0;
    int scrollMax = -1, scrollPos = -1;
    std::string status, address;
};

// A catalog whose current view is the master list of `n` records named f000, f001, ...
struct PageFixture : ::testing::Test {
    Settings settings;
    SavedSearchList searches{settings.savedSearchCount, settings.savedSearchBlock};
    Catalog catalog{64};
    CatalogSearch search{catalog, searches};
    RecordingScreen screen;
    FilePage page{catalog, search, screen};

    void fill(int n, const std::string& folder = "/data/") {
        std::vector<Rec> records;
        for (int i = 0; i < n; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "f%03d", i);
            records.push_back({folder, name, "n", 0, static_cast<uint32_t>(1000 * (i + 1))});
        }
        view(kMasterList, records);
    }
    // `records` appended to `list`, which becomes the current view.
    void view(int list, const std::vector<Rec>& records) {
        test::appendRecords(catalog, list, records);
        catalog.historyPushList(list);
        catalog.page().viewMode = 1;
    }
    void show(int pageSize) {
        page.resetRows(pageSize);
        page.RefreshPage(true);
    }
    std::string nameAt(int row) { return screen.rows.at(row).cells[kColName]; }
};

}  // namespace varnel::test
