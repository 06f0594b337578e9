// The folder scan over a generated tree, against find(1) doing the same listing and stat work
// on the same warm tree: `find ROOT -printf '%s %T@ %p\n' > /dev/null`. Prints ratios; never
// fails on time. Every scan is checked against what the generator made: the records, their
// checksum, what was skipped, and for the rescan that nothing moved.
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "catalog/tables.h"
#include "platform/folderlisting.h"
#include "platform/prompt.h"
#include "scan/folderscan.h"
#include "scan/scanpaths.h"
#include "scan/scanservices.h"
#include "treegen.h"

extern char** environ;

namespace {

using namespace varnel;
using namespace varnel::bench;
using Clock = std::chrono::steady_clock;

#ifndef VARNEL_BUILD_TYPE
#define VARNEL_BUILD_TYPE "unknown"
#endif

bool g_failed = false;

void verify(bool ok, const std::string& what) {
    if (ok) return;
    std::printf("VERIFICATION FAILED: %s\n", what.c_str());
    g_failed = true;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// find with its output thrown away; the time in ms, -1 when it could not run.
double timeFind(const std::string& root) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args = {"find", root, "-printf", "%s %T@ %p\n"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string locale = "LC_ALL=C", path = "PATH=/usr/bin:/bin";
    char* envp[] = {locale.data(), path.data(), nullptr};
    const auto start = Clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, "find", &actions, nullptr, argv.data(), envp) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double elapsed = msSince(start);
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? elapsed : -1;
}

struct ScanRun {
    double ms = 0;
    ScanSummary summary;
};

ScanRun timeScan(Catalog& catalog, const std::string& root) {
    SilentPrompt prompt;
    ScanServices services(catalog, prompt, "");
    const FolderList roots = FolderList::fromText(root, true);
    const auto start = Clock::now();
    ScanRun run;
    run.summary = scanFolders(services, roots.data(), roots.length(), "", 0, 0, nullptr);
    run.ms = msSince(start);
    return run;
}

uint64_t unorderedChecksum(Catalog& catalog) {
    catalog.flushPendingStrings();
    uint64_t sum = 0;
    for (int32_t i = 0; i < catalog.recordCount(kMasterList); ++i)
        sum += recordChecksum(
            catalog.recordFolder(kMasterList, i), catalog.recordName(kMasterList, i),
            *catalog.recordTime(kMasterList, i), *catalog.recordSize(kMasterList, i));
    return sum;
}

uint64_t orderedChecksum(Catalog& catalog) {
    uint64_t h = 0;
    for (int32_t i = 0; i < catalog.recordCount(kMasterList); ++i)
        h = h * 1099511628211ULL + recordChecksum(catalog.recordFolder(kMasterList, i),
                                                  catalog.recordName(kMasterList, i),
                                                  *catalog.recordTime(kMasterList, i),
                                                  *catalog.recordSize(kMasterList, i));
    return h;
}

void verifyFirstScan(Catalog& catalog, const ScanRun& run, const TreeStats& tree) {
    verify(catalog.recordCount(kMasterList) == tree.catalogued, "record count of the first scan");
    verify(unorderedChecksum(catalog) == tree.checksum, "records of the first scan");
    verify(run.summary.newFiles == tree.catalogued, "new files of the first scan");
    verify(run.summary.foldersWalked == tree.reachableFolders, "folders walked");
    verify(run.summary.skippedLargeFiles == tree.largeFiles, "files of 4 GiB or more skipped");
    verify(run.summary.skippedLongPaths == tree.longPaths, "long paths skipped");
    uint64_t previous = UINT64_MAX;
    bool newestFirst = true;
    for (int32_t i = 0; i < catalog.recordCount(kMasterList) && newestFirst; ++i) {
        newestFirst = *catalog.recordTime(kMasterList, i) <= previous;
        previous = *catalog.recordTime(kMasterList, i);
    }
    verify(newestFirst, "newest first");
}

long statusKilobytes(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

// In a process of its own, so nothing else counts: a first scan, then a rescan. Prints the
// peak and the starting resident memory (kB) and the record count.
int peakChild(const std::string& root) {
    const long before = statusKilobytes("VmRSS:");
    auto catalog = std::make_unique<Catalog>();
    timeScan(*catalog, root);
    timeScan(*catalog, root);
    std::printf("%ld %ld %d\n", statusKilobytes("VmHWM:"), before,
                catalog->recordCount(kMasterList));
    return 0;
}

bool measurePeak(const std::string& root, long& peak, long& before, long& records) {
    int out[2];
    if (pipe(out) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string self = "/proc/self/exe", flag = "--peak-child", tree = root;
    char* argv[] = {self.data(), flag.data(), tree.data(), nullptr};
    pid_t pid;
    const bool spawned = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv, environ) == 0;
    close(out[1]);
    char text[128] = {};
    const ssize_t n = spawned ? read(out[0], text, sizeof text - 1) : -1;
    close(out[0]);
    if (spawned) waitpid(pid, nullptr, 0);
    posix_spawn_file_actions_destroy(&actions);
    return n > 0 && std::sscanf(text, "%ld %ld %ld", &peak, &before, &records) == 3;
}

void printRow(const char* what, double varnel, double find, double goal) {
    std::printf("%-18s varnel %9.1f ms   find %9.1f ms   %5.2fx   goal <= %.2fx%s\n", what, varnel,
                find, varnel / find, goal, varnel / find <= goal ? "" : "   (missed)");
}

struct SizeResult {
    long files = 0;
    double first = 0, rescan = 0, find = 0;  // best times in ms
};

int run(long files, const std::string& keep, SizeResult& result) {
    std::string base;
    if (keep.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        base = std::string(tmp && *tmp ? tmp : "/tmp") + "/varnel-scan-bench-XXXXXX";
        if (!mkdtemp(base.data())) {
            std::fprintf(stderr, "scan_bench: no temporary folder\n");
            return 2;
        }
    } else {
        base = keep;
        mkdir(base.c_str(), 0755);
    }
    const std::string root = base + "/tree-" + std::to_string(files);
    const std::string stamp = base + "/stamp-" + std::to_string(files);
    TreeStats tree;
    std::string error;
    const auto generation = Clock::now();
    const bool reuse = !keep.empty() && access(stamp.c_str(), F_OK) == 0;
    if (reuse) {
        std::ifstream in(stamp);
        long long v[7];
        for (long long& x : v) in >> x;
        tree = {v[0], v[1], v[2], v[3], v[4], v[5], static_cast<uint64_t>(v[6])};
    } else {
        removeTree(root.c_str());
        mkdir(root.c_str(), 0755);
        if (!generateTree(root, files, tree, error)) {
            std::fprintf(stderr, "scan_bench: %s\n", error.c_str());
            removeTree(base.c_str());
            return 2;
        }
        if (!keep.empty())
            std::ofstream(stamp) << tree.files << ' ' << tree.folders << ' ' << tree.catalogued
                                 << ' ' << tree.largeFiles << ' ' << tree.longPaths << ' '
                                 << tree.reachableFolders << ' '
                                 << static_cast<long long>(tree.checksum);
    }
    std::printf("scan_bench (%s): %lld files in %lld folders under %s (%s in %.1f s)\n",
                VARNEL_BUILD_TYPE, static_cast<long long>(tree.files),
                static_cast<long long>(tree.folders), root.c_str(), reuse ? "reused" : "generated",
                msSince(generation) / 1000);
    std::printf("  %lld to catalogue, %lld of 4 GiB or more, %lld paths too long\n",
                static_cast<long long>(tree.catalogued), static_cast<long long>(tree.largeFiles),
                static_cast<long long>(tree.longPaths));

    // Warm the caches for both: the same tree, listed once by each.
    timeFind(root);
    {
        Catalog warm;
        timeScan(warm, root);
    }
    double bestFind = 1e300, bestFirst = 1e300, bestRescan = 1e300;
    for (int round = 0; round < 3; ++round) {
        const double find = timeFind(root);
        verify(find > 0, "find ran");
        bestFind = std::min(bestFind, find);
        auto catalog = std::make_unique<Catalog>();
        const ScanRun first = timeScan(*catalog, root);
        verifyFirstScan(*catalog, first, tree);
        bestFirst = std::min(bestFirst, first.ms);

        bestFind = std::min(bestFind, timeFind(root));
        const int32_t gen = catalog->generation();
        const uint64_t order = orderedChecksum(*catalog);
        const ScanRun again = timeScan(*catalog, root);
        verify(catalog->generation() == gen, "the rescan left the generation alone");
        verify(orderedChecksum(*catalog) == order, "the rescan left list and order alone");
        verify(
            again.summary.newFiles + again.summary.changedFiles + again.summary.removedFiles == 0,
            "the rescan found nothing new");
        bestRescan = std::min(bestRescan, again.ms);
    }
    std::printf("\nbest of 3, find and varnel alternating:\n");
    printRow("first scan", bestFirst, bestFind, 0.5);
    printRow("unchanged rescan", bestRescan, bestFind, 0.8);
    result = {static_cast<long>(tree.catalogued), bestFirst, bestRescan, bestFind};

    long peak = 0, before = 0, records = 0;
    if (measurePeak(root, peak, before, records)) {
        verify(records == tree.catalogued, "records of the memory run");
        std::printf(
            "peak memory        %.1f MB (%.0f bytes per file) in a process that scans twice\n",
            (peak - before) / 1024.0, (peak - before) * 1024.0 / static_cast<double>(records));
    } else {
        verify(false, "the memory run");
    }
    if (keep.empty()) removeTree(base.c_str());
    if (g_failed) std::printf("\nVERIFICATION FAILED: the times above are not results\n");
    return g_failed ? 1 : 0;
}

// Cost per file of the larger tree against the smaller one: a scan that stays linear keeps it
// near 1.
void printGrowth(const SizeResult& small, const SizeResult& large) {
    auto perFile = [](double ms, long files) { return ms / static_cast<double>(files); };
    std::printf("\ncost per file, %ld files against %ld:\n", large.files, small.files);
    const double goal = 1.2;
    for (auto [what, a, b] : {std::tuple{"first scan", small.first, large.first},
                              std::tuple{"unchanged rescan", small.rescan, large.rescan},
                              std::tuple{"find", small.find, large.find}}) {
        const double growth = perFile(b, large.files) / perFile(a, small.files);
        std::printf("%-18s %5.2fx%s\n", what, growth,
                    std::string_view(what) == "find" ? "   (the baseline's own growth)"
                    : growth <= goal                 ? "   goal <= 1.20x"
                                                     : "   goal <= 1.20x   (missed)");
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    if (argc == 3 && std::strcmp(argv[1], "--peak-child") == 0) return peakChild(argv[2]);
    std::vector<long> sizes;
    std::string keep;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep") == 0 && i + 1 < argc) {
            keep = argv[++i];
        } else {
            char* end = nullptr;
            const long files = std::strtol(argv[i], &end, 10);
            if (*end != 0 || files < 1 || files > 20000000) {
                std::fprintf(stderr, "usage: scan_bench [FILES...] [--keep FOLDER]\n");
                return 2;
            }
            sizes.push_back(files);
        }
    }
    if (sizes.empty()) sizes = {100000, 1000000};
    std::vector<SizeResult> results;
    for (long files : sizes) {
        SizeResult result;
        if (const int status = run(files, keep, result); status != 0) return status;
        results.push_back(result);
        std::printf("\n");
    }
    for (size_t k = 1; k < results.size(); ++k) printGrowth(results[0], results[k]);
    return 0;
}
