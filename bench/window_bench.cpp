// window_bench [N]: scrolling the real window (Qt widgets, offscreen) on a catalog of N
// records (default 1M). One line down at a time, each step refreshed (and then painted),
// against the same rows' texts written straight into a bare list widget (and painted). The
// bare widget shows no icons and no type names.
// Prints median times and ratios; only a wrong answer makes the run fail.
#include <QApplication>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

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
    bench::WindowRig rig("varnel-window-bench", count);
    AppSession& session = rig.session;
    CMainView& view = rig.view();
    FilePage& page = view.page();
    QTreeWidget& list = *view.fileList();
    const int rows = page.pageSize();
    std::printf("window_bench: %d records, page of %d rows (%s build)\n", count, rows,
                VARNEL_BUILD_TYPE);

    constexpr int kRounds = 200;
    page.setTopIndex(count / 2);
    page.RefreshPage(true);
    std::vector<double> refresh, step;
    for (int round = 0; round < kRounds; ++round) {
        page.scroll(ScrollCode::LineDown);
        const double t = now();
        page.RefreshPage(true);
        refresh.push_back(now() - t);
        list.viewport()->repaint();
        step.push_back(now() - t);
    }
    bool failed = list.topLevelItem(0)->text(kColName).toStdString() !=
                  session.catalog.recordName(kMasterList, page.topIndex());

    // The bare widget: the same texts for the same rows, written and painted.
    QTreeWidget bare;
    bare.setColumnCount(kPageColumns);
    bare.resize(list.size());
    bare.show();
    QApplication::processEvents();
    std::vector<QTreeWidgetItem*> items;
    for (int r = 0; r < rows; ++r) items.push_back(new QTreeWidgetItem(&bare));
    std::vector<double> plain, plainTexts;
    int32_t top = count / 2;
    for (int round = 0; round < kRounds; ++round) {
        ++top;
        const double t = now();
        for (int r = 0; r < rows; ++r) {
            const int32_t i = top + r;
            items[r]->setText(kColName, QString::fromUtf8(session.catalog.recordName(0, i)));
            items[r]->setText(kColPath, QString::fromUtf8(session.catalog.recordFolder(0, i)));
            items[r]->setText(kColTime,
                              QString::fromStdString(timeText(*session.catalog.recordTime(0, i))));
            items[r]->setText(kColSize,
                              QString::fromStdString(sizeText(*session.catalog.recordSize(0, i))));
        }
        plainTexts.push_back(now() - t);
        bare.viewport()->repaint();
        plain.push_back(now() - t);
    }
    std::printf(
        "  scroll step, RefreshPage only      %7.3f ms   bare widget %7.3f ms   ratio %5.2f   "
        "goal < 2 ms\n",
        median(refresh) * 1e3, median(plainTexts) * 1e3, median(refresh) / median(plainTexts));
    std::printf(
        "  scroll step, refreshed and painted %7.3f ms   bare widget %7.3f ms   ratio %5.2f   "
        "(a frame at 60 Hz: 16.7 ms)\n",
        median(step) * 1e3, median(plain) * 1e3, median(step) / median(plain));
    if (failed) std::fprintf(stderr, "verification failed: first row\n");
    std::filesystem::remove_all(rig.dir);
    return failed ? 1 : 0;
}
