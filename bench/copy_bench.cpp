// Local copies as Paste makes them: Varnel's copy engine (a part file per target, times and
// permissions kept, under the progress seam) against cp --preserve=timestamps,mode doing the
// same, in alternating rounds: one large file, and a folder's worth of small ones. Prints
// times and ratios (goal: within 1.1x of cp); never fails on time. Every copy is checked.
//
//   copy_bench [--mib N] [--files N] [--rounds R]   (1024 MiB, 10000 files, 4 rounds)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "catalog/workspace.h"
#include "copytools.h"
#include "fileops/copyengine.h"
#include "platform/ftpclient.h"
#include "platform/prompt.h"
#include "remote/ftpsession.h"

namespace {

using namespace varnel;
using namespace varnel::bench;
namespace fs = std::filesystem;

struct Rig {
    std::unique_ptr<FtpClient> client = makeCurlFtpClient();
    SilentPrompt prompt;
    NoDialogs dialogs;
    Settings settings;
    FtpSession session{*client, prompt, dialogs, settings};
    QuietProgress progress;
    CopyEngine engine{session, prompt, progress};
};

// One round of each, in the order given; false when a copy failed or differs. Each side
// copies into a fresh folder; the folders go afterwards, and which side goes first
// alternates, since a file system allocates inodes slower right after many were freed.
bool race(Rig& rig, const std::vector<std::string>& sources, const std::string& into,
          uint64_t bytes, bool varnelFirst, Timing& ours, Timing& cp) {
    fs::create_directories(into + "/varnel");
    fs::create_directories(into + "/cp");
    bool copied = true;
    int rc = 0;
    auto runVarnel = [&] {
        const auto start = Clock::now();
        const double cpu = ownCpuSeconds();
        copied = rig.engine.RunCopyJob({into + "/varnel/", sources, bytes});
        ours.wall.push_back(secondsSince(start));
        ours.cpu.push_back(ownCpuSeconds() - cpu);
    };
    auto runCp = [&] {
        std::vector<std::string> argv = {"cp", "--preserve=timestamps,mode", "-t", into + "/cp"};
        argv.insert(argv.end(), sources.begin(), sources.end());
        double cpu = 0;
        const auto start = Clock::now();
        rc = run(argv, &cpu);
        cp.wall.push_back(secondsSince(start));
        cp.cpu.push_back(cpu);
    };
    if (varnelFirst) {
        runVarnel();
        runCp();
    } else {
        runCp();
        runVarnel();
    }
    bool same = copied && rc == 0;
    for (size_t i = 0; same && i < sources.size(); ++i) {
        const std::string name = fs::path(sources[i]).filename();
        same = sameBytes(sources[i], into + "/varnel/" + name) &&
               sameBytes(sources[i], into + "/cp/" + name);
    }
    fs::remove_all(into);
    return same;
}

}  // namespace

int main(int argc, char** argv) {
    size_t mib = 1024, files = 10000;
    int rounds = 4;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--mib") == 0)
            mib = std::strtoul(argv[++i], nullptr, 10);
        else if (std::strcmp(argv[i], "--files") == 0)
            files = std::strtoul(argv[++i], nullptr, 10);
        else if (std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::atoi(argv[++i]);
    }
    if (mib == 0 || files == 0 || rounds < 1) {
        std::fprintf(stderr, "usage: copy_bench [--mib N] [--files N] [--rounds R]\n");
        return 2;
    }
    std::printf("copy_bench: one %zu MiB file and %zu small files, %d rounds, build %s\n", mib,
                files, rounds, VARNEL_BUILD_TYPE);
    const char* tmp = std::getenv("TMPDIR");
    std::string work = std::string(tmp && *tmp ? tmp : "/tmp") + "/varnel-copybench-XXXXXX";
    if (!mkdtemp(work.data())) return 2;
    const std::string big = work + "/big.bin";
    writeSource(big, mib);
    fs::create_directories(work + "/small");
    std::vector<std::string> small;
    uint64_t smallBytes = 0;
    for (size_t i = 0; i < files; ++i) {
        small.push_back(work + "/small/f" + std::to_string(i) + ".txt");
        const std::string text(100 + (i * 7919) % 8000, char('a' + i % 26));
        std::ofstream(small.back(), std::ios::binary) << text;
        smallBytes += text.size();
    }

    Rig rig;
    Timing bigOurs, bigCp, smallOurs, smallCp;
    bool verified = true;
    for (int round = 0; round < rounds && verified; ++round) {
        const bool varnelFirst = round % 2 == 0;
        verified =
            race(rig, {big}, work + "/out", uint64_t(mib) << 20, varnelFirst, bigOurs, bigCp) &&
            race(rig, small, work + "/out", smallBytes, varnelFirst, smallOurs, smallCp);
    }
    fs::remove_all(work);
    if (!verified) {
        std::fprintf(stderr, "copy_bench: a copy failed or differs from its source\n");
        return 1;
    }
    printComparison("one file", "cp", bigOurs, bigCp, double(mib));
    printComparison("files", "cp", smallOurs, smallCp, double(smallBytes) / 1048576.0);
    std::printf("(medians of %d rounds; goal: ratio at most 1.10x)\n", rounds);
    return 0;
}
