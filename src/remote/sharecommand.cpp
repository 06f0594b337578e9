#include "remote/sharecommand.h"

#include <sys/stat.h>

#include "catalog/identity.h"
#include "catalog/tables.h"
#include "fileops/fileopscontext.h"
#include "fileops/paste.h"
#include "remote/foldersharing.h"
#include "scan/scanservices.h"

namespace varnel {

bool ShareSelection(FileOpsContext& context, FolderSharing& sharing) {
    Catalog& catalog = context.services.catalog;
    const int32_t selected = catalog.recordCount(kSelectionList);
    if (selected == 0) return false;
    int32_t kept = 0;
    for (int32_t i = 0; i < selected; ++i) {
        if (samePathText(catalog.recordFolder(kSelectionList, i), sharing.shareFolder())) continue;
        catalog.copyRecord(kClipboardList, kept++, kSelectionList, i);
    }
    if (kept > 0) {
        // The folder is the program's own: made again when someone removed it.
        ::mkdir(sharing.shareFolder().c_str(), 0755);
        catalog.setRecordCount(kClipboardList, kept);
        PasteTo(context, sharing.shareFolder());
    }
    return sharing.RefreshShare();
}

}  // namespace varnel
