#include "fileops/deletefiles.h"

#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "catalog/identity.h"
#include "catalog/sort.h"
#include "catalog/tables.h"
#include "fileops/fileopscontext.h"
#include "platform/ftpclient.h"
#include "platform/paths.h"
#include "platform/prompt.h"
#include "platform/trash.h"
#include "query/findsorted.h"
#include "remote/ftpnames.h"
#include "remote/ftpsession.h"
#include "scan/scancommand.h"
#include "scan/scanservices.h"

namespace varnel {

namespace {

std::string askText(Catalog& catalog) {
    const int32_t count = catalog.recordCount(kSelectionList);
    if (count == 1) return std::string("Delete File \"") + catalog.recordName(kSelectionList, 0) + "\"?";
    char text[64];
    std::snprintf(text, sizeof text, "Delete these %d Files?", count);
    return text;
}

// Deletes one local file: to the trash, or for good once the user agreed for such files.
bool deleteLocal(const std::string& path, Prompt& prompt, std::optional<bool>& forGood) {
    std::string why;
    switch (moveToTrash(path, why)) {
        case TrashOutcome::Trashed:
            return true;
        case TrashOutcome::Failed:
            return !pathExists(path);  // already gone: its record may go too
        case TrashOutcome::NoTrash:
            break;
    }
    if (!forGood)
        forGood = prompt.ask("Some files cannot be moved to the trash (" + path + ": " + why +
                                 "). Delete them for good?",
                             Buttons::YesNo) == Answer::Yes;
    return *forGood && ::unlink(path.c_str()) == 0;
}

bool deleteFtp(FtpSession& ftp, const std::string& url) {
    FtpConnection* connection = ftp.ConnectFtp(url.substr(0, url.rfind('/') + 1));
    return connection && connection->remove(FtpServerPath(url));
}

// Drops from the master list the records of the `gone` list.
void dropRecords(Catalog& catalog, int gone) {
    const int sorted = catalog.reserveTempList();
    SortRecordList(catalog, sorted, gone, kSortByName, kAscending);
    const int32_t count = catalog.recordCount(kMasterList);
    int32_t kept = 0;
    for (int32_t r = 0; r < count; ++r)
        if (findSortedRecord(catalog, sorted, kMasterList, r) < 0)
            catalog.copyRecord(kMasterList, kept++, kMasterList, r);
    catalog.setRecordCount(kMasterList, kept);
    catalog.releaseTempList(sorted);
}

}  // namespace

bool DeleteSelected(FileOpsContext& context) {
    ScanServices& services = context.services;
    Catalog& catalog = services.catalog;
    Prompt& prompt = services.prompt;
    const int32_t count = catalog.recordCount(kSelectionList);
    if (count == 0) return false;
    if (prompt.ask(askText(catalog), Buttons::OkCancel) != Answer::Ok) return false;
    if (services.ftp && !services.ftp->PromptRemoteLogin(catalog.recordFolder(kSelectionList, 0))) {
        prompt.tell(kLoginFirstText);
        return false;
    }

    const int gone = catalog.reserveTempList();
    int32_t goneCount = 0;
    bool errors = false;
    std::optional<bool> forGood;
    for (int32_t i = 0; i < count; ++i) {
        const std::string folder = catalog.recordFolder(kSelectionList, i);
        const std::string url = recordUrl(folder, catalog.recordName(kSelectionList, i));
        const bool deleted = IsFtpName(folder.c_str())
                                 ? services.ftp && deleteFtp(*services.ftp, url)
                                 : deleteLocal(url, prompt, forGood);
        // A record stays while its file does: only the deleted ones leave the catalog.
        if (deleted)
            catalog.copyRecord(gone, goneCount++, kSelectionList, i);
        else
            errors = true;
    }
    catalog.setRecordCount(gone, goneCount);
    if (errors) prompt.tell(kDeleteErrorsText);
    if (goneCount > 0) {
        dropRecords(catalog, gone);
        catalog.bumpGeneration();
    }
    catalog.releaseTempList(gone);
    catalog.setRecordCount(kSelectionList, 0);

    const ViewHistory& history = catalog.history();
    const char* address = history.position >= 0 ? history.address[history.position].data() : "";
    if (address[0] != 0 && !context.shareFolder.empty() &&
        samePathText(address, context.shareFolder) && context.renewShare)
        context.renewShare();
    catalog.page().refreshRequests++;
    return true;
}

}  // namespace varnel
