#pragma once
// The login dialog ("Login") and the network folder dialog ("Input network folder to
// login:") as requests with a plain struct in and out, and the login dialog's rules, so the
// GUI only draws them and tests and varnel-cli answer them.
#include <string>
#include <vector>

namespace varnel {

struct LoginForm {
    std::string server;  // shown, not edited
    // The user-name combo's entries: the saved logins' user names in list order, and the
    // passwords at the same positions.
    std::vector<std::string> userNames;
    std::vector<std::string> savedPasswords;
    std::string user;
    std::string password;
    bool anonymous = false;
    bool save = false;
    // Why the dialog is shown again: the server's reply to the last login ("530 Login
    // incorrect."); empty on a first visit.
    std::string message;
};

// Choosing a user name in the combo puts the saved password of that position in the field.
void chooseLoginUser(LoginForm& form, int index);
// Ticking "Anonymous" fills in the anonymous user name and password; unticking changes
// nothing else.
void setLoginAnonymous(LoginForm& form, bool ticked);

class RemoteDialogs {
  public:
    virtual ~RemoteDialogs() = default;
    // The login dialog; true for "&Login", false for Cancel.
    virtual bool login(LoginForm& form) = 0;
    // The network folder dialog; true for OK with the name entered.
    virtual bool networkFolder(std::string& name) = 0;
};

}  // namespace varnel
