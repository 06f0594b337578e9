#include "app/addresshistory.h"

#include "catalog/identity.h"
#include "catalog/tables.h"
#include "remote/ftpnames.h"
#include "remote/namelist.h"

namespace varnel {

std::string addressToName(std::string text) {
    SwapFtpSeparators(text);
    return text;
}

bool rememberAddress(std::string& history, const std::string& address, bool checkLength) {
    if (address.empty() || address.find('\0') != std::string::npos) return false;
    if (checkLength && address.size() + 1 > kTextSize) return false;
    NameList list;
    list.assign(history);
    // One entry per place: local folders differ by letter case, FTP sites do not.
    const std::string name = addressToName(address);
    for (int i = 0; const char* entry = list.get(i); ++i) {
        if (samePathText(addressToName(entry), name)) {
            list.removeAt(i);
            break;
        }
    }
    if (!list.prepend(address)) return false;
    list.trim();
    history.assign(list.bytes());
    return true;
}

std::vector<std::string> historyEntries(const std::string& history) {
    NameList list;
    list.assign(history);
    std::vector<std::string> out;
    for (int i = 0; const char* entry = list.get(i); ++i) out.emplace_back(entry);
    return out;
}

std::optional<TypedLogin> takeTypedLogin(std::string& address) {
    TypedLogin login;
    if (!TakeFtpUrlLogin(address, login.user, login.password)) return std::nullopt;
    FtpHostFromUrl(address.c_str(), login.host);
    return login;
}

}  // namespace varnel
