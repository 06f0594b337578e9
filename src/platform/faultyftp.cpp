#include "platform/faultyftp.h"

#include <algorithm>

namespace varnel {

namespace {

class FaultyFile : public FtpFile {
  public:
    FaultyFile(std::unique_ptr<FtpFile> real, const FtpFaults& faults, std::string path)
        : real_(std::move(real)), faults_(faults), path_(std::move(path)) {}

    int64_t read(char* buffer, size_t size) override {
        if (!real_) return -1;
        size = std::min<uint64_t>(size, room());
        int64_t n = size == 0 ? 0 : real_->read(buffer, size);
        if (n > 0) passed(static_cast<uint64_t>(n));
        if (n >= 0 && room() == 0) return drop(n);
        return n;
    }

    bool write(const char* data, size_t size) override {
        if (!real_) return false;
        size_t allowed = static_cast<size_t>(std::min<uint64_t>(size, room()));
        if (allowed > 0 && !real_->write(data, allowed)) return false;
        passed(allowed);
        if (allowed == size) return true;
        drop(0);
        return false;
    }

    bool close() override { return real_ ? real_->close() : false; }
    int64_t announcedSize() const override { return real_ ? real_->announcedSize() : -1; }

  private:
    uint64_t room() const {
        if (faults_.dropAfterBytes < 0) return UINT64_MAX;
        uint64_t limit = static_cast<uint64_t>(faults_.dropAfterBytes);
        return bytes_ >= limit ? 0 : limit - bytes_;
    }

    void passed(uint64_t n) {
        bytes_ += n;
        if (faults_.onChunk) faults_.onChunk(path_, bytes_);
    }

    // The line goes dead: the real transfer is abandoned, and nothing more passes.
    int64_t drop(int64_t delivered) {
        real_.reset();
        return delivered > 0 ? delivered : -1;
    }

    std::unique_ptr<FtpFile> real_;
    const FtpFaults& faults_;
    std::string path_;
    uint64_t bytes_ = 0;
};

class FaultyConnection : public FtpConnection {
  public:
    FaultyConnection(std::unique_ptr<FtpConnection> real, const FtpFaults& faults)
        : real_(std::move(real)), faults_(faults) {}

    const std::string& serverName() const override { return real_->serverName(); }
    bool list(std::string_view folder, std::vector<FtpEntry>& entries) override {
        ownError_.clear();
        return real_->list(folder, entries);
    }
    std::unique_ptr<FtpFile> openFile(std::string_view path, FtpAccess access) override {
        ownError_.clear();
        auto file = real_->openFile(path, access);
        if (!file) return nullptr;
        return std::make_unique<FaultyFile>(std::move(file), faults_, std::string(path));
    }
    bool remove(std::string_view path) override {
        ownError_.clear();
        if (faults_.refuseRemove) return refuse("550 Removing is refused (test fault).");
        return real_->remove(path);
    }
    bool rename(std::string_view from, std::string_view to) override {
        ownError_.clear();
        if (faults_.refuseRename) return refuse("550 Renaming is refused (test fault).");
        return real_->rename(from, to);
    }
    const std::string& errorText() const override {
        return ownError_.empty() ? real_->errorText() : ownError_;
    }
    void setCancelFlag(const std::atomic<bool>* flag) override { real_->setCancelFlag(flag); }

  private:
    bool refuse(const char* text) {
        ownError_ = text;
        return false;
    }

    std::unique_ptr<FtpConnection> real_;
    const FtpFaults& faults_;
    std::string ownError_;
};

}  // namespace

std::unique_ptr<FtpConnection> FaultyFtpClient::connect(const std::string& host,
                                                        const FtpLogin& login,
                                                        FtpConnectError& error,
                                                        const std::atomic<bool>* cancel) {
    auto real = real_.connect(host, login, error, cancel);
    if (!real) return nullptr;
    connects_.fetch_add(1, std::memory_order_acq_rel);
    return std::make_unique<FaultyConnection>(std::move(real), faults);
}

}  // namespace varnel
