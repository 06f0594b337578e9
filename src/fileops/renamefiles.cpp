#include "fileops/renamefiles.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "catalog/tables.h"
#include "fileops/fileopscontext.h"
#include "platform/ftpclient.h"
#include "platform/prompt.h"
#include "remote/ftpnames.h"
#include "remote/ftpsession.h"
#include "scan/folderrefresh.h"
#include "scan/scancommand.h"
#include "scan/scanservices.h"

namespace varnel {

namespace {

constexpr char kRenameTitle[] = "Rename";

std::string existsQuestion(const std::string& target) {
    return "\"" + target + "\" exists already. Replace it?";
}

// Renames on the server after checking the folder's listing: servers replace silently.
std::string renameOnServer(FtpSession& ftp, Prompt& prompt, const std::string& folderUrl,
                           const std::string& oldName, const std::string& newName) {
    FtpConnection* connection = ftp.ConnectFtp(folderUrl);
    if (!connection) return ftp.lastFtpError().empty() ? kLoginFirstText : ftp.lastFtpError();
    const std::string folderPath = FtpServerPath(folderUrl);
    std::vector<FtpEntry> entries;
    if (connection->list(folderPath, entries))
        for (const FtpEntry& e : entries)
            if (e.name == newName &&
                prompt.ask(existsQuestion(folderUrl + newName), Buttons::YesNo) != Answer::Yes)
                return std::strerror(EEXIST);
    if (!connection->rename(folderPath + oldName, folderPath + newName))
        return connection->errorText();
    return {};
}

}  // namespace

std::string refusedFileName(std::string_view name) {
    if (name.empty()) return "A file name cannot be empty.";
    if (name == "." || name == "..") return "\"" + std::string(name) + "\" cannot be a file name.";
    if (name.find('/') != std::string_view::npos) return "A file name cannot hold \"/\".";
    if (name.find('\0') != std::string_view::npos) return "A file name cannot hold a NUL byte.";
    if (name.size() >= kTextSize) return "The file name is too long.";
    return {};
}

std::string moveLocalFile(const std::string& from, const std::string& to, bool replace,
                          bool& exists) {
    exists = false;
    if (from == to) return {};
    if (!replace) {
        // Atomic "only if free": a file that appears meanwhile is not replaced either.
        if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
                      RENAME_NOREPLACE) == 0)
            return {};
        if (errno == EEXIST) {
            exists = true;
            return std::strerror(EEXIST);
        }
        // File systems without the flag: check, then move.
        if (errno != EINVAL && errno != ENOSYS) return std::strerror(errno);
        if (::access(to.c_str(), F_OK) == 0) {
            exists = true;
            return std::strerror(EEXIST);
        }
    }
    return ::rename(from.c_str(), to.c_str()) == 0 ? std::string() : std::strerror(errno);
}

bool RenameFocused(FileOpsContext& context, int list, int32_t focus) {
    ScanServices& services = context.services;
    Catalog& catalog = services.catalog;
    Prompt& prompt = services.prompt;
    if (list < 0 || focus < 0 || focus >= catalog.recordCount(list)) return false;
    const std::string oldFolder = catalog.recordFolder(list, focus);
    const std::string oldName = catalog.recordName(list, focus);
    if (IsFtpName(oldFolder.c_str())) {
        prompt.tell("Files on FTP sites are renamed with Rename..., which keeps them in their "
                    "folder.");
        return false;
    }
    std::optional<std::string> edited = prompt.editText({kRenameTitle, oldFolder + oldName});
    if (!edited) return false;
    const size_t slash = edited->rfind('/');
    if (slash == std::string::npos || (*edited)[0] != '/') return false;
    const std::string newFolder = edited->substr(0, slash + 1);
    const std::string newName = edited->substr(slash + 1);
    if (const std::string why = refusedFileName(newName); !why.empty()) {
        prompt.tell(why);
        return false;
    }
    if (newFolder.size() >= kTextSize) {
        prompt.tell("The folder name is too long.");
        return false;
    }
    bool exists = false;
    std::string why = moveLocalFile(oldFolder + oldName, *edited, false, exists);
    if (exists && prompt.ask(existsQuestion(*edited), Buttons::YesNo) == Answer::Yes)
        why = moveLocalFile(oldFolder + oldName, *edited, true, exists);
    if (!why.empty()) {
        prompt.tell("Cannot rename " + oldFolder + oldName + " to " + *edited + ": " + why);
        return false;
    }
    // Moved: now every list follows it.
    for (int l = 0; l < kListCount; ++l) {
        if (catalog.isDerived(l)) continue;  // a view over the master follows it anyway
        const int32_t i = catalog.findByFolderAndName(l, oldFolder.c_str(), oldName.c_str());
        if (i < 0) continue;
        catalog.writeRecordFolder(l, i, newFolder);
        catalog.writeRecordName(l, i, newName);
    }
    catalog.bumpGeneration();
    catalog.page().refreshRequests++;
    return true;
}

bool RenameSelected(FileOpsContext& context) {
    ScanServices& services = context.services;
    Catalog& catalog = services.catalog;
    Prompt& prompt = services.prompt;
    if (catalog.recordCount(kSelectionList) != 1) return false;
    const std::string folder = catalog.recordFolder(kSelectionList, 0);
    const std::string oldName = catalog.recordName(kSelectionList, 0);
    std::optional<std::string> edited = prompt.editText({kRenameTitle, oldName});
    if (!edited || *edited == oldName) return false;
    if (const std::string why = refusedFileName(*edited); !why.empty()) {
        prompt.tell(why);
        return false;
    }
    if (services.ftp && !services.ftp->PromptRemoteLogin(folder)) {
        prompt.tell(kLoginFirstText);
        return false;
    }
    const bool ftp = IsFtpName(folder.c_str());
    std::string why;
    if (ftp) {
        if (edited->find('\\') != std::string::npos) {
            prompt.tell("A file name on an FTP site cannot hold \"\\\" here.");
            return false;
        }
        why = services.ftp ? renameOnServer(*services.ftp, prompt, recordUrl(folder, ""), oldName,
                                            *edited)
                           : kLoginFirstText;
    } else {
        bool exists = false;
        why = moveLocalFile(folder + oldName, folder + *edited, false, exists);
        if (exists && prompt.ask(existsQuestion(folder + *edited), Buttons::YesNo) == Answer::Yes)
            why = moveLocalFile(folder + oldName, folder + *edited, true, exists);
    }
    if (!why.empty()) {
        prompt.tell("Cannot rename " + recordUrl(folder, oldName) + " to " + *edited + ": " + why);
        return false;
    }
    refreshFolders(services, folder.c_str(), kSingleFolder, ftp ? 1 : 0);
    catalog.page().refreshRequests++;
    return true;
}

}  // namespace varnel
