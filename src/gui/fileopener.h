#pragma once
// Opening a record's file or folder with the desktop's handlers (xdg-open behind
// QDesktopServices). An FTP file is fetched into its mirror folder first, so the program
// that opens it gets a local file.
#include <QUrl>
#include <cstdint>
#include <functional>
#include <string>

namespace varnel {

class AppSession;
class Progress;

// ftp://host/path with every byte of the path taken as it is, so "#", "?" and "%" in names
// stay part of the name. `ftpName` in catalog spelling.
QUrl ftpUrl(const std::string& ftpName);

class CFileOpener {
  public:
    CFileOpener(AppSession& session, Progress& progress);

    // The file `folder` + `name`; false when it could not be fetched or opened.
    bool openFile(const std::string& folder, const std::string& name, uint64_t size);
    // The folder in the desktop's file manager.
    bool openFolder(const std::string& folder);

    // How a URL reaches the desktop; tests look at what would have been opened.
    std::function<bool(const QUrl&)> openUrl;
    // Whether a local file is there; tests of catalogs without files say yes.
    std::function<bool(const std::string&)> fileExists;

  private:
    AppSession& session_;
    Progress& progress_;
};

}  // namespace varnel
