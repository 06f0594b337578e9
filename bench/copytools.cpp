#include "copytools.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

extern char** environ;

namespace varnel::bench {

namespace {
double cpuSeconds(const rusage& r) {
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}
}  // namespace

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void QuietProgress::close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    cv_.notify_all();
}

void QuietProgress::runModal() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return closed_; });
    closed_ = false;
}

double ownCpuSeconds() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return cpuSeconds(r);
}

int run(const std::vector<std::string>& argv, double* cpu) {
    pid_t pid;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (cpu) *cpu = cpuSeconds(usage);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void printComparison(const char* what, const char* baseline, const Timing& ours,
                     const Timing& theirs, double mib) {
    // Wall time decides the goal; the best round and the CPU time show how much of a
    // difference is the machine being busy with something else.
    const double a = median(ours.wall), b = median(theirs.wall);
    const double bestA = *std::min_element(ours.wall.begin(), ours.wall.end());
    const double bestB = *std::min_element(theirs.wall.begin(), theirs.wall.end());
    std::printf("%-9s %-6s %6.3f s (%6.1f MiB/s, best %6.3f s, cpu %6.3f s)\n", what, "varnel",
                a, mib / a, bestA, median(ours.cpu));
    std::printf("%-9s %-6s %6.3f s (%6.1f MiB/s, best %6.3f s, cpu %6.3f s)\n", "", baseline, b,
                mib / b, bestB, median(theirs.cpu));
    std::printf("%-9s ratio  %.2fx (best rounds %.2fx)\n", "", a / b, bestA / bestB);
}

bool sameBytes(const std::string& a, const std::string& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    std::vector<char> p(1 << 20), q(1 << 20);
    while (x && y) {
        x.read(p.data(), std::streamsize(p.size()));
        y.read(q.data(), std::streamsize(q.size()));
        if (x.gcount() != y.gcount() || std::memcmp(p.data(), q.data(), size_t(x.gcount())) != 0)
            return false;
    }
    return x.eof() && y.eof();
}

void writeSource(const std::string& path, size_t mib) {
    std::ofstream out(path, std::ios::binary);
    std::vector<uint64_t> block((1 << 20) / 8);
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (size_t m = 0; m < mib; ++m) {
        for (uint64_t& word : block) {  // splitmix64
            uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            word = z ^ (z >> 31);
        }
        out.write(reinterpret_cast<const char*>(block.data()), std::streamsize(block.size() * 8));
    }
}

}  // namespace varnel::bench
