#include "cli/clilogin.h"

#include "remote/ftpnames.h"

namespace varnel {

bool takeUrlLogin(std::string& url, CliLogin& login) {
    if (!TakeFtpUrlLogin(url, login.user, login.password)) return false;
    login.hasUser = true;
    return true;
}

}  // namespace varnel
