#pragma once
// The network shares of this computer, as far as the program needs them: one folder offered
// under one name. The real service is Samba's user shares through the `net` program; tests
// put a double in its place that can refuse on purpose.
#include <optional>
#include <string>
#include <vector>

#include "remote/usershareinfo.h"

namespace varnel {

class ShareService {
  public:
    virtual ~ShareService() = default;
    // Whether shares can be made here at all. Decided once; afterwards only remembered.
    virtual bool LoadNetApi() = 0;
    // Why they cannot (valid once LoadNetApi() returned false).
    virtual const std::string& unavailableReason() const = 0;

    // Offers `path` (a trailing '/' is dropped) as `name`. Samba's user shares know no share
    // passwords: whoever the share admits reads it, so `password` goes nowhere.
    virtual bool AddShare(const std::string& path, const std::string& name,
                          const std::string& remark, bool readOnly,
                          const std::string& password) = 0;
    virtual bool DeleteShare(const std::string& name) = 0;
    // The share called `name` (compared ignoring case), or nothing. False when the state
    // could not be read.
    virtual bool ShareInfo(const std::string& name, std::optional<UserShareEntry>& share) = 0;
    // Why the last call failed, in the words of the tool that refused.
    virtual const std::string& lastError() const = 0;
};

// Which `net` runs, and with which Samba configuration ("" for the system's).
struct NetConfig {
    std::string program = "net";
    std::string configFile;
};

// The configuration named by VARNEL_SMB_CONF, when set (tests point it at a private smbd).
NetConfig netConfigFromEnvironment();

class NetUserShares : public ShareService {
  public:
    explicit NetUserShares(NetConfig config = {});

    bool LoadNetApi() override;
    const std::string& unavailableReason() const override { return unavailable_; }
    bool AddShare(const std::string& path, const std::string& name, const std::string& remark,
                  bool readOnly, const std::string& password) override;
    bool DeleteShare(const std::string& name) override;
    bool ShareInfo(const std::string& name, std::optional<UserShareEntry>& share) override;
    const std::string& lastError() const override { return error_; }

  private:
    // Runs `net [-s CONF] usershare ARGS...`; false with error_ set when it fails.
    bool runUsershare(std::vector<std::string> args, std::string* out = nullptr);

    NetConfig config_;
    bool checked_ = false;
    bool available_ = false;
    std::string unavailable_;
    std::string error_;
};

}  // namespace varnel
