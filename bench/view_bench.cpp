// view_bench [N]: what scrolling and starting cost on a catalog of N records (default 1M).
//  - RefreshPage of a full page (every cell new) and of one scroll step, against a plain loop
//    that formats the same rows' texts straight from the catalog;
//  - start-up to the first page of the window (offscreen) against `varnel-cli info` on the
//    same catalog file.
// Prints median times and ratios; only a wrong answer makes the run fail.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "catalog/dbfile.h"
#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "corpus.h"
#include "query/savedsearch.h"
#include "query/search.h"
#include "view/page.h"

extern char** environ;

namespace {

using namespace varnel;

bool g_failed = false;

void verify(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "verification failed: %s\n", what);
    g_failed = true;
}

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The cheapest honest screen: it keeps every text it is given, as a list widget would.
class KeepingScreen : public PageScreen {
  public:
    int rowCount() const override { return static_cast<int>(cells.size()); }
    void ensureRows(int n) override { cells.resize(std::max<size_t>(cells.size(), n)); }
    void setCell(int row, int column, std::string_view text) override {
        cells[row][column].assign(text);
    }
    std::string setRowType(int, std::string_view) override { return "Document"; }
    void clearRowIcon(int) override {}
    void setRowSelected(int, bool) override {}
    void setScrollBar(int, int position) override { scrollPosition = position; }
    void setStatus(std::string_view) override {}
    void setAddress(std::string_view) override {}
    void preview(std::string_view) override {}
    std::vector<std::array<std::string, kPageColumns>> cells;
    int scrollPosition = -1;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The same texts formatted straight from the columns, no cache and no look-ups.
size_t plainRows(Catalog& c, int32_t top, int rows, std::vector<std::string>& out) {
    size_t bytes = 0;
    for (int r = 0; r < rows; ++r) {
        const int32_t i = top + r;
        out[r * 4 + 0] = c.recordName(kMasterList, i);
        out[r * 4 + 1] = c.recordFolder(kMasterList, i);
        out[r * 4 + 2] = timeText(*c.recordTime(kMasterList, i));
        out[r * 4 + 3] = sizeText(*c.recordSize(kMasterList, i));
        bytes += out[r * 4].size();
    }
    return bytes;
}

double runChild(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const double start = now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double elapsed = now() - start;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? elapsed : -1;
}

double best(int runs, const std::vector<std::string>& args) {
    double b = 1e9;
    for (int k = 0; k < runs; ++k) {
        const double t = runChild(args);
        if (t < 0) return -1;
        b = std::min(b, t);
    }
    return b;
}

}  // namespace

int main(int argc, char** argv) {
    const int32_t count = argc > 1 ? std::atoi(argv[1]) : 1000000;
    Catalog catalog;
    bench::generateCorpus(catalog, count);
    catalog.historyPushList(kMasterList);
    catalog.page().viewMode = 1;
    Settings settings;
    SavedSearchList searches(settings.savedSearchCount, settings.savedSearchBlock);
    CatalogSearch search(catalog, searches);
    KeepingScreen screen;
    FilePage page(catalog, search, screen);
    constexpr int kRows = 40;
    constexpr int kRounds = 200;
    std::printf("view_bench: %d records, page of %d rows (%s build)\n", count, kRows,
                VARNEL_BUILD_TYPE);

    // A full page: the row cache emptied each round, as a new layout does, at spread-out places.
    std::vector<double> full, plainFull;
    std::vector<std::string> plain(kRows * 4);
    for (int round = 0; round < kRounds; ++round) {
        const int32_t top = static_cast<int32_t>((int64_t{round} * 7919 * 131) % (count - kRows));
        page.resetRows(kRows);
        page.setTopIndex(top);
        double t = now();
        page.RefreshPage(true);
        full.push_back(now() - t);
        verify(screen.cells[0][kColName] == catalog.recordName(kMasterList, top), "first row");
        verify(screen.scrollPosition == top, "scroll bar position");
        t = now();
        plainRows(catalog, top, kRows, plain);
        plainFull.push_back(now() - t);
    }

    // One line down at a time: every row's name changes, the cache saves nothing else.
    page.resetRows(kRows);
    page.setTopIndex(count / 2);
    page.RefreshPage(true);
    std::vector<double> step, plainStep;
    for (int round = 0; round < kRounds; ++round) {
        page.scroll(ScrollCode::LineDown);
        double t = now();
        page.RefreshPage(true);
        step.push_back(now() - t);
        const int32_t top = page.topIndex();
        verify(
            screen.cells[kRows - 1][kColName] == catalog.recordName(kMasterList, top + kRows - 1),
            "last row after a step");
        t = now();
        plainRows(catalog, top, kRows, plain);
        plainStep.push_back(now() - t);
    }
    // The same steps with every record selected: each row is looked up in the selection.
    page.selectAll();
    page.setTopIndex(count / 3);
    page.RefreshPage(true);
    std::vector<double> selectedStep;
    for (int round = 0; round < kRounds; ++round) {
        page.scroll(ScrollCode::LineDown);
        const double t = now();
        page.RefreshPage(true);
        selectedStep.push_back(now() - t);
    }
    verify(catalog.recordCount(kSelectionList) == count, "everything selected");
    std::printf(
        "  RefreshPage, full page     %8.3f ms   plain loop %8.3f ms   ratio %5.2f   goal < 2 ms\n",
        median(full) * 1e3, median(plainFull) * 1e3, median(full) / median(plainFull));
    std::printf(
        "  RefreshPage, scroll step   %8.3f ms   plain loop %8.3f ms   ratio %5.2f   goal < 2 ms\n",
        median(step) * 1e3, median(plainStep) * 1e3, median(step) / median(plainStep));

    std::printf(
        "  ... all records selected   %8.3f ms   plain loop %8.3f ms   ratio %5.2f   goal < 2 ms\n",
        median(selectedStep) * 1e3, median(plainStep) * 1e3,
        median(selectedStep) / median(plainStep));
    // Start-up: the same catalog file, opened by the window and by varnel-cli.
    const char* tmp = std::getenv("TMPDIR");
    const std::string file = std::string(tmp && *tmp ? tmp : "/tmp") + "/varnel-view-bench.fdb";
    SilentPrompt prompt;
    CatalogDatabase database(catalog, prompt, file);
    database.clockSeconds = [] { return int64_t{1}; };  // no duplicate check on open
    verify(database.writeCatalogFile(file, nullptr) == 1, "catalog written");
    const std::string runtime = std::string(tmp && *tmp ? tmp : "/tmp") + "/varnel-view-bench-rt";
    mkdir(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const double cli = best(3, {VARNEL_CLI_PATH, "-d", file, "info"});
    const double gui = best(3, {VARNEL_GUI_PATH, "--quit-after-first-page", file});
    verify(cli > 0 && gui > 0, "both programs started and ended well");
    std::printf(
        "  start-up to first page     %8.1f ms   varnel-cli info %6.1f ms   ratio %5.2f   goal < "
        "1.5\n",
        gui * 1e3, cli * 1e3, gui / cli);
    unlink(file.c_str());
    rmdir(runtime.c_str());
    return g_failed ? 1 : 0;
}
