#pragma once
// An FTP session over libcurl, through a client that fails where a test tells it to, with
// the test's own prompt and login dialogs; and loopback ports that never serve FTP.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "catalog/workspace.h"
#include "platform/faultyftp.h"
#include "remote/ftpsession.h"
#include "support/ftptestserver.h"
#include "support/remotedoubles.h"

namespace varnel::test {

struct FtpSessionRig {
    // Logs in to each of `hosts` as the server's user with full rights.
    void logIn(const FtpTestServer& server, std::initializer_list<std::string> hosts) {
        for (const std::string& host : hosts)
            session.addSessionLogin(host, server.user, server.password);
    }
    std::unique_ptr<FtpClient> curl = makeCurlFtpClient();
    FaultyFtpClient client{*curl};
    LockedPrompt prompt;
    ScriptedDialogs dialogs;
    Settings settings;
    FtpSession session{client, prompt, dialogs, settings};
};

// A loopback port that refuses connections (bound, not listening), or accepts them and
// never says a word.
struct LocalPort {
    explicit LocalPort(bool listening) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        if (listening) ::listen(fd, 8);
        host = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    }
    ~LocalPort() { ::close(fd); }
    LocalPort(const LocalPort&) = delete;
    LocalPort& operator=(const LocalPort&) = delete;
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    std::string host;
};

}  // namespace varnel::test
