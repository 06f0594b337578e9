#include "fileops/paste.h"

#include <cstdio>

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

std::string question(Catalog& catalog, const std::string& destination, bool toShare) {
    const int32_t count = catalog.recordCount(kClipboardList);
    std::string text;
    if (count > 1) {
        char head[64];
        std::snprintf(head, sizeof head, "Copy these %d files to ", count);
        text = head;
    } else {
        text = std::string("Copy file:\"") + catalog.recordName(kClipboardList, 0) + "\" to ";
    }
    std::string shown = destination;
    SwapFtpSeparators(shown);
    return text + (toShare ? "share folder:\"" : "folder:\"") + shown + "\"?";
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
    ScanServices& services = context.services;
    Catalog& catalog = services.catalog;
    Prompt& prompt = services.prompt;
    // Every record of the clipboard list is pasted, however many are selected.
    const int32_t count = catalog.recordCount(kClipboardList);
    if (count == 0) return false;
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
    const bool toShare = !context.shareFolder.empty() && samePathText(destination, context.shareFolder);
    if (prompt.ask(question(catalog, destination, toShare), Buttons::YesNo) != Answer::Yes)
        return false;

    CopyJob job;
    bool ftpSource = false;
    for (int32_t i = 0; i < count; ++i) {
        const std::string folder = catalog.recordFolder(kClipboardList, i);
        ftpSource = ftpSource || IsFtpName(folder.c_str());
        job.sources.push_back(recordUrl(folder, catalog.recordName(kClipboardList, i)));
        job.totalSize += *catalog.recordSize(kClipboardList, i);
    }
    if (ftpSource && ftpDestination) {
        prompt.tell(kFtpToFtpText);
        return false;
    }
    job.destination = destination;
    SwapFtpSeparators(job.destination);
    if (!ftpDestination && job.destination.back() != '/') job.destination.push_back('/');

    CopyEngine engine(*services.ftp, prompt, context.progress);
    const bool copied = engine.RunCopyJob(job);
    // Whatever arrived is shown: FTP folders are read from the server.
    refreshFolders(services, destination.c_str(), kSingleFolder, ftpDestination ? 1 : 0);
    catalog.page().refreshRequests++;
    return copied;
}

}  // namespace varnel
