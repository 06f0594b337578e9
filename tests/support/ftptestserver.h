#pragma once
// The FTP server the CTest fixture started (fixtures/ftp_server.py), and a folder of each
// test's own under its root, so tests can share the server without seeing each other's files.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/ftpclient.h"

namespace varnel {
// How gtest shows a listing entry in a failure message.
inline void PrintTo(const FtpEntry& e, std::ostream* out) {
    *out << "{\"" << e.name << "\", " << (e.isFolder ? "folder" : "file") << ", " << e.size << ", "
         << e.lastWriteTime << "}";
}
}  // namespace varnel

namespace varnel::test {

struct FtpTestServer {
    std::string host;      // "127.0.0.1:PORT": MLSD listings
    std::string listHost;  // the same root without MLSD: LIST listings
    std::string dropHost;  // breaks every transfer after 64 KiB
    std::string shortHost;  // refuses SIZE, sends half of each file and calls it complete
    std::string root;      // its root folder on this machine
    std::string user;      // full rights; anonymous may only read
    std::string password;
    std::string logPath;

    // The server of VARNEL_FTP_STATE; null when the tests were not started through ctest.
    static const FtpTestServer* get();
    // What the server logged (one line per connection and per command) since `offset`.
    size_t logSize() const;
    std::string logSince(size_t offset) const;
};

// Counts lines of `log` that start with `prefix` ("mlsd CONNECT", "list MLSD", ...).
int countLines(const std::string& log, std::string_view prefix);

class ServerFolder {
  public:
    ServerFolder(const FtpTestServer& server, std::string_view hint);
    ~ServerFolder();
    ServerFolder(const ServerFolder&) = delete;
    ServerFolder& operator=(const ServerFolder&) = delete;

    // The folder (or something in it) on this machine, as a server path and as a URL.
    std::string local(std::string_view relative = "") const;
    std::string path(std::string_view relative = "") const;
    std::string url(const std::string& host, std::string_view relative = "") const;

  private:
    std::string name_;
    std::string root_;
};

// Tests that talk to the server: each gets the server and a fresh folder.
class FtpServerTest : public ::testing::Test {
  protected:
    void SetUp() override;
    const FtpTestServer* server = nullptr;
    std::unique_ptr<ServerFolder> folder;
};

}  // namespace varnel::test
