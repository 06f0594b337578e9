// catalog_bench [N]: times what users wait for in the catalog core (open, save, sort) and the
// memory a loaded catalog holds, each against a plain baseline doing the same bytes or the
// same keys in this process. Prints ratios; only a wrong answer makes the run fail.
#include <fcntl.h>
#include <malloc.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "catalog/dbfile.h"
#include "catalog/sort.h"
#include "catalog/tables.h"
#include "corpus.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

#ifndef VARNEL_BUILD_TYPE
#define VARNEL_BUILD_TYPE "unknown"
#endif

namespace {

using namespace varnel;
using bench::CorpusStats;

constexpr int kRuns = 3;
// fsync times on a shared disk scatter more than anything else measured here.
constexpr int kSaveRounds = 5;
// Below this many records the reader sometimes runs its duplicate check (1 open in 16, by the
// clock); the benchmark pins the clock so each line measures one known path.
constexpr int32_t kAlwaysUncheckedCount = 1000000;
constexpr int32_t kAlwaysCheckedBelow = 50000;
constexpr int64_t kClockSkipsCheck = 1;
constexpr int64_t kClockRunsCheck = 0;

bool g_failed = false;

void verify(bool ok, const std::string& what) {
    if (ok) return;
    std::fprintf(stderr, "verification failed: %s\n", what.c_str());
    g_failed = true;
}

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Best {
    double varnel = 1e300;
    double baseline = 1e300;
};

// Alternates the two so that drift in the machine (other load, disk write-back, clock
// speed) falls on both alike; each run returns the seconds it measured.
template <class VarnelRun, class BaselineRun>
Best bestOf(VarnelRun&& varnel, BaselineRun&& baseline) {
    Best best;
    for (int k = 0; k < kRuns; ++k) {
        best.varnel = std::min(best.varnel, varnel());
        best.baseline = std::min(best.baseline, baseline());
    }
    return best;
}

// A private folder under $TMPDIR (or /tmp), removed with its contents at the end.
class TempFolder {
  public:
    TempFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/varnel-bench-XXXXXX";
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    bool ok() const { return !path_.empty(); }
    std::string file(const char* name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// A catalog database as a plain program run has it, with the clock pinned (see above).
struct OpenedCatalog {
    explicit OpenedCatalog(const std::string& defaultPath, int64_t clock)
        : catalog(std::make_unique<Catalog>()), database(*catalog, prompt, defaultPath) {
        database.clockSeconds = [clock] { return clock; };
    }
    SilentPrompt prompt;
    std::unique_ptr<Catalog> catalog;
    CatalogDatabase database;
};

// ---- plain baselines ------------------------------------------------------------------

std::vector<char> fileBytes(const std::string& path) {
    std::vector<char> bytes;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0) {
        bytes.resize(static_cast<size_t>(st.st_size));
        if (!readFully(fd, bytes.data(), bytes.size())) bytes.clear();
    }
    if (fd >= 0) ::close(fd);
    return bytes;
}

// The file's bytes into fresh memory, as little as a reader can do.
double timePlainRead(const std::string& path, const std::vector<char>& expected) {
    double t0 = now();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    bool ok = fd >= 0 && ::fstat(fd, &st) == 0;
    const size_t size = ok ? static_cast<size_t>(st.st_size) : 0;
    char* memory = static_cast<char*>(std::malloc(size ? size : 1));
    ok = ok && memory && readFully(fd, memory, size);
    if (fd >= 0) ::close(fd);
    double elapsed = now() - t0;
    verify(ok && size == expected.size() && std::memcmp(memory, expected.data(), size) == 0,
           "plain read returned other bytes");
    std::free(memory);
    return elapsed;
}

// The same bytes written the way every careful writer does it: temporary file, fsync,
// rename over the target, fsync of the folder so the rename lasts.
double timePlainSave(const std::string& folder, const std::string& target,
                     const std::vector<char>& bytes) {
    double t0 = now();
    std::string temp = target + ".tmp-XXXXXX";
    int fd = ::mkstemp(temp.data());
    bool ok = fd >= 0 && writeFully(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    if (fd >= 0) ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    double elapsed = now() - t0;
    struct stat st {};
    verify(
        ok && ::stat(target.c_str(), &st) == 0 && static_cast<size_t>(st.st_size) == bytes.size(),
        "plain save did not leave the whole file");
    return elapsed;
}

// ---- checks on what Varnel produced ---------------------------------------------------

void verifyCatalog(Catalog& catalog, const CorpusStats& corpus, const std::string& what) {
    verify(catalog.recordCount(kMasterList) == corpus.records,
           what + ": " + std::to_string(catalog.recordCount(kMasterList)) + " records, expected " +
               std::to_string(corpus.records));
    verify(bench::catalogChecksum(catalog) == corpus.checksum,
           what + ": records differ from the corpus");
}

// The sorted list must hold every master record exactly once.
void verifyPermutation(Catalog& catalog, int list, int32_t count, const char* what) {
    verify(catalog.recordCount(list) == count, std::string(what) + ": wrong record count");
    std::vector<uint8_t> seen(static_cast<size_t>(count), 0);
    for (int32_t k = 0; k < std::min(count, catalog.recordCount(list)); ++k) {
        uint32_t m = catalog.masterIndex(list, k);
        if (m >= static_cast<uint32_t>(count) || seen[m]++) {
            verify(false, std::string(what) + ": not a permutation of the master list");
            return;
        }
    }
}

// ---- peak memory, in a fresh process that only opens the catalog -----------------------

uint64_t statusKilobytes(const char* field) {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    uint64_t value = 0;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, length) == 0 && line[length] == ':')
            value = std::strtoull(line + length + 1, nullptr, 10);
    std::fclose(f);
    return value;
}

int peakChild(const char* path, const char* defaultPath, int64_t clock) {
    const uint64_t before = statusKilobytes("VmRSS");
    OpenedCatalog opened(defaultPath, clock);
    int ok = opened.database.openCatalog(path);
    const uint64_t peak = statusKilobytes("VmHWM");
    const uint64_t after = statusKilobytes("VmRSS");
    std::printf("%d %d %" PRIu64 " %" PRIu64 " %" PRIu64 " %" PRIu64 "\n", ok,
                opened.catalog->recordCount(kMasterList), bench::catalogChecksum(*opened.catalog),
                before, peak, after);
    return 0;
}

struct MemoryUse {
    uint64_t before = 0, peak = 0, after = 0;  // bytes
};

// fork + exec of this program, so the child starts without the parent's memory.
MemoryUse measurePeak(const std::string& path, const std::string& defaultPath, int64_t clock,
                      const CorpusStats& corpus) {
    MemoryUse use;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        verify(false, "pipe for the memory child");
        return use;
    }
    std::fflush(stdout);
    pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        std::string clockText = std::to_string(clock);
        ::execl("/proc/self/exe", "catalog_bench", "--peak-child", path.c_str(),
                defaultPath.c_str(), clockText.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::string reply;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        reply.append(buffer, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    if (child > 0) ::waitpid(child, &status, 0);
    int ok = 0, count = 0;
    uint64_t checksum = 0, before = 0, peak = 0, after = 0;
    bool parsed = std::sscanf(reply.c_str(), "%d %d %" SCNu64 " %" SCNu64 " %" SCNu64 " %" SCNu64,
                              &ok, &count, &checksum, &before, &peak, &after) == 6;
    verify(child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 && parsed,
           "memory child did not report");
    verify(ok == 1 && count == corpus.records && checksum == corpus.checksum,
           "memory child loaded a different catalog");
    use.before = before * 1024;
    use.peak = peak * 1024;
    use.after = after * 1024;
    return use;
}

// ---- report ---------------------------------------------------------------------------

std::string formatSeconds(double s) {
    char text[32];
    if (s < 1.0)
        std::snprintf(text, sizeof text, "%.1f ms", s * 1000);
    else
        std::snprintf(text, sizeof text, "%.3f s", s);
    return text;
}

void printHeader() {
    std::printf("%-36s %11s %11s %8s %9s  %s\n", "measurement", "varnel", "baseline", "ratio",
                "goal", "");
}

void printTimeRow(const char* what, double varnel, double baseline, double goal) {
    const double ratio = varnel / baseline;
    char goalText[16];
    std::snprintf(goalText, sizeof goalText, "<= %.1fx", goal);
    std::printf("%-36s %11s %11s %7.2fx %9s  %s\n", what, formatSeconds(varnel).c_str(),
                formatSeconds(baseline).c_str(), ratio, goalText,
                ratio <= goal ? "meets goal" : "OVER GOAL");
}

// Bytes per record beyond the name text: Varnel's peak against what the file itself holds.
void printMemoryRow(const char* what, const MemoryUse& use, const CorpusStats& corpus,
                    uint64_t fileSize, double goal) {
    const double records = corpus.records;
    const double beyond = (static_cast<double>(use.peak - use.before) - corpus.nameBytes) / records;
    const double fileBeyond = (static_cast<double>(fileSize) - corpus.nameBytes) / records;
    char varnelText[24], baseText[24], goalText[16];
    std::snprintf(varnelText, sizeof varnelText, "%.1f B/rec", beyond);
    std::snprintf(baseText, sizeof baseText, "%.1f B/rec", fileBeyond);
    std::snprintf(goalText, sizeof goalText, "< %.0f B", goal);
    std::printf("%-36s %11s %11s %7.2fx %9s  %s\n", what, varnelText, baseText, beyond / fileBeyond,
                goalText, beyond < goal ? "meets goal" : "OVER GOAL");
}

// ---- the measurements -------------------------------------------------------------------

struct NameEntry {
    const char* name;
    const char* folder;
    uint32_t index;
};

struct KeyEntry {
    int64_t key;
    uint32_t index;
};

// Sort by name: Varnel against std::sort with strcasecmp over the same texts.
void benchNameSort(Catalog& catalog, int list, int32_t count) {
    std::vector<const char*> names(static_cast<size_t>(count)), folders(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        names[static_cast<size_t>(i)] = catalog.recordName(kMasterList, i);
        folders[static_cast<size_t>(i)] = catalog.recordFolder(kMasterList, i);
    }
    std::vector<NameEntry> table(static_cast<size_t>(count));
    Best best = bestOf(
        [&] {
            double t0 = now();
            SortRecordList(catalog, list, kMasterList, kSortByName, kAscending);
            return now() - t0;
        },
        [&] {
            double t0 = now();
            for (int32_t i = 0; i < count; ++i)
                table[static_cast<size_t>(i)] = {names[static_cast<size_t>(i)],
                                                 folders[static_cast<size_t>(i)],
                                                 static_cast<uint32_t>(i)};
            std::sort(table.begin(), table.end(), [](const NameEntry& a, const NameEntry& b) {
                int c = ::strcasecmp(a.name, b.name);
                return c != 0 ? c < 0 : ::strcasecmp(a.folder, b.folder) < 0;
            });
            return now() - t0;
        });
    verifyPermutation(catalog, list, count, "sort by name");

    for (int32_t k = 0; k < std::min(count, catalog.recordCount(list)); ++k) {
        const NameEntry& e = table[static_cast<size_t>(k)];
        if (compareIgnoringCase(catalog.recordName(list, k), e.name) != 0 ||
            compareIgnoringCase(catalog.recordFolder(list, k), e.folder) != 0) {
            verify(false, "sort by name: orders differ at position " + std::to_string(k));
            break;
        }
    }
    printTimeRow("sort by name", best.varnel, best.baseline, 1.2);
}

// Sort by a number column: Varnel against std::sort of {key, index} pairs with the same keys.
void benchKeySort(Catalog& catalog, int list, int32_t count, int32_t column, const char* what,
                  int64_t (*keyOf)(Catalog&, int, int32_t)) {
    std::vector<int64_t> keys(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        keys[static_cast<size_t>(i)] = keyOf(catalog, kMasterList, i);
    std::vector<KeyEntry> table(static_cast<size_t>(count));
    Best best = bestOf(
        [&] {
            double t0 = now();
            SortRecordList(catalog, list, kMasterList, column, kAscending);
            return now() - t0;
        },
        [&] {
            double t0 = now();
            for (int32_t i = 0; i < count; ++i)
                table[static_cast<size_t>(i)] = {keys[static_cast<size_t>(i)],
                                                 static_cast<uint32_t>(i)};
            std::sort(table.begin(), table.end(),
                      [](const KeyEntry& a, const KeyEntry& b) { return a.key < b.key; });
            return now() - t0;
        });
    verifyPermutation(catalog, list, count, what);

    for (int32_t k = 0; k < std::min(count, catalog.recordCount(list)); ++k) {
        if (keyOf(catalog, list, k) != table[static_cast<size_t>(k)].key) {
            verify(false, std::string(what) + ": orders differ at position " + std::to_string(k));
            break;
        }
    }
    printTimeRow(what, best.varnel, best.baseline, 1.5);
}

int64_t timeKey(Catalog& catalog, int list, int32_t i) {
    return static_cast<int64_t>(*catalog.recordTime(list, i));
}
// The size column orders sizes as signed 32-bit numbers (2 GiB and more first), as Varnel
// always has; the baseline sorts the same keys.
int64_t sizeKey(Catalog& catalog, int list, int32_t i) {
    return static_cast<int32_t>(*catalog.recordSize(list, i));
}

int run(int32_t count) {
    TempFolder temp;
    if (!temp.ok()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 2;
    }
    const std::string defaultPath = temp.file("default.fdb");  // never written
    const std::string catalogPath = temp.file("catalog.fdb");
    const std::string savePath = temp.file("saved.fdb");
    const std::string plainPath = temp.file("plain.fdb");

    // The corpus, saved once; everything below starts from that file.
    CorpusStats corpus;
    {
        OpenedCatalog made(defaultPath, kClockSkipsCheck);
        double t0 = now();
        corpus = bench::generateCorpus(*made.catalog, count);
        double generated = now() - t0;
        verifyCatalog(*made.catalog, corpus, "generated catalog");
        verify(made.database.writeCatalogFile(catalogPath, nullptr) == 1, "saving the corpus");
        std::printf(
            "corpus: %d records in %d folders, name text %.1f MB (%.1f B/name), %d non-ASCII "
            "names, "
            "%d notes, %d files >= 2 GiB; generated in %s\n",
            corpus.records, corpus.folders, corpus.nameBytes / 1e6,
            static_cast<double>(corpus.nameBytes) / corpus.records, corpus.nonAsciiNames,
            corpus.notes, corpus.bigFiles, formatSeconds(generated).c_str());
    }
    const std::vector<char> fileImage = fileBytes(catalogPath);  // also warms the page cache
    verify(!fileImage.empty(), "reading the saved corpus");
    std::printf("catalog file: %.1f MB in %s; build %s; best of %d runs (saves: %d)\n\n",
                fileImage.size() / 1e6, temp.path().c_str(), VARNEL_BUILD_TYPE, kRuns, kSaveRounds);
    if (count < kAlwaysCheckedBelow)
        std::printf("below %d records every open and save runs the duplicate check\n\n",
                    kAlwaysCheckedBelow);
    if (g_failed) return 1;
    printHeader();

    // ---- load
    auto timeOpen = [&](int64_t clock, std::unique_ptr<OpenedCatalog>* keep) {
        auto opened = std::make_unique<OpenedCatalog>(defaultPath, clock);
        double t0 = now();
        int ok = opened->database.openCatalog(catalogPath);
        double elapsed = now() - t0;
        verify(ok == 1, "openCatalog failed: " + opened->database.lastError());
        verifyCatalog(*opened->catalog, corpus, "loaded catalog");
        if (keep) *keep = std::move(opened);
        return elapsed;
    };
    std::unique_ptr<OpenedCatalog> loaded;
    Best load = bestOf([&] { return timeOpen(kClockSkipsCheck, &loaded); },
                       [&] { return timePlainRead(catalogPath, fileImage); });
    printTimeRow("load (openCatalog vs read)", load.varnel, load.baseline, 2.0);
    if (count < kAlwaysUncheckedCount) {
        Best checked = bestOf([&] { return timeOpen(kClockRunsCheck, nullptr); },
                              [&] { return timePlainRead(catalogPath, fileImage); });
        printTimeRow("load, duplicate check (1 in 16)", checked.varnel, checked.baseline, 2.0);
    }

    // ---- save: each round opens the file afresh, saves twice, then runs the baseline on
    // the bytes Varnel wrote.
    double firstSave = 1e300, saveAgain = 1e300, saveEdited = 1e300, plainSave = 1e300;
    for (int k = 0; k < kSaveRounds; ++k) {
        OpenedCatalog opened(defaultPath, kClockSkipsCheck);
        verify(opened.database.openCatalog(catalogPath) == 1, "open before saving");
        double t0 = now();
        int ok = opened.database.writeCatalogFile(savePath, nullptr);
        double t1 = now();
        ok = ok && opened.database.writeCatalogFile(savePath, nullptr);
        double t2 = now();
        // One rename leaves an unused name behind, so the next save compacts the name pool.
        Catalog& edited = *opened.catalog;
        std::string name = edited.recordName(kMasterList, 0);
        std::strcpy(edited.setRecordName(kMasterList, 0), name.c_str());
        double t3 = now();
        ok = ok && opened.database.writeCatalogFile(savePath + ".edited", nullptr);
        saveEdited = std::min(saveEdited, now() - t3);
        verify(ok == 1, "writeCatalogFile failed: " + opened.database.lastError());
        verifyCatalog(*opened.catalog, corpus, "catalog after saving");
        firstSave = std::min(firstSave, t1 - t0);
        saveAgain = std::min(saveAgain, t2 - t1);
        plainSave = std::min(plainSave, timePlainSave(temp.path(), plainPath, fileBytes(savePath)));
    }
    const std::vector<char> savedImage = fileBytes(savePath);
    {
        OpenedCatalog reread(defaultPath, kClockSkipsCheck);
        verify(reread.database.openCatalog(savePath) == 1, "reopening the saved catalog");
        verifyCatalog(*reread.catalog, corpus, "saved catalog");
    }
    printTimeRow("save, first after load", firstSave, plainSave, 1.5);
    printTimeRow("save again", saveAgain, plainSave, 1.5);
    printTimeRow("save after renaming a file", saveEdited, plainSave, 1.5);

    // ---- sort, on the catalog as loaded
    Catalog& catalog = *loaded->catalog;
    const int list = catalog.allocTempList(1);
    benchNameSort(catalog, list, count);
    benchKeySort(catalog, list, count, kSortBySize, "sort by size", sizeKey);
    benchKeySort(catalog, list, count, kSortByTime, "sort by time", timeKey);
    loaded.reset();

    // ---- memory
    MemoryUse memory = measurePeak(catalogPath, defaultPath, kClockSkipsCheck, corpus);
    printMemoryRow("peak memory beyond name text", memory, corpus, fileImage.size(), 64);
    MemoryUse checkedMemory;
    if (count < kAlwaysUncheckedCount) {
        checkedMemory = measurePeak(catalogPath, defaultPath, kClockRunsCheck, corpus);
        printMemoryRow("peak memory, duplicate check", checkedMemory, corpus, fileImage.size(), 64);
    }

    auto memoryNote = [&](const char* what, const MemoryUse& use) {
        std::printf(
            "  %s: process %.1f MB before open, peak %.1f MB, %.1f MB after; name text %.1f MB\n",
            what, use.before / 1e6, use.peak / 1e6, use.after / 1e6, corpus.nameBytes / 1e6);
    };
    std::printf("\n");
    memoryNote("open", memory);
    if (count < kAlwaysUncheckedCount) memoryNote("open with duplicate check", checkedMemory);
    std::printf("  saved file %s the corpus file byte for byte\n",
                savedImage == fileImage ? "matches" : "differs from");
    if (g_failed) std::printf("\nVERIFICATION FAILED: the times above are not results\n");
    return g_failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Every large block comes fresh from the kernel, for Varnel and the baselines alike, as
    // on the first open of a session; otherwise malloc's adaptive threshold would let later
    // runs reuse memory that is already mapped.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    // Output cut short (| head) must not stop the run before the temporary folder goes.
    std::signal(SIGPIPE, SIG_IGN);

    if (argc == 5 && std::strcmp(argv[1], "--peak-child") == 0)
        return peakChild(argv[2], argv[3], std::strtoll(argv[4], nullptr, 10));
    long count = 1000000;
    if (argc > 1) {
        char* end = nullptr;
        count = std::strtol(argv[1], &end, 10);
        if (argc > 2 || *end != 0 || count < 1 || count > 50000000) {
            std::fprintf(stderr,
                         "usage: catalog_bench [RECORDS]   (1 to 50000000, default 1000000)\n");
            return 2;
        }
    }
    return run(static_cast<int32_t>(count));
}
