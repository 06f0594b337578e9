// Download and upload of one large file over loopback: Varnel's copy engine (through the
// progress seam, login included) against the curl command doing the same
// transfer with the same server, run side by side in alternating rounds. Prints times and
// ratios (goal: within 1.05x of curl); never fails on time. Every copy is compared byte for
// byte with its source, because a fast wrong copy is not a result.
//
//   ftp_bench [--mib N] [--rounds R]     (200 MiB and 3 rounds when left out)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "copytools.h"

#include "catalog/workspace.h"
#include "fileops/copyengine.h"
#include "platform/ftpclient.h"
#include "platform/progress.h"
#include "platform/prompt.h"
#include "remote/ftpsession.h"
#include "remote/loginform.h"

namespace {

using namespace varnel;
using namespace varnel::bench;
namespace fs = std::filesystem;

std::map<std::string, std::string> readEnv(const std::string& path) {
    std::map<std::string, std::string> values;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (size_t eq = line.find('='); eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    return values;
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

    printComparison("download", "curl", varnelDown, curlDown, double(mib));
    printComparison("upload", "curl", varnelUp, curlUp, double(mib));
    std::printf("(medians of %d rounds; goal: ratio at most 1.05x)\n", rounds);
    return 0;
}
