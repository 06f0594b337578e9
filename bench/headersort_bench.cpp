// headersort_bench [N]: sorting N records (default 1M) by a click on a column header of the
// real window (Qt widgets, offscreen): the view pushed, the first page refreshed and painted,
// against the catalog's sort of the same records by the same column and order alone.
// Prints median times and ratios; only a wrong answer makes the run fail.
#include <QApplication>
#include <QHeaderView>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "catalog/sort.h"
#include "windowrig.h"

namespace {

using namespace varnel;
using bench::median;
using bench::now;

}  // namespace

int main(int argc, char** argv) {
    const int32_t count = argc > 1 ? std::atoi(argv[1]) : 1000000;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::WindowRig rig("varnel-headersort-bench", count);
    Catalog& catalog = rig.session.catalog;
    CMainView& view = rig.view();
    QHeaderView& header = *view.fileList()->header();
    std::printf("headersort_bench: %d records (%s build)\n", count, VARNEL_BUILD_TYPE);

    bool failed = false;
    constexpr int kRounds = 3;
    struct Column {
        int column;
        const char* name;
    };
    for (const Column c : {Column{kColName, "Name"}, Column{kColPath, "Path"},
                           Column{kColTime, "Modified time"}, Column{kColSize, "Size"}}) {
        std::vector<double> clicked, alone;
        for (int round = 0; round < 2 * kRounds; ++round) {
            // Each click turns the order: descending first, then ascending.
            const int32_t order = round % 2 == 0 ? kDescending : kAscending;
            catalog.historyPushList(kMasterList);
            double t = now();
            emit header.sectionClicked(c.column);
            view.fileList()->viewport()->repaint();
            clicked.push_back(now() - t);
            const int shown = catalog.currentList();

            const int list = catalog.allocTempList(0);
            t = now();
            SortRecordList(catalog, list, kMasterList, c.column, order);
            alone.push_back(now() - t);
            // The window shows what the sort alone gives.
            if (catalog.recordCount(shown) != count ||
                bench::catalogChecksum(catalog, shown) != bench::catalogChecksum(catalog, list) ||
                view.fileList()->topLevelItem(0)->text(kColName).toStdString() !=
                    catalog.recordName(list, 0)) {
                std::fprintf(stderr, "verification failed: %s, order %d\n", c.name, order);
                failed = true;
            }
            catalog.releaseTempList(list);
        }
        const double ratio = median(clicked) / median(alone);
        std::printf("  %-13s header click, shown %8.1f ms   sort alone %8.1f ms   ratio %5.2f   "
                    "goal <= 1.10\n",
                    c.name, median(clicked) * 1e3, median(alone) * 1e3, ratio);
    }
    std::filesystem::remove_all(rig.dir);
    return failed ? 1 : 0;
}
