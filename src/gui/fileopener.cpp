#include "gui/fileopener.h"

#include <QDesktopServices>

#include "app/session.h"
#include "fileops/copyengine.h"
#include "platform/paths.h"
#include "scan/folderrefresh.h"
#include "gui/guiprompt.h"
#include "remote/ftpnames.h"
#include "remote/mirrorpaths.h"

namespace varnel {

QUrl ftpUrl(const std::string& ftpName) {
    std::string url = ftpName;
    SwapFtpSeparators(url);
    const std::string rest = url.substr(std::min<size_t>(url.size(), 6));  // after "ftp://"
    const size_t slash = rest.find('/');
    QUrl out;
    out.setScheme(QStringLiteral("ftp"));
    out.setAuthority(fromBytes(rest.substr(0, slash)));
    out.setPath(slash == std::string::npos ? QStringLiteral("/") : fromBytes(rest.substr(slash)),
                QUrl::DecodedMode);
    return out;
}

CFileOpener::CFileOpener(AppSession& session, Progress& progress)
    : openUrl(&QDesktopServices::openUrl),
      fileExists(&pathExists),
      session_(session),
      progress_(progress) {}

bool CFileOpener::openFile(const std::string& folder, const std::string& name, uint64_t size) {
    if (!IsFtpName(folder.c_str())) {
        const std::string path = folder + name;
        if (!fileExists(path)) {
            // The catalog remembers a file the disk no longer has: offer to bring it up to date.
            if (session_.prompt.ask("\"" + path + "\" file not found. Refresh its folder?",
                                    Buttons::YesNo) == Answer::Yes) {
                refreshFolders(session_.services, folder.c_str(), kSingleFolder, 0);
                session_.catalog.page().refreshRequests++;
            }
            return false;
        }
        if (openUrl(QUrl::fromLocalFile(fromBytes(path)))) return true;
        session_.prompt.tell("No application is set to open " + path + ".");
        return false;
    }
    if (!session_.ftp.PromptRemoteLogin(folder)) {
        session_.prompt.tell("Login first, please retry");
        return false;
    }
    std::string mirror;
    if (!MakeMirrorFolders(session_.workspace.paths().programDir, folder, mirror)) return false;
    std::string url = folder + name;
    SwapFtpSeparators(url);
    CopyEngine engine(session_.ftp, session_.prompt, progress_);
    if (!engine.RunCopyJob({mirror, {url}, size})) return false;
    return openUrl(QUrl::fromLocalFile(fromBytes(mirror + name)));
}

bool CFileOpener::openFolder(const std::string& folder) {
    if (IsFtpName(folder.c_str())) return openUrl(ftpUrl(folder));
    return openUrl(QUrl::fromLocalFile(fromBytes(folder)));
}

}  // namespace varnel
