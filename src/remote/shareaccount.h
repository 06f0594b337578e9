#pragma once
// The share account dialog's rules. On Linux guests need no account (Samba maps unknown
// users to its guest), and creating or enabling system accounts is not a program's
// business: the dialog keeps the name and password in cfg.dat and refreshes the share.
#include <cstddef>
#include <string>

namespace varnel {

class FolderSharing;
struct Settings;

inline constexpr char kPasswordInputError[] = "password input error!";
// The longest name and password the settings hold, in bytes.
inline constexpr size_t kAccountUserMax = 127;
inline constexpr size_t kAccountPasswordMax = 63;

struct AccountForm {
    std::string user;
    std::string password;
    std::string confirm;
};

// What the dialog opens with: the stored name and password, an empty confirmation.
AccountForm accountFormFor(const Settings& settings);

// OK in the dialog: "" when accepted (the settings hold the form, the share was refreshed),
// otherwise the message to show while the dialog stays open.
std::string acceptAccount(const AccountForm& form, Settings& settings, FolderSharing& sharing);

// Prepares a system account for the share: nothing to do here, so always 0.
int SetupShareAccount(const std::string& user, const std::string& password);

}  // namespace varnel
