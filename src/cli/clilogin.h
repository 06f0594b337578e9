#pragma once
// The FTP login given on the command line, and the login dialog answered from it.
#include <string>

#include "remote/loginform.h"

namespace varnel {

struct CliLogin {
    bool hasUser = false;  // --user was given
    std::string user;
    std::string password;
    bool save = false;  // --save: keep the login in cfg.dat
};

// Answers the login dialog with the given user, else the saved login the session preset,
// else anonymous. Network folders are not asked for on a terminal.
class CliLoginDialogs : public RemoteDialogs {
  public:
    explicit CliLoginDialogs(const CliLogin& login) : login_(login) {}
    bool login(LoginForm& form) override {
        if (login_.hasUser) {
            form.user = login_.user;
            form.password = login_.password;
        } else if (form.user.empty()) {
            setLoginAnonymous(form, true);
        }
        form.save = form.save || login_.save;
        return true;
    }
    bool networkFolder(std::string&) override { return false; }

  private:
    const CliLogin& login_;
};

}  // namespace varnel
