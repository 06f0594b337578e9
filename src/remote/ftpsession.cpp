#include "remote/ftpsession.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "platform/progress.h"
#include "platform/prompt.h"
#include "remote/ftpnames.h"
#include "remote/loginform.h"

namespace varnel {

namespace {

constexpr size_t kMaxHostLength = 127;
constexpr auto kRetryPause = std::chrono::milliseconds(1000);
constexpr auto kCancelPoll = std::chrono::milliseconds(20);

// Waits about one retry pause; true when the user cancelled meanwhile.
bool cancelledDuringPause(const Progress& progress) {
    const auto end = std::chrono::steady_clock::now() + kRetryPause;
    while (std::chrono::steady_clock::now() < end) {
        if (progress.cancelled()) return true;
        std::this_thread::sleep_for(kCancelPoll);
    }
    return progress.cancelled();
}

// The root a remote folder is prompted for: ftp:\\host, or \\server\share. Empty for a
// network name without a share part.
std::string remoteRoot(std::string_view name) {
    if (IsFtpFolderName(std::string(name).c_str()))
        return std::string(name.substr(0, name.find('\\', kFtpPrefixLength)));
    size_t serverEnd = name.find('\\', 2);
    if (serverEnd == std::string_view::npos || serverEnd + 1 >= name.size()) return {};
    return std::string(name.substr(0, name.find('\\', serverEnd + 1)));
}

}  // namespace

bool LoginTable::entry(int i, std::string& user, std::string& password) const {
    const char* u = users.get(i);
    const char* p = passwords.get(i);
    if (i < 0 || !hosts.get(i) || !u || !p) return false;
    user = u;
    password = p;
    return true;
}

bool LoginTable::add(std::string_view host, std::string_view user, std::string_view password) {
    if (!hosts.prepend(host)) return false;
    if (!users.prepend(user)) {
        hosts.removeAt(0);
        return false;
    }
    if (!passwords.prepend(password)) {
        hosts.removeAt(0);
        users.removeAt(0);
        return false;
    }
    while (hosts.used() > NameList::kTrimmedSize || users.used() > NameList::kTrimmedSize ||
           passwords.used() > NameList::kTrimmedSize) {
        hosts.dropLast();
        users.dropLast();
        passwords.dropLast();
    }
    return true;
}

void LoginTable::removeAt(int i) {
    hosts.removeAt(i);
    users.removeAt(i);
    passwords.removeAt(i);
}

std::string FtpServerPath(std::string_view url) {
    if (url.size() <= kFtpPrefixLength) return "/";
    size_t slash = url.find('/', kFtpPrefixLength);
    return slash == std::string_view::npos ? "/" : std::string(url.substr(slash));
}

FtpSession::FtpSession(FtpClient& client, Prompt& prompt, RemoteDialogs& dialogs,
                       Settings& settings)
    : client_(client), prompt_(prompt), dialogs_(dialogs), settings_(settings) {
    saved_.hosts.assign(settings.loginHosts);
    saved_.users.assign(settings.loginUsers);
    saved_.passwords.assign(settings.loginPasswords);
}

FtpSession::~FtpSession() = default;

void FtpSession::storeSavedLogins() {
    settings_.loginHosts = saved_.hosts.bytes();
    settings_.loginUsers = saved_.users.bytes();
    settings_.loginPasswords = saved_.passwords.bytes();
}

bool FtpSession::sessionLogin(std::string_view host, FtpLogin& login) const {
    std::lock_guard lock(sessionMutex_);
    std::string user, password;
    if (!session_.entry(session_.hosts.find(host), user, password)) return false;
    login = FtpLogin{};
    // The FTP layer's own anonymous login; the stored password is not sent.
    if (equalIgnoringCase(user, "anonymous")) return true;
    login.anonymous = false;
    login.user = std::move(user);
    login.password = std::move(password);
    return true;
}

void FtpSession::addSessionLogin(std::string_view host, std::string_view user,
                                 std::string_view password) {
    std::lock_guard lock(sessionMutex_);
    session_.add(host, user, password);
}

FtpConnection* FtpSession::ConnectFtp(std::string_view url, bool* retry,
                                      const std::atomic<bool>* cancel) {
    if (retry) *retry = false;
    lastFtpError_.clear();
    if (offline()) return nullptr;
    std::string host;
    if (!FtpHostFromUrl(std::string(url).c_str(), host)) return nullptr;
    if (transfer_) {
        if (transfer_->serverName() == host) return transfer_.get();
        transfer_.reset();
    }
    FtpLogin login;
    if (!sessionLogin(host, login)) return nullptr;  // callers say "Login first, please retry"
    FtpConnectError failure;
    transfer_ = client_.connect(host, login, failure, cancel);
    lastFailure_ = failure.kind;
    lastFtpError_ = failure.text;
    const std::string& error = lastFtpError_;
    if (transfer_) return transfer_.get();
    if (error.empty() || (cancel && cancel->load(std::memory_order_acquire))) return nullptr;
    if (failure.loginRefused()) {
        // Trying the same password again cannot help: the next visit asks for the login
        // again, and the login dialog shows what the server said.
        forgetLogin(host, error);
        return nullptr;
    }
    if (retry) {
        prompt_.tell(error);
        *retry = prompt_.ask("Retry connect?", Buttons::OkCancel) == Answer::Ok;
    } else {
        prompt_.status("Some error occured when login ftp site.");
    }
    return nullptr;
}

FtpConnection* FtpSession::LoginWithProgress(std::string_view url, Progress& progress) {
    progress.clearCancelled();
    const std::string target(url);
    FtpConnection* result = nullptr;
    std::thread worker([&] {
        progress.setCaption("Login FTP...");
        progress.setStatus(target);
        bool retry = false;
        result = ConnectFtp(target, &retry, progress.cancelFlag());
        // Paced at one attempt a second, and given up after a few: a server that does not
        // answer three times in a row is down, and an unattended run must end.
        for (int attempt = 2; !result && retry && !progress.cancelled() && attempt <= kConnectTries;
             ++attempt) {
            if (cancelledDuringPause(progress)) break;
            result = ConnectFtp(target, nullptr, progress.cancelFlag());
            if (result) break;
            char caption[64];
            std::snprintf(caption, sizeof caption, "Login FTP retry:%d", attempt);
            progress.setCaption(caption);
        }
        progress.close();
    });
    progress.runModal();
    worker.join();
    return result;
}

bool FtpSession::PromptRemoteLogin(std::string_view name) {
    if (offline() || !IsRemoteFolderName(std::string(name).c_str())) return true;
    const std::string root = remoteRoot(name);
    if (root.empty()) return true;
    const bool visited = visitedRoots_.remove(root);
    visitedRoots_.prepend(root);
    visitedRoots_.trim();
    if (visited) return true;
    // Network folders are reached through their mount points; nothing to log in to.
    if (!IsFtpFolderName(root.c_str())) return true;

    const std::string host = root.substr(kFtpPrefixLength);
    if (host.empty() || host.size() > kMaxHostLength) {
        // A cut host would name another server.
        visitedRoots_.remove(root);
        prompt_.tell("Not a host name: " + host.substr(0, 60));
        return false;
    }
    LoginForm form;
    form.server = host;
    for (int i = 0; const char* user = saved_.users.get(i); ++i) {
        form.userNames.emplace_back(user);
        const char* password = saved_.passwords.get(i);
        form.savedPasswords.emplace_back(password ? password : "");
    }
    const int savedIndex = saved_.hosts.find(host);
    if (saved_.entry(savedIndex, form.user, form.password)) form.save = true;
    for (auto it = refusals_.begin(); it != refusals_.end(); ++it)
        if (equalIgnoringCase(it->first, host)) {
            form.message = it->second;
            refusals_.erase(it);
            break;
        }

    if (!dialogs_.login(form)) {
        visitedRoots_.remove(root);
        return false;
    }
    addSessionLogin(host, form.user, form.password);
    if (savedIndex >= 0) saved_.removeAt(savedIndex);
    if (form.save) saved_.add(host, form.user, form.password);
    storeSavedLogins();
    return true;
}

bool FtpSession::FindFtpFiles(std::string_view url, std::vector<FtpEntry>& entries) {
    entries.clear();
    FtpConnection* connection = ConnectFtp(url);
    if (!connection) return false;
    if (connection->list(FtpServerPath(url), entries)) return true;
    lastFtpError_ = connection->errorText();
    transfer_.reset();
    return false;
}

void FtpSession::forgetLogin(const std::string& host, const std::string& reply) {
    {
        std::lock_guard lock(sessionMutex_);
        session_.removeAt(session_.hosts.find(host));
    }
    visitedRoots_.remove("ftp:\\\\" + host);
    std::erase_if(refusals_, [&](const auto& r) { return equalIgnoringCase(r.first, host); });
    refusals_.emplace_back(host, reply);
}

void FtpSession::LogIn() {
    std::string name;
    if (!dialogs_.networkFolder(name)) return;
    if (name.size() >= kTextSize) {
        prompt_.tell("The folder name is too long.");
        return;
    }
    PromptRemoteLogin(name);
}

void FtpSession::LogOut() {
    // Nothing was mounted by the program, so there is nothing to unmount; the next visit of
    // every root prompts again. The transfer connection and the session logins stay.
    visitedRoots_.clear();
}

void FtpSession::ToggleOffline() {
    setOffline(!offline());
}

}  // namespace varnel
