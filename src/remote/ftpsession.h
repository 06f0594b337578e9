#pragma once
// Everything between an FTP name and an open connection: the transfer connection and its
// reuse, the logins of this run and the saved ones, the first-visit login prompt, the login
// with a progress window, log in, log out and offline mode. The application owns one
// FtpSession and passes it to whoever needs FTP.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ftpclient.h"
#include "remote/namelist.h"

namespace varnel {

class Progress;
class Prompt;
class RemoteDialogs;
struct Settings;

// Three parallel lists, entry i of each belonging together: hosts, user names, passwords.
struct LoginTable {
    NameList hosts;
    NameList users;
    NameList passwords;

    // Entry `i` as a whole; false when a list lacks it.
    bool entry(int i, std::string& user, std::string& password) const;
    // Prepends an entry and trims the three lists together.
    bool add(std::string_view host, std::string_view user, std::string_view password);
    void removeAt(int i);
};

// The server path of an FTP URL: from the first "/" after the host; "/" for a bare root.
std::string FtpServerPath(std::string_view url);

// How many times in a row a server may fail to answer before a login or a scan gives up.
inline constexpr int kConnectTries = 3;

class FtpSession {
  public:
    // `settings` holds the saved logins (cfg.dat); the session keeps them up to date there.
    FtpSession(FtpClient& client, Prompt& prompt, RemoteDialogs& dialogs, Settings& settings);
    ~FtpSession();

    // The transfer connection for the URL's host, or null. With `retry`, a failure shows the
    // FTP layer's error and asks "Retry connect?", and *retry says whether to.
    FtpConnection* ConnectFtp(std::string_view url, bool* retry = nullptr,
                              const std::atomic<bool>* cancel = nullptr);
    // Logs in on a worker thread under the progress dialog; after "Retry connect?" it tries
    // once a second, kConnectTries times in all, while the user does not cancel.
    FtpConnection* LoginWithProgress(std::string_view url, Progress& progress);
    // First-visit handling of a remote folder name; false when the user cancelled.
    bool PromptRemoteLogin(std::string_view name);
    // The entries of the URL's server folder. A failed listing drops the connection so the
    // next call logs in afresh.
    bool FindFtpFiles(std::string_view url, std::vector<FtpEntry>& entries);
    void LogIn();
    void LogOut();
    void ToggleOffline();

    bool offline() const { return offline_.load(std::memory_order_acquire); }
    void setOffline(bool on) { offline_.store(on, std::memory_order_release); }

    // The session login for `host` as a connect request; false when there is none. Safe from
    // the listing worker while the user-interface thread logs in.
    bool sessionLogin(std::string_view host, FtpLogin& login) const;
    void addSessionLogin(std::string_view host, std::string_view user, std::string_view password);

    // Why the last ConnectFtp or FindFtpFiles failed, in the FTP layer's words; "" when no
    // attempt was made (offline, or no login for the host).
    const std::string& lastFtpError() const { return lastFtpError_; }
    // The server refused the user name or password at the last attempt. The session login
    // of that host is forgotten, so its next visit asks again.
    bool lastLoginRefused() const { return lastFailure_ == FtpConnectError::Kind::LoginRefused; }
    bool lastServerUnreachable() const {
        return lastFailure_ == FtpConnectError::Kind::Unreachable;
    }
    const NameList& visitedRoots() const { return visitedRoots_; }
    const LoginTable& savedLogins() const { return saved_; }
    FtpConnection* transferConnection() { return transfer_.get(); }
    FtpClient& client() { return client_; }
    Prompt& prompt() { return prompt_; }

  private:
    void storeSavedLogins();
    void forgetLogin(const std::string& host, const std::string& reply);

    FtpClient& client_;
    Prompt& prompt_;
    RemoteDialogs& dialogs_;
    Settings& settings_;
    std::unique_ptr<FtpConnection> transfer_;
    std::string lastFtpError_;
    FtpConnectError::Kind lastFailure_ = FtpConnectError::Kind::None;
    // Hosts whose login was refused, with the server's reply, for the login dialog of their
    // next visit.
    std::vector<std::pair<std::string, std::string>> refusals_;
    // The listing worker reads the session logins while the user may add one.
    mutable std::mutex sessionMutex_;
    LoginTable session_;
    LoginTable saved_;
    NameList visitedRoots_;
    std::atomic<bool> offline_{false};
};

}  // namespace varnel
