#include "support/ftptestserver.h"

#include <unistd.h>
#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "support/envfile.h"
#include "support/tempdir.h"

namespace varnel::test {

const FtpTestServer* FtpTestServer::get() {
    static const std::unique_ptr<FtpTestServer> server = []() -> std::unique_ptr<FtpTestServer> {
        const char* state = std::getenv("VARNEL_FTP_STATE");
        if (!state) return nullptr;
        auto env = readEnvFile(std::string(state) + "/server.env");
        if (env["port"].empty()) return nullptr;
        auto s = std::make_unique<FtpTestServer>();
        s->host = "127.0.0.1:" + env["port"];
        s->listHost = "127.0.0.1:" + env["listport"];
        s->dropHost = "127.0.0.1:" + env["dropport"];
        s->shortHost = "127.0.0.1:" + env["shortport"];
        s->root = env["root"];
        s->user = env["user"];
        s->password = env["password"];
        s->logPath = env["log"];
        return s;
    }();
    return server.get();
}

size_t FtpTestServer::logSize() const {
    std::error_code ignored;
    return static_cast<size_t>(std::filesystem::file_size(logPath, ignored));
}

std::string FtpTestServer::logSince(size_t offset) const {
    std::string all = readFile(logPath);
    return offset < all.size() ? all.substr(offset) : std::string();
}

int countLines(const std::string& log, std::string_view prefix) {
    int n = 0;
    for (size_t at = 0; at < log.size();) {
        size_t end = log.find('\n', at);
        if (end == std::string::npos) end = log.size();
        if (std::string_view(log).substr(at, end - at).substr(0, prefix.size()) == prefix) ++n;
        at = end + 1;
    }
    return n;
}

ServerFolder::ServerFolder(const FtpTestServer& server, std::string_view hint)
    : root_(server.root) {
    static std::atomic<int> counter{0};
    name_ = "t" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
            std::string(hint);
    std::filesystem::create_directories(local());
}

ServerFolder::~ServerFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(local(), ignored);
}

std::string ServerFolder::local(std::string_view relative) const {
    return root_ + "/" + name_ + "/" + std::string(relative);
}

std::string ServerFolder::path(std::string_view relative) const {
    return "/" + name_ + "/" + std::string(relative);
}

std::string ServerFolder::url(const std::string& host, std::string_view relative) const {
    return "ftp://" + host + path(relative);
}

void FtpServerTest::SetUp() {
    server = FtpTestServer::get();
    ASSERT_NE(server, nullptr) << "no FTP test server: run the tests through ctest, whose "
                                  "fixture starts tests/fixtures/ftp_server.py";
    folder = std::make_unique<ServerFolder>(
        *server, ::testing::UnitTest::GetInstance()->current_test_info()->name());
}

}  // namespace varnel::test
