#pragma once
// An FtpClient that passes everything to a real one and fails on purpose where it is told
// to: the connection drops after so many bytes of a file, renames or removes are refused.
// Tests use it to prove that the layers above report such failures instead of success.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/ftpclient.h"

namespace varnel {

struct FtpFaults {
    // A file transfer breaks once this many bytes of it have passed; -1: never.
    int64_t dropAfterBytes = -1;
    bool refuseRename = false;
    bool refuseRemove = false;
    // Called after every chunk read or written, with the path and the bytes so far (on the
    // thread doing the transfer).
    std::function<void(const std::string& path, uint64_t bytes)> onChunk;
};

class FaultyFtpClient : public FtpClient {
  public:
    explicit FaultyFtpClient(FtpClient& real) : real_(real) {}

    std::unique_ptr<FtpConnection> connect(const std::string& host, const FtpLogin& login,
                                           FtpConnectError& error,
                                           const std::atomic<bool>* cancel = nullptr) override;

    // Set before the connections are made; read by them as they work.
    FtpFaults faults;
    // Connections made through this client so far.
    int connectCount() const { return connects_.load(std::memory_order_acquire); }

  private:
    FtpClient& real_;
    std::atomic<int> connects_{0};
};

}  // namespace varnel
