#pragma once
// What the scan, the refresh and the change monitor work with, handed in by whoever runs
// them (the window, varnel-cli, tests). The application keeps one for the whole run.
#include <atomic>
#include <string>
#include <vector>

namespace varnel {

class Catalog;
class FtpSession;
class ListingCache;
class Prompt;

class ScanServices {
  public:
    ScanServices(Catalog& catalog, Prompt& prompt, std::string programDir)
        : catalog(catalog), prompt(prompt), programDir(std::move(programDir)) {}
    ScanServices(const ScanServices&) = delete;
    ScanServices& operator=(const ScanServices&) = delete;

    Catalog& catalog;
    Prompt& prompt;
    std::string programDir;                      // FTP mirror folders live below it
    FtpSession* ftp = nullptr;                   // null: FTP folders cannot be read
    const ListingCache* listingCache = nullptr;  // fetched FTP listings, for refreshes
    std::string* watchedFolders = nullptr;  // the settings' list; a scan command's exclusions
                                            // shrink it after the scan
    // The roots of this session's scans, which merging a catalog file relies on.
    std::vector<std::string>* scannedFolders = nullptr;

    // True while a scan worker owns the catalog. The window's timer must then leave the
    // catalog alone: no page refresh, no refresh of a downloaded FTP listing.
    bool catalogBusy() const { return busy_.load(std::memory_order_acquire); }
    void setCatalogBusy(bool busy) { busy_.store(busy, std::memory_order_release); }

  private:
    std::atomic<bool> busy_{false};
};

}  // namespace varnel
