#include "fileops/paste.h"

#include <sys/stat.h>
#include <cstdio>
#include <vector>

#include "catalog/identity.h"
#include "catalog/tables.h"
#include "fileops/copyengine.h"
#include "fileops/fileopscontext.h"
#include "platform/prompt.h"
#include "remote/ftpnames.h"
#include "remote/ftpsession.h"
#include "scan/folderrefresh.h"
#include "scan/scancommand.h"
#include "scan/scanservices.h"

namespace varnel {

namespace {

// Where a paste goes when no destination was given.
std::string suggestedFolder(FileOpsContext& context) {
    Catalog& catalog = context.services.catalog;
    if (catalog.recordCount(kSelectionList) > 0) return catalog.recordFolder(kSelectionList, 0);
    const int current = catalog.currentList();
    if (current >= 0 && catalog.recordCount(current) > 0) return catalog.recordFolder(current, 0);
    return context.treeFolder ? context.treeFolder() : std::string();
}

// What a paste copies: full names (local paths or FTP URLs) and their sizes.
struct PasteSources {
    std::vector<std::string> places;
    uint64_t totalSize = 0;
    bool ftp = false;        // some are on an FTP site
    std::string singleName;  // the name, when there is one source
};

std::string question(const PasteSources& sources, const std::string& destination, bool toShare) {
    std::string text;
    if (sources.places.size() > 1) {
        char head[64];
        std::snprintf(head, sizeof head, "Copy these %zu files to ", sources.places.size());
        text = head;
    } else {
        text = "Copy file:\"" + sources.singleName + "\" to ";
    }
    std::string shown = destination;
    SwapFtpSeparators(shown);
    return text + (toShare ? "share folder:\"" : "folder:\"") + shown + "\"?";
}

// The paste itself, once the sources are known: the destination completed and logged in
// to, the question, the copy job, and the destination's records brought up to date.
bool paste(FileOpsContext& context, std::string destination, const PasteSources& sources) {
    ScanServices& services = context.services;
    Prompt& prompt = services.prompt;
    if (sources.places.empty()) return false;
    if (destination.empty()) destination = suggestedFolder(context);
    if (destination.empty()) return false;
    const bool ftpDestination = IsFtpName(destination.c_str());
    const char separator = ftpDestination ? '\\' : '/';
    if (destination.back() != separator) destination.push_back(separator);

    if (!services.ftp) return false;  // every program run has a session; a bare test may not
    if (!services.ftp->PromptRemoteLogin(destination)) {
        prompt.tell(kLoginFirstText);
        return false;
    }
    const bool toShare =
        !context.shareFolder.empty() && samePathText(destination, context.shareFolder);
    if (prompt.ask(question(sources, destination, toShare), Buttons::YesNo) != Answer::Yes)
        return false;
    if (sources.ftp && ftpDestination) {
        prompt.tell(kFtpToFtpText);
        return false;
    }
    CopyJob job{destination, sources.places, sources.totalSize};
    SwapFtpSeparators(job.destination);
    CopyEngine engine(*services.ftp, prompt, context.progress);
    const bool copied = engine.RunCopyJob(job);
    // Whatever arrived is shown: FTP folders are read from the server.
    refreshFolders(services, destination.c_str(), kSingleFolder, ftpDestination ? 1 : 0);
    services.catalog.page().refreshRequests++;
    return copied;
}

}  // namespace

std::string recordUrl(const std::string& folder, const std::string& name) {
    std::string full = folder + name;
    SwapFtpSeparators(full);
    return full;
}

void CopyRecords(FileOpsContext& context) {
    Catalog& catalog = context.services.catalog;
    if (catalog.recordCount(kSelectionList) == 0) return;
    if (context.services.ftp)
        context.services.ftp->PromptRemoteLogin(catalog.recordFolder(kSelectionList, 0));
    catalog.copyList(kClipboardList, kSelectionList);
}

void PasteRecords(FileOpsContext& context) {
    if (context.services.ftp) context.services.ftp->setOffline(false);
    PasteTo(context, "");
}

bool PasteTo(FileOpsContext& context, std::string destination) {
    Catalog& catalog = context.services.catalog;
    // Every record of the clipboard list is pasted, however many are selected.
    PasteSources sources;
    for (int32_t i = 0; i < catalog.recordCount(kClipboardList); ++i) {
        const std::string folder = catalog.recordFolder(kClipboardList, i);
        sources.ftp = sources.ftp || IsFtpName(folder.c_str());
        sources.places.push_back(recordUrl(folder, catalog.recordName(kClipboardList, i)));
        sources.totalSize += *catalog.recordSize(kClipboardList, i);
        sources.singleName = catalog.recordName(kClipboardList, i);
    }
    return paste(context, std::move(destination), sources);
}

bool PasteFilesTo(FileOpsContext& context, const std::vector<std::string>& paths,
                  std::string destination) {
    PasteSources sources;
    for (const std::string& path : paths) {
        struct stat st {};
        if (path.empty() || path[0] != '/' || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;  // folders and vanished files are not copied
        sources.places.push_back(path);
        sources.totalSize += static_cast<uint64_t>(st.st_size);
        sources.singleName = path.substr(path.rfind('/') + 1);
    }
    return paste(context, std::move(destination), sources);
}

}  // namespace varnel
