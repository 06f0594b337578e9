#include "gui/fileopener.h"

#include <QDesktopServices>

#include "app/session.h"
#include "fileops/copyengine.h"
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
    : openUrl(&QDesktopServices::openUrl), session_(session), progress_(progress) {}

bool CFileOpener::openFile(const std::string& folder, const std::string& name, uint64_t size) {
    if (!IsFtpName(folder.c_str()))
        return openUrl(QUrl::fromLocalFile(fromBytes(folder + name)));
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
