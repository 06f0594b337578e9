#include "remote/shareaccount.h"

#include "catalog/workspace.h"
#include "remote/foldersharing.h"

namespace varnel {

AccountForm accountFormFor(const Settings& settings) {
    return {settings.shareAccountName, settings.shareAccountPassword, {}};
}

std::string acceptAccount(const AccountForm& form, Settings& settings, FolderSharing& sharing) {
    if (form.password != form.confirm) return kPasswordInputError;
    // The dialog counts characters; the settings hold bytes, and a cut password is a wrong one.
    if (form.user.size() > kAccountUserMax)
        return "The user name is longer than " + std::to_string(kAccountUserMax) + " bytes.";
    if (form.password.size() > kAccountPasswordMax)
        return "The password is longer than " + std::to_string(kAccountPasswordMax) + " bytes.";
    SetupShareAccount(form.user, form.password);
    settings.shareAccountName = form.user;
    settings.shareAccountPassword = form.password;
    sharing.RefreshShare();
    return {};
}

int SetupShareAccount(const std::string&, const std::string&) {
    return 0;
}

}  // namespace varnel
