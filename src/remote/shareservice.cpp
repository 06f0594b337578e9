#include "remote/shareservice.h"

#include <unistd.h>
#include <cstdlib>

#include "remote/runprogram.h"

namespace varnel {

namespace {

// What `net` said, on one line: its error stream, else its output.
std::string netMessage(const ProgramRun& run) {
    std::string text = run.err.empty() ? run.out : run.err;
    std::string line;
    for (char c : text) {
        const bool space = c == '\n' || c == '\r' || c == '\t';
        if (space && (line.empty() || line.back() == ' ')) continue;
        line.push_back(space ? ' ' : c);
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (line.empty()) line = "net ended with exit code " + std::to_string(run.exitCode);
    return line;
}

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

NetConfig netConfigFromEnvironment() {
    NetConfig config;
    if (const char* conf = std::getenv("VARNEL_SMB_CONF")) config.configFile = conf;
    return config;
}

NetUserShares::NetUserShares(NetConfig config) : config_(std::move(config)) {}

bool NetUserShares::runUsershare(std::vector<std::string> args, std::string* out) {
    std::vector<std::string> argv{config_.program};
    // net goes on with the system's settings when it cannot load the file it was given.
    if (!config_.configFile.empty() && ::access(config_.configFile.c_str(), R_OK) != 0) {
        error_ = "cannot read the Samba configuration " + config_.configFile;
        return false;
    }
    if (!config_.configFile.empty()) {
        argv.push_back("-s");
        argv.push_back(config_.configFile);
    }
    argv.push_back("usershare");
    argv.insert(argv.end(), args.begin(), args.end());
    const ProgramRun run = runProgram(argv);
    if (!run.started) {
        error_ = "Samba's net program could not be run (" + run.startError +
                 "); install samba to share files";
        return false;
    }
    if (run.exitCode != 0) {
        error_ = netMessage(run);
        return false;
    }
    if (run.truncated) {
        error_ = "net usershare printed more than can be read";
        return false;
    }
    if (out) *out = run.out;
    error_.clear();
    return true;
}

bool NetUserShares::LoadNetApi() {
    if (checked_) return available_;
    checked_ = true;
    std::string listing;
    std::vector<UserShareEntry> shares;
    available_ = runUsershare({"info"}, &listing) && parseUserShareInfo(listing, shares, error_);
    if (!available_) unavailable_ = error_;
    return available_;
}

bool NetUserShares::AddShare(const std::string& path, const std::string& name,
                             const std::string& remark, bool readOnly, const std::string&) {
    std::string folder = path;
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    // Everyone (S-1-1-0) by its SID: the name form needs a running smbd to resolve it.
    return runUsershare(
        {"add", name, folder, remark, readOnly ? "S-1-1-0:R" : "S-1-1-0:F", "guest_ok=y"});
}

bool NetUserShares::DeleteShare(const std::string& name) {
    return runUsershare({"delete", name});
}

bool NetUserShares::ShareInfo(const std::string& name, std::optional<UserShareEntry>& share) {
    share.reset();
    std::string listing;
    std::vector<UserShareEntry> shares;
    if (!runUsershare({"info", name}, &listing) || !parseUserShareInfo(listing, shares, error_))
        return false;
    for (UserShareEntry& entry : shares)
        if (sameNameIgnoringCase(entry.name, name)) share = std::move(entry);
    return true;
}

}  // namespace varnel
