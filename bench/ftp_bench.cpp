// Download and upload of one large file over loopback: Varnel's copy engine (2048-byte
// chunks through the progress seam, login included) against the curl command doing the same
// transfer with the same server, run side by side in alternating rounds. Prints times and
// ratios (goal: within 1.05x of curl); never fails on time. Every copy is compared byte for
// byte with its source, because a fast wrong copy is not a result.
//
//   ftp_bench [--mib N] [--rounds R]     (200 MiB and 3 rounds when left out)
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "catalog/workspace.h"
#include "fileops/copyengine.h"
#include "platform/ftpclient.h"
#include "platform/progress.h"
#include "platform/prompt.h"
#include "remote/ftpsession.h"
#include "remote/loginform.h"

extern char** environ;

namespace {

using namespace varnel;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A progress dialog nobody looks at: it only waits for the worker to close it.
class QuietProgress : public Progress {
  public:
    void setCaption(std::string_view) override {}
    void setStatus(std::string_view) override {}
    void setBar(int) override {}
    void close() override {
        std::lock_guard lock(mutex_);
        closed_ = true;
        cv_.notify_all();
    }
    void runModal() override {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return closed_; });
        closed_ = false;
    }

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

double cpuSeconds(const rusage& r) {
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// This process's CPU time so far (the copy worker's included).
double ownCpuSeconds() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return cpuSeconds(r);
}

// Runs a program and waits; `cpu` receives the CPU time it used.
int run(const std::vector<std::string>& argv, double* cpu = nullptr) {
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

struct Timing {
    std::vector<double> wall, cpu;
};

std::map<std::string, std::string> readEnv(const std::string& path) {
    std::map<std::string, std::string> values;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (size_t eq = line.find('='); eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    return values;
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

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    size_t mib = 200;
    int rounds = 3;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--mib") == 0)
            mib = std::strtoul(argv[++i], nullptr, 10);
        else if (std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::atoi(argv[++i]);
    }
    if (mib == 0 || rounds < 1) {
        std::fprintf(stderr, "usage: ftp_bench [--mib N] [--rounds R]\n");
        return 2;
    }
    std::printf("ftp_bench: %zu MiB over loopback, %d rounds, build %s\n", mib, rounds,
                VARNEL_BUILD_TYPE);

    const char* tmp = std::getenv("TMPDIR");
    std::string work = std::string(tmp && *tmp ? tmp : "/tmp") + "/varnel-ftpbench-XXXXXX";
    if (!mkdtemp(work.data())) return 2;
    const std::string launcher = std::string(VARNEL_SOURCE_DIR) + "/tests/fixtures/ftp_server.py";
    const std::string state = work + "/server";
    if (run({"/usr/bin/python3", launcher, "start", state}) != 0) {
        std::fprintf(stderr, "ftp_bench: the FTP server did not start\n");
        return 2;
    }
    auto env = readEnv(state + "/server.env");
    const std::string host = "127.0.0.1:" + env["port"];
    const std::string root = env["root"];
    const std::string source = work + "/source.bin";
    writeSource(source, mib);
    fs::copy_file(source, root + "/source.bin");
    fs::create_directories(root + "/up");
    const std::string credentials = env["user"] + ":" + env["password"];

    std::unique_ptr<FtpClient> client = makeCurlFtpClient();
    SilentPrompt prompt;
    NoDialogs dialogs;
    QuietProgress progress;
    Timing varnelDown, curlDown, varnelUp, curlUp;
    bool verified = true;
    auto check = [&](const std::string& copy, const char* what) {
        if (sameBytes(source, copy)) return;
        std::fprintf(stderr, "ftp_bench: %s differs from the source\n", what);
        verified = false;
    };
    for (int round = 0; round < rounds && verified; ++round) {
        Settings settings;
        FtpSession session(*client, prompt, dialogs, settings);
        session.addSessionLogin(host, env["user"], env["password"]);
        CopyEngine engine(session, prompt, progress);
        const std::string down = work + "/down";
        fs::create_directories(down);

        auto start = Clock::now();
        double cpu = ownCpuSeconds();
        const bool got =
            engine.RunCopyJob({down + "/", {"ftp://" + host + "/source.bin"}, uint64_t(mib) << 20});
        varnelDown.wall.push_back(secondsSince(start));
        varnelDown.cpu.push_back(ownCpuSeconds() - cpu);
        if (!got) verified = false;
        check(down + "/source.bin", "Varnel's download");
        fs::remove(down + "/source.bin");

        start = Clock::now();
        int rc = run({"curl", "-s", "-S", "--user", credentials, "-o", down + "/curl.bin",
                      "ftp://" + host + "/source.bin"},
                     &cpu);
        curlDown.wall.push_back(secondsSince(start));
        curlDown.cpu.push_back(cpu);
        if (rc != 0) verified = false;
        check(down + "/curl.bin", "curl's download");
        fs::remove(down + "/curl.bin");

        start = Clock::now();
        cpu = ownCpuSeconds();
        const bool sent =
            engine.RunCopyJob({"ftp://" + host + "/up/", {source}, uint64_t(mib) << 20});
        varnelUp.wall.push_back(secondsSince(start));
        varnelUp.cpu.push_back(ownCpuSeconds() - cpu);
        if (!sent) verified = false;
        check(root + "/up/source.bin", "Varnel's upload");
        fs::remove(root + "/up/source.bin");

        start = Clock::now();
        rc = run({"curl", "-s", "-S", "--user", credentials, "-T", source,
                  "ftp://" + host + "/up/curl.bin"},
                 &cpu);
        curlUp.wall.push_back(secondsSince(start));
        curlUp.cpu.push_back(cpu);
        if (rc != 0) verified = false;
        check(root + "/up/curl.bin", "curl's upload");
        fs::remove(root + "/up/curl.bin");
    }
    run({"/usr/bin/python3", launcher, "stop", state});
    fs::remove_all(work);
    if (!verified) return 1;

    // Wall time decides the goal; the best round and the CPU time show how much of a
    // difference is the machine being busy with something else.
    auto line = [&](const char* what, const Timing& ours, const Timing& theirs) {
        const double a = median(ours.wall), b = median(theirs.wall);
        const double bestA = *std::min_element(ours.wall.begin(), ours.wall.end());
        const double bestB = *std::min_element(theirs.wall.begin(), theirs.wall.end());
        std::printf("%-9s varnel %6.3f s (%6.1f MiB/s, best %6.3f s, cpu %6.3f s)\n", what, a,
                    double(mib) / a, bestA, median(ours.cpu));
        std::printf("%-9s curl   %6.3f s (%6.1f MiB/s, best %6.3f s, cpu %6.3f s)\n", "", b,
                    double(mib) / b, bestB, median(theirs.cpu));
        std::printf("%-9s ratio  %.2fx (best rounds %.2fx)\n", "", a / b, bestA / bestB);
    };
    line("download", varnelDown, curlDown);
    line("upload", varnelUp, curlUp);
    std::printf("(medians of %d rounds; goal: ratio at most 1.05x)\n", rounds);
    return 0;
}
