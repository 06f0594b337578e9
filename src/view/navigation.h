#pragma once
// goToAddress: show the place an address text names (a folder) or search for it (a pattern).
#include <functional>
#include <string>

namespace varnel {

class Catalog;
class CatalogSearch;
class FilePage;
class Prompt;

struct AddressServices {
    Catalog& catalog;
    CatalogSearch& search;
    FilePage& page;
    Prompt& prompt;
    // The site's login on the first visit of an FTP folder; false refuses the address.
    std::function<bool(const std::string& name)> remoteLogin;
    // Brings an FTP folder's records up to date from the listing cache.
    std::function<void(const std::string& name)> refreshFtpFolder;
    std::function<void()> layout;
    // Selects a local folder in the folder tree, whose selection shows the folder's files.
    // Without it (no tree) the folder's records are listed directly.
    std::function<void(const std::string& folder)> selectFolder;
    int* slowRefreshCountdown = nullptr;
};

void goToAddress(AddressServices& services, const std::string& text);

}  // namespace varnel
