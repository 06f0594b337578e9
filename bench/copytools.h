#pragma once
// What the copy benchmarks share: a progress dialog and login dialogs nobody looks at,
// running a baseline program with its CPU time, and checking copies byte for byte.
#include <sys/resource.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "benchtiming.h"
#include "platform/progress.h"
#include "remote/loginform.h"

namespace varnel::bench {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start);

// A progress dialog nobody looks at: it only waits for the worker to close it.
class QuietProgress : public Progress {
  public:
    void setCaption(std::string_view) override {}
    void setStatus(std::string_view) override {}
    void setBar(int) override {}
    void close() override;
    void runModal() override;

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool closed_ = false;
};

class NoDialogs : public RemoteDialogs {
  public:
    bool login(LoginForm&) override { return false; }
    bool networkFolder(std::string&) override { return false; }
};

// This process's CPU time so far (worker threads included).
double ownCpuSeconds();
// Runs a program and waits; `cpu` receives the CPU time it used.
int run(const std::vector<std::string>& argv, double* cpu = nullptr);

struct Timing {
    std::vector<double> wall, cpu;
};
// Three lines: Varnel, the baseline and their ratio, for `mib` MiB moved per round.
void printComparison(const char* what, const char* baseline, const Timing& ours,
                     const Timing& theirs, double mib);

bool sameBytes(const std::string& a, const std::string& b);
// `mib` MiB of pseudo-random bytes, the same every run.
void writeSource(const std::string& path, size_t mib);

}  // namespace varnel::bench
