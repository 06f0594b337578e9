#pragma once
// The private smbd the CTest fixture started (fixtures/smbd_server.py), and a share folder
// of each test's own that guests of that smbd can read.
#include <gtest/gtest.h>

#include <string>

#include "remote/shareservice.h"
#include "support/process.h"

namespace varnel::test {

struct SmbTestServer {
    std::string skipped;  // why the fixture could not start smbd here; "" when it runs
    std::string port;
    std::string conf;    // its smb.conf, for `net -s`
    std::string shares;  // a folder the guest account can reach, for the tests' share folders
    std::string net;
    std::string smbclient;

    // The server of VARNEL_SMB_STATE; null when the tests were not started through ctest.
    static const SmbTestServer* get();
    NetConfig netConfig() const { return {net, conf}; }
    // `smbclient -N` (as a guest) on //127.0.0.1/SHARE running `commands`.
    ProcessResult client(const std::string& share, const std::string& commands) const;
};

// Tests that share through the server: each gets a fresh share folder, and no share is
// left standing after it.
class SmbServerTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    const SmbTestServer* server = nullptr;
    std::string programDir;   // no trailing '/'
    std::string shareFolder;  // programDir + "/share/"
};

}  // namespace varnel::test
