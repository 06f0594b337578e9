#include "support/smbtestserver.h"

#include <unistd.h>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "support/envfile.h"
#include "remote/foldersharing.h"

namespace varnel::test {

const SmbTestServer* SmbTestServer::get() {
    static const std::unique_ptr<SmbTestServer> server = []() -> std::unique_ptr<SmbTestServer> {
        const char* state = std::getenv("VARNEL_SMB_STATE");
        if (!state) return nullptr;
        auto env = readEnvFile(std::string(state) + "/server.env");
        if (env["port"].empty() && env["skipped"].empty()) return nullptr;
        auto s = std::make_unique<SmbTestServer>();
        s->skipped = env["skipped"];
        s->port = env["port"];
        s->conf = env["conf"];
        s->shares = env["shares"];
        s->net = env["net"];
        s->smbclient = env["smbclient"];
        return s;
    }();
    return server.get();
}

ProcessResult SmbTestServer::client(const std::string& share, const std::string& commands) const {
    return runProcess(
        {smbclient, "-N", "-s", conf, "-p", port, "//127.0.0.1/" + share, "-c", commands});
}

void SmbServerTest::SetUp() {
    server = SmbTestServer::get();
    ASSERT_NE(server, nullptr) << "no smbd test server: run the tests through ctest, whose "
                                  "fixture starts tests/fixtures/smbd_server.py";
    if (!server->skipped.empty()) GTEST_SKIP() << server->skipped;
    static std::atomic<int> counter{0};
    programDir = server->shares + "/t" + std::to_string(::getpid()) + "-" +
                 std::to_string(counter++) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
    shareFolder = programDir + "/share/";
    std::filesystem::create_directories(shareFolder);
}

void SmbServerTest::TearDown() {
    if (!server || !server->skipped.empty()) return;
    runProcess({server->net, "-s", server->conf, "usershare", "delete", kShareName});
    std::error_code ignored;
    std::filesystem::remove_all(programDir, ignored);
}

}  // namespace varnel::test
