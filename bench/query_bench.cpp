// Address-bar and saved-search queries over a generated catalog, each against grep over a
// flat file of the same paths, run side by side. Prints ratios; never fails on time. Every
// Varnel result is checked against the plain record-by-record matcher.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "catalog/workspace.h"
#include "corpus.h"
#include "query/lists.h"
#include "query/savedsearch.h"
#include "query/search.h"
#include "query/wildcard.h"
#include "view/typedsearch.h"

extern char** environ;

namespace {

using namespace varnel;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Runs grep with its output counted in a pipe; returns the time in ms, -1 when it failed.
double timeGrep(const std::vector<std::string>& args, long& count) {
    int out[2];
    if (pipe(out) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> env = {"LC_ALL=C", "PATH=/usr/bin:/bin"};
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) return -1;
    close(out[1]);
    char buffer[64] = {};
    ssize_t n = read(out[0], buffer, sizeof buffer - 1);
    int status = 0;
    waitpid(pid, &status, 0);
    const double elapsed = msSince(start);
    close(out[0]);
    posix_spawn_file_actions_destroy(&actions);
    count = n > 0 ? std::atol(buffer) : -1;
    return elapsed;
}

struct Query {
    const char* label;
    const char* address;   // typed into the address bar, or null for a saved search
    const char* patterns;  // the saved search's pattern list
    std::vector<std::string> grep;
    double goal;
};

int32_t referenceCount(Catalog& c, const Query& q) {
    int32_t n = 0;
    const int32_t count = c.recordCount(kMasterList);
    auto lower = [](std::string s) {
        for (char& ch : s) ch = static_cast<char>(foldCase(static_cast<unsigned char>(ch)));
        return s;
    };
    if (q.address) {
        const std::string text = lower(q.address);
        const bool wild = text.find_first_of("*?") != std::string::npos;
        const std::string pattern = wild ? text : "*" + text + "*";
        for (int32_t r = 0; r < count; ++r) {
            std::string candidate =
                lower(c.recordFolder(kMasterList, r)) + lower(c.recordName(kMasterList, r));
            if (wildcardMatch(candidate.c_str(), pattern.c_str()) ||
                (!wild && lower(c.recordNoteText(kMasterList, r)).find(text) != std::string::npos))
                ++n;
        }
    } else {
        // Extension tokens only: "*.mp3,*.wav" is the extension list "mp3,wav".
        std::string list;
        for (const char* p = q.patterns; *p; ++p)
            if (*p != '*' && !(*p == '.' && (p == q.patterns || p[-1] == '*'))) list += *p;
        for (int32_t r = 0; r < count; ++r)
            n += extensionInList(c.recordName(kMasterList, r), list.c_str());
    }
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    const int32_t count = argc > 1 ? std::atoi(argv[1]) : 1000000;
    Catalog catalog;
    bench::generateCorpus(catalog, count);
    const char* tmp = std::getenv("TMPDIR");
    const std::string paths =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/varnel-query-bench-paths.txt";
    {
        std::string all;
        for (int32_t r = 0; r < count; ++r) {
            all += catalog.recordFolder(kMasterList, r);
            all += catalog.recordName(kMasterList, r);
            all += '\n';
        }
        FILE* f = std::fopen(paths.c_str(), "wb");
        if (!f || std::fwrite(all.data(), 1, all.size(), f) != all.size())
            return std::fprintf(stderr, "cannot write %s\n", paths.c_str()), 1;
        std::fclose(f);
    }

    Settings settings;
    SavedSearchList searches(settings.savedSearchCount, settings.savedSearchBlock);
    CatalogSearch search(catalog, searches);
    search.currentFileTime = [] { return uint64_t{0}; };
    const std::vector<Query> queries = {
        {"plain word, rare (\"crème brûlée\")",
         "crème brûlée",
         nullptr,
         {"grep", "-ciF", "crème brûlée", paths},
         0.35},
        {"plain word, common (\"summer\")",
         "summer",
         nullptr,
         {"grep", "-ciF", "summer", paths},
         0.35},
        {"pattern \"*.mp3\"", "*.mp3", nullptr, {"grep", "-ci", "\\.mp3$", paths}, 1.0},
        {"pattern with ? \"*img_20??06*\"",
         "*img_20??06*",
         nullptr,
         {"grep", "-ci", "img_20..06", paths},
         1.0},
        {"saved search \"*.mp3,*.wav\"",
         nullptr,
         "*.mp3,*.wav",
         {"grep", "-ciE", "\\.(mp3|wav)$", paths},
         0.35},
    };

    // The first query also folds the pools once; later ones reuse the folded copies.
    auto first = Clock::now();
    const int warm = catalog.allocTempList(1);
    search.patternFill(warm, "warm-up");
    std::printf("records: %d; first query (folds the pools once): %.1f ms\n\n", count,
                msSince(first));
    std::printf("%-40s %10s %10s %8s %8s  %s\n", "query", "varnel", "grep", "ratio", "goal",
                "records");
    bool failed = false;
    for (const Query& q : queries) {
        double best = 1e300, grepBest = 1e300;
        int32_t found = 0;
        long grepCount = 0;
        for (int round = 0; round < 3; ++round) {
            const int list = catalog.allocTempList(1);
            const auto start = Clock::now();
            if (q.address) {
                search.patternFill(list, q.address);
            } else {
                searches.addSavedSearch("bench", q.patterns, "", 0);
                search.runSavedSearch(searches.count() - 1, list);
                searches.removeSavedSearch("bench");
            }
            best = std::min(best, msSince(start));
            found = catalog.recordCount(list);
            catalog.releaseTempList(0);
            grepBest = std::min(grepBest, timeGrep(q.grep, grepCount));
        }
        const int32_t expected = referenceCount(catalog, q);
        if (found != expected) failed = true;
        const double ratio = best / grepBest;
        std::printf("%-40s %8.1fms %8.1fms %7.2fx %7.2fx  %d (grep %ld)%s%s\n", q.label, best,
                    grepBest, ratio, q.goal, found, grepCount, ratio <= q.goal ? "" : "  OVER GOAL",
                    found == expected ? "" : "  WRONG: the plain matcher finds a different count");
    }

    // Search as you type: each key after the pause, as the window runs it. The first letter
    // searches the catalog, each further one narrows the shown results.
    std::printf("\ntyping \"summer\" into the address bar (goal: each key <= 16 ms at 1M):\n");
    catalog.historyPushList(kMasterList);
    TypedSearch typing(catalog, search);
    const std::string word = "summer";
    for (size_t length = 1; length <= word.size(); ++length) {
        const std::string typed = word.substr(0, length);
        const auto start = Clock::now();
        typing.show(typed);
        const double ms = msSince(start);
        const int32_t shown = catalog.recordCount(catalog.currentList());
        const int check = catalog.allocTempList(1);
        search.patternFill(check, typed.c_str());
        const bool same = catalog.recordCount(check) == shown;
        catalog.releaseTempList(0);
        if (!same) failed = true;
        std::printf("  %-8s %8.1f ms  %d records%s\n", typed.c_str(), ms, shown,
                    same ? "" : "  WRONG: a fresh search finds a different count");
    }

    std::remove(paths.c_str());
    if (failed) std::printf("\nVERIFICATION FAILED: the times above are not results\n");
    return failed ? 1 : 0;
}
